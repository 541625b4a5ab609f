// The layouts and models each format offers beyond its sample files, and
// camera records of every distortion type sent out to the formats.
#include <gtest/gtest.h>

#include "Support.h"

namespace {

struct Variant {
  TExchangeFormat format;
  std::string text;
  std::string camera_id;
  std::string model;
  bool exact;
  std::size_t warnings;
};

const Variant kVariants[] = {
    {efOpenCv,
     "<?xml version=\"1.0\"?>\n<opencv_storage>\n<image_size>64 48</image_size>\n"
     "<cameraMatrix type_id=\"opencv-matrix\"><rows>3</rows><cols>3</cols><dt>d</dt>"
     "<data>50 0 32 0 50 24 0 0 1</data></cameraMatrix>\n<distCoeffs type_id=\"opencv-matrix\">"
     "<rows>1</rows><cols>4</cols><dt>d</dt><data>0.1 0 0 0</data></distCoeffs>\n"
     "</opencv_storage>\n",
     "", "4", true, 0},
    {efOpenCv,
     "%YAML:1.0\nimageSize: [ 64, 48 ]\nM1: !!opencv-matrix\n  rows: 3\n  cols: 3\n  dt: d\n"
     "  data: [ 50, 0, 32, 0, 50, 24, 0, 0, 1 ]\nD1: !!opencv-matrix\n  rows: 1\n  cols: 5\n"
     "  dt: d\n  data: [ 0.1, 0, 0, 0, 0 ]\nM2: !!opencv-matrix\n  rows: 3\n  cols: 3\n  dt: d\n"
     "  data: [ 52, 0.5, 31, 0, 51, 23, 0, 0, 1 ]\nD2: !!opencv-matrix\n  rows: 1\n  cols: 8\n"
     "  dt: d\n  data: [ 0.1, 0, 0, 0, 0, 0.01, 0, 0 ]\n",
     "M2", "8", false, 1},
    {efColmap, "5 RADIAL 64 48 50 32 24 0.1 -0.02\n", "", "RADIAL", true, 0},
    {efAgisoft,
     "<document><chunk><sensors>\n<sensor id=\"0\" label=\"wide\"><calibration type=\"frame\" "
     "class=\"adjusted\"><resolution width=\"64\" height=\"48\"/><f>50</f></calibration>"
     "</sensor>\n<sensor id=\"1\" label=\"tele\">\n<property name=\"pixel_width\" "
     "value=\"0.004\"/>\n<calibration type=\"frame\" class=\"initial\"><resolution width=\"64\" "
     "height=\"48\"/><f>90</f></calibration>\n<calibration type=\"frame\" class=\"adjusted\">"
     "<resolution width=\"64\" height=\"48\"/><f>100</f><cx>1</cx><b1>2</b1><k4>0.001</k4>"
     "</calibration></sensor></sensors></chunk></document>\n",
     "1", "frame", true, 0},
    {efAgisoft,
     "<calibration><projection>frame</projection><width>64</width><height>48</height>"
     "<fx>50</fx><fy>51</fy><cx>31</cx><cy>25</cy><k1>0.1</k1><p1>0.001</p1></calibration>",
     "", "frame (fx, fy, absolute cx, cy)", true, 1},
    {efMicMac,
     "<CalibrationInternConique><KnownConv>eConvApero_DistC2M</KnownConv><PP>32 24</PP>"
     "<F>50</F><SzIm>64 48</SzIm><CalibDistortion><ModRad><CDist>31 25</CDist>"
     "<CoeffDist>1e-5</CoeffDist><CoeffDist>0</CoeffDist></ModRad></CalibDistortion>"
     "</CalibrationInternConique>",
     "", "ModRad", true, 0},
    {efTsai,
     "VERSION_4\nfu = 0.5\nfv = 0.5\ncu = 0.32\ncv = 0.24\npitch = 0.01\nBrownConrady\n"
     "xp = 0.002\nyp = -0.001\nk1 = 0.1\nk2 = 0\nk3 = 0\np1 = 0.0004\np2 = 0\nphi = 0.3\n",
     "", "BrownConrady", false, 1},
    {efTsai, "VERSION_3\nfu = 50\nfv = 50\ncu = 32\ncv = 24\npitch = 1\nNULL\n", "", "NULL", true,
     1},
    {efTsai,
     "VERSION_3\nfu = 50\nfv = 50\ncu = 32\ncv = 24\npitch = 1\nPhotometrix\nxp = 1\nyp = 0\n"
     "k1 = 1e-5\nk2 = 0\nk3 = 0\np1 = 0\np2 = 1e-6\nb1 = 1e-4\nb2 = 0\n",
     "", "Photometrix", true, 2},
    {efOpenSfm,
     "[{\"cameras\": {\"c\": {\"projection_type\": \"perspective\", \"width\": 64, \"height\": "
     "48, \"focal\": 0.8, \"k1\": 0, \"k2\": 0}}}, {\"cameras\": {\"c\": {}}}, {\"shots\": {}}]",
     "", "perspective", true, 0},
    {efOpenSfm,
     "{\"v2 cam\": {\"projection_type\": \"perspective\", \"width\": 64, \"height\": 48, "
     "\"focal\": 0.8, \"k1\": 0.1, \"k2\": 0.01}}",
     "", "perspective", true, 0},
};

void PrintTo(const Variant& v, std::ostream* out) {
  *out << v.model;
}

class FormatVariant : public testing::TestWithParam<Variant> {};

TEST_P(FormatVariant, ImportsAndExportsBack) {
  const Variant& v = GetParam();
  TExchangeImportOptions options;
  options.camera_id = v.camera_id;
  const TExchangeImport imported = ImportCameraE(v.format, v.text, options);
  EXPECT_EQ(imported.report.model, v.model);
  EXPECT_EQ(imported.report.exact, v.exact);
  EXPECT_EQ(imported.report.warnings.size(), v.warnings) << ExchangeReportText(imported.report);
  lxtest::ExpectRoundTrip(v.format, imported.camera);
}

INSTANTIATE_TEST_SUITE_P(Exchange, FormatVariant, testing::ValuesIn(kVariants),
                         [](const testing::TestParamInfo<Variant>& param) {
                           return ExchangeFormatToText(param.param.format) + "_" +
                                  std::to_string(param.index);
                         });

TEST(FormatVariant, TheAdjustedCalibrationAndTheSensorsPixelSizeAreTaken) {
  TExchangeImportOptions options;
  options.camera_id = "1";
  const TLxCameraInfo c = ImportCameraE(efAgisoft, kVariants[3].text, options).camera;
  EXPECT_EQ(c.name, "tele");
  EXPECT_DOUBLE_EQ(c.pixel_size.x, 0.004);
  EXPECT_DOUBLE_EQ(c.focus, 102 * 0.004);                                         // f + b1
  EXPECT_THROW(ImportCameraE(efAgisoft, kVariants[3].text, {}), TExchangeError);  // which one?
}

TEST(FormatVariant, OpenCvWritesEveryCoefficientCountItReads) {
  const TLxCameraInfo camera = ImportCameraE(efColmap, kVariants[2].text, {}).camera;
  for (const char* model : {"4", "5", "8", "12", "14"}) {
    TExchangeExportOptions options;
    options.model = model;
    options.xml = model[0] == '1';
    SCOPED_TRACE(model);
    EXPECT_EQ(lxtest::ExpectRoundTrip(efOpenCv, camera, options).model, model);
  }
}

// Records of each distortion type the library has, sent to every format.
TEST(FormatVariant, EveryDistortionTypeOfARecordCanBeWritten) {
  TLxCameraInfo base = ImportCameraE(efColmap, "1 PINHOLE 640 480 500 500 320 240\n", {}).camera;
  base.pixel_size = {0.005, 0.005};
  base.focus = 2.5;
  base.distortion.type = dtNone;
  TLxCameraInfo mixed = base;
  mixed.distortion.type = dtMixed;
  mixed.distortion.direction = TLxCameraDistortion::dirCamToMm;
  mixed.distortion.mixed_coeffs.K[0] = -1e-3;  // copied to the formula's k1 exactly
  TLxCameraInfo radial = base;
  radial.distortion.type = dtRadial;
  radial.distortion.table_r = {{1.0, -0.001}, {2.0, -0.008}};
  for (const TExchangeFormat format : lxtest::kAllFormats) {
    SCOPED_TRACE(ExchangeFormatToText(format));
    EXPECT_TRUE(lxtest::ExpectRoundTrip(format, base).exact);
    // Only tsai's BrownConrady corrects distorted points as the mixed record does.
    EXPECT_EQ(lxtest::ExpectRoundTrip(format, mixed).exact, format == efTsai);
    EXPECT_FALSE(lxtest::ExpectRoundTrip(format, radial).exact);
  }
}

}  // namespace
