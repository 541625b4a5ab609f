#include <LxStd/XIni.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

namespace {

const char* const kCamera = R"(# hand-edited
camera {
  focus = 120
  name = "Survey camera RC-1"
  principal_point { x = 1.5, y = -2 }
  int_or {
    type = "Sideways"
    fiducials {
      { index = 7 }
      named { index = 8 }
      3
    }
  }
  focus = 99
}
)";

TEST(XIniReader, FindsTheFirstEntryOfANameFromTheStartPosition) {
  TLxXIniReader r(kCamera);
  r.EnterSectionSE("camera");
  EXPECT_EQ(r.FindF("focus", 0), 0u);
  EXPECT_EQ(r.FindF("focus", 1), 4u);
  EXPECT_EQ(r.FindF("focus", 5), kXIniAbsent);
  EXPECT_EQ(r.FindF("Focus"), kXIniAbsent);
  EXPECT_EQ(r.FindFE(std::string("name")), 1u);
  EXPECT_EQ(r.ReadE<double>(r.FindFE("focus", 1)), 99.0);
}

TEST(XIniReader, LenientFormsCoverOnlyAbsence) {
  TLxXIniReader r(kCamera);
  r.EnterSectionSE("camera");
  EXPECT_EQ(r.Read<int>(r.FindF("missing"), 5), 5);
  EXPECT_EQ(r.Read<std::string>(99, "dflt"), "dflt");
  EXPECT_EQ(r.ReadLongStringS("missing", "dflt"), "dflt");
  EXPECT_EQ(r.EnterSectionS("missing"), 0u);
  EXPECT_EQ(r.EnterSection(kXIniAbsent), 0u);
  EXPECT_EQ(r.EnterSection(r.FindF("focus")), 0u);  // a value
  EXPECT_EQ(r.Read<int>(r.FindF("focus"), 5), 120);
  EXPECT_THROW(r.Read<std::string>(r.FindF("focus"), "x"), TLxXIniError);
  EXPECT_THROW(r.Read<double>(r.FindF("principal_point"), 0.0), TLxXIniError);
}

TEST(XIniReader, ReadsTypesStrictly) {
  TLxXIniReader r(
      "i = 1.5\nw = abc\nbig = 2147483648\nneg = -1\nt = \"7\"\nd = 7\ne = 1e999\nu = "
      "18446744073709551616\nsp = +1\n");
  EXPECT_THAT(
      [&] { r.ReadE<int>(0); },
      ThrowsMessage<TLxXIniError>("invalid int value \"1.5\" for key \"i\" in section / (line 1)"));
  EXPECT_THROW(r.ReadE<double>(1), TLxXIniError);
  EXPECT_THAT([&] { r.ReadE<int>(2); },
              ThrowsMessage<TLxXIniError>(HasSubstr("int value \"2147483648\" out of range")));
  EXPECT_EQ(r.ReadE<double>(2), 2147483648.0);
  EXPECT_THROW(r.ReadE<std::uint64_t>(3), TLxXIniError);
  EXPECT_THAT([&] { r.ReadE<int>(4); },
              ThrowsMessage<TLxXIniError>(HasSubstr("invalid int value \"7\"")));
  EXPECT_THAT([&] { r.ReadE<std::string>(5); },
              ThrowsMessage<TLxXIniError>(HasSubstr("invalid text value 7 (texts are quoted)")));
  EXPECT_EQ(r.ReadE<double>(5), 7.0);
  EXPECT_THROW(r.ReadE<double>(6), TLxXIniError);
  EXPECT_THROW(r.ReadE<std::uint64_t>(7), TLxXIniError);
  EXPECT_THROW(r.ReadE<int>(8), TLxXIniError);
}

TEST(XIniReader, WalksListItemsByPositionWhateverTheirNames) {
  TLxXIniReader r(kCamera);
  r.EnterSectionSE("camera");
  r.EnterSectionSE("int_or");
  const auto list = r.EnterSectionSE("fiducials");
  std::vector<int> indices;
  std::uint64_t pos = 0;
  for (; r.HasEntry(pos) && r.IsSectionAt(pos); ++pos) {
    const auto item = r.EnterSectionE(pos);
    indices.push_back(r.ReadE<int>(r.FindFE("index")));
    r.LeaveSectionE(item);
  }
  EXPECT_EQ(indices, (std::vector<int>{7, 8}));
  EXPECT_THAT([&] { r.EnterSectionE(pos); },
              ThrowsMessage<TLxXIniError>("entry 2 is a value, not a section, in section "
                                          "/camera/int_or/fiducials (line 11)"));
  EXPECT_EQ(r.EntryCount(), 3u);
  r.LeaveSectionE(list);
}

