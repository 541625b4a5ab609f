#include <LxCameraUtils/CameraGeometry.h>
#include <LxMathEx/FormulaDistortion.h>
#include <LxMathEx/SeriesDistortion.h>
#include <LxMathEx/TableDistortion.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <typeinfo>
#include <vector>

namespace {

using P = vec_t_<double, 2>;
using Dist = TLxCameraDistortion;

}  // namespace

TEST(CamToMmTransform, ShiftsByThePrincipalPointThenAppliesTheModelIgnoringTheSensorFields) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    P pp, symmetry;
    int type;
    const std::type_info& holds;
  } cases[] = {
      {{0.0, 0.0}, {}, dtNone, typeid(TUnityTransform)},
      {{-0.0, 0.0}, {}, dtNone, typeid(TUnityTransform)},
      {{0.1, -0.2}, {}, dtNone, typeid(TAffineTransform)},
      {{0.1, -0.2}, {}, 9, typeid(TAffineTransform)},
      {{kNaN, 0.0}, {}, dtNone, typeid(TAffineTransform)},
      {{0.0, -0.0}, {0.3, -0.1}, dtFormula, typeid(TFormulaDistortion)},
      {{0.1, -0.2}, {0.1, -0.2}, dtFormula, typeid(TCombinedTransform)},
      {{0.12, -0.07}, {0.2, 0.1}, dtFormula, typeid(TCombinedTransform)},
  };
  std::mt19937_64 rng(6);
  std::uniform_real_distribution<double> u(-50.0, 50.0);
  std::vector<P> in(200), batch(in.size());
  for (P& p : in)
    p = {u(rng), u(rng)};
  in[0] = {1, 1};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pp.x << ", " << c.pp.y << " type " << c.type);
    TLxCameraInfo cam;
    cam.focus = 100.0, cam.principal_point = c.pp, cam.distortion.symmetry_point = c.symmetry;
    cam.distortion.type = TDistortionType{c.type};
    cam.distortion.k1 = -2e-5, cam.distortion.p1 = 3e-6, cam.distortion.a2 = 1e-4;
    // Fields the transform must not read.
    cam.type = ctDigital, cam.pixel_size = {0.01, 0.01}, cam.sensor_dims = {100, 200};
    cam.digital_camera_origin = dcoLowerLeft, cam.fiducials.push_back({1, {5, 5}, 2});
    const auto t = CreateCamToMmTransform(cam);
    ASSERT_TRUE(t);
    const TLx2DTransform& held = *t;
    EXPECT_EQ(typeid(held), c.holds);
    EXPECT_EQ(t.use_count(), 1);  // the factory's own holder is gone
    const auto model = CreateCameraDistortionTransform(cam.distortion, c.symmetry - c.pp, 100.0);
    t->TransformPoints(in.data(), batch.data(), in.size());
    for (std::size_t k = 0; k < in.size(); ++k) {
      const P want = model ? model->TransformPoint(in[k] - c.pp) : in[k] - c.pp;
      const P q = t->TransformPoint(in[k]);
      EXPECT_THAT(q.x, testing::NanSensitiveDoubleEq(want.x));
      EXPECT_THAT(q.y, testing::NanSensitiveDoubleEq(want.y));
      // Batch and point paths of the models may round differently.
      if (std::isfinite(q.x)) {
        EXPECT_LE(std::hypot(q.x - batch[k].x, q.y - batch[k].y), 1e-12);
      }
    }
  }
}

