#include <LxCameraUtils/IntOrMeas.h>

#include <algorithm>
#include <cstddef>

#include "module/ModuleRecord.h"

using lxcu::internal::ModuleRecord;

namespace {

// Marks a measurement of each camera type may hold (Verify) and must hold
// (IntOrReady); fiducial cameras are counted against their own layout instead.
constexpr std::size_t MarkCount(TCameraType type) {
  switch (type) {
    case ctPrincipalPoint:
      return 1;
    case ctCross:
    case ctCalibratedCross:
      return 4;
    default:
      return 0;
  }
}

bool Fail(std::string* message, const char* key) {
  if (message != nullptr) *message = ModuleRecord().UserText(key);
  return false;
}

bool HasFiducial(const TLxCameraInfo& camera, std::int32_t index) {
  return std::any_of(camera.fiducials.begin(), camera.fiducials.end(),
                     [&](const TFiducial& f) { return f.index == index; });
}

std::size_t MeasuredFiducials(const TLxCameraInfo& camera, const std::vector<TMeasPoint>& points) {
  return static_cast<std::size_t>(
      std::count_if(camera.fiducials.begin(), camera.fiducials.end(), [&](const TFiducial& f) {
        return std::any_of(points.begin(), points.end(),
                           [&](const TMeasPoint& p) { return p.index == f.index; });
      }));
}

}  // namespace

bool TLxIntOrMeas::Verify(const TLxCameraInfo& camera, std::string* message) const {
  if (camera_type < ctPrincipalPoint || camera_type > ctDigital)
    return Fail(message, "global.Err_MeasurementsNotPerformed");
  if (camera_type != camera.type) return Fail(message, "global.Err_MeasTypeMismatch");
  if (camera_type == ctFiducials) {
    for (const TMeasPoint& p : points)
      if (!HasFiducial(camera, p.index)) return Fail(message, "global.Err_FidMeasMismatchCamera");
    return true;
  }
  if (points.size() > MarkCount(camera_type)) return Fail(message, "global.Err_FidMeasTooMany");
  return true;
}

bool TLxIntOrMeas::IntOrReady(const TLxCameraInfo& camera, std::string* message) const {
  if (!Verify(camera, message)) return false;
  if ((camera_type == ctPrincipalPoint || camera_type == ctDigital) && rotation == crInvalid)
    return Fail(message, "global.Err_InvalidCamRotate");
  if (camera_type == ctFiducials) {
    const std::size_t measured = MeasuredFiducials(camera, points);
    if (camera.fiducials.empty() || measured < 2) return Fail(message, "global.Err_NFidLessMin");
    if (measured < camera.fiducials.size() && message != nullptr)
      *message = ModuleRecord().UserText("global.Warn_NotAllFidMeasured");
  } else if (points.size() != MarkCount(camera_type)) {
    return Fail(message, "global.Err_NFidLessMin");
  }
  if (camera_type == ctPrincipalPoint || camera_type == ctCross) {
    // Asked as 0 >= v, so a NaN component is not taken for a bad one.
    if (0.0 >= scan_resolution.x || 0.0 >= scan_resolution.y)
      return Fail(message, "global.Err_IncorrectResolution");
    if (resolution_units != ruMm && resolution_units != ruDpi)
      return Fail(message, "global.Err_UnitsNotSpecified");
  }
  return true;
}
