#include "SeriesBatch.h"

#include "TableBatch.h"
#include "Variants.h"

namespace lxcu::internal {

namespace {

// Function objects that WithShape hands the shaped kernel to; inlined into
// their caller, so into each instruction-set version.
template <bool kInverse>
struct PointMapper {
  Vec2 p;
  template <class K>
  [[gnu::always_inline]] Vec2 operator()(const K& k) const {
    return kInverse ? InversePoint(k, p) : ForwardPoint(k, p);
  }
};

template <bool kInverse>
struct PointsLoop {
  const Vec2* in;
  Vec2* out;
  std::size_t n;
  template <class K>
  [[gnu::always_inline]] void operator()(const K& k) const {
    if constexpr (kInverse)
      InversePoints(k, in, out, n);
    else
      ForwardPoints(k, in, out, n);
  }
};

// The jobs built for each instruction set. The point path's version has no
// block arrays in its frame.
template <class Kernel>
struct BatchJob {
  static constexpr bool kPoint = false;
  template <bool kFused>
  [[gnu::always_inline]] static void Run(const Kernel& k, bool inverse, const Vec2* in, Vec2* out,
                                         std::size_t n) {
    if (inverse)
      WithShape<kFused>(k, PointsLoop<true>{in, out, n});
    else
      WithShape<kFused>(k, PointsLoop<false>{in, out, n});
  }
};

template <class Kernel>
struct PointJob {
  static constexpr bool kPoint = true;
  template <bool kFused>
  [[gnu::always_inline]] static Vec2 Run(const Kernel& k, bool inverse, const Vec2& p) {
    return inverse ? WithShape<kFused>(k, PointMapper<true>{p})
                   : WithShape<kFused>(k, PointMapper<false>{p});
  }
};

}  // namespace

void SeriesPoints(const SeriesKernel& k, bool inverse, const Vec2* in, Vec2* out, std::size_t n) {
  RunVariant<BatchJob<SeriesKernel>>(k, inverse, in, out, n);
}

Vec2 SeriesPoint(const SeriesKernel& k, bool inverse, const Vec2& p) {
  return RunVariant<PointJob<SeriesKernel>>(k, inverse, p);
}

Vec2 MixedPoint(const MixedKernel& k, bool inverse, const Vec2& p) {
  return RunVariant<PointJob<MixedKernel>>(k, inverse, p);
}

void MixedPoints(const MixedKernel& k, bool inverse, const Vec2* in, Vec2* out, std::size_t n) {
  RunVariant<BatchJob<MixedKernel>>(k, inverse, in, out, n);
}

void AllowVariantsFrom(TInstructionSet set) {
  std::size_t first = 0;
  while (first + 1 < std::size(kVariants) && kVariants[first].set != set)
    ++first;
  g_first_allowed_variant.store(first);
  g_variant_entry<BatchJob<SeriesKernel>>.store(nullptr);
  g_variant_entry<BatchJob<MixedKernel>>.store(nullptr);
  g_variant_entry<PointJob<SeriesKernel>>.store(nullptr);
  g_variant_entry<PointJob<MixedKernel>>.store(nullptr);
  ResetTableVariants();
}

}  // namespace lxcu::internal
