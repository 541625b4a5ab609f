// Any bytes: the parser accepts them or raises with line and column, and a
// parsed document answers every question about every entry consistently.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "Reliability.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::optional<TLxXIniReader> reader;
  try {
    reader.emplace(text);
  } catch (const TLxXIniError& e) {
    lxrel::Require(std::string_view(e.what()).starts_with("line ") ? ""
                                                                   : "syntax error without a line");
    return 0;
  }
  lxrel::Require(lxrel::CheckTraversal(*reader));
  return 0;
}
