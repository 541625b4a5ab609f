#include <LxMathEx/FormulaDistortion.h>
#include <LxMathEx/SeriesDistortion.h>
#include <LxMathEx/TableDistortion.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace {

using P = vec_t_<double, 2>;
constexpr double kPi = std::numbers::pi;

// A 100 mm frame about the origin, every 1 mm.
std::vector<P> FramePoints() {
  std::vector<P> pts;
  for (int i = -50; i <= 50; ++i)
    for (int j = -50; j <= 50; ++j)
      pts.push_back({i * 1.0, j * 1.0});
  return pts;
}

double Dist(const P& a, const P& b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

// Radial displacement samples of k·r³ at 10, 20, …, 80 mm.
std::vector<double> Radii() {
  return {10, 20, 30, 40, 50, 60, 70, 80};
}

// Each trait builds its model with realistic (~50 µm at the corner) or strong
// (several mm) distortion, in either direction.
struct FormulaModel {
  static std::unique_ptr<TLx2DTransform> Make(bool strong, bool mm_to_cam) {
    TDistCoeff c;
    c.center = {0.3, -0.2};
    c.k1 = strong ? -1.5e-5 : -1.2e-7;
    c.k2 = strong ? 2e-10 : 3e-12;
    c.k3 = strong ? -1e-14 : -1e-16;
    c.k4 = 1e-19;
    c.k5 = -1e-23;
    c.p1 = strong ? 4e-5 : 2e-6;
    c.p2 = strong ? -3e-5 : -1.5e-6;
    c.p3 = 1e-5;
    c.p4 = -1e-9;
    c.b1 = strong ? 2e-3 : 1e-4;
    c.b2 = -5e-5;
    c.a1 = 3e-5;
    c.a2 = strong ? -1e-3 : 2e-5;
    c.mm_to_cam = mm_to_cam;
    return std::make_unique<TFormulaDistortion>(c);
  }
};

struct RadialModel {
  static std::unique_ptr<TLx2DTransform> Make(bool strong, bool mm_to_cam) {
    const double k = strong ? 1.2e-5 : 1.5e-7;
    std::vector<TRadialTableItem> items;
    for (double r : Radii())
      items.push_back({r, k * r * r * r});
    return std::make_unique<TRadialDistortion>(P{-0.4, 0.25}, items, mm_to_cam);
  }
};

struct DirectedModel {
  static std::unique_ptr<TLx2DTransform> Make(bool strong, bool mm_to_cam) {
    const double k = strong ? -1.2e-5 : -1.5e-7;
    TDirectedData d;
    d.center = {0.1, 0.2};
    d.angles = {kPi / 2, 3 * kPi / 2, kPi, 0.0, 3 * kPi / 4, 7 * kPi / 4, 5 * kPi / 4, kPi / 4};
    for (double r : Radii()) {
      TDirectedTableItem item{r, {}};
      for (double a : d.angles)
        item.values.push_back(k * r * r * r * (1.0 + 0.2 * std::cos(a)));
      d.items.push_back(item);
    }
    return std::make_unique<TDirectedDistortion>(d, mm_to_cam);
  }
};

struct MixedModel {
  static std::unique_ptr<TLx2DTransform> Make(bool strong, bool mm_to_cam) {
    const double s = strong ? 50.0 : 1.0;
    const double a[7] = {1e-4, -5e-5, s * 1e-5, s * -2e-5, s * 1e-5, s * 3e-5, s * -1e-5};
    const double b[7] = {2e-5, 3e-5, s * -1e-5, s * 2e-5, s * 1e-5, s * -2e-5, s * 1e-5};
    const double c[7] = {s * 1e-5, s * -2e-5, s * 1e-5, 0.0, s * -1e-5, s * 2e-5, s * 1e-5};
    const double K[3] = {s * -1.2e-7, 3e-12, -1e-16};
    const double Pc[2] = {s * 2e-6, -1.5e-6};
    return std::make_unique<TMixedDistortion>(P{0.3, -0.1}, 100.0, a, b, c, K, Pc, 1e-4, -2e-4,
                                              3e-4, mm_to_cam);
  }
};

struct PolynomialModel {
  static std::unique_ptr<TLx2DTransform> Make(bool strong, bool mm_to_cam) {
    const double s = strong ? 50.0 : 1.0;
    const double K[8] = {1e-4, s * -1.2e-3, s * 3e-5, -1e-6, 1e-7, -1e-8, 1e-9, -1e-10};
    const double Pc[4] = {s * 2e-4, s * -1.5e-4, 1e-1, -1e-2};
    return std::make_unique<TPolynomialDistortion>(P{-0.2, 0.1}, 100.0, K, Pc, 1e-4, -2e-4,
                                                   mm_to_cam);
  }
};

template <class Model>
class DistortionModel : public testing::Test {};
using Models =
    testing::Types<FormulaModel, RadialModel, DirectedModel, MixedModel, PolynomialModel>;
TYPED_TEST_SUITE(DistortionModel, Models);

}  // namespace

