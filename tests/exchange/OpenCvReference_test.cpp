// OpenCV itself as the reference: its projection of rays agrees with the
// imported cameras, and its FileStorage reads what the export writes.
#include <gtest/gtest.h>

#include <opencv2/calib3d.hpp>
#include <opencv2/core.hpp>

#include <charconv>

#include "Model.h"
#include "Support.h"

namespace {

using lxcu::internal::Point;

std::string Text(double v) {  // whatever the locale
  char buf[32];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

std::string Yaml(const std::vector<double>& k, const std::vector<double>& d) {
  std::string text = "%YAML:1.0\n---\nimage_width: 1280\nimage_height: 960\n";
  const auto matrix = [&](const char* key, const std::vector<double>& v, std::size_t rows) {
    text += std::string(key) + ": !!opencv-matrix\n   rows: " + std::to_string(rows) +
            "\n   cols: " + std::to_string(v.size() / rows) + "\n   dt: d\n   data: [";
    for (std::size_t i = 0; i < v.size(); ++i)
      text += (i ? ", " : " ") + Text(v[i]);
    text += " ]\n";
  };
  matrix("camera_matrix", k, 3);
  matrix("distortion_coefficients", d, 1);
  return text;
}

// Where OpenCV images a grid of rays, and where `camera` says each pixel looks.
double LargestRayError(const TExchangeCamera& camera, const std::vector<double>& k,
                       const std::vector<double>& d) {
  std::vector<cv::Point3d> rays;
  for (int j = -4; j <= 4; ++j)
    for (int i = -5; i <= 5; ++i)
      rays.emplace_back(0.08 * i, 0.08 * j, 1.0);
  std::vector<cv::Point2d> pixels;
  cv::projectPoints(rays, cv::Vec3d(), cv::Vec3d(), cv::Matx33d(k.data()), d, pixels);
  const lxcu::internal::ExchangeModel& m = camera.model();
  double worst = 0.0;
  for (std::size_t i = 0; i < rays.size(); ++i) {
    // OpenCV's pixel centres are integers; ours sit at +0.5.
    std::vector<Point> p = {m.sensor.PixelToCam({pixels[i].x + 0.5, pixels[i].y + 0.5}) -
                            m.principal_point};
    m.lens->ToIdeal(p, p);
    const Point ray{p[0].x / m.focus, -p[0].y / m.focus};  // back to y down
    worst = std::max(worst, std::hypot(ray.x - rays[i].x, ray.y - rays[i].y));
  }
  return worst;
}

const std::vector<double> kMatrix = {1000.0, 0.0, 655.5, 0.0, 1010.0, 470.25, 0.0, 0.0, 1.0};

TEST(OpenCvReference, AnExactImportSeesTheRaysOpenCvProjects) {
  const std::vector<double> d = {-0.21, 0.08, 0.0012, -0.0007, -0.015};
  const TExchangeImport imported = ImportCameraE(efOpenCv, Yaml(kMatrix, d), {});
  ASSERT_TRUE(imported.report.exact);
  EXPECT_LT(LargestRayError(TExchangeCamera(imported.camera), kMatrix, d), 1e-12);
}

TEST(OpenCvReference, TheFullModelMatchesOpenCvAndItsFitStaysClose) {
  // Rational, thin-prism and tilt terms: not term for term, so fitted.
  const std::vector<double> d = {-0.21, 0.08,  0.0012, -0.0007, -0.015, 0.01,  -0.02,
                                 0.005, 0.001, -0.002, 0.0015,  0.0005, 0.002, -0.001};
  const TExchangeImport imported = ImportCameraE(efOpenCv, Yaml(kMatrix, d), {});
  ASSERT_FALSE(imported.report.exact);
  EXPECT_LT(LargestRayError(imported.source, kMatrix, d), 1e-12);
  EXPECT_LT(LargestRayError(TExchangeCamera(imported.camera), kMatrix, d),
            2.0 * imported.report.max_deviation_px / 1000.0);
}

TEST(OpenCvReference, FileStorageReadsTheWrittenYamlAndXml) {
  const std::vector<double> d = {-0.21, 0.08, 0.0012, -0.0007, -0.015};
  const TLxCameraInfo camera = ImportCameraE(efOpenCv, Yaml(kMatrix, d), {}).camera;
  for (const bool xml : {false, true}) {
    TExchangeExportOptions options;
    options.xml = xml;
    const std::string text = ExportCameraE(efOpenCv, camera, options).text;
    cv::FileStorage fs(text, cv::FileStorage::READ | cv::FileStorage::MEMORY);
    ASSERT_TRUE(fs.isOpened()) << text;
    cv::Mat k, coefficients;
    fs["camera_matrix"] >> k;
    fs["distortion_coefficients"] >> coefficients;
    EXPECT_EQ(static_cast<int>(fs["image_width"]), 1280);
    for (int i = 0; i < 9; ++i)
      EXPECT_TRUE(lxtest::Near(k.at<double>(i), kMatrix[i], 1e-14));
    for (int i = 0; i < 5; ++i)
      EXPECT_TRUE(lxtest::Near(coefficients.at<double>(i), d[i], 1e-14)) << i;
  }
}

}  // namespace
