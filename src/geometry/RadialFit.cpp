#include <cmath>
#include <vector>

#include "geometry/GeometryInternal.h"

namespace lxcu::internal {

bool FitRadialPolynomial(const TLx2DTransform& transform, double step, unsigned count,
                         const std::vector<double>& angles, double& k1, double& k2, double& k3) {
  if (step == 0.0 || angles.empty()) return false;

  std::vector<vec_t_<double, 2>> units;
  units.reserve(angles.size());
  for (double a : angles)
    units.push_back({std::cos(a), std::sin(a)});
  const double directions = static_cast<double>(units.size());

  // Normal equations, accumulated as the samples come.
  matr3x3 m;
  vec_t_<double, 3> b;
  for (unsigned i = 1; i <= count; ++i) {
    const double r = i * step;
    double sum = 0.0;
    for (const auto& u : units) {
      const vec_t_<double, 2> q = transform.TransformPoint(u * r);
      sum += std::hypot(q.x, q.y) - r;
    }
    const double d = sum / directions;
    const double r2 = r * r;
    const double s[3] = {r2 * r, r2 * r2 * r, r2 * r2 * r2 * r};
    for (int row = 0; row < 3; ++row)
      for (int col = row; col < 3; ++col)
        m.m[row][col] += s[row] * s[col];
    b = b + vec_t_<double, 3>{s[0], s[1], s[2]} * d;
  }
  for (int row = 1; row < 3; ++row)
    for (int col = 0; col < row; ++col)
      m.m[row][col] = m.m[col][row];

  const double det = m.Det();
  if (det == 0.0) return false;
  m.Invert_self(det);
  const vec_t_<double, 3> k = m * b;
  k1 = k.x, k2 = k.y, k3 = k.z;
  return true;
}

}  // namespace lxcu::internal
