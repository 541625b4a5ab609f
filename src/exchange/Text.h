#pragma once

// Numbers and messages shared by the format readers and writers. Numbers are
// read and written without the locale: files of other tools always use a
// decimal point.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <LxCameraUtils/CameraEnums.h>
#include <LxCameraUtils/Exchange.h>

namespace lxcu::internal {

// Raises TExchangeError with `message` at `line` (0: no line).
[[noreturn]] void Fail(const std::string& message, int line = 0);

// The finite number that is all of `text` (a leading '+' allowed, no
// spaces); raises naming `what` otherwise.
double ParseNumber(std::string_view text, const std::string& what, int line = 0);
// The non-negative integer that is all of `text`; raises naming `what`.
std::uint64_t ParseCount(std::string_view text, const std::string& what, int line = 0);
// The numbers of a whitespace-separated list.
std::vector<double> ParseNumbers(std::string_view text, const std::string& what, int line = 0);

// The shortest text that reads back to `value` ("0.1", "-3.2e-06").
std::string Shortest(double value);

// Fixed-point text with `decimals` digits after the point ("0.0608").
std::string Fixed(double value, int decimals);

// The 1-based line of byte `offset` in `text`.
int LineAt(std::string_view text, std::size_t offset);

// The machine text of a camera type, or its number when it has none.
std::string CameraTypeText(TCameraType type);

// `words` joined by ", ".
std::string JoinWords(const std::vector<std::string>& words);

}  // namespace lxcu::internal
