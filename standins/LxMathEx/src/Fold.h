#pragma once

// Where a radial map r ↦ r + Δr(r) stops increasing: beyond that radius
// (the fold) the points of a ring map onto points of a smaller one, so the
// inverse is no longer unique. The models keep the disc inside the fold.

#include <array>

namespace lxcu::internal {

// The slope d(r + Δr)/dr of a series model as a polynomial in r²:
// Σ slope[i]·r^(2i).
using RadialSlope = std::array<double, 8>;

// A search for the first radius at which the slope is no longer positive.
struct TFold {
  // mm: the slope is positive at every radius sampled in [0, radius]; +∞
  // when it stays positive at every radius, 0 when it is not positive (or
  // not a number) at the centre already.
  double radius = 0.0;
  // The radius is within kFoldTolerance of the first sign change found. When
  // false it lies below it: still inside the fold, only less tight.
  bool converged = false;
};

// Relative width of the bracket a fold search stops at: a few ulps.
inline constexpr double kFoldTolerance = 1e-15;

// The first fold of the radial map whose slope is `slope`. Samples the
// slope evenly up to just beyond a bound on the radii of its roots, then
// bisects the first interval where it turns non-positive. A dip of the slope
// below 0 narrower than one sample interval (about 1/800 of the bound) is
// missed.
TFold FirstFold(const RadialSlope& slope);

}  // namespace lxcu::internal
