#pragma once

// Between the formats' FileCamera and camera records.

#include <string>

#include "FileCamera.h"
#include "Formats.h"

namespace lxcu::internal {

// The record of a file's camera: exact where the formula record holds the
// file's model, else fitted to it over the image; the report says which.
TExchangeImport ImportFileCamera(FileCamera camera, const TExchangeImportOptions& options,
                                 const std::string& format);

// `camera` with the distortion `formula` (of `model`'s shape) as the format
// stores it, before the format's own pixel origin and naming.
FileCamera ToFileCamera(const TLxCameraInfo& camera, const TLxCameraDistortion& formula,
                        const FormatModel& model);

}  // namespace lxcu::internal
