#include <LxCameraUtils/CameraDistortion.h>

#include <algorithm>
#include <cstring>

#include "camera/MoveEmptying.h"

namespace {

// Bit patterns, not values: coefficient arrays are equal only when stored
// identically, so -0.0 differs from +0.0 and a copied NaN matches.
template <std::size_t N>
bool SameBits(const std::array<double, N>& a, const std::array<double, N>& b) {
  return std::memcmp(a.data(), b.data(), sizeof(double) * N) == 0;
}

bool SameRadialRows(const std::vector<TLxCameraDistortion::TRadialTableRow>& a,
                    const std::vector<TLxCameraDistortion::TRadialTableRow>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const auto& x, const auto& y) { return x.r == y.r && x.dr == y.dr; });
}

bool SameDirectedRows(const std::vector<TLxCameraDistortion::TDirectedTableRow>& a,
                      const std::vector<TLxCameraDistortion::TDirectedTableRow>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const auto& x, const auto& y) { return x.r == y.r && x.dr == y.dr; });
}

}  // namespace

TLxCameraDistortion::TLxCameraDistortion(TLxCameraDistortion&& other) noexcept {
  *this = std::move(other);
}

TLxCameraDistortion& TLxCameraDistortion::operator=(TLxCameraDistortion&& other) noexcept {
  if (this == &other) return *this;
  type = other.type;
  direction = other.direction;
  mixed_coeffs = other.mixed_coeffs;
  polynomial_coeffs = other.polynomial_coeffs;
  MoveEmptying(table_r, other.table_r);
  MoveEmptying(table_plus, other.table_plus);
  MoveEmptying(table_x, other.table_x);
  symmetry_point = other.symmetry_point;
  k1 = other.k1;
  k2 = other.k2;
  k3 = other.k3;
  k4 = other.k4;
  k5 = other.k5;
  p1 = other.p1;
  p2 = other.p2;
  p3 = other.p3;
  p4 = other.p4;
  b1 = other.b1;
  b2 = other.b2;
  a1 = other.a1;
  a2 = other.a2;
  return *this;
}

void TLxCameraDistortion::Reset() noexcept {
  *this = TLxCameraDistortion();
}

bool TLxCameraDistortion::operator==(const TLxCameraDistortion& o) const {
  return type == o.type && direction == o.direction && SameRadialRows(table_r, o.table_r) &&
         SameDirectedRows(table_plus, o.table_plus) && SameDirectedRows(table_x, o.table_x) &&
         symmetry_point.x == o.symmetry_point.x && symmetry_point.y == o.symmetry_point.y &&
         k1 == o.k1 && k2 == o.k2 && k3 == o.k3 && k4 == o.k4 && k5 == o.k5 && p1 == o.p1 &&
         p2 == o.p2 && p3 == o.p3 && p4 == o.p4 && b1 == o.b1 && b2 == o.b2 && a1 == o.a1 &&
         a2 == o.a2 && SameBits(mixed_coeffs.a, o.mixed_coeffs.a) &&
         SameBits(mixed_coeffs.b, o.mixed_coeffs.b) && SameBits(mixed_coeffs.c, o.mixed_coeffs.c) &&
         SameBits(mixed_coeffs.K, o.mixed_coeffs.K) && SameBits(mixed_coeffs.P, o.mixed_coeffs.P) &&
         SameBits(polynomial_coeffs.K, o.polynomial_coeffs.K) &&
         SameBits(polynomial_coeffs.P, o.polynomial_coeffs.P);
}
