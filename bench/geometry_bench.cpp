// Distortion models on 10^6 points over a 100 mm frame, single-threaded: the
// camera-to-millimetre transform of a camera record (shift, then the formula
// model) in batch and point by point, in batch also over a raster in image
// order, a plain copy of the same data as the memory bound, OpenCV's
// projectPoints and undistortPoints as the reference, the other models as the
// distortion factory builds them from records, and one distortion
// approximation. Inverse benchmarks report their largest residual |F(q) − p|
// in mm. The forward batch is also timed in turns with the copy, and the
// inverse batch with the forward batch, as ratios per pair: on a shared
// machine, load comes and goes between benchmarks run apart. So are the
// image transforms: pixels to corrected millimetres against the
// camera-to-millimetre batch alone, and back against pixels to millimetres.

#include <LxCameraUtils/CameraGeometry.h>
#include <LxCameraUtils/IntOrSolution.h>
#include <LxMathEx/FormulaDistortion.h>
#include <LxMathEx/SeriesDistortion.h>
#include <LxMathEx/TableDistortion.h>
#include <LxStd/Transform2D.h>

#include <benchmark/benchmark.h>

#include "BenchTiming.h"

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

// Points relative to the principal point (the model's input).
std::vector<P> Framed(std::vector<P> v) {
  for (P& p : v)
    p = p - kPrincipal;
  return v;
}
const std::vector<P>& FramePoints() {
  static const std::vector<P> pts = Framed(CameraPoints());
  return pts;
}

