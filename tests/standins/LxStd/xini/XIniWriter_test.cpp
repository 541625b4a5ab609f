#include <LxStd/XIni.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

namespace {

// Refuses its k-th append (counted from 1) and every later one.
struct FailingWriter : TLxXIniWriter {
  explicit FailingWriter(int k) : left(k - 1) {}
  bool AppendText(std::string_view piece) override {
    return left-- > 0 && TLxXIniWriter::AppendText(piece);
  }
  int left;
};

TEST(XIniWriter, ReportsAFailedWriteThroughThrowError) {
  FailingWriter w(3);
  w.BeginSectionSE("camera");
  EXPECT_TRUE(w.WriteS("name", std::string("RC-1")));
  EXPECT_FALSE(w.WriteS("focus", 120.0));
  EXPECT_THAT(
      [&] { w.throw_error(); },
      ThrowsMessage<TLxXIniError>("cannot write key \"focus\" in section /camera (line 3)"));
  EXPECT_EQ(w.Text(), "camera {\n  name = \"RC-1\"\n");
}

TEST(XIniWriter, EndsOnlyTheInnermostSection) {
  TLxXIniWriter w;
  const auto outer = w.BeginSectionSE("outer");
  const auto inner = w.BeginSectionSE("");
  EXPECT_THAT([&] { w.EndSection(outer); },
              ThrowsMessage<TLxXIniError>(HasSubstr("not the handle of the innermost section "
                                                    "in section /outer/[0]")));
  EXPECT_THROW(w.EndSection(0), TLxXIniError);
  w.EndSection(inner);
  w.EndSection(outer);
  EXPECT_THROW(w.EndSection(outer), TLxXIniError);
  EXPECT_EQ(w.Text(), "outer {\n  {\n  }\n}\n");
}

TEST(XIniWriter, SavesAFileWholeThatTheReaderLoads) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(::testing::TempDir()) / "xini_writer_save";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string path = (dir / "doc.xini").string();
  std::ofstream(path) << "old";
  TLxXIniWriter w;
  const auto s = w.BeginSectionSE("s");
  EXPECT_THAT([&] { w.SaveToFile(path); },
              ThrowsMessage<TLxXIniError>(HasSubstr("a section is still open")));
  w.WriteS("k", 3);
  w.EndSection(s);
  w.SaveToFile(path);
  TLxXIniReader r = TLxXIniReader::FromFile(path);
  r.EnterSectionSE("s");
  EXPECT_EQ(r.ReadE<int>(r.FindFE("k")), 3);
  // Replaced in place: no temporary file is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  const std::string missing = (dir / "no" / "such.xini").string();
  EXPECT_THAT([&] { w.SaveToFile(missing); },
              ThrowsMessage<TLxXIniError>(HasSubstr("cannot create")));
  EXPECT_THAT([&] { TLxXIniReader::FromFile(missing); },
              ThrowsMessage<TLxXIniError>(HasSubstr("cannot open \"" + missing + "\"")));
  fs::remove_all(dir);
}

}  // namespace
