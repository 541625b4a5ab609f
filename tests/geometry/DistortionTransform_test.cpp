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
#include <typeinfo>
#include <vector>

#include "AcceptancePoints.h"

namespace {

using P = vec_t_<double, 2>;
using Dist = TLxCameraDistortion;
using Rows = std::vector<Dist::TDirectedTableRow>;
constexpr double kPi = std::numbers::pi;

}  // namespace

// The inverse undoes it point by point and in batch, whichever way the record
// describes the model.
TEST(CamToMmTransform, ShiftsByThePrincipalPointThenAppliesTheModelIgnoringTheSensorFields) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    P pp, symmetry;
    int type;
    const std::type_info& holds;
    Dist::TDirection direction = Dist::dirCamToMm;
  } cases[] = {
      {{0.0, 0.0}, {}, dtNone, typeid(TUnityTransform)},
      {{-0.0, 0.0}, {}, dtNone, typeid(TUnityTransform)},
      {{0.1, -0.2}, {}, dtNone, typeid(TAffineTransform)},
      {{0.0, -0.2}, {}, dtNone, typeid(TAffineTransform)},
      {{0.1, -0.2}, {}, 9, typeid(TAffineTransform)},
      {{kNaN, 0.0}, {}, dtNone, typeid(TAffineTransform)},
      {{0.0, -0.0}, {0.3, -0.1}, dtFormula, typeid(TFormulaDistortion)},
      {{0.1, -0.2}, {0.1, -0.2}, dtFormula, typeid(TCombinedTransform)},
      {{0.12, -0.07}, {0.2, 0.1}, dtFormula, typeid(TCombinedTransform)},
      {{0.12, -0.07}, {0.2, 0.1}, dtFormula, typeid(TCombinedTransform), Dist::dirMmToCam},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pp.x << ", " << c.pp.y << " type " << c.type);
    TLxCameraInfo cam;
    cam.focus = 100.0, cam.principal_point = c.pp, cam.distortion.symmetry_point = c.symmetry;
    cam.distortion.type = TDistortionType{c.type}, cam.distortion.direction = c.direction;
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
    const auto inverse = CreateMmToCamTransform(cam);
    std::vector<P> in, mm;
    for (double x = -49; x <= 50; x += 5)
      for (double y = -49; y <= 50; y += 5) {
        const P want = model ? model->TransformPoint(P{x, y} - c.pp) : P{x, y} - c.pp;
        in.push_back({x, y}), mm.push_back(t->TransformPoint({x, y}));
        EXPECT_THAT(mm.back().x, testing::NanSensitiveDoubleEq(want.x));
        EXPECT_THAT(mm.back().y, testing::NanSensitiveDoubleEq(want.y));
      }
    std::vector<P> batch = mm;
    inverse->TransformPoints(batch.data(), batch.data(), batch.size());
    for (std::size_t i = 0; i < in.size() && !std::isnan(c.pp.x); ++i) {
      const P back = inverse->TransformPoint(mm[i]);
      EXPECT_LE(std::hypot(back.x - in[i].x, back.y - in[i].y), 1e-12) << in[i].x << " " << in[i].y;
      EXPECT_TRUE(batch[i] == back);
    }
  }
  // Without distortion nor shift nothing is allocated beyond the identity.
  const auto unity = CreateMmToCamTransform(TLxCameraInfo{});
  const TLx2DTransform& held = *unity;
  EXPECT_EQ(typeid(held), typeid(TUnityTransform));
}

// Each point is mapped both ways within its tolerance.
TEST(CamToMmTransform, MapsTheAcceptancePointsOfEveryExampleCameraBothWays) {
  const std::vector<TAcceptancePoint> points = AcceptancePoints();
  ASSERT_GE(points.size(), 10u);
  for (const TAcceptancePoint& a : points) {
    SCOPED_TRACE(a.camera + ": " + a.source);
    const TLxCameraInfo camera = ExampleCamera(a.camera);
    const P q = CreateCamToMmTransform(camera)->TransformPoint(a.in);
    EXPECT_LE(std::hypot(q.x - a.out.x, q.y - a.out.y), a.tolerance_um * 1e-3);
    const P p = CreateMmToCamTransform(camera)->TransformPoint(a.out);
    EXPECT_LE(std::hypot(p.x - a.in.x, p.y - a.in.y), a.tolerance_um * 1e-3);
  }
}

TEST(CameraDistortionTransform, PassesTheRecordsValuesCentreFocusAndDirection) {
  Dist d;
  d.symmetry_point = {7, 7};  // never read: the centre is the caller's
  d.k1 = 1, d.k2 = 2, d.k3 = 3, d.k4 = 4, d.k5 = 5, d.p1 = 6, d.p2 = 7, d.p3 = 8, d.p4 = 9;
  d.b1 = 10, d.b2 = 11, d.a1 = 12, d.a2 = 13;
  d.mixed_coeffs.a = {1, 2, 3, 4, 5, 6, 7}, d.mixed_coeffs.b = {8, 9, 10, 11, 12, 13, 14};
  d.mixed_coeffs.c = {15, 16, 17, 18, 19, 20, 21}, d.mixed_coeffs.K = {22, 23, 24};
  d.mixed_coeffs.P = {25, 26};
  d.polynomial_coeffs = {{1, 2, 3, 4, 5, 6, 7, 8}, {9, 10, 11, 12}};
  d.table_r = {{20.0, 0.5}, {10.0, 0.25}};
  d.table_plus = d.table_x = {{10.0, {1, 2, 3, 4}}};
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
    for (auto type : {dtDirected4Plus, dtDirected4X}) {  // their columns: DirectedTables
      const auto h = make(type);
      const auto& t = dynamic_cast<const TDirectedDistortion&>(*h);
      EXPECT_TRUE(t.Data().center == c && t.MmToCam() == flag);
    }
  }
  d.type = dtRadial, d.table_r.clear();  // an empty table still makes a model
  const auto empty = CreateCameraDistortionTransform(d, c, 1.0);
  EXPECT_TRUE(dynamic_cast<const TRadialDistortion&>(*empty).Items().empty());
}

