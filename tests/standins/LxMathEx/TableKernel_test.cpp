#include <LxMathEx/TableDistortion.h>

#include "TableBatch.h"
#include "TableKernel.h"
#include "UniformIndex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace {

using lxcu::internal::TableKernel;
using lxcu::internal::Vec2;
constexpr double kPi = std::numbers::pi;

// The tables' definition, evaluated the plain way: rows searched one by one,
// the direction from atan2.
struct Definition {
  std::vector<double> angles, radii;        // ascending, distinct
  std::vector<std::vector<double>> values;  // [row][direction]

  double AlongDirection(std::size_t j, double r) const {
    double r0 = 0.0, v0 = 0.0;
    std::size_t i = 0;
    while (i + 1 < radii.size() && radii[i] < r)
      r0 = radii[i], v0 = values[i][j], ++i;
    return v0 + (r - r0) * (values[i][j] - v0) / (radii[i] - r0);
  }
  Vec2 Map(const Vec2& p) const {
    const double r = std::hypot(p.x, p.y);
    double theta = std::atan2(p.y, p.x);
    if (theta < 0.0) theta += 2 * kPi;
    const std::size_t m = angles.size();
    std::size_t j0 = m - 1;
    for (std::size_t j = 0; j < m; ++j)
      if (angles[j] <= theta) j0 = j;
    const std::size_t j1 = (j0 + 1) % m;
    const double span = std::fmod(angles[j1] - angles[j0] + 2 * kPi, 2 * kPi);
    const double w = m == 1 ? 0.0 : std::fmod(theta - angles[j0] + 2 * kPi, 2 * kPi) / span;
    const double d0 = AlongDirection(j0, r), d = d0 + w * (AlongDirection(j1, r) - d0);
    return r > 0.0 ? Vec2{p.x + p.x / r * d, p.y + p.y / r * d} : p;
  }
};

// Film-like profiles (a few µm to 0.1 mm) over rows from `radii`, in m
// directions, evenly spaced or not.
Definition Table(const std::vector<double>& radii, std::size_t m, bool even) {
  Definition d;
  for (std::size_t j = 0; j < m; ++j)
    d.angles.push_back(2 * kPi * (j + (even ? 0.0 : 0.3 * std::sin(j + 1.0))) / m);
  std::sort(d.angles.begin(), d.angles.end());
  d.radii = radii;
  for (double r : radii) {
    d.values.emplace_back();
    for (double a : d.angles)
      d.values.back().push_back(0.1 * std::sin(r / 40.0) * (1.0 + 0.2 * std::cos(a - 0.4)));
  }
  return d;
}

std::vector<double> EvenRows(int n, double last) {
  std::vector<double> r;
  for (int i = 1; i <= n; ++i)
    r.push_back(last * i / n);
  return r;
}

// Rows at even field angles of a 153 mm lens, and a pair 10 nm apart, which
// no cell of 1/2048 of the range separates.
std::vector<double> FieldAngleRows() {
  std::vector<double> r;
  for (int i = 1; i <= 17; ++i)
    r.push_back(153.0 * std::tan(std::atan(160.0 / 153.0) * i / 17));
  return r;
}
std::vector<double> CrowdedRows() {
  std::vector<double> r = EvenRows(16, 160.0);
  r.push_back(80.00001);
  std::sort(r.begin(), r.end());
  return r;
}

std::vector<Vec2> RandomPoints(double half, std::size_t n) {
  std::mt19937_64 rng(20261206);
  std::uniform_real_distribution<double> u(-half, half);
  std::vector<Vec2> v(n);
  for (Vec2& p : v)
    p = {u(rng), u(rng)};
  v.push_back({0.0, 0.0});
  v.push_back({0.0, 120.0});  // on a direction
  v.push_back({-80.0, 0.0});  // on a row and a direction
  return v;
}

struct Case {
  const char* name;
  std::vector<double> radii;
  std::size_t directions;
  bool even;
  bool compact;
};

std::vector<Case> Cases() {
  return {{"17 even rows, radial", EvenRows(17, 160.0), 1, true, true},
          {"161 rows, radial", EvenRows(161, 160.0), 1, true, true},
          {"field-angle rows, 8 even directions", FieldAngleRows(), 8, true, true},
          {"field-angle rows, 5 uneven directions", FieldAngleRows(), 5, false, true},
          {"crowded rows, 4 directions", CrowdedRows(), 4, true, false}};
}

}  // namespace

