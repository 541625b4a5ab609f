#include <LxCameraUtils/CameraGeometry.h>
#include <LxCameraUtils/IntOrSolution.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "geometry/ProjectiveTransform.h"

using var_a_legacy::make_var_a;
using var_a_legacy::var_a;
using Holder = var_a<TLx2DTransform*>;

namespace lxcu::internal {

namespace {

using P = vec_t_<double, 2>;

// A step this short holds the pixel to 1e-9 px even where the distortion
// bends lengths by several times (a real lens: by about 1e-3).
constexpr double kConvergedStepPx = 1e-10;
// Each step shrinks the error by about the distortion's departure from the
// identity; from the model's own inverse one step usually suffices.
constexpr int kMaxSteps = 8;
// Points per block: the working arrays stay in L1 while the transforms run.
constexpr std::size_t kBlock = 128;

// Appends `t` to `chain` as the cheapest object that computes it.
void AddPlane(TCombinedTransform& chain, const TPlaneTransform& t) {
  if (t.IsAffine())
    chain.AddTransform(TAffineTransform(t.a0, t.a1, t.a2, t.a3, t.a4, t.a5));
  else
    chain.AddTransform(TProjectiveTransform(t));
}

// The affine map `after` applied to the results of `t`.
TPlaneTransform Then(const TPlaneTransform& t, const TAffineTransform& after) {
  const auto [b0, b1, b2, b3, b4, b5] = after.Coeffs();
  return {b0 * t.a0 + b1 * t.a3 + b2 * t.c0,
          b0 * t.a1 + b1 * t.a4 + b2 * t.c1,
          b0 * t.a2 + b1 * t.a5 + b2,
          b3 * t.a0 + b4 * t.a3 + b5 * t.c0,
          b3 * t.a1 + b4 * t.a4 + b5 * t.c1,
          b3 * t.a2 + b4 * t.a5 + b5,
          t.c0,
          t.c1};
}

// The members of `t`, a chain's in order.
std::vector<const TLx2DTransform*> Members(const TLx2DTransform& t) {
  std::vector<const TLx2DTransform*> members;
  if (const auto* chain = dynamic_cast<const TCombinedTransform*>(&t))
    for (std::size_t i = 0; i < chain->Count(); ++i)
      members.push_back(&chain->Item(i));
  else
    members.push_back(&t);
  return members;
}

// p ↦ t(p + by), normalised again.
TPlaneTransform Shifted(const TPlaneTransform& t, const P& by) {
  const double k = t.c0 * by.x + t.c1 * by.y + 1.0;
  return {t.a0 / k, t.a1 / k, (t.a0 * by.x + t.a1 * by.y + t.a2) / k,
          t.a3 / k, t.a4 / k, (t.a3 * by.x + t.a4 * by.y + t.a5) / k,
          t.c0 / k, t.c1 / k};
}

// Millimetres about the principal point → pixels: the camera's distortion
// taken the other way and the inverse plane transform give a start, which
// steps against the forward map correct. The steps take the plane
// transform's Jacobian at the principal point for the whole map's: the
// distortion's is the identity to about 1e-3, a scan's tilt changes the
// plane transform's by about as much across the frame, so each step leaves
// about that fraction of the error, and a step measures the error it removes.
class TMmToPixTransform final : public TLx2DTransform {
 public:
  TMmToPixTransform(Holder start, Holder forward, const TPlaneTransform& step)
      : start_(std::move(start)), forward_(std::move(forward)), step_(step) {}

  P TransformPoint(const P& p) const override {
    P q;
    TransformPoints(&p, &q, 1);
    return q;
  }

  void TransformPoints(const P* in, P* out, std::size_t n) const override {
    for (std::size_t first = 0; first < n; first += kBlock) {
      const std::size_t count = std::min(kBlock, n - first);
      P target[kBlock];
      std::copy_n(in + first, count, target);  // `out` may be `in`
      start_->TransformPoints(target, out + first, count);
      Correct(target, out + first, count);
    }
  }

  std::unique_ptr<TLx2DTransform> Clone() const override {
    return std::make_unique<TMmToPixTransform>(*this);
  }

 private:
  // Steps each pixel of `pix` until forward(pix) meets `target`; NaN where no
  // step gets short enough.
  void Correct(const P* target, P* pix, std::size_t count) const {
    const double j00 = step_.a0, j01 = step_.a1, j10 = step_.a3, j11 = step_.a4;
    bool converged[kBlock] = {};
    std::size_t pending = count;
    for (int step = 0; step < kMaxSteps && pending > 0; ++step) {
      P mapped[kBlock];
      forward_->TransformPoints(pix, mapped, count);
      for (std::size_t k = 0; k < count; ++k) {
        if (converged[k]) continue;
        const P r = target[k] - mapped[k];
        const P d = {j00 * r.x + j01 * r.y, j10 * r.x + j11 * r.y};
        pix[k] = pix[k] + d;
        if (d.x * d.x + d.y * d.y <= kConvergedStepPx * kConvergedStepPx)
          converged[k] = true, --pending;
      }
    }
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    for (std::size_t k = 0; k < count; ++k)
      if (!converged[k]) pix[k] = {kNaN, kNaN};
  }

  Holder start_;          // mm → pixel, close
  Holder forward_;        // pixel → mm
  TPlaneTransform step_;  // its linear part: mm of error → px of step
};

}  // namespace

}  // namespace lxcu::internal

Holder CreatePixToMmTransform(const TLxCameraInfo& camera, const TLxIntOrSolution& solution) {
  using namespace lxcu::internal;
  const Holder cam_to_mm = CreateCamToMmTransform(camera);
  // Its members join one chain with the plane transform, so that each block
  // of points passes one buffer, and an affine first member (the shift by the
  // principal point) joins the plane transform itself: one pass fewer.
  std::vector<const TLx2DTransform*> members = Members(*cam_to_mm);
  TPlaneTransform plane = solution.pix_to_cam;
  if (const auto* shift = dynamic_cast<const TAffineTransform*>(members.front())) {
    plane = Then(plane, *shift);
    members.erase(members.begin());
  }
  auto chain = make_var_a<TCombinedTransform>();
  AddPlane(*chain, plane);
  for (const TLx2DTransform* member : members)
    chain->AddTransform(*member);
  return chain;
}

Holder CreateMmToPixTransform(const TLxCameraInfo& camera, const TLxIntOrSolution& solution) {
  TLxCameraDistortion reversed = camera.distortion;
  reversed.direction = reversed.direction == TLxCameraDistortion::dirMmToCam
                           ? TLxCameraDistortion::dirCamToMm
                           : TLxCameraDistortion::dirMmToCam;
  const vec_t_<double, 2> pp = camera.principal_point;
  auto start = make_var_a<TCombinedTransform>();
  if (const Holder undistort = CreateCameraDistortionTransform(
          reversed, camera.distortion.symmetry_point - pp, camera.focus))
    start->AddTransform(*undistort);
  lxcu::internal::AddPlane(*start, lxcu::internal::Shifted(solution.cam_to_pix, pp));
  return make_var_a<TLx2DTransform, lxcu::internal::TMmToPixTransform>(
      start, CreatePixToMmTransform(camera, solution),
      solution.pix_to_cam.TangentAt(solution.cam_to_pix.Apply(pp)).Inverse());
}
