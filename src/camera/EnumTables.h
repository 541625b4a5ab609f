#pragma once

// The enumerations' machine texts, as stored in documents, and the resource
// keys of their user texts: one table each, ending in the row of the no-match
// value.

#include <string>

#include <LxCameraUtils/CameraDistortion.h>
#include <LxCameraUtils/CameraEnums.h>

#include "camera/EnumText.h"

namespace lxcu::internal {

inline constexpr TEnumRow kCameraTypes[] = {
    {ctPrincipalPoint, "PrincipalPoint", "global.TEXT_CI_TYPE_PPONLY"},
    {ctCross, "Cross", "global.TEXT_CI_TYPE_CROSS"},
    {ctCalibratedCross, "CalibratedCross", "global.TEXT_CI_TYPE_CALIBRATED"},
    {ctFiducials, "Fiducials", "global.TEXT_CI_TYPE_FIDUCIAL"},
    {ctDigital, "Digital", "global.TEXT_CI_TYPE_DIGITAL"},
    {0, nullptr, nullptr},
};

inline constexpr TEnumRow kDigitalCameraOrigins[] = {
    {dcoCenter, "Center", nullptr},
    {dcoLowerLeft, "LowerLeft", nullptr},
    {dcoUpperLeft, "UpperLeft", nullptr},
    {-1, nullptr, nullptr},
};

inline constexpr TEnumRow kDistortionTypes[] = {
    {dtNone, "None", "global.TEXT_CI_DISTORT_NONE"},
    {dtFormula, "Formula", "global.TEXT_CI_DISTORT_FORMULA"},
    {dtRadial, "Radial", "global.TEXT_CI_DISTORT_RADIAL"},
    {dtDirected4Plus, "Directed4+", "global.TEXT_CI_DISTORT_4PLUS"},
    {dtDirected4X, "Directed4X", "global.TEXT_CI_DISTORT_4CROSS"},
    {dtDirected8, "Directed8", "global.TEXT_CI_DISTORT_8DIRECT"},
    {dtMixed, "Mixed", "global.TEXT_CI_DISTORT_MIXED"},
    {dtPolynomial, "Polynomial", "global.TEXT_CI_DISTORT_POLYNOMIAL"},
    {0, nullptr, nullptr},
};

// The no-match value is a member: unrecognised texts read as dirCamToMm.
inline constexpr TEnumRow kDirections[] = {
    {TLxCameraDistortion::dirCamToMm, "CamToMm", "global.TEXT_DD_CamToMm"},
    {TLxCameraDistortion::dirMmToCam, "MmToCam", "global.TEXT_DD_MmToCam"},
    {TLxCameraDistortion::dirCamToMm, nullptr, nullptr},
};

// crInvalid, the no-match value, has a user text but no machine text.
inline constexpr TEnumRow kCamRotates[] = {
    {crInvalid, nullptr, "global.TEXT_IO_CAMROTATE_INVALID"},
    {cr0, "0", "global.TEXT_IO_CAMROTATE_0"},
    {cr90, "90", "global.TEXT_IO_CAMROTATE_90"},
    {cr180, "180", "global.TEXT_IO_CAMROTATE_180"},
    {cr270, "270", "global.TEXT_IO_CAMROTATE_270"},
    {crInvalid, nullptr, nullptr},
};

inline constexpr TEnumRow kResolutionUnits[] = {
    {ruMm, "mm", nullptr},
    {ruDpi, "dpi", nullptr},
    {0, nullptr, nullptr},
};

inline constexpr TEnumRow kTransformTypes[] = {
    {ttSimilarity, "Similarity", "global.TEXT_IO_TRANSFORM_RSS"},
    {ttAffine, "Affine", "global.TEXT_IO_TRANSFORM_AFFINE"},
    {ttProjective, "Projective", "global.TEXT_IO_TRANSFORM_PROJECTIVE"},
    {0, nullptr, nullptr},
};

// Conversions of the pixel-grid origin, used by the camera document.
std::string DigitalCameraOriginToTextE(TDigitalCameraOrigin value, const char* context);
TDigitalCameraOrigin TextToDigitalCameraOrigin(const std::string& text);

}  // namespace lxcu::internal
