#include "outside/WinApi.h"

#include <link.h>
#include <unistd.h>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace lxcu::internal {
namespace {

struct TLoadedObject {
  HMODULE handle = nullptr;
  std::string path;
};

// The handle of a loaded object is the address of its first loaded segment:
// never null, and stable while the object stays loaded.
HMODULE HandleOf(const dl_phdr_info& info) {
  for (int i = 0; i < info.dlpi_phnum; ++i)
    if (info.dlpi_phdr[i].p_type == PT_LOAD)
      return reinterpret_cast<HMODULE>(info.dlpi_addr + info.dlpi_phdr[i].p_vaddr);
  return nullptr;
}

std::string ExecutablePath() {
  std::string path(PATH_MAX, '\0');
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < path.size()) {
      path.resize(static_cast<std::size_t>(n));
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::string_view BaseName(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// "STEM.EXT" names "STEM.EXT" itself and the platform's "libSTEM.so[.N...]".
bool NamesObject(std::string_view wanted, std::string_view file) {
  if (file == wanted) return true;
  const std::size_t dot = wanted.find_last_of('.');
  const std::string_view stem = wanted.substr(0, dot);
  const std::string platform = "lib" + std::string(stem) + ".so";
  if (!file.starts_with(platform)) return false;
  const std::string_view rest = file.substr(platform.size());
  return rest.empty() || rest.front() == '.';
}

template <typename Match>
bool FindObject(Match match, TLoadedObject& found) {
  struct TSearch {
    Match* match;
    TLoadedObject* found;
    bool hit;
  } search{&match, &found, false};
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* data) -> int {
        auto& s = *static_cast<TSearch*>(data);
        const char* name = info->dlpi_name;
        // The executable has an empty name; its file is /proc/self/exe.
        std::string path = (name == nullptr || name[0] == '\0') ? ExecutablePath() : name;
        if (!(*s.match)(HandleOf(*info), path)) return 0;
        s.found->handle = HandleOf(*info);
        s.found->path = std::move(path);
        s.hit = true;
        return 1;
      },
      &search);
  return search.hit;
}

std::string Canonical(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::string out = resolved;
  std::free(resolved);
  return out;
}

// Decodes one UTF-8 sequence at `i` and steps past it; a malformed sequence
// yields U+FFFD for its first byte.
char32_t DecodeUtf8(std::string_view s, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  const int extra = (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : 0;
  constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  bool ok = extra > 0 && i + extra < s.size();
  char32_t cp = lead & (0x3Fu >> extra);
  for (int k = 1; ok && k <= extra; ++k) {
    ok = (byte(i + k) & 0xC0) == 0x80;
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  ok = ok && cp >= kMin[extra] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
  i += ok ? static_cast<std::size_t>(extra) + 1 : 1;
  return ok ? cp : U'\uFFFD';
}

std::u16string ToUtf16(std::string_view s) {
  std::u16string out;
  for (std::size_t i = 0; i < s.size();) {
    const char32_t cp = DecodeUtf8(s, i);
    if (cp >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string ToUtf8(std::u16string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = U'\uFFFD';
    }
    AppendUtf8(cp, out);
  }
  return out;
}

}  // namespace

HMODULE GetModuleHandleA(const char* module_name) {
  if (module_name == nullptr) return nullptr;
  const std::string_view wanted = module_name;
  TLoadedObject found;
  const bool hit = FindObject(
      [&](HMODULE, const std::string& path) { return NamesObject(wanted, BaseName(path)); }, found);
  return hit ? found.handle : nullptr;
}

DWORD GetModuleFileNameW(HMODULE module, char16_t* buffer, DWORD size) {
  if (buffer == nullptr || size == 0) return 0;
  std::string path;
  if (module == nullptr) {
    path = ExecutablePath();
  } else {
    TLoadedObject found;
    if (!FindObject([&](HMODULE handle, const std::string&) { return handle == module; }, found))
      return 0;
    path = Canonical(found.path);
  }
  std::u16string wide = ToUtf16(path);
  if (wide.size() >= size) wide.resize(size - 1);
  std::memcpy(buffer, wide.data(), wide.size() * sizeof(char16_t));
  buffer[wide.size()] = u'\0';
  return static_cast<DWORD>(wide.size());
}

int WideCharToMultiByte(UINT code_page, DWORD flags, const char16_t* src, int src_len, char* dst,
                        int dst_size, const char* default_char, BOOL* used_default_char) {
  if (code_page != CP_UTF8 || flags != 0 || src == nullptr || src_len == 0 || dst_size < 0 ||
      default_char != nullptr || used_default_char != nullptr)
    return 0;
  std::u16string_view view;
  if (src_len < 0) {
    std::size_t n = 0;
    while (src[n] != u'\0')
      ++n;
    view = std::u16string_view(src, n + 1);  // the terminator is converted too
  } else {
    view = std::u16string_view(src, static_cast<std::size_t>(src_len));
  }
  const std::string utf8 = ToUtf8(view);
  if (utf8.size() > static_cast<std::size_t>(INT_MAX)) return 0;
  const int needed = static_cast<int>(utf8.size());
  if (dst_size == 0) return needed;
  if (dst == nullptr || needed > dst_size) return 0;
  std::memcpy(dst, utf8.data(), utf8.size());
  return needed;
}

}  // namespace lxcu::internal
