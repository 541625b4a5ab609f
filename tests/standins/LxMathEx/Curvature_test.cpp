// The curvature bounds that let a Newton step certify itself must hold: a
// bound too small would accept points before they converge. Each case sets
// one coefficient of a kernel alone, so a new coefficient is tested too.

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <numbers>
#include <random>

#include "SeriesKernel.h"

namespace {

using namespace lxcu::internal;

// Largest ratio of |d²F/dt²| (central second difference, step h, less its
// rounding error) to the kernel's bound over the disc of radius h, at points
// up to 80 mm from the centre per axis in random directions (fixed seed).
template <class K>
double WorstBendRatio(const K& k) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> pos(-80.0, 80.0), angle(0.0, 2 * std::numbers::pi);
  constexpr double h = 1e-2;  // mm; the O(h²) truncation error is far below 0.1 %
  double worst = 0.0;
  for (int i = 0; i < 20000; ++i) {
    const double x = pos(rng), y = pos(rng), a = angle(rng);  // relative to the centre
    const double wx = h * std::cos(a), wy = h * std::sin(a);
    const Jet f0 = k.template CentredMap<false>(x, y);
    const Jet fp = k.template CentredMap<false>(x + wx, y + wy);
    const Jet fm = k.template CentredMap<false>(x - wx, y - wy);
    const double bend = std::hypot(fp.x - 2 * f0.x + fm.x, fp.y - 2 * f0.y + fm.y) / (h * h);
    const double rounding = 8 * DBL_EPSILON * (std::hypot(f0.x, f0.y) + 1.0) / (h * h);
    const double bound = k.Curvature(x, y, h);
    worst = std::max(worst, bend <= rounding ? 0.0 : (bend - rounding) / bound);
  }
  return worst;
}

constexpr double kMargin = 1.001;  // for rounding in the second difference
constexpr double kCorner = 80.0;   // mm from the centre along each axis

// `terms` with the coefficient at `slot` (counted over the struct's doubles)
// set to `value`.
template <class Terms>
Terms WithSlot(Terms terms, std::size_t slot, double value) {
  auto flat = std::bit_cast<std::array<double, sizeof(Terms) / sizeof(double)>>(terms);
  flat[slot] = value;
  return std::bit_cast<Terms>(flat);
}

// The coefficient at `slot` sized to move the frame corner by about 1 mm,
// given the kernel `make(value)`; 0 for a term that moves nothing alone.
template <class Make>
double OneMillimetre(Make make) {
  const Jet d = make(1.0).template CentredMap<false>(kCorner, kCorner);
  const double shift = std::hypot(d.x - kCorner, d.y - kCorner);
  return shift > 0.0 ? 1.0 / shift : 0.0;
}

}  // namespace

TEST(CurvatureBound, HoldsForEachSeriesTermAloneInItsTermSet) {
  SeriesCoefficients base;
  base.cx = 0.3, base.cy = -0.2;
  constexpr std::size_t kCentre = 2;  // cx, cy come first
  for (std::size_t slot = kCentre; slot < sizeof base / sizeof(double); ++slot) {
    SCOPED_TRACE(slot);
    // Growth terms act on the decentring, so they are tried beside it.
    SeriesCoefficients carrier = base;
    const auto make = [&](double v) {
      return SeriesShape<kAllTerms, false>{SeriesKernel(WithSlot(carrier, slot, v))};
    };
    if (OneMillimetre(make) == 0.0) carrier.p1 = 2e-4, carrier.p2 = -2e-4;
    WithShape<false>(make(OneMillimetre(make)).k, [](const auto& shape) {
      EXPECT_LE(WorstBendRatio(shape), kMargin);
      return 0;
    });
  }
}

TEST(CurvatureBound, HoldsForEachMixedTermAloneInItsDegree) {
  SeriesCoefficients core;
  core.cx = -0.1, core.cy = 0.4;
  for (std::size_t slot = 0; slot < sizeof(MixedTerms) / sizeof(double); ++slot) {
    SCOPED_TRACE(slot);
    const auto make = [&](double v) {
      return MixedShape<kAllMixedTerms, false>{MixedKernel(core, WithSlot(MixedTerms{}, slot, v))};
    };
    WithShape<false>(make(OneMillimetre(make)).k, [](const auto& shape) {
      EXPECT_LE(WorstBendRatio(shape), kMargin);
      return 0;
    });
  }
}
