// Whole images, each subject timed in turns with its reference:
// - threads: 10^7 points on two threads against one, for the inverse formula
//   (compute-bound), pixels to millimetres through it, the forward formula
//   (memory-bound), and the inverse through a host's own pool;
// - rasters: a 4000 × 4000 scan of a film camera mapped by TransformRaster
//   against building the point array and one batch call, pixels to corrected
//   millimetres and millimetres back to pixels, and against writing the
//   output alone;
// - OpenCV's initUndistortRectifyMap on one thread against our raster of the
//   same Brown model over the same image, with the largest difference of each
//   from a plain double evaluation of the model, in pixels.

#include <LxCameraUtils/BatchTransform.h>
#include <LxCameraUtils/CameraGeometry.h>
#include <LxCameraUtils/IntOrSolution.h>
#include <LxMathEx/FormulaDistortion.h>
#include <LxStd/Transform2D.h>

#include <benchmark/benchmark.h>

#include "BenchTiming.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#ifdef LX_HAVE_OPENCV
#include <opencv2/calib3d.hpp>
#include <opencv2/core.hpp>
#endif

namespace {

using P = vec_t_<double, 2>;
using lxbench::InTurns;

constexpr std::size_t kThreadPoints = 10'000'000;
constexpr std::size_t kSide = 4000;    // px, the scan
constexpr double kPixelMm = 0.0575;    // 230 mm / 4000 px
constexpr double kCentrePx = 1999.5;   // the scan's centre, px
constexpr double kFocus = 153.743;     // mm
constexpr double kStrongCorner = 1.0;  // mm of distortion at the corner of the ±115 mm frame

// A film camera as calibration reports give it (about 10 µm at the corner),
// or with the same pattern scaled to kStrongCorner.
TLxCameraInfo FilmCamera(bool strong, bool mm_to_cam) {
  const double s = strong ? kStrongCorner / 9.4e-3 : 1.0;
  TLxCameraInfo cam;
  cam.focus = kFocus;
  cam.principal_point = cam.distortion.symmetry_point = {-0.009, 0.002};
  TLxCameraDistortion& d = cam.distortion;
  d.type = dtFormula;
  d.direction = mm_to_cam ? TLxCameraDistortion::dirMmToCam : TLxCameraDistortion::dirCamToMm;
  d.k1 = s * -2.295e-09, d.k2 = s * 1.454e-14, d.p1 = s * -3.015e-08, d.p2 = s * 1.668e-08;
  d.b1 = d.a2 = 2.616e-05;
  return cam;
}

// The scan: 57.5 µm pixels, rows down, turned by 0.3°, centred on the frame.
TLxIntOrSolution Scan() {
  const double c = kPixelMm * std::cos(0.3 / 180 * 3.141592653589793);
  const double n = kPixelMm * std::sin(0.3 / 180 * 3.141592653589793);
  TLxIntOrSolution solution;
  solution.pix_to_cam = {c, n, -kCentrePx * (c + n), n, -c, kCentrePx * (c - n), 0.0, 0.0};
  solution.cam_to_pix = solution.pix_to_cam.Inverse();
  return solution;
}

// --- Threads ------------------------------------------------------------------

// A host's pool: workers started once, waiting for jobs.
class Pool {
 public:
  explicit Pool(unsigned workers) {
    for (unsigned k = 0; k < workers; ++k)
      threads_.emplace_back([this] { Serve(); });
  }
  ~Pool() {
    {
      const std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
  }
  void Run(std::size_t jobs, const std::function<void(std::size_t)>& job) {
    std::unique_lock lock(mutex_);
    job_ = &job, jobs_ = jobs, next_ = 0, done_ = 0;
    wake_.notify_all();
    finished_.wait(lock, [&] { return done_ == jobs_; });
    jobs_ = 0;
  }

 private:
  void Serve() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return stop_ || next_ < jobs_; });
      if (stop_) return;
      const std::size_t j = next_++;
      lock.unlock();
      (*job_)(j);
      lock.lock();
      if (++done_ == jobs_) finished_.notify_one();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_, finished_;
  const std::function<void(std::size_t)>* job_ = nullptr;
  std::size_t jobs_ = 0, next_ = 0, done_ = 0;
  bool stop_ = false;
  std::vector<std::jthread> threads_;  // last: they stop before the rest goes
};

