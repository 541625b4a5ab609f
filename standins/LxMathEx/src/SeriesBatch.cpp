#include "SeriesBatch.h"

// The loops are built for several instruction sets and picked at load time.
// A coverage build keeps one variant: branches of the variants a machine never
// runs would count as untested.
#ifdef LX_SINGLE_VARIANT
#define LX_BATCH_VARIANTS
#else
#define LX_BATCH_VARIANTS [[gnu::target_clones("avx512f", "avx2", "default")]]
#endif

namespace lxmathex_detail {

LX_BATCH_VARIANTS void SeriesForward(const SeriesKernel& k, const Vec2* in, Vec2* out,
                                     std::size_t n) {
  WithShape(k, ForwardLoop{in, out, n});
}

LX_BATCH_VARIANTS void SeriesInverse(const SeriesKernel& k, const Vec2* in, Vec2* out,
                                     std::size_t n) {
  WithShape(k, InverseLoop{in, out, n});
}

LX_BATCH_VARIANTS void MixedForward(const MixedKernel& k, const Vec2* in, Vec2* out,
                                    std::size_t n) {
  ForwardPoints(k, in, out, n);
}

LX_BATCH_VARIANTS void MixedInverse(const MixedKernel& k, const Vec2* in, Vec2* out,
                                    std::size_t n) {
  InversePoints(k, in, out, n);
}

}  // namespace lxmathex_detail