TEST(Directed8Merge, MergesByRadiusInterpolatingTheTableWithoutARow) {
  using Items = std::vector<TDirectedTableItem>;
  const Dist::TDirectedTableRow p10{10.0, {1, 2, 3, 4}}, x10{10.0, {5, 6, 7, 8}};
  const Dist::TDirectedTableRow x20{20.0, {5, 6, 7, 8}};
  const Dist::TDirectedTableRow ones{10.0, {1, 1, 1, 1}}, threes{20.0, {3, 3, 3, 3}};
  const auto at = [](double r, double v) {
    return TDirectedTableItem{r, {v, 0, v, 0, v, 0, v, 0}};
  };
  struct Case {
    const char* what;
    Rows plus, x;
    Items want;
  } cases[] = {
      {"both empty", {}, {}, {}},
      {"equal radii", {p10}, {x10}, {{10.0, {4, 8, 1, 5, 3, 7, 2, 6}}}},
      {"from the origin, then in proportion",
       {p10},
       {x20},
       {{10.0, {4, 4, 1, 2.5, 3, 3.5, 2, 3}}, {20.0, {8, 8, 2, 5, 6, 7, 4, 6}}}},
      {"between rows", {ones, threes}, {{15.0, {}}}, {at(10, 1), at(15, 2), at(20, 3)}},
      {"along the last segment", {ones, threes}, {{30.0, {}}}, {at(10, 1), at(20, 3), at(30, 5)}},
      // A missing table borrows the mean of its neighbouring directions, so the
      // record acts as the four-direction record of the other table.
      {"no x rows", {p10}, {}, {{10.0, {4, 2.5, 1, 2, 3, 2.5, 2, 3}}}},
      {"no plus rows", {}, {x10}, {{10.0, {7, 8, 6.5, 5, 6, 7, 6.5, 6}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Dist d;
    d.type = dtDirected8, d.direction = Dist::dirMmToCam, d.table_plus = c.plus, d.table_x = c.x;
    const auto t = CreateCameraDistortionTransform(d, {0.5, -0.5}, 100.0);
    const auto& model = dynamic_cast<const TDirectedDistortion&>(*t);
    EXPECT_EQ(model.Data().center, (P{0.5, -0.5}));
    EXPECT_EQ(model.Data().angles, (std::vector<double>{0, kPi / 4, kPi / 2, 3 * kPi / 4, kPi,
                                                        5 * kPi / 4, 3 * kPi / 2, 7 * kPi / 4}));
    EXPECT_EQ(model.Data().items, c.want);
    EXPECT_TRUE(model.MmToCam());
  }
}

// The angles the public header gives the columns dr[0..3]; a host filling a
// table in code relies on them.
TEST(DirectedTables, ShowADisplacementEnteredInAColumnAtThatColumnsAngle) {
  constexpr double kDeg = kPi / 180;
  const struct {
    TDistortionType type;
    bool x_table;
    std::array<double, 4> degrees;
  } tables[] = {{dtDirected4Plus, false, {90, 270, 180, 0}},
                {dtDirected4X, true, {135, 315, 225, 45}},
                {dtDirected8, false, {90, 270, 180, 0}},
                {dtDirected8, true, {135, 315, 225, 45}}};
  constexpr double kR = 15.0, kDr = 0.1;  // mm, between the rows at 10 and 20 mm
  for (const auto& t : tables)
    for (int column = 0; column < 4; ++column) {
      SCOPED_TRACE(testing::Message() << t.type << (t.x_table ? " x" : " plus") << " " << column);
      Dist d;
      d.type = t.type;
      Dist::TDirectedTableRow row{10.0, {}}, zero{10.0, {}};
      row.dr[column] = kDr;
      Rows entered = {row, row}, zeros = {zero, zero};
      entered[1].r = zeros[1].r = 20.0;
      d.table_plus = t.x_table ? zeros : entered;
      d.table_x = t.x_table ? entered : zeros;
      const auto model = CreateCameraDistortionTransform(d, {}, 100.0);
      for (int k = 0; k < 4; ++k) {
        const P u{std::cos(t.degrees[k] * kDeg), std::sin(t.degrees[k] * kDeg)};
        const P q = model->TransformPoint(u * kR);
        const double want = k == column ? kDr : 0.0;  // radial, positive outwards
        EXPECT_NEAR(q.x, u.x * (kR + want), 1e-12) << t.degrees[k];
        EXPECT_NEAR(q.y, u.y * (kR + want), 1e-12) << t.degrees[k];
      }
    }
}
