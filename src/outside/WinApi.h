#pragma once

// The three platform calls the start-up makes to find this library's own file,
// with the behaviour the start-up expects, built on the platform's loader.

#include <cstdint>

namespace lxcu::internal {

using HMODULE = const void*;  // null: the host's executable
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using BOOL = int;

inline constexpr UINT CP_UTF8 = 65001;

// The loaded object whose file name is `module_name` ("STEM.EXT"), or the
// platform's form of it ("libSTEM.so", also with a version suffix such as
// "libSTEM.so.1"). Null when none is loaded or `module_name` is null. Adds no
// reference to the object.
HMODULE GetModuleHandleA(const char* module_name);

// Writes the full path of `module` (null: the executable) as UTF-16 into
// `buffer` of `size` units. A path that does not fit is cut to size - 1 units.
// Returns the number of units written without the terminating zero; 0 when the
// handle names no loaded object or size is 0.
DWORD GetModuleFileNameW(HMODULE module, char16_t* buffer, DWORD size);

// Converts UTF-16 to UTF-8 (`code_page` must be CP_UTF8, `flags` 0). `src_len`
// -1 reads up to and including the terminating zero. Unpaired surrogates become
// U+FFFD. Returns the bytes written, or the bytes needed when `dst_size` is 0;
// 0 when the result does not fit (nothing is written then) or on bad arguments.
int WideCharToMultiByte(UINT code_page, DWORD flags, const char16_t* src, int src_len, char* dst,
                        int dst_size, const char* default_char, BOOL* used_default_char);

}  // namespace lxcu::internal
