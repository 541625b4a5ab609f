#include <LxCameraUtils/CameraGeometry.h>
#include <LxMathEx/FormulaDistortion.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "geometry/GeometryInternal.h"

using lxcu::internal::FitRadialPolynomial;

namespace {

using P = vec_t_<double, 2>;
using Dist = TLxCameraDistortion;

TLxCameraInfo Camera(TDistortionType type, Dist::TDirection direction = Dist::dirCamToMm) {
  TLxCameraInfo cam;
  cam.focus = 100.0;
  cam.principal_point = cam.distortion.symmetry_point = {0.25, -0.5};
  cam.distortion.type = type, cam.distortion.direction = direction;
  return cam;
}

// Strong radial terms: −2.5, +0.94 and −0.08 mm at 50 mm.
constexpr double kK1 = -2e-5, kK2 = 3e-9, kK3 = -1e-13;
const TFormulaDistortion kRadial3({}, kK1, kK2, kK3, 0, 0, 0, 0, 0, 0, false);

double Displacement(double k1, double k2, double k3, double r) {
  return ((k3 * r * r + k2) * r * r + k1) * r * r * r;
}

// The largest distance between b's displacement and `factor` times a's over a
// 100 mm frame, every 5 mm (factor 1: between the two maps).
double MaxDistance(const Dist& a, const Dist& b, double factor = 1.0) {
  const auto ta = CreateCameraDistortionTransform(a, {}, 100.0);
  const auto tb = CreateCameraDistortionTransform(b, {}, 100.0);
  double worst = 0.0;
  for (double x = -50; x <= 50; x += 5)
    for (double y = -50; y <= 50; y += 5) {
      const P p{x, y}, q = tb->TransformPoint(p) - p - (ta->TransformPoint(p) - p) * factor;
      worst = std::max(worst, std::hypot(q.x, q.y));
    }
  return worst;
}

// A refusal leaves the output record and the error as they were.
template <typename Approx>
bool Refused(Approx approx) {
  Dist out, untouched;
  out.k1 = untouched.k1 = 0.125;
  double err = 42.0;
  return !approx(&out, &err) && out == untouched && err == 42.0;
}

}  // namespace

TEST(ApproxCameraDistortion, FitReproducesTheRadialDisplacementOverTheRadius) {
  for (auto type : {dtFormula, dtMixed}) {
    Dist fit;
    double err = -1;
    ASSERT_TRUE(ApproxCameraDistortion(kRadial3, type, &fit, Camera(dtNone), 50.0, &err));
    EXPECT_TRUE(fit.type == type && fit.direction == Dist::dirCamToMm &&
                fit.symmetry_point == (P{0.25, -0.5}));
    const auto k = type == dtFormula ? std::array{fit.k1, fit.k2, fit.k3} : fit.mixed_coeffs.K;
    // The source is exactly of the fitted form, so only the least-squares
    // solve's rounding remains; 1 nm is far below any calibration's accuracy.
    for (double r = 0.0; r <= 50.0; r += 0.25)
      EXPECT_NEAR(Displacement(k[0], k[1], k[2], r), Displacement(kK1, kK2, kK3, r), 1e-6) << r;
    EXPECT_LE(err, 1e-6);
  }
  const std::vector<double> angles = {0.0, 1.0, 2.0, 4.0};
  double k[3] = {7, 7, 7};  // the fit itself leaves them on degenerate samples
  EXPECT_FALSE(FitRadialPolynomial(kRadial3, 0.5, 100, {}, k[0], k[1], k[2]));
  EXPECT_FALSE(FitRadialPolynomial(kRadial3, 0.5, 0, angles, k[0], k[1], k[2]));  // no samples
  EXPECT_TRUE(k[0] == 7 && k[1] == 7 && k[2] == 7);
  ASSERT_TRUE(FitRadialPolynomial(kRadial3, 0.5, 100, angles, k[0], k[1], k[2]));
  // Least squares on exact samples leaves rounding of ~1e-15 relative.
  EXPECT_TRUE(std::abs(k[0] - kK1) < 1e-15 && std::abs(k[1] - kK2) < 1e-18 &&
              std::abs(k[2] - kK3) < 1e-22);
}

