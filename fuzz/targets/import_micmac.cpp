// Any bytes as a MicMac calibration XML: imported or refused with TExchangeError.

#include "ImportCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return lxfuzz::CheckImport(efMicMac, data, size);
}
