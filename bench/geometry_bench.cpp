// Distortion models on 10^6 points over a 100 mm frame, single-threaded: the
// camera-to-millimetre chain (shift, then the formula model) in batch and point
// by point, a plain copy of the same data as the memory bound, OpenCV's
// projectPoints and undistortPoints as the reference, and the other models.
// Inverse benchmarks report their largest residual |F(q) − p| in mm.

#include <LxMathEx/FormulaDistortion.h>
#include <LxMathEx/SeriesDistortion.h>
#include <LxMathEx/TableDistortion.h>
#include <LxStd/Transform2D.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#ifdef LX_HAVE_OPENCV
#include <opencv2/calib3d.hpp>
#include <opencv2/core.hpp>
#endif

namespace {

using P = vec_t_<double, 2>;

constexpr std::size_t kPoints = 1'000'000;
constexpr double kFocus = 100.0;      // mm
constexpr P kPrincipal{0.12, -0.07};  // mm
constexpr double kCorner = 50.0 * std::numbers::sqrt2;

// Distortion at the frame corner: mild ~25 µm, strong ~1 mm, stress ~7 mm.
struct Case {
  double k1, k2, k3, p1, p2;
};
Case MakeCase(int i) {
  const double target[] = {0.025, 1.0, 7.0};
  const double k1 = -target[i] / std::pow(kCorner, 3) * 0.9;
  const double k2 = -target[i] / std::pow(kCorner, 5) * 0.1;
  return {k1, k2, 0.0, target[i] * 2e-5, -target[i] * 1e-5};
}

// Camera points over the frame about the principal point, fixed seed.
const std::vector<P>& CameraPoints() {
  static const std::vector<P> pts = [] {
    std::mt19937_64 rng(20240605);
    std::uniform_real_distribution<double> u(-50.0, 50.0);
    std::vector<P> v(kPoints);
    for (P& p : v)
      p = {kPrincipal.x + u(rng), kPrincipal.y + u(rng)};
    return v;
  }();
  return pts;
}

// The same points relative to the principal point (the model's input).
const std::vector<P>& FramePoints() {
  static const std::vector<P> pts = [] {
    std::vector<P> v = CameraPoints();
    for (P& p : v)
      p = p - kPrincipal;
    return v;
  }();
  return pts;
}

TFormulaDistortion Formula(int i, bool mm_to_cam) {
  const Case c = MakeCase(i);
  TDistCoeff d;
  d.k1 = c.k1, d.k2 = c.k2, d.k3 = c.k3, d.p1 = c.p1, d.p2 = c.p2;
  d.mm_to_cam = mm_to_cam;
  return TFormulaDistortion(d);
}

TCombinedTransform CamToMm(int i, bool mm_to_cam) {
  TCombinedTransform t;
  t.AddTransform(TAffineTransform(1.0, 0.0, -kPrincipal.x, 0.0, 1.0, -kPrincipal.y));
  t.AddTransform(Formula(i, mm_to_cam));
  return t;
}

// Largest |F(q) − p| over all points, F the forward formula model of case i.
double MaxResidual(int i, const std::vector<P>& q, const std::vector<P>& p) {
  const TFormulaDistortion forward = Formula(i, false);
  double worst = 0.0;
  for (std::size_t k = 0; k < q.size(); ++k) {
    const P f = forward.TransformPoint(q[k]);
    const double e = std::hypot(f.x - p[k].x, f.y - p[k].y);
    worst = std::isnan(e) ? INFINITY : std::max(worst, e);
  }
  return worst;
}

void SetRate(benchmark::State& state) {
  state.counters["ns_per_point"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kPoints * 1e-9,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Copy(benchmark::State& state) {
  const std::vector<P>& in = CameraPoints();
  std::vector<P> out(in.size());
  for (auto _ : state) {
    std::memcpy(out.data(), in.data(), in.size() * sizeof(P));
    benchmark::ClobberMemory();
  }
  SetRate(state);
}

void BM_ForwardBatch(benchmark::State& state) {
  const int i = static_cast<int>(state.range(0));
  const TCombinedTransform t = CamToMm(i, false);
  const std::vector<P>& in = CameraPoints();
  std::vector<P> out(in.size());
  for (auto _ : state) {
    t.TransformPoints(in.data(), out.data(), in.size());
    benchmark::ClobberMemory();
  }
  SetRate(state);
}

void BM_ForwardPoint(benchmark::State& state) {
  const int i = static_cast<int>(state.range(0));
  const TCombinedTransform t = CamToMm(i, false);
  const TLx2DTransform& base = t;
  const std::vector<P>& in = CameraPoints();
  std::vector<P> out(in.size());
  for (auto _ : state) {
    for (std::size_t k = 0; k < in.size(); ++k)
      out[k] = base.TransformPoint(in[k]);
    benchmark::ClobberMemory();
  }
  SetRate(state);
}

void BM_InverseBatch(benchmark::State& state) {
  const int i = static_cast<int>(state.range(0));
  const TCombinedTransform t = CamToMm(i, true);
  const std::vector<P>& in = CameraPoints();
  std::vector<P> out(in.size());
  for (auto _ : state) {
    t.TransformPoints(in.data(), out.data(), in.size());
    benchmark::ClobberMemory();
  }
  SetRate(state);
  state.counters["max_residual_mm"] = MaxResidual(i, out, FramePoints());
}

void BM_InversePoint(benchmark::State& state) {
  const int i = static_cast<int>(state.range(0));
  const TCombinedTransform t = CamToMm(i, true);
  const TLx2DTransform& base = t;
  const std::vector<P>& in = CameraPoints();
  std::vector<P> out(in.size());
  for (auto _ : state) {
    for (std::size_t k = 0; k < in.size(); ++k)
      out[k] = base.TransformPoint(in[k]);
    benchmark::ClobberMemory();
  }
  SetRate(state);
  state.counters["max_residual_mm"] = MaxResidual(i, out, FramePoints());
}

// The other models, forward (arg 0) and inverse (arg 1), on the frame points.
template <class Make>
void ModelBench(benchmark::State& state, Make make) {
  const std::unique_ptr<TLx2DTransform> t = make(state.range(0) != 0);
  const std::vector<P>& in = FramePoints();
  std::vector<P> out(in.size());
  for (auto _ : state) {
    t->TransformPoints(in.data(), out.data(), in.size());
    benchmark::ClobberMemory();
  }
  SetRate(state);
}

// Tables sampled from the strong case's radial displacement every 10 mm.
std::unique_ptr<TLx2DTransform> Radial(bool mm_to_cam) {
  const Case c = MakeCase(1);
  std::vector<TRadialTableItem> items;
  for (double r = 10.0; r <= 80.0; r += 10.0)
    items.push_back({r, c.k1 * r * r * r + c.k2 * std::pow(r, 5)});
  return std::make_unique<TRadialDistortion>(P{}, items, mm_to_cam);
}

std::unique_ptr<TLx2DTransform> Directed(bool mm_to_cam) {
  const Case c = MakeCase(1);
  TDirectedData d;
  for (int j = 0; j < 8; ++j)
    d.angles.push_back(j * std::numbers::pi / 4);
  for (double r = 10.0; r <= 80.0; r += 10.0) {
    TDirectedTableItem item{r, {}};
    for (double a : d.angles)
      item.values.push_back(c.k1 * r * r * r * (1.0 + 0.1 * std::cos(a)));
    d.items.push_back(item);
  }
  return std::make_unique<TDirectedDistortion>(d, mm_to_cam);
}

std::unique_ptr<TLx2DTransform> Mixed(bool mm_to_cam) {
  const Case c = MakeCase(1);
  const double a[7] = {1e-4, -5e-5, 1e-5, -2e-5, 1e-5, 3e-5, -1e-5};
  const double b[7] = {2e-5, 3e-5, -1e-5, 2e-5, 1e-5, -2e-5, 1e-5};
  const double cc[7] = {1e-5, -2e-5, 1e-5, 0.0, -1e-5, 2e-5, 1e-5};
  const double K[3] = {c.k1, c.k2, 0.0}, Pm[2] = {c.p1, c.p2};
  return std::make_unique<TMixedDistortion>(P{}, kFocus, a, b, cc, K, Pm, 0.0, 0.0, 0.0, mm_to_cam);
}

std::unique_ptr<TLx2DTransform> Polynomial(bool mm_to_cam) {
  const Case c = MakeCase(1);
  const double K[8] = {0.0, c.k1 * kFocus * kFocus, c.k2 * std::pow(kFocus, 4)};
  const double Pp[4] = {c.p1 * kFocus, c.p2 * kFocus};
  return std::make_unique<TPolynomialDistortion>(P{}, kFocus, K, Pp, 0.0, 0.0, mm_to_cam);
}

void BM_Radial(benchmark::State& s) {
  ModelBench(s, Radial);
}
void BM_Directed(benchmark::State& s) {
  ModelBench(s, Directed);
}
void BM_Mixed(benchmark::State& s) {
  ModelBench(s, Mixed);
}
void BM_Polynomial(benchmark::State& s) {
  ModelBench(s, Polynomial);
}

#ifdef LX_HAVE_OPENCV
// OpenCV's pixel model with f in "pixels" of 1 mm and the principal point at
// the origin, so its image coordinates are our millimetres.
struct CvCamera {
  cv::Matx33d k{kFocus, 0, 0, 0, kFocus, 0, 0, 0, 1};
  cv::Mat dist;
  explicit CvCamera(int i) {
    const Case c = MakeCase(i);
    const double f2 = kFocus * kFocus;
    dist = (cv::Mat_<double>(1, 5) << c.k1 * f2, c.k2 * f2 * f2, kFocus * c.p2, kFocus * c.p1,
            c.k3 * f2 * f2 * f2);
  }
};

void BM_CvProjectPoints(benchmark::State& state) {
  cv::setNumThreads(1);
  const int i = static_cast<int>(state.range(0));
  const CvCamera cam(i);
  std::vector<cv::Point3d> object;
  object.reserve(kPoints);
  for (const P& p : FramePoints())
    object.emplace_back(p.x / kFocus, p.y / kFocus, 1.0);
  std::vector<cv::Point2d> image(kPoints);
  const cv::Vec3d zero(0, 0, 0);
  for (auto _ : state) {
    cv::projectPoints(object, zero, zero, cam.k, cam.dist, image);
    benchmark::ClobberMemory();
  }
  SetRate(state);
  // Agreement with our forward map, as a check of the conversion.
  const TFormulaDistortion ours = Formula(i, false);
  double worst = 0.0;
  for (std::size_t k = 0; k < kPoints; ++k) {
    const P q = ours.TransformPoint(FramePoints()[k]);
    worst = std::max(worst, std::hypot(q.x - image[k].x, q.y - image[k].y));
  }
  state.counters["diff_to_ours_mm"] = worst;
}

void CvUndistort(benchmark::State& state, const cv::TermCriteria& criteria) {
  cv::setNumThreads(1);
  const int i = static_cast<int>(state.range(0));
  const CvCamera cam(i);
  std::vector<cv::Point2d> distorted;
  distorted.reserve(kPoints);
  for (const P& p : FramePoints())
    distorted.emplace_back(p.x, p.y);
  std::vector<cv::Point2d> undistorted(kPoints);
  for (auto _ : state) {
    cv::undistortPoints(distorted, undistorted, cam.k, cam.dist, cv::noArray(), cam.k, criteria);
    benchmark::ClobberMemory();
  }
  SetRate(state);
  std::vector<P> q(kPoints);
  for (std::size_t k = 0; k < kPoints; ++k)
    q[k] = {undistorted[k].x, undistorted[k].y};
  state.counters["max_residual_mm"] = MaxResidual(i, q, FramePoints());
}

void BM_CvUndistortDefault(benchmark::State& state) {
  CvUndistort(state, cv::TermCriteria(cv::TermCriteria::COUNT, 5, 0.01));
}
void BM_CvUndistortPrecise(benchmark::State& state) {
  CvUndistort(state, cv::TermCriteria(cv::TermCriteria::COUNT + cv::TermCriteria::EPS, 50, 1e-12));
}
#endif

}  // namespace

BENCHMARK(BM_Copy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ForwardBatch)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ForwardPoint)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InverseBatch)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InversePoint)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
#ifdef LX_HAVE_OPENCV
BENCHMARK(BM_CvProjectPoints)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CvUndistortDefault)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CvUndistortPrecise)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
#endif
BENCHMARK(BM_Radial)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Directed)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mixed)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Polynomial)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
