// Malformed and unsupported files, one table per format: each raises an
// error naming the item (and the line where the parser gives one).
#include <gtest/gtest.h>

#include "Support.h"
#include "Texts.h"

namespace {

using lxtest::Sample;

struct Bad {
  std::string text;
  std::string message;  // expected inside what()
  int line;             // expected line(); -1: any
};

void ExpectErrors(TExchangeFormat format, const std::vector<Bad>& cases,
                  const TExchangeImportOptions& options = {}) {
  for (const Bad& bad : cases) {
    SCOPED_TRACE(bad.message);
    try {
      ImportCameraE(format, bad.text, options);
      ADD_FAILURE() << "imported:\n" << bad.text;
    } catch (const TExchangeError& e) {
      EXPECT_NE(std::string(e.what()).find(bad.message), std::string::npos) << e.what();
      if (bad.line >= 0) {
        EXPECT_EQ(e.line(), bad.line) << e.what();
      }
    }
  }
}

TEST(Malformed, OpenCvFilesNameTheEntryAndLine) {
  const std::string yml = Sample("opencv/opencv-samples_left_intrinsics_640x480.yml");
  const std::string xml = Sample("opencv/ntu-mecatron_640x480_out_camera_data.xml");
  ExpectErrors(
      efOpenCv,
      {
          {Replaced(yml, "0., 0., 1. ]", "0., 0., 1."), "malformed YAML", -1},
          {"%YAML:1.0\n- 1\n", "not a FileStorage map", 1},
          {Replaced(yml, "camera_matrix", "intrinsics"), "no camera matrix", 0},
          {Replaced(yml, "distortion_coefficients", "dist"), "no distortion_coefficients", 0},
          {Replaced(yml, "rows: 3", "rows: 2"), "camera_matrix must be 3 x 3", 11},
          {Replaced(yml, "rows: 5", "rows: 6"), "N 4, 5, 8, 12 or 14", 17},
          {Replaced(yml, "   rows: 5\n   cols: 1", "   rows: 2\n   cols: 2"), "N 4, 5", 17},
          {Replaced(yml, "2.3839153080878486e-01 ]", "2.3839153080878486e-01, 7 ]"),
           "holds 6 values", 17},
          {Replaced(yml, "0., 0., 1. ]", "0., 1., 1. ]"), "is not a camera matrix", 11},
          {Replaced(yml, "5.3591573396163199e+02, 0.", "fx, 0."), "\"fx\" is not a finite number",
           11},
          {Replaced(yml, "   rows: 3\n", ""), "camera_matrix has no rows", 11},
          {Replaced(yml, "data: [ 5.3591573396163199e+02, 0.,",
                    "dat: [ 5.3591573396163199e+02, 0.,"),
           "has no data list", 11},
          {Replaced(yml, "data: [ -2.66", "data: [ [1], -2.66"), "not a number", 21},
          {Replaced(yml, "image_width: 640", "image_width: wide"), "image_width", 4},
          {Replaced(yml, "image_width: 640", "image_width: [640]"), "image_width is not a number",
           4},
          {Replaced(Replaced(yml, "image_width: 640", "image_size: [640]"), "image_height: 480",
                    ""),
           "must hold width and height", 4},
          {Replaced(yml, "image_width: 640", "imagewidth: 640"), "no image size", 0},
          {Replaced(xml, "<rows>3</rows>", "<rows>three</rows>"), "camera_matrix rows", 15},
          {Replaced(xml, "</opencv_storage>", ""), "malformed XML", -1},
          {"<calibration/>", "no <opencv_storage>", 1},
          {Replaced(xml,
                    "<data>\n    560.83562584146046 0. 319.5 0. 560.83562584146046 239.5 0. 0. "
                    "1.</data>",
                    ""),
           "<camera_matrix> has no <data>", 15},
      });
  TExchangeImportOptions stereo;
  stereo.camera_id = "M3";
  ExpectErrors(efOpenCv, {{Replaced(yml, "camera_matrix", "M1"), "no camera matrix \"M3\"", 0}},
               stereo);
}

TEST(Malformed, ColmapLinesNameTheLineAndParameter) {
  ExpectErrors(
      efColmap,
      {
          {"# only a comment\n", "holds no camera", 0},
          {"1 PINHOLE 640\n", "needs CAMERA_ID MODEL WIDTH HEIGHT", 1},
          {"# c\n1 OPENCV_FISHEYE 640 480 1 1 1 1 0 0 0 0\n", "OPENCV_FISHEYE is not supported", 2},
          {"1 PINHOLE 640 480 500 500 320\n", "takes 4 parameters, not 3", 1},
          {"1 PINHOLE 640 480 500 5OO 320 240\n", "PINHOLE parameter 2", 1},
          {"1 PINHOLE -640 480 500 500 320 240\n", "WIDTH", 1},
          {"1 PINHOLE 640 480 500 500 320 240\r\n1 PINHOLE 640 480 500 500 320 240\n",
           "appears twice", 2},
          {"1 PINHOLE 640 480 0 500 320 240\n", "focal length must be above 0", 0},
          {"1 PINHOLE 0 480 500 500 320 240\n", "no image size", 0},
      });
}

TEST(Malformed, AgisoftElementsNameTheirLine) {
  const std::string xml = Sample("agisoft/libvideoio_Photoscan_d2_camera_1920x1080.xml");
  ExpectErrors(
      efAgisoft,
      {
          {Replaced(xml, "</calibration>", ""), "malformed XML", -1},
          {Replaced(xml, "<f>1430.15016509976</f>", ""), "<calibration> has no <f>", 2},
          {Replaced(xml, "<k1>-0.118322055927498</k1>", "<k1>-0,118</k1>"), "<k1>", 10},
          {Replaced(xml, "frame", "spherical"), "projection \"spherical\" is not supported", 2},
          {Replaced(xml, "<width>1920</width>", ""), "has no <width>", 2},
          {Replaced(xml, "<k2>", "<p3>1</p3><k2>"), "<p3> is not supported", 11},
          {"<document><chunk/></document>", "no <calibration> element", 1},
          {"<document><sensor id=\"0\"><calibration type=\"frame\"><resolution width=\"a\" "
           "height=\"1\"/><f>1</f></calibration></sensor></document>",
           "<resolution> width", 1},
      });
}

TEST(Malformed, MicMacElementsNameTheirLine) {
  const std::string xml = Sample("micmac/Calib-Sony-050_ModPhgrStd.xml");
  ExpectErrors(
      efMicMac,
      {
          {Replaced(xml, "<F>", "<Focale>"), "malformed XML", 6},
          {Replaced(xml, "<PP>3059.25228148867745 2021.66513284238931</PP>", ""), "has no <PP>", 3},
          {Replaced(xml, "<SzIm>6080 4048</SzIm>", "<SzIm>6080</SzIm>"), "<SzIm> holds 1 numbers",
           7},
          {Replaced(xml, "<SzIm>6080 4048", "<SzIm>6080.5 4048"), "<SzIm>", 7},
          {Replaced(xml, "eConvApero_DistM2C", "eConvOri"), "<KnownConv> eConvOri is not supported",
           4},
          {Replaced(Replaced(xml, "ModPhgrStd>", "ModUnif>"), "ModPhgrStd>", "ModUnif>"),
           "<ModUnif> is not supported", 8},
          {Replaced(xml, "</CalibDistortion>", "</CalibDistortion><CalibDistortion/>"), "chained",
           8},
          {Replaced(xml, "<CoeffDist>5.7",
                    "<CoeffDist>1</CoeffDist><CoeffDist>1</CoeffDist>"
                    "<CoeffDist>1</CoeffDist><CoeffDist>5.7"),
           "more than 5 <CoeffDist>", 14},
          {"<Other/>", "no <CalibrationInternConique>", 1},
      });
}

TEST(Malformed, TsaiLinesNameTheirKey) {
  const std::string tsai = Sample("asp/vw-test_pinhole_AN_Photometrix.tsai");
  ExpectErrors(
      efTsai,
      {
          {Replaced(tsai, "fu = 28.388999999999999\n", ""), "missing \"fu\"", 0},
          {Replaced(tsai, "fv = 28.388999999999999", "fv = 28,4"), "fv", 3},
          {Replaced(tsai, "cu = 17.9712", "cu = 17.9712\ncu = 1"), "\"cu\" appears twice", 5},
          {Replaced(tsai, "u_direction = 1 0 0", "u_direction = 0 1 0"), "u_direction must be", 6},
          {Replaced(tsai, "pitch = 0.0064000000000000003", "pitch = 0"), "pitch must be above 0",
           11},
          {Replaced(tsai, "Photometrix", "RPC"), "lens model RPC is not supported", 12},
          {Replaced(tsai, "xp = ", "xp lies = "), "expected \"key = value\"", 13},
          {Replaced(tsai, "k2 = -2.00385e-07\n", ""), "missing \"k2\"", 12},
          {Replaced(tsai, "k1 = 0.00013180000000000001", "k1 = 1 2"), "\"k1\" must be one number",
           15},
          {Replaced(tsai, "b2 = 0", "b2 = 0\nPhotometrix"), "a second model name", 22},
          {Replaced(tsai, "fv = 28.388999999999999", "fv = 28.4"), "fx and fy differ", 0},
      });
}

TEST(Malformed, OpenSfmNamesTheCameraAndKey) {
  const std::string json = Sample("opensfm/orthority-test_odm_fc6310r_brown_reconstruction.json");
  ExpectErrors(
      efOpenSfm,
      {
          {Replaced(json, "\"width\": 1368,", "\"width\": 1368"), "malformed JSON", 7},
          {Replaced(json, "\"k3\": -0.02581956399353581", "\"k4\": 0"), "has no \"k3\"", 0},
          {Replaced(json, "\"k1\": -0.2640629100413887", "\"k1\": \"-0.26\""),
           "\"k1\" is not a number", 0},
          {Replaced(json, "\"width\": 1368", "\"width\": -1368"),
           "\"width\" must be a whole number", 0},
          {Replaced(json, "\"projection_type\": \"brown\"", "\"projection_type\": \"fisheye\""),
           "projection_type \"fisheye\" is not supported", 0},
          {"\"camera\"", "neither a list of reconstructions", 0},
          {Replaced(json, "\"c_x\": -0.0015460447606643697", "\"c_x\": 1e308"),
           "principal point must be finite", 0},
          {"{\"cameras\": []}", "must be an object of cameras", 0},
          {"{\"a\": 1}", "camera \"a\" is not an object", 0},
          {"[{\"cameras\": {\"c\": {\"projection_type\": \"perspective\", \"width\": 4, "
           "\"height\": "
           "3, \"focal\": 1e999, \"k1\": 0, \"k2\": 0}}}]",
           "malformed JSON", -1},
      });
}

}  // namespace
