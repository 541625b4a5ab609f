#pragma once

// The evaluation of the radial and direction tables: Δ = (x̄, ȳ)/r · D(r, θ),
// D piecewise linear in r along each direction and linear in θ between
// neighbouring directions.
//
// On each segment D/r = slope + c/r. Every lookup (the segment of a radius
// or of an image radius, the sector of a direction) goes through uniform
// cells, so a point costs the same for 17 rows or 161, evenly spaced or not,
// in any order. Δ is radial, so F maps each ray onto itself and is piecewise
// linear along it: the inverse is solved in closed form on its ray.
//
// Two paths give the same bits. The compact one serves tables whose cells
// each hold at most one segment boundary (all but tables with rows closer
// than 1/2048 of their range): each cell carries the coefficients of its two
// segments, so a lookup is one comparison and no chain of loads. The
// general one counts boundaries from each cell's first.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <numbers>
#include <utility>
#include <vector>

#include <LxStd/Vec.h>

#include "UniformIndex.h"

namespace lxcu::internal {

using Vec2 = vec_t_<double, 2>;

// The direction of (x, y) in [0, 2π), rad, within a few units in the last
// place of atan2's. Unlike the library call it is the same code in every
// instruction set and vectorises. atan on [0, 1] from the classic rational
// approximation (Cephes' coefficients), reduced about π/4 above 0.66.
[[gnu::always_inline]] inline double DirectionAngle(double x, double y) {
  constexpr double kP[5] = {-8.750608600031904122785e-1, -1.615753718733365076637e1,
                            -7.500855792314704667340e1, -1.228866684490136173410e2,
                            -6.485021904942025371773e1};
  constexpr double kQ[5] = {2.485846490142306297962e1, 1.650270098316988542046e2,
                            4.328810604912902668951e2, 4.853903996359136964868e2,
                            1.945506571482613964425e2};
  constexpr double kMoreBits = 6.123233995736765886130e-17;  // π/2 − fl(π/2)
  constexpr double kPi = std::numbers::pi;
  const double ax = std::fabs(x), ay = std::fabs(y);
  const bool steep = ay > ax;
  const double num = steep ? ax : ay, den = steep ? ay : ax;
  // tan of the angle to the nearer axis, z = num/den, or above 0.66 that
  // of its difference from π/4, (z − 1)/(z + 1): one division either way.
  const bool high = num > 0.66 * den;
  const double u_num = high ? num - den : num, u_den = high ? num + den : den;
  const double u = u_den > 0.0 ? u_num / u_den : 0.0;
  const double u2 = u * u;
  const double p = (((kP[0] * u2 + kP[1]) * u2 + kP[2]) * u2 + kP[3]) * u2 + kP[4];
  const double q = ((((u2 + kQ[0]) * u2 + kQ[1]) * u2 + kQ[2]) * u2 + kQ[3]) * u2 + kQ[4];
  double a = u * (u2 * p / q) + u;
  a = high ? kPi / 4 + (a + 0.5 * kMoreBits) : a;  // in [0, π/4]
  a = steep ? kPi / 2 - a : a;
  a = x < 0.0 ? kPi - a : a;                 // in [0, π]
  const bool below = (y < 0.0) & (a > 0.0);  // a tiny angle below +x stays 0
  return below ? 2 * kPi - a : a;
}

// A segment's coefficients per direction, in one sector: D/r = slope + c/r.
struct Segment {
  double slope, c;
};

// Where a direction falls among the table's directions.
struct Sector {
  std::size_t j0 = 0, j1 = 0;  // neighbouring directions
  double w = 0.0;              // weight of j1
};

// How a table finds the sector of a direction.
enum class TSectors {
  kNone,    // radial: one direction
  kEven,    // directions evenly spaced: found by arithmetic
  kUneven,  // found through the index of the angles
};

// Per uniform cell, the one boundary that may fall into it (+∞ for none;
// image radii per direction) and the coefficients of the segments below and
// above it.
struct CellTable {
  UniformIndex::View cells;
  const double* bound;  // cell k: [k], or direction j of it: [k·m + j]
  const double* slope;  // cell k, side h, direction j: [(2k + h)·m + j]
  const double* c;
};

// The lookups and the evaluation, over a TableKernel's arrays. A view is
// copied into each loop, by value, so that nothing in it can alias the
// output and the loops vectorise.
struct TableView {
  double cx, cy;
  std::size_t m;     // directions
  std::size_t nseg;  // segments (rows)
  // Per segment s (from row s − 1, or the origin, to row s) and direction j:
  // [s·m + j].
  const double* slope;
  const double* c;
  // The general path: the radii between segments, and per direction ([s·m +
  // j]) their images r + D up to the fold; both then +∞.
  const double* boundary;
  UniformIndex::View radius_index;
  const double* image_boundary;
  UniformIndex::View image_index;
  // The compact path.
  CellTable radius_cells, image_cells;
  // Directions: ascending in [0, 2π), distinct, then +∞; evenly spaced ones
  // start at angles[0] and are 1 / sectors_per_rad apart.
  const double* angles;
  UniformIndex::View angle_index;
  double sectors_per_rad;
  double one_to_one_radius;

