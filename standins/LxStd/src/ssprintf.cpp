#include <LxStd/ssprintf.h>

#include <cstdio>

namespace Kelvora {

std::string vssprintf(const char* format, std::va_list args) {
  std::va_list measure;
  va_copy(measure, args);
  const int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length <= 0) return {};
  std::string out(static_cast<std::size_t>(length), '\0');
  // vsnprintf writes the terminating zero into the string's own spare byte.
  std::vsnprintf(out.data(), out.size() + 1, format, args);
  return out;
}

std::string ssprintf(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::string out = vssprintf(format, args);
  va_end(args);
  return out;
}

}  // namespace Kelvora