// As many points on a raster over the frame, row by row: the order in which
// hosts map the pixels of an image. Neighbours there take as many Newton
// steps as each other, while random points mix easy and hard ones in every
// vector of lanes.
const std::vector<P>& RasterPoints() {
  static const std::vector<P> pts = [] {
    constexpr int kSide = 1000;  // kSide² = kPoints
    std::vector<P> v;
    v.reserve(kPoints);
    for (int row = 0; row < kSide; ++row)
      for (int col = 0; col < kSide; ++col)
        v.push_back({kPrincipal.x - 50.0 + 100.0 * (col + 0.5) / kSide,
                     kPrincipal.y - 50.0 + 100.0 * (row + 0.5) / kSide});
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

TLxCameraInfo Camera(int i, bool mm_to_cam) {
  const Case c = MakeCase(i);
  TLxCameraInfo cam;
  cam.focus = kFocus;
  cam.principal_point = cam.distortion.symmetry_point = kPrincipal;
  TLxCameraDistortion& d = cam.distortion;
  d.type = dtFormula;
  d.direction = mm_to_cam ? TLxCameraDistortion::dirMmToCam : TLxCameraDistortion::dirCamToMm;
  d.k1 = c.k1, d.k2 = c.k2, d.k3 = c.k3, d.p1 = c.p1, d.p2 = c.p2;
  return cam;
}

// The library's camera-to-millimetre transform: a combined shift and formula.
var_a_legacy::var_a<TLx2DTransform*> CamToMm(int i, bool mm_to_cam) {
  return CreateCamToMmTransform(Camera(i, mm_to_cam));
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

template <class Run>
void PerPoint(benchmark::State& state, Run run) {
  lxbench::PerPoint(state, kPoints, run);
}

// One batch of `t`, and one plain copy, from `in` to `out`.
auto BatchOf(const TLx2DTransform& t, const std::vector<P>& in, std::vector<P>& out) {
  return [&t, &in, &out] { t.TransformPoints(in.data(), out.data(), in.size()); };
}
auto CopyOf(const std::vector<P>& in, std::vector<P>& out) {
  return [&in, &out] { std::memcpy(out.data(), in.data(), in.size() * sizeof(P)); };
}

void BM_Copy(benchmark::State& state) {
  const std::vector<P>& in = CameraPoints();
  std::vector<P> out(in.size());
  PerPoint(state, CopyOf(in, out));
}

// The batch path of case range(0) over `in`, forward or inverse; an inverse
// reports its largest residual.
void Batch(benchmark::State& state, bool mm_to_cam, const std::vector<P>& in) {
  const int i = static_cast<int>(state.range(0));
  const auto t = CamToMm(i, mm_to_cam);
  std::vector<P> out(in.size());
  PerPoint(state, BatchOf(*t, in, out));
  if (mm_to_cam) state.counters["max_residual_mm"] = MaxResidual(i, out, Framed(in));
}

void BM_ForwardBatch(benchmark::State& state) {
  Batch(state, false, CameraPoints());
}
void BM_ForwardBatchRaster(benchmark::State& state) {
  Batch(state, false, RasterPoints());
}

// The point path of case range(0), through the base class as hosts call it;
// an inverse reports its largest residual.
void Point(benchmark::State& state, bool mm_to_cam) {
  const int i = static_cast<int>(state.range(0));
  const auto t = CamToMm(i, mm_to_cam);
  const TLx2DTransform& base = *t;
  const std::vector<P>& in = CameraPoints();
  std::vector<P> out(in.size());
  PerPoint(state, [&] {
    for (std::size_t k = 0; k < in.size(); ++k)
      out[k] = base.TransformPoint(in[k]);
  });
  if (mm_to_cam) state.counters["max_residual_mm"] = MaxResidual(i, out, FramePoints());
}

void BM_ForwardPoint(benchmark::State& state) {
  Point(state, false);
}

void BM_InverseBatch(benchmark::State& state) {
  Batch(state, true, CameraPoints());
}
void BM_InverseBatchRaster(benchmark::State& state) {
  Batch(state, true, RasterPoints());
}

template <class Reference, class Subject>
void InTurns(benchmark::State& state, Reference reference, Subject subject) {
  lxbench::InTurns(state, kPoints, reference, subject);
}

// The inverse batch of case range(0) against its forward batch, over `in`.
void InverseOverForward(benchmark::State& state, const std::vector<P>& in) {
  const int i = static_cast<int>(state.range(0));
  const auto forward = CamToMm(i, false);
  const auto inverse = CamToMm(i, true);
  std::vector<P> out(in.size());
  InTurns(state, BatchOf(*forward, in, out), BatchOf(*inverse, in, out));
}

void BM_InverseOverForward(benchmark::State& state) {
  InverseOverForward(state, CameraPoints());
}
void BM_InverseOverForwardRaster(benchmark::State& state) {
  InverseOverForward(state, RasterPoints());
}

// The forward batch of case range(0) against a plain copy of the same data.
void BM_ForwardOverCopy(benchmark::State& state) {
  const auto forward = CamToMm(static_cast<int>(state.range(0)), false);
  const std::vector<P>& in = CameraPoints();
  std::vector<P> out(in.size());
  InTurns(state, CopyOf(in, out), BatchOf(*forward, in, out));
}

// A 14 µm scan of the frame, turned by 0.3°: affine, or projective with a
// tilt that changes the scale by 0.1 % across it.
TLxIntOrSolution Scan(bool projective) {
  const double s = 0.014, c = std::cos(0.3 / 180 * std::numbers::pi);
  const double n = std::sin(0.3 / 180 * std::numbers::pi);
  TLxIntOrSolution solution;
  solution.pix_to_cam = {s * c, s * n, -60.0, s * n, -s * c, 60.0, 0.0, 0.0};
  if (projective) solution.pix_to_cam.c0 = 1e-7, solution.pix_to_cam.c1 = -5e-8;
  solution.cam_to_pix = solution.pix_to_cam.Inverse();
  return solution;
}

// The camera points as pixels of that scan.
std::vector<P> PixelsOf(const TLxIntOrSolution& solution) {
  std::vector<P> pixels(kPoints);
  for (std::size_t k = 0; k < kPoints; ++k)
    pixels[k] = solution.cam_to_pix.Apply(CameraPoints()[k]);
  return pixels;
}

// Pixels to corrected millimetres for case range(0) and an affine (range(1)
// 0) or projective (1) scan, against the camera-to-millimetre batch of the
// same points alone.
void BM_PixToMmOverCamToMm(benchmark::State& state) {
  const TLxCameraInfo camera = Camera(static_cast<int>(state.range(0)), false);
  const TLxIntOrSolution solution = Scan(state.range(1) != 0);
  const auto cam_to_mm = CreateCamToMmTransform(camera);
  const auto pix_to_mm = CreatePixToMmTransform(camera, solution);
  const std::vector<P> points = CameraPoints();  // allocated like the pixels
  const std::vector<P> pixels = PixelsOf(solution);
  std::vector<P> out(kPoints);
  InTurns(state, BatchOf(*cam_to_mm, points, out), BatchOf(*pix_to_mm, pixels, out));
}

// Millimetres back to pixels against pixels to millimetres, as above.
void BM_MmToPixOverPixToMm(benchmark::State& state) {
  const TLxCameraInfo camera = Camera(static_cast<int>(state.range(0)), false);
  const TLxIntOrSolution solution = Scan(state.range(1) != 0);
  const auto pix_to_mm = CreatePixToMmTransform(camera, solution);
  const auto mm_to_pix = CreateMmToPixTransform(camera, solution);
  const std::vector<P> pixels = PixelsOf(solution);
  std::vector<P> mm(kPoints), out(kPoints);
  pix_to_mm->TransformPoints(pixels.data(), mm.data(), kPoints);
  InTurns(state, BatchOf(*pix_to_mm, pixels, out), BatchOf(*mm_to_pix, mm, out));
  double worst = 0.0;
  for (std::size_t k = 0; k < kPoints; ++k)
    worst = std::max(worst, std::hypot(out[k].x - pixels[k].x, out[k].y - pixels[k].y));
  state.counters["max_error_px"] = worst;
}

void BM_InversePoint(benchmark::State& state) {
  Point(state, true);
}

// The other models as the factory builds them from records, forward (arg 0)
// and inverse (arg 1), on the frame points.
template <class Fill>
void ModelBench(benchmark::State& state, TDistortionType type, Fill fill) {
  TLxCameraDistortion d;
  d.type = type;
  d.direction =
      state.range(0) != 0 ? TLxCameraDistortion::dirMmToCam : TLxCameraDistortion::dirCamToMm;
  fill(d);
  const auto t = CreateCameraDistortionTransform(d, P{}, kFocus);
  const std::vector<P>& in = FramePoints();
  std::vector<P> out(in.size());
  PerPoint(state, BatchOf(*t, in, out));
}

// Tables sampled from the strong case's radial displacement every 10 mm.
double StrongDr(double r) {
  const Case c = MakeCase(1);
  return c.k1 * r * r * r + c.k2 * std::pow(r, 5);
}

void BM_Radial(benchmark::State& s) {
  ModelBench(s, dtRadial, [](TLxCameraDistortion& d) {
    for (double r = 10.0; r <= 80.0; r += 10.0)
      d.table_r.push_back({r, StrongDr(r)});
  });
}

// Axes at 10, 20, …, 80 mm and diagonals at 15, 25, …, 75 mm: the merge
// interpolates every row.
void BM_Directed8(benchmark::State& s) {
  ModelBench(s, dtDirected8, [](TLxCameraDistortion& d) {
    for (double r = 10.0; r <= 80.0; r += 10.0) {
      d.table_plus.push_back(
          {r, {StrongDr(r) * 1.05, StrongDr(r) * 0.95, StrongDr(r) * 0.9, StrongDr(r) * 1.1}});
      d.table_x.push_back(
          {r - 5.0, {StrongDr(r - 5.0), StrongDr(r - 5.0), StrongDr(r - 5.0), StrongDr(r - 5.0)}});
    }
  });
}

void BM_Mixed(benchmark::State& s) {
  ModelBench(s, dtMixed, [](TLxCameraDistortion& d) {
    const Case c = MakeCase(1);
    d.mixed_coeffs = {{1e-4, -5e-5, 1e-5, -2e-5, 1e-5, 3e-5, -1e-5},
                      {2e-5, 3e-5, -1e-5, 2e-5, 1e-5, -2e-5, 1e-5},
                      {1e-5, -2e-5, 1e-5, 0.0, -1e-5, 2e-5, 1e-5},
                      {c.k1, c.k2, 0.0},
                      {c.p1, c.p2}};
  });
}

void BM_Polynomial(benchmark::State& s) {
  ModelBench(s, dtPolynomial, [](TLxCameraDistortion& d) {
    const Case c = MakeCase(1);
    d.polynomial_coeffs.K = {0.0, c.k1 * kFocus * kFocus, c.k2 * std::pow(kFocus, 4)};
    d.polynomial_coeffs.P = {c.p1 * kFocus, c.p2 * kFocus};
  });
}

// The mixed and polynomial records of the strong case, with realistic few
// terms (range 0) or every term (1): few is the radial and decentring terms
// with, for the mixed model, an affinity and a tilt.
TLxCameraDistortion SeriesRecord(TDistortionType type, bool all) {
  const Case c = MakeCase(1);
  const double f2 = kFocus * kFocus;
  TLxCameraDistortion d;
  d.type = type;
  if (type == dtMixed && all) {
    d.mixed_coeffs = {{1e-4, -5e-5, 1e-5, -2e-5, 1e-5, 3e-5, -1e-5},
                      {2e-5, 3e-5, -1e-5, 2e-5, 1e-5, -2e-5, 1e-5},
                      {1e-5, -2e-5, 1e-5, 5e-6, -1e-5, 2e-5, 1e-5},
                      {c.k1, c.k2, 1e-13},
                      {c.p1, c.p2}};
  } else if (type == dtMixed) {
    d.mixed_coeffs = {{1e-4, -5e-5}, {2e-5, 3e-5}, {1e-5, -2e-5}, {c.k1, c.k2, 0.0}, {c.p1, c.p2}};
  } else if (all) {
    d.polynomial_coeffs = {{1e-4, c.k1 * f2, c.k2 * f2 * f2, 1e-5, -1e-6, 1e-7, -1e-8, 1e-9},
                           {c.p1 * kFocus, c.p2 * kFocus, 0.1, -0.01}};
  } else {
    d.polynomial_coeffs = {{0.0, c.k1 * f2, c.k2 * f2 * f2}, {c.p1 * kFocus, c.p2 * kFocus}};
  }
  return d;
}

// The batch of a mixed (range 0 = 0) or polynomial (1) record with few (range
// 1 = 0) or all terms, forward (range 2 = 0) or inverse, against the strong
// case's formula record in the same direction, both on the frame points; an
// inverse reports its largest residual.
void BM_SeriesOverFormula(benchmark::State& state) {
  const bool mm_to_cam = state.range(2) != 0;
  const auto direction =
      mm_to_cam ? TLxCameraDistortion::dirMmToCam : TLxCameraDistortion::dirCamToMm;
  TLxCameraDistortion subject =
      SeriesRecord(state.range(0) == 0 ? dtMixed : dtPolynomial, state.range(1) != 0);
  TLxCameraDistortion reference = Camera(1, mm_to_cam).distortion;
  subject.direction = reference.direction = direction;
  const auto s = CreateCameraDistortionTransform(subject, P{}, kFocus);
  const auto r = CreateCameraDistortionTransform(reference, P{}, kFocus);
  const std::vector<P>& in = FramePoints();
  std::vector<P> out(in.size());
  InTurns(state, BatchOf(*r, in, out), BatchOf(*s, in, out));
  if (!mm_to_cam) return;
  subject.direction = TLxCameraDistortion::dirCamToMm;
  const auto forward = CreateCameraDistortionTransform(subject, P{}, kFocus);
  double worst = 0.0;
  for (std::size_t k = 0; k < in.size(); ++k) {
    const P q = forward->TransformPoint(out[k]);
    const double e = std::hypot(q.x - in[k].x, q.y - in[k].y);
    worst = std::isnan(e) ? INFINITY : std::max(worst, e);
  }
  state.counters["max_residual_mm"] = worst;
}

// One fit of the strong case's mm-to-camera formula (which cannot be copied)
// as a mixed record, with the deviation check, in µs per call.
void BM_ApproxCameraDistortion(benchmark::State& state) {
  TLxCameraInfo cam = Camera(1, true);
  TLxCameraDistortion out;
  double max_error = 0.0;
  for (auto _ : state) {
    const bool ok = ApproxCameraDistortion(dtMixed, &out, cam, 50.0, &max_error);
    benchmark::DoNotOptimize(ok);
    benchmark::ClobberMemory();
  }
  state.counters["max_error_mm"] = max_error;
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
  PerPoint(state, [&] { cv::projectPoints(object, zero, zero, cam.k, cam.dist, image); });
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
  PerPoint(state, [&] {
    cv::undistortPoints(distorted, undistorted, cam.k, cam.dist, cv::noArray(), cam.k, criteria);
  });
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
BENCHMARK(BM_ForwardBatchRaster)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InverseBatchRaster)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ForwardOverCopy)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InverseOverForward)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InverseOverForwardRaster)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PixToMmOverCamToMm)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MmToPixOverPixToMm)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMillisecond);
#ifdef LX_HAVE_OPENCV
BENCHMARK(BM_CvProjectPoints)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CvUndistortDefault)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CvUndistortPrecise)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
#endif
BENCHMARK(BM_Radial)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Directed8)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mixed)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Polynomial)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SeriesOverFormula)
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApproxCameraDistortion)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
