#pragma once

// The picture area of a camera (GetCameraFrame) and its distortion over that
// area.

#include <optional>
#include <string>
#include <vector>

#include <LxCameraUtils/CameraFrame.h>
#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/TransformHolder.h>
#include <LxStd/Transform2D.h>
#include <LxStd/Vec.h>

#include "camera/TableRadius.h"

namespace lxcam {

using Point = vec_t_<double, 2>;

struct Frame {
  Point min;  // camera coordinates, mm
  Point max;
  std::string basis;  // how the frame was found, for display ("fiducial extent")
};

// Explanation of the frame rules, for help texts.
extern const char* const kFrameHelp;

// The camera's frame by GetCameraFrame; none when no rule gives one.
std::optional<Frame> CameraFrame(const TLxCameraInfo& camera);

// The distance (mm) of the frame's farthest corner from `centre`.
double FrameReach(const Frame& frame, const Point& centre);

using lxcu::internal::LargestTableRadius;

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
  double size_mm = 0.0;  // length of the largest vector; NaN if none could be evaluated
  Point at_cam;          // where it occurs, camera coordinates (mm)
};

// The largest distortion over a 101 × 101 grid of the frame.
Peak LargestDistortion(const TLxCameraInfo& camera, const Frame& frame);

// The largest distance between the distortions of two cameras with the same
// principal point over the same grid.
Peak LargestDeviation(const TLxCameraInfo& a, const TLxCameraInfo& b, const Frame& frame);

}  // namespace lxcam
