// Any document that parses: writing what it holds, reading that and writing
// it again gives the same bytes.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Reliability.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    TLxXIniReader{text};
  } catch (const TLxXIniError&) {
    return 0;
  }
  lxrel::Require(lxrel::CheckRewriteStable(text));
  return 0;
}
