#include <LxCameraUtils/CameraGeometry.h>
#include <LxMathEx/FormulaDistortion.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

#include "geometry/GeometryInternal.h"

namespace {

using P = vec_t_<double, 2>;
using Dist = TLxCameraDistortion;

TLxCameraInfo Camera(TDistortionType type, Dist::TDirection direction = Dist::dirCamToMm) {
  TLxCameraInfo cam;
  cam.focus = 100.0;
  cam.principal_point = cam.distortion.symmetry_point = {0.25, -0.5};
  cam.distortion.type = type;
  cam.distortion.direction = direction;
  return cam;
}

// Strong radial terms: −2.5, +0.94 and −0.08 mm at 50 mm.
constexpr double kK1 = -2e-5, kK2 = 3e-9, kK3 = -1e-13;
const TFormulaDistortion kRadial3({}, kK1, kK2, kK3, 0, 0, 0, 0, 0, 0, false);

double Displacement(double k1, double k2, double k3, double r) {
  return ((k3 * r * r + k2) * r * r + k1) * r * r * r;
}

// The largest distance between two maps over a 100 mm frame, every 5 mm.
double MaxDistance(const TLx2DTransform& a, const TLx2DTransform& b) {
  double worst = 0.0;
  for (double x = -50; x <= 50; x += 5)
    for (double y = -50; y <= 50; y += 5) {
      const P p = a.TransformPoint({x, y}), q = b.TransformPoint({x, y});
      worst = std::max(worst, std::hypot(p.x - q.x, p.y - q.y));
    }
  return worst;
}

}  // namespace

TEST(FitRadialPolynomial, RecoversKnownTermsAndLeavesThemOnDegenerateSamples) {
  const std::vector<double> angles = {0.0, 1.0, 2.0, 4.0};
  double k[3] = {7, 7, 7};
  EXPECT_FALSE(FitRadialPolynomial(kRadial3, 0.5, 100, {}, k[0], k[1], k[2]));
  EXPECT_FALSE(FitRadialPolynomial(kRadial3, 0.5, 0, angles, k[0], k[1], k[2]));  // no samples
  EXPECT_TRUE(k[0] == 7 && k[1] == 7 && k[2] == 7);
  ASSERT_TRUE(FitRadialPolynomial(kRadial3, 0.5, 100, angles, k[0], k[1], k[2]));
  // Least squares on exact samples leaves rounding of ~1e-15 relative.
  EXPECT_NEAR(k[0], kK1, 1e-15);
  EXPECT_NEAR(k[1], kK2, 1e-18);
  EXPECT_NEAR(k[2], kK3, 1e-22);
}

TEST(ApproxCameraDistortion, FitReproducesTheRadialDisplacementOverTheRadius) {
  for (auto type : {dtFormula, dtMixed}) {
    Dist fit;
    double err = -1;
    ASSERT_TRUE(ApproxCameraDistortion(kRadial3, type, &fit, Camera(dtNone), 50.0, &err));
    EXPECT_TRUE(fit.type == type && fit.direction == Dist::dirCamToMm &&
                fit.symmetry_point == (P{0.25, -0.5}));
    const auto k = type == dtFormula ? std::array{fit.k1, fit.k2, fit.k3} : fit.mixed_coeffs.K;
    for (double r = 0.0; r <= 50.0; r += 0.25)
      EXPECT_NEAR(Displacement(k[0], k[1], k[2], r), Displacement(kK1, kK2, kK3, r), 1e-6) << r;
    EXPECT_LE(err, 1e-6);
  }
  Dist identity;
  double err = -1;
  ASSERT_TRUE(
      ApproxCameraDistortion(TUnityTransform(), dtFormula, &identity, Camera(dtNone), 10.0, &err));
  // |r·u| differs from r by rounding only.
  EXPECT_LE(std::abs(Displacement(identity.k1, identity.k2, identity.k3, 10.0)), 1e-12);
  EXPECT_LE(err, 1e-12);
}