// 10^7 camera points over the ±115 mm frame in image order, or the scan's pixels there.
std::vector<P> ThreadPoints(bool pixels) {
  const TLxRasterGrid grid{{-115.0, -115.0}, {230.0 / 3162, 230.0 / 3162}, 3162, 3163};
  std::vector<P> points(grid.cols * grid.rows);
  TransformRaster(TUnityTransform(), grid, points.data());
  points.resize(kThreadPoints);
  if (pixels) {
    const TLxIntOrSolution scan = Scan();
    for (P& p : points)
      p = scan.cam_to_pix.Apply(p);
  }
  return points;
}

// Two threads over one for: 0 the inverse formula camera-to-mm transform
// (strong), 1 pixels to mm through it, 2 the forward formula (strong),
// 3 as 0 through a host's pool.
void BM_TwoThreadsOverOne(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const TLxCameraInfo camera = FilmCamera(true, which != 2);
  const auto t =
      which == 1 ? CreatePixToMmTransform(camera, Scan()) : CreateCamToMmTransform(camera);
  const std::vector<P> in = ThreadPoints(which == 1);
  std::vector<P> out(in.size());
  Pool pool(2);
  TLxBatchOptions two{2, {}};
  if (which == 3)
    two.executor = [&pool](std::size_t jobs, const std::function<void(std::size_t)>& job) {
      pool.Run(jobs, job);
    };
  InTurns(
      state, in.size(), [&] { TransformPointsParallel(*t, in.data(), out.data(), in.size()); },
      [&] { TransformPointsParallel(*t, in.data(), out.data(), in.size(), two); });
}

// --- Rasters ------------------------------------------------------------------

// The scan's pixels to corrected mm (range(0): 0, realistic; 1, strong), or
// the frame in mm at the same spacing back to pixels (2, realistic):
// TransformRaster against filling the point array and mapping it, in place
// (range(1) 0) or into a separate output (1), one thread.
void BM_RasterOverArray(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const bool in_place = state.range(1) == 0;
  const TLxCameraInfo camera = FilmCamera(which == 1, false);
  const auto t =
      which == 2 ? CreateMmToPixTransform(camera, Scan()) : CreatePixToMmTransform(camera, Scan());
  const TLxRasterGrid grid =
      which == 2 ? TLxRasterGrid{{-115.0, -115.0}, {kPixelMm, kPixelMm}, kSide, kSide}
                 : PixelGrid({0, 0, kSide, kSide});
  std::vector<P> array(kSide * kSide), raster(kSide * kSide);
  const auto build_and_map = [&] {
    std::size_t k = 0;
    for (std::size_t row = 0; row < grid.rows; ++row)
      for (std::size_t col = 0; col < grid.cols; ++col)
        array[k++] = {grid.origin.x + static_cast<double>(col) * grid.step.x,
                      grid.origin.y + static_cast<double>(row) * grid.step.y};
    t->TransformPoints(array.data(), in_place ? array.data() : raster.data(), array.size());
  };
  InTurns(state, array.size(), build_and_map, [&] { TransformRaster(*t, grid, raster.data()); });
  if (in_place) state.counters["identical"] = array == raster;
}

// The same raster of the realistic camera, pixels to corrected mm, against
// writing the output alone (the identity's raster): what is left to save.
void BM_RasterOverWriting(benchmark::State& state) {
  const auto t = CreatePixToMmTransform(FilmCamera(false, false), Scan());
  const TLxRasterGrid grid = PixelGrid({0, 0, kSide, kSide});
  std::vector<P> out(kSide * kSide);
  InTurns(
      state, out.size(), [&] { TransformRaster(TUnityTransform(), grid, out.data()); },
      [&] { TransformRaster(*t, grid, out.data()); });
}

// --- OpenCV -------------------------------------------------------------------
#ifdef LX_HAVE_OPENCV

