#include <LxCameraUtils/CameraInfo.h>

#include <algorithm>

#include "camera/MoveEmptying.h"

TLxCameraInfo::TLxCameraInfo(TLxCameraInfo&& other) noexcept {
  *this = std::move(other);
}

TLxCameraInfo& TLxCameraInfo::operator=(TLxCameraInfo&& other) noexcept {
  if (this == &other) return *this;
  MoveEmptying(name, other.name);
  MoveEmptying(calibration_date, other.calibration_date);
  MoveEmptying(description, other.description);
  MoveEmptying(fiducial_template_id, other.fiducial_template_id);
  type = other.type;
  distortion = std::move(other.distortion);
  focus = other.focus;
  principal_point = other.principal_point;
  pixel_size = other.pixel_size;
  length_x = other.length_x;
  length_y = other.length_y;
  sensor_dims = other.sensor_dims;
  MoveEmptying(fiducials, other.fiducials);
  digital_camera_origin = other.digital_camera_origin;
  return *this;
}

void TLxCameraInfo::Reset() noexcept {
  *this = TLxCameraInfo();
}

bool TLxCameraInfo::operator==(const TLxCameraInfo& o) const {
  const auto same_fiducial = [](const TFiducial& a, const TFiducial& b) {
    return a.index == b.index && a.coords_cam.x == b.coords_cam.x &&
           a.coords_cam.y == b.coords_cam.y && a.template_index == b.template_index;
  };
  return name == o.name && calibration_date == o.calibration_date && description == o.description &&
         fiducial_template_id == o.fiducial_template_id && type == o.type &&
         distortion == o.distortion && focus == o.focus &&
         principal_point.x == o.principal_point.x && principal_point.y == o.principal_point.y &&
         pixel_size.x == o.pixel_size.x && pixel_size.y == o.pixel_size.y &&
         sensor_dims.x == o.sensor_dims.x && sensor_dims.y == o.sensor_dims.y &&
         length_x == o.length_x && length_y == o.length_y &&
         std::equal(fiducials.begin(), fiducials.end(), o.fiducials.begin(), o.fiducials.end(),
                    same_fiducial) &&
         digital_camera_origin == o.digital_camera_origin;
}

bool TLxCameraInfo::operator!=(const TLxCameraInfo& other) const {
  return !(*this == other);
}
