// Cameras sent through every format: exact where the format holds the
// camera's terms, otherwise fitted with a deviation that compare confirms;
// and the switches that settle what the formats' sources leave open.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include <nlohmann/json.hpp>

#include "Model.h"
#include "Support.h"

namespace {

// A digital camera of random size, pixel size and principal point with a
// moderate random distortion (up to about a hundred pixels at the corners).
TLxCameraInfo RandomCamera(std::mt19937& rng, TLxCameraDistortion::TDirection direction) {
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  TLxCameraInfo c;
  c.type = ctDigital;
  c.name = "random";
  c.sensor_dims = {2000 + static_cast<std::uint64_t>(3000 * (1 + unit(rng))),
                   1500 + static_cast<std::uint64_t>(2000 * (1 + unit(rng)))};
  c.pixel_size = {0.004 + 0.002 * unit(rng), 0.0};
  c.pixel_size.y = c.pixel_size.x;
  const double half_width = c.pixel_size.x * static_cast<double>(c.sensor_dims.x) / 2.0;
  c.focus = half_width * (2.0 + unit(rng));
  c.principal_point = {0.01 * half_width * unit(rng), 0.01 * half_width * unit(rng)};
  TLxCameraDistortion& d = c.distortion;
  d.type = dtFormula;
  d.direction = direction;
  d.symmetry_point = c.principal_point;
  const double r = half_width;  // coefficients scaled to displacements ~ 0.01 r at r
  d.k1 = 0.005 * unit(rng) / (r * r);
  d.k2 = 0.001 * unit(rng) / std::pow(r, 4);
  d.k3 = 0.0002 * unit(rng) / std::pow(r, 6);
  d.p1 = 0.0005 * unit(rng) / r;
  d.p2 = 0.0005 * unit(rng) / r;
  return c;
}

TEST(CrossFormat, ARadialTangentialCameraPassesEveryFormatExactly) {
  std::mt19937 rng(20);  // fixed seed: the same cameras every run
  for (int i = 0; i < 10; ++i) {
    const TLxCameraInfo camera = RandomCamera(rng, TLxCameraDistortion::dirMmToCam);
    for (const TExchangeFormat format : lxtest::kAllFormats) {
      SCOPED_TRACE(ExchangeFormatToText(format) + " camera " + std::to_string(i));
      EXPECT_TRUE(lxtest::ExpectRoundTrip(format, camera).exact);
    }
  }
}

TEST(CrossFormat, ACorrectingCameraIsFittedWhereTheFormatRunsTheOtherWay) {
  std::mt19937 rng(21);
  for (int i = 0; i < 4; ++i) {
    TLxCameraInfo camera = RandomCamera(rng, TLxCameraDistortion::dirCamToMm);
    camera.distortion.b1 = 1e-4;  // affinity: held only by MicMac's ModPhgrStd
    for (const TExchangeFormat format : lxtest::kAllFormats) {
      SCOPED_TRACE(ExchangeFormatToText(format) + " camera " + std::to_string(i));
      const TExchangeReport report = lxtest::ExpectRoundTrip(format, camera);
      EXPECT_FALSE(report.exact);
      // The inverse fits closely over the whole frame; the affinity alone
      // moves the image edge by 1e-4 of the half width where it is left out.
      EXPECT_LT(report.max_deviation_px, 1.0);
    }
  }
}

TEST(CrossFormat, PhotometrixHoldsACorrectingCameraWithAnOffsetCentreExactly) {
  std::mt19937 rng(22);
  TLxCameraInfo camera = RandomCamera(rng, TLxCameraDistortion::dirCamToMm);
  camera.distortion.symmetry_point = camera.principal_point + lxcu::internal::Point{0.05, -0.02};
  const TExchangeReport report = lxtest::ExpectRoundTrip(efTsai, camera);
  EXPECT_EQ(report.model, "Photometrix");
  EXPECT_TRUE(report.exact);
}

TEST(CrossFormat, TheSmallestExactModelIsChosenAndANamedOneIsKept) {
  std::mt19937 rng(23);
  TLxCameraInfo camera = RandomCamera(rng, TLxCameraDistortion::dirMmToCam);
  camera.distortion.k2 = camera.distortion.k3 = camera.distortion.p1 = camera.distortion.p2 = 0.0;
  EXPECT_EQ(ExportCameraE(efColmap, camera, {}).report.model, "SIMPLE_RADIAL");
  EXPECT_EQ(ExportCameraE(efOpenCv, camera, {}).report.model, "4");
  EXPECT_EQ(ExportCameraE(efOpenSfm, camera, {}).report.model, "brown");  // off-centre point
  camera.principal_point = camera.distortion.symmetry_point = {};
  EXPECT_EQ(ExportCameraE(efOpenSfm, camera, {}).report.model, "perspective");
  TExchangeExportOptions named;
  named.model = "FULL_OPENCV";
  const TExchangeExport full = ExportCameraE(efColmap, camera, named);
  EXPECT_EQ(full.report.model, "FULL_OPENCV");
  EXPECT_TRUE(full.report.exact);
  named.model = "SIMPLE_PINHOLE";  // drops k1: written, and the report says by how much
  const TExchangeExport pinhole = ExportCameraE(efColmap, camera, named);
  EXPECT_FALSE(pinhole.report.exact);
  EXPECT_GT(pinhole.report.max_deviation_px, 1.0);
  named.model = "fisheye";
  EXPECT_THROW(ExportCameraE(efColmap, camera, named), TExchangeError);
}

TEST(CrossFormat, TheSwitchesMoveThePrincipalPointHalfAPixelAndSwapTangentialTerms) {
  const std::string colmap = "1 OPENCV 100 80 500 500 50 40 0.01 0.02 0.001 0.002\n";
  TExchangeImportOptions as_opencv;
  as_opencv.conventions = {poCenter, toPhotogrammetric};
  const TLxCameraInfo plain = ImportCameraE(efColmap, colmap, {}).camera;
  const TExchangeImport switched = ImportCameraE(efColmap, colmap, as_opencv);
  EXPECT_DOUBLE_EQ(switched.camera.principal_point.x - plain.principal_point.x, 0.5);
  EXPECT_DOUBLE_EQ(switched.camera.principal_point.y - plain.principal_point.y, -0.5);  // y up
  EXPECT_DOUBLE_EQ(switched.camera.distortion.p1, -plain.distortion.p2);
  EXPECT_EQ(switched.report.warnings.size(), 2u);  // both against COLMAP's documentation
  // Written back with the same switches, the file is the same.
  TExchangeExportOptions back;
  back.conventions = as_opencv.conventions;
  const TExchangeExport written = ExportCameraE(efColmap, switched.camera, back);
  EXPECT_NE(written.text.find(" 500 500 50 40 "), std::string::npos) << written.text;
  lxtest::ExpectSameCamera(switched.camera,
                           ImportCameraE(efColmap, written.text, as_opencv).camera);
}

TEST(CrossFormat, TheTangentialSwitchSwapsAPixelFormulaToo) {
  const std::string micmac = lxtest::Sample("micmac/Calib-Sony-050_ModPhgrStd.xml");
  TExchangeImportOptions swapped;
  swapped.conventions.tangential = toOpenCv;
  const TLxCameraInfo plain = ImportCameraE(efMicMac, micmac, {}).camera;
  const TLxCameraInfo other = ImportCameraE(efMicMac, micmac, swapped).camera;
  EXPECT_DOUBLE_EQ(other.distortion.p1, -plain.distortion.p2);  // the y flip stays with p2
  EXPECT_DOUBLE_EQ(other.distortion.p2, -plain.distortion.p1);
}

TEST(CrossFormat, AFoldingModelReportsThePointsItCannotCompare) {
  // So strong a barrel that the image corners lie beyond where the model
  // folds back: no ray reaches them, and the report says how many.
  const std::string yml =
      "%YAML:1.0\nimage_width: 1280\nimage_height: 960\ncamera_matrix: !!opencv-matrix\n"
      "  rows: 3\n  cols: 3\n  dt: d\n  data: [ 1000, 0, 640, 0, 1000, 480, 0, 0, 1 ]\n"
      "distortion_coefficients: !!opencv-matrix\n  rows: 8\n  cols: 1\n  dt: d\n"
      "  data: [ -1.2, 0, 0, 0, 0, 0.1, 0, 0 ]\n";
  const TExchangeImport imported = ImportCameraE(efOpenCv, yml, {});
  EXPECT_FALSE(imported.report.exact);
  ASSERT_FALSE(imported.report.warnings.empty());
  EXPECT_NE(imported.report.warnings.back().find("could not be compared"), std::string::npos);
  EXPECT_NE(ExchangeReportText(imported.report).find("  warning: "), std::string::npos);
  EXPECT_GT(CompareCamerasE(imported.source, imported.source).unsolved, 0u);
}

TEST(CrossFormat, NonSquarePixelsCarryDifferentFocalLengths) {
  const TExchangeImport imported =
      ImportCameraE(efColmap, "7 PINHOLE 640 480 500 400 320 240\n", {});
  EXPECT_DOUBLE_EQ(imported.camera.pixel_size.y / imported.camera.pixel_size.x, 500.0 / 400.0);
  TExchangeExportOptions o;
  EXPECT_EQ(ExportCameraE(efColmap, imported.camera, o).report.model, "PINHOLE");
  // MicMac has one focal length: fitted, and the report shows the loss.
  EXPECT_FALSE(ExportCameraE(efMicMac, imported.camera, o).report.exact);
}

// The sample's b2 shears after the distortion, which the formula record cannot
// hold: fitted, within a tenth of a pixel, reported in pixels only.
TEST(CrossFormat, ReportsReadAsJsonWithTheirKeys) {
  const TExchangeImport imported = ImportCameraE(
      efAgisoft, lxtest::Sample("agisoft/libvideoio_Photoscan_d2_camera_1920x1080.xml"), {});
  const nlohmann::json report = nlohmann::json::parse(ExchangeReportJson(imported.report));
  EXPECT_FALSE(report.at("exact").get<bool>());
  EXPECT_GT(report.at("max_deviation_px").get<double>(), 0.0);
  EXPECT_LT(report.at("max_deviation_px").get<double>(), 0.1);
  EXPECT_TRUE(report.at("max_deviation_um").is_null());
  EXPECT_TRUE(report.at("conventions").is_array());
  EXPECT_TRUE(report.at("warnings").is_array());
  const TCameraComparison c = CompareCamerasE(imported.source, imported.source, 3);
  const nlohmann::json compared = nlohmann::json::parse(CameraComparisonJson(c));
  EXPECT_LT(compared.at("max_deviation_px").get<double>(), 1e-9);
  EXPECT_NE(CameraComparisonText(c).find("3 x 3 points"), std::string::npos);
  EXPECT_NE(ExchangeReportText(imported.report).find("fitted: model frame"), std::string::npos);
}

TEST(CrossFormat, CameraRecordsWithoutAPixelGridAreRefused) {
  TLxCameraInfo film;
  film.type = ctFiducials;
  EXPECT_THROW(TExchangeCamera{film}, TExchangeError);
  film.type = static_cast<TCameraType>(99);
  EXPECT_THAT([&] { TExchangeCamera{film}; },
              testing::ThrowsMessage<TExchangeError>(testing::HasSubstr("\"99\"")));
  TExchangeImportOptions infinite;
  infinite.pixel_size_mm = HUGE_VAL;
  EXPECT_THROW(ImportCameraE(efColmap, "1 SIMPLE_PINHOLE 10 10 5 5 5\n", infinite), TExchangeError);
  EXPECT_THROW(CompareCamerasE(TExchangeCamera(), TExchangeCamera()), TExchangeError);
  TLxCameraInfo digital = ImportCameraE(efColmap, "1 SIMPLE_PINHOLE 10 10 5 5 5\n", {}).camera;
  for (auto spoil : {+[](TLxCameraInfo& c) { c.digital_camera_origin = dcoUpperLeft; },
                     +[](TLxCameraInfo& c) { c.sensor_dims.y = 0; },
                     +[](TLxCameraInfo& c) { c.pixel_size.x = -1.0; },
                     +[](TLxCameraInfo& c) { c.focus = 0.0; }}) {
    TLxCameraInfo c = digital;
    spoil(c);
    EXPECT_THROW(ExportCameraE(efOpenCv, c, {}), TExchangeError);
  }
  TLxCameraInfo other = digital;
  other.sensor_dims.x = 11;
  EXPECT_THROW(CompareCamerasE(TExchangeCamera(digital), TExchangeCamera(other)), TExchangeError);
  EXPECT_THROW(CompareCamerasE(TExchangeCamera(digital), TExchangeCamera(digital), 1),
               TExchangeError);
  EXPECT_EQ(TextToExchangeFormat("OpenCV"), efNone);
  EXPECT_EQ(ExchangeFormatToText(static_cast<TExchangeFormat>(9)), "");
  EXPECT_THROW(ImportCameraE(efNone, "", {}), TExchangeError);
}

}  // namespace
