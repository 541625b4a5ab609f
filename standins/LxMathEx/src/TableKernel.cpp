#include "TableKernel.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <numbers>
#include <numeric>

namespace lxcu::internal {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

double NormalizedAngle(double a) {
  double t = std::fmod(a, kTwoPi);
  if (t < 0.0) t += kTwoPi;
  return t < kTwoPi ? t : 0.0;  // fmod of a tiny negative can round up to 2π
}

// Indices of `keys` in ascending key order; of equal keys only the one stored
// last is kept.
std::vector<std::size_t> OrderLastWins(const std::vector<double>& keys) {
  std::vector<std::size_t> order(keys.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
  std::vector<std::size_t> kept;
  for (std::size_t i = 0; i < order.size(); ++i) {
    const bool last_of_equals = i + 1 == order.size() || keys[order[i + 1]] != keys[order[i]];
    if (last_of_equals) kept.push_back(order[i]);
  }
  return kept;
}

// How many of the ascending `values` satisfy less(value, x). A branch-free
// count for the short tables of real lenses, where a bisection's mispredicted
// branches cost more; bisection for long ones. 0 for NaN.
template <class Less>
std::size_t CountBelow(const std::vector<double>& values, double x, Less less) {
  constexpr std::size_t kCountLimit = 32;
  if (values.size() > kCountLimit)
    return static_cast<std::size_t>(
        std::partition_point(values.begin(), values.end(), [&](double v) { return less(v, x); }) -
        values.begin());
  std::size_t n = 0;
  for (double v : values)
    n += less(v, x) ? 1 : 0;
  return n;
}

// The index of the first segment that does not increase r + D in every one of
// its m directions (a slope that is not a number counts as such), or the
// number of segments.
std::size_t FoldSegment(const std::vector<double>& slope, std::size_t segments, std::size_t m) {
  for (std::size_t s = 0; s < segments; ++s)
    for (std::size_t j = 0; j < m; ++j)
      if (!(slope[s * m + j] > -1.0)) return s;
  return segments;
}

}  // namespace

TableKernel::TableKernel(const Vec2& center, const std::vector<double>& angles,
                         const std::vector<double>& radii, const std::vector<double>& values)
    : cx_(center.x), cy_(center.y) {
  std::vector<double> norm(angles.size());
  std::transform(angles.begin(), angles.end(), norm.begin(), NormalizedAngle);
  const std::vector<std::size_t> cols = OrderLastWins(norm);

  // Rows without a place on the radius axis are left out before ordering, so
  // that the sort never sees a NaN.
  std::vector<std::size_t> usable;
  for (std::size_t i = 0; i < radii.size(); ++i)
    if (std::isfinite(radii[i]) && radii[i] > 0.0) usable.push_back(i);
  std::vector<double> usable_r(usable.size());
  for (std::size_t i = 0; i < usable.size(); ++i)
    usable_r[i] = radii[usable[i]];
  std::vector<std::size_t> rows = OrderLastWins(usable_r);
  for (std::size_t& row : rows)
    row = usable[row];

  const std::size_t m = cols.size(), n_in = angles.size();
  for (std::size_t j : cols)
    angles_.push_back(norm[j]);
  double prev_r = 0.0;
  std::vector<double> prev_v(m, 0.0);
  for (std::size_t row : rows) {
    const double r = radii[row];
    lo_r_.push_back(prev_r);
    hi_r_.push_back(r);
    for (std::size_t j = 0; j < m; ++j) {
      const double v = values[row * n_in + cols[j]];
      lo_v_.push_back(prev_v[j]);
      hi_v_.push_back(v);
      slope_.push_back((v - prev_v[j]) / (r - prev_r));
      prev_v[j] = v;
    }
    prev_r = r;
  }
  unfolded_ = FoldSegment(slope_, lo_r_.size(), m);
  one_to_one_radius_ =
      unfolded_ < lo_r_.size() ? lo_r_[unfolded_] : std::numeric_limits<double>::infinity();
  one_to_one_radius2_ = one_to_one_radius_ * one_to_one_radius_;
}

std::size_t TableKernel::Segment(double r) const {
  const std::size_t s = CountBelow(hi_r_, r, std::less<>());
  return s < hi_r_.size() ? s : hi_r_.size() - 1;
}

Vec2 TableKernel::Guess(double px, double py) const {
  const double x = px - cx_, y = py - cy_;
  const double t = std::sqrt(x * x + y * y);
  if (lo_r_.empty() || angles_.empty() || !(t > 0.0)) return {px, py};
  const Sector sec = angles_.size() == 1 ? Sector{} : FindSector(std::atan2(y, x));
  const std::size_t m = angles_.size();
  const auto between = [&](const std::vector<double>& v, std::size_t s) {
    return v[s * m + sec.j0] + sec.w * (v[s * m + sec.j1] - v[s * m + sec.j0]);
  };
  // First segment whose upper end reaches t, else the last one, among those
  // before the fold, where r + D grows; counted without branches, as in
  // Segment().
  std::size_t lo = 0;
  for (std::size_t s = 0; s < unfolded_; ++s)
    lo += hi_r_[s] + between(hi_v_, s) < t ? 1 : 0;
  if (lo == unfolded_ && lo > 0) --lo;
  const double r = lo_r_[lo] + (t - lo_r_[lo] - between(lo_v_, lo)) / (1.0 + between(slope_, lo));
  return {cx_ + x * (r / t), cy_ + y * (r / t)};
}

TableKernel::Sector TableKernel::FindSector(double theta) const {
  if (theta < 0.0) theta += kTwoPi;
  const std::size_t m = angles_.size();
  const std::size_t above = CountBelow(angles_, theta, std::less_equal<>());
  Sector sec;
  sec.j0 = above == 0 ? m - 1 : above - 1;
  sec.j1 = sec.j0 + 1 < m ? sec.j0 + 1 : 0;
  double offset = theta - angles_[sec.j0];
  if (offset < 0.0) offset += kTwoPi;
  sec.span = angles_[sec.j1] - angles_[sec.j0];
  if (sec.span <= 0.0) sec.span += kTwoPi;
  sec.w = offset / sec.span;
  return sec;
}

}  // namespace lxcu::internal
