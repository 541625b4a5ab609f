#include "SeriesBatch.h"

namespace lxmathex_detail {
namespace {

enum class Path { kForward, kInverse, kForwardPoint, kInversePoint };

template <bool kFused>
[[gnu::always_inline]] inline void Run(const SeriesKernel& k, Path path, const Vec2* in, Vec2* out,
                                       std::size_t n) {
  switch (path) {
    case Path::kForward:
      return WithShape<kFused>(k, ForwardLoop{in, out, n});
    case Path::kInverse:
      return WithShape<kFused>(k, InverseLoop{in, out, n});
    case Path::kForwardPoint:
      *out = WithShape<kFused>(k, PointMapper{false, *in});
      return;
    case Path::kInversePoint:
      *out = WithShape<kFused>(k, PointMapper{true, *in});
      return;
  }
}

// One version per instruction set, picked at load time; where the set has
// FMA the version fuses. A coverage build keeps one version: branches of the
// versions a machine never runs would count as untested.
#ifdef LX_SINGLE_VARIANT
void Dispatch(const SeriesKernel& k, Path path, const Vec2* in, Vec2* out, std::size_t n) {
  Run<false>(k, path, in, out, n);
}
#else
[[gnu::target("default")]] void Dispatch(const SeriesKernel& k, Path path, const Vec2* in,
                                         Vec2* out, std::size_t n) {
  Run<false>(k, path, in, out, n);
}
[[gnu::target("arch=x86-64-v3")]] void Dispatch(const SeriesKernel& k, Path path, const Vec2* in,
                                                Vec2* out, std::size_t n) {
  Run<true>(k, path, in, out, n);
}
[[gnu::target("arch=x86-64-v4")]] void Dispatch(const SeriesKernel& k, Path path, const Vec2* in,
                                                Vec2* out, std::size_t n) {
  Run<true>(k, path, in, out, n);
}
#endif

}  // namespace

// The versions are called from here: GCC binds a call from another file to
// the default version.
void SeriesForward(const SeriesKernel& k, const Vec2* in, Vec2* out, std::size_t n) {
  Dispatch(k, Path::kForward, in, out, n);
}

void SeriesInverse(const SeriesKernel& k, const Vec2* in, Vec2* out, std::size_t n) {
  Dispatch(k, Path::kInverse, in, out, n);
}

Vec2 SeriesPoint(const SeriesKernel& k, bool inverse, const Vec2& p) {
  Vec2 q;
  Dispatch(k, inverse ? Path::kInversePoint : Path::kForwardPoint, &p, &q, 1);
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
