#include "geometry/ProjectiveTransform.h"

namespace lxcu::internal {

namespace {

using P = vec_t_<double, 2>;

// Built for several instruction sets, picked at load time; compiled without
// contraction into FMA, so that every variant rounds alike.
[[gnu::target_clones("avx512f", "avx2", "default")]] void ProjectivePoints(const TPlaneTransform& t,
                                                                           const P* in, P* out,
                                                                           std::size_t n) {
  const TPlaneTransform c = t;  // kept in registers while `out` is written
  for (std::size_t i = 0; i < n; ++i) {
    const double x = in[i].x, y = in[i].y;
    const double w = 1.0 / (c.c0 * x + c.c1 * y + 1.0);
    out[i] = {(c.a0 * x + c.a1 * y + c.a2) * w, (c.a3 * x + c.a4 * y + c.a5) * w};
  }
}

}  // namespace

P TProjectiveTransform::TransformPoint(const P& p) const {
  P q;
  ProjectivePoints(t_, &p, &q, 1);
  return q;
}

void TProjectiveTransform::TransformPoints(const P* in, P* out, std::size_t n) const {
  ProjectivePoints(t_, in, out, n);
}

std::unique_ptr<TLx2DTransform> TProjectiveTransform::Clone() const {
  return std::make_unique<TProjectiveTransform>(*this);
}

}  // namespace lxcu::internal
