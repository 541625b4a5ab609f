#include <LxCameraUtils/CameraGeometry.h>
#include <LxMathEx/TableDistortion.h>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

using Dist = TLxCameraDistortion;
using Rows = std::vector<Dist::TDirectedTableRow>;
constexpr double kPi = std::numbers::pi;

// What the factory builds for an eight-direction record.
var_a_legacy::var_a<TLx2DTransform*> Directed8(Rows plus, Rows x, vec_t_<double, 2> center = {}) {
  Dist d;
  d.type = dtDirected8;
  d.direction = Dist::dirMmToCam;
  d.table_plus = std::move(plus);
  d.table_x = std::move(x);
  return CreateCameraDistortionTransform(d, center, 100.0);
}

}  // namespace

TEST(Directed8Merge, MergesByRadiusInterpolatingTheTableWithoutARow) {
  const Dist::TDirectedTableRow p10{10.0, {1, 2, 3, 4}}, x10{10.0, {5, 6, 7, 8}};
  const Dist::TDirectedTableRow x20{20.0, {5, 6, 7, 8}};
  const Dist::TDirectedTableRow ones{10.0, {1, 1, 1, 1}}, threes{20.0, {3, 3, 3, 3}};
  struct Case {
    const char* what;
    Rows plus, x;
    std::vector<TDirectedTableItem> want;
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
      // A missing table borrows the mean of its neighbouring directions, so the
      // record acts as the four-direction record of the other table.
      {"no x rows", {p10}, {}, {{10.0, {4, 2.5, 1, 2, 3, 2.5, 2, 3}}}},
      {"no plus rows", {}, {x10}, {{10.0, {7, 8, 6.5, 5, 6, 7, 6.5, 6}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto t = Directed8(c.plus, c.x, {0.5, -0.5});
    const auto& model = dynamic_cast<const TDirectedDistortion&>(*t);
    EXPECT_EQ(model.Data().center, (vec_t_<double, 2>{0.5, -0.5}));
    EXPECT_EQ(model.Data().angles, (std::vector<double>{0, kPi / 4, kPi / 2, 3 * kPi / 4, kPi,
                                                        5 * kPi / 4, 3 * kPi / 2, 7 * kPi / 4}));
    EXPECT_EQ(model.Data().items, c.want);
    EXPECT_TRUE(model.MmToCam());
  }
}
