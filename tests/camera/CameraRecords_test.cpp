#include <LxCameraUtils/CameraDistortion.h>
#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/MarkTemplates.h>

#include <gtest/gtest.h>

#include <limits>
#include <utility>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A distortion with something in every kind of field.
TLxCameraDistortion FilledDistortion() {
  TLxCameraDistortion d;
  d.type = dtDirected8;
  d.direction = TLxCameraDistortion::dirMmToCam;
  d.mixed_coeffs.P[1] = -1e-7;
  d.polynomial_coeffs.K[7] = 3.0;
  d.table_r = {{10.0, 0.001}, {20.0, 0.002}};
  d.table_plus = {{10.0, {1, 2, 3, 4}}, {20.0, {5, 6, 7, 8}}};
  d.table_x = {{15.0, {-1, -2, -3, -4}}};
  d.symmetry_point = {0.01, -0.02};
  d.k1 = 1e-5;
  return d;
}

TLxCameraDistortion WithoutTables(TLxCameraDistortion d) {
  d.table_r.clear();
  d.table_plus.clear();
  d.table_x.clear();
  return d;
}

TLxCameraInfo FilledCamera() {
  TLxCameraInfo c;
  c.name = "Cam";
  c.calibration_date = "2021-03-04";
  c.description = "line 1\r\nline 2";
  c.fiducial_template_id = "tpl";
  c.type = ctFiducials;
  c.distortion = FilledDistortion();
  c.focus = 153.2;
  c.principal_point = {0.003, -0.004};
  c.sensor_dims = {7680, 13824};
  c.fiducials = {{1, {-106.0, -106.0}, 7}, {2, {106.0, 106.0}, 8}};
  c.digital_camera_origin = dcoUpperLeft;
  return c;
}

// Whether `record` changed by `change` still equals its original.
template <typename T, typename F>
bool EqualAfter(const T& record, F change) {
  T changed = record;
  change(changed);
  return changed == record;
}

}  // namespace

TEST(CameraDistortion, ComparesCoefficientArraysByBitsAndEverythingElseByValue) {
  using TD = TLxCameraDistortion;
  const TD base = FilledDistortion();
  EXPECT_TRUE(EqualAfter(base, [](TD&) {}));
  EXPECT_FALSE(EqualAfter(base, [](TD& d) { d.mixed_coeffs.c[0] = -0.0; }));
  EXPECT_FALSE(EqualAfter(base, [](TD& d) { d.polynomial_coeffs.P[3] = -0.0; }));
  // A NaN coefficient equals its copy, which carries the same pattern.
  TD nan_coeff = base;
  nan_coeff.polynomial_coeffs.K[0] = kNaN;
  EXPECT_TRUE(nan_coeff == TD(nan_coeff));

  TD zeros = base;
  zeros.k1 = zeros.table_r[0].dr = 0.0;
  EXPECT_TRUE(EqualAfter(zeros, [](TD& d) { d.k1 = d.table_r[0].dr = -0.0; }));
  EXPECT_FALSE(EqualAfter(base, [](TD& d) { d.symmetry_point.x = kNaN; }));
  TD nan_value = base;
  nan_value.table_x[0].dr[3] = kNaN;
  EXPECT_FALSE(nan_value == TD(nan_value));
}

TEST(CameraDistortion, IsUnequalWhenTablesDifferInOrderOrLength) {
  using TD = TLxCameraDistortion;
  const TD base = FilledDistortion();
  EXPECT_FALSE(EqualAfter(base, [](TD& d) { std::swap(d.table_plus[0], d.table_plus[1]); }));
  EXPECT_FALSE(EqualAfter(base, [](TD& d) { d.table_r.pop_back(); }));
  EXPECT_FALSE(EqualAfter(base, [](TD& d) { d.table_x.clear(); }));
  // Changing the model keeps the other models' parameters.
  EXPECT_TRUE(EqualAfter(base, [](TD& d) { d.type = dtFormula, d.type = dtDirected8; }));
}

