// lxcam import, export and compare as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "LxcamRun.h"

namespace {

namespace fs = std::filesystem;
using lxcam_test::Result;

const std::string kInterop = LX_INTEROP_DIR;

class LxcamExchange : public lxcam_test::Lxcam {};

TEST_F(LxcamExchange, ImportsExportsAndComparesBackToTheFile) {
  const std::string sample = kInterop + "/colmap/render2loc-5cams_FULL_OPENCV_cameras.txt";
  const Result imported = Run("import colmap " + sample + " --camera 4 --pixel-size 0.00376 -o " +
                              Temp("cam.xini") + " --json");
  ASSERT_EQ(imported.status, 0) << imported.err;
  const nlohmann::json report = nlohmann::json::parse(imported.out);
  EXPECT_TRUE(report.at("exact").get<bool>());
  EXPECT_EQ(report.at("max_deviation_um").get<double>(), 0.0);

  const Result exported = Run("export opencv " + Temp("cam.xini") + " -o " + Temp("cam.yml"));
  ASSERT_EQ(exported.status, 0) << exported.err;
  EXPECT_NE(exported.out.find("exact: model 5"), std::string::npos) << exported.out;

  const Result compared =
      Run("compare opencv:" + Temp("cam.yml") + " colmap:" + sample + " --camera-b 4 --json");
  ASSERT_EQ(compared.status, 0) << compared.err;
  EXPECT_LT(nlohmann::json::parse(compared.out).at("max_deviation_px").get<double>(), 1e-9);
}

TEST_F(LxcamExchange, CompareConfirmsTheDeviationAFittedImportReports) {
  const std::string sample = kInterop + "/agisoft/libvideoio_Photoscan_d2_camera_1920x1080.xml";
  const Result imported = Run("import agisoft " + sample + " -o " + Temp("cam.xini") + " --json");
  ASSERT_EQ(imported.status, 0) << imported.err;
  const double reported = nlohmann::json::parse(imported.out).at("max_deviation_px").get<double>();
  const Result compared = Run("compare agisoft:" + sample + " " + Temp("cam.xini") + " --json");
  ASSERT_EQ(compared.status, 0) << compared.err;
  EXPECT_NEAR(nlohmann::json::parse(compared.out).at("max_deviation_px").get<double>(), reported,
              1e-9);
}

TEST_F(LxcamExchange, AMalformedFileNamesFileAndLineAndWritesNothing) {
  std::ofstream(Temp("bad.txt")) << "# cameras\n1 PINHOLE 640 480 500 x 320 240\n";
  const struct {
    std::string args, err;
  } cases[] = {
      {"import colmap " + Temp("bad.txt") + " -o " + Temp("out.xini"),
       Temp("bad.txt") + ": line 2: PINHOLE parameter 2"},
      {"import colmap " + Temp("none.txt") + " -o " + Temp("out.xini"), "cannot open"},
      {"import tsai " + Temp("bad.txt") + " --image-size 12 -o " + Temp("out.xini"),
       "--image-size must be WxH"},
      {"export opencv " + Temp("bad.txt") + " -o " + Temp("out.xini"), Temp("bad.txt")},
      {"compare " + Temp("none.xini") + " colmap:" + Temp("bad.txt"), "none.xini"},
  };
  for (const auto& c : cases) {
    const Result r = Run(c.args);
    EXPECT_EQ(r.status, 2) << c.args;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(Temp("out.xini"))) << c.args;
  }
}

}  // namespace