TYPED_TEST(DistortionModel, InvertsItselfAndMapsAlikeInEveryPath) {
  const std::vector<P> frame = FramePoints();
  for (bool strong : {false, true}) {
    SCOPED_TRACE(strong ? "strong" : "realistic");
    const auto forward = TypeParam::Make(strong, false);
    const auto inverse = TypeParam::Make(strong, true);
    for (const TLx2DTransform* t : {forward.get(), inverse.get()}) {
      std::vector<P> batch(frame.size()), in_place = frame;
      t->TransformPoints(frame.data(), batch.data(), frame.size());
      t->TransformPoints(in_place.data(), in_place.data(), in_place.size());
      const auto clone = t->Clone();
      for (std::size_t i = 0; i < frame.size(); ++i) {
        const P q = t->TransformPoint(frame[i]);
        // Batch loops run the point path's operations lane by lane.
        ASSERT_EQ(batch[i], q) << frame[i].x << ", " << frame[i].y;
        ASSERT_EQ(in_place[i], q);
        ASSERT_EQ(clone->TransformPoint(frame[i]), q);
      }
    }
    std::vector<P> undone(frame.size());
    inverse->TransformPoints(frame.data(), undone.data(), frame.size());
    forward->TransformPoints(undone.data(), undone.data(), undone.size());
    for (std::size_t i = 0; i < frame.size(); ++i)
      // The solver stops at 1e-12 mm per mm of |p|, below 1e-10 mm on the frame.
      ASSERT_LE(Dist(undone[i], frame[i]), 1e-10) << frame[i].x << ", " << frame[i].y;
  }
}

TEST(DistortionModels, AccessorsReturnWhatTheyWereBuiltFrom) {
  const TFormulaDistortion nine({1, 2}, 3, 4, 5, 6, 7, 8, 9, 10, 11, true);
  TDistCoeff expected;
  expected.center = {1, 2};
  expected.k1 = 3, expected.k2 = 4, expected.k3 = 5, expected.p1 = 6, expected.p2 = 7;
  expected.b1 = 8, expected.b2 = 9, expected.a1 = 10, expected.a2 = 11;
  expected.mm_to_cam = true;
  EXPECT_EQ(nine.Coeffs(), expected);
  EXPECT_EQ(nine.Center(), (P{1, 2}));
  EXPECT_TRUE(nine.MmToCam());

  const std::vector<TRadialTableItem> rows{{20, 0.5}, {10, 0.1}};
  const TRadialDistortion radial({1, 2}, rows, false);
  EXPECT_EQ(radial.Items(), rows);

  TDirectedData data{{1, 2}, {kPi, 0.0}, {{10, {1, 2}}}};
  const TDirectedDistortion directed(data, true);
  EXPECT_EQ(directed.Data(), data);

  const double a[7] = {1, 2, 3, 4, 5, 6, 7}, b[7] = {8, 9, 10, 11, 12, 13, 14},
               c[7] = {15, 16, 17, 18, 19, 20, 21}, K[3] = {22, 23, 24}, Pm[2] = {25, 26};
  const TMixedDistortion mixed({1, 2}, 50.0, a, b, c, K, Pm, 27, 28, 29, false);
  EXPECT_EQ(mixed.Focus(), 50.0);
  EXPECT_EQ(mixed.A()[6], 7);
  EXPECT_EQ(mixed.B()[0], 8);
  EXPECT_EQ(mixed.C()[3], 18);
  EXPECT_EQ(mixed.K(), (std::array<double, 3>{22, 23, 24}));
  EXPECT_EQ(mixed.P(), (std::array<double, 2>{25, 26}));
  EXPECT_EQ(mixed.D(), (std::array<double, 3>{27, 28, 29}));

  const double Kp[8] = {1, 2, 3, 4, 5, 6, 7, 8}, Pp[4] = {9, 10, 11, 12};
  const TPolynomialDistortion poly({1, 2}, 60.0, Kp, Pp, 13, 14, true);
  EXPECT_EQ(poly.Focus(), 60.0);
  EXPECT_EQ(poly.K()[7], 8);
  EXPECT_EQ(poly.P(), (std::array<double, 4>{9, 10, 11, 12}));
  EXPECT_EQ(poly.B(), (std::array<double, 2>{13, 14}));
  EXPECT_TRUE(poly.MmToCam());
}

