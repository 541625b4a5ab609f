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
TFormulaDistortion Radial3(double k1 = -2e-5, double k2 = 3e-9, double k3 = -1e-13) {
  return TFormulaDistortion({}, k1, k2, k3, 0, 0, 0, 0, 0, 0, false);
}

double Displacement(double k1, double k2, double k3, double r) {
  return ((k3 * r * r + k2) * r * r + k1) * r * r * r;
}

}  // namespace

TEST(FitRadialPolynomial, RecoversKnownTermsAndRefusesDegenerateSamples) {
  const std::vector<double> angles = {0.0, 1.0, 2.0, 4.0};
  double k1 = 7, k2 = 7, k3 = 7;
  ASSERT_TRUE(FitRadialPolynomial(Radial3(), 0.5, 100, angles, k1, k2, k3));
  // Least squares on exact samples leaves rounding of ~1e-15 relative.
  EXPECT_NEAR(k1, -2e-5, 1e-15);
  EXPECT_NEAR(k2, 3e-9, 1e-18);
  EXPECT_NEAR(k3, -1e-13, 1e-22);

  k1 = k2 = k3 = 7;
  EXPECT_FALSE(FitRadialPolynomial(Radial3(), 0.0, 100, angles, k1, k2, k3));
  EXPECT_FALSE(FitRadialPolynomial(Radial3(), 0.5, 100, {}, k1, k2, k3));
  EXPECT_FALSE(FitRadialPolynomial(Radial3(), 0.5, 0, angles, k1, k2, k3));      // no samples
  EXPECT_FALSE(FitRadialPolynomial(Radial3(), 1e-60, 100, angles, k1, k2, k3));  // underflow
  EXPECT_TRUE(k1 == 7 && k2 == 7 && k3 == 7);
}

TEST(ApproxCameraDistortion, FitReproducesTheRadialDisplacementOverTheRadius) {
  for (auto type : {dtFormula, dtMixed}) {
    Dist fit;
    double err = -1;
    ASSERT_TRUE(ApproxCameraDistortion(Radial3(), type, &fit, Camera(dtNone), 50.0, &err));
    const bool formula = type == dtFormula;
    EXPECT_EQ(fit.type, type);
    EXPECT_EQ(fit.direction, Dist::dirCamToMm);
    EXPECT_EQ(fit.symmetry_point, (P{0.25, -0.5}));
    const double k1 = formula ? fit.k1 : fit.mixed_coeffs.K[0];
    const double k2 = formula ? fit.k2 : fit.mixed_coeffs.K[1];
    const double k3 = formula ? fit.k3 : fit.mixed_coeffs.K[2];
    for (double r = 0.0; r <= 50.0; r += 0.25)
      EXPECT_NEAR(Displacement(k1, k2, k3, r), Displacement(-2e-5, 3e-9, -1e-13, r), 1e-6) << r;
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
    const auto source = CreateCameraDistortionTransform(c.cam.distortion, {}, c.cam.focus);
    const auto copy = CreateCameraDistortionTransform(out, {}, c.cam.focus);
    for (double x = -50; x <= 50; x += 5)
      for (double y = -50; y <= 50; y += 5) {
        const P a = source->TransformPoint({x, y}), b = copy->TransformPoint({x, y});
        // The two models evaluate the same terms in a different order.
        EXPECT_LE(std::hypot(a.x - b.x, a.y - b.y), 1e-12) << x << ", " << y;
      }
  }
  Dist mixed;
  ASSERT_TRUE(ApproxCameraDistortion(dtMixed, &mixed, f, 0.0, nullptr));
  Dist::TMixedCoeffs want{{3e-4}, {}, {}, {1e-5}, {2e-6}};
  EXPECT_TRUE(mixed.mixed_coeffs.a == want.a && mixed.mixed_coeffs.b == want.b &&
              mixed.mixed_coeffs.c == want.c && mixed.mixed_coeffs.K == want.K &&
              mixed.mixed_coeffs.P == want.P);
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
      {"requested none", Camera(dtMixed), dtNone},
      {"no distortion", Camera(dtNone)},
      {"polynomial", Camera(dtPolynomial)},
      {"unknown type", Camera(TDistortionType{9})},
      {"empty radial", with_rows(dtRadial, 1.0, false, true, true)},
      {"radial radius 0", with_rows(dtRadial, 0.0, true, false, false)},
      {"empty plus", with_rows(dtDirected4Plus, 1.0, true, false, true)},
      {"plus radius -5", with_rows(dtDirected4Plus, -5.0, false, true, false)},
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
  const TFormulaDistortion t = Radial3();
  for (auto [to, radius] : {std::pair{dtRadial, 10.0}, {dtFormula, 0.0}, {dtMixed, 1e-58}}) {
    Dist out = untouched;
    double err = 42.0;
    EXPECT_FALSE(ApproxCameraDistortion(t, to, &out, Camera(dtNone), radius, &err)) << radius;
    EXPECT_TRUE(out == untouched && err == 42.0) << radius;
  }
  EXPECT_THROW(ApproxCameraDistortion(t, dtFormula, nullptr, Camera(dtNone), 1.0, nullptr),
               std::invalid_argument);
  EXPECT_THROW(ApproxCameraDistortion(dtFormula, nullptr, Camera(dtNone), 1.0, nullptr),
               std::invalid_argument);
  EXPECT_THROW(ApplyDistortionMultiplier(nullptr, 2.0), std::invalid_argument);
}

