#include "Frame.h"

#include <algorithm>
#include <cmath>

#include <LxCameraUtils/CameraGeometry.h>

namespace lxcam {

const char* const kFrameHelp =
    "The frame is the picture area in camera coordinates: the bounding box of the fiducial\n"
    "marks for fiducial cameras; the sensor (pixel_size x sensor_dims, centred on the camera\n"
    "origin) for digital cameras; otherwise a square about the principal point of half-side\n"
    "R/sqrt(2) for table distortion (R the largest table radius) or focus/2.";

namespace {

bool Positive(double v) {
  return v > 0.0 && std::isfinite(v);
}

std::optional<Frame> FiducialExtent(const TLxCameraInfo& camera) {
  if (camera.fiducials.size() < 2) return std::nullopt;
  Frame frame{camera.fiducials[0].coords_cam, camera.fiducials[0].coords_cam, "fiducial extent"};
  for (const TFiducial& f : camera.fiducials) {
    frame.min = {std::min(frame.min.x, f.coords_cam.x), std::min(frame.min.y, f.coords_cam.y)};
    frame.max = {std::max(frame.max.x, f.coords_cam.x), std::max(frame.max.y, f.coords_cam.y)};
  }
  if (!(frame.max.x > frame.min.x && frame.max.y > frame.min.y)) return std::nullopt;
  return frame;
}

std::optional<Frame> SensorExtent(const TLxCameraInfo& camera) {
  const Point half{camera.pixel_size.x * static_cast<double>(camera.sensor_dims.x) / 2.0,
                   camera.pixel_size.y * static_cast<double>(camera.sensor_dims.y) / 2.0};
  if (!Positive(half.x) || !Positive(half.y)) return std::nullopt;
  return Frame{Point{-half.x, -half.y}, half, "sensor extent"};
}

std::optional<Frame> SquareAboutPrincipalPoint(const TLxCameraInfo& camera) {
  const double table_radius = LargestTableRadius(camera.distortion);
  const bool from_table = Positive(table_radius);
  const double half = from_table ? table_radius / std::sqrt(2.0) : camera.focus / 2.0;
  if (!Positive(half)) return std::nullopt;
  const Point pp = camera.principal_point;
  return Frame{Point{pp.x - half, pp.y - half}, Point{pp.x + half, pp.y + half},
               from_table ? "square inside the distortion table" : "square of focus/2"};
}

double LastRadius(const auto& rows) {
  double r = 0.0;
  for (const auto& row : rows)
    if (std::isfinite(row.r)) r = std::max(r, row.r);
  return r;
}

}  // namespace

std::optional<Frame> CameraFrame(const TLxCameraInfo& camera) {
  std::optional<Frame> frame;
  if (camera.type == ctFiducials) frame = FiducialExtent(camera);
  if (camera.type == ctDigital) frame = SensorExtent(camera);
  return frame ? frame : SquareAboutPrincipalPoint(camera);
}

double LargestTableRadius(const TLxCameraDistortion& d) {
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

var_a_legacy::var_a<TLx2DTransform*> DistortionAboutPrincipalPoint(const TLxCameraInfo& camera) {
  return CreateCameraDistortionTransform(
      camera.distortion, camera.distortion.symmetry_point - camera.principal_point, camera.focus);
}

std::vector<Point> Displacements(const var_a_legacy::var_a<TLx2DTransform*>& distortion,
                                 const TLxCameraInfo& camera,
                                 const std::vector<Point>& points_cam) {
  std::vector<Point> in(points_cam.size());
  std::transform(points_cam.begin(), points_cam.end(), in.begin(),
                 [&](const Point& p) { return p - camera.principal_point; });
  if (!distortion) return std::vector<Point>(in.size());
  std::vector<Point> out(in.size());
  distortion->TransformPoints(in.data(), out.data(), in.size());
  for (std::size_t i = 0; i < out.size(); ++i)
    out[i] = out[i] - in[i];
  return out;
}

std::vector<Point> FrameGrid(const Frame& frame, int nx, int ny) {
  std::vector<Point> grid;
  grid.reserve(static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny));
  const auto along = [](double lo, double hi, int i, int n) {
    return n < 2 ? (lo + hi) / 2.0 : lo + (hi - lo) * i / (n - 1);
  };
  for (int j = 0; j < ny; ++j)
    for (int i = 0; i < nx; ++i)
      grid.push_back(
          {along(frame.min.x, frame.max.x, i, nx), along(frame.min.y, frame.max.y, j, ny)});
  return grid;
}

Peak LargestDistortion(const TLxCameraInfo& camera, const Frame& frame) {
  constexpr int kGrid = 101;  // odd, so the frame's centre lines are sampled
  const std::vector<Point> grid = FrameGrid(frame, kGrid, kGrid);
  const std::vector<Point> shift =
      Displacements(DistortionAboutPrincipalPoint(camera), camera, grid);
  Peak peak{std::nan(""), {}};
  for (std::size_t i = 0; i < grid.size(); ++i) {
    const double size = std::hypot(shift[i].x, shift[i].y);
    if (std::isnan(size)) continue;
    if (std::isnan(peak.size_mm) || size > peak.size_mm) peak = {size, grid[i]};
  }
  return peak;
}

}  // namespace lxcam
