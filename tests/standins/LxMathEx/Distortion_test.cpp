#include <LxCameraUtils/BatchTransform.h>
#include <LxMathEx/FormulaDistortion.h>
#include <LxMathEx/SeriesDistortion.h>
#include <LxMathEx/TableDistortion.h>

#include "Fold.h"
#include "Variants.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <utility>
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

// The formula model's map, term by term as documented.
P Formula(const TDistCoeff& c, const P& p) {
  const double x = p.x - c.center.x, y = p.y - c.center.y, r2 = x * x + y * y;
  const double R = r2 * (c.k1 + r2 * (c.k2 + r2 * (c.k3 + r2 * (c.k4 + r2 * c.k5))));
  const double T = 1 + r2 * (c.p3 + r2 * c.p4);
  return {p.x + x * R + (c.p1 * (r2 + 2 * x * x) + 2 * c.p2 * x * y) * T + c.b1 * x + c.b2 * y,
          p.y + y * R + (2 * c.p1 * x * y + c.p2 * (r2 + 2 * y * y)) * T + c.a1 * x + c.a2 * y};
}

// Each trait builds its model with realistic (~50 µm at the corner) or strong
// (several mm) distortion, in either direction, and with a barrel distortion
// that folds the map back between 50 and 60 mm (Folded). The formula model evaluates
// shorter term sets by shorter code, so it comes twice: realistic k1, k2, p1,
// p2 or the affine terms too; strong k1–k3, p1, p2 or every term.
template <bool kShort>
struct FormulaModel {
  static std::unique_ptr<TLx2DTransform> Make(bool strong, bool mm_to_cam) {
    TDistCoeff c{.center = {0.3, -0.2}, .mm_to_cam = mm_to_cam};
    c.k1 = strong ? -1.5e-5 : -1.2e-7, c.k2 = strong ? 2e-10 : 3e-12;
    c.p1 = strong ? 4e-5 : 2e-6, c.p2 = strong ? -3e-5 : -1.5e-6;
    if (strong) c.k3 = -1e-14;
    if (kShort) return std::make_unique<TFormulaDistortion>(c);
    c.b1 = strong ? 2e-3 : 1e-4, c.b2 = -5e-5, c.a1 = 3e-5, c.a2 = strong ? -1e-3 : 2e-5;
    if (strong) c.k4 = 1e-19, c.k5 = -1e-23, c.p3 = 1e-5, c.p4 = -1e-9;
    return std::make_unique<TFormulaDistortion>(c);
  }
  static TFormulaDistortion Folded(bool mm_to_cam) {
    TDistCoeff c{.center = {0.3, -0.2}, .k1 = -1e-4, .k2 = -2e-9, .p1 = 2e-6, .p2 = -1.5e-6};
    if (!kShort) c.k3 = 1e-13, c.p3 = 1e-5, c.b1 = 1e-4, c.a2 = 2e-5;
    c.mm_to_cam = mm_to_cam;
    return TFormulaDistortion(c);
  }
};

struct RadialModel {
  static std::unique_ptr<TLx2DTransform> Make(bool strong, bool mm_to_cam) {
    std::vector<TRadialTableItem> items;
    for (double r = 10; r <= 80; r += 10)
      items.push_back({r, (strong ? 1.2e-5 : 1.5e-7) * r * r * r});
    return std::make_unique<TRadialDistortion>(P{-0.4, 0.25}, items, mm_to_cam);
  }
  static TRadialDistortion Folded(bool mm_to_cam) {
    std::vector<TRadialTableItem> items;
    for (double r = 10; r <= 80; r += 10)
      items.push_back({r, -1e-4 * r * r * r});  // slope −1.27 from 60 mm
    return TRadialDistortion(P{-0.4, 0.25}, items, mm_to_cam);
  }
};

