#include <LxCameraUtils/IntOrMeas.h>

#include <utility>

TLxIntOrMeas::TLxIntOrMeas(TLxIntOrMeas&& other) noexcept
    : camera_type(other.camera_type),
      points(std::move(other.points)),
      scan_resolution(other.scan_resolution),
      resolution_units(other.resolution_units),
      rotation(other.rotation),
      transform_type(other.transform_type) {
  other.points.clear();
}

TLxIntOrMeas& TLxIntOrMeas::operator=(TLxIntOrMeas&& other) noexcept {
  if (this == &other) return *this;
  camera_type = other.camera_type;
  points = std::move(other.points);
  other.points.clear();
  scan_resolution = other.scan_resolution;
  resolution_units = other.resolution_units;
  rotation = other.rotation;
  transform_type = other.transform_type;
  return *this;
}
