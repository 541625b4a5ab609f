// lxcam solve, check and transform on an image's pixels, checked against the
// library's own solution.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include <LxCameraUtils/LxCameraUtils.h>
#include <nlohmann/json.hpp>

#include "LxcamRun.h"

namespace {

using namespace lxcam_test;
using testing::HasSubstr;

const std::string kScan = kExamples + "film-usgs-report-formula.xini";
const std::string kScanMeas = kExamples + "film-usgs-report-formula.meas.xini";
const std::string kDigital = kExamples + "digital-frame-formula.xini";

TLxIntOrMeas LoadMeas(const std::string& text) {
  return RecordOf<TLxIntOrMeas>(text, "int_or_meas");
}

// A measurement document of fiducial marks at `pixels`, numbered from 1.
std::string FiducialMeas(const std::vector<Point>& pixels) {
  std::string text = "int_or_meas {\n  camera_type = \"Fiducials\"\n  points {\n";
  for (std::size_t i = 0; i < pixels.size(); ++i)
    text += "    { index = " + std::to_string(i + 1) + ", coords_pix { x = " + Number(pixels[i].x) +
            ", y = " + Number(pixels[i].y) + " } }\n";
  return text + "  }\n  rotation = \"\"\n  transform_type = \"Affine\"\n}\n";
}

TEST_F(Lxcam, SolveCheckAndTransformAnswerWithTheirExitStatuses) {
  Write("two.meas.xini", FiducialMeas({{620, 660}, {15761, 608}}));
  // Four marks on the image's diagonal.
  Write("line.meas.xini", FiducialMeas({{100, 100}, {16000, 16000}, {8000, 8000}, {4000, 4000}}));
  Write("twice.meas.xini", FiducialMeas({{620, 660}, {620.2, 660}, {15761, 608}, {673, 15803}}));
  const std::string cross = kExamples + "cross-directed4x";
  const struct {
    std::string args;
    int status;
    std::string out, err;  // expected inside standard output and error
  } cases[] = {
      {"solve " + kScan + " " + kScanMeas, 0, "mirrored          yes", ""},
      {"solve " + kScan + " " + kScanMeas + " --transform projective", 0,
       "fix the projective transform exactly", ""},
      {"solve " + kScan + " " + Temp("two.meas.xini"), 1, "", "cannot solve"},
      {"solve " + kScan + " " + Temp("two.meas.xini") + " --transform similarity", 0, "", ""},
      {"solve " + kScan + " " + Temp("line.meas.xini"), 1, "", "too close to one line"},
      {"solve " + kScan + " " + Temp("twice.meas.xini"), 1, "", "1 px"},
      {"solve " + kScan + " " + kScanMeas + " --transform shear", 2, "", "--transform"},
      {"solve " + cross + ".xini " + cross + ".meas.xini --transform affine", 2, "",
       "applies to Fiducials and CalibratedCross cameras"},
      {"solve " + kScan + " " + kScanMeas + " --json -o -", 2, "", "both want standard output"},
      {"solve " + kScan + " " + kScanMeas + " -o " + kScanMeas, 2, "", "pass --force"},
      {"solve " + kScan + " " + kScan, 2, "", "no section \"int_or_meas\""},
      {"check " + kScan + " " + kScanMeas, 0, "ready\n  IntOrReady: ready\n  SolveIntOr: solved",
       ""},
      {"check " + kScan + " " + Temp("twice.meas.xini"), 1,
       "not ready: marks 1 and 2 lie less than 1 px apart", ""},
      {"check " + kScan + " " + Temp("twice.meas.xini"), 1, "IntOrReady: ready\n", ""},
      {"transform " + kScan + " --meas " + Temp("line.meas.xini"), 1, "", "too close to one line"},
      {"transform " + kScan + " --from-pixels", 2, "", "--from-pixels needs a Digital camera"},
      {"plot " + kScan + " --meas " + kScanMeas + " -o -", 0, "arrows exaggerated 10000 times", ""},
      {"plot " + kScan + " --meas " + Temp("two.meas.xini") + " -o -", 1, "", "cannot solve"},
      {"transform " + kScan + " --from-pixels --meas " + kScanMeas, 2, "", "excludes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("lxcam " + c.args);
    const Result r = Run(c.args, "1 2\n");
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_THAT(r.out, HasSubstr(c.out));
    EXPECT_THAT(r.err, HasSubstr(c.err));
  }
}

TEST_F(Lxcam, SolveJsonHoldsTheLibrarysSolution) {
  const TLxCameraInfo camera = LoadCamera(kScan);
  TLxIntOrMeas meas = LoadMeas(ReadText(kScanMeas));
  for (const auto& [name, type] : {std::pair{"similarity", ttSimilarity},
                                   {"affine", ttAffine},
                                   {"projective", ttProjective}}) {
    SCOPED_TRACE(name);
    meas.transform_type = type;
    const TLxIntOrSolution s = SolveIntOrE(camera, meas);
    const Result r = Run("solve " + kScan + " " + kScanMeas + " --json --transform " + name);
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j.at("transform"), name);
    const TPlaneTransform& t = s.pix_to_cam;
    std::vector<double> parameters = {t.a0, t.a1, t.a2, t.a3, t.a4, t.a5};
    if (type == ttProjective) parameters.insert(parameters.end(), {t.c0, t.c1});
    // Numbers are written to read back to the same double.
    EXPECT_EQ(j.at("parameters").get<std::vector<double>>(), parameters);
    EXPECT_EQ(j.at("rms_px"), s.rms_px);
    EXPECT_EQ(j.at("rms_um"), s.rms_um);
    EXPECT_EQ(j.at("max_residual_px"), s.max_residual_px);
    EXPECT_EQ(j.at("redundancy"), s.redundancy);
    EXPECT_EQ(j.at("mirrored"), s.mirrored);
    EXPECT_EQ(j.at("scale_um_per_px"),
              nlohmann::json::array({s.scale_um_per_px.x, s.scale_um_per_px.y}));
    EXPECT_EQ(j.at("rotation_deg"), s.rotation_deg);
    EXPECT_EQ(j.at("shear_deg"), s.shear_deg);
    EXPECT_EQ(j.at("warnings").get<std::vector<std::string>>(), s.warnings);
    ASSERT_EQ(j.at("marks").size(), s.marks.size());
    for (std::size_t i = 0; i < s.marks.size(); ++i) {
      const nlohmann::json& m = j.at("marks")[i];
      EXPECT_EQ(m.at("index"), s.marks[i].index);
      EXPECT_EQ(m.at("residual_px"),
                nlohmann::json::array({s.marks[i].residual_pix.x, s.marks[i].residual_pix.y}));
      EXPECT_EQ(m.at("residual_um"),
                nlohmann::json::array({s.marks[i].residual_um.x, s.marks[i].residual_um.y}));
    }
  }
}

TEST_F(Lxcam, TransformsPixelsToMillimetresAndBackAsTheLibraryDoes) {
  const TLxCameraInfo camera = LoadCamera(kScan);
  const TLxIntOrSolution solution = SolveIntOrE(camera, LoadMeas(ReadText(kScanMeas)));
  std::vector<Point> pixels;  // over the 16 400 px scan and a little beyond
  for (double x = -100.5; x < 16600; x += 1670.25)
    for (double y = -50.25; y < 16600; y += 1830.5)
      pixels.push_back({x, y});
  const Result to_mm = Run("transform " + kScan + " --meas " + kScanMeas, PointsText(pixels));
  ASSERT_EQ(to_mm.status, 0) << to_mm.err;
  const std::vector<Point> mm = ParsePoints(to_mm.out);
  std::vector<Point> want(pixels.size());
  CreatePixToMmTransform(camera, solution)
      ->TransformPoints(pixels.data(), want.data(), want.size());
  EXPECT_EQ(mm, want);
  EXPECT_LT(Farthest(mm, std::vector<Point>(mm.size())), 170.0);  // inside the frame's reach
  const Result back = Run("transform " + kScan + " --meas " + kScanMeas + " --inverse", to_mm.out);
  EXPECT_LT(Farthest(ParsePoints(back.out), pixels), 1e-9) << back.err;  // the inverse's promise
}

TEST_F(Lxcam, PlacesADigitalCamerasPixelsByItsSensorAndMapsBackWithoutMeasurements) {
  // 14204 × 10652 pixels of 4.6 µm, origin at the centre: the sensor's centre
  // and the outer corners of its corner pixels, as camera mm.
  const double w = 14204 * 0.0046 / 2, h = 10652 * 0.0046 / 2;
  const std::vector<Point> pixels = {{7101.5, 5325.5}, {-0.5, -0.5}, {14203.5, 10651.5}};
  const std::vector<Point> camera_mm = {{0, 0}, {-w, h}, {w, -h}};
  const Result from_pixels = Run("transform " + kDigital + " --from-pixels", PointsText(pixels));
  const Result from_camera = Run("transform " + kDigital, PointsText(camera_mm));
  ASSERT_EQ(from_pixels.status, 0) << from_pixels.err;
  // A pixel step is 4.6e-3 mm.
  EXPECT_LT(Farthest(ParsePoints(from_pixels.out), ParsePoints(from_camera.out)), 1e-9);
  const Result to_pixels =
      Run("transform " + kDigital + " --from-pixels --inverse", from_pixels.out);
  const Result to_camera = Run("transform " + kDigital + " --inverse", from_camera.out);
  EXPECT_LT(Farthest(ParsePoints(to_pixels.out), pixels), 1e-9) << to_pixels.err;
  EXPECT_LT(Farthest(ParsePoints(to_camera.out), camera_mm), 1e-9) << to_camera.err;
}

TEST_F(Lxcam, SolveWritesTheResidualsIntoTheMeasurementsAndKeepsTheRestOfTheDocument) {
  const std::string head = "# scan 0815, measured twice\n";
  const std::string tail = "notes {\n  operator = \"A. N.\"  # kept as written\n}\n";
  const std::string original = head + ReadText(kScanMeas) + tail;
  Write("scan.meas.xini", original);
  const Result r = Run("solve " + kScan + " " + Temp("scan.meas.xini") + " -o " + Temp("out.xini"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, HasSubstr("wrote " + Temp("out.xini")));
  EXPECT_EQ(ReadText(Temp("scan.meas.xini")), original);
  const std::string written = ReadText(Temp("out.xini"));
  EXPECT_TRUE(written.starts_with(head));
  EXPECT_TRUE(written.ends_with(tail));

  const TLxIntOrMeas meas = LoadMeas(original);
  const TLxIntOrMeas filled = LoadMeas(written);
  const TLxIntOrSolution solution = SolveIntOrE(LoadCamera(kScan), meas);
  ASSERT_EQ(filled.points.size(), meas.points.size());
  for (std::size_t i = 0; i < meas.points.size(); ++i) {
    EXPECT_EQ(filled.points[i].coords_pix, meas.points[i].coords_pix);
    EXPECT_EQ(filled.points[i].residuals_pix, solution.marks[i].residual_pix);
    EXPECT_GT(std::hypot(filled.points[i].residuals_pix.x, filled.points[i].residuals_pix.y), 0.0);
  }
  // The written document solves to the same transform.
  EXPECT_EQ(SolveIntOrE(LoadCamera(kScan), filled).pix_to_cam, solution.pix_to_cam);
}

}  // namespace
