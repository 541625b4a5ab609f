#include <LxCameraUtils/BatchTransform.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstddef>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using P = vec_t_<double, 2>;

// Doubles x; refuses points with x = 666 partway through a batch.
class Refusing final : public TLx2DTransform {
 public:
  P TransformPoint(const P& p) const override {
    if (p.x == 666.0) throw std::domain_error("no 666");
    return {2.0 * p.x, p.y};
  }
  std::unique_ptr<TLx2DTransform> Clone() const override {
    return std::make_unique<Refusing>(*this);
  }
};

// Runs every job on a thread of its own.
void OnThreads(std::size_t jobs, const std::function<void(std::size_t)>& job) {
  std::vector<std::jthread> threads;
  for (std::size_t j = 0; j < jobs; ++j)
    threads.emplace_back(job, j);
}

constexpr double kInf = std::numeric_limits<double>::infinity();

}  // namespace

TEST(TransformPointsParallel, RethrowsTheFirstFailureOnceEveryWorkerHasStopped) {
  std::vector<P> points(100000, P{1.0, 2.0});
  points[77777].x = 666.0;
  const Refusing t;
  for (const TLxBatchOptions& options : {TLxBatchOptions{2, {}}, TLxBatchOptions{0, OnThreads}}) {
    std::vector<P> out(points.size());
    EXPECT_THROW(TransformPointsParallel(t, points.data(), out.data(), out.size(), options),
                 std::domain_error);
  }
  // The same through a raster, on every core.
  const TLxRasterGrid grid{{0.0, 0.0}, {1.0, 1.0}, 1000, 100};
  std::vector<P> out(grid.cols * grid.rows);
  EXPECT_THROW(TransformRaster(t, grid, out.data(), {0, {}}), std::domain_error);
  // Up to x = 665, every run passes.
  ASSERT_NO_THROW(TransformRaster(t, {{0.0, 0.0}, {1.0, 1.0}, 666, 100}, out.data(), {0, {}}));
  EXPECT_EQ(out[99 * 666 + 665], (P{1330.0, 99.0}));
}

TEST(TransformRaster, RefusesNullOutputsBadStepsAndGridsBeyondMemory) {
  const TUnityTransform t;
  P out[4];
  const auto raster = [&](TLxRasterGrid grid, P* to = nullptr) {
    TransformRaster(t, grid, to, {});
  };
  EXPECT_THROW(raster({{0, 0}, {1, 1}, 2, 2}), std::invalid_argument);
  EXPECT_NO_THROW(raster({{0, 0}, {1, 1}, 0, 2}));  // empty: nothing to write
  EXPECT_THROW(raster({{0, 0}, {0, 1}, 2, 2}, out), std::invalid_argument);
  EXPECT_THROW(raster({{0, 0}, {1, -1}, 2, 2}, out), std::invalid_argument);
  EXPECT_THROW(raster({{0, 0}, {1, kInf}, 2, 2}, out), std::invalid_argument);
  EXPECT_THROW(raster({{std::nan(""), 0}, {1, 1}, 2, 2}, out), std::invalid_argument);
  const std::size_t half = std::size_t{1} << 32;
  EXPECT_THROW(raster({{0, 0}, {1, 1}, half, half}, out), std::invalid_argument);
  EXPECT_THROW(TransformPointsParallel(t, nullptr, out, 4), std::invalid_argument);
  EXPECT_THROW(TransformPointsParallel(t, out, nullptr, 4), std::invalid_argument);
  EXPECT_NO_THROW(TransformPointsParallel(t, nullptr, nullptr, 0));
  raster({{-1.5, 2.0}, {0.5, 3.0}, 2, 2}, out);
  EXPECT_TRUE(out[0] == (P{-1.5, 2.0}) && out[3] == (P{-1.0, 5.0}));
}

TEST(PixelGrid, SamplesPixelCentresUpToTheWindowsLastPixel) {
  const TLxRasterGrid grid = PixelGrid({10, 20, 100, 7}, 3.0);
  EXPECT_EQ(grid.origin, (P{10.0, 20.0}));
  EXPECT_EQ(grid.step, (P{3.0, 3.0}));
  EXPECT_EQ(grid.cols, 34u);  // 10, 13, …, 109
  EXPECT_EQ(grid.rows, 3u);   // 20, 23, 26
  EXPECT_EQ(PixelGrid({0, 0, 4, 4}, 0.5).cols, 7u);
  EXPECT_EQ(PixelGrid({0, 0, 0, 4}).cols, 0u);
  for (double bad : {0.0, -1.0, kInf, std::nan("")})
    EXPECT_THROW(PixelGrid({0, 0, 4, 4}, bad), std::invalid_argument);
  EXPECT_THROW(PixelGrid({0, 0, std::size_t{1} << 62, 4}, 1e-9), std::invalid_argument);
}
