#include <LxStd/XIni.h>

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "Texts.h"

namespace {

TEST(XIniFormat, RoundTripsNumbersBitForBit) {
  using L = std::numeric_limits<double>;
  // Extremes and special values, each also negated, then any bit patterns.
  std::vector<double> doubles = {
      0.0, 0.1, 1e300, 4.9e-324, 2.2250738585072014e-308, 1.7976931348623157e308};
  doubles.insert(doubles.end(), {L::infinity(), L::quiet_NaN(), L::signaling_NaN(),
                                 std::bit_cast<double>(std::uint64_t{0x7FF0000000000001})});
  for (std::size_t i = 0, n = doubles.size(); i < n; ++i)
    doubles.push_back(-doubles[i]);
  std::mt19937_64 rng(20240611);
  for (int i = 0; i < 3000; ++i)
    doubles.push_back(std::bit_cast<double>(rng()));
  const int ints[] = {0, -1, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};
  const std::uint64_t u64s[] = {0, std::numeric_limits<std::uint64_t>::max()};
  TLxXIniWriter w;
  for (double d : doubles)
    w.WriteS("d", d);
  for (int i : ints)
    w.WriteS("i", i);
  for (std::uint64_t u : u64s)
    w.WriteS("u", u);
  TLxXIniReader r(w.Text());
  std::uint64_t pos = 0;
  for (double d : doubles)
    ASSERT_EQ(std::bit_cast<std::uint64_t>(r.ReadE<double>(pos++)), std::bit_cast<std::uint64_t>(d))
        << d;
  for (int i : ints)
    EXPECT_EQ(r.ReadE<int>(pos++), i);
  for (std::uint64_t u : u64s)
    EXPECT_EQ(r.ReadE<std::uint64_t>(pos++), u);
}

// Quoted texts keep one entry per line and no byte an editor would mangle.
TEST(XIniFormat, RoundTripsTextsAndNamesOfAnyBytesInPrintableLines) {
  // Every byte value once, and the bytes that need care in some order.
  std::string all;
  for (int c = 0; c < 256; ++c)
    all += static_cast<char>(c);
  const std::vector<std::string> texts = {
      "",          all,    std::string("a\0b", 3), "\"q\" \\ ", "line\n",      "\r\n\r",
      "  leading", "\n\n", "\xE2\x82\xAC",         "\xFF\xC3",  "# , = { } |", "trailing  "};
  TLxXIniWriter w;
  for (const std::string& t : texts)
    w.WriteS(t, t);
  std::size_t lines = 0;
  for (const unsigned char c : w.Text()) {
    lines += c == '\n';
    EXPECT_TRUE(c == '\n' || (c >= 0x20 && c != 0xFF)) << static_cast<int>(c);
  }
  EXPECT_EQ(lines, texts.size());
  for (const std::string& t : texts) {
    w.WriteLongStringSE(t, t);
    w.EndSection(w.BeginSectionCompactSE(t));
  }
  const std::string text = w.Text();
  TLxXIniReader r(text);
  for (std::size_t i = 0; i < 3 * texts.size(); ++i) {
    const std::string& t = texts[i < texts.size() ? i : (i - texts.size()) / 2];
    EXPECT_EQ(r.NameAt(i), t);
    EXPECT_EQ(r.IsSectionAt(i) ? t : r.ReadE<std::string>(i), t);
  }
  EXPECT_FALSE(r.HasEntry(3 * texts.size()));
  // Every prefix of a document of escapes and block texts parses or fails cleanly.
  for (std::size_t n = 0; n < text.size(); ++n) {
    try {
      TLxXIniReader{std::string_view(text).substr(0, n)};
    } catch (const TLxXIniError&) {
    }
  }
}

TEST(XIniFormat, HugeNamesLinesAndTextsReadBackExactly) {
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
  // Compared so that a failure reports sizes, not a diff of megabytes.
  EXPECT_EQ(TextDifference(r.ReadE<std::string>(r.FindFE(name)), line), "");
  EXPECT_EQ(TextDifference(r.ReadLongStringSE("block"), block), "");
  r.EnterSectionSE("many");
  EXPECT_EQ(r.EntryCount(), 100000u);
  EXPECT_EQ(r.ReadE<int>(r.FindFE("K99999")), 99999);
}

}  // namespace
