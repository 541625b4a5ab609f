#include "TableBatch.h"

#include "Variants.h"

#include <algorithm>

namespace lxcu::internal {

namespace {

// The shapes of a table: how it finds sectors, and which path it takes.
// Plain branches, no lambdas: everything must inline into the versions
// built for each instruction set.
template <TSectors kSectors, class F>
[[gnu::always_inline]] inline auto OnPath(const TableKernel& k, F&& f) {
  return k.Compact() ? f.template operator()<kSectors, true>(k.View())
                     : f.template operator()<kSectors, false>(k.View());
}

template <class F>
[[gnu::always_inline]] inline auto Shaped(const TableKernel& k, F&& f) {
  if (k.Sectors() == TSectors::kEven) return OnPath<TSectors::kEven>(k, f);
  if (k.Sectors() == TSectors::kUneven) return OnPath<TSectors::kUneven>(k, f);
  return OnPath<TSectors::kNone>(k, f);
}

// Points per block: the block's coordinates stay in L1. The lookups gather
// from the tables, which vectorises over separate x and y arrays but not
// over interleaved points, so each block is split and joined again.
constexpr std::size_t kBlock = 64;

template <bool kInverse>
struct PointsLoop {
  const Vec2* in;
  Vec2* out;
  std::size_t n;
  template <TSectors kSectors, bool kCompact>
  [[gnu::always_inline]] void operator()(const TableView v) const {
    if (v.nseg == 0) {
      if (in != out) std::copy_n(in, n, out);  // in place: nothing to do
      return;
    }
    alignas(64) double px[kBlock], py[kBlock], theta[kBlock], qx[kBlock], qy[kBlock];
    for (std::size_t start = 0; start < n; start += kBlock) {
      const std::size_t m = std::min(kBlock, n - start);
      for (std::size_t j = 0; j < m; ++j) {
        px[j] = in[start + j].x;
        py[j] = in[start + j].y;
      }
      if constexpr (kSectors != TSectors::kNone)
        for (std::size_t j = 0; j < m; ++j)
          theta[j] = DirectionAngle(px[j] - v.cx, py[j] - v.cy);
      for (std::size_t j = 0; j < m; ++j) {
        const Vec2 q = kInverse ? v.Inverse<kSectors, kCompact>(px[j], py[j], theta[j])
                                : v.Forward<kSectors, kCompact>(px[j], py[j], theta[j]);
        qx[j] = q.x;
        qy[j] = q.y;
      }
      for (std::size_t j = 0; j < m; ++j)
        out[start + j] = {qx[j], qy[j]};
    }
  }
};

template <bool kInverse>
struct PointMapper {
  Vec2 p;
  template <TSectors kSectors, bool kCompact>
  [[gnu::always_inline]] Vec2 operator()(const TableView& v) const {
    if (v.nseg == 0) return p;
    const double theta = kSectors != TSectors::kNone ? DirectionAngle(p.x - v.cx, p.y - v.cy) : 0.0;
    return kInverse ? v.Inverse<kSectors, kCompact>(p.x, p.y, theta)
                    : v.Forward<kSectors, kCompact>(p.x, p.y, theta);
  }
};

struct BatchJob {
  static constexpr bool kPoint = false;
  template <bool kFused>
  [[gnu::always_inline]] static void Run(const TableKernel& k, bool inverse, const Vec2* in,
                                         Vec2* out, std::size_t n) {
    if (inverse)
      Shaped(k, PointsLoop<true>{in, out, n});
    else
      Shaped(k, PointsLoop<false>{in, out, n});
  }
};

struct PointJob {
  static constexpr bool kPoint = true;
  template <bool kFused>
  [[gnu::always_inline]] static Vec2 Run(const TableKernel& k, bool inverse, const Vec2& p) {
    return inverse ? Shaped(k, PointMapper<true>{p}) : Shaped(k, PointMapper<false>{p});
  }
};

}  // namespace

void TablePoints(const TableKernel& k, bool inverse, const Vec2* in, Vec2* out, std::size_t n) {
  RunVariant<BatchJob>(k, inverse, in, out, n);
}

Vec2 TablePoint(const TableKernel& k, bool inverse, const Vec2& p) {
  return RunVariant<PointJob>(k, inverse, p);
}

void ResetTableVariants() {
  g_variant_entry<BatchJob>.store(nullptr);
  g_variant_entry<PointJob>.store(nullptr);
}

}  // namespace lxcu::internal