TEST(ApproxCameraDistortion, CopiesWhatTheTargetCarriesAndFitsTheRestUpToTheRadiusTheSourceAllows) {
  TLxCameraInfo f = Camera(dtFormula), m = Camera(dtMixed), radial = Camera(dtRadial);
  f.distortion.k1 = 1e-5, f.distortion.p1 = 2e-6, f.distortion.b1 = 3e-4;
  TLxCameraInfo f_affine = f, m_high = m, eight = Camera(dtDirected8);
  Dist& fa = f_affine.distortion;
  fa.k2 = -3e-9, fa.p2 = -1e-6, fa.b2 = 2e-4, fa.a1 = -1e-4, fa.a2 = 5e-4;
  m.distortion.mixed_coeffs = {{3e-4, -2e-4}, {}, {}, {1e-5, -3e-9, 1e-13}, {2e-6, -1e-6}};
  m_high.distortion.mixed_coeffs = m.distortion.mixed_coeffs;
  m_high.distortion.mixed_coeffs.b = {1e-4, 2e-4, 1e-5};
  m_high.distortion.mixed_coeffs.c[3] = 1e-5;
  TLxCameraInfo mm_to_cam = f, off_centre = f, higher = f;
  mm_to_cam.distortion.direction = Dist::dirMmToCam;
  off_centre.distortion.symmetry_point = {0.3, -0.5};
  higher.distortion.k4 = 1e-14;  // beyond what the mixed type carries
  radial.distortion.table_r = {{10.0, -0.01}, {20.0, -0.08}};
  eight.distortion.table_plus = {{20.0, {-0.1, -0.1, -0.1, -0.1}}};
  eight.distortion.table_x = {{5.0, {-0.01, -0.02, 0, 0}}, {30.0, {-0.3, -0.2, -0.3, -0.3}}};
  const struct {
    const TLxCameraInfo& cam;
    TDistortionType to;
    double radius, fitted_to;  // fitted_to 0: copied
  } cases[] = {{f, dtFormula, 30, 0},          {f, dtMixed, 30, 0},
               {f_affine, dtMixed, 30, 0},     {m, dtFormula, 30, 0},
               {m_high, dtMixed, 30, 0},       {mm_to_cam, dtMixed, -1, 50},
               {mm_to_cam, dtMixed, 150, 100}, {mm_to_cam, dtFormula, 30, 30},
               {off_centre, dtMixed, 30, 30},  {higher, dtMixed, 0, 50},
               {radial, dtMixed, 5, 20},       {eight, dtFormula, 5, 30}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cam.distortion.type << " to " << c.to << " " << c.radius);
    Dist got, want;
    double got_err = -1, want_err = -2;
    ASSERT_TRUE(ApproxCameraDistortion(c.to, &got, c.cam, c.radius, &got_err));
    EXPECT_EQ(got.type, c.to);
    if (c.fitted_to == 0) {
      EXPECT_EQ(got_err, 0.0);
      // The two models evaluate the same terms in a different order.
      EXPECT_LE(MaxDistance(c.cam.distortion, got), 1e-12);
      continue;
    }
    const auto t = CreateCameraDistortionTransform(
        c.cam.distortion, c.cam.distortion.symmetry_point - c.cam.principal_point, c.cam.focus);
    ASSERT_TRUE(ApproxCameraDistortion(*t, c.to, &want, c.cam, c.fitted_to, &want_err));
    EXPECT_TRUE(got == want);
    EXPECT_EQ(got_err, want_err);
    EXPECT_GT(got_err, 0.0);  // a fit, not a copy
  }
  Dist mixed, want = f.distortion;  // a copy keeps the fields the target does not use
  ASSERT_TRUE(ApproxCameraDistortion(dtMixed, &mixed, f, 0.0, nullptr));
  want.type = dtMixed, want.mixed_coeffs = {{3e-4}, {}, {}, {1e-5}, {2e-6}};
  EXPECT_TRUE(mixed == want);
}

