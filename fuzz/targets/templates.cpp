// Any document as a mark-template set: the load changes nothing or loads a record
// that saves and loads back to the same bytes.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Reliability.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  lxrel::Require(
      lxrel::CheckLoad(text, lxrel::TemplatesLoader(), lxrel::Sections::Optional).violation);
  return 0;
}
