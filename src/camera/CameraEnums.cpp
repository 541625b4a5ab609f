// The exported conversions: each passes its own table to the generic ones.
#include <LxCameraUtils/CameraDistortion.h>
#include <LxCameraUtils/CameraEnums.h>

#include "camera/EnumTables.h"
#include "camera/EnumText.h"
#include "module/ModuleRecord.h"

using namespace lxcu::internal;

std::string CameraTypeToTextE(TCameraType value, const char* context) {
  return EnumToTextE(kCameraTypes, value, context);
}
TCameraType TextToCameraType(const std::string& text) {
  return TCameraType{TextToEnum(kCameraTypes, text)};
}
TCameraType TextToCameraTypeE(const std::string& text) {
  return TCameraType{TextToEnumE(kCameraTypes, text)};
}
std::string CameraTypeToUserText(TCameraType value) {
  return EnumToUserText(kCameraTypes, value);
}

std::string DistortionTypeToTextE(TDistortionType value, const char* context) {
  return EnumToTextE(kDistortionTypes, value, context);
}
TDistortionType TextToDistortionType(const std::string& text) {
  return TDistortionType{TextToEnum(kDistortionTypes, text)};
}
TDistortionType TextToDistortionTypeE(const std::string& text) {
  return TDistortionType{TextToEnumE(kDistortionTypes, text)};
}
std::string DistortionTypeToUserText(TDistortionType value) {
  return EnumToUserText(kDistortionTypes, value);
}

std::string TLxCameraDistortion::DirectionToTextE(TDirection value, const char* context) {
  return EnumToTextE(kDirections, value, context);
}
TLxCameraDistortion::TDirection TLxCameraDistortion::TextToDirection(const std::string& text) {
  return TDirection{TextToEnum(kDirections, text)};
}
TLxCameraDistortion::TDirection TLxCameraDistortion::TextToDirectionE(const std::string& text) {
  return TDirection{TextToEnumE(kDirections, text)};
}
std::string TLxCameraDistortion::DirectionToUserText(TDirection value) {
  return EnumToUserText(kDirections, value);
}

std::string CamRotateToTextE(TCamRotate value, const char* context) {
  return EnumToTextE(kCamRotates, value, context);
}
TCamRotate TextToCamRotate(const std::string& text) {
  return TCamRotate{TextToEnum(kCamRotates, text)};
}
TCamRotate TextToCamRotateE(const std::string& text) {
  return TCamRotate{TextToEnumE(kCamRotates, text)};
}
std::string CamRotateToUserText(TCamRotate value) {
  return EnumToUserText(kCamRotates, value);
}

std::string ResolutionUnitsToTextE(TResolutionUnits value, const char* context) {
  return EnumToTextE(kResolutionUnits, value, context);
}
TResolutionUnits TextToResolutionUnits(const std::string& text) {
  return TResolutionUnits{TextToEnum(kResolutionUnits, text)};
}
TResolutionUnits TextToResolutionUnitsE(const std::string& text) {
  return TResolutionUnits{TextToEnumE(kResolutionUnits, text)};
}

std::string TransformTypeToTextE(TTransformType value, const char* context) {
  return EnumToTextE(kTransformTypes, value, context);
}
TTransformType TextToTransformType(const std::string& text) {
  return TTransformType{TextToEnum(kTransformTypes, text)};
}
TTransformType TextToTransformTypeE(const std::string& text) {
  return TTransformType{TextToEnumE(kTransformTypes, text)};
}
std::string TransformTypeToUserText(TTransformType value) {
  return EnumToUserText(kTransformTypes, value);
}

namespace lxcu::internal {

std::string DigitalCameraOriginToTextE(TDigitalCameraOrigin value, const char* context) {
  return EnumToTextE(kDigitalCameraOrigins, value, context);
}
TDigitalCameraOrigin TextToDigitalCameraOrigin(const std::string& text) {
  return TDigitalCameraOrigin{TextToEnum(kDigitalCameraOrigins, text)};
}

}  // namespace lxcu::internal

std::string UnitsCamMkmUserTextAbbr() {
  return ModuleRecord().UserText("global.TEXT_CI_UNITS_MKM");
}
std::string UnitsCamMmUserTextAbbr() {
  return ModuleRecord().UserText("global.TEXT_CI_UNITS_MM");
}
std::string UnitsPixUserTextAbbr() {
  return ModuleRecord().UserText("global.TEXT_CI_UNITS_PIXEL");
}
