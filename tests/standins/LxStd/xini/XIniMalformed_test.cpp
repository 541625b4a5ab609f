#include <LxStd/XIni.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <pthread.h>

#include <string>

using ::testing::ThrowsMessage;

namespace {

TEST(XIniMalformed, SyntaxErrorsGiveLineAndColumn) {
  using namespace std::string_literals;
  const struct {
    std::string text;
    const char* message;
  } cases[] = {
      {"v = 1\n\"\xFF\" = \"\xFF\n", "line 2, column 7: unterminated text value"},
      {"a = \"x\\q\"", "line 1, column 7: unknown escape sequence \\q"},
      {"a = \"\\x4\"", "line 1, column 6: \\x must be followed by two hex digits"},
      {"a = \"\x01\"", "line 1, column 6: control byte 0x01 in a text value (write it as \\x01)"},
      {"v = \"a\0b\""s, "line 1, column 7: control byte 0x00 in a text value (write it as \\x00)"},
      {"a =\n", "line 1, column 4: missing value after '='"},
      {"a = 1 2", "line 1, column 7: expected ',' or a line end after the entry, found '2'"},
      {"v\0 = 1"s, "line 1, column 2: expected ',' or a line end after the entry, found byte 0x00"},
      {"}\n", "line 1, column 1: '}' without an open section"},
      {"s {\n  a = 1\n", "line 3, column 1: unterminated section \"s\" opened at line 1"},
      {"| text", "line 1, column 1: block text line '|' without a block text header 'key = |'"},
      {"t = | x", "line 1, column 7: expected a line end after the block text header '|'"},
      {"t = |\n  |x", "line 2, column 4: expected ' ' or '\"' after '|' in a block text"},
      {"t = |\n  |\"a\" b",
       "line 2, column 8: expected a line end after the quoted block text line"},
      {"\0"s, "line 1, column 1: unexpected byte 0x00"},
      {"v = 1\nfocus = 153,214\n",
       "line 2, column 12: decimal comma in \"153,214\": numbers use a decimal point (153.214); "
       "separate list entries by \", \""},
      {"dr { 1, -0,5 }",
       "line 1, column 11: decimal comma in \"-0,5\": numbers use a decimal point (-0.5); "
       "separate list entries by \", \""},
  };
  for (const auto& c : cases)
    EXPECT_THAT([&] { TLxXIniReader r(c.text); }, ThrowsMessage<TLxXIniError>(c.message))
        << c.message;
}

std::string Nested(std::size_t depth) {
  std::string text;
  for (std::size_t i = 0; i < depth; ++i)
    text += "s { k = 1, ";
  return text + std::string(depth, '}');
}

void* ParseDeepNesting(void* result) {
  try {
    TLxXIniReader r(std::string(100000, '{') + std::string(100000, '}'));
  } catch (const TLxXIniError& e) {
    *static_cast<std::string*>(result) = e.what();
  }
  return nullptr;
}

TEST(XIniMalformed, SectionsNestToTheDepthLimitAndNoDeeperEvenOnASmallStack) {
  TLxXIniReader at_limit(Nested(kXIniMaxDepth));
  std::size_t depth = 0;
  while (at_limit.EnterSectionS("s") != 0)
    ++depth;
  EXPECT_EQ(depth, kXIniMaxDepth);
  EXPECT_THAT([] { TLxXIniReader r(Nested(kXIniMaxDepth + 1)); },
              ThrowsMessage<TLxXIniError>("line 1, column 11003: sections nested deeper than "
                                          "1000 levels"));

  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 1 << 20);
  std::string message;
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attr, ParseDeepNesting, &message), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
  EXPECT_EQ(message, "line 1, column 1001: sections nested deeper than 1000 levels");
}

}  // namespace
