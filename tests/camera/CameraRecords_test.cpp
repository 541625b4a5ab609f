#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/DefaultCameras.h>
#include <LxCameraUtils/IntOrMeas.h>
#include <LxCameraUtils/MarkTemplates.h>
#include <LxStd/EOL.h>
#include <LxStd/ResString.h>

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>

#include "Reliability.h"

namespace {

using TC = TLxCameraInfo;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A camera with something in every field, equal to its copy.
TC Filled() {
  TC c = lxrel::Prefilled<TC>();
  c.focus = 153.2, c.principal_point.x = c.distortion.k1 = 0.0;
  return c;
}

// What a move must leave in its source: texts, tables and lists emptied,
// every other field as it was.
void EmptyOwned(TLxCameraDistortion& d) {
  d.table_r.clear(), d.table_plus.clear(), d.table_x.clear();
}
void EmptyOwned(TC& c) {
  c.name.clear(), c.calibration_date.clear(), c.description.clear();
  c.fiducial_template_id.clear(), c.fiducials.clear();
  EmptyOwned(c.distortion);
}
void EmptyOwned(TCameraMarkTemplates& t) {
  t.mark_templates.clear();
}
void EmptyOwned(TLxIntOrMeas& m) {
  m.points.clear();
}

template <class Record>
class RecordMoves : public testing::Test {};
using Records = testing::Types<TLxCameraDistortion, TC, TCameraMarkTemplates, TLxIntOrMeas>;
TYPED_TEST_SUITE(RecordMoves, Records);

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
      {[](TC& c) { c.distortion.polynomial_coeffs.K[1] = kNaN; }, kCopyEqual},
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

TYPED_TEST(RecordMoves, TakeTextsAndSequencesAndLeaveTheSourcesOtherFields) {
  using lxrel::Bits;
  const TypeParam full = lxrel::Prefilled<TypeParam>();
  TypeParam emptied = full;
  EmptyOwned(emptied);
  TypeParam source = full;
  const TypeParam constructed(std::move(source));
  EXPECT_EQ(Bits(constructed), Bits(full));
  EXPECT_EQ(Bits(source), Bits(emptied));
  TypeParam assigned;
  source = full;
  assigned = std::move(source);
  EXPECT_EQ(Bits(assigned), Bits(full));
  EXPECT_EQ(Bits(source), Bits(emptied));
  TypeParam& alias = assigned;  // to itself, a move or copy changes nothing
  assigned = std::move(alias);
  assigned = alias;
  EXPECT_EQ(Bits(assigned), Bits(full));
}

TEST(CameraRecords, ResetRestoresTheDefault) {
  TC camera = Filled();
  camera.Reset();
  EXPECT_TRUE(camera == TC());
  TLxCameraDistortion distortion = Filled().distortion;
  distortion.Reset();
  EXPECT_TRUE(distortion == TLxCameraDistortion());
}

TEST(DefaultCameras, AreUndistortedCentredDigitalCamerasWithSquarePixelsAndCrlfTexts) {
  TC digital;
  digital.type = ctDigital;
  EXPECT_TRUE(CreateDefaultCamera() == digital);
  const TC dmc = CreateDefaultDMCCamera(), video = CreateDefaultVideoCamera();
  for (const TC& c : {dmc, video}) {
    SCOPED_TRACE(c.name);
    TC bare = c;  // what the presets leave as in a reset digital camera
    bare.name.clear(), bare.description.clear(), bare.focus = 0.0;
    bare.pixel_size = {}, bare.sensor_dims = {};
    EXPECT_TRUE(bare == digital);
    EXPECT_TRUE(c.focus > 0.0 && c.pixel_size.x > 0.0 && c.pixel_size.x == c.pixel_size.y);
    EXPECT_TRUE(c.sensor_dims.x > 0 && c.sensor_dims.y > c.sensor_dims.x);  // portrait
    EXPECT_EQ(LxNormalizeEOL(c.description, eolCRLF), c.description);
    EXPECT_NE(c.description.find("\r\n"), std::string::npos);
  }
  EXPECT_TRUE(dmc.name != video.name && !dmc.name.empty());
  EXPECT_DOUBLE_EQ(dmc.pixel_size.x * static_cast<double>(dmc.sensor_dims.x), 92.16);  // mm
  // A text missing from the store is taken as empty.
  const std::string key = "global.CamNameDMC", name = dmc.name;
  ASSERT_TRUE(LxRemoveResString("LxCameraUtils", key));
  const TC without = CreateDefaultDMCCamera();
  LxSetResString("LxCameraUtils", key, name);
  EXPECT_TRUE(without.name.empty() && without.description == dmc.description);
}
