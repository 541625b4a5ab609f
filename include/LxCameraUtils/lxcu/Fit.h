#pragma once

// Fitting and converting lens distortion with a result that says what was done.

#include <LxCameraUtils/CameraDistortion.h>
#include <LxCameraUtils/CameraEnums.h>
#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/Export.h>
#include <LxStd/Transform2D.h>

#include <string>

namespace lxcu {

struct FitResult {
  enum class Done {
    Refused,  // nothing was made; `reason` says why
    Copied,   // the source's terms were copied exactly, without a fit
    Fitted,   // k1 r³ + k2 r⁵ + k3 r⁷ fitted by least squares up to radius_mm
  };
  Done done = Done::Refused;
  TLxCameraDistortion distortion;  // the record made; a default record when refused
  double radius_mm = 0.0;          // the radius fitted up to; 0 unless fitted
  double max_error_mm = 0.0;       // largest deviation from the source; 0 unless fitted
  std::string reason;              // English: why it was refused, copied or fitted

  explicit operator bool() const noexcept { return done != Done::Refused; }
};

// ApproxCameraDistortion with a transform (CameraGeometry.h): fits `type`
// (dtFormula or dtMixed) to `transform` up to `radius_mm`, with the same
// record, deviation and refusals. Only allocation failure throws.
LXCAMERAUTILS_API FitResult FitDistortion(const TLx2DTransform& transform, TDistortionType type,
                                          const TLxCameraInfo& camera, double radius_mm);

// ApproxCameraDistortion without a transform: camera.distortion expressed as
// `type`, copied where the target carries its terms, else fitted up to
// `radius_mm` (0: focus/2) or a table's last radius. Only allocation failure
// throws.
LXCAMERAUTILS_API FitResult ConvertDistortion(const TLxCameraInfo& camera, TDistortionType type,
                                              double radius_mm = 0.0);

}  // namespace lxcu