struct DirectedModel {
  static TDirectedData Data(double k) {
    TDirectedData d{{0.1, 0.2}, {kPi / 2, 3 * kPi / 2, kPi, 0.0, 3 * kPi / 4, 7 * kPi / 4}, {}};
    for (double r = 10; r <= 80; r += 10) {
      d.items.push_back({r, {}});
      for (double a : d.angles)
        d.items.back().values.push_back(k * r * r * r * (1.0 + 0.2 * std::cos(a)));
    }
    return d;
  }
  static std::unique_ptr<TLx2DTransform> Make(bool strong, bool mm_to_cam) {
    return std::make_unique<TDirectedDistortion>(Data(strong ? -1.2e-5 : -1.5e-7), mm_to_cam);
  }
  static TDirectedDistortion Folded(bool mm_to_cam) {
    return TDirectedDistortion(Data(-1e-4), mm_to_cam);  // slope −1.09 along +x from 50 mm
  }
};

// The mixed model evaluates shorter term sets by shorter code too: a tilt
// alone (kSet 0), quadratic terms as well (1), or every term (2).
template <int kSet>
struct MixedModel {
  // s scales the terms beyond the formula's and k1.
  static TMixedDistortion Build(double s, double k1, bool mm_to_cam) {
    double a[7] = {1e-4, -5e-5, s * 1e-5, s * -2e-5, s * 1e-5, s * 3e-5, s * -1e-5};
    double b[7] = {2e-5, 3e-5, s * -1e-5, s * 2e-5, s * 1e-5, s * -2e-5, s * 1e-5};
    double c[7] = {s * 1e-5, s * -2e-5, s * 1e-5, 0.0, s * -1e-5, s * 2e-5, s * 1e-5};
    for (int i = kSet == 0 ? 2 : kSet == 1 ? 5 : 7; i < 7; ++i)
      a[i] = b[i] = 0.0;
    for (int i = kSet == 2 ? 7 : 2; i < 7; ++i)
      c[i] = 0.0;
    const double K[3] = {k1, 3e-12, -1e-16};
    const double Pc[2] = {s * 2e-6, -1.5e-6};
    return TMixedDistortion(P{0.3, -0.1}, 100.0, a, b, c, K, Pc, 1e-4, -2e-4, 3e-4, mm_to_cam);
  }
  static std::unique_ptr<TLx2DTransform> Make(bool strong, bool mm_to_cam) {
    const double s = strong ? 50.0 : 1.0;
    return std::make_unique<TMixedDistortion>(Build(s, s * -1.2e-7, mm_to_cam));
  }
  static TMixedDistortion Folded(bool mm_to_cam) { return Build(1.0, -1e-4, mm_to_cam); }
};

struct PolynomialModel {
  static TPolynomialDistortion Build(double s, double k1, bool mm_to_cam) {
    const double K[8] = {1e-4, k1, s * 3e-5, -1e-6, 1e-7, -1e-8, 1e-9, -1e-10};
    const double Pc[4] = {s * 2e-4, s * -1.5e-4, 1e-1, -1e-2};
    return TPolynomialDistortion(P{-0.2, 0.1}, 100.0, K, Pc, 1e-4, -2e-4, mm_to_cam);
  }
  static std::unique_ptr<TLx2DTransform> Make(bool strong, bool mm_to_cam) {
    const double s = strong ? 50.0 : 1.0;
    return std::make_unique<TPolynomialDistortion>(Build(s, s * -1.2e-3, mm_to_cam));
  }
  static TPolynomialDistortion Folded(bool mm_to_cam) { return Build(1.0, -1.0, mm_to_cam); }
};

template <class Model>
class DistortionModel : public testing::Test {};
using Models = testing::Types<FormulaModel<false>, FormulaModel<true>, RadialModel, DirectedModel,
                              MixedModel<0>, MixedModel<1>, MixedModel<2>, PolynomialModel>;
TYPED_TEST_SUITE(DistortionModel, Models);

}  // namespace

