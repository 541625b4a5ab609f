#include <LxCameraUtils/BatchTransform.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <exception>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

namespace lxcu::internal {

namespace {

using P = vec_t_<double, 2>;

// Runs start at multiples of this many points, which keeps the vector loops'
// blocks where one call over the whole array has them.
constexpr std::size_t kRunAlign = 64;
// A worker takes runs of 1 k to 16 k points (16–256 KB): a few per worker
// balance the load when another process takes a core, yet each outlasts the
// shared counter's traffic by far.
constexpr std::size_t kMinRun = 1024;
constexpr std::size_t kMaxRun = 16384;
constexpr std::size_t kRunsPerWorker = 4;
// Below this many points a thread costs more to start than it saves.
constexpr std::size_t kMinParallel = 4096;
// Raster samples generated and mapped at a time (8 KB): they stay in L1 in between.
constexpr std::size_t kRasterBlock = 512;

unsigned Workers(const TLxBatchOptions& options) {
  if (options.threads != 0) return options.threads;
  return std::max(1u, std::thread::hardware_concurrency());
}

// Splits [0, n) into runs and calls run(begin, end) for each, on the workers
// that `options` asks for; rethrows the first exception a run throws once
// every worker has stopped.
template <class Run>
void ShareOut(std::size_t n, const TLxBatchOptions& options, const Run& run) {
  const std::size_t workers = Workers(options);
  if (workers == 1 || n < kMinParallel) {
    if (n > 0) run(std::size_t{0}, n);
    return;
  }
  const std::size_t wanted = (n + workers * kRunsPerWorker - 1) / (workers * kRunsPerWorker);
  const std::size_t size =
      std::clamp((wanted + kRunAlign - 1) / kRunAlign * kRunAlign, kMinRun, kMaxRun);
  const std::size_t runs = (n + size - 1) / size;
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  std::exception_ptr first_error;
  std::mutex error_mutex;
  const auto work = [&](std::size_t /*job*/) {
    try {
      while (!failed.load(std::memory_order_relaxed)) {
        const std::size_t r = next++;
        if (r >= runs) break;
        run(r * size, std::min(n, (r + 1) * size));
      }
    } catch (...) {
      const std::lock_guard lock(error_mutex);
      if (!first_error) first_error = std::current_exception();
      failed = true;
    }
  };
  const std::size_t jobs = std::min<std::size_t>(workers, runs);
  if (options.executor) {
    options.executor(jobs, work);
  } else {
    std::vector<std::jthread> threads;
    threads.reserve(jobs - 1);
    try {
      for (std::size_t j = 1; j < jobs; ++j)
        threads.emplace_back(work, j);
    } catch (const std::system_error&) {
      // No more threads to be had: those started and this one do the rest.
    }
    work(0);
  }  // the threads join here
  if (first_error) std::rethrow_exception(first_error);
}

// Writes samples [begin, end) of `grid` into `out` block by block, each
// row's part of a block by a loop without branches, and maps each block in
// place while it is in L1.
void RasterRun(const TLx2DTransform& t, const TLxRasterGrid& grid, P* out, std::size_t begin,
               std::size_t end) {
  // Sample coordinates as the grid defines them; counts stay below 2⁶³.
  const auto at = [](double origin, std::size_t k, double step) {
    return origin + static_cast<double>(static_cast<std::int64_t>(k)) * step;
  };
  std::size_t row = begin / grid.cols, col = begin % grid.cols;
  for (std::size_t first = begin; first < end;) {
    const std::size_t last = std::min(end, first + kRasterBlock);
    for (std::size_t k = first; k < last;) {
      const std::size_t stop = std::min(last, k + (grid.cols - col));
      const double y = at(grid.origin.y, row, grid.step.y);
      for (; k < stop; ++k, ++col)
        out[k] = {at(grid.origin.x, col, grid.step.x), y};
      if (col == grid.cols) col = 0, ++row;
    }
    t.TransformPoints(out + first, out + first, last - first);
    first = last;
  }
}

bool FiniteAndPositive(double v) {
  return std::isfinite(v) && v > 0.0;
}

}  // namespace

}  // namespace lxcu::internal

void TransformPointsParallel(const TLx2DTransform& t, const vec_t_<double, 2>* in,
                             vec_t_<double, 2>* out, std::size_t n,
                             const TLxBatchOptions& options) {
  if (n > 0 && (in == nullptr || out == nullptr))
    throw std::invalid_argument("TransformPointsParallel: the input or output array is null");
  lxcu::internal::ShareOut(n, options, [&](std::size_t begin, std::size_t end) {
    t.TransformPoints(in + begin, out + begin, end - begin);
  });
}

TLxRasterGrid PixelGrid(const TLxPixelWindow& window, double step_px) {
  if (!lxcu::internal::FiniteAndPositive(step_px))
    throw std::invalid_argument("PixelGrid: the step must be a finite number of pixels > 0");
  // Samples along one axis of `pixels` pixels: as many steps as fit in
  // pixels − 1, and the first.
  const auto samples = [step_px](std::size_t pixels) -> std::size_t {
    if (pixels == 0) return 0;
    const double steps = std::floor(static_cast<double>(pixels - 1) / step_px);
    if (steps >= static_cast<double>(std::numeric_limits<std::int64_t>::max()))
      throw std::invalid_argument("PixelGrid: the step is too small for the window");
    return static_cast<std::size_t>(steps) + 1;
  };
  return {{static_cast<double>(window.first_col), static_cast<double>(window.first_row)},
          {step_px, step_px},
          samples(window.cols),
          samples(window.rows)};
}

void TransformRaster(const TLx2DTransform& t, const TLxRasterGrid& grid, vec_t_<double, 2>* out,
                     const TLxBatchOptions& options) {
  using lxcu::internal::FiniteAndPositive;
  if (!std::isfinite(grid.origin.x) || !std::isfinite(grid.origin.y))
    throw std::invalid_argument("TransformRaster: the grid's origin is not finite");
  if (!FiniteAndPositive(grid.step.x) || !FiniteAndPositive(grid.step.y))
    throw std::invalid_argument("TransformRaster: the grid's steps must be finite and > 0");
  if (grid.cols == 0 || grid.rows == 0) return;
  constexpr std::size_t kMaxPoints = std::numeric_limits<std::size_t>::max() / sizeof(*out);
  if (grid.rows > kMaxPoints / grid.cols)
    throw std::invalid_argument("TransformRaster: the grid has more points than memory can hold");
  if (out == nullptr) throw std::invalid_argument("TransformRaster: the output array is null");
  lxcu::internal::ShareOut(grid.cols * grid.rows, options, [&](std::size_t begin, std::size_t end) {
    lxcu::internal::RasterRun(t, grid, out, begin, end);
  });
}
