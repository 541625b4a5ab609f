#include "xini/Numbers.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace lx::xini {

namespace {

constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;
constexpr std::uint64_t kExponentBits = std::uint64_t{0x7FF} << 52;
constexpr std::uint64_t kMantissaBits = (std::uint64_t{1} << 52) - 1;
// Mantissa of the NaN that arithmetic produces by default.
constexpr std::uint64_t kQuietNanMantissa = std::uint64_t{1} << 51;

template <typename T>
void AppendChars(std::string& out, T value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

template <typename T>
NumberStatus FromChars(std::string_view text, T& out) {
  if (text.empty()) return NumberStatus::Invalid;
  const char* const end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, out);
  if (result.ec == std::errc::result_out_of_range && result.ptr == end)
    return NumberStatus::OutOfRange;
  if (result.ec != std::errc{} || result.ptr != end) return NumberStatus::Invalid;
  return NumberStatus::Ok;
}

// "nan" or "nan(0x<hex>)" after the sign.
NumberStatus ParseNan(std::string_view text, std::uint64_t sign, double& out) {
  std::uint64_t mantissa = kQuietNanMantissa;
  if (text != "nan") {
    constexpr std::string_view kOpen = "nan(0x";
    if (!text.starts_with(kOpen) || !text.ends_with(')') || text.size() == kOpen.size() + 1)
      return NumberStatus::Invalid;
    const std::string_view hex = text.substr(kOpen.size(), text.size() - kOpen.size() - 1);
    const char* const end = hex.data() + hex.size();
    const auto result = std::from_chars(hex.data(), end, mantissa, 16);
    if (result.ec != std::errc{} || result.ptr != end) return NumberStatus::Invalid;
    if (mantissa == 0 || mantissa > kMantissaBits) return NumberStatus::Invalid;
  }
  out = std::bit_cast<double>(sign | kExponentBits | mantissa);
  return NumberStatus::Ok;
}

}  // namespace

void AppendNumber(std::string& out, int value) {
  AppendChars(out, value);
}

void AppendNumber(std::string& out, std::uint64_t value) {
  AppendChars(out, value);
}

void AppendNumber(std::string& out, double value) {
  if (!std::isnan(value)) {
    if (std::isinf(value))
      out += value < 0 ? "-inf" : "inf";
    else
      AppendChars(out, value);
    return;
  }
  const auto bits = std::bit_cast<std::uint64_t>(value);
  if (bits & kSignBit) out += '-';
  out += "nan";
  const std::uint64_t mantissa = bits & kMantissaBits;
  if (mantissa == kQuietNanMantissa) return;
  out += "(0x";
  char buffer[16];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, mantissa, 16);
  out.append(buffer, result.ptr);
  out += ')';
}

NumberStatus ParseNumber(std::string_view text, int& out) {
  return FromChars(text, out);
}

NumberStatus ParseNumber(std::string_view text, std::uint64_t& out) {
  return FromChars(text, out);
}

NumberStatus ParseNumber(std::string_view text, double& out) {
  std::uint64_t sign = 0;
  std::string_view body = text;
  if (body.starts_with('-')) {
    sign = kSignBit;
    body.remove_prefix(1);
  }
  if (!body.empty() && body.front() == 'n') return ParseNan(body, sign, out);
  if (body == "inf") {
    out = sign ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    return NumberStatus::Ok;
  }
  // from_chars would take other spellings of infinity and NaN; only ours count.
  if (body.empty() || !((body.front() >= '0' && body.front() <= '9') || body.front() == '.'))
    return NumberStatus::Invalid;
  return FromChars(text, out);
}

}  // namespace lx::xini