TEST(ApproxCameraDistortion, CopiesFormulaAndMixedTermsExactlyToTheSameMap) {
  TLxCameraInfo f = Camera(dtFormula), f_affine = f, m = Camera(dtMixed), m_high = m;
  f.distortion.k1 = 1e-5, f.distortion.p1 = 2e-6, f.distortion.b1 = 3e-4;
  f_affine.distortion = f.distortion;
  f_affine.distortion.k2 = -3e-9, f_affine.distortion.p2 = -1e-6, f_affine.distortion.b2 = 2e-4;
  f_affine.distortion.a1 = -1e-4, f_affine.distortion.a2 = 5e-4;
  m.distortion.mixed_coeffs = {{3e-4, -2e-4}, {}, {}, {1e-5, -3e-9, 1e-13}, {2e-6, -1e-6}};
  m_high.distortion.mixed_coeffs = m.distortion.mixed_coeffs;
  m_high.distortion.mixed_coeffs.b = {1e-4, 2e-4, 1e-5};
  m_high.distortion.mixed_coeffs.c[3] = 1e-5;
  struct Case {
    const TLxCameraInfo& cam;
    TDistortionType to;
  } cases[] = {
      {f, dtFormula}, {f, dtMixed}, {f_affine, dtMixed}, {m, dtFormula}, {m_high, dtMixed}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cam.distortion.type << " to " << c.to);
    Dist out;
    double err = -1;
    ASSERT_TRUE(ApproxCameraDistortion(c.to, &out, c.cam, 30.0, &err));
    EXPECT_EQ(err, 0.0);
    EXPECT_EQ(out.type, c.to);
    // The two models evaluate the same terms in a different order.
    EXPECT_LE(MaxDistance(*CreateCameraDistortionTransform(c.cam.distortion, {}, c.cam.focus),
                          *CreateCameraDistortionTransform(out, {}, c.cam.focus)),
              1e-12);
  }
  Dist mixed, want = f.distortion;
  ASSERT_TRUE(ApproxCameraDistortion(dtMixed, &mixed, f, 0.0, nullptr));
  want.type = dtMixed, want.mixed_coeffs = {{3e-4}, {}, {}, {1e-5}, {2e-6}};
  EXPECT_TRUE(mixed == want);
}

TEST(ApproxCameraDistortion, FitsWhatItCannotCopyUpToTheRadiusTheSourceAllows) {
  TLxCameraInfo mm_to_cam = Camera(dtFormula, Dist::dirMmToCam), off_centre = Camera(dtFormula);
  TLxCameraInfo higher = Camera(dtFormula), radial = Camera(dtRadial), eight = Camera(dtDirected8);
  mm_to_cam.distortion.k1 = off_centre.distortion.k1 = higher.distortion.k1 = -1e-5;
  off_centre.distortion.symmetry_point = {0.3, -0.5};
  higher.distortion.k4 = 1e-14;  // beyond what the mixed type carries
  radial.distortion.table_r = {{10.0, -0.01}, {20.0, -0.08}};
  eight.distortion.table_plus = {{20.0, {-0.1, -0.1, -0.1, -0.1}}};
  eight.distortion.table_x = {{5.0, {-0.01, -0.02, 0, 0}}, {30.0, {-0.3, -0.2, -0.3, -0.3}}};
  struct Case {
    const TLxCameraInfo& cam;
    double radius, fitted_to;
  } cases[] = {{mm_to_cam, -1.0, 50.0},  {mm_to_cam, 150.0, 100.0}, {mm_to_cam, 30.0, 30.0},
               {off_centre, 30.0, 30.0}, {higher, 0.0, 50.0},       {radial, 5.0, 20.0},
               {eight, 5.0, 30.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cam.distortion.type << " radius " << c.radius);
    Dist got, want;
    double got_err = -1, want_err = -2;
    ASSERT_TRUE(ApproxCameraDistortion(dtMixed, &got, c.cam, c.radius, &got_err));
    const auto t = CreateCameraDistortionTransform(
        c.cam.distortion, c.cam.distortion.symmetry_point - c.cam.principal_point, c.cam.focus);
    ASSERT_TRUE(ApproxCameraDistortion(*t, dtMixed, &want, c.cam, c.fitted_to, &want_err));
    EXPECT_TRUE(got == want);
    EXPECT_EQ(got_err, want_err);
    EXPECT_GT(got_err, 0.0);  // a fit, not a copy
  }
}

