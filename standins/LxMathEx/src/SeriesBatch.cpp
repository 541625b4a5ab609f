#include "SeriesBatch.h"

namespace lxmathex_detail {

namespace {

template <bool kFused>
[[gnu::always_inline]] inline void RunBatch(const SeriesKernel& k, bool inverse, const Vec2* in,
                                            Vec2* out, std::size_t n) {
  if (inverse)
    WithShape<kFused>(k, InverseLoop{in, out, n});
  else
    WithShape<kFused>(k, ForwardLoop{in, out, n});
}

template <bool kFused>
[[gnu::always_inline]] inline Vec2 RunPoint(const SeriesKernel& k, bool inverse, const Vec2& p) {
  return inverse ? WithShape<kFused>(k, PointMapper<true>{p})
                 : WithShape<kFused>(k, PointMapper<false>{p});
}

}  // namespace

// One version per instruction set, picked at load time; where the set has
// FMA the version fuses. The point path has versions of its own, without the
// batch loops' stack frame and without AVX-512, which costs a single point
// more than it saves (about 2x here). Every AVX-512 processor has AVX2 and
// FMA, so both paths fuse alike. A coverage build keeps one version:
// branches of the versions a machine never runs would count as untested.
#ifdef LX_SINGLE_VARIANT
void SeriesPointsVersion(const SeriesKernel& k, bool inverse, const Vec2* in, Vec2* out,
                         std::size_t n) {
  RunBatch<false>(k, inverse, in, out, n);
}
Vec2 SeriesPointVersion(const SeriesKernel& k, bool inverse, const Vec2& p) {
  return RunPoint<false>(k, inverse, p);
}
#else
[[gnu::target("default")]] void SeriesPointsVersion(const SeriesKernel& k, bool inverse,
                                                    const Vec2* in, Vec2* out, std::size_t n) {
  RunBatch<false>(k, inverse, in, out, n);
}
[[gnu::target("avx2,fma")]] void SeriesPointsVersion(const SeriesKernel& k, bool inverse,
                                                     const Vec2* in, Vec2* out, std::size_t n) {
  RunBatch<true>(k, inverse, in, out, n);
}
[[gnu::target("avx512f")]] void SeriesPointsVersion(const SeriesKernel& k, bool inverse,
                                                    const Vec2* in, Vec2* out, std::size_t n) {
  RunBatch<true>(k, inverse, in, out, n);
}
[[gnu::target("default")]] Vec2 SeriesPointVersion(const SeriesKernel& k, bool inverse,
                                                   const Vec2& p) {
  return RunPoint<false>(k, inverse, p);
}
[[gnu::target("avx2,fma")]] Vec2 SeriesPointVersion(const SeriesKernel& k, bool inverse,
                                                    const Vec2& p) {
  return RunPoint<true>(k, inverse, p);
}
#endif

// The versions are called from here: GCC binds a call from another file to
// the default version.
void SeriesPoints(const SeriesKernel& k, bool inverse, const Vec2* in, Vec2* out, std::size_t n) {
  SeriesPointsVersion(k, inverse, in, out, n);
}

Vec2 SeriesPoint(const SeriesKernel& k, bool inverse, const Vec2& p) {
  return SeriesPointVersion(k, inverse, p);
}

// The mixed model's extra terms are not fused (its point path is inline), so
// its loops need no more than several instruction sets.
#ifdef LX_SINGLE_VARIANT
#define LX_BATCH_VARIANTS
#else
#define LX_BATCH_VARIANTS [[gnu::target_clones("avx512f", "avx2", "default")]]
#endif

LX_BATCH_VARIANTS void MixedForward(const MixedKernel& k, const Vec2* in, Vec2* out,
                                    std::size_t n) {
  ForwardPoints(k, in, out, n);
}

LX_BATCH_VARIANTS void MixedInverse(const MixedKernel& k, const Vec2* in, Vec2* out,
                                    std::size_t n) {
  InversePoints(k, in, out, n);
}

}  // namespace lxmathex_detail