// The radial displacement of `t` (centre at the origin) at radius r along +x.
double RadialShift(const TLx2DTransform& t, double r) {
  return t.TransformPoint({r, 0}).x - r;
}
// Taking r off again costs a few ulp of r.
constexpr double kShiftTolerance = 1e-13;

TEST(TRadialDistortion, InterpolatesThroughTheOriginAndExtendsTheLastSegment) {
  // Stored unsorted: the rows count by radius.
  const TRadialDistortion two({0, 0}, {{20, 0.5}, {10, 0.1}}, false);
  EXPECT_NEAR(RadialShift(two, 5), 0.05, kShiftTolerance);
  EXPECT_NEAR(RadialShift(two, 15), 0.3, kShiftTolerance);
  EXPECT_NEAR(RadialShift(two, 30), 0.9, kShiftTolerance);

  const TRadialDistortion one({0, 0}, {{10, 0.2}}, false);
  EXPECT_NEAR(RadialShift(one, 5), 0.1, kShiftTolerance);
  EXPECT_NEAR(RadialShift(one, 25), 0.5, kShiftTolerance);
  // The displacement is radial: along the diagonal too.
  const P d = one.TransformPoint({3, 4});
  EXPECT_DOUBLE_EQ(d.x, 3 * 1.02);
  EXPECT_DOUBLE_EQ(d.y, 4 * 1.02);

  // Of equal radii the last stored counts; rows off the radius axis are left out.
  const TRadialDistortion odd({0, 0}, {{10, 9.0}, {-5, 1.0}, {NAN, 1.0}, {10, 0.2}, {0, 3.0}},
                              false);
  EXPECT_NEAR(RadialShift(odd, 25), 0.5, kShiftTolerance);

  // Slopes from −0.8 to 1.5: still one-to-one, and inverted everywhere.
  const std::vector<TRadialTableItem> wild{{10, 5}, {20, -3}, {30, 12}, {40, 10}};
  const TRadialDistortion forward({0, 0}, wild, false), inverse({0, 0}, wild, true);
  for (const P& p : FramePoints())
    // The solver stops at 1e-12 mm per mm of |p|, below 1e-10 mm on the frame.
    ASSERT_LE(Dist(forward.TransformPoint(inverse.TransformPoint(p)), p), 1e-10);

  const TRadialDistortion empty({1, 1}, {}, true);
  EXPECT_EQ(empty.TransformPoint({7, -3}), (P{7, -3}));
}

TEST(TDirectedDistortion, InterpolatesLinearlyBetweenNeighbouringDirectionsCyclically) {
  // Directions stored out of order; values at r = 10: +y 1, +x 2, −x 3, −y 4.
  const TDirectedData data{{0, 0}, {kPi / 2, 0.0, kPi, -kPi / 2}, {{10, {1, 2, 3, 4}}}};
  const TDirectedDistortion t(data, false);
  const auto shift_at = [&](double angle) {
    const P u{std::cos(angle), std::sin(angle)};
    const P q = t.TransformPoint(u * 10.0);
    return q.x * u.x + q.y * u.y - 10.0;  // radial component
  };
  EXPECT_NEAR(shift_at(0.0), 2.0, 1e-12);  // angles in radians carry rounding
  EXPECT_NEAR(shift_at(kPi / 4), 1.5, 1e-12);
  EXPECT_NEAR(shift_at(kPi / 2 + kPi / 8), 1.5, 1e-12);
  EXPECT_NEAR(shift_at(7 * kPi / 4), 3.0, 1e-12);       // between −y and +x, across 0
  EXPECT_NEAR(t.TransformPoint({5, 0}).x, 6.0, 1e-12);  // half the radius, half the value
}

TEST(DistortionModels, GiveNaNWhereTheInverseDoesNotExist) {
  // Barrel distortion so strong that r(1 + k1 r²) peaks at 12.2 mm.
  const TFormulaDistortion t({0, 0}, -1e-3, 0, 0, 0, 0, 0, 0, 0, 0, true);
  const P far{20, 0};
  EXPECT_TRUE(std::isnan(t.TransformPoint(far).x) && std::isnan(t.TransformPoint(far).y));
  P batch[2] = {far, {5, 0}};
  t.TransformPoints(batch, batch, 2);
  EXPECT_TRUE(std::isnan(batch[0].x) && std::isnan(batch[0].y));
  EXPECT_TRUE(std::isfinite(batch[1].x));
  EXPECT_TRUE(std::isnan(t.TransformPoint({INFINITY, 0}).y));
}

