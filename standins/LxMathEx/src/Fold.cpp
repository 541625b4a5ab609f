#include "Fold.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lxcu::internal {

namespace {

// Samples of the slope up to the root bound; two sign changes closer
// together than bound / kFoldScanSteps would go unnoticed.
constexpr int kFoldScanSteps = 1024;
// The samples reach this far beyond the root bound, where the slope has the
// sign it keeps at any larger radius: a root on the bound is still found.
constexpr double kBeyondBound = 1.25;
// Each bisection halves the bracket; from bound / 1024 down to kFoldTolerance
// takes about 40, so the bound only stops a bracket that rounding keeps open.
constexpr int kMaxFoldBisections = 128;

double SlopeAt(const RadialSlope& a, double r) {
  const double z = r * r;
  double acc = a.back();
  for (std::size_t i = a.size() - 1; i-- > 0;)
    acc = acc * z + a[i];
  return acc;
}

// Fujiwara's bound on |z| over the roots z of Σ a[i]·z^i, a[n] ≠ 0.
double RootBound(const RadialSlope& a, std::size_t n) {
  double b = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double q = std::fabs(a[i] / a[n]) / (i == 0 ? 2.0 : 1.0);
    b = std::max(b, std::pow(q, 1.0 / static_cast<double>(n - i)));
  }
  return 2.0 * b;
}

// The slope is positive at `lo` and not at `hi`.
TFold Bisect(const RadialSlope& a, double lo, double hi) {
  for (int i = 0; i < kMaxFoldBisections; ++i) {
    if (hi - lo <= kFoldTolerance * hi) return {lo, true};
    const double mid = 0.5 * (lo + hi);
    (SlopeAt(a, mid) > 0.0 ? lo : hi) = mid;
  }
  return {lo, false};
}

}  // namespace

TFold FirstFold(const RadialSlope& slope) {
  constexpr double kNone = std::numeric_limits<double>::infinity();
  if (!std::all_of(slope.begin(), slope.end(), [](double v) { return std::isfinite(v); }) ||
      !(slope[0] > 0.0))
    return {0.0, true};
  // Without a negative coefficient the slope only grows with r.
  if (std::none_of(slope.begin() + 1, slope.end(), [](double v) { return v < 0.0; }))
    return {kNone, true};
  std::size_t n = slope.size() - 1;
  while (slope[n] == 0.0)
    --n;
  // No root lies beyond the bound, so past it the slope keeps the sign it has
  // there; a bound that overflows leaves every radius to the samples.
  const double limit =
      kBeyondBound * std::sqrt(std::min(RootBound(slope, n), std::numeric_limits<double>::max()));
  double lo = 0.0;
  for (int i = 1; i <= kFoldScanSteps; ++i) {
    const double r = limit * i / kFoldScanSteps;
    if (!(SlopeAt(slope, r) > 0.0)) return Bisect(slope, lo, r);
    lo = r;
  }
  return {kNone, true};
}

}  // namespace lxcu::internal