TEST(ApproxCameraDistortion, RefusesWithoutWritingTheResults) {
  // One row at radius r in each table named.
  const auto with_rows = [](TDistortionType type, double r, bool radial, bool plus, bool x) {
    TLxCameraInfo cam = Camera(type);
    if (radial) cam.distortion.table_r = {{r, 0.1}};
    if (plus) cam.distortion.table_plus = {{r, {0.1, 0.1, 0.1, 0.1}}};
    if (x) cam.distortion.table_x = {{r, {0.1, 0.1, 0.1, 0.1}}};
    return cam;
  };
  TLxCameraInfo no_focus = Camera(dtFormula, Dist::dirMmToCam);
  no_focus.focus = 0.0;
  struct Case {
    const char* what;
    TLxCameraInfo cam;
    TDistortionType to = dtFormula;
    double radius = 10.0;
  } cases[] = {
      {"requested radial", Camera(dtFormula), dtRadial},
      {"no distortion", Camera(dtNone)},
      {"polynomial", Camera(dtPolynomial)},
      {"empty radial", with_rows(dtRadial, 1.0, false, true, true)},
      {"radial radius 0", with_rows(dtRadial, 0.0, true, false, false)},
      {"empty plus", with_rows(dtDirected4Plus, 1.0, true, false, true)},
      {"empty x", with_rows(dtDirected4X, 1.0, true, true, false)},
      {"eight without x", with_rows(dtDirected8, 1.0, false, true, false)},
      {"eight without plus", with_rows(dtDirected8, 1.0, false, false, true)},
      {"eight radius 0", with_rows(dtDirected8, 0.0, false, true, true)},
      {"zero step", no_focus, dtFormula, -1.0},  // fits up to focus/2 = 0
  };
  Dist untouched;
  untouched.k1 = 0.125;
  for (const Case& c : cases) {
    Dist out = untouched;
    double err = 42.0;
    EXPECT_FALSE(ApproxCameraDistortion(c.to, &out, c.cam, c.radius, &err)) << c.what;
    EXPECT_TRUE(out == untouched && err == 42.0) << c.what;
  }
  // Requested radial, zero step, singular fit.
  for (auto [to, radius] : {std::pair{dtRadial, 10.0}, {dtFormula, 0.0}, {dtMixed, 1e-58}}) {
    Dist out = untouched;
    double err = 42.0;
    EXPECT_FALSE(ApproxCameraDistortion(kRadial3, to, &out, Camera(dtNone), radius, &err));
    EXPECT_TRUE(out == untouched && err == 42.0) << radius;
  }
  EXPECT_THROW(ApproxCameraDistortion(kRadial3, dtFormula, nullptr, Camera(dtNone), 1.0, nullptr),
               std::invalid_argument);
  EXPECT_THROW(ApproxCameraDistortion(dtFormula, nullptr, Camera(dtNone), 1.0, nullptr),
               std::invalid_argument);
  EXPECT_THROW(ApplyDistortionMultiplier(nullptr, 2.0), std::invalid_argument);
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
  d.table_r = {{10.0, 0.01}, {30.0, 0.2}};
  d.table_plus = d.table_x = {{10.0, {0.01, 0.02, 0.03, 0.04}}, {30.0, {0.2, 0.1, 0.3, 0.4}}};
  Dist scaled = d;
  ApplyDistortionMultiplier(&scaled, 2.0);
  EXPECT_TRUE(scaled.type == dtNone && scaled.direction == d.direction &&
              scaled.symmetry_point == d.symmetry_point);
  scaled.direction = d.direction = Dist::dirCamToMm;  // linear only forwards
  for (auto type :
       {dtFormula, dtRadial, dtDirected4Plus, dtDirected4X, dtDirected8, dtMixed, dtPolynomial}) {
    d.type = scaled.type = type;
    const auto t = CreateCameraDistortionTransform(d, {}, 100.0);
    const auto t2 = CreateCameraDistortionTransform(scaled, {}, 100.0);
    for (double x = -50; x <= 50; x += 5)
      for (double y = -50; y <= 50; y += 5) {
        const P p{x, y}, q = t->TransformPoint(p) - p, q2 = t2->TransformPoint(p) - p;
        // Displacements of up to ~1 mm, doubled in another order.
        EXPECT_LE(std::hypot(q2.x - 2 * q.x, q2.y - 2 * q.y), 1e-12)
            << type << ": " << x << ", " << y;
      }
  }
  // A signalling NaN would come back quiet from any multiplication.
  d.mixed_coeffs.a[3] = std::numeric_limits<double>::signaling_NaN();
  Dist same = d;
  ApplyDistortionMultiplier(&same, 1.0);
  EXPECT_EQ(std::memcmp(&same.mixed_coeffs, &d.mixed_coeffs, sizeof d.mixed_coeffs), 0);
  EXPECT_TRUE(same == d);
}
