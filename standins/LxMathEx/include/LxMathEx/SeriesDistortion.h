#pragma once

#include <array>
#include <memory>

#include <LxMathEx/Export.h>
#include <LxMathEx/FormulaDistortion.h>
#include <LxStd/Transform2D.h>
#include <LxStd/Vec.h>

// Series models that carry the focal length f (mm). Their higher terms are
// polynomials in u = x̄/f, v = ȳ/f scaled by f, so those coefficients are
// dimensionless. Directions, units and the invertible region: see
// <LxMathEx/FormulaDistortion.h>, which OneToOneRadius() below refers to
// too. A zero coefficient contributes nothing even
// when f is 0; a non-zero scaled coefficient with f = 0 makes the map NaN.

namespace lxcu::internal {
struct MixedKernel;
}  // namespace lxcu::internal

// The mixed model. Its formula part uses K, P, a[0], a[1], b[0], b[1] exactly
// as the formula model uses k1–k3, p1, p2, b1, b2, a1, a2 (dimensional, not
// scaled by f); with every other coefficient zero it is that formula model.
// Its one-to-one radius comes from K and d[2], the radial terms.
// With the monomials M = (u², uv, v², u²v, uv²) and Mc = (u, v, u², uv, v², u²v, uv²):
//   Δx = formula part + f·Σ a[2+i]·M[i] + x̄·Σ c[j]·Mc[j] + f·d[0] + d[2]·x̄,
//   Δy = formula part + f·Σ b[2+i]·M[i] + ȳ·Σ c[j]·Mc[j] + f·d[1] + d[2]·ȳ.
// So a[2..6] and b[2..6] bend each axis, c scales the radius vector by a
// polynomial (c[0], c[1] act like a tilt of the image plane), d shifts by a
// fraction of f and scales.
class LXMATHEX_API TMixedDistortion final : public TLx2DTransform {
 public:
  // a, b, c point to 7 doubles each, K to 3, P to 2; d0, d1, d2 are d[0..2].
  // Throws std::invalid_argument when an array pointer is null.
  TMixedDistortion(const vec_t_<double, 2>& center, const double& focus, const double* a,
                   const double* b, const double* c, const double* K, const double* P,
                   const double& d0, const double& d1, const double& d2, bool mm_to_cam);

  vec_t_<double, 2> TransformPoint(const vec_t_<double, 2>& p) const override;
  void TransformPoints(const vec_t_<double, 2>* in, vec_t_<double, 2>* out,
                       std::size_t n) const override;
  std::unique_ptr<TLx2DTransform> Clone() const override;

  const vec_t_<double, 2>& Center() const { return center_; }
  bool MmToCam() const { return mm_to_cam_; }
  double Focus() const { return focus_; }  // mm
  // The radius (mm) about Center() within which F is one-to-one.
  double OneToOneRadius() const;
  const std::array<double, 7>& A() const { return a_; }
  const std::array<double, 7>& B() const { return b_; }
  const std::array<double, 7>& C() const { return c_; }
  const std::array<double, 3>& K() const { return k_; }
  const std::array<double, 2>& P() const { return p_; }
  const std::array<double, 3>& D() const { return d_; }

 private:
  vec_t_<double, 2> center_;
  double focus_;
  std::array<double, 7> a_;
  std::array<double, 7> b_;
  std::array<double, 7> c_;
  std::array<double, 3> k_;
  std::array<double, 2> p_;
  std::array<double, 3> d_;
  bool mm_to_cam_;
  std::shared_ptr<const lxcu::internal::MixedKernel> kernel_;
};

// The polynomial model, a radial series in ρ = r/f with decentring terms:
//   R = K[0] + K[1] ρ² + K[2] ρ⁴ + … + K[7] ρ¹⁴,   T = 1 + P[2] ρ² + P[3] ρ⁴,
//   Δx = x̄·R + f·(P[0]·(ρ² + 2u²) + 2·P[1]·uv)·T + B[0]·x̄ + B[1]·ȳ,
//   Δy = ȳ·R + f·(2·P[0]·uv + P[1]·(ρ² + 2v²))·T.
// K[0] is a scale, B[0] an affinity and B[1] a shear in x; all dimensionless.
class LXMATHEX_API TPolynomialDistortion final : public TLx2DTransform {
 public:
  // K points to 8 doubles, P to 4; b0, b1 are B[0], B[1]. Throws
  // std::invalid_argument when an array pointer is null.
  TPolynomialDistortion(const vec_t_<double, 2>& center, const double& focus, const double* K,
                        const double* P, const double& b0, const double& b1, bool mm_to_cam);

  vec_t_<double, 2> TransformPoint(const vec_t_<double, 2>& p) const override;
  void TransformPoints(const vec_t_<double, 2>* in, vec_t_<double, 2>* out,
                       std::size_t n) const override;
  std::unique_ptr<TLx2DTransform> Clone() const override;

  const vec_t_<double, 2>& Center() const { return center_; }
  bool MmToCam() const { return mm_to_cam_; }
  double Focus() const { return focus_; }  // mm
  // The radius (mm) about Center() within which F is one-to-one.
  double OneToOneRadius() const;
  const std::array<double, 8>& K() const { return k_; }
  const std::array<double, 4>& P() const { return p_; }
  const std::array<double, 2>& B() const { return b_; }

 private:
  vec_t_<double, 2> center_;
  double focus_;
  std::array<double, 8> k_;
  std::array<double, 4> p_;
  std::array<double, 2> b_;
  bool mm_to_cam_;
  std::shared_ptr<const lxcu::internal::SeriesKernel> kernel_;
};
