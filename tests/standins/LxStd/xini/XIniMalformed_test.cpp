#include <LxStd/XIni.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <pthread.h>

#include <clocale>
#include <limits>
#include <string>

using ::testing::ThrowsMessage;

namespace {

TEST(XIniMalformed, SyntaxErrorsGiveLineAndColumn) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"a = 1\nb = 2\n  name = \"abc\n", "line 3, column 10: unterminated text value"},
      {"a = \"x\\q\"", "line 1, column 7: unknown escape sequence \\q"},
      {"a = \"\\x4\"", "line 1, column 6: \\x must be followed by two hex digits"},
      {"a = \"\x01\"", "line 1, column 6: control byte 0x01 in a text value (write it as \\x01)"},
      {"a =\n", "line 1, column 4: missing value after '='"},
      {"a = 1 2", "line 1, column 7: expected ',' or a line end after the entry, found '2'"},
      {"}\n", "line 1, column 1: '}' without an open section"},
      {"s {\n  a = 1\n", "line 3, column 1: unterminated section \"s\" opened at line 1"},
      {"| text", "line 1, column 1: block text line '|' without a block text header 'key = |'"},
      {"t = | x", "line 1, column 7: expected a line end after the block text header '|'"},
      {"t = |\n  |x", "line 2, column 4: expected ' ' or '\"' after '|' in a block text"},
      {"t = |\n  |\"a\" b",
       "line 2, column 8: expected a line end after the quoted block text line"},
      {"a = 1\n\x01", "line 2, column 1: unexpected byte 0x01"},
  };
  for (const auto& c : cases)
    EXPECT_THAT([&] { TLxXIniReader r(c.text); }, ThrowsMessage<TLxXIniError>(c.message)) << c.text;
}

// Reads every value of the current section and below as text or as double.
void Traverse(TLxXIniReader& r) {
  for (std::uint64_t pos = 0; r.HasEntry(pos); ++pos) {
    if (const auto h = r.EnterSection(pos)) {
      Traverse(r);
      r.LeaveSectionE(h);
      continue;
    }
    try {
      r.ReadE<std::string>(pos);
    } catch (const TLxXIniError&) {
      EXPECT_THROW(r.ReadE<std::string>(pos), TLxXIniError);
    }
    try {
      r.ReadE<double>(pos);
    } catch (const TLxXIniError&) {
    }
  }
}

TEST(XIniMalformed, EveryTruncationIsAnErrorOrAShorterDocument) {
  TLxXIniWriter w;
  w.WriteS("name", std::string("a \"b\" \\ \xE2\x82\xAC \x01"));
  w.WriteLongStringSE("description", "one\n two \nthree\r");
  const auto s = w.BeginSectionSE("int_or");
  const auto list = w.BeginSectionSE("fiducials");
  const auto item = w.BeginSectionCompactSE("");
  w.WriteS("index", -12);
  const auto p = w.BeginSectionCompactSE("coords_cam");
  w.WriteS(lx::s_x, -std::numeric_limits<double>::quiet_NaN());
  w.WriteS(lx::s_y, 1e-300);
  w.EndSection(p);
  w.EndSection(item);
  w.EndSection(list);
  w.EndSection(s);
  const std::string text = w.Text();
  std::size_t parsed = 0;
  for (std::size_t n = 0; n <= text.size(); ++n) {
    try {
      TLxXIniReader r(text.substr(0, n));
      Traverse(r);
      ++parsed;
    } catch (const TLxXIniError&) {
    }
  }
  EXPECT_GT(parsed, 2u);
  EXPECT_LT(parsed, text.size());
}

void* ParseDeepNesting(void* result) {
  try {
    TLxXIniReader r(std::string(100000, '{') + std::string(100000, '}'));
  } catch (const TLxXIniError& e) {
    *static_cast<std::string*>(result) = e.what();
  }
  return nullptr;
}

TEST(XIniMalformed, DeepNestingFailsCleanlyOnASmallStack) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 1 << 20);
  std::string message;
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attr, ParseDeepNesting, &message), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
  EXPECT_EQ(message, "line 1, column 1001: sections nested deeper than 1000 levels");
  const std::string limit = std::string(kXIniMaxDepth, '{') + std::string(kXIniMaxDepth, '}');
  EXPECT_NO_THROW(TLxXIniReader{limit});
}

TEST(XIniMalformed, NumbersIgnoreTheLocale) {
  const std::string old = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE"))
    GTEST_SKIP() << "no German locale installed";
  TLxXIniWriter w;
  w.WriteS("d", 1.5);
  TLxXIniReader r(w.Text());
  const double read = r.ReadE<double>(0);
  std::setlocale(LC_ALL, old.c_str());
  EXPECT_EQ(w.Text(), "d = 1.5\n");
  EXPECT_EQ(read, 1.5);
}

}  // namespace
