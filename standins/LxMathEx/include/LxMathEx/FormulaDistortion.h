#pragma once

#include <memory>

#include <LxMathEx/Export.h>
#include <LxStd/Transform2D.h>
#include <LxStd/Vec.h>

// Lens distortion models. Every model describes a displacement Δ about its
// centre c and the map F(p) = p + Δ(p − c); all lengths are millimetres.
// Below, x̄ = x − c.x, ȳ = y − c.y and r² = x̄² + ȳ².
//
// Direction: with mm_to_cam false, TransformPoint(p) is F(p). With mm_to_cam
// true the coefficients describe the opposite direction, and TransformPoint(p)
// is the point q with F(q) = p, found by Newton's method with the analytic
// Jacobian to |F(q) − p| ≤ 1e-12 mm · max(1, |p| / 1 mm). The series models
// (formula, mixed, polynomial) bound their second derivatives, so a Newton
// step proves by Taylor's bound that it lands within 1/128 of that tolerance,
// and needs no further evaluation to confirm it; the table models confirm
// the residual by evaluation and then take the step computed there when it
// is short. Either way the residual usually ends near rounding level (~1e-14
// to 1e-13 mm over a 100 mm frame). A q is only accepted where F preserves
// orientation (det ∂F/∂q > 0); where none is reached within a fixed number
// of iterations, both coordinates are NaN.
//
// One-to-one region: OneToOneRadius() gives the radius ρ (mm) of the disc
// |q − c| ≤ ρ on which F is one-to-one, found when the model is built: for
// the series models the first radius at which r + (radial displacement at r)
// stops increasing, from their radial terms (r³, r⁵, …; for the mixed model
// also d[2]; the other terms, far smaller in real lenses, are left out); for
// the table models, exactly, the first radius from which a direction's dr
// falls by 1 mm per mm or more. +∞ when r + Δr never stops increasing.
// The inverse gives only preimages within that disc: for a point beyond its
// image (where a strong barrel distortion folds the map back near the frame
// corners, and another preimage lies further out) both coordinates are NaN.
// Close to the rim, where the slope nears 0, the inverse loses accuracy as
// 1/slope and may give NaN. Real lenses stay well inside the disc over their
// frame.
//
// The models are immutable after construction and copy everything they keep,
// so one object may serve many threads. TransformPoints gives the same points
// as TransformPoint (to 1e-12 mm), also in place. On processors with FMA the
// series models (formula, mixed, polynomial) fuse multiply-adds in both
// paths, so their last bits differ from those computed on processors
// without it.

namespace lxcu::internal {
struct SeriesKernel;
}  // namespace lxcu::internal

// Coefficients of the formula model; every value is zero (identity) by default.
struct TDistCoeff {
  vec_t_<double, 2> center;  // c, mm
  double k1 = 0.0;           // radial, 1/mm²
  double k2 = 0.0;           // 1/mm⁴
  double k3 = 0.0;           // 1/mm⁶
  double k4 = 0.0;           // 1/mm⁸
  double k5 = 0.0;           // 1/mm¹⁰
  double p1 = 0.0;           // decentring, 1/mm
  double p2 = 0.0;           // 1/mm
  double p3 = 0.0;           // decentring growth, 1/mm²
  double p4 = 0.0;           // 1/mm⁴
  double b1 = 0.0;           // affinity in x (dimensionless)
  double b2 = 0.0;           // shear in x
  double a1 = 0.0;           // shear in y
  double a2 = 0.0;           // affinity in y
  bool mm_to_cam = false;

  friend bool operator==(const TDistCoeff&, const TDistCoeff&) = default;
};

// The formula model of close-range photogrammetry:
//   R = k1 r² + k2 r⁴ + k3 r⁶ + k4 r⁸ + k5 r¹⁰,  T = 1 + p3 r² + p4 r⁴,
//   Δx = x̄·R + (p1·(r² + 2x̄²) + 2·p2·x̄ȳ)·T + b1·x̄ + b2·ȳ,
//   Δy = ȳ·R + (2·p1·x̄ȳ + p2·(r² + 2ȳ²))·T + a1·x̄ + a2·ȳ.
// The radial displacement at radius r is thus k1 r³ + k2 r⁵ + …; with k1 < 0
// (barrel) the inverse exists while 1 + 3 k1 r² + 5 k2 r⁴ + … > 0, which
// sets OneToOneRadius().
class LXMATHEX_API TFormulaDistortion final : public TLx2DTransform {
 public:
  explicit TFormulaDistortion(const TDistCoeff& coeffs);
  // k4 = k5 = p3 = p4 = 0.
  TFormulaDistortion(const vec_t_<double, 2>& center, double k1, double k2, double k3, double p1,
                     double p2, double b1, double b2, double a1, double a2, bool mm_to_cam);

  vec_t_<double, 2> TransformPoint(const vec_t_<double, 2>& p) const override;
  void TransformPoints(const vec_t_<double, 2>* in, vec_t_<double, 2>* out,
                       std::size_t n) const override;
  std::unique_ptr<TLx2DTransform> Clone() const override;

  const vec_t_<double, 2>& Center() const { return coeffs_.center; }
  bool MmToCam() const { return coeffs_.mm_to_cam; }
  // Everything the model was built from, as given.
  const TDistCoeff& Coeffs() const { return coeffs_; }
  // The radius (mm) about Center() within which F is one-to-one (see above).
  double OneToOneRadius() const;

 private:
  TDistCoeff coeffs_;
  // Shared by clones; immutable.
  std::shared_ptr<const lxcu::internal::SeriesKernel> kernel_;
};
