#pragma once

#include <string>

#include <LxCameraUtils/CameraDistortion.h>
#include <LxCameraUtils/CameraEnums.h>

#include "camera/EnumText.h"

// Machine texts of the enumerations, as stored in documents. The end row holds
// the no-match value.

inline constexpr TEnumTextRow kCameraTypeTexts[] = {
    {ctPrincipalPoint, "PrincipalPoint"},
    {ctCross, "Cross"},
    {ctCalibratedCross, "CalibratedCross"},
    {ctFiducials, "Fiducials"},
    {ctDigital, "Digital"},
    {0, nullptr},
};

inline constexpr TEnumTextRow kDigitalCameraOriginTexts[] = {
    {dcoCenter, "Center"},
    {dcoLowerLeft, "LowerLeft"},
    {dcoUpperLeft, "UpperLeft"},
    {-1, nullptr},
};

inline constexpr TEnumTextRow kDistortionTypeTexts[] = {
    {dtNone, "None"},
    {dtFormula, "Formula"},
    {dtRadial, "Radial"},
    {dtDirected4Plus, "Directed4+"},
    {dtDirected4X, "Directed4X"},
    {dtDirected8, "Directed8"},
    {dtMixed, "Mixed"},
    {dtPolynomial, "Polynomial"},
    {0, nullptr},
};

// The no-match value is a member: unrecognised texts read as dirCamToMm.
inline constexpr TEnumTextRow kDirectionTexts[] = {
    {TLxCameraDistortion::dirCamToMm, "CamToMm"},
    {TLxCameraDistortion::dirMmToCam, "MmToCam"},
    {TLxCameraDistortion::dirCamToMm, nullptr},
};

// crInvalid has no machine text but is the no-match value.
inline constexpr TEnumTextRow kCamRotateTexts[] = {
    {cr0, "0"}, {cr90, "90"}, {cr180, "180"}, {cr270, "270"}, {crInvalid, nullptr},
};

inline constexpr TEnumTextRow kResolutionUnitsTexts[] = {
    {ruMm, "mm"},
    {ruDpi, "dpi"},
    {0, nullptr},
};

inline constexpr TEnumTextRow kTransformTypeTexts[] = {
    {ttSimilarity, "Similarity"},
    {ttAffine, "Affine"},
    {ttProjective, "Projective"},
    {0, nullptr},
};

// Conversions of the pixel-grid origin, used by the camera document.
std::string DigitalCameraOriginToTextE(TDigitalCameraOrigin value, const char* context);
TDigitalCameraOrigin TextToDigitalCameraOrigin(const std::string& text);
