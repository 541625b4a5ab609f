#pragma once

// The evaluation of the radial and direction tables: Δ = (x̄, ȳ)/r · D(r, θ),
// D piecewise linear in r along each direction and linear in θ between
// neighbouring directions.

#include <cmath>
#include <cstddef>
#include <vector>

#include "Newton.h"

namespace lxcu::internal {

class TableKernel {
 public:
  // `values` is row-major: row i holds one value per angle for radii[i]. The
  // caller guarantees values.size() == radii.size() * angles.size() and finite
  // angles. Rows and directions are put in order here (see TableDistortion.h).
  TableKernel(const Vec2& center, const std::vector<double>& angles,
              const std::vector<double>& radii, const std::vector<double>& values);

  // The preimage of p solved along its own direction, where F moves points:
  // there r + D is piecewise linear in r, so the segment that reaches |p − c|
  // (searched for inside the fold, where r + D grows) gives it exactly. Newton's
  // method only has to confirm it; from a poor guess it can cycle between
  // segments.
  Vec2 Guess(double px, double py) const;

  // Δ is radial, so F maps each ray from the centre onto itself, and F is
  // one-to-one on the disc along whose every ray r + D increases: up to the
  // first segment where D's slope in some direction is −1 or less (the slope
  // between directions is interpolated from theirs). mm; +∞ without such a
  // segment, the last one extending to any radius.
  double OneToOneRadius() const { return one_to_one_radius_; }

  bool OneToOneAt(double px, double py) const {
    const double x = px - cx_, y = py - cy_;
    return x * x + y * y <= one_to_one_radius2_;
  }

  template <bool kJacobian>
  Jet Map(double px, double py) const {
    const double x = px - cx_, y = py - cy_;
    if (lo_r_.empty() || angles_.empty()) return {px, py, 1.0, 0.0, 0.0, 1.0};
    const double r = std::sqrt(x * x + y * y);
    const std::size_t s = Segment(r);
    const Sector sec = angles_.size() == 1 ? Sector{} : FindSector(std::atan2(y, x));
    const std::size_t m = angles_.size();
    const double b0 = slope_[s * m + sec.j0], b1 = slope_[s * m + sec.j1];
    const double d_r = b0 + sec.w * (b1 - b0);  // ∂D/∂r
    double g, e;                                // D/r and (∂D/∂θ)/r
    if (s == 0) {
      g = d_r;
      e = (b1 - b0) / sec.span;
    } else {
      const double d0 = lo_v_[s * m + sec.j0] + (r - lo_r_[s]) * b0;
      const double d1 = lo_v_[s * m + sec.j1] + (r - lo_r_[s]) * b1;
      const double inv_r = 1.0 / r;
      g = (d0 + sec.w * (d1 - d0)) * inv_r;
      e = (d1 - d0) / sec.span * inv_r;
    }
    Jet f{px + x * g, py + y * g};
    if constexpr (kJacobian) {
      // ∂Δ = D_r·ûûᵀ + (D/r)·θ̂θ̂ᵀ + (D_θ/r)·ûθ̂ᵀ with û = (x̄, ȳ)/r, θ̂ = (−ȳ, x̄)/r.
      const double r2 = x * x + y * y;
      if (r2 == 0.0) {
        f.xx = f.yy = 1.0 + g;
      } else {
        const double inv_r2 = 1.0 / r2;
        const double xx = x * x * inv_r2, yy = y * y * inv_r2, xy = x * y * inv_r2;
        f.xx = 1.0 + d_r * xx + g * yy - e * xy;
        f.xy = (d_r - g) * xy + e * xx;
        f.yx = (d_r - g) * xy - e * yy;
        f.yy = 1.0 + d_r * yy + g * xx + e * xy;
      }
    }
    return f;
  }

 private:
  struct Sector {
    std::size_t j0 = 0, j1 = 0;  // neighbouring directions
    double w = 0.0;              // weight of j1
    double span = 1.0;           // angle from j0 to j1, rad
  };

  // Index of the segment that holds radius r: the first row with radius ≥ r,
  // or the last segment beyond the last row. Never outside the table, also
  // for NaN.
  std::size_t Segment(double r) const;
  Sector FindSector(double theta) const;

  double cx_, cy_;
  std::vector<double> angles_;  // ascending in [0, 2π), distinct
  // Per segment s (from row s − 1, or the origin, to row s): its lower radius,
  // and per direction the value there and the slope; D = lo_v + (r − lo_r)·slope.
  std::vector<double> lo_r_;
  std::vector<double> hi_r_;  // upper radius of each segment (the row radii)
  std::vector<double> lo_v_;
  std::vector<double> hi_v_;  // per direction, the value at the row
  std::vector<double> slope_;
  std::size_t unfolded_;  // the segments before the first that folds
  double one_to_one_radius_;
  double one_to_one_radius2_;  // mm²
};

}  // namespace lxcu::internal
