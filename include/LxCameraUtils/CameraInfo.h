#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include <LxCameraUtils/CameraDistortion.h>
#include <LxCameraUtils/CameraEnums.h>
#include <LxCameraUtils/Export.h>
#include <LxStd/Vec.h>

class TLxXIniReader;
class TLxXIniWriter;

// One fiducial mark of a camera.
struct TFiducial {
  std::int32_t index = 0;           // number by which measurements refer to the mark
  vec_t_<double, 2> coords_cam;     // position in camera coordinates, mm
  std::int32_t template_index = 0;  // TMarkTemplate::template_index in the camera's template set
};

// Description of one camera. `type` says which interior-orientation fields
// apply (ctCross, ctCalibratedCross: fiducial_template_id, the latter also
// length_x/length_y; ctFiducials: fiducials, fiducial_template_id; ctDigital:
// pixel_size, sensor_dims, digital_camera_origin); the record keeps, copies
// and compares all fields whatever the type. Any combination of values is
// valid, including a `type` outside the enumeration.
class LXCAMERAUTILS_API TLxCameraInfo {
 public:
  std::string name;
  std::string calibration_date;       // free text
  std::string description;            // free notes, CRLF line ends
  std::string fiducial_template_id;   // names a TCameraMarkTemplates set; never resolved here
  TCameraType type = TCameraType{0};  // 0: no type
  TLxCameraDistortion distortion;
  double focus = 0.0;                 // focal length, mm
  vec_t_<double, 2> principal_point;  // camera coordinates, mm
  vec_t_<double, 2> pixel_size;       // size of one sensor pixel, mm
  double length_x = 0.0;              // calibrated cross lengths
  double length_y = 0.0;
  vec_t_<std::uint64_t, 2> sensor_dims;  // sensor pixels along x and y
  std::vector<TFiducial> fiducials;      // in stored order
  TDigitalCameraOrigin digital_camera_origin = dcoCenter;

  TLxCameraInfo() = default;
  TLxCameraInfo(const TLxCameraInfo&) = default;
  TLxCameraInfo& operator=(const TLxCameraInfo&) = default;
  // Moves leave the source's four texts, fiducials and distortion tables empty;
  // its other fields keep their values.
  TLxCameraInfo(TLxCameraInfo&& other) noexcept;
  TLxCameraInfo& operator=(TLxCameraInfo&& other) noexcept;
  ~TLxCameraInfo() = default;

  // Back to the state of default construction (type 0, dcoCenter, all else
  // empty or zero); emptied texts and sequences may keep their storage.
  void Reset() noexcept;

  // Field by field in declaration order, stopping at the first difference:
  // texts byte for byte, doubles by value (NaN never equal, +0.0 == -0.0), the
  // distortion by its own operator==, fiducials mark by mark in order.
  bool operator==(const TLxCameraInfo& other) const;
  bool operator!=(const TLxCameraInfo& other) const;

  // Camera document: the keys of the camera, its "int_or" and "distortion"
  // sections, written at the writer's current place. Only what `type` calls
  // for is written. Raises TLxXIniError for a failed write and
  // std::runtime_error for a `type`, distortion type or direction, or (for
  // ctDigital) a digital_camera_origin without a machine text. Writes as it
  // goes: after an exception the writer keeps what was written, and sections
  // begun are not ended. On return the writer is back at its starting level.
  // Throws std::invalid_argument when `writer` is null.
  void SaveE(TLxXIniWriter* writer) const;

  // Reads the camera from the reader's current section. Every key is required
  // except those that only some types store, which get their defaults.
  // Raises TLxXIniError for anything missing or unreadable and leaves the
  // record unchanged then: it is replaced only when everything has been read.
  // On a normal return the reader is at its starting section; after an
  // exception it may stand inside a subsection.
  // Throws std::invalid_argument when `reader` is null.
  void LoadE(TLxXIniReader* reader);

  // Lenient form: resets the record (type ctDigital) and fills what the
  // camera level holds; a missing key, "principal_point", "int_or" or
  // "distortion" keeps its reset value. Inside "int_or" and "distortion" the
  // strict rules apply, and their TLxXIniError passes out, leaving what was
  // read so far in the record. Returns true whenever it returns.
  // Throws std::invalid_argument when `reader` is null.
  bool Load(TLxXIniReader* reader);
};

static_assert(std::is_nothrow_move_constructible_v<TLxCameraInfo>);
static_assert(std::is_nothrow_move_assignable_v<TLxCameraInfo>);