TEST(XIniReader, ErrorsNameKeySectionPathAndLine) {
  TLxXIniReader r(kCamera);
  r.EnterSectionSE("camera");
  EXPECT_THAT(
      [&] { r.FindFE("calibration_date"); },
      ThrowsMessage<TLxXIniError>("missing key \"calibration_date\" in section /camera (line 2)"));
  EXPECT_THAT(
      [&] { r.EnterSectionSE("distortion"); },
      ThrowsMessage<TLxXIniError>("missing section \"distortion\" in section /camera (line 2)"));
  EXPECT_THAT([&] { r.ReadE<double>(r.FindF("principal_point")); },
              ThrowsMessage<TLxXIniError>("key \"principal_point\" is a section, not a value, in "
                                          "section /camera (line 5)"));
  EXPECT_THAT([&] { r.ReadE<double>(kXIniAbsent); },
              ThrowsMessage<TLxXIniError>(HasSubstr("no entry at position absent")));
  r.EnterSectionSE("int_or");
  EXPECT_THAT(
      [&] { r.throw_error_valueS("type"); },
      ThrowsMessage<TLxXIniError>(
          "invalid value \"Sideways\" for key \"type\" in section /camera/int_or (line 7)"));
  r.EnterSectionSE("fiducials");
  r.EnterSectionE(0);
  EXPECT_THAT([&] { r.FindFE("coords_cam"); },
              ThrowsMessage<TLxXIniError>(
                  "missing key \"coords_cam\" in section /camera/int_or/fiducials/[0] (line 9)"));
}

TEST(XIniReader, LeavesOnlyTheInnermostSectionWithTheStrictForm) {
  TLxXIniReader r(kCamera);
  const auto camera = r.EnterSectionSE("camera");
  const auto io = r.EnterSectionSE("int_or");
  EXPECT_NE(camera, 0u);
  EXPECT_NE(camera, io);
  EXPECT_THAT([&] { r.LeaveSectionE(camera); },
              ThrowsMessage<TLxXIniError>(HasSubstr("not the handle of the innermost")));
  r.LeaveSection(0);
  r.LeaveSection(io + 100);
  EXPECT_EQ(r.FindF("type"), 0u);  // still inside int_or
  r.LeaveSectionE(io);
  EXPECT_THROW(r.LeaveSectionE(io), TLxXIniError);  // stale
  EXPECT_EQ(r.FindF("focus"), 0u);
  r.EnterSectionSE("int_or");
  r.EnterSectionSE("fiducials");
  r.LeaveSection(camera);  // unwinds everything inside camera too
  EXPECT_EQ(r.FindF("camera"), 0u);
  EXPECT_THROW(r.LeaveSectionE(camera), TLxXIniError);
}

TEST(XIniReader, AcceptsHandEditedForms) {
  TLxXIniReader r(
      "\xEF\xBB\xBF# comment\r\n"
      "\"quoted name\"=\"a\\x41\\t\" # trailing comment\r\n"
      "bare=1,other=2\r\n"
      "s{a=1\r\n\r\n ,b=2}\r\n"
      "= \"unnamed\"\r\n"
      "long = |\r\n"
      "\t| one\r\n"
      "  |\r\n"
      "  |\"two\"  \r\n");
  EXPECT_EQ(r.ReadE<std::string>(r.FindFE("quoted name")), "aA\t");
  EXPECT_EQ(r.ReadE<int>(r.FindFE("other")), 2);
  const auto s = r.EnterSectionSE("s");
  EXPECT_EQ(r.ReadE<int>(1), 2);
  r.LeaveSectionE(s);
  EXPECT_EQ(r.ReadE<std::string>(r.FindFE("")), "unnamed");
  EXPECT_EQ(r.ReadLongStringSE("long"), "one\n\ntwo");
}

TEST(XIniReader, LoadsAFile) {
  const std::string path = ::testing::TempDir() + "xini_reader_test.xini";
  {
    TLxXIniWriter w;
    w.WriteS("k", 3);
    w.SaveToFile(path);
  }
  TLxXIniReader r = TLxXIniReader::FromFile(path);
  EXPECT_EQ(r.ReadE<int>(r.FindFE("k")), 3);
  std::remove(path.c_str());
  EXPECT_THAT([&] { TLxXIniReader::FromFile(path); },
              ThrowsMessage<TLxXIniError>(HasSubstr("cannot open \"" + path + "\"")));
}

}  // namespace
