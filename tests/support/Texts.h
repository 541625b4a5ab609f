#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

// Empty when `a` and `b` are the same bytes, else their sizes and the first
// byte where they differ: a failure message that stays short however large
// the texts are.
inline std::string TextDifference(std::string_view a, std::string_view b) {
  if (a == b) return {};
  const std::size_t at = static_cast<std::size_t>(
      std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
  const auto around = [at](std::string_view t) {
    return std::string(t.substr(at < 20 ? 0 : at - 20, 40));
  };
  return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) +
         ", first difference at byte " + std::to_string(at) + ": \"" + around(a) + "\" / \"" +
         around(b) + "\"";
}

// `text` with its first `from` replaced by `to`; a `from` not there fails the test.
inline std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}
