#include <LxStd/XIni.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

namespace {

// Fails its k-th append (counted from 1) and every later one.
class FailingWriter : public TLxXIniWriter {
 public:
  explicit FailingWriter(int k) : k_(k) {}

 protected:
  bool AppendText(std::string_view piece) override {
    return ++count_ < k_ && TLxXIniWriter::AppendText(piece);
  }

 private:
  int k_;
  int count_ = 0;
};

TEST(XIniWriter, ReportsAFailedWriteThroughThrowError) {
  FailingWriter w(3);
  const auto s = w.BeginSectionSE("camera");
  EXPECT_TRUE(w.WriteS("name", std::string("RC-1")));
  EXPECT_FALSE(w.WriteS("focus", 120.0));
  EXPECT_THAT(
      [&] { w.throw_error(); },
      ThrowsMessage<TLxXIniError>("cannot write key \"focus\" in section /camera (line 3)"));
  EXPECT_EQ(w.Text(), "camera {\n  name = \"RC-1\"\n");
  EXPECT_THROW(w.EndSection(s), TLxXIniError);
  EXPECT_THROW(w.BeginSectionCompactSE("p"), TLxXIniError);
  EXPECT_THROW(w.WriteLongStringSE("description", "x"), TLxXIniError);
}

TEST(XIniWriter, KeepsWhatWasWrittenBeforeEachFailure) {
  // The document that a writer failing at its k-th append leaves behind is a
  // prefix of the complete one, ending at an entry boundary.
  const auto write = [](TLxXIniWriter& w) {
    w.WriteS("a", 1) || (w.throw_error(), false);
    const auto p = w.BeginSectionCompactSE("p");
    w.WriteS("x", 0.5) || (w.throw_error(), false);
    w.WriteS("y", 0.5) || (w.throw_error(), false);
    w.EndSection(p);
    w.WriteLongStringSE("t", "1\n2");
  };
  TLxXIniWriter full;
  write(full);
  for (int k = 1; k <= 6; ++k) {
    FailingWriter w(k);
    EXPECT_THROW(write(w), TLxXIniError) << k;
    EXPECT_TRUE(full.Text().starts_with(w.Text())) << k;
    EXPECT_LT(w.Text().size(), full.Text().size());
  }
  FailingWriter enough(7);
  write(enough);
  EXPECT_EQ(enough.Text(), full.Text());
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

TEST(XIniWriter, RefusesToNestDeeperThanTheReaderAccepts) {
  TLxXIniWriter w;
  for (std::size_t i = 0; i < kXIniMaxDepth; ++i)
    w.BeginSectionCompactSE("");
  EXPECT_THAT([&] { w.BeginSectionCompactSE("x"); },
              ThrowsMessage<TLxXIniError>(HasSubstr("nested deeper than 1000 levels")));
}

TEST(XIniWriter, SavesAFileByReplacingItWhole) {
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
  w.EndSection(s);
  w.SaveToFile(path);
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), w.Text());
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  EXPECT_THAT([&] { w.SaveToFile((dir / "no" / "such.xini").string()); },
              ThrowsMessage<TLxXIniError>(HasSubstr("cannot create")));
  fs::remove_all(dir);
}

}  // namespace
