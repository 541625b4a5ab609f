#pragma once

// What the import fuzz targets check: any bytes either import or raise
// TExchangeError (nothing else escapes, nothing crashes or hangs), and an
// imported camera exports to its own format without any other error.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include <LxCameraUtils/Exchange.h>

namespace lxfuzz {

inline int CheckImport(TExchangeFormat format, const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TExchangeImportOptions options;
  options.image_width = 640;  // for files that state no size
  options.image_height = 480;
  TExchangeImport imported;
  try {
    imported = ImportCameraE(format, text, options);
  } catch (const TExchangeError&) {
    return 0;
  }
  try {
    ExportCameraE(format, imported.camera, {});
  } catch (const TExchangeError&) {
  }
  return 0;
}

}  // namespace lxfuzz
