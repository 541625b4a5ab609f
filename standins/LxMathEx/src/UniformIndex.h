#pragma once

// Where a value falls among ascending thresholds, in O(1): the thresholds of
// the tables (row radii, their images along a ray, direction angles) are
// found through uniform cells over their range, however many rows there are
// and however unevenly they are spaced.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lxcu::internal {

class UniformIndex {
 public:
  UniformIndex() = default;

  // Thresholds T_i (i < n) ascending, each known only to lie in
  // [lower[i], upper[i]] (both ascending, ≥ 0; equal for fixed thresholds):
  // the image radii of a row along the rays between two directions lie
  // between its images along those directions.
  UniformIndex(const std::vector<double>& lower, const std::vector<double>& upper);

  // The lookups, by value: copied into a loop, they stay in registers.
  struct View {
    double inv_width;  // cells per unit of x
    double last_cell;
    const std::uint32_t* first;
    std::size_t reach;

    // The first i whose T_i may be ≥ x: every threshold before it is below
    // x. 0 for x ≤ 0 and for NaN.
    [[gnu::always_inline]] std::size_t First(double x) const { return first[Cell(x)]; }

    // The cell of x: 0 for x ≤ 0 and for NaN, the last from the largest
    // threshold on.
    [[gnu::always_inline]] std::int32_t Cell(double x) const {
      double cell = x * inv_width;
      cell = cell > 0.0 ? cell : 0.0;
      cell = cell < last_cell ? cell : last_cell;
      // A signed conversion: the unsigned one branches where vectors lack it.
      return static_cast<std::int32_t>(cell);
    }
  };
  View view() const { return {inv_width_, last_cell_, first_.data(), reach_}; }

  // How many thresholds from First(x) on may still be below (or equal to) x.
  std::size_t Reach() const { return reach_; }
  // The cells, and of each the thresholds before it.
  const std::vector<std::uint32_t>& Firsts() const { return first_; }

 private:
  double inv_width_ = 0.0;  // cells per unit of x
  double last_cell_ = 0.0;
  std::vector<std::uint32_t> first_;
  std::size_t reach_ = 0;
};

}  // namespace lxcu::internal
