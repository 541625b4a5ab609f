#pragma once

#include <LxCameraUtils/CameraDistortion.h>

namespace lxcu::internal {

// The largest finite radius (mm) of the tables `distortion.type` uses (both
// for dtDirected8); 0 for the other types and for tables without a positive
// finite radius.
double LargestTableRadius(const TLxCameraDistortion& distortion) noexcept;

}  // namespace lxcu::internal
