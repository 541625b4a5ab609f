#include "UniformIndex.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lxcu::internal {

namespace {

// Cells per smallest gap between thresholds: two keep the reach at one or
// two comparisons for tables of any spacing.
constexpr double kCellsPerGap = 2.0;
// Rows closer than 1/2048 of the range cost a few more comparisons rather
// than more memory (cells carry coefficients per direction).
constexpr std::size_t kMaxCells = 1 << 12;
// Relative margins that absorb the rounding of x · cells-per-unit.
constexpr double kCellMargin = 1e-12;
constexpr double kTopMargin = 1e-9;

double LargestFinite(const std::vector<double>& v) {
  double top = 0.0;
  for (double t : v)
    if (std::isfinite(t)) top = std::max(top, t);
  return top;
}

// The smallest positive distance between neighbouring thresholds, each
// known only within [lower, upper]: from 0 to the first, and from each
// upper end to the next lower end. Overlapping neighbours are left out; they
// cost comparisons, not cells.
double SmallestGap(const std::vector<double>& lower, const std::vector<double>& upper) {
  double gap = std::numeric_limits<double>::infinity(), end = 0.0;
  for (std::size_t i = 0; i < lower.size(); ++i) {
    if (lower[i] > end && std::isfinite(lower[i])) gap = std::min(gap, lower[i] - end);
    end = std::max(end, upper[i]);
  }
  return gap;
}

std::size_t CountBelow(const std::vector<double>& sorted, double x) {
  return static_cast<std::size_t>(std::lower_bound(sorted.begin(), sorted.end(), x) -
                                  sorted.begin());
}

}  // namespace

UniformIndex::UniformIndex(const std::vector<double>& lower, const std::vector<double>& upper) {
  const double top = LargestFinite(upper);
  if (!(top > 0.0)) {
    // No threshold above 0: a single cell, scanned whole.
    first_ = {0};
    reach_ = upper.size();
    return;
  }
  const double cells = std::ceil(kCellsPerGap * top / SmallestGap(lower, upper));
  const std::size_t n = static_cast<std::size_t>(std::clamp(cells, 1.0, double{kMaxCells}));
  const double width = top * (1.0 + kTopMargin) / static_cast<double>(n);
  inv_width_ = 1.0 / width;
  last_cell_ = static_cast<double>(n);
  first_.resize(n + 1);
  for (std::size_t k = 0; k <= n; ++k) {
    first_[k] = static_cast<std::uint32_t>(CountBelow(upper, k * width * (1.0 - kCellMargin)));
    const double end =
        k < n ? (k + 1) * width * (1.0 + kCellMargin) : std::numeric_limits<double>::infinity();
    reach_ = std::max(reach_, CountBelow(lower, end) - first_[k]);
  }
}

}  // namespace lxcu::internal