// The deviation is measured at 101 radii up to the fit radius: at least the
// deviation there, where a least-squares fit misses most, and at most the
// largest over a dense polar grid.
TEST(ApproxCameraDistortion, ReportsTheLargestDeviationUpToTheFitRadius) {
  const TFormulaDistortion beyond(TDistCoeff{.center = {}, .k4 = 1e-17});  // r⁹: not fitted
  Dist fit;
  double err = -1;
  ASSERT_TRUE(ApproxCameraDistortion(beyond, dtFormula, &fit, Camera(dtNone), 50.0, &err));
  const auto fitted = CreateCameraDistortionTransform(fit, {}, 100.0);
  const auto deviation = [&](double r, double angle) {
    const P p{r * std::cos(angle), r * std::sin(angle)};
    const P d = beyond.TransformPoint(p) - fitted->TransformPoint(p);
    return std::hypot(d.x, d.y);
  };
  const double rim = 100 * (50.0 / 100), turn = 2 * std::numbers::pi;
  double at_rim = 0.0, dense = 0.0;
  for (int k = 0; k < 16; ++k)
    at_rim = std::max(at_rim, deviation(rim, k * (turn / 16)));
  for (int i = 0; i <= 1000; ++i)
    for (int k = 0; k < 256; ++k)
      dense = std::max(dense, deviation(i * (rim / 1000), k * (turn / 256)));
  EXPECT_GE(err, at_rim);
  EXPECT_LE(err, dense * (1 + 1e-9));  // the grids' radii round apart
}

TEST(ApproxCameraDistortion, RefusesWithoutWritingTheResults) {
  // One row at radius r in each table named: r(adial), p(lus), x.
  const std::tuple<TDistortionType, const char*, double> tables[] = {
      {dtNone, "", 1},       {dtPolynomial, "", 1},      {dtRadial, "px", 1},
      {dtRadial, "r", 0},    {dtDirected4Plus, "rx", 1}, {dtDirected4X, "rp", 1},
      {dtDirected8, "p", 1}, {dtDirected8, "x", 1},      {dtDirected8, "px", 0}};
  for (const auto& [type, names, r] : tables) {
    TLxCameraInfo c = Camera(type);
    const Dist::TDirectedTableRow row{r, {0.1, 0.1, 0.1, 0.1}};
    if (std::strchr(names, 'r')) c.distortion.table_r = {{r, 0.1}};
    if (std::strchr(names, 'p')) c.distortion.table_plus = {row};
    if (std::strchr(names, 'x')) c.distortion.table_x = {row};
    EXPECT_TRUE(Refused([&](Dist* out, double* err) {
      return ApproxCameraDistortion(dtFormula, out, c, 10.0, err);
    })) << type
        << names << r;
  }
  TLxCameraInfo no_focus = Camera(dtFormula, Dist::dirMmToCam);
  no_focus.focus = 0.0;  // fits up to the focus, 0: a zero step
  for (const auto& target : {std::pair{dtFormula, no_focus}, {dtRadial, Camera(dtFormula)}})
    EXPECT_TRUE(Refused([&](Dist* out, double* err) {
      return ApproxCameraDistortion(target.first, out, target.second, 10.0, err);
    })) << target.first;
}

// A fit needs a finite radius above 0; a table fits up to its last row.
TEST(ApproxCameraDistortion, FitsOnlyUpToAFiniteRadiusAboveZeroAndTakesTablesInAnyOrder) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInf = std::numeric_limits<double>::infinity();
  TLxCameraInfo mm_to_cam = Camera(dtFormula, Dist::dirMmToCam), no_focus = mm_to_cam;
  mm_to_cam.distortion.k1 = 1e-5;
  no_focus.focus = kNaN;  // radius ≤ 0 fits up to focus/2
  const struct {
    TDistortionType to;
    const TLxCameraInfo* camera;  // null: fit kRadial3 as a transform
    double radius;
    bool fits;
  } inputs[] = {
      {dtFormula, nullptr, kNaN, false},    {dtFormula, nullptr, kInf, false},
      {dtFormula, nullptr, -kInf, false},   {dtFormula, nullptr, -10.0, false},
      {dtFormula, nullptr, 0.0, false},     {dtMixed, nullptr, 1e-58, false},  // singular
      {dtRadial, nullptr, 10.0, false},     {dtMixed, nullptr, 10.0, true},
      {dtFormula, &mm_to_cam, kNaN, false}, {dtFormula, &mm_to_cam, kInf, false},
      {dtMixed, &mm_to_cam, -kInf, false},  {dtFormula, &mm_to_cam, -10.0, true},
      {dtFormula, &mm_to_cam, 0.0, true},   {dtFormula, &no_focus, 0.0, false},
      {dtFormula, &no_focus, 10.0, true},
  };
  for (const auto& in : inputs) {
    SCOPED_TRACE(testing::Message()
                 << in.to << (in.camera ? " camera " : " transform ") << in.radius);
    const auto approx = [&](Dist* out, double* err) {
      return in.camera
                 ? ApproxCameraDistortion(in.to, out, *in.camera, in.radius, err)
                 : ApproxCameraDistortion(kRadial3, in.to, out, Camera(dtNone), in.radius, err);
    };
    if (!in.fits) {
      EXPECT_TRUE(Refused(approx));
      continue;
    }
    Dist out;
    double err = kNaN;
    ASSERT_TRUE(approx(&out, &err));
    EXPECT_TRUE(std::isfinite(out.k1) && std::isfinite(out.mixed_coeffs.K[0]) &&
                std::isfinite(err));
  }

  // A table fits up to its last row, in whatever order the rows stand; a last
  // row without a finite radius leaves nothing to fit up to.
  TLxCameraInfo shuffled = Camera(dtRadial), nan_last = shuffled;
  shuffled.distortion.table_r = {{20.0, -0.08}, {30.0, -0.2}, {10.0, -0.01}};
  nan_last.distortion.table_r = {{10.0, -0.01}, {kNaN, 1.0}};
  const auto t = CreateCameraDistortionTransform(shuffled.distortion, {}, shuffled.focus);
  Dist want, got;
  double want_err = -1, got_err = -2;
  ASSERT_TRUE(ApproxCameraDistortion(dtFormula, &got, shuffled, 5.0, &got_err));
  ASSERT_TRUE(ApproxCameraDistortion(*t, dtFormula, &want, shuffled, 10.0, &want_err));
  EXPECT_TRUE(got == want && got_err == want_err);
  EXPECT_TRUE(Refused([&](Dist* out, double* err) {
    return ApproxCameraDistortion(dtFormula, out, nan_last, 5.0, err);
  }));
}

