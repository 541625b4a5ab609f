#include <LxCameraUtils/CameraGeometry.h>

using var_a_legacy::make_var_a;
using var_a_legacy::var_a;

namespace {

using Holder = var_a<TLx2DTransform*>;

// The shift by `by` with `model` (may be empty), the shift first or last: the
// cheapest transform object that computes it.
Holder ShiftAndModel(const vec_t_<double, 2>& by, Holder model, bool shift_first) {
  // Exact tests: −0.0 counts as zero, NaN does not.
  const bool no_shift = by.x == 0.0 && by.y == 0.0;
  if (!model) {
    if (no_shift) return make_var_a<TLx2DTransform, TUnityTransform>();
    return make_var_a<TLx2DTransform, TAffineTransform>(1.0, 0.0, by.x, 0.0, 1.0, by.y);
  }
  if (no_shift) return model;
  // The combined transform keeps copies of both members.
  auto combined = make_var_a<TCombinedTransform>();
  const TAffineTransform shift(1.0, 0.0, by.x, 0.0, 1.0, by.y);
  if (shift_first) combined->AddTransform(shift);
  combined->AddTransform(*model);
  if (!shift_first) combined->AddTransform(shift);
  return combined;
}

// The model about the principal point, taken the record's way or the other.
Holder Distortion(const TLxCameraInfo& camera, bool reversed) {
  using D = TLxCameraDistortion;
  const vec_t_<double, 2> centre = camera.distortion.symmetry_point - camera.principal_point;
  if (!reversed) return CreateCameraDistortionTransform(camera.distortion, centre, camera.focus);
  D other = camera.distortion;  // a copy only for the rarer way back
  other.direction = other.direction == D::dirMmToCam ? D::dirCamToMm : D::dirMmToCam;
  return CreateCameraDistortionTransform(other, centre, camera.focus);
}

}  // namespace

// The model works about the principal point, so the shift goes first.
Holder CreateCamToMmTransform(const TLxCameraInfo& camera) {
  const vec_t_<double, 2> pp = camera.principal_point;
  return ShiftAndModel({-pp.x, -pp.y}, Distortion(camera, false), true);
}

Holder CreateMmToCamTransform(const TLxCameraInfo& camera) {
  return ShiftAndModel(camera.principal_point, Distortion(camera, true), false);
}
