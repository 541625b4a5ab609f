#include "SeriesBatch.h"

namespace lxmathex_detail {

enum class SeriesPath { kForward, kInverse, kForwardPoint, kInversePoint };

namespace {

template <bool kFused>
[[gnu::always_inline]] inline void Run(const SeriesKernel& k, SeriesPath path, const Vec2* in,
                                       Vec2* out, std::size_t n) {
  switch (path) {
    case SeriesPath::kForward:
      return WithShape<kFused>(k, ForwardLoop{in, out, n});
    case SeriesPath::kInverse:
      return WithShape<kFused>(k, InverseLoop{in, out, n});
    case SeriesPath::kForwardPoint:
      *out = WithShape<kFused>(k, PointMapper{false, *in});
      return;
    case SeriesPath::kInversePoint:
      *out = WithShape<kFused>(k, PointMapper{true, *in});
      return;
  }
}

}  // namespace

// One version per instruction set, picked at load time; where the set has
// FMA the version fuses. A coverage build keeps one version: branches of the
// versions a machine never runs would count as untested.
#ifdef LX_SINGLE_VARIANT
void SeriesRun(const SeriesKernel& k, SeriesPath path, const Vec2* in, Vec2* out, std::size_t n) {
  Run<false>(k, path, in, out, n);
}
#else
[[gnu::target("default")]] void SeriesRun(const SeriesKernel& k, SeriesPath path, const Vec2* in,
                                          Vec2* out, std::size_t n) {
  Run<false>(k, path, in, out, n);
}
[[gnu::target("avx2,fma")]] void SeriesRun(const SeriesKernel& k, SeriesPath path, const Vec2* in,
                                           Vec2* out, std::size_t n) {
  Run<true>(k, path, in, out, n);
}
[[gnu::target("avx512f")]] void SeriesRun(const SeriesKernel& k, SeriesPath path, const Vec2* in,
                                          Vec2* out, std::size_t n) {
  Run<true>(k, path, in, out, n);
}
#endif

// The versions are called from here: GCC binds a call from another file to
// the default version.
void SeriesForward(const SeriesKernel& k, const Vec2* in, Vec2* out, std::size_t n) {
  SeriesRun(k, SeriesPath::kForward, in, out, n);
}

void SeriesInverse(const SeriesKernel& k, const Vec2* in, Vec2* out, std::size_t n) {
  SeriesRun(k, SeriesPath::kInverse, in, out, n);
}

Vec2 SeriesPoint(const SeriesKernel& k, bool inverse, const Vec2& p) {
  Vec2 q;
  SeriesRun(k, inverse ? SeriesPath::kInversePoint : SeriesPath::kForwardPoint, &p, &q, 1);
  return q;
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
