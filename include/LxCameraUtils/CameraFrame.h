#pragma once

// The frame of a camera: the picture area in camera coordinates, over which
// tools and hosts look at the camera's distortion (lxcam info, plot and
// convert use this same frame).

#include <cstdint>

#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/Export.h>
#include <LxStd/Vec.h>

// Which rule gave a frame.
enum TFrameRule : std::int32_t {
  frNone = 0,            // no rule applies: the camera gives no frame
  frFiducialExtent = 1,  // the bounding box of the fiducial marks
  frSensorExtent = 2,    // the sensor of a digital camera
  frTableSquare = 3,     // a square inside the distortion table
  frFocusSquare = 4,     // a square of half-side focus/2
};

// An axis-parallel rectangle in camera coordinates (mm, y up).
struct TLxCameraFrame {
  vec_t_<double, 2> lower;  // smallest x and y
  vec_t_<double, 2> upper;  // largest x and y
  TFrameRule rule = frNone;

  friend constexpr bool operator==(const TLxCameraFrame&, const TLxCameraFrame&) = default;
};

// The frame of `camera` by the first of these rules that gives one:
// 1. ctFiducials: the bounding box of the marks with finite coordinates, when
//    it has a positive width and height.
// 2. ctDigital with a positive pixel_size and sensor_dims (W × H pixels): the
//    sensor, W·pixel_size.x by H·pixel_size.y mm, placed as the interior
//    orientation places it: centred on the camera origin (dcoCenter), with its
//    lower-left corner there (dcoLowerLeft), or its upper-left (dcoUpperLeft).
//    An origin outside the enumeration gives no sensor frame.
// 3. A table distortion (dtRadial, dtDirected4Plus, dtDirected4X,
//    dtDirected8) whose largest finite radius R of the tables its type uses is
//    positive: the square about the principal point of half-side R/√2, whose
//    corners lie on the table's last radius.
// 4. focus > 0: the square about the principal point of half-side focus/2.
// A rule whose rectangle would not be finite gives none. When no rule gives
// one: `rule` frNone and both corners (0, 0). Otherwise lower < upper in x and y.
// Reads only type, fiducials, pixel_size, sensor_dims, digital_camera_origin,
// principal_point, focus and the distortion's type and tables.
LXCAMERAUTILS_API TLxCameraFrame GetCameraFrame(const TLxCameraInfo& camera) noexcept;
