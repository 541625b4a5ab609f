#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "outside/WinApi.h"

using namespace lxcu::internal;

namespace {

std::string Utf8(const std::u16string& wide, int capacity = 256) {
  std::string out(static_cast<std::size_t>(capacity), '\0');
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, out.data(), capacity, nullptr, nullptr);
  out.resize(n > 0 ? static_cast<std::size_t>(n - 1) : 0);  // drop the converted terminator
  return out;
}

}  // namespace

TEST(WideCharToMultiByte, EncodesUtf16AsUtf8) {
  EXPECT_EQ(Utf8(u"plain"), "plain");
  EXPECT_EQ(Utf8(u"K\u00e4mera \u03a9"), "K\xC3\xA4mera \xCE\xA9");
  EXPECT_EQ(Utf8(u"\U0001F4F7"), "\xF0\x9F\x93\xB7");  // a surrogate pair
  EXPECT_EQ(Utf8(std::u16string(1, char16_t{0xD800}) + u"x"), "\xEF\xBF\xBDx");
}

TEST(WideCharToMultiByte, WritesNothingWhenTheResultDoesNotFit) {
  char out[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00e4\u00e4", -1, out, 4, nullptr, nullptr), 0);
  EXPECT_EQ(std::string(out, 4), "abcd");
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00e4\u00e4", -1, nullptr, 0, nullptr, nullptr), 5);
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"x", -1, out, 4, nullptr, nullptr), 0);
}

TEST(GetModuleHandleA, FindsLoadedObjectsByTheirPlatformName) {
  EXPECT_NE(GetModuleHandleA("c.dll"), nullptr);  // libc.so.6
  EXPECT_EQ(GetModuleHandleA("NoSuchModule.dll"), nullptr);
  EXPECT_EQ(GetModuleHandleA(nullptr), nullptr);
}

TEST(GetModuleFileNameW, GivesTheExecutableForANullHandle) {
  char16_t buffer[4096];
  const DWORD n = GetModuleFileNameW(nullptr, buffer, 4096);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(Utf8(std::u16string(buffer, n), 4096),
            std::filesystem::canonical("/proc/self/exe").string());
}

TEST(GetModuleFileNameW, CutsALongPathToTheBuffer) {
  char16_t buffer[5];
  EXPECT_EQ(GetModuleFileNameW(GetModuleHandleA("c.dll"), buffer, 5), 4u);
  EXPECT_EQ(buffer[4], u'\0');
  EXPECT_EQ(buffer[0], u'/');
}
