#pragma once

#include <cstddef>

#include <LxStd/Export.h>

// Small fixed-size vectors with named components. Value-initialised to zero.
template <typename T, std::size_t N>
struct vec_t_;

template <typename T>
struct vec_t_<T, 2> {
  T x{};
  T y{};

  friend constexpr bool operator==(const vec_t_&, const vec_t_&) = default;
  constexpr vec_t_ operator+(const vec_t_& o) const { return {x + o.x, y + o.y}; }
  constexpr vec_t_ operator-(const vec_t_& o) const { return {x - o.x, y - o.y}; }
  constexpr vec_t_ operator*(T s) const { return {x * s, y * s}; }
};

template <typename T>
struct vec_t_<T, 3> {
  T x{};
  T y{};
  T z{};

  friend constexpr bool operator==(const vec_t_&, const vec_t_&) = default;
  constexpr vec_t_ operator+(const vec_t_& o) const { return {x + o.x, y + o.y, z + o.z}; }
  constexpr vec_t_ operator-(const vec_t_& o) const { return {x - o.x, y - o.y, z - o.z}; }
  constexpr vec_t_ operator*(T s) const { return {x * s, y * s, z * s}; }
};

// A 3x3 matrix of doubles, zero after default construction so that callers can
// accumulate normal equations into it. Elements are row-major and public.
struct matr3x3 {
  double m[3][3]{};

  // Determinant.
  constexpr double Det() const {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  }

  // Inverts in place, given `det` == Det(). The caller checks that det is not
  // zero; with det 0 the elements become infinities or NaN.
  constexpr void Invert_self(double det) {
    const double(&a)[3][3] = m;
    const double inv[3][3] = {
        {(a[1][1] * a[2][2] - a[1][2] * a[2][1]) / det,
         (a[0][2] * a[2][1] - a[0][1] * a[2][2]) / det,
         (a[0][1] * a[1][2] - a[0][2] * a[1][1]) / det},
        {(a[1][2] * a[2][0] - a[1][0] * a[2][2]) / det,
         (a[0][0] * a[2][2] - a[0][2] * a[2][0]) / det,
         (a[0][2] * a[1][0] - a[0][0] * a[1][2]) / det},
        {(a[1][0] * a[2][1] - a[1][1] * a[2][0]) / det,
         (a[0][1] * a[2][0] - a[0][0] * a[2][1]) / det,
         (a[0][0] * a[1][1] - a[0][1] * a[1][0]) / det},
    };
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c)
        m[r][c] = inv[r][c];
  }

  constexpr vec_t_<double, 3> operator*(const vec_t_<double, 3>& v) const {
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
            m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
  }
};