// A Brown camera in pixels: the strong film camera's k1, k2, p1, p2 with f
// in px and the principal point at the scan's centre.
struct Brown {
  double f = kFocus / kPixelMm, c = kCentrePx;
  double k1, k2, p1, p2;  // OpenCV's, on coordinates divided by f
  Brown() {
    const TLxCameraDistortion d = FilmCamera(true, false).distortion;
    k1 = d.k1 * kFocus * kFocus, k2 = d.k2 * std::pow(kFocus, 4);
    p1 = kFocus * d.p2, p2 = kFocus * d.p1;
  }
  // The distorted pixel of undistorted pixel (u, v), as OpenCV's map means it.
  P Map(double u, double v) const {
    const double x = (u - c) / f, y = (v - c) / f, r2 = x * x + y * y;
    const double radial = 1 + r2 * (k1 + r2 * k2);
    return {c + f * (x * radial + 2 * p1 * x * y + p2 * (r2 + 2 * x * x)),
            c + f * (y * radial + p1 * (r2 + 2 * y * y) + 2 * p2 * x * y)};
  }
  // The library's formula model computing the same map on pixels: its terms
  // scaled by the pixel size, its centre at the principal point.
  TFormulaDistortion Ours() const {
    const double s = kPixelMm, f2 = kFocus * kFocus;
    TDistCoeff d{.center = {c, c}};
    d.k1 = k1 / f2 * s * s, d.k2 = k2 / (f2 * f2) * std::pow(s, 4);
    d.p1 = p2 / kFocus * s, d.p2 = p1 / kFocus * s;
    return TFormulaDistortion(d);
  }
};

// initUndistortRectifyMap (map type: 0 CV_32FC2, 1 CV_32FC1 ×2, 2 CV_16SC2)
// against our raster, 4000 × 4000 px, one thread each. Strong distortion
// (1 mm, 17 px at the corner), so that rounding of large offsets shows.
void BM_RasterOverCvUndistortMap(benchmark::State& state) {
  cv::setNumThreads(1);
  const int types[] = {CV_32FC2, CV_32FC1, CV_16SC2};
  const int type = types[state.range(0)];
  const Brown brown;
  const cv::Matx33d k(brown.f, 0, brown.c, 0, brown.f, brown.c, 0, 0, 1);
  const cv::Mat dist = (cv::Mat_<double>(1, 4) << brown.k1, brown.k2, brown.p1, brown.p2);
  const TFormulaDistortion ours = brown.Ours();
  const TLxRasterGrid grid = PixelGrid({0, 0, kSide, kSide});
  std::vector<P> out(kSide * kSide);
  cv::Mat map1, map2;
  const cv::Size size(static_cast<int>(kSide), static_cast<int>(kSide));
  InTurns(
      state, out.size(),
      [&] { cv::initUndistortRectifyMap(k, dist, cv::noArray(), k, size, type, map1, map2); },
      [&] { TransformRaster(ours, grid, out.data()); });
  double cv_worst = 0.0, our_worst = 0.0;
  for (std::size_t row = 0; row < kSide; ++row)
    for (std::size_t col = 0; col < kSide; ++col) {
      const P want = brown.Map(static_cast<double>(col), static_cast<double>(row));
      const int r = static_cast<int>(row), c = static_cast<int>(col);
      P cv_got;
      if (type == CV_32FC2) {
        const cv::Vec2f v = map1.at<cv::Vec2f>(r, c);
        cv_got = {v[0], v[1]};
      } else if (type == CV_32FC1) {
        cv_got = {map1.at<float>(r, c), map2.at<float>(r, c)};
      } else {  // whole pixels and a 1/32-px table index
        const cv::Vec2s whole = map1.at<cv::Vec2s>(r, c);
        const unsigned index = map2.at<unsigned short>(r, c);
        cv_got = {whole[0] + (index % 32) / 32.0, whole[1] + (index / 32) / 32.0};
      }
      const P ours_got = out[row * kSide + col];
      cv_worst = std::max(cv_worst, std::hypot(cv_got.x - want.x, cv_got.y - want.y));
      our_worst = std::max(our_worst, std::hypot(ours_got.x - want.x, ours_got.y - want.y));
    }
  state.counters["cv_max_error_px"] = cv_worst;
  state.counters["our_max_error_px"] = our_worst;
}
#endif

}  // namespace

BENCHMARK(BM_TwoThreadsOverOne)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RasterOverArray)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RasterOverWriting)->Unit(benchmark::kMillisecond);
#ifdef LX_HAVE_OPENCV
BENCHMARK(BM_RasterOverCvUndistortMap)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
#endif

BENCHMARK_MAIN();