  // F(p), mm, for a table with rows (nseg > 0; without, F is the identity).
  // theta: p's direction about the centre, DirectionAngle(p − c), used by
  // directed tables only. Without branches, so that loops vectorise.
  template <TSectors kSectors, bool kCompact>
  [[gnu::always_inline]] Vec2 Forward(double px, double py, double theta) const {
    const double x = px - cx, y = py - cy;
    const double r = std::sqrt(x * x + y * y);
    const Sector sec = FindSector<kSectors, kCompact>(theta);
    const Segment d = Coefficients<kSectors, kCompact>(false, r, sec);
    const double g = d.slope + d.c * (r > 0.0 ? 1.0 / r : 0.0);  // D / r
    return {px + x * g, py + y * g};
  }

  // F⁻¹(p), mm, for a table with rows: the radius t = |p − c| is r + D(r) on
  // p's ray, linear in r on each segment; of the segments before the fold,
  // where it grows, the first that reaches t (or the last one, extended)
  // gives r. NaN when r lies beyond the one-to-one radius, or p is not a
  // number; p itself at the centre.
  template <TSectors kSectors, bool kCompact>
  [[gnu::always_inline]] Vec2 Inverse(double px, double py, double theta) const {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    const double x = px - cx, y = py - cy;
    const double t = std::sqrt(x * x + y * y);
    const Sector sec = FindSector<kSectors, kCompact>(theta);
    const Segment d = Coefficients<kSectors, kCompact>(true, t, sec);
    // r / t = (t − c) / ((1 + slope)·t): one division.
    const double scale = (t - d.c) / ((1.0 + d.slope) * t);
    const bool inside = (scale > 0.0) & (scale * t <= one_to_one_radius);
    const double qx = t == 0.0 ? px : inside ? cx + x * scale : kNaN;
    const double qy = t == 0.0 ? py : inside ? cy + y * scale : kNaN;
    return {qx, qy};
  }

 private:
  template <TSectors kSectors>
  // In 32 bits: 64-bit products take three instructions in vectors.
  [[gnu::always_inline]] std::uint32_t Column(std::size_t row, std::size_t j) const {
    const auto r = static_cast<std::uint32_t>(row);
    return kSectors == TSectors::kNone
               ? r
               : r * static_cast<std::uint32_t>(m) + static_cast<std::uint32_t>(j);
  }

  // A per-direction value of `row`, interpolated into the sector.
  template <TSectors kSectors>
  [[gnu::always_inline]] double Between(const double* v, std::size_t row, const Sector& sec) const {
    const double v0 = v[Column<kSectors>(row, sec.j0)];
    if constexpr (kSectors == TSectors::kNone) return v0;
    return v0 + sec.w * (v[Column<kSectors>(row, sec.j1)] - v0);
  }

  template <TSectors kSectors>
  [[gnu::always_inline]] Segment SegmentAt(const double* sl, const double* cc, std::size_t row,
                                           const Sector& sec) const {
    return {Between<kSectors>(sl, row, sec), Between<kSectors>(cc, row, sec)};
  }

