#include "SeriesBatch.h"

namespace lxmathex_detail {

[[gnu::target_clones("avx512f", "avx2", "default")]] void SeriesForward(const SeriesKernel& k,
                                                                        const Vec2* in, Vec2* out,
                                                                        std::size_t n) {
  WithShape(k, ForwardLoop{in, out, n});
}

[[gnu::target_clones("avx512f", "avx2", "default")]] void SeriesInverse(const SeriesKernel& k,
                                                                        const Vec2* in, Vec2* out,
                                                                        std::size_t n) {
  WithShape(k, InverseLoop{in, out, n});
}

[[gnu::target_clones("avx512f", "avx2", "default")]] void MixedForward(const MixedKernel& k,
                                                                       const Vec2* in, Vec2* out,
                                                                       std::size_t n) {
  ForwardPoints(k, in, out, n);
}

[[gnu::target_clones("avx512f", "avx2", "default")]] void MixedInverse(const MixedKernel& k,
                                                                       const Vec2* in, Vec2* out,
                                                                       std::size_t n) {
  InversePoints(k, in, out, n);
}

}  // namespace lxmathex_detail
