#include <LxCameraUtils/CameraGeometry.h>
#include <LxMathEx/TableDistortion.h>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "geometry/GeometryInternal.h"

namespace {

using Dist = TLxCameraDistortion;
using Rows = std::vector<Dist::TDirectedTableRow>;
using Items = std::vector<TDirectedTableItem>;

Dist Directed8(Rows plus, Rows x) {
  Dist d;
  d.type = dtDirected8;
  d.table_plus = std::move(plus);
  d.table_x = std::move(x);
  return d;
}

const TDirectedData& DataOf(const var_a_legacy::var_a<TLx2DTransform*>& t) {
  return dynamic_cast<const TDirectedDistortion&>(*t).Data();
}

}  // namespace

TEST(Directed8Merge, MergesByRadiusInterpolatingTheTableWithoutARow) {
  const Dist::TDirectedTableRow p10{10.0, {1, 2, 3, 4}}, x10{10.0, {5, 6, 7, 8}};
  const Dist::TDirectedTableRow x20{20.0, {5, 6, 7, 8}};
  const Dist::TDirectedTableRow ones{10.0, {1, 1, 1, 1}}, threes{20.0, {3, 3, 3, 3}};
  const std::vector<double> zeros(8, 0.0);
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
      {"between rows",
       {ones, threes},
       {{15.0, {0, 0, 0, 0}}},
       {{10.0, {1, 0, 1, 0, 1, 0, 1, 0}},
        {15.0, {2, 0, 2, 0, 2, 0, 2, 0}},
        {20.0, {3, 0, 3, 0, 3, 0, 3, 0}}}},
      {"along the last segment",
       {ones, threes},
       {{30.0, {0, 0, 0, 0}}},
       {{10.0, {1, 0, 1, 0, 1, 0, 1, 0}},
        {20.0, {3, 0, 3, 0, 3, 0, 3, 0}},
        {30.0, {5, 0, 5, 0, 5, 0, 5, 0}}}},
      // A missing table borrows the mean of its neighbouring directions.
      {"no x rows", {p10}, {}, {{10.0, {4, 2.5, 1, 2, 3, 2.5, 2, 3}}}},
      {"no plus rows", {}, {x10}, {{10.0, {7, 8, 6.5, 5, 6, 7, 6.5, 6}}}},
  };
  constexpr double kPi = std::numbers::pi;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto t = CreateDirected8Transform(Directed8(c.plus, c.x), {0.5, -0.5});
    ASSERT_TRUE(t);
    const TDirectedData& data = DataOf(t);
    EXPECT_EQ(data.center, (vec_t_<double, 2>{0.5, -0.5}));
    EXPECT_EQ(data.angles, (std::vector<double>{0, kPi / 4, kPi / 2, 3 * kPi / 4, kPi, 5 * kPi / 4,
                                                3 * kPi / 2, 7 * kPi / 4}));
    EXPECT_EQ(data.items, c.want);
  }
}

TEST(Directed8Merge, IsWhatTheFactoryBuildsForEightDirections) {
  Dist d = Directed8({{10.0, {1, 2, 3, 4}}, {25.0, {2, 3, 4, 5}}}, {{15.0, {5, 6, 7, 8}}});
  d.direction = Dist::dirMmToCam;
  const auto merged = CreateDirected8Transform(d, {1, 2});
  const auto built = CreateCameraDistortionTransform(d, {1, 2}, 100.0);
  EXPECT_EQ(DataOf(built), DataOf(merged));
  EXPECT_TRUE(dynamic_cast<const TDirectedDistortion&>(*built).MmToCam());
}

TEST(Directed8Merge, WithOneTableActsAsTheFourDirectionRecordOfIt) {
  const Rows rows = {{10.0, {0.01, 0.02, 0.03, 0.04}}, {30.0, {0.2, 0.1, 0.3, 0.4}}};
  for (bool plus : {true, false}) {
    Dist four;
    four.type = plus ? dtDirected4Plus : dtDirected4X;
    four.table_plus = four.table_x = rows;
    const auto eight =
        CreateDirected8Transform(Directed8(plus ? rows : Rows{}, plus ? Rows{} : rows), {});
    const auto same = CreateCameraDistortionTransform(four, {}, 100.0);
    for (double a = 0.05; a < 2 * std::numbers::pi; a += 0.1) {
      const vec_t_<double, 2> p{25 * std::cos(a), 25 * std::sin(a)};
      const auto q = eight->TransformPoint(p), r = same->TransformPoint(p);
      // Mean and angular interpolation round differently, by a few ulps of dr.
      EXPECT_NEAR(q.x, r.x, 1e-13) << a;
      EXPECT_NEAR(q.y, r.y, 1e-13) << a;
    }
  }
}