// The uniform cells find, for any value, where it falls among thresholds
// known only within intervals, as a plain count does.
TEST(UniformIndex, CountsFromItsFirstWithinItsReachAsAPlainCountDoes) {
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> step(0.001, 10.0), spread(0.0, 0.5);
  for (int trial = 0; trial < 20; ++trial) {
    std::vector<double> lower, upper, truth;
    double at = 0.0;
    for (int i = 0; i < 30; ++i) {
      at += step(rng);
      lower.push_back(at);
      at += spread(rng);
      upper.push_back(at);
    }
    const lxcu::internal::UniformIndex index(lower, upper);
    const auto view = index.view();
    for (double x = -1.0; x < at + 5.0; x += 0.0137) {
      const std::size_t first = view.First(x);
      const auto below = [x](const std::vector<double>& t) {
        return static_cast<std::size_t>(std::lower_bound(t.begin(), t.end(), x) - t.begin());
      };
      // Every threshold before First(x) is surely below x; none past the reach can be.
      ASSERT_LE(first, below(upper)) << x;
      ASSERT_GE(first + index.Reach(), below(lower)) << x;
    }
    EXPECT_EQ(view.First(std::nan("")), 0u);
  }
}

TEST(DirectionAngle, AgreesWithAtan2EverywhereInZeroToTwoPi) {
  for (const Vec2& p : RandomPoints(100.0, 20000)) {
    double expected = std::atan2(p.y, p.x);
    if (expected < 0.0) expected += 2 * kPi;
    const double got = lxcu::internal::DirectionAngle(p.x, p.y);
    ASSERT_GE(got, 0.0);
    ASSERT_LT(got, 2 * kPi);
    // A few units in the last place of 2π.
    ASSERT_NEAR(got, expected, 4e-15) << p.x << ", " << p.y;
  }
  EXPECT_EQ(lxcu::internal::DirectionAngle(5.0, -0.0), 0.0);
  EXPECT_EQ(lxcu::internal::DirectionAngle(-5.0, 0.0), kPi);
}

// Both lookup paths run the same arithmetic, so they agree bit for bit;
// either agrees with the plain definition to rounding, and the inverse
// undoes the forward map.
TEST(TableKernel, BothPathsAgreeWithTheDefinitionAndInvertExactly) {
  const std::vector<Vec2> points = RandomPoints(115.0, 5000);
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    const Definition def = Table(c.radii, c.directions, c.even);
    std::vector<double> values;
    for (const auto& row : def.values)
      values.insert(values.end(), row.begin(), row.end());
    TableKernel compact(Vec2{}, def.angles, def.radii, values);
    TableKernel general(Vec2{}, def.angles, def.radii, values);
    general.UseGeneralPath();
    EXPECT_EQ(compact.Compact(), c.compact);
    std::vector<Vec2> fwd(points.size()), fwd_general(points.size()), back(points.size());
    lxcu::internal::TablePoints(compact, false, points.data(), fwd.data(), points.size());
    lxcu::internal::TablePoints(general, false, points.data(), fwd_general.data(), points.size());
    lxcu::internal::TablePoints(compact, true, fwd.data(), back.data(), points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
      ASSERT_EQ(fwd[i], fwd_general[i]) << points[i].x << ", " << points[i].y;
      ASSERT_EQ(lxcu::internal::TablePoint(general, true, fwd[i]),
                lxcu::internal::TablePoint(compact, true, fwd[i]));
      const Vec2 expected = def.Map(points[i]);
      // Rounding of p + Δ at |p| ≤ 163 mm, a few units of 2.8e-14 mm.
      ASSERT_NEAR(fwd[i].x, expected.x, 1e-13) << points[i].x << ", " << points[i].y;
      ASSERT_NEAR(fwd[i].y, expected.y, 1e-13);
      ASSERT_NEAR(back[i].x, points[i].x, 1e-12);
      ASSERT_NEAR(back[i].y, points[i].y, 1e-12);
    }
  }
}

// A table as hosts build it: rows in any order, 161 of them, and the
// centre away from the origin.
TEST(TableKernel, OrderOfRowsAndLengthOfTableChangeNothing) {
  std::vector<TRadialTableItem> items, reversed;
  for (double r : EvenRows(161, 160.0))
    items.push_back({r, 1e-3 * std::sin(r / 30.0)});
  reversed.assign(items.rbegin(), items.rend());
  const Vec2 c{0.4, -0.3};
  const TRadialDistortion a(c, items, false), b(c, reversed, false);
  for (const Vec2& p : RandomPoints(115.0, 2000))
    ASSERT_EQ(a.TransformPoint(p), b.TransformPoint(p));
}