TEST(ApplyDistortionMultiplier, ScalesEveryModelsDisplacementButLeavesFactorOneBitForBit) {
  Dist d;  // every model's values at once; radii, p3 and p4 must stay
  d.type = dtNone, d.direction = Dist::dirMmToCam, d.symmetry_point = {1, 2};
  d.k1 = 1e-5, d.k2 = -2e-9, d.k3 = 1e-13, d.k4 = -1e-17, d.k5 = 1e-21, d.p1 = 2e-6, d.p2 = -1e-6;
  d.p3 = 1e-4, d.p4 = -1e-8, d.b1 = 3e-4, d.b2 = -2e-4, d.a1 = 1e-4, d.a2 = 5e-4;
  for (auto* terms : {&d.mixed_coeffs.a, &d.mixed_coeffs.b, &d.mixed_coeffs.c})
    terms->fill(1e-5);
  d.mixed_coeffs.K = {1e-5, -3e-9, 1e-13}, d.mixed_coeffs.P = {2e-6, -1e-6};
  // P[2] and P[3] scale relative terms, in which the map is not linear.
  d.polynomial_coeffs = {{1e-4, -1e-3, 3e-5, -1e-6, 1e-7, -1e-8, 1e-9, -1e-10}, {2e-4, -1e-4}};
  d.table_r = {{10.0, 0.01}, {30.0, 0.2}},
  d.table_plus = d.table_x = {{10.0, {0.01, 0.02, 0.03, 0.04}}, {30.0, {0.2, 0.1, 0.3, 0.4}}};
  Dist scaled = d;
  ApplyDistortionMultiplier(&scaled, 2.0);
  EXPECT_TRUE(scaled.type == dtNone && scaled.direction == d.direction &&
              scaled.symmetry_point == d.symmetry_point);
  scaled.direction = d.direction = Dist::dirCamToMm;  // linear only forwards
  for (auto type :
       {dtFormula, dtRadial, dtDirected4Plus, dtDirected4X, dtDirected8, dtMixed, dtPolynomial}) {
    d.type = scaled.type = type;
    // Displacements of up to ~1 mm, doubled in another order.
    EXPECT_LE(MaxDistance(d, scaled, 2.0), 1e-12) << type;
  }
  // A signalling NaN would come back quiet from any multiplication.
  d.mixed_coeffs.a[3] = std::numeric_limits<double>::signaling_NaN();
  Dist same = d;
  ApplyDistortionMultiplier(&same, 1.0);
  EXPECT_EQ(std::memcmp(&same.mixed_coeffs, &d.mixed_coeffs, sizeof d.mixed_coeffs), 0);
  EXPECT_TRUE(same == d);
}

