#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include <LxCameraUtils/CameraEnums.h>
#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/Export.h>
#include <LxStd/Vec.h>

class TLxXIniReader;
class TLxXIniWriter;

// One measured mark of an image.
struct TMeasPoint {
  std::int32_t index = 0;           // mark number; for fiducial cameras a TFiducial::index
  vec_t_<double, 2> coords_pix;     // measured position, px
  vec_t_<double, 2> residuals_pix;  // residual after the solution, px; (0, 0) if none
};

// The interior-orientation measurements made on one image.
class LXCAMERAUTILS_API TLxIntOrMeas {
 public:
  TCameraType camera_type = TCameraType{0};  // kind of marks measured; 0: none
  std::vector<TMeasPoint> points;            // in the order added or loaded
  vec_t_<double, 2> scan_resolution;         // along x and y, in resolution_units
  TResolutionUnits resolution_units = ruMm;
  TCamRotate rotation = crInvalid;  // crInvalid: not given
  TTransformType transform_type = ttAffine;

  TLxIntOrMeas() = default;
  TLxIntOrMeas(const TLxIntOrMeas&) = default;
  TLxIntOrMeas& operator=(const TLxIntOrMeas&) = default;
  // Moves leave the source without points; its other fields keep their values.
  TLxIntOrMeas(TLxIntOrMeas&& other) noexcept;
  TLxIntOrMeas& operator=(TLxIntOrMeas&& other) noexcept;
  ~TLxIntOrMeas() = default;

  // Writes the record's entries at the writer's current place: "camera_type"
  // (unless 0), "points" (ascending index, equal indices in list order; for
  // mark-measuring types), "rotation", "scan_resolution" and "resolution_units"
  // (principal point and cross), "transform_type" (fiducials). Raises
  // std::runtime_error for a field without a machine text and the writer's
  // error for a failed write; what was written before stays, sections begun are
  // not ended then.
  // Throws std::invalid_argument when `writer` is null.
  void SaveE(TLxXIniWriter* writer) const;

  // Replaces the whole record by the reader's current section; absent optional
  // entries take the defaults of a new record. Raises TLxXIniError for a point
  // without "index" or complete "coords_pix", an entry of "points" that is no
  // section, and an unknown "rotation", "resolution_units" or "transform_type";
  // the record is then left exactly as it was.
  // Throws std::invalid_argument when `reader` is null.
  void LoadE(TLxXIniReader* reader);

  // Whether the measurements fit `camera`: a measured camera type that is set
  // and equals the camera's, only marks the camera has (fiducial cameras), and
  // no more marks than the type allows (1 principal point, 4 for crosses, none
  // for digital cameras). On false, `message` (if not null) receives the user
  // text explaining why; on true it is left alone.
  bool Verify(const TLxCameraInfo& camera, std::string* message) const;

  // Whether the interior orientation of the image can be solved: Verify, then
  // the rotation where no marks fix it, enough marks, and a usable scan
  // resolution with units for principal-point and cross cameras. On false,
  // `message` (if not null) receives the user text of the first failed check.
  // On true it is left alone, except that a fiducial measurement that misses
  // some of the camera's marks puts a warning there.
  bool IntOrReady(const TLxCameraInfo& camera, std::string* message) const;
};

static_assert(std::is_nothrow_move_constructible_v<TLxIntOrMeas>);
static_assert(std::is_nothrow_move_assignable_v<TLxIntOrMeas>);
