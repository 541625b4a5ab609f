// The exported conversions: each passes its own tables to the generic ones.
#include <LxCameraUtils/CameraDistortion.h>
#include <LxCameraUtils/CameraEnums.h>

#include "camera/EnumTables.h"
#include "camera/EnumText.h"
#include "module/ModuleRecord.h"

namespace {

// Resource keys of the user texts. The end rows' values are unused.

constexpr TEnumTextRow kCameraTypeKeys[] = {
    {ctPrincipalPoint, "global.TEXT_CI_TYPE_PPONLY"},
    {ctCross, "global.TEXT_CI_TYPE_CROSS"},
    {ctCalibratedCross, "global.TEXT_CI_TYPE_CALIBRATED"},
    {ctFiducials, "global.TEXT_CI_TYPE_FIDUCIAL"},
    {ctDigital, "global.TEXT_CI_TYPE_DIGITAL"},
    {0, nullptr},
};

constexpr TEnumTextRow kDistortionTypeKeys[] = {
    {dtNone, "global.TEXT_CI_DISTORT_NONE"},
    {dtFormula, "global.TEXT_CI_DISTORT_FORMULA"},
    {dtRadial, "global.TEXT_CI_DISTORT_RADIAL"},
    {dtDirected4Plus, "global.TEXT_CI_DISTORT_4PLUS"},
    {dtDirected4X, "global.TEXT_CI_DISTORT_4CROSS"},
    {dtDirected8, "global.TEXT_CI_DISTORT_8DIRECT"},
    {dtMixed, "global.TEXT_CI_DISTORT_MIXED"},
    {dtPolynomial, "global.TEXT_CI_DISTORT_POLYNOMIAL"},
    {0, nullptr},
};

constexpr TEnumTextRow kDirectionKeys[] = {
    {TLxCameraDistortion::dirCamToMm, "global.TEXT_DD_CamToMm"},
    {TLxCameraDistortion::dirMmToCam, "global.TEXT_DD_MmToCam"},
    {0, nullptr},
};

// Unlike the other enumerations, the not-set rotation has a user text.
constexpr TEnumTextRow kCamRotateKeys[] = {
    {crInvalid, "global.TEXT_IO_CAMROTATE_INVALID"}, {cr0, "global.TEXT_IO_CAMROTATE_0"},
    {cr90, "global.TEXT_IO_CAMROTATE_90"},           {cr180, "global.TEXT_IO_CAMROTATE_180"},
    {cr270, "global.TEXT_IO_CAMROTATE_270"},         {0, nullptr},
};

constexpr TEnumTextRow kTransformTypeKeys[] = {
    {ttSimilarity, "global.TEXT_IO_TRANSFORM_RSS"},
    {ttAffine, "global.TEXT_IO_TRANSFORM_AFFINE"},
    {ttProjective, "global.TEXT_IO_TRANSFORM_PROJECTIVE"},
    {0, nullptr},
};

}  // namespace

std::string CameraTypeToTextE(TCameraType value, const char* context) {
  return EnumToTextE(kCameraTypeTexts, value, context);
}
TCameraType TextToCameraType(const std::string& text) {
  return TCameraType{TextToEnum(kCameraTypeTexts, text)};
}
TCameraType TextToCameraTypeE(const std::string& text) {
  return TCameraType{TextToEnumE(kCameraTypeTexts, text)};
}
std::string CameraTypeToUserText(TCameraType value) {
  return EnumToUserText(kCameraTypeKeys, value);
}

std::string DistortionTypeToTextE(TDistortionType value, const char* context) {
  return EnumToTextE(kDistortionTypeTexts, value, context);
}
TDistortionType TextToDistortionType(const std::string& text) {
  return TDistortionType{TextToEnum(kDistortionTypeTexts, text)};
}
TDistortionType TextToDistortionTypeE(const std::string& text) {
  return TDistortionType{TextToEnumE(kDistortionTypeTexts, text)};
}
std::string DistortionTypeToUserText(TDistortionType value) {
  return EnumToUserText(kDistortionTypeKeys, value);
}

std::string TLxCameraDistortion::DirectionToTextE(TDirection value, const char* context) {
  return EnumToTextE(kDirectionTexts, value, context);
}
TLxCameraDistortion::TDirection TLxCameraDistortion::TextToDirection(const std::string& text) {
  return TDirection{TextToEnum(kDirectionTexts, text)};
}
TLxCameraDistortion::TDirection TLxCameraDistortion::TextToDirectionE(const std::string& text) {
  return TDirection{TextToEnumE(kDirectionTexts, text)};
}
std::string TLxCameraDistortion::DirectionToUserText(TDirection value) {
  return EnumToUserText(kDirectionKeys, value);
}

std::string CamRotateToTextE(TCamRotate value, const char* context) {
  return EnumToTextE(kCamRotateTexts, value, context);
}
TCamRotate TextToCamRotate(const std::string& text) {
  return TCamRotate{TextToEnum(kCamRotateTexts, text)};
}
TCamRotate TextToCamRotateE(const std::string& text) {
  return TCamRotate{TextToEnumE(kCamRotateTexts, text)};
}
std::string CamRotateToUserText(TCamRotate value) {
  return EnumToUserText(kCamRotateKeys, value);
}

std::string ResolutionUnitsToTextE(TResolutionUnits value, const char* context) {
  return EnumToTextE(kResolutionUnitsTexts, value, context);
}
TResolutionUnits TextToResolutionUnits(const std::string& text) {
  return TResolutionUnits{TextToEnum(kResolutionUnitsTexts, text)};
}
TResolutionUnits TextToResolutionUnitsE(const std::string& text) {
  return TResolutionUnits{TextToEnumE(kResolutionUnitsTexts, text)};
}

std::string TransformTypeToTextE(TTransformType value, const char* context) {
  return EnumToTextE(kTransformTypeTexts, value, context);
}
TTransformType TextToTransformType(const std::string& text) {
  return TTransformType{TextToEnum(kTransformTypeTexts, text)};
}
TTransformType TextToTransformTypeE(const std::string& text) {
  return TTransformType{TextToEnumE(kTransformTypeTexts, text)};
}
std::string TransformTypeToUserText(TTransformType value) {
  return EnumToUserText(kTransformTypeKeys, value);
}

std::string DigitalCameraOriginToTextE(TDigitalCameraOrigin value, const char* context) {
  return EnumToTextE(kDigitalCameraOriginTexts, value, context);
}
TDigitalCameraOrigin TextToDigitalCameraOrigin(const std::string& text) {
  return TDigitalCameraOrigin{TextToEnum(kDigitalCameraOriginTexts, text)};
}

std::string UnitsCamMkmUserTextAbbr() {
  return ModuleRecord().UserText("global.TEXT_CI_UNITS_MKM");
}
std::string UnitsCamMmUserTextAbbr() {
  return ModuleRecord().UserText("global.TEXT_CI_UNITS_MM");
}
std::string UnitsPixUserTextAbbr() {
  return ModuleRecord().UserText("global.TEXT_CI_UNITS_PIXEL");
}
