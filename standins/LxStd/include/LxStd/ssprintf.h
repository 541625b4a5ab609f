#pragma once

#include <cstdarg>
#include <string>

#include <LxStd/Export.h>

namespace Kelvora {

// printf-style formatting into a string of any length. The compiler checks the
// arguments against the format.
LXSTD_API std::string ssprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The same with an argument list; `args` is consumed.
LXSTD_API std::string vssprintf(const char* format, std::va_list args)
    __attribute__((format(printf, 1, 0)));

}  // namespace Kelvora
