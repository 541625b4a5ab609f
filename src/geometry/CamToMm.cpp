#include <LxCameraUtils/CameraGeometry.h>

using var_a_legacy::make_var_a;
using var_a_legacy::var_a;

var_a<TLx2DTransform*> CreateCamToMmTransform(const TLxCameraInfo& camera) {
  const vec_t_<double, 2> pp = camera.principal_point;
  const vec_t_<double, 2> center = camera.distortion.symmetry_point - pp;
  const var_a<TLx2DTransform*> distortion =
      CreateCameraDistortionTransform(camera.distortion, center, camera.focus);
  // Exact tests: −0.0 counts as zero, NaN does not.
  const bool no_shift = pp.x == 0.0 && pp.y == 0.0;

  if (!distortion) {
    if (no_shift) return make_var_a<TLx2DTransform, TUnityTransform>();
    return make_var_a<TLx2DTransform, TAffineTransform>(1.0, 0.0, -pp.x, 0.0, 1.0, -pp.y);
  }
  if (no_shift) return distortion;  // a second holder of the model; ours drops on return

  // The model works about the principal point, so the shift goes first. The
  // combined transform keeps copies of both members.
  auto combined = make_var_a<TCombinedTransform>();
  combined->AddTransform(TAffineTransform(1.0, 0.0, -pp.x, 0.0, 1.0, -pp.y));
  combined->AddTransform(*distortion);
  return combined;
}