TEST(TFormulaDistortion, MovesByK1TimesRSquaredAboutTheCentre) {
  const P c{1, -2};
  const TFormulaDistortion t(c, 1e-5, 0, 0, 0, 0, 0, 0, 0, 0, false);
  const P p{31, 38};  // x̄ = 30, ȳ = 40, r² = 2500
  const P q = t.TransformPoint(p);
  EXPECT_DOUBLE_EQ(q.x, 31 + 30 * 1e-5 * 2500);
  EXPECT_DOUBLE_EQ(q.y, 38 + 40 * 1e-5 * 2500);
}

TEST(TMixedDistortion, WithFormulaTermsOnlyMapsExactlyLikeTheFormulaModel) {
  const double a[7] = {1e-4, -5e-5}, b[7] = {3e-5, 2e-5}, c[7] = {};
  const double K[3] = {-1.5e-5, 2e-10, -1e-14}, Pm[2] = {4e-5, -3e-5};
  for (bool mm_to_cam : {false, true}) {
    const TMixedDistortion mixed({0.3, -0.2}, 100.0, a, b, c, K, Pm, 0, 0, 0, mm_to_cam);
    const TFormulaDistortion formula({0.3, -0.2}, K[0], K[1], K[2], Pm[0], Pm[1], a[0], a[1], b[0],
                                     b[1], mm_to_cam);
    for (const P& p : FramePoints())
      // The exact conversions between the two types promise the same map.
      ASSERT_LE(Dist(mixed.TransformPoint(p), formula.TransformPoint(p)), 1e-12);
  }
}

TEST(TMixedDistortion, ScalesItsPolynomialTermsByTheFocalLength) {
  const double f = 50.0;
  const double a[7] = {0, 0, 2e-3}, b[7] = {0, 0, 0, 0, 0, 0, 1e-3}, c[7] = {4e-3}, z[3] = {};
  const TMixedDistortion t({0, 0}, f, a, b, c, z, z, 0.01, 0, 0, false);
  const P p{10, 20};
  const double u = 10 / f, v = 20 / f, g = 4e-3 * u;
  const P q = t.TransformPoint(p);
  EXPECT_NEAR(q.x, 10 + f * 2e-3 * u * u + 10 * g + f * 0.01, 1e-13);  // a few roundings
  EXPECT_NEAR(q.y, 20 + f * 1e-3 * u * v * v + 20 * g, 1e-13);

  // Zero terms stay zero without a focal length.
  const double K[3] = {1e-5}, none[7] = {};
  const TMixedDistortion no_focus({0, 0}, 0.0, none, none, none, K, z, 0, 0, 0, false);
  EXPECT_DOUBLE_EQ(no_focus.TransformPoint({10, 0}).x, 10 + 1e-2);
}

TEST(TPolynomialDistortion, MatchesTheFormulaModelWithCoefficientsScaledByTheFocalLength) {
  const double f = 80.0, k1 = -1.2e-5, k2 = 2e-10, p1 = 3e-5, p2 = -2e-5;
  const double K[8] = {0, k1 * f * f, k2 * std::pow(f, 4)}, Pp[4] = {p1 * f, p2 * f};
  const TPolynomialDistortion poly({0.5, 0.5}, f, K, Pp, 1e-4, 2e-4, false);
  const TFormulaDistortion formula({0.5, 0.5}, k1, k2, 0, p1, p2, 1e-4, 2e-4, 0, 0, false);
  for (const P& p : FramePoints())
    // Scaled coefficients round differently; the maps differ by a few ulp of 50 mm.
    ASSERT_LE(Dist(poly.TransformPoint(p), formula.TransformPoint(p)), 1e-12);
}

TEST(DistortionModels, RefuseArgumentsTheyCannotHold) {
  EXPECT_THROW(TDirectedDistortion(TDirectedData{{0, 0}, {0.0, 1.0}, {{10, {1}}}}, false),
               std::invalid_argument);
  EXPECT_THROW(TDirectedDistortion(TDirectedData{{0, 0}, {NAN}, {}}, false), std::invalid_argument);
  const double seven[7] = {}, three[3] = {};
  EXPECT_THROW(TMixedDistortion({0, 0}, 1.0, seven, nullptr, seven, three, three, 0, 0, 0, false),
               std::invalid_argument);
  EXPECT_THROW(TPolynomialDistortion({0, 0}, 1.0, nullptr, seven, 0, 0, false),
               std::invalid_argument);
}
