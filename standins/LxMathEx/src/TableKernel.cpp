#include "TableKernel.h"

#include <algorithm>
#include <numbers>
#include <numeric>

namespace lxcu::internal {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kInf = std::numeric_limits<double>::infinity();
// Directions this close to even spacing, rad, are taken as evenly spaced:
// the weight between two of them then moves by at most 1e-12 / their
// spacing, and Δ by that share of their difference.
constexpr double kEvenTolerance = 1e-12;

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

// The rows with a place on the radius axis (finite radius > 0), in order;
// they are picked before ordering, so that the sort never sees a NaN.
std::vector<std::size_t> OrderedRows(const std::vector<double>& radii) {
  std::vector<std::size_t> usable;
  for (std::size_t i = 0; i < radii.size(); ++i)
    if (std::isfinite(radii[i]) && radii[i] > 0.0) usable.push_back(i);
  std::vector<double> usable_r(usable.size());
  for (std::size_t i = 0; i < usable.size(); ++i)
    usable_r[i] = radii[usable[i]];
  std::vector<std::size_t> rows = OrderLastWins(usable_r);
  for (std::size_t& row : rows)
    row = usable[row];
  return rows;
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

TSectors SectorsOf(const std::vector<double>& angles) {
  const std::size_t m = angles.size();
  if (m < 2) return TSectors::kNone;
  for (std::size_t j = 1; j < m; ++j)
    if (std::fabs(angles[j] - (angles[0] + kTwoPi * j / m)) > kEvenTolerance)
      return TSectors::kUneven;
  return TSectors::kEven;
}

// Per row (the first n rows of m directions), the least and the greatest
// of its values.
void Envelope(const std::vector<double>& v, std::size_t n, std::size_t m,
              std::vector<double>& lower, std::vector<double>& upper) {
  lower.assign(n, kInf);
  upper.assign(n, -kInf);
  for (std::size_t s = 0; s < n; ++s)
    for (std::size_t j = 0; j < m; ++j) {
      lower[s] = std::min(lower[s], v[s * m + j]);
      upper[s] = std::max(upper[s], v[s * m + j]);
    }
}

}  // namespace

CellTable TableKernel::OwnedCells::View() const {
  return {index.view(), bound.data(), slope.data(), c.data()};
}

TableKernel::OwnedCells TableKernel::Cells(const UniformIndex& index,
                                           const std::vector<double>& bounds,
                                           std::size_t columns) const {
  OwnedCells cells{index, {}, {}, {}};
  const std::size_t last = slope_.size() / m_ - 1;
  for (const std::uint32_t first : index.Firsts()) {
    for (std::size_t j = 0; j < columns; ++j)
      cells.bound.push_back(bounds[first * columns + j]);
    for (std::size_t side = 0; side < 2; ++side)
      for (std::size_t j = 0; j < m_; ++j) {
        const std::size_t s = std::min<std::size_t>(first + side, last);
        cells.slope.push_back(slope_[s * m_ + j]);
        cells.c.push_back(c_[s * m_ + j]);
      }
  }
  return cells;
}

TableKernel::TableKernel(const Vec2& center, const std::vector<double>& angles,
                         const std::vector<double>& radii, const std::vector<double>& values) {
  std::vector<double> norm(angles.size());
  std::transform(angles.begin(), angles.end(), norm.begin(), NormalizedAngle);
  const std::vector<std::size_t> cols = OrderLastWins(norm);
  const std::vector<std::size_t> rows =
      angles.empty() ? std::vector<std::size_t>{} : OrderedRows(radii);
  m_ = std::max<std::size_t>(cols.size(), 1);
  const std::size_t nseg = rows.size();
  for (std::size_t j : cols)
    angles_.push_back(norm[j]);
  sectors_ = SectorsOf(angles_);

  // Segments: D/r = slope + c/r with c = D(lo) − lo·slope.
  std::vector<double> row_r, image;  // per segment its row, and per direction r + D there
  double prev_r = 0.0;
  std::vector<double> prev_v(m_, 0.0);
  for (std::size_t row : rows) {
    const double r = radii[row];
    for (std::size_t j = 0; j < cols.size(); ++j) {
      const double v = values[row * angles.size() + cols[j]];
      const double slope = (v - prev_v[j]) / (r - prev_r);
      slope_.push_back(slope);
      c_.push_back(prev_v[j] - prev_r * slope);
      image.push_back(r + v);
      row_r.push_back(r);
      prev_v[j] = v;
    }
    prev_r = r;
  }
  const std::size_t unfolded = FoldSegment(slope_, nseg, m_);
  const double one_to_one = unfolded == nseg ? kInf
                            : unfolded == 0  ? 0.0
                                             : row_r[(unfolded - 1) * m_];

  // Boundaries: the rows between segments, and up to the fold their images.
  const std::size_t n_radius = nseg > 0 ? nseg - 1 : 0;
  const std::size_t n_image = unfolded > 0 ? unfolded - 1 : 0;
  std::vector<double> lower, upper;
  for (std::size_t s = 0; s < n_radius; ++s)
    boundary_.push_back(row_r[s * m_]);
  radius_index_ = UniformIndex(boundary_, boundary_);
  Envelope(image, n_image, m_, lower, upper);
  image_index_ = UniformIndex(lower, upper);
  angle_index_ = UniformIndex(angles_, angles_);

  // Padding, so that every lookup reads inside the arrays.
  const std::size_t pad =
      std::max({radius_index_.Reach(), image_index_.Reach(), angle_index_.Reach(), std::size_t{1}});
  boundary_.resize(n_radius + pad, kInf);
  image_boundary_.assign(image.begin(), image.begin() + n_image * m_);
  image_boundary_.resize((n_image + pad) * m_, kInf);
  angles_.resize(angles_.size() + pad, kInf);

  compact_ = nseg > 0 && radius_index_.Reach() <= 1 && image_index_.Reach() <= 1 &&
             (sectors_ != TSectors::kUneven || angle_index_.Reach() <= 1);
  if (compact_) {
    radius_cells_ = Cells(radius_index_, boundary_, 1);
    image_cells_ = Cells(image_index_, image_boundary_, m_);
  }
  view_ = {center.x,
           center.y,
           m_,
           nseg,
           slope_.data(),
           c_.data(),
           boundary_.data(),
           radius_index_.view(),
           image_boundary_.data(),
           image_index_.view(),
           radius_cells_.View(),
           image_cells_.View(),
           angles_.data(),
           angle_index_.view(),
           static_cast<double>(m_) / kTwoPi,
           one_to_one};
}

}  // namespace lxcu::internal
