#include <LxCameraUtils/CameraGeometry.h>
#include <LxCameraUtils/IntOrSolution.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

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

// A projective plane transform as a transform object.
class TProjectiveTransform final : public TLx2DTransform {
 public:
  explicit TProjectiveTransform(const TPlaneTransform& t) : t_(t) {}

  P TransformPoint(const P& p) const override { return t_.Apply(p); }
  void TransformPoints(const P* in, P* out, std::size_t n) const override {
    for (std::size_t i = 0; i < n; ++i)
      out[i] = t_.Apply(in[i]);
  }
  std::unique_ptr<TLx2DTransform> Clone() const override {
    return std::make_unique<TProjectiveTransform>(*this);
  }

 private:
  TPlaneTransform t_;
};

// Appends `t` to `chain` as the cheapest object that computes it.
void AddPlane(TCombinedTransform& chain, const TPlaneTransform& t) {
  if (t.IsAffine())
    chain.AddTransform(TAffineTransform(t.a0, t.a1, t.a2, t.a3, t.a4, t.a5));
  else
    chain.AddTransform(TProjectiveTransform(t));
}

// p ↦ t(p + by), normalised again.
TPlaneTransform Shifted(const TPlaneTransform& t, const P& by) {
  const double k = t.c0 * by.x + t.c1 * by.y + 1.0;
  return {t.a0 / k, t.a1 / k, (t.a0 * by.x + t.a1 * by.y + t.a2) / k,
          t.a3 / k, t.a4 / k, (t.a3 * by.x + t.a4 * by.y + t.a5) / k,
          t.c0 / k, t.c1 / k};
}

// The inverse of pix_to_cam's Jacobian at p, applied to r.
P SolveJacobian(const TPlaneTransform& t, const P& p, const P& r) {
  const P q = t.Apply(p);
  const double w = t.c0 * p.x + t.c1 * p.y + 1.0;
  const double j00 = (t.a0 - q.x * t.c0) / w, j01 = (t.a1 - q.x * t.c1) / w;
  const double j10 = (t.a3 - q.y * t.c0) / w, j11 = (t.a4 - q.y * t.c1) / w;
  const double det = j00 * j11 - j01 * j10;
  return {(j11 * r.x - j01 * r.y) / det, (j00 * r.y - j10 * r.x) / det};
}

// Millimetres about the principal point → pixels: the camera's distortion
// taken the other way and the inverse plane transform give a start, which
// steps with the plane transform's Jacobian (the distortion's is nearly the
// identity) correct against the forward map.
class TMmToPixTransform final : public TLx2DTransform {
 public:
  TMmToPixTransform(Holder start, Holder forward, const TPlaneTransform& pix_to_cam)
      : start_(std::move(start)), forward_(std::move(forward)), pix_to_cam_(pix_to_cam) {}

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
    bool converged[kBlock] = {};
    std::size_t pending = count;
    for (int step = 0; step < kMaxSteps && pending > 0; ++step) {
      P mapped[kBlock];
      forward_->TransformPoints(pix, mapped, count);
      for (std::size_t k = 0; k < count; ++k) {
        if (converged[k]) continue;
        const P d = SolveJacobian(pix_to_cam_, pix[k], target[k] - mapped[k]);
        pix[k] = pix[k] + d;
        if (std::hypot(d.x, d.y) <= kConvergedStepPx) converged[k] = true, --pending;
      }
    }
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    for (std::size_t k = 0; k < count; ++k)
      if (!converged[k]) pix[k] = {kNaN, kNaN};
  }

  Holder start_;    // mm → pixel, close
  Holder forward_;  // pixel → mm
  TPlaneTransform pix_to_cam_;
};

}  // namespace

}  // namespace lxcu::internal

Holder CreatePixToMmTransform(const TLxCameraInfo& camera, const TLxIntOrSolution& solution) {
  auto chain = make_var_a<TCombinedTransform>();
  lxcu::internal::AddPlane(*chain, solution.pix_to_cam);
  const Holder cam_to_mm = CreateCamToMmTransform(camera);
  // Members of a chain join ours, so that each block passes one buffer.
  if (const auto* inner = dynamic_cast<const TCombinedTransform*>(cam_to_mm.get()))
    for (std::size_t i = 0; i < inner->Count(); ++i)
      chain->AddTransform(inner->Item(i));
  else
    chain->AddTransform(*cam_to_mm);
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
      start, CreatePixToMmTransform(camera, solution), solution.pix_to_cam);
}
