#include "Text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace lxcu::internal {

void Fail(const std::string& message, int line) {
  throw TExchangeError(message, line);
}

double ParseNumber(std::string_view text, const std::string& what, int line) {
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  double value = 0.0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || ec != std::errc{} || end != digits.data() + digits.size() ||
      !std::isfinite(value))
    Fail(what + ": \"" + std::string(text) + "\" is not a finite number", line);
  return value;
}

std::uint64_t ParseCount(std::string_view text, const std::string& what, int line) {
  std::uint64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc{} || end != text.data() + text.size())
    Fail(what + ": \"" + std::string(text) + "\" is not a whole number", line);
  return value;
}

std::vector<double> ParseNumbers(std::string_view text, const std::string& what, int line) {
  std::vector<double> values;
  constexpr std::string_view kSpace = " \t\r\n";
  for (std::size_t pos = text.find_first_not_of(kSpace); pos != std::string_view::npos;) {
    const std::size_t end = std::min(text.find_first_of(kSpace, pos), text.size());
    values.push_back(ParseNumber(text.substr(pos, end - pos), what, line));
    pos = text.find_first_not_of(kSpace, end);
  }
  return values;
}

std::string Shortest(double value) {
  if (value == 0.0) value = 0.0;  // no "-0"
  char buf[32];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, res.ptr);
}

std::string Fixed(double value, int decimals) {
  char buf[352];  // room for the largest double in fixed notation
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  return std::string(buf, res.ptr);
}

int LineAt(std::string_view text, std::size_t offset) {
  offset = std::min(offset, text.size());
  return 1 +
         static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(offset), '\n'));
}

std::string CameraTypeText(TCameraType type) {
  try {
    return CameraTypeToTextE(type);
  } catch (const std::runtime_error&) {
    return std::to_string(static_cast<int>(type));
  }
}

std::string JoinWords(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& w : words)
    text += (text.empty() ? "" : ", ") + w;
  return text;
}

}  // namespace lxcu::internal