  // The coefficients of the segment that holds radius x (image radius when
  // `image`), interpolated into the sector.
  template <TSectors kSectors, bool kCompact>
  [[gnu::always_inline]] Segment Coefficients(bool image, double x, const Sector& sec) const {
    if constexpr (kCompact) {
      const CellTable& t = image ? image_cells : radius_cells;
      const std::size_t k = static_cast<std::size_t>(t.cells.Cell(x));
      // Radii bound alike in every direction; image radii per direction.
      const double bound = image ? Between<kSectors>(t.bound, k, sec) : t.bound[k];
      const std::size_t above = bound < x ? 1 : 0;
      return SegmentAt<kSectors>(t.slope, t.c, 2 * k + above, sec);
    } else {
      const UniformIndex::View& index = image ? image_index : radius_index;
      const double* bounds = image ? image_boundary : boundary;
      const std::size_t first = index.First(x);
      std::size_t s = first;
      for (std::size_t e = 0; e < index.reach; ++e) {
        const double bound = image ? Between<kSectors>(bounds, first + e, sec) : bounds[first + e];
        s += bound < x ? 1 : 0;
      }
      return SegmentAt<kSectors>(slope, c, s, sec);
    }
  }

  template <TSectors kSectors, bool kCompact>
  [[gnu::always_inline]] Sector FindSector(double theta) const {
    constexpr double kTwoPi = 2 * std::numbers::pi;
    Sector sec;
    if constexpr (kSectors == TSectors::kEven) {
      const double md = static_cast<double>(m);
      double u = (theta - angles[0]) * sectors_per_rad;
      u += u < 0.0 ? md : 0.0;
      u = u > 0.0 ? u : 0.0;  // also for NaN
      u = u < md ? u : 0.0;   // θ a rounding below angles[0] + 2π
      const auto j = static_cast<std::int32_t>(u);
      sec.j0 = static_cast<std::size_t>(j);
      sec.w = u - j;
    } else if constexpr (kSectors == TSectors::kUneven) {
      const std::size_t first = angle_index.First(theta);
      std::size_t above = first;
      // Compact tables have at most one direction per cell of angles.
      for (std::size_t e = 0; e < (kCompact ? 1 : angle_index.reach); ++e)
        above += angles[first + e] <= theta ? 1 : 0;
      // Cyclic neighbours, in arithmetic rather than selections of indices,
      // which keep loops from vectorising.
      sec.j0 = above - 1 + m * std::size_t{above == 0};
      double offset = theta - angles[sec.j0];
      offset += offset < 0.0 ? kTwoPi : 0.0;
      const std::size_t j1 = sec.j0 + 1 - m * std::size_t{sec.j0 + 1 == m};
      double span = angles[j1] - angles[sec.j0];
      span += span <= 0.0 ? kTwoPi : 0.0;
      sec.w = offset / span;
    }
    sec.j1 = sec.j0 + 1 - m * std::size_t{sec.j0 + 1 == m};
    return sec;
  }
};

// The tables in the order the lookups need, and their indexes.
class TableKernel {
 public:
  // `values` is row-major: row i holds one value per angle for radii[i]. The
  // caller guarantees values.size() == radii.size() * angles.size() and finite
  // angles. Rows and directions are put in order here (see TableDistortion.h).
  TableKernel(const Vec2& center, const std::vector<double>& angles,
              const std::vector<double>& radii, const std::vector<double>& values);
  TableKernel(const TableKernel&) = delete;
  TableKernel& operator=(const TableKernel&) = delete;

  // The radius about the centre within which F is one-to-one: up to the first
  // segment where D's slope in some direction is −1 or less (the slope between
  // directions is interpolated from theirs), mm; +∞ without one.
  double OneToOneRadius() const { return view_.one_to_one_radius; }

  TSectors Sectors() const { return sectors_; }
  bool Compact() const { return compact_; }
  const TableView& View() const { return view_; }

  // The same table on the general path (tests compare the paths).
  void UseGeneralPath() { compact_ = false; }

 private:
  struct OwnedCells {
    UniformIndex index;
    std::vector<double> bound, slope, c;
    CellTable View() const;
  };
  // The compact form of `index` over `bounds` (`columns` per boundary).
  OwnedCells Cells(const UniformIndex& index, const std::vector<double>& bounds,
                   std::size_t columns) const;

  std::size_t m_ = 0;
  std::vector<double> slope_, c_, boundary_, image_boundary_, angles_;
  UniformIndex radius_index_, image_index_, angle_index_;
  OwnedCells radius_cells_, image_cells_;
  TableView view_;
  TSectors sectors_;
  bool compact_;
};

}  // namespace lxcu::internal