TEST(CameraDistortion, MoveEmptiesOnlyTheSourceTablesAndResetRestoresTheDefault) {
  TLxCameraDistortion source = FilledDistortion();
  TLxCameraDistortion target(std::move(source));
  EXPECT_TRUE(target == FilledDistortion());
  EXPECT_TRUE(source == WithoutTables(FilledDistortion()));

  source = FilledDistortion();
  target = std::move(source);
  EXPECT_TRUE(target == FilledDistortion());
  EXPECT_TRUE(source == WithoutTables(FilledDistortion()));

  target.Reset();
  EXPECT_TRUE(target == TLxCameraDistortion());
  EXPECT_EQ(target.type, dtNone);
  EXPECT_EQ(target.direction, TLxCameraDistortion::dirCamToMm);
}

TEST(CameraInfo, ComparesEveryFieldWithFloatingPointSemantics) {
  using TC = TLxCameraInfo;
  const TC base = FilledCamera();
  EXPECT_FALSE(base != TC(base));
  EXPECT_FALSE(EqualAfter(base, [](TC& c) { c.name = "CAM"; }));
  EXPECT_FALSE(EqualAfter(base, [](TC& c) { std::swap(c.fiducials[0], c.fiducials[1]); }));
  EXPECT_FALSE(EqualAfter(base, [](TC& c) { c.distortion.mixed_coeffs.K[0] = -0.0; }));
  EXPECT_FALSE(EqualAfter(base, [](TC& c) { c.sensor_dims.y += 1; }));
  EXPECT_FALSE(EqualAfter(base, [](TC& c) { c.digital_camera_origin = dcoLowerLeft; }));
  EXPECT_FALSE(EqualAfter(base, [](TC& c) { c.focus = kNaN; }));
  EXPECT_FALSE(EqualAfter(base, [](TC& c) { c.fiducials[1].coords_cam.y = kNaN; }));
  TC zero = base;
  zero.principal_point.x = 0.0;
  EXPECT_TRUE(EqualAfter(zero, [](TC& c) { c.principal_point.x = -0.0; }));
}

TEST(CameraInfo, MoveEmptiesTextsFiducialsAndTablesOfTheSourceOnly) {
  TLxCameraInfo expected = FilledCamera();
  expected.name = expected.calibration_date = expected.description = "";
  expected.fiducial_template_id = "";
  expected.fiducials.clear();
  expected.distortion = WithoutTables(expected.distortion);

  TLxCameraInfo source = FilledCamera();
  TLxCameraInfo target;
  target = std::move(source);
  EXPECT_TRUE(target == FilledCamera());
  EXPECT_TRUE(source == expected);
  TLxCameraInfo again(std::move(target));
  EXPECT_TRUE(again == FilledCamera());
  EXPECT_TRUE(target == expected);

  again = static_cast<const TLxCameraInfo&>(again);  // copy to itself
  EXPECT_TRUE(again == FilledCamera());
  again.Reset();
  EXPECT_TRUE(again == TLxCameraInfo());
  EXPECT_EQ(again.type, 0);
  EXPECT_TRUE(again.fiducials.empty());
}

TEST(CameraMarkTemplates, MoveEmptiesTheSourceTemplatesAndKeepsItsScalars) {
  TCameraMarkTemplates source;
  source.template_pixel_size_um = 12.5;
  source.mark_templates = {{3, {1.0, 2.0}, "mark3.tif", {16, 16}, 0}};
  const TCameraMarkTemplates target(std::move(source));
  EXPECT_TRUE(source.mark_templates.empty());
  EXPECT_EQ(source.template_pixel_size_um, 12.5);
  ASSERT_EQ(target.mark_templates.size(), 1u);
  EXPECT_EQ(target.mark_templates[0].filename, "mark3.tif");
}
