#pragma once

// The picture area of a camera and its distortion over that area.
//
// The frame, in camera coordinates (mm):
// - fiducial cameras: the bounding box of the fiducial marks;
// - digital cameras: the sensor, pixel_size × sensor_dims, centred on the
//   camera origin;
// - otherwise, about the principal point, a square of half-side R/√2 for
//   table distortion (R the largest table radius, so the whole square stays
//   inside the table) or of half-side focus/2;
// - none when the camera gives none of these.

#include <optional>
#include <string>
#include <vector>

#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/TransformHolder.h>
#include <LxStd/Transform2D.h>
#include <LxStd/Vec.h>

namespace lxcam {

using Point = vec_t_<double, 2>;

struct Frame {
  Point min;  // camera coordinates, mm
  Point max;
  std::string basis;  // how the frame was found, for display ("fiducial extent")
};

// Explanation of the frame rules above, for help texts.
extern const char* const kFrameHelp;

std::optional<Frame> CameraFrame(const TLxCameraInfo& camera);

// The largest radius of the distortion's tables (both for dtDirected8); 0 for
// types without tables or with empty tables.
double LargestTableRadius(const TLxCameraDistortion& distortion);

// The camera's distortion alone, applied to camera coordinates minus the
// principal point (as CreateCamToMmTransform applies it). Empty for dtNone.
var_a_legacy::var_a<TLx2DTransform*> DistortionAboutPrincipalPoint(const TLxCameraInfo& camera);

// Displacement D(q) − q (mm) of each camera point p, q = p − principal point,
// through `distortion` from DistortionAboutPrincipalPoint (zero when empty).
std::vector<Point> Displacements(const var_a_legacy::var_a<TLx2DTransform*>& distortion,
                                 const TLxCameraInfo& camera, const std::vector<Point>& points_cam);

// `nx` × `ny` points spread evenly over the frame, edges included, row by row.
std::vector<Point> FrameGrid(const Frame& frame, int nx, int ny);

struct Peak {
  double size_mm = 0.0;  // length of the largest displacement; NaN if none could be evaluated
  Point at_cam;          // where it occurs, camera coordinates (mm)
};

// The largest distortion over a 101 × 101 grid of the frame.
Peak LargestDistortion(const TLxCameraInfo& camera, const Frame& frame);

}  // namespace lxcam
