#pragma once

// Number texts of documents. Locale-independent (std::to_chars/from_chars) and
// exact: every value reads back bit for bit, NaN payloads and signs included.

#include <cstdint>
#include <string>
#include <string_view>

namespace lx::xini {

void AppendNumber(std::string& out, int value);
void AppendNumber(std::string& out, std::uint64_t value);
// Shortest round-trip form; "inf", "-inf", "nan" (the default quiet NaN) or
// "nan(0x<mantissa>)", with a leading "-" when the sign bit is set.
void AppendNumber(std::string& out, double value);

enum class NumberStatus { Ok, Invalid, OutOfRange };

// The whole of `text` must be the number; no leading '+' or blanks.
NumberStatus ParseNumber(std::string_view text, int& out);
NumberStatus ParseNumber(std::string_view text, std::uint64_t& out);
// Accepts integers and decimal or exponent forms, and the forms written above.
NumberStatus ParseNumber(std::string_view text, double& out);

}  // namespace lx::xini
