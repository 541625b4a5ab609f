#pragma once

// Point and batch paths of the series kernels. Both are built for several
// instruction sets and chosen at load time; both fuse exactly where the
// processor has FMA, so a model's point and batch paths always run the same
// arithmetic (see MulAdd).

#include <cstddef>

#include "SeriesKernel.h"

namespace lxmathex_detail {

// F (or F⁻¹ when `inverse`) of n points, and of one point.
void SeriesPoints(const SeriesKernel& k, bool inverse, const Vec2* in, Vec2* out, std::size_t n);
Vec2 SeriesPoint(const SeriesKernel& k, bool inverse, const Vec2& p);
void MixedForward(const MixedKernel& k, const Vec2* in, Vec2* out, std::size_t n);
void MixedInverse(const MixedKernel& k, const Vec2* in, Vec2* out, std::size_t n);

// The model's map of one point: F(p), or F⁻¹(p) when `inverse`.
template <class K>
[[gnu::always_inline]] inline Vec2 MapPoint(const K& k, bool inverse, const Vec2& p) {
  return inverse ? InversePoint(k, p) : ForwardPoint(k, p);
}

// Function objects that WithShape hands the shaped kernel to; inlined into
// their caller, so into each instruction-set variant.
template <bool kInverse>
struct PointMapper {
  Vec2 p;
  template <class K>
  [[gnu::always_inline]] Vec2 operator()(const K& k) const {
    return MapPoint(k, kInverse, p);
  }
};

struct ForwardLoop {
  const Vec2* in;
  Vec2* out;
  std::size_t n;
  template <class K>
  [[gnu::always_inline]] void operator()(const K& k) const {
    ForwardPoints(k, in, out, n);
  }
};

struct InverseLoop {
  const Vec2* in;
  Vec2* out;
  std::size_t n;
  template <class K>
  [[gnu::always_inline]] void operator()(const K& k) const {
    InversePoints(k, in, out, n);
  }
};

}  // namespace lxmathex_detail