// The batch path, in place or not, and a clone map as the point path does,
// bit for bit; the inverse undoes the forward map.
void ExpectInvertsAndMapsAlike(const TLx2DTransform& forward, const TLx2DTransform& inverse) {
  const std::vector<P> frame = FramePoints();
  for (const TLx2DTransform* t : {&forward, &inverse}) {
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
  inverse.TransformPoints(frame.data(), undone.data(), frame.size());
  forward.TransformPoints(undone.data(), undone.data(), undone.size());
  for (std::size_t i = 0; i < frame.size(); ++i)
    // The solver stops at 1e-12 mm per mm of |p|, below 1e-10 mm on the frame.
    ASSERT_LE(Dist(undone[i], frame[i]), 1e-10) << frame[i].x << ", " << frame[i].y;
}

// Every instruction-set version the machine runs, each in turn; the point
// path keeps its own choice among those allowed (see Variants.h).
TYPED_TEST(DistortionModel, InvertsItselfAndMapsAlikeInEveryPathAndInstructionSet) {
  using namespace lxcu::internal;
  for (const TVariant& variant : kVariants) {
    if (!variant.supported()) continue;
    AllowVariantsFrom(variant.set);
    for (bool strong : {false, true}) {
      SCOPED_TRACE(std::string(variant.name) + (strong ? ", strong" : ", realistic"));
      ExpectInvertsAndMapsAlike(*TypeParam::Make(strong, false), *TypeParam::Make(strong, true));
    }
  }
  AllowVariantsFrom(kVariants[0].set);
}

// Where F folds back, the inverse gives only the preimage inside the fold:
// the points of a ray up to 0.99·ρ come back, in every path and instruction
// set, and points beyond the image of the rim, whose only preimages lie past
// the fold (through the centre, on the opposite ray), give NaN.
TYPED_TEST(DistortionModel, InvertsInsideItsOneToOneDiscAndGivesNaNBeyondIt) {
  using namespace lxcu::internal;
  const auto forward = TypeParam::Folded(false), inverse = TypeParam::Folded(true);
  const double rho = forward.OneToOneRadius();
  ASSERT_TRUE(rho >= 50.0 && rho <= 60.0) << rho;
  ASSERT_EQ(inverse.OneToOneRadius(), rho);
  const P c = forward.Center();
  std::vector<P> inside, images, beyond;
  double rim = 0.0;  // the largest |F(q) − c| over the rim
  for (int k = 0; k < 16; ++k) {
    const P u{std::cos((k + 0.3) * kPi / 8), std::sin((k + 0.3) * kPi / 8)};
    rim = std::max(rim, Dist(forward.TransformPoint(c + u * rho), c));
    for (double t = 0.03; t < 0.995; t += 0.03)
      inside.push_back(c + u * (t * rho));
  }
  for (int k = 0; k < 16; ++k)
    for (double s : {1.02, 1.5, 3.0})
      beyond.push_back(c + P{std::cos(k * kPi / 8), std::sin(k * kPi / 8)} * (s * rim));
  for (const P& q : inside)
    images.push_back(forward.TransformPoint(q));
  for (const TVariant& variant : kVariants) {
    if (!variant.supported()) continue;
    AllowVariantsFrom(variant.set);
    SCOPED_TRACE(variant.name);
    for (auto [points, folded] : {std::pair{images, false}, std::pair{beyond, true}}) {
      std::vector<P> batch(points.size());
      inverse.TransformPoints(points.data(), batch.data(), points.size());
      for (std::size_t i = 0; i < points.size(); ++i) {
        const P q = inverse.TransformPoint(points[i]);
        ASSERT_EQ(std::isnan(q.x), folded) << points[i].x << ", " << points[i].y;
        if (folded) {
          ASSERT_TRUE(std::isnan(batch[i].x) && std::isnan(batch[i].y) && std::isnan(q.y));
        } else {
          ASSERT_EQ(batch[i], q);
          // The solver's residual, mostly near rounding (~1e-14 mm), over the
          // slope of F, which falls to ~0.02 at 0.99·ρ: within 1e-12 mm per mm.
          ASSERT_LE(Dist(q, inside[i]), 1e-12 * std::max(1.0, Dist(inside[i], c)))
              << inside[i].x << ", " << inside[i].y;
        }
      }
    }
  }
  AllowVariantsFrom(kVariants[0].set);
}

TEST(FirstFold, FindsTheFirstRadiusWhereTheSlopeStopsBeingPositive) {
  using lxcu::internal::FirstFold;
  constexpr double kInf = INFINITY;
  const struct {
    lxcu::internal::RadialSlope slope;
    double radius;  // mm
  } cases[] = {
      {{1.0, -3e-4}, std::sqrt(1.0 / 3e-4)},
      {{1.0, -0.0125, 2.5e-5}, 10.0},  // (1 − r²/100)(1 − r²/400)
      {{1.0, 0, 0, 0, 0, 0, 0, -1e-20}, std::pow(1e20, 1.0 / 14)},
      {{1.0, -1e-4, 1e-6}, kInf},  // a minimum above 0
      {{1.0, 2e-4, 1e-9}, kInf},
      {{0.0, 1.0}, 0.0},
      {{1.0, NAN}, 0.0},
      {{1.0, -INFINITY}, 0.0},
      // A fold at 1e-100 mm, the root bound at ~1e17 mm: the bisection's
      // bound stops it short of the fold, at the centre.
      {{1.0, -1e200, 0, 0, 0, 0, 0, 1e-10}, 0.0},
  };
  for (const auto& c : cases) {
    const lxcu::internal::TFold fold = FirstFold(c.slope);
    EXPECT_EQ(fold.converged, c.slope[1] != -1e200);
    // The bracket closes to a few ulps.
    if (std::isfinite(c.radius) && c.radius > 0.0)
      EXPECT_NEAR(fold.radius, c.radius, 4e-15 * c.radius) << c.radius;
    else
      EXPECT_EQ(fold.radius, c.radius);
  }
}

TEST(SeriesModels, MapByTheFormulaOfTheirTermsInEveryTermSet) {
  const TDistCoeff c{.center = {1, -2},
                     .k1 = 1e-5,
                     .k2 = -2e-9,
                     .k3 = 1e-13,
                     .k4 = -1e-17,
                     .k5 = 1e-21,
                     .p1 = 2e-5,
                     .p2 = -3e-5,
                     .p3 = 1e-4,
                     .p4 = -1e-8,
                     .b1 = 3e-4,
                     .b2 = -2e-4,
                     .a1 = 1e-4,
                     .a2 = 5e-4};
  TDistCoeff c3 = c, no_a = c;  // the terms the mixed and the polynomial model carry
  c3.k4 = c3.k5 = c3.p3 = c3.p4 = 0;
  no_a.a1 = no_a.a2 = 0;
  // The shortest term sets: k1–k3 or k1, k2 with p1, p2.
  TDistCoeff radial3{
      .center = c.center, .k1 = c.k1, .k2 = c.k2, .k3 = c.k3, .p1 = c.p1, .p2 = c.p2};
  TDistCoeff radial2 = radial3;
  radial2.k3 = 0;
  const double f = 80.0, f2 = f * f, none[7] = {};
  const double a[7] = {c.b1, c.b2}, b[7] = {c.a1, c.a2}, K[3] = {c.k1, c.k2, c.k3};
  const double Pm[2] = {c.p1, c.p2}, Pp[4] = {c.p1 * f, c.p2 * f, c.p3 * f2, c.p4 * f2 * f2};
  // The polynomial model's coefficients are dimensionless, in powers of r/f.
  const double k[5] = {c.k1, c.k2, c.k3, c.k4, c.k5};
  double Kp[8] = {};
  for (int i = 1; i <= 5; ++i)
    Kp[i] = k[i - 1] * std::pow(f2, i);
  const TFormulaDistortion formula(c), short3(radial3), short2(radial2),
      nine(c.center, c.k1, c.k2, c.k3, c.p1, c.p2, c.b1, c.b2, c.a1, c.a2, false);
  const TMixedDistortion mixed(c.center, f, a, b, none, K, Pm, 0, 0, 0, false);
  const TPolynomialDistortion poly(c.center, f, Kp, Pp, c.b1, c.b2, false);
  const std::pair<const TLx2DTransform*, TDistCoeff> cases[] = {
      {&formula, c}, {&short3, radial3}, {&short2, radial2},
      {&nine, c3},   {&mixed, c3},       {&poly, no_a}};
  for (std::size_t i = 0; i < std::size(cases); ++i)
    for (const P& p : FramePoints())
      // The same terms in another order or scaled by f: a few ulps of 50 mm.
      ASSERT_LE(Dist(cases[i].first->TransformPoint(p), Formula(cases[i].second, p)), 1e-12)
          << i << ": " << p.x << ", " << p.y;
}

TEST(TMixedDistortion, ScalesItsPolynomialTermsByTheFocalLength) {
  const double f = 50.0;
  const double a[7] = {0, 0, 2e-3}, b[7] = {0, 0, 0, 0, 0, 0, 1e-3}, c[7] = {4e-3}, z[3] = {};
  const TMixedDistortion t({0, 0}, f, a, b, c, z, z, 0.01, 0, 0.5, false);
  EXPECT_EQ(t.D(), (std::array<double, 3>{0.01, 0, 0.5}));
  const double u = 10 / f, v = 20 / f, g = 4e-3 * u;
  const P q = t.TransformPoint({10, 20});
  // A few roundings of 10 mm.
  EXPECT_NEAR(q.x, 10 + f * 2e-3 * u * u + 10 * g + f * 0.01 + 0.5 * 10, 1e-13);
  EXPECT_NEAR(q.y, 20 + f * 1e-3 * u * v * v + 20 * g + 0.5 * 20, 1e-13);
  // Zero terms stay zero without a focal length.
  const double K[3] = {1e-5}, none[7] = {};
  const TMixedDistortion no_focus({0, 0}, 0.0, none, none, none, K, z, 0, 0, 0, false);
  EXPECT_DOUBLE_EQ(no_focus.TransformPoint({10, 0}).x, 10 + 1e-2);
}

// The radial displacement of `t` (centre at the origin) at radius r along +x.
double RadialShift(const TLx2DTransform& t, double r) {
  return t.TransformPoint({r, 0}).x - r;
}

TEST(TRadialDistortion, InterpolatesThroughTheOriginAndExtendsTheLastSegment) {
  // Stored unsorted, with rows the model leaves out: equal radii (the last
  // stored counts) and radii off the radius axis.
  const TRadialDistortion two({0, 0}, {{20, 0.5}, {10, 9.0}, {-5, 1}, {NAN, 1}, {10, 0.1}}, false);
  const TRadialDistortion one({0, 0}, {{10, 0.2}, {0, 3.0}}, false);
  // Taking r off again costs a few ulps of r.
  EXPECT_NEAR(RadialShift(two, 5), 0.05, 1e-13);
  EXPECT_NEAR(RadialShift(two, 15), 0.3, 1e-13);
  EXPECT_NEAR(RadialShift(two, 30), 0.9, 1e-13);
  EXPECT_NEAR(RadialShift(one, 5), 0.1, 1e-13);
  EXPECT_NEAR(RadialShift(one, 25), 0.5, 1e-13);
  // The displacement is radial: along the diagonal too.
  const P d = one.TransformPoint({3, 4});
  EXPECT_DOUBLE_EQ(d.x, 3 * 1.02);
  EXPECT_DOUBLE_EQ(d.y, 4 * 1.02);
  EXPECT_EQ(TRadialDistortion({1, 1}, {}, true).TransformPoint({7, -3}), (P{7, -3}));

  // Slopes from −0.8 to 1.5: still one-to-one, and inverted everywhere.
  const std::vector<TRadialTableItem> wild{{10, 5}, {20, -3}, {30, 12}, {40, 10}};
  const TRadialDistortion forward({0, 0}, wild, false), inverse({0, 0}, wild, true);
  for (const P& p : FramePoints())
    // The solver stops at 1e-12 mm per mm of |p|, below 1e-10 mm on the frame.
    ASSERT_LE(Dist(forward.TransformPoint(inverse.TransformPoint(p)), p), 1e-10);
}

TEST(TDirectedDistortion, InterpolatesLinearlyBetweenNeighbouringDirectionsCyclically) {
  // Directions stored out of order; values at r = 10: +y 1, +x 2, −x 3, −y 4.
  const TDirectedDistortion t({{0, 0}, {kPi / 2, 0.0, kPi, -kPi / 2}, {{10, {1, 2, 3, 4}}}}, false);
  const auto shift_at = [&](double angle, double r) {
    const P u{std::cos(angle), std::sin(angle)}, q = t.TransformPoint(u * r);
    return q.x * u.x + q.y * u.y - r;  // radial component
  };
  // Angles in radians carry rounding; 7π/4 lies between −y and +x, across 0.
  EXPECT_NEAR(shift_at(0.0, 10), 2.0, 1e-12);
  EXPECT_NEAR(shift_at(kPi / 4, 10), 1.5, 1e-12);
  EXPECT_NEAR(shift_at(kPi / 2 + kPi / 8, 10), 1.5, 1e-12);
  EXPECT_NEAR(shift_at(7 * kPi / 4, 10), 3.0, 1e-12);
  EXPECT_NEAR(shift_at(0.0, 5), 1.0, 1e-12);  // half the radius, half the value
}

// Beyond a fold in general: the typed fold test.
TEST(DistortionModels, GiveNaNWhereTheInverseDoesNotExist) {
  const TFormulaDistortion t({0, 0}, -1e-3, 0, 0, 0, 0, 0, 0, 0, 0, true);
  P points[2] = {{5, 0}, {INFINITY, 0}};
  t.TransformPoints(points, points, 2);
  EXPECT_TRUE(std::isfinite(points[0].x) && std::isnan(points[1].x) && std::isnan(points[1].y));
  // A table folding from the centre on: r + dr falls from the start.
  const TRadialDistortion folded({0, 0}, {{10, -15}, {20, 5}}, true);
  EXPECT_EQ(folded.OneToOneRadius(), 0.0);
  EXPECT_TRUE(std::isnan(folded.TransformPoint({-3, 4}).y));
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

// Threads, a host's executor and rasters (whole, windowed) give what one
// batch call over the same points gives, bit for bit, both ways: each point
// is mapped by its own operations, whatever its neighbours in the batch.
TYPED_TEST(DistortionModel, MapsAlikeOnThreadsAndOverRasters) {
  // A grid over the frame, off the integers, in mm.
  const TLxRasterGrid grid{{-50.3, -49.7}, {0.66, 0.43}, 150, 230};
  std::vector<P> samples;
  for (std::size_t row = 0; row < grid.rows; ++row)
    for (std::size_t col = 0; col < grid.cols; ++col)
      samples.push_back({grid.origin.x + static_cast<double>(col) * grid.step.x,
                         grid.origin.y + static_cast<double>(row) * grid.step.y});
  // Runs the jobs last first, on this thread.
  const TLxExecutor backwards = [](std::size_t jobs, const std::function<void(std::size_t)>& job) {
    for (std::size_t j = jobs; j-- > 0;)
      job(j);
  };
  const TLxBatchOptions options[] = {{1, {}}, {2, {}}, {3, {}}, {3, backwards}};
  const std::size_t n = samples.size();
  for (bool mm_to_cam : {false, true}) {
    const auto t = TypeParam::Make(true, mm_to_cam);
    std::vector<P> batch(n);
    t->TransformPoints(samples.data(), batch.data(), n);
    for (std::size_t i = 0; i < n; i += 101)
      ASSERT_EQ(t->TransformPoint(samples[i]), batch[i]);
    for (const TLxBatchOptions& o : options) {
      SCOPED_TRACE(testing::Message() << "threads " << o.threads << (o.executor ? ", executor" : "")
                                      << (mm_to_cam ? ", inverse" : ", forward"));
      std::vector<P> threaded(n), in_place = samples, raster(n);
      TransformPointsParallel(*t, samples.data(), threaded.data(), n, o);
      TransformPointsParallel(*t, in_place.data(), in_place.data(), n, o);
      TransformRaster(*t, grid, raster.data(), o);
      ASSERT_TRUE(threaded == batch && in_place == batch && raster == batch);
    }
    // A window of the pixel grid every 2 px lands on the whole grid's samples.
    const TLxRasterGrid whole = PixelGrid({0, 0, 40, 45}), window = PixelGrid({3, 5, 30, 34}, 2.0);
    ASSERT_EQ(window.cols * window.rows, 15u * 17u);
    std::vector<P> all(whole.cols * whole.rows), part(window.cols * window.rows);
    TransformRaster(*t, whole, all.data(), options[2]);
    TransformRaster(*t, window, part.data(), options[2]);
    for (std::size_t row = 0; row < window.rows; ++row)
      for (std::size_t col = 0; col < window.cols; ++col)
        ASSERT_EQ(part[row * window.cols + col], all[(5 + 2 * row) * whole.cols + 3 + 2 * col]);
  }
}
