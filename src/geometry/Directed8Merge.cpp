#include <LxMathEx/TableDistortion.h>

#include <array>
#include <cstddef>
#include <vector>

#include "geometry/GeometryInternal.h"

using var_a_legacy::make_var_a;
using var_a_legacy::var_a;

namespace lxcu::internal {

namespace {

using Row = TLxCameraDistortion::TDirectedTableRow;
using Rows = std::vector<Row>;
using Four = std::array<double, 4>;  // one table's dr[0..3]

// The values of `t` (at least one row) at radius `r`, `next` being the index
// of its first row not yet merged: between the neighbouring rows, from the
// origin below row 0, along the last segment beyond the last row.
Four Interpolate(const Rows& t, std::size_t next, double r) {
  const std::size_t n = t.size();
  const Row& upper = next == 0 || n == 1 ? t[0] : next < n ? t[next] : t[n - 1];
  Four v{};
  if (next == 0 || n == 1) {
    const double f = r / upper.r;
    for (std::size_t k = 0; k < 4; ++k)
      v[k] = f * upper.dr[k];
    return v;
  }
  const Row& lower = next < n ? t[next - 1] : t[n - 2];
  const double f = (r - lower.r) / (upper.r - lower.r);
  for (std::size_t k = 0; k < 4; ++k)
    v[k] = lower.dr[k] + f * (upper.dr[k] - lower.dr[k]);
  return v;
}

// Both tables' values in ascending angle: plus at 0, π/2, π, 3π/2, x between.
std::vector<double> InAngleOrder(const Four& plus, const Four& x) {
  std::vector<double> v(8);
  for (std::size_t k = 0; k < 4; ++k) {
    v[2 * k] = plus[kDrByAngle[k]];
    v[2 * k + 1] = x[kDrByAngle[k]];
  }
  return v;
}

// A table without rows has nothing to interpolate: each of its directions
// takes the mean of its two neighbours, which is what the model's angular
// interpolation would give between the other table's directions.
void FillFromNeighbours(std::vector<double>& v, std::size_t parity) {
  for (std::size_t k = parity; k < 8; k += 2)
    v[k] = 0.5 * (v[(k + 7) % 8] + v[(k + 1) % 8]);
}

std::vector<TDirectedTableItem> Merge(const Rows& p, const Rows& x) {
  const std::size_t np = p.size(), nx = x.size();
  std::vector<TDirectedTableItem> items;
  items.reserve(np + nx);
  std::size_t i = 0, j = 0;
  while (i < np || j < nx) {
    TDirectedTableItem item;
    if (j == nx || (i < np && x[j].r > p[i].r)) {
      item.radius = p[i].r;
      item.values = InAngleOrder(p[i].dr, nx != 0 ? Interpolate(x, j, p[i].r) : Four{});
      if (nx == 0) FillFromNeighbours(item.values, 1);
      ++i;
    } else if (i == np || p[i].r > x[j].r) {
      item.radius = x[j].r;
      item.values = InAngleOrder(np != 0 ? Interpolate(p, i, x[j].r) : Four{}, x[j].dr);
      if (np == 0) FillFromNeighbours(item.values, 0);
      ++j;
    } else {  // equal radii (or a NaN radius, which orders nowhere)
      item.radius = p[i].r;
      item.values = InAngleOrder(p[i].dr, x[j].dr);
      ++i, ++j;
    }
    items.push_back(std::move(item));
  }
  return items;
}

}  // namespace

var_a<TLx2DTransform*> CreateDirected8Transform(const TLxCameraDistortion& distortion,
                                                const vec_t_<double, 2>& center) {
  TDirectedData data;
  data.center = center;
  data.angles.assign(kEightAngles.begin(), kEightAngles.end());
  data.items = Merge(distortion.table_plus, distortion.table_x);
  const bool mm_to_cam = distortion.direction == TLxCameraDistortion::dirMmToCam;
  return make_var_a<TLx2DTransform, TDirectedDistortion>(data, mm_to_cam);
}

}  // namespace lxcu::internal
