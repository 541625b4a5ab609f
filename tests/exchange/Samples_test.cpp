// The tools' own files: each imports to the camera its numbers say, and
// exporting it to its own format and importing that gives the same camera.
#include <gtest/gtest.h>

#include "Support.h"

namespace {

using lxtest::Sample;

struct SampleCase {
  TExchangeFormat format;
  const char* file;
  const char* camera_id;
  std::uint64_t width, height;  // --image-size, for files without one
  const char* model;
  bool exact;
  double fx_px;       // the file's focal length in pixels
  double pp_x, pp_y;  // principal point, pixels from the image centre, y up
};

// Principal points worked out by hand from each file and its format's conventions.
const SampleCase kSamples[] = {
    {efOpenCv, "opencv/opencv-samples_left_intrinsics_640x480.yml", "", 0, 0, "5", true,
     535.91573396163199, 342.28315473308373 + 0.5 - 320, 240 - 235.57082909788173 - 0.5},
    {efOpenCv, "opencv/ntu-mecatron_640x480_out_camera_data.xml", "", 0, 0, "5", true,
     560.83562584146046, 0.0, 0.0},
    {efColmap, "colmap/render2loc-5cams_FULL_OPENCV_cameras.txt", "3", 0, 0, "FULL_OPENCV", true,
     9192.27343890137, 3104.5563233484 - 3072, 2048 - 2133.62691534043},
    {efColmap, "colmap/statue-of-liberty_SIMPLE_RADIAL_cameras.txt", "", 0, 0, "SIMPLE_RADIAL",
     true, 2468.36, 0.0, 0.0},
    {efAgisoft, "agisoft/libvideoio_Photoscan_d2_camera_1920x1080.xml", "", 0, 0, "frame", false,
     1430.15016509976, -24.1342060175983, -17.5452248329602},
    {efMicMac, "micmac/Calib-Sony-050_ModPhgrStd.xml", "", 0, 0, "ModPhgrStd", true,
     8668.69611684413576, 3059.25228148867745 + 0.5 - 3040, 2024 - 2021.66513284238931 - 0.5},
    {efTsai, "asp/K10_black_left_TSAI-legacy.tsai", "", 1024, 768, "TSAI", true, 620.857971191406,
     526.128784179688 - 512, 384 - 374.273742675781},
    {efTsai, "asp/vw-test_pinhole_AN_Photometrix.tsai", "", 0, 0, "Photometrix", true,
     28.389 / 0.0064, 17.9712 / 0.0064 - 2808, 1872 - 11.9808 / 0.0064},
    {efOpenSfm, "opensfm/orthority-test_odm_fc6310r_brown_reconstruction.json", "", 0, 0, "brown",
     true, 0.6664614123723713 * 1368, -0.0015460447606643697 * 1368, -0.004751874732641298 * 1368},
};

// Names the case in test listings by its file (gtest would print its bytes).
void PrintTo(const SampleCase& s, std::ostream* out) {
  *out << s.file;
}

class SampleFile : public testing::TestWithParam<SampleCase> {};

TExchangeImport Imported(const SampleCase& s) {
  TExchangeImportOptions options;
  options.camera_id = s.camera_id;
  options.image_width = s.width;
  options.image_height = s.height;
  return ImportCameraE(s.format, Sample(s.file), options);
}

TEST_P(SampleFile, ImportsToTheCameraItsNumbersDescribe) {
  const SampleCase& s = GetParam();
  const TExchangeImport imported = Imported(s);
  const TLxCameraInfo& c = imported.camera;
  EXPECT_EQ(imported.report.model, s.model);
  EXPECT_EQ(imported.report.exact, s.exact);
  EXPECT_EQ(c.type, ctDigital);
  EXPECT_TRUE(lxtest::Near(c.focus / c.pixel_size.x, s.fx_px, 1e-12));
  EXPECT_NEAR(c.principal_point.x / c.pixel_size.x, s.pp_x, 1e-9);
  EXPECT_NEAR(c.principal_point.y / c.pixel_size.y, s.pp_y, 1e-9);
  // The report's deviation is what compare measures against the file's own model.
  const TCameraComparison again = CompareCamerasE(imported.source, TExchangeCamera(c));
  if (s.exact)
    EXPECT_LT(again.max_px, 1e-9);
  else
    EXPECT_NEAR(again.max_px, imported.report.max_deviation_px, 1e-9);
  EXPECT_FALSE(imported.report.conventions.empty());
}

TEST_P(SampleFile, ExportsToItsFormatAndImportsBackToTheSameCamera) {
  const SampleCase& s = GetParam();
  EXPECT_EQ(lxtest::ExpectRoundTrip(s.format, Imported(s).camera).exact, s.exact);
}

INSTANTIATE_TEST_SUITE_P(Exchange, SampleFile, testing::ValuesIn(kSamples),
                         [](const testing::TestParamInfo<SampleCase>& param) {
                           return ExchangeFormatToText(param.param.format) + "_" +
                                  std::to_string(param.index);
                         });

TEST(SampleFile, MicMacKeepsItsDistortionCentreApartFromThePrincipalPoint) {
  const TLxCameraInfo c =
      ImportCameraE(efMicMac, Sample("micmac/Calib-Sony-050_ModPhgrStd.xml"), {}).camera;
  EXPECT_NEAR(c.distortion.symmetry_point.x - c.principal_point.x,
              3032.81157175478802 - 3059.25228148867745, 1e-9);
  EXPECT_NEAR(c.distortion.symmetry_point.y - c.principal_point.y,
              -(2019.4232315651434 - 2021.66513284238931), 1e-9);
  EXPECT_TRUE(lxtest::Near(c.distortion.k1, -1.78514071277256958e-09, 1e-15));
  EXPECT_TRUE(lxtest::Near(c.distortion.p2, 1.03461827922864936e-08, 1e-15));  // y flip
}

TEST(SampleFile, PhotometrixTakesThePitchAsPixelSizeAndKeepsMillimetreCoefficients) {
  TExchangeImportOptions options;
  options.pixel_size_mm = 0.005;  // the file's pitch wins, with a warning
  const TExchangeImport imported =
      ImportCameraE(efTsai, Sample("asp/vw-test_pinhole_AN_Photometrix.tsai"), options);
  const TLxCameraInfo& c = imported.camera;
  EXPECT_EQ(c.sensor_dims.x, 5616u);  // twice the principal point, with a warning
  EXPECT_EQ(imported.report.warnings.size(), 2u);
  EXPECT_DOUBLE_EQ(c.pixel_size.x, 0.0064);
  EXPECT_EQ(c.distortion.direction, TLxCameraDistortion::dirCamToMm);
  EXPECT_TRUE(lxtest::Near(c.distortion.k1, 0.00013180000000000001, 1e-12));
  EXPECT_TRUE(lxtest::Near(c.distortion.p2, 4.1207999999999996e-06, 1e-12));
  EXPECT_NEAR(c.distortion.symmetry_point.x - c.principal_point.x, 0.072, 1e-12);
  EXPECT_NEAR(c.distortion.symmetry_point.y - c.principal_point.y, 0.033, 1e-12);
}

}  // namespace
