#include "Frame.h"

#include <algorithm>
#include <cmath>

#include <LxCameraUtils/CameraGeometry.h>

namespace lxcam {

const char* const kFrameHelp =
    "The frame is the picture area in camera coordinates: the bounding box of the fiducial\n"
    "marks for fiducial cameras; the sensor (pixel_size x sensor_dims, placed as\n"
    "digital_camera_origin says) for digital cameras; otherwise a square about the principal\n"
    "point of half-side R/sqrt(2) for table distortion (R the largest table radius) or focus/2.";

namespace {

const char* Basis(TFrameRule rule) {
  switch (rule) {
    case frFiducialExtent:
      return "fiducial extent";
    case frSensorExtent:
      return "sensor extent";
    case frTableSquare:
      return "square inside the distortion table";
    default:
      return "square of focus/2";
  }
}

constexpr int kGrid = 101;  // odd, so the frame's centre lines are sampled

// The longest of the vectors a[i] − b[i] and the grid point where it lies.
Peak Longest(const std::vector<Point>& grid, const std::vector<Point>& a,
             const std::vector<Point>& b) {
  Peak peak{std::nan(""), {}};
  for (std::size_t i = 0; i < grid.size(); ++i) {
    const double size = std::hypot(a[i].x - b[i].x, a[i].y - b[i].y);
    if (std::isnan(size)) continue;
    if (std::isnan(peak.size_mm) || size > peak.size_mm) peak = {size, grid[i]};
  }
  return peak;
}

}  // namespace

std::optional<Frame> CameraFrame(const TLxCameraInfo& camera) {
  const TLxCameraFrame frame = GetCameraFrame(camera);
  if (frame.rule == frNone) return std::nullopt;
  return Frame{frame.lower, frame.upper, Basis(frame.rule)};
}

double FrameReach(const Frame& frame, const Point& centre) {
  double reach = 0.0;
  for (const Point& corner :
       {frame.min, frame.max, Point{frame.min.x, frame.max.y}, Point{frame.max.x, frame.min.y}})
    reach = std::max(reach, std::hypot(corner.x - centre.x, corner.y - centre.y));
  return reach;
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
  const std::vector<Point> grid = FrameGrid(frame, kGrid, kGrid);
  return Longest(grid, Displacements(DistortionAboutPrincipalPoint(camera), camera, grid),
                 std::vector<Point>(grid.size()));
}

Peak LargestDeviation(const TLxCameraInfo& a, const TLxCameraInfo& b, const Frame& frame) {
  const std::vector<Point> grid = FrameGrid(frame, kGrid, kGrid);
  return Longest(grid, Displacements(DistortionAboutPrincipalPoint(a), a, grid),
                 Displacements(DistortionAboutPrincipalPoint(b), b, grid));
}

}  // namespace lxcam
