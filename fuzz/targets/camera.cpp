// Any document as a camera: the strict load changes nothing or loads a record
// that saves and loads back to the same bytes; the lenient load agrees with
// the strict one wherever that succeeds.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Reliability.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const lxrel::LoadOutcome strict =
      lxrel::CheckLoad(text, lxrel::CameraLoader(), lxrel::Sections::Optional);
  lxrel::Require(strict.violation);
  const lxrel::LoadOutcome lenient =
      lxrel::CheckLoad(text, lxrel::CameraLenientLoader(), lxrel::Sections::Optional);
  lxrel::Require(lenient.violation);
  if (strict.loaded)
    lxrel::Require(lenient.loaded && lenient.bits == strict.bits ? "" : "Load differs from LoadE");
  return 0;
}
