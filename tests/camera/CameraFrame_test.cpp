#include <LxCameraUtils/CameraFrame.h>

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

// A camera of focal length 100 mm, principal point (1, -2).
TLxCameraInfo Camera(TCameraType type) {
  TLxCameraInfo c;
  c.type = type;
  c.focus = 100.0;
  c.principal_point = {1.0, -2.0};
  return c;
}

TLxCameraInfo Fiducials(TCameraType type, const std::vector<P>& at) {
  TLxCameraInfo c = Camera(type);
  for (const P& p : at)
    c.fiducials.push_back({static_cast<int>(c.fiducials.size()) + 1, p, 0});
  return c;
}

TLxCameraInfo Sensor(TDigitalCameraOrigin origin, double pixel_mm = 0.005) {
  TLxCameraInfo c = Camera(ctDigital);
  c.pixel_size = {pixel_mm, pixel_mm};
  c.sensor_dims = {1000, 800};  // 5 mm x 4 mm at 5 µm
  c.digital_camera_origin = origin;
  return c;
}

TLxCameraInfo RadialTable(TLxCameraInfo c, const std::vector<double>& radii,
                          TDistortionType type = dtRadial) {
  c.distortion.type = type;
  for (double r : radii)
    c.distortion.table_r.push_back({r, 0.001});
  return c;
}

TLxCameraInfo Changed(TLxCameraInfo c, const std::function<void(TLxCameraInfo&)>& change) {
  change(c);
  return c;
}

}  // namespace

TEST(GetCameraFrame, TakesTheFirstRuleThatGivesAFiniteRectangle) {
  struct TFrame {
    TFrameRule rule;
    P lower, upper;
  };
  const double s = 40.0 / std::sqrt(2.0);  // half-side inside a 40 mm table
  const TFrame focus{frFocusSquare, {-49, -52}, {51, 48}}, none{frNone, {}, {}};
  const TFrame table{frTableSquare, {1 - s, -2 - s}, {1 + s, -2 + s}};
  const TLxCameraInfo marks_on_a_line = Fiducials(ctFiducials, {{-110, 0}, {110, 0}});
  const struct {
    const char* what;
    TLxCameraInfo camera;
    TFrame want;
  } cases[] = {
      {"marks, one not finite",
       Fiducials(ctFiducials, {{-110, 3}, {112, -111}, {kNaN, 500}}),
       {frFiducialExtent, {-110, -111}, {112, 3}}},
      {"marks on a line, so the table square", RadialTable(marks_on_a_line, {10, 40}), table},
      {"one mark", Fiducials(ctFiducials, {{5, 5}}), focus},
      {"marks of another camera type", Fiducials(ctCross, {{-110, 3}, {112, -111}}), focus},
      {"sensor centred", Sensor(dcoCenter), {frSensorExtent, {-2.5, -2}, {2.5, 2}}},
      {"sensor from its lower left", Sensor(dcoLowerLeft), {frSensorExtent, {0, 0}, {5, 4}}},
      {"sensor from its upper left", Sensor(dcoUpperLeft), {frSensorExtent, {0, -4}, {5, 0}}},
      {"sensor of an unknown origin", Sensor(TDigitalCameraOrigin{7}), focus},
      {"pixels of no size", Sensor(dcoCenter, 0.0), focus},
      {"pixels of infinite size", Sensor(dcoCenter, kInf), focus},
      {"a table with a radius not finite",
       RadialTable(Camera(ctPrincipalPoint), {40, 10, kInf, kNaN}), table},
      {"eight directions, the larger table",
       Changed(Camera(ctPrincipalPoint),
               [](auto& c) {
                 c.distortion.type = dtDirected8;
                 c.distortion.table_plus = {Row{30, {}}};
                 c.distortion.table_x = {Row{10, {}}, Row{40, {}}};
               }),
       table},
      {"a table the type does not use",
       RadialTable(Camera(ctPrincipalPoint), {40}, dtDirected4Plus), focus},
      {"an empty table", RadialTable(Camera(ctPrincipalPoint), {}), focus},
      {"no focal length", Changed(Camera(ctPrincipalPoint), [](auto& c) { c.focus = 0; }), none},
      {"an infinite focal length",
       Changed(Camera(ctPrincipalPoint), [](auto& c) { c.focus = kInf; }), none},
      {"no principal point", Changed(Camera(ctCross), [](auto& c) { c.principal_point.x = kNaN; }),
       none},
      {"no type", Camera(TCameraType{0}), focus},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const TLxCameraFrame frame = GetCameraFrame(c.camera);
    EXPECT_EQ(frame.rule, c.want.rule);
    EXPECT_TRUE(frame.lower == c.want.lower && frame.upper == c.want.upper)
        << frame.lower.x << " " << frame.lower.y << " .. " << frame.upper.x << " " << frame.upper.y;
  }
}