TEST(CameraDistortionTransform, PassesTheRecordsValuesCentreFocusAndDirection) {
  Dist d;
  d.symmetry_point = {7, 7};  // never read: the centre is the caller's
  d.k1 = 1, d.k2 = 2, d.k3 = 3, d.k4 = 4, d.k5 = 5, d.p1 = 6, d.p2 = 7, d.p3 = 8, d.p4 = 9;
  d.b1 = 10, d.b2 = 11, d.a1 = 12, d.a2 = 13;
  d.mixed_coeffs = {{1, 2, 3, 4, 5, 6, 7},
                    {8, 9, 10, 11, 12, 13, 14},
                    {15, 16, 17, 18, 19, 20, 21},
                    {22, 23, 24},
                    {25, 26}};
  d.polynomial_coeffs = {{1, 2, 3, 4, 5, 6, 7, 8}, {9, 10, 11, 12}};
  d.table_r = {{20.0, 0.5}, {10.0, 0.25}};
  const P c{0.5, -0.25};
  for (int type : {0, 9, int{dtNone}}) {
    d.type = TDistortionType{type};
    EXPECT_FALSE(CreateCameraDistortionTransform(d, c, 50.0)) << type;
  }
  for (auto dir : {Dist::dirCamToMm, Dist::dirMmToCam}) {
    d.direction = dir;
    const bool flag = dir == Dist::dirMmToCam;
    const auto make = [&](TDistortionType type) {
      d.type = type;
      return CreateCameraDistortionTransform(d, c, 50.0);
    };
    const auto hf = make(dtFormula), hr = make(dtRadial), hm = make(dtMixed),
               hp = make(dtPolynomial);
    const auto& f = dynamic_cast<const TFormulaDistortion&>(*hf);
    EXPECT_EQ(f.Coeffs(), (TDistCoeff{c, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, flag}));
    const auto& r = dynamic_cast<const TRadialDistortion&>(*hr);
    EXPECT_EQ(r.Items(), (std::vector<TRadialTableItem>{{20.0, 0.5}, {10.0, 0.25}}));
    EXPECT_TRUE(r.Center() == c && r.MmToCam() == flag);
    const auto& m = dynamic_cast<const TMixedDistortion&>(*hm);
    EXPECT_TRUE(m.A() == d.mixed_coeffs.a && m.B() == d.mixed_coeffs.b &&
                m.C() == d.mixed_coeffs.c && m.K() == d.mixed_coeffs.K &&
                m.P() == d.mixed_coeffs.P && m.D() == (std::array<double, 3>{}));
    EXPECT_TRUE(m.Focus() == 50.0 && m.MmToCam() == flag && m.Center() == c);
    const auto& p = dynamic_cast<const TPolynomialDistortion&>(*hp);
    EXPECT_TRUE(p.K() == d.polynomial_coeffs.K && p.P() == d.polynomial_coeffs.P &&
                p.B() == (std::array<double, 2>{}));
    EXPECT_TRUE(p.Focus() == 50.0 && p.MmToCam() == flag && p.Center() == c);
  }
  d.type = dtRadial, d.table_r.clear();  // an empty table still makes a model
  EXPECT_TRUE(dynamic_cast<const TRadialDistortion&>(*CreateCameraDistortionTransform(d, c, 1.0))
                  .Items()
                  .empty());
}

TEST(CameraDistortionTransform, PutsEachDirectedValueAtItsDirection) {
  constexpr double kPi = std::numbers::pi;
  Dist d;
  d.table_plus = d.table_x = {{10.0, {1, 2, 3, 4}}};
  for (auto type : {dtDirected4Plus, dtDirected4X}) {
    d.type = type;
    const auto t = CreateCameraDistortionTransform(d, {}, 100.0);
    const auto& data = dynamic_cast<const TDirectedDistortion&>(*t).Data();
    const double turn = type == dtDirected4X ? kPi / 4 : 0.0;
    EXPECT_EQ(data.angles,
              (std::vector<double>{turn, turn + kPi / 2, turn + kPi, turn + 3 * kPi / 2}));
    EXPECT_EQ(data.items, (std::vector<TDirectedTableItem>{{10.0, {4, 1, 3, 2}}}));
    // dr[0..3] displace outwards along π/2, 3π/2, π and 0, turned for the x table.
    const double along[4] = {kPi / 2, 3 * kPi / 2, kPi, 0.0};
    for (int k = 0; k < 4; ++k) {
      const P q = t->TransformPoint(P{std::cos(along[k] + turn), std::sin(along[k] + turn)} * 10.0);
      // Angles carry rounding of ~1e-15 rad, moving values by as little.
      EXPECT_NEAR(std::hypot(q.x, q.y), 10.0 + d.table_plus[0].dr[k], 1e-12) << k;
    }
  }
}
