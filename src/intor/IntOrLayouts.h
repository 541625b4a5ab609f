#pragma once

// The plane transform of each camera type, before the common report.

#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/IntOrMeas.h>
#include <LxCameraUtils/IntOrSolution.h>

#include <string>
#include <vector>

#include "intor/PlaneFit.h"

namespace lxcu::internal {

// A camera type's map from pixels to the camera frame.
struct TLayout {
  TPlaneTransform pix_to_cam;
  TTransformType transform_type = ttAffine;
  // index, coords_pix and coords_cam of each mark, in list order: the
  // camera's position of a fitted mark, pix_to_cam's image of a built one.
  std::vector<TIntOrMark> marks;
  bool fitted = false;  // least squares: residuals and redundancy apply
  bool handedness_ambiguous = false;
};

// A layout, or in `failure` why there is none.
struct TLayoutOutcome {
  TLayout layout;
  std::string failure;  // empty on success
};

// Checks `meas` against `camera` and builds or fits the map of their type.
TLayoutOutcome SolveLayout(const TLxCameraInfo& camera, const TLxIntOrMeas& meas);

// Fits `type` to `marks` and judges the fit; `failure` names the reason when
// it is refused. Marks must be finite; `indices` parallel to `marks` name them.
TLayoutOutcome FitLayout(const std::vector<TMarkPair>& marks,
                         const std::vector<std::int32_t>& indices, TTransformType type);

// "similarity", "affine" or "projective".
const char* TransformName(TTransformType type);

// `value` to 4 significant digits with a decimal point, whatever the locale.
std::string FormatNumber(double value);

}  // namespace lxcu::internal
