#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/DefaultCameras.h>
#include <LxCameraUtils/MarkTemplates.h>
#include <LxStd/EOL.h>
#include <LxStd/ResString.h>

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>

#include "module/ModuleRecord.h"

namespace {

using TC = TLxCameraInfo;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A camera with something in every kind of field, its distortion included.
TC Filled() {
  TC c;
  c.name = "Cam", c.calibration_date = "2021-03-04", c.description = "line 1\r\nline 2";
  c.fiducial_template_id = "tpl", c.type = ctFiducials, c.focus = 153.2;
  c.principal_point = {0.0, -0.004}, c.sensor_dims = {7680, 13824};
  c.fiducials = {{1, {-106.0, -106.0}, 7}, {2, {106.0, 106.0}, 8}};
  c.digital_camera_origin = dcoUpperLeft;
  TLxCameraDistortion& d = c.distortion;
  d.type = dtDirected8, d.direction = TLxCameraDistortion::dirMmToCam;
  d.mixed_coeffs.P[1] = -1e-7, d.polynomial_coeffs.K[7] = 3.0;
  d.table_r = {{10.0, 0.001}, {20.0, 0.002}};
  d.table_plus = {{10.0, {1, 2, 3, 4}}, {20.0, {5, 6, 7, 8}}};
  d.table_x = {{15.0, {-1, -2, -3, -4}}};
  d.symmetry_point = {0.01, -0.02};
  return c;
}

// What a move leaves of Filled(): texts, fiducials and tables emptied.
TC MovedFrom() {
  TC c = Filled();
  c.name = c.calibration_date = c.description = c.fiducial_template_id = "";
  c.fiducials.clear();
  c.distortion.table_r.clear(), c.distortion.table_plus.clear(), c.distortion.table_x.clear();
  return c;
}

}  // namespace

TEST(CameraRecords, CompareValuesByValueCoefficientArraysByBitsAndSequencesInOrder) {
  // The changed record against the original, or (Copy) against its own copy.
  enum Expect { kDiffers, kEqual, kCopyDiffers, kCopyEqual };
  const std::pair<void (*)(TC&), Expect> cases[] = {
      {[](TC& c) { c.name = "CAM"; }, kDiffers},
      {[](TC& c) { std::swap(c.fiducials[0], c.fiducials[1]); }, kDiffers},
      {[](TC& c) { c.sensor_dims.y += 1; }, kDiffers},
      {[](TC& c) { c.digital_camera_origin = dcoLowerLeft; }, kDiffers},
      {[](TC& c) { c.principal_point.x = c.distortion.k1 = -0.0; }, kEqual},
      {[](TC& c) { c.focus = kNaN; }, kCopyDiffers},
      {[](TC& c) { c.distortion.symmetry_point.x = kNaN; }, kCopyDiffers},
      {[](TC& c) { c.distortion.table_x[0].dr[3] = kNaN; }, kCopyDiffers},
      {[](TC& c) { c.distortion.polynomial_coeffs.K[0] = kNaN; }, kCopyEqual},
      {[](TC& c) { c.distortion.mixed_coeffs.c[0] = -0.0; }, kDiffers},
      {[](TC& c) { c.distortion.polynomial_coeffs.P[3] = -0.0; }, kDiffers},
      {[](TC& c) { std::swap(c.distortion.table_plus[0], c.distortion.table_plus[1]); }, kDiffers},
      {[](TC& c) { c.distortion.table_r.pop_back(); }, kDiffers},
      {[](TC& c) { c.distortion.table_x.clear(); }, kDiffers},
      // Nothing clears the parameters of a model that was left.
      {[](TC& c) { c.distortion.type = dtFormula, c.distortion.type = dtDirected8; }, kEqual},
  };
  const TC original = Filled();
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto [change, expect] = cases[i];
    TC changed = original;
    change(changed);
    const TC other = expect == kCopyDiffers || expect == kCopyEqual ? changed : original;
    const bool equal = expect == kEqual || expect == kCopyEqual;
    EXPECT_EQ(changed == other, equal) << i;
    EXPECT_EQ(changed != other, !equal) << i;
  }
}

TEST(CameraRecords, MovesEmptyTheSourcesTextsSequencesAndTablesOnlyAndResetRestoresTheDefault) {
  TC source = Filled();
  TC constructed(std::move(source));
  EXPECT_TRUE(constructed == Filled() && source == MovedFrom());
  TLxCameraDistortion distortion = Filled().distortion;
  const TLxCameraDistortion taken(std::move(distortion));
  EXPECT_TRUE(taken == Filled().distortion && distortion == MovedFrom().distortion);

  source = Filled();
  TC assigned;
  assigned = std::move(source);
  EXPECT_TRUE(assigned == Filled() && source == MovedFrom());
  assigned = static_cast<const TC&>(assigned);  // copy to itself
  EXPECT_TRUE(assigned == Filled());
  assigned.Reset();
  EXPECT_TRUE(assigned == TC());

  TCameraMarkTemplates marks;
  marks.template_pixel_size_um = 12.5, marks.mark_templates = {{3, {}, "mark3.tif", {16, 16}, 0}};
  const TCameraMarkTemplates marks_taken(std::move(marks));
  EXPECT_TRUE(marks.mark_templates.empty() && marks.template_pixel_size_um == 12.5);
  EXPECT_EQ(marks_taken.mark_templates.at(0).filename, "mark3.tif");
}

TEST(DefaultCameras, AreResetDigitalCamerasWithThePresetsSensorsAndJoinedCrlfTexts) {
  const auto text = [](const std::string& key) {
    return lxcu::internal::ModuleRecord().UserText(key);
  };
  TC expected;
  expected.type = ctDigital;
  EXPECT_TRUE(CreateDefaultCamera() == expected && CreateDefaultCamera() != TC());
  // With the texts the store has at the time, missing ones empty.
  const auto preset = [&](const char* name, const char* dsc, double focus_mm, double pixel_mm,
                          std::uint64_t x_px, std::uint64_t y_px) {
    TC c = expected;
    c.name = text(name);
    c.description = LxNormalizeEOL(text(dsc) + text("global.CamDscAutoCreated"), eolCRLF);
    c.focus = focus_mm, c.pixel_size = {pixel_mm, pixel_mm}, c.sensor_dims = {x_px, y_px};
    return c;
  };
  const auto dmc = [&] {
    return preset("global.CamNameDMC", "global.CamDscDMC", 120.0, 0.012, 7680, 13824);
  };
  EXPECT_TRUE(CreateDefaultDMCCamera() == dmc());
  EXPECT_NE(dmc().description.find("\r\n"), std::string::npos);
  EXPECT_TRUE(CreateDefaultVideoCamera() ==
              preset("global.CamNameVideo", "global.CamDscVideo", 22.0, 0.023, 1080, 1920));
  const std::string key = "global.CamNameDMC", name = text(key);
  ASSERT_TRUE(LxRemoveResString("LxCameraUtils", key));
  const TC without = CreateDefaultDMCCamera(), want = dmc();
  LxSetResString("LxCameraUtils", key, name);
  EXPECT_TRUE(without == want && without.name.empty() && !name.empty());
}
