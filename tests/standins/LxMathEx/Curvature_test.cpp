// The curvature bounds that let a Newton step certify itself must hold: a
// bound too small would accept points before they converge.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <numbers>
#include <random>

#include "SeriesKernel.h"

namespace {

using lxmathex_detail::Jet;
using lxmathex_detail::kAllTerms;
using lxmathex_detail::MixedKernel;
using lxmathex_detail::SeriesKernel;
using lxmathex_detail::SeriesShape;

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
    worst = std::max(worst, (bend - rounding) / k.Curvature(x, y, h));
  }
  return worst;
}

constexpr double kMargin = 1.001;  // for rounding in the second difference

}  // namespace

TEST(CurvatureBound, HoldsForEachSeriesTermAlone) {
  // Coefficients sized to move the frame corner by about 1 mm each.
  for (int term = 0; term < 11; ++term) {
    SCOPED_TRACE(term);
    SeriesKernel k;
    k.cx = 0.3, k.cy = -0.2;
    if (term < 7) k.r[term + 1] = 1.0 / std::pow(80.0, 2 * term + 2);
    if (term == 7 || term == 9) k.p1 = 2e-4;
    if (term == 8 || term == 10) k.p2 = -2e-4;
    if (term == 9) k.t1 = 1e-4;
    if (term == 10) k.t2 = 1e-8;
    k.Finish();
    EXPECT_LE(WorstBendRatio(SeriesShape<kAllTerms, false>{k}), kMargin);
  }
}

TEST(CurvatureBound, HoldsForEachMixedTermAlone) {
  for (int term = 0; term < 17; ++term) {
    SCOPED_TRACE(term);
    MixedKernel k;
    k.core.cx = -0.1, k.core.cy = 0.4;
    double* c = term < 5 ? &k.ex[term] : term < 10 ? &k.ey[term - 5] : &k.ec[term - 10];
    const int degree = term < 10 ? 2 + (term % 5) / 3 : term < 12 ? 2 : term < 15 ? 3 : 4;
    *c = 1.0 / std::pow(80.0, degree - 1);
    k.Finish();
    EXPECT_LE(WorstBendRatio(k), kMargin);
  }
}
