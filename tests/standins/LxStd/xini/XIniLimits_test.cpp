// Documents at and past the limits: deepest nesting (100,000 levels on a small
// stack: XIniMalformed), huge lines, names and texts, numbers at the ends of
// their ranges, invalid UTF-8 and NUL bytes. Each gives the exact value or an
// error that says what and where.

#include <LxStd/XIni.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <string>

using ::testing::ThrowsMessage;

namespace {

std::string Nested(std::size_t depth) {
  std::string text;
  for (std::size_t i = 0; i < depth; ++i)
    text += "s { k = 1, ";
  return text + std::string(depth, '}');
}

}  // namespace

TEST(XIniLimits, SectionsNestToTheDepthLimitAndNoDeeper) {
  TLxXIniReader at_limit(Nested(kXIniMaxDepth));
  std::size_t depth = 0;
  while (at_limit.EnterSectionS("s") != 0)
    ++depth;
  EXPECT_EQ(depth, kXIniMaxDepth);
  EXPECT_THAT([] { TLxXIniReader r(Nested(kXIniMaxDepth + 1)); },
              ThrowsMessage<TLxXIniError>("line 1, column 11003: sections nested deeper than "
                                          "1000 levels"));

  TLxXIniWriter w;
  for (std::size_t i = 0; i < kXIniMaxDepth; ++i)
    w.BeginSectionCompactSE("s");
  EXPECT_THROW(w.BeginSectionSE("deeper"), TLxXIniError);
  EXPECT_TRUE(w.WriteS("k", 1));  // the refusal leaves the writer usable
}

TEST(XIniLimits, HugeNamesLinesAndTextsReadBackExactly) {
  std::string name(1 << 20, 'n');
  name[12345] = ' ';  // quoted then
  std::string line(4 << 20, 'x');
  for (std::size_t i = 0; i < line.size(); i += 4099)
    line[i] = static_cast<char>(i % 251);  // control bytes, invalid UTF-8, quotes
  std::string block;
  for (int i = 0; i < 100000; ++i)
    block += std::to_string(i) + (i % 7 ? "\n" : "\r\n");

  TLxXIniWriter w;
  w.WriteS(name, line);
  w.WriteLongStringSE("block", block);
  const auto section = w.BeginSectionSE("many");
  for (int i = 0; i < 100000; ++i)
    w.WriteS("K" + std::to_string(i), i);
  w.EndSection(section);

  TLxXIniReader r(w.Text());
  EXPECT_EQ(r.ReadE<std::string>(r.FindFE(name)), line);
  EXPECT_EQ(r.ReadLongStringSE("block"), block);
  r.EnterSectionSE("many");
  EXPECT_EQ(r.EntryCount(), 100000u);
  EXPECT_EQ(r.ReadE<int>(r.FindFE("K99999")), 99999);
}

TEST(XIniLimits, NumbersAtTheEndsOfTheirRangesAreExactOrOutOfRange) {
  const auto read = [](const std::string& value, auto type) {
    TLxXIniReader r("v = " + value);
    return r.ReadE<decltype(type)>(0);
  };
  constexpr double kMax = std::numeric_limits<double>::max();
  EXPECT_EQ(read("-2147483648", int{}), std::numeric_limits<int>::min());
  EXPECT_EQ(read("18446744073709551615", std::uint64_t{}), ~std::uint64_t{0});
  EXPECT_EQ(read("1.7976931348623157e308", double{}), kMax);
  EXPECT_EQ(read("4.9e-324", double{}), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(std::bit_cast<std::uint64_t>(read("-nan(0x1)", double{})), 0xFFF0000000000001u);

  enum class Type { Int, Unsigned, Double };
  const struct {
    Type type;
    const char* value;
    const char* message;
  } out_of_range[] = {
      {Type::Int, "2147483648", "int value \"2147483648\" out of range"},
      {Type::Int, "-2147483649", "int value \"-2147483649\" out of range"},
      {Type::Unsigned, "18446744073709551616",
       "unsigned 64-bit value \"18446744073709551616\" out of range"},
      {Type::Double, "1.7976931348623159e308",
       "double value \"1.7976931348623159e308\" out of range"},
      {Type::Double, "2e-324", "double value \"2e-324\" out of range"},
      {Type::Double, "-1e400", "double value \"-1e400\" out of range"},
  };
  for (const auto& c : out_of_range) {
    const auto read_as_type = [&] {
      if (c.type == Type::Int) return read(c.value, int{}) != 0;
      if (c.type == Type::Unsigned) return read(c.value, std::uint64_t{}) != 0;
      return read(c.value, double{}) != 0;
    };
    EXPECT_THAT(read_as_type, ThrowsMessage<TLxXIniError>(std::string(c.message) +
                                                          " for key \"v\" in section / (line 1)"));
  }
}

TEST(XIniLimits, InvalidUtf8AndNulBytesAreKeptExactlyOrRejectedWithTheirPlace) {
  using namespace std::string_literals;
  // Inside quotes and block lines, bytes other than control bytes are kept.
  EXPECT_EQ(TLxXIniReader("v = \"\xFF\xC0\x80\xED\xA0\x80\"").ReadE<std::string>(0),
            "\xFF\xC0\x80\xED\xA0\x80");
  EXPECT_EQ(TLxXIniReader("v = \"a\\0b\"").ReadE<std::string>(0), "a\0b"s);
  EXPECT_EQ(TLxXIniReader("v = |\n  | a\0b\xFF\n"s).ReadE<std::string>(0), "a\0b\xFF"s);
  const struct {
    std::string text;
    const char* message;
  } rejected[] = {
      {"v = \"a\0b\""s, "line 1, column 7: control byte 0x00 in a text value (write it as \\x00)"},
      {"v\0 = 1"s, "line 1, column 2: expected ',' or a line end after the entry, found byte 0x00"},
      {"\0"s, "line 1, column 1: unexpected byte 0x00"},
      {"v = 1\n\"\xFF\" = \"\xFF\n"s, "line 2, column 7: unterminated text value"},
  };
  for (const auto& c : rejected)
    EXPECT_THAT([&] { TLxXIniReader r(c.text); }, ThrowsMessage<TLxXIniError>(c.message))
        << c.message;
  // The writer escapes what the reader would refuse or editors would mangle.
  const std::string every_byte = [] {
    std::string s;
    for (int c = 0; c < 256; ++c)
      s += static_cast<char>(c);
    return s;
  }();
  TLxXIniWriter w;
  w.WriteS(every_byte, every_byte);
  w.WriteLongStringSE("long", every_byte + "\n" + every_byte);
  TLxXIniReader r(w.Text());
  EXPECT_EQ(r.NameAt(0), every_byte);
  EXPECT_EQ(r.ReadE<std::string>(0), every_byte);
  EXPECT_EQ(r.ReadLongStringSE("long"), every_byte + "\n" + every_byte);
}
