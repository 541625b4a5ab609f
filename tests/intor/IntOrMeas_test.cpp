#include <LxCameraUtils/IntOrMeas.h>

#include <gtest/gtest.h>

#include <utility>

namespace {

TLxIntOrMeas Sample() {
  TLxIntOrMeas m;
  m.camera_type = ctFiducials;
  m.points = {{3, {10.5, 20.25}, {0.1, -0.1}}, {1, {-5.0, 7.0}, {}}};
  m.scan_resolution = {0.012, 0.014};
  m.resolution_units = ruDpi;
  m.rotation = cr270;
  m.transform_type = ttProjective;
  return m;
}

void ExpectSameExceptPoints(const TLxIntOrMeas& a, const TLxIntOrMeas& b) {
  EXPECT_EQ(a.camera_type, b.camera_type);
  EXPECT_EQ(a.scan_resolution, b.scan_resolution);
  EXPECT_EQ(a.resolution_units, b.resolution_units);
  EXPECT_EQ(a.rotation, b.rotation);
  EXPECT_EQ(a.transform_type, b.transform_type);
}

}  // namespace

TEST(TLxIntOrMeas, StartsWithTheDefaultsOfAnUnmeasuredImage) {
  const TLxIntOrMeas m;
  EXPECT_EQ(m.camera_type, 0);
  EXPECT_TRUE(m.points.empty());
  EXPECT_EQ(m.scan_resolution, (vec_t_<double, 2>{0.0, 0.0}));
  EXPECT_EQ(m.resolution_units, ruMm);
  EXPECT_EQ(m.rotation, crInvalid);
  EXPECT_EQ(m.transform_type, ttAffine);
}

TEST(TLxIntOrMeas, MovesTakeThePointsAndKeepTheRestInTheSource) {
  TLxIntOrMeas source = Sample();
  const TLxIntOrMeas constructed(std::move(source));
  EXPECT_TRUE(source.points.empty());
  ExpectSameExceptPoints(source, Sample());
  EXPECT_EQ(constructed.points.size(), 2u);

  TLxIntOrMeas assigned;
  source = Sample();
  assigned = std::move(source);
  EXPECT_TRUE(source.points.empty());
  ExpectSameExceptPoints(assigned, Sample());
  EXPECT_EQ(assigned.points.size(), 2u);

  TLxIntOrMeas& alias = assigned;  // self-assignment changes nothing
  assigned = alias;
  assigned = std::move(alias);
  ExpectSameExceptPoints(assigned, Sample());
  EXPECT_EQ(assigned.points.size(), 2u);
}
