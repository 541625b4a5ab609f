#include <LxCameraUtils/CameraFrame.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "camera/TableRadius.h"

namespace lxcu::internal {

namespace {

double LastRadius(const auto& rows) {
  double r = 0.0;
  for (const auto& row : rows)
    if (std::isfinite(row.r)) r = std::max(r, row.r);
  return r;
}

}  // namespace

double LargestTableRadius(const TLxCameraDistortion& d) noexcept {
  switch (d.type) {
    case dtRadial:
      return LastRadius(d.table_r);
    case dtDirected4Plus:
      return LastRadius(d.table_plus);
    case dtDirected4X:
      return LastRadius(d.table_x);
    case dtDirected8:
      return std::max(LastRadius(d.table_plus), LastRadius(d.table_x));
    default:
      return 0.0;
  }
}

}  // namespace lxcu::internal

namespace {

using P = vec_t_<double, 2>;
using Frame = std::optional<TLxCameraFrame>;

// The rectangle, when it is finite and not empty.
Frame Checked(const P& lower, const P& upper, TFrameRule rule) {
  const bool finite = std::isfinite(lower.x) && std::isfinite(lower.y) && std::isfinite(upper.x) &&
                      std::isfinite(upper.y);
  if (!finite || !(lower.x < upper.x && lower.y < upper.y)) return std::nullopt;
  return TLxCameraFrame{lower, upper, rule};
}

Frame FiducialExtent(const TLxCameraInfo& camera) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  P lower{kInf, kInf}, upper{-kInf, -kInf};
  for (const TFiducial& f : camera.fiducials) {
    const P& p = f.coords_cam;
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
    lower = {std::min(lower.x, p.x), std::min(lower.y, p.y)};
    upper = {std::max(upper.x, p.x), std::max(upper.y, p.y)};
  }
  return Checked(lower, upper, frFiducialExtent);
}

// Where the interior orientation puts the sensor's lower-left corner, as a
// multiple of the sensor's size.
std::optional<P> SensorCorner(TDigitalCameraOrigin origin) {
  switch (origin) {
    case dcoCenter:
      return P{-0.5, -0.5};
    case dcoLowerLeft:
      return P{0.0, 0.0};
    case dcoUpperLeft:
      return P{0.0, -1.0};
    default:
      return std::nullopt;
  }
}

Frame SensorExtent(const TLxCameraInfo& camera) {
  const std::optional<P> corner = SensorCorner(camera.digital_camera_origin);
  const P size{camera.pixel_size.x * static_cast<double>(camera.sensor_dims.x),
               camera.pixel_size.y * static_cast<double>(camera.sensor_dims.y)};
  if (!corner || !(camera.pixel_size.x > 0.0 && camera.pixel_size.y > 0.0)) return std::nullopt;
  const P lower{corner->x * size.x, corner->y * size.y};
  return Checked(lower, lower + size, frSensorExtent);
}

Frame SquareAboutPrincipalPoint(const TLxCameraInfo& camera) {
  const double table = lxcu::internal::LargestTableRadius(camera.distortion);
  const bool from_table = table > 0.0;
  const double half = from_table ? table / std::sqrt(2.0) : camera.focus / 2.0;
  if (!(half > 0.0)) return std::nullopt;
  const P pp = camera.principal_point;
  return Checked(pp - P{half, half}, pp + P{half, half},
                 from_table ? frTableSquare : frFocusSquare);
}

}  // namespace

TLxCameraFrame GetCameraFrame(const TLxCameraInfo& camera) noexcept {
  Frame frame;
  if (camera.type == ctFiducials) frame = FiducialExtent(camera);
  if (camera.type == ctDigital) frame = SensorExtent(camera);
  if (!frame) frame = SquareAboutPrincipalPoint(camera);
  return frame.value_or(TLxCameraFrame{});
}
