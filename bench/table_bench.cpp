// Table models as film cameras are calibrated: a 17-row radial or directed
// table to r 160 mm over a ±115 mm frame, 10^6 points in random order and in
// image order, single-threaded. Each benchmark times its subject in turns
// with a reference in the same run (see BenchTiming.h): the formula model of
// the same points, the table's own forward map, or the 17-row table against a
// longer or unevenly spaced one. Inverses report their largest residual
// |F(q) − p|, mm.

#include <LxMathEx/FormulaDistortion.h>
#include <LxMathEx/TableDistortion.h>
#include <LxStd/Transform2D.h>

#include <benchmark/benchmark.h>

#include "BenchTiming.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

namespace {

using P = vec_t_<double, 2>;

constexpr std::size_t kPoints = 1'000'000;
constexpr double kHalfFrame = 115.0;  // mm
constexpr double kLastRow = 160.0;    // mm, beyond the frame's corner (162.6 mm) by one segment
constexpr double kFocus = 153.0;      // mm, a wide-angle film camera
constexpr double kPi = std::numbers::pi;
const P kCenter{0.012, -0.008};  // mm

// A film lens's radial distortion: a few µm, changing sign across the field.
double FilmDr(double r) {
  return 0.006 * std::sin(kPi * r / kLastRow) - 0.002 * (r / kLastRow);
}

enum Order { kRandom, kImage };

const std::vector<P>& Points(Order order) {
  static const std::vector<P> random = [] {
    std::mt19937_64 rng(20261206);
    std::uniform_real_distribution<double> u(-kHalfFrame, kHalfFrame);
    std::vector<P> v(kPoints);
    for (P& p : v)
      p = {u(rng), u(rng)};
    return v;
  }();
  static const std::vector<P> image = [] {
    constexpr int kSide = 1000;  // kSide² = kPoints
    std::vector<P> v;
    v.reserve(kPoints);
    for (int row = 0; row < kSide; ++row)
      for (int col = 0; col < kSide; ++col)
        v.push_back({-kHalfFrame + 2 * kHalfFrame * (col + 0.5) / kSide,
                     kHalfFrame - 2 * kHalfFrame * (row + 0.5) / kSide});
    return v;
  }();
  return order == kRandom ? random : image;
}

// Row radii: evenly spaced, or at even field angles (denser outwards).
std::vector<double> Radii(int rows, bool even) {
  std::vector<double> r;
  const double last_angle = std::atan(kLastRow / kFocus);
  for (int i = 1; i <= rows; ++i)
    r.push_back(even ? kLastRow * i / rows : kFocus * std::tan(last_angle * i / rows));
  return r;
}

std::unique_ptr<TLx2DTransform> Radial(int rows, bool even, bool inverse) {
  std::vector<TRadialTableItem> items;
  for (double r : Radii(rows, even))
    items.push_back({r, FilmDr(r)});
  return std::make_unique<TRadialDistortion>(kCenter, items, inverse);
}

// Four directions (the axes) or eight (axes and diagonals), each its own
// shade of the radial profile, as a decentred lens gives.
std::unique_ptr<TLx2DTransform> Directed(int directions, bool inverse) {
  TDirectedData d{kCenter, {}, {}};
  for (int j = 0; j < directions; ++j)
    d.angles.push_back(2 * kPi * j / directions);
  for (double r : Radii(17, true)) {
    d.items.push_back({r, {}});
    for (double a : d.angles)
      d.items.back().values.push_back(FilmDr(r) * (1.0 + 0.15 * std::cos(a - 0.4)));
  }
  return std::make_unique<TDirectedDistortion>(d, inverse);
}

// The formula model of a comparable lens (k1, k2, p1, p2).
std::unique_ptr<TLx2DTransform> Formula(bool inverse) {
  TDistCoeff c{.center = kCenter, .mm_to_cam = inverse};
  c.k1 = -4e-10, c.k2 = 1e-14, c.p1 = 2e-7, c.p2 = -1e-7;
  return std::make_unique<TFormulaDistortion>(c);
}

// The subjects: arg 0 of each benchmark.
enum Model { kRadial17, kRadial161, kRadial17Uneven, kDirected4, kDirected8 };

std::unique_ptr<TLx2DTransform> Make(Model m, bool inverse) {
  switch (m) {
    case kRadial17:
      return Radial(17, true, inverse);
    case kRadial161:
      return Radial(161, true, inverse);
    case kRadial17Uneven:
      return Radial(17, false, inverse);
    case kDirected4:
      return Directed(4, inverse);
    case kDirected8:
      return Directed(8, inverse);
  }
  return nullptr;
}

auto BatchOf(const TLx2DTransform& t, const std::vector<P>& in, std::vector<P>& out) {
  return [&t, &in, &out] { t.TransformPoints(in.data(), out.data(), in.size()); };
}

// Largest |F(q) − p|, mm; infinite if any q is NaN.
double MaxResidual(const TLx2DTransform& forward, const std::vector<P>& q,
                   const std::vector<P>& p) {
  std::vector<P> f(q.size());
  forward.TransformPoints(q.data(), f.data(), q.size());
  double worst = 0.0;
  for (std::size_t k = 0; k < q.size(); ++k) {
    const double e = std::hypot(f[k].x - p[k].x, f[k].y - p[k].y);
    worst = std::isnan(e) ? INFINITY : std::max(worst, e);
  }
  return worst;
}

Model ModelArg(const benchmark::State& state) {
  return static_cast<Model>(state.range(0));
}
Order OrderArg(const benchmark::State& state) {
  return static_cast<Order>(state.range(1));
}

// Forward table against the forward formula model.
void BM_ForwardOverFormula(benchmark::State& state) {
  const std::vector<P>& in = Points(OrderArg(state));
  const auto formula = Formula(false), table = Make(ModelArg(state), false);
  std::vector<P> out(in.size());
  lxbench::InTurns(state, kPoints, BatchOf(*formula, in, out), BatchOf(*table, in, out));
}

// Inverse table against the inverse formula model.
void BM_InverseOverFormula(benchmark::State& state) {
  const std::vector<P>& in = Points(OrderArg(state));
  const auto formula = Formula(true), table = Make(ModelArg(state), true);
  std::vector<P> out(in.size());
  lxbench::InTurns(state, kPoints, BatchOf(*formula, in, out), BatchOf(*table, in, out));
  state.counters["max_residual_mm"] = MaxResidual(*Make(ModelArg(state), false), out, in);
}

// Inverse table against its own forward map.
void BM_InverseOverForward(benchmark::State& state) {
  const std::vector<P>& in = Points(OrderArg(state));
  const auto forward = Make(ModelArg(state), false), inverse = Make(ModelArg(state), true);
  std::vector<P> out(in.size());
  lxbench::InTurns(state, kPoints, BatchOf(*forward, in, out), BatchOf(*inverse, in, out));
}

// A 161-row or unevenly spaced table (arg 0) against the even 17-row one,
// forward (arg 2 = 0) or inverse (1): lookups must not grow with the rows.
void BM_OverRadial17(benchmark::State& state) {
  const std::vector<P>& in = Points(OrderArg(state));
  const bool inverse = state.range(2) != 0;
  const auto reference = Make(kRadial17, inverse), table = Make(ModelArg(state), inverse);
  std::vector<P> out(in.size());
  lxbench::InTurns(state, kPoints, BatchOf(*reference, in, out), BatchOf(*table, in, out));
}

}  // namespace

BENCHMARK(BM_ForwardOverFormula)
    ->ArgsProduct({{kRadial17, kRadial161, kRadial17Uneven, kDirected4, kDirected8},
                   {kRandom, kImage}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InverseOverFormula)
    ->ArgsProduct({{kRadial17, kRadial161, kRadial17Uneven, kDirected4, kDirected8},
                   {kRandom, kImage}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InverseOverForward)
    ->ArgsProduct({{kRadial17, kDirected4, kDirected8}, {kRandom, kImage}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OverRadial17)
    ->ArgsProduct({{kRadial161, kRadial17Uneven}, {kRandom, kImage}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
