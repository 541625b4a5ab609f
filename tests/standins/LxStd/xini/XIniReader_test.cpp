#include <LxStd/XIni.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
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

TEST(XIniReader, FindsTheFirstEntryOfANameAndReadsLenientlyOnlyWhatIsAbsent) {
  TLxXIniReader r(kCamera);
  r.EnterSectionSE("camera");
  EXPECT_EQ(r.FindF("focus", 1), 4u);
  EXPECT_EQ(r.FindF("focus", 5), kXIniAbsent);
  EXPECT_EQ(r.FindF("Focus"), kXIniAbsent);
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

TEST(XIniReader, ReadsEachTypeStrictlyAndNumbersOnlyWithinTheirRanges) {
  EXPECT_EQ(TLxXIniReader("v = 2147483648").ReadE<double>(0), 2147483648.0);
  const auto read = [](const char* value, auto type) -> std::function<void()> {
    return [=] { TLxXIniReader(std::string("v = ") + value).ReadE<decltype(type)>(0); };
  };
  const struct {
    std::function<void()> read;
    const char* message;
  } errors[] = {
      {read("1.5", int{}), "invalid int value \"1.5\""},
      {read("+1", int{}), "invalid int value \"+1\""},
      {read("\"7\"", int{}), "invalid int value \"7\""},
      {read("2147483648", int{}), "int value \"2147483648\" out of range"},
      {read("-2147483649", int{}), "int value \"-2147483649\" out of range"},
      {read("-1", std::uint64_t{}), "invalid unsigned 64-bit value \"-1\""},
      {read("18446744073709551616", std::uint64_t{}),
       "unsigned 64-bit value \"18446744073709551616\" out of range"},
      {read("abc", double{}), "invalid double value \"abc\""},
      {read("-nan(0x1", double{}), "invalid double value \"-nan(0x1\""},
      {read("nan(0x)", double{}), "invalid double value \"nan(0x)\""},
      {read("1.7976931348623159e308", double{}),
       "double value \"1.7976931348623159e308\" out of range"},
      {read("2e-324", double{}), "double value \"2e-324\" out of range"},
      {read("-1e400", double{}), "double value \"-1e400\" out of range"},
      {read("7", std::string{}), "(texts are quoted)"},
  };
  for (const auto& c : errors)
    EXPECT_THAT(c.read, ThrowsMessage<TLxXIniError>(HasSubstr(
                            std::string(c.message) + " for key \"v\" in section / (line 1)")))
        << c.message;
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
  EXPECT_THAT([&] { r.EnterSectionE(2); },
              ThrowsMessage<TLxXIniError>("entry 2 is a value, not a section, in section "
                                          "/camera/int_or/fiducials (line 11)"));
  r.EnterSectionE(1);
  EXPECT_THAT(
      [&] { r.FindFE("coords_cam"); },
      ThrowsMessage<TLxXIniError>(
          "missing key \"coords_cam\" in section /camera/int_or/fiducials/named (line 10)"));
}

TEST(XIniReader, LeavesOnlyTheInnermostSectionWithTheStrictForm) {
  TLxXIniReader r(kCamera);
  const auto camera = r.EnterSectionSE("camera");
  const auto io = r.EnterSectionSE("int_or");
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
  using namespace std::string_literals;
  TLxXIniReader r(
      "\xEF\xBB\xBF# comment\r\n"
      "\"quoted name\"=\"a\\x41\\t\" # trailing comment\r\n"
      "bare=1,other=2\r\n"
      "s{a=1\r\n\r\n ,b=2}\r\n"
      "= \"unnamed\"\r\n"
      "long = |\r\n"
      "\t| one\r\n"
      "  |\r\n"
      "  |\"two\"  \r\n"
      "bytes = \"\xFF\xC0\x80\xED\xA0\x80\\0\"\n"
      "block = |\n  | a\0b\xFF\n"s);
  EXPECT_EQ(r.ReadE<std::string>(r.FindFE("quoted name")), "aA\t");
  EXPECT_EQ(r.ReadE<int>(r.FindFE("other")), 2);
  const auto s = r.EnterSectionSE("s");
  EXPECT_EQ(r.ReadE<int>(1), 2);
  r.LeaveSectionE(s);
  EXPECT_EQ(r.ReadE<std::string>(r.FindFE("")), "unnamed");
  EXPECT_EQ(r.ReadLongStringSE("long"), "one\n\ntwo");
  // Bytes other than control bytes are kept as they are, valid UTF-8 or not.
  EXPECT_EQ(r.ReadE<std::string>(r.FindFE("bytes")), "\xFF\xC0\x80\xED\xA0\x80\0"s);
  EXPECT_EQ(r.ReadLongStringSE("block"), "a\0b\xFF"s);
}

// `gap` without its comments holds only blanks, line ends and separators.
bool OnlySeparators(std::string gap) {
  for (std::size_t hash; (hash = gap.find('#')) != std::string::npos;)
    gap.erase(hash, gap.find('\n', hash) - hash);
  return gap.find_first_not_of(" \r\n,") == std::string::npos;
}

TEST(XIniReader, TellsTheLinesOfEntriesAndWhereTopLevelEntriesStandInTheText) {
  const std::string text =
      "\xEF\xBB\xBF# head\r\n"
      "a { x = 1, y = \"}\" }, b = 2.5  # note { \n"
      "  \"c d\" {\n    t = |\n      | }\n  }\n"
      "{ 1, 2 }\n"
      "e = |\n  | one\n  | two\n"
      "list { 1, 2,x }";
  TLxXIniReader r(text);
  ASSERT_EQ(r.EntryCount(), 6u);
  // Between the entries there are only blanks, separators and comments.
  std::size_t last_end = 3;
  for (std::uint64_t pos = 0; pos < r.EntryCount(); ++pos) {
    const auto [begin, end] = r.TopLevelExtent(pos);
    ASSERT_LE(last_end, begin);
    EXPECT_TRUE(OnlySeparators(text.substr(last_end, begin - last_end))) << pos;
    last_end = end;
    // Each extent is the whole entry: read alone it gives the same entry.
    TLxXIniReader alone(text.substr(begin, end - begin));
    ASSERT_EQ(alone.EntryCount(), 1u) << pos;
    EXPECT_EQ(alone.NameAt(0), r.NameAt(pos));
    EXPECT_EQ(alone.IsSectionAt(0), r.IsSectionAt(pos));
    EXPECT_EQ(r.LineAt(pos), std::count(text.begin(), text.begin() + begin, '\n') + 1);
  }
  EXPECT_EQ(last_end, text.size());
  EXPECT_EQ(r.LineAt(6), 0u);
  EXPECT_EQ(r.TopLevelExtent(6).first, kXIniAbsent);
  const auto second = r.TopLevelExtent(1);
  r.EnterSectionSE("c d");
  EXPECT_EQ(r.LineAt(0), 4u);
  EXPECT_EQ(r.TopLevelExtent(1), second);  // whatever the current section
}

}  // namespace
