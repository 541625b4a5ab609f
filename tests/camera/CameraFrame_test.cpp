#include <LxCameraUtils/CameraFrame.h>
#include <LxCameraUtils/IntOrSolution.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

using P = vec_t_<double, 2>;
using Row = TLxCameraDistortion::TDirectedTableRow;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A camera of focal length 100 mm, principal point (1, -2), which `change` completes.
TLxCameraInfo Camera(TCameraType type, const std::function<void(TLxCameraInfo&)>& change) {
  TLxCameraInfo c;
  c.type = type;
  c.focus = 100.0;
  c.principal_point = {1.0, -2.0};
  change(c);
  return c;
}

void Fiducials(TLxCameraInfo& c, const std::vector<P>& at) {
  for (const P& p : at)
    c.fiducials.push_back({static_cast<int>(c.fiducials.size()) + 1, p, 0});
}

void Sensor(TLxCameraInfo& c, TDigitalCameraOrigin origin, double pixel_mm = 0.005) {
  c.pixel_size = {pixel_mm, pixel_mm};
  c.sensor_dims = {1000, 800};  // 5 mm x 4 mm at 5 µm
  c.digital_camera_origin = origin;
}

void RadialTable(TLxCameraInfo& c, const std::vector<double>& radii) {
  c.distortion.type = dtRadial;
  for (double r : radii)
    c.distortion.table_r.push_back({r, 0.001});
}

}  // namespace

TEST(GetCameraFrame, TakesTheFirstRuleThatGivesAFiniteRectangle) {
  const double s = 40.0 / std::sqrt(2.0);  // half-side inside a 40 mm table
  const struct {
    const char* what;
    TLxCameraInfo camera;
    TFrameRule rule;
    P lower, upper;
  } cases[] = {
      {"marks, one not finite",
       Camera(ctFiducials,
              [](auto& c) {
                Fiducials(c, {{-110, 3}, {112, -111}, {kNaN, 500}});
              }),
       frFiducialExtent,
       {-110, -111},
       {112, 3}},
      {"marks on a line, so the table square",
       Camera(ctFiducials,
              [](auto& c) {
                Fiducials(c, {{-110, 0}, {110, 0}}), RadialTable(c, {10, 40});
              }),
       frTableSquare,
       {1 - s, -2 - s},
       {1 + s, -2 + s}},
      {"one mark",
       Camera(ctFiducials,
              [](auto& c) {
                Fiducials(c, {{5, 5}});
              }),
       frFocusSquare,
       {-49, -52},
       {51, 48}},
      {"marks of another camera type",
       Camera(ctCross,
              [](auto& c) {
                Fiducials(c, {{-110, 3}, {112, -111}});
              }),
       frFocusSquare,
       {-49, -52},
       {51, 48}},
      {"sensor centred",
       Camera(ctDigital, [](auto& c) { Sensor(c, dcoCenter); }),
       frSensorExtent,
       {-2.5, -2},
       {2.5, 2}},
      {"sensor from its lower left",
       Camera(ctDigital, [](auto& c) { Sensor(c, dcoLowerLeft); }),
       frSensorExtent,
       {0, 0},
       {5, 4}},
      {"sensor from its upper left",
       Camera(ctDigital, [](auto& c) { Sensor(c, dcoUpperLeft); }),
       frSensorExtent,
       {0, -4},
       {5, 0}},
      {"sensor of an unknown origin",
       Camera(ctDigital, [](auto& c) { Sensor(c, TDigitalCameraOrigin{7}); }),
       frFocusSquare,
       {-49, -52},
       {51, 48}},
      {"pixels of no size",
       Camera(ctDigital, [](auto& c) { Sensor(c, dcoCenter, 0.0); }),
       frFocusSquare,
       {-49, -52},
       {51, 48}},
      {"pixels of infinite size",
       Camera(ctDigital, [](auto& c) { Sensor(c, dcoCenter, kInf); }),
       frFocusSquare,
       {-49, -52},
       {51, 48}},
      {"a table with a radius not finite",
       Camera(ctPrincipalPoint,
              [](auto& c) {
                RadialTable(c, {40, 10, kInf, kNaN});
              }),
       frTableSquare,
       {1 - s, -2 - s},
       {1 + s, -2 + s}},
      {"eight directions, the larger table",
       Camera(ctPrincipalPoint,
              [](auto& c) {
                c.distortion.type = dtDirected8;
                c.distortion.table_plus = {Row{30, {}}};
                c.distortion.table_x = {Row{10, {}}, Row{40, {}}};
              }),
       frTableSquare,
       {1 - s, -2 - s},
       {1 + s, -2 + s}},
      {"a table the type does not use",
       Camera(ctPrincipalPoint,
              [](auto& c) {
                RadialTable(c, {40});
                c.distortion.type = dtDirected4Plus;
              }),
       frFocusSquare,
       {-49, -52},
       {51, 48}},
      {"an empty table",
       Camera(ctPrincipalPoint, [](auto& c) { RadialTable(c, {}); }),
       frFocusSquare,
       {-49, -52},
       {51, 48}},
      {"no focal length", Camera(ctPrincipalPoint, [](auto& c) { c.focus = 0; }), frNone, {}, {}},
      {"an infinite focal length",
       Camera(ctPrincipalPoint, [](auto& c) { c.focus = kInf; }),
       frNone,
       {},
       {}},
      {"no principal point",
       Camera(ctCross, [](auto& c) { c.principal_point.x = kNaN; }),
       frNone,
       {},
       {}},
      {"no type", Camera(TCameraType{0}, [](auto&) {}), frFocusSquare, {-49, -52}, {51, 48}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const TLxCameraFrame frame = GetCameraFrame(c.camera);
    EXPECT_EQ(frame.rule, c.rule);
    EXPECT_TRUE(frame.lower == c.lower && frame.upper == c.upper)
        << frame.lower.x << " " << frame.lower.y << " .. " << frame.upper.x << " " << frame.upper.y;
  }
}

// The sensor frame is where the interior orientation puts the outer corners
// of the sensor's corner pixels, whatever the origin.
TEST(GetCameraFrame, PutsTheSensorWhereTheInteriorOrientationPutsIt) {
  TLxIntOrMeas meas;
  meas.camera_type = ctDigital;
  meas.rotation = cr0;
  for (const TDigitalCameraOrigin origin : {dcoCenter, dcoLowerLeft, dcoUpperLeft}) {
    SCOPED_TRACE(origin);
    const TLxCameraInfo camera = Camera(ctDigital, [&](auto& c) { Sensor(c, origin, 0.0064); });
    const TPlaneTransform to_cam = SolveIntOrE(camera, meas).pix_to_cam;
    const P a = to_cam.Apply({-0.5, -0.5}), b = to_cam.Apply({1000 - 0.5, 800 - 0.5});
    const TLxCameraFrame frame = GetCameraFrame(camera);
    constexpr double kRounding = 1e-12;  // mm, of the transform's arithmetic
    EXPECT_NEAR(frame.lower.x, std::min(a.x, b.x), kRounding);
    EXPECT_NEAR(frame.lower.y, std::min(a.y, b.y), kRounding);
    EXPECT_NEAR(frame.upper.x, std::max(a.x, b.x), kRounding);
    EXPECT_NEAR(frame.upper.y, std::max(a.y, b.y), kRounding);
  }
}
