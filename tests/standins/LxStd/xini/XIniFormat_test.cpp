#include <LxStd/XIni.h>

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

std::uint64_t Bits(double d) {
  return std::bit_cast<std::uint64_t>(d);
}

// Every byte value once, and the bytes that need care in some order.
std::vector<std::string> TrickyTexts() {
  std::string all;
  for (int c = 0; c < 256; ++c)
    all += static_cast<char>(c);
  return {"",
          all,
          std::string("a\0b", 3),
          "\"quoted\" \\ back",
          "line\n",
          "\r\n\r",
          "trailing  ",
          "  leading",
          "\n\n",
          "\xE2\x82\xAC",
          "\xFF\xC3",
          "# not a comment , = { } |"};
}

TEST(XIniFormat, WritesACameraDocumentOneEntryPerLine) {
  TLxXIniWriter w;
  w.WriteS("name", std::string("RC-1"));
  w.WriteLongStringSE("description", "Aerial camera.\nCalibrated twice.");
  w.WriteS("focus", 120.0);
  const auto pp = w.BeginSectionCompactSE("principal_point");
  w.WriteS(lx::s_x, 0.0);
  w.WriteS(lx::s_y, -0.5);
  w.EndSection(pp);
  const auto io = w.BeginSectionSE("int_or");
  w.WriteS("type", std::string("Fiducials"));
  const auto list = w.BeginSectionSE("fiducials");
  const auto item = w.BeginSectionCompactSE("");
  w.WriteS("index", 1);
  w.EndSection(item);
  w.EndSection(list);
  w.EndSection(io);
  EXPECT_EQ(w.Text(),
            "name = \"RC-1\"\n"
            "description = |\n"
            "  | Aerial camera.\n"
            "  | Calibrated twice.\n"
            "focus = 120\n"
            "principal_point { x = 0, y = -0.5 }\n"
            "int_or {\n"
            "  type = \"Fiducials\"\n"
            "  fiducials {\n"
            "    { index = 1 }\n"
            "  }\n"
            "}\n");
}

TEST(XIniFormat, RoundTripsNumbersBitForBit) {
  const double doubles[] = {0.0,
                            -0.0,
                            0.1,
                            -1.0 / 3.0,
                            120.0,
                            1e300,
                            std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::lowest(),
                            std::numeric_limits<double>::denorm_min(),
                            std::numeric_limits<double>::min(),
                            std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::quiet_NaN(),
                            -std::numeric_limits<double>::quiet_NaN(),
                            std::numeric_limits<double>::signaling_NaN(),
                            std::bit_cast<double>(std::uint64_t{0xFFF0000000000001}),
                            std::bit_cast<double>(std::uint64_t{0x7FFFFFFFFFFFFFFF})};
  const int ints[] = {0, -1, 1, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};
  const std::uint64_t u64s[] = {0, 1, std::numeric_limits<std::uint64_t>::max()};
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
    EXPECT_EQ(Bits(r.ReadE<double>(pos++)), Bits(d)) << w.Text();
  for (int i : ints)
    EXPECT_EQ(r.ReadE<int>(pos++), i);
  for (std::uint64_t u : u64s)
    EXPECT_EQ(r.ReadE<std::uint64_t>(pos++), u);
}

TEST(XIniFormat, RoundTripsRandomDoublesBitForBit) {
  std::mt19937_64 rng(20240611);
  std::vector<double> values;
  TLxXIniWriter w;
  for (int i = 0; i < 5000; ++i) {
    values.push_back(std::bit_cast<double>(rng()));
    w.WriteS("", values.back());
  }
  TLxXIniReader r(w.Text());
  for (std::size_t i = 0; i < values.size(); ++i)
    ASSERT_EQ(Bits(r.ReadE<double>(i)), Bits(values[i])) << i;
}

TEST(XIniFormat, RoundTripsTextsAndNamesOfAnyBytes) {
  TLxXIniWriter w;
  for (const std::string& t : TrickyTexts()) {
    w.WriteS(t, t);
    w.WriteLongStringSE(t, t);
    const auto h = w.BeginSectionCompactSE(t);
    w.WriteLongStringSE(t, t);
    w.EndSection(h);
  }
  const std::string text = w.Text();
  TLxXIniReader r(text);
  std::uint64_t pos = 0;
  for (const std::string& t : TrickyTexts()) {
    EXPECT_EQ(r.NameAt(pos), t);
    EXPECT_EQ(r.ReadE<std::string>(pos++), t);
    EXPECT_EQ(r.NameAt(pos), t);
    EXPECT_EQ(r.ReadE<std::string>(pos++), t);
    const auto h = r.EnterSectionE(pos++);
    EXPECT_EQ(r.ReadLongStringSE(t), t);
    r.LeaveSectionE(h);
  }
  EXPECT_FALSE(r.HasEntry(pos));
}

TEST(XIniFormat, StaysValidUtf8WithOneEntryPerLine) {
  TLxXIniWriter w;
  for (const std::string& t : TrickyTexts())
    w.WriteS(t, t);
  const std::string text = w.Text();
  std::size_t lines = 0;
  for (unsigned char c : text) {
    lines += c == '\n';
    EXPECT_TRUE(c == '\n' || c >= 0x20) << static_cast<int>(c);
  }
  EXPECT_EQ(lines, TrickyTexts().size());
  EXPECT_EQ(text.find("\xFF"), std::string::npos);
}

// Copies a document whose value types are known from the key's first letter.
void Copy(TLxXIniReader& r, TLxXIniWriter& w) {
  for (std::uint64_t pos = 0; r.HasEntry(pos); ++pos) {
    const std::string name(r.NameAt(pos));
    if (r.IsSectionAt(pos)) {
      const auto in = r.EnterSectionE(pos);
      const auto out = w.BeginSectionSE(name);
      Copy(r, w);
      w.EndSection(out);
      r.LeaveSectionE(in);
    } else if (name.starts_with("t")) {
      w.WriteLongStringSE(name, r.ReadE<std::string>(pos));
    } else {
      w.WriteS(name, r.ReadE<double>(pos));
    }
  }
}

TEST(XIniFormat, WritingWhatWasReadGivesTheSameBytes) {
  TLxXIniWriter first;
  first.WriteLongStringSE("text", "one\ntwo\r\nthree \n");
  first.WriteS("d", 0.30000000000000004);
  const auto s = first.BeginSectionSE("");
  first.WriteS("d", -std::numeric_limits<double>::signaling_NaN());
  const auto inner = first.BeginSectionSE("s p a c e");
  first.WriteLongStringSE("t", "");
  first.EndSection(inner);
  first.EndSection(s);
  TLxXIniReader r(first.Text());
  TLxXIniWriter second;
  Copy(r, second);
  EXPECT_EQ(second.Text(), first.Text());
}

}  // namespace