// What lxcam convert asks of the core beyond the exported conversion: the
// decentring kept where it is the target's own term, a report of what was
// not carried, and the radius taken as given.
TEST(ApproxFromCamera, KeepsTheDecentringWhereItIsTheTargetsTermAndNamesWhatItDrops) {
  using lxcu::internal::ApproxFromCamera;
  using lxcu::internal::TApproxOptions;
  using Strings = std::vector<std::string>;
  constexpr TApproxOptions kCarry{.radius_as_given = true, .carry_decentring = true};
  TLxCameraInfo mixed = Camera(dtMixed);
  mixed.distortion.mixed_coeffs.K = {kK1, kK2, kK3};
  mixed.distortion.mixed_coeffs.P = {2e-6, -1e-6};
  mixed.distortion.mixed_coeffs.c[0] = 1e-9;  // not in the formula type: a fit
  TLxCameraInfo mm_to_cam = mixed, off_centre = mixed, formula = Camera(dtFormula);
  mm_to_cam.distortion.direction = Dist::dirMmToCam;
  off_centre.distortion.symmetry_point.x += 0.1;
  formula.distortion.k1 = kK1, formula.distortion.p2 = 3e-6, formula.distortion.a1 = 1e-6;
  TLxCameraInfo grown = formula, plus = Camera(dtDirected4Plus), eight = Camera(dtDirected8);
  grown.distortion.p3 = 1e-4;
  plus.distortion.table_plus = {{10, {-0.01, -0.01, -0.01, -0.01}}, {20, {-0.1, -0.1, -0.1, -0.2}}};
  eight.distortion.table_plus = eight.distortion.table_x = {{20, {-0.1, -0.1, -0.1, -0.1}}};
  TLxCameraInfo eight_apart = eight;
  eight_apart.distortion.table_x[0].r = 30;
  const std::string directions = "the differences between the table's directions";
  const struct {
    const char* what;
    const TLxCameraInfo& camera;
    TDistortionType to;
    bool carried, recentred;
    Strings dropped;
  } cases[] = {
      {"mixed", mixed, dtFormula, true, false, {"c1"}},
      {"mixed MmToCam", mm_to_cam, dtFormula, false, false, {"c1", "P1", "P2"}},
      {"mixed off centre", off_centre, dtMixed, false, true, {"c1", "P1", "P2"}},
      {"formula", formula, dtFormula, true, false, {"a1"}},
      {"formula with p3", grown, dtMixed, false, false, {"p2", "p3", "a1"}},
      {"uneven plus table", plus, dtFormula, false, false, {directions}},
      {"eight directions alike", eight, dtMixed, false, false, {}},
      {"eight directions apart", eight_apart, dtMixed, false, false, {directions}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto kept = ApproxFromCamera(c.to, c.camera, 40.0, true, kCarry);
    const auto fitted = ApproxFromCamera(c.to, c.camera, 40.0, true, {.radius_as_given = true});
    ASSERT_TRUE(kept.refusal == nullptr && fitted.refusal == nullptr && !kept.copied);
    EXPECT_EQ(kept.decentring_carried, c.carried);
    EXPECT_EQ(kept.recentred, c.recentred);
    EXPECT_EQ(kept.not_carried, c.dropped);
    if (!c.carried) {
      EXPECT_TRUE(kept.distortion == fitted.distortion);
      continue;
    }
    // The same fit with the source's own decentring values, which then no
    // longer count in the deviation: only the dropped term's part remains.
    const Dist& s = c.camera.distortion;
    Dist want = fitted.distortion;
    want.p1 = s.type == dtMixed ? s.mixed_coeffs.P[0] : s.p1;
    want.p2 = s.type == dtMixed ? s.mixed_coeffs.P[1] : s.p2;
    EXPECT_TRUE(kept.distortion == want);
    EXPECT_LT(kept.max_error_mm, 0.05 * fitted.max_error_mm);
  }
  // The radius as given, beyond the focus, and refused where it is no radius.
  EXPECT_EQ(ApproxFromCamera(dtMixed, mm_to_cam, 150.0, false, kCarry).radius_mm, 150.0);
  EXPECT_EQ(ApproxFromCamera(dtMixed, mm_to_cam, 150.0, false).radius_mm, 100.0);
  for (double radius : {0.0, -1.0, std::nan("")})
    EXPECT_NE(ApproxFromCamera(dtMixed, mm_to_cam, radius, false, kCarry).refusal, nullptr);
}