TEST(ApplyDistortionMultiplier, ScalesEveryValueButRadiiAndRelativeTerms) {
  Dist d;
  d.type = dtPolynomial, d.direction = Dist::dirMmToCam, d.symmetry_point = {1, 2};
  d.k1 = 1, d.k2 = 2, d.k3 = 3, d.k4 = 4, d.k5 = 5, d.p1 = 6, d.p2 = 7, d.p3 = 0.1, d.p4 = 0.2;
  d.b1 = 8, d.b2 = 9, d.a1 = 10, d.a2 = 11;
  d.mixed_coeffs.a.fill(1), d.mixed_coeffs.b.fill(2), d.mixed_coeffs.c.fill(3);
  d.mixed_coeffs.K.fill(4), d.mixed_coeffs.P.fill(5);
  d.polynomial_coeffs.K.fill(6), d.polynomial_coeffs.P.fill(7);
  d.table_r = {{10.0, 0.5}};
  d.table_plus = d.table_x = {{10.0, {1, 2, 3, 4}}};

  Dist want = d;
  want.k1 = 2, want.k2 = 4, want.k3 = 6, want.k4 = 8, want.k5 = 10, want.p1 = 12, want.p2 = 14;
  want.b1 = 16, want.b2 = 18, want.a1 = 20, want.a2 = 22;
  want.mixed_coeffs.a.fill(2), want.mixed_coeffs.b.fill(4), want.mixed_coeffs.c.fill(6);
  want.mixed_coeffs.K.fill(8), want.mixed_coeffs.P.fill(10);
  want.polynomial_coeffs.K.fill(12), want.polynomial_coeffs.P.fill(14);
  want.table_r = {{10.0, 1.0}};
  want.table_plus = want.table_x = {{10.0, {2, 4, 6, 8}}};
  Dist scaled = d;
  ApplyDistortionMultiplier(&scaled, 2.0);
  EXPECT_TRUE(scaled == want);

  // A signalling NaN would come back quiet from any multiplication.
  d.mixed_coeffs.a[3] = std::numeric_limits<double>::signaling_NaN();
  Dist same = d;
  ApplyDistortionMultiplier(&same, 1.0);
  EXPECT_EQ(std::memcmp(&same.mixed_coeffs, &d.mixed_coeffs, sizeof d.mixed_coeffs), 0);
  EXPECT_TRUE(same.table_r[0].dr == 0.5 && same.k1 == 1);
}
