#include <LxCameraUtils/lxcu/Fit.h>

#include <utility>

#include "geometry/GeometryInternal.h"

namespace lxcu {

namespace {

FitResult Result(internal::TApproximation a) {
  FitResult r;
  if (a.refusal != nullptr) {
    r.reason = a.refusal;
    return r;
  }
  r.done = a.copied ? FitResult::Done::Copied : FitResult::Done::Fitted;
  r.distortion = std::move(a.distortion);
  r.radius_mm = a.radius_mm;
  r.max_error_mm = a.max_error_mm;
  r.reason = a.reason;
  return r;
}

}  // namespace

FitResult FitDistortion(const TLx2DTransform& transform, TDistortionType type,
                        const TLxCameraInfo& camera, double radius_mm) {
  return Result(internal::ApproxFromTransform(transform, type, camera, radius_mm, true));
}

FitResult ConvertDistortion(const TLxCameraInfo& camera, TDistortionType type, double radius_mm) {
  return Result(internal::ApproxFromCamera(type, camera, radius_mm, true));
}

}  // namespace lxcu
