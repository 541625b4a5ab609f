#pragma once

#include <cstdint>
#include <string>

#include <LxCameraUtils/Export.h>

// The vocabulary of the camera records. Every value has a machine text, the
// exact word stored in documents, and most have a user text for display,
// looked up in this module's resource strings.
//
// Common contract of the conversions below:
// - <Enum>ToTextE(value, context): the machine text of `value`. Throws
//   std::runtime_error "<context>\n@EnumToTextE(): Invalid enum value: <value>."
//   when `value` has none (the context line is left out when `context` is null
//   or empty).
// - TextTo<Enum>(text): the member whose machine text equals `text` byte for
//   byte (case matters, nothing trimmed); the enumeration's no-match value
//   otherwise, also for any text holding a zero byte. Never throws.
// - TextTo<Enum>E(text): the same, but throws std::runtime_error
//   "@TextToEnumE(): Invalid text value: <text>." instead of returning the
//   no-match value.
// - <Enum>ToUserText(value): the user text of `value`, empty when the resource
//   store has no text for its key, "???" for a value without a key. Never
//   throws on bad input.
// Any 32-bit value may be passed, members or not.

// Interior-orientation type of a camera. No-match value 0: not set.
enum TCameraType : std::int32_t {
  ctPrincipalPoint = 1,
  ctCross = 2,
  ctCalibratedCross = 3,
  ctFiducials = 4,
  ctDigital = 5,
};

// Point of a digital camera's pixel grid that serves as origin. No-match value
// -1. Its conversions are internal to the library.
enum TDigitalCameraOrigin : std::int32_t {
  dcoCenter = 0,
  dcoLowerLeft = 1,
  dcoUpperLeft = 2,
};

// Lens distortion model. No-match value 0: not set.
enum TDistortionType : std::int32_t {
  dtNone = 1,
  dtFormula = 2,
  dtRadial = 3,
  dtDirected4Plus = 4,
  dtDirected4X = 5,
  dtDirected8 = 6,
  dtMixed = 7,
  dtPolynomial = 8,
};

// Rotation of an image in quarter turns. No-match value crInvalid, which has a
// user text but no machine text.
enum TCamRotate : std::int32_t {
  crInvalid = 0,
  cr0 = 1,
  cr90 = 2,
  cr180 = 3,
  cr270 = 4,
};

// Unit of a scan resolution. No-match value 0: not set. No user texts.
enum TResolutionUnits : std::int32_t {
  ruMm = 1,
  ruDpi = 2,
};

// Kind of plane transform of an interior orientation. No-match value 0.
enum TTransformType : std::int32_t {
  ttSimilarity = 1,
  ttAffine = 2,
  ttProjective = 3,
};

LXCAMERAUTILS_API std::string CameraTypeToTextE(TCameraType value, const char* context = nullptr);
LXCAMERAUTILS_API TCameraType TextToCameraType(const std::string& text);
LXCAMERAUTILS_API TCameraType TextToCameraTypeE(const std::string& text);
LXCAMERAUTILS_API std::string CameraTypeToUserText(TCameraType value);

LXCAMERAUTILS_API std::string DistortionTypeToTextE(TDistortionType value,
                                                    const char* context = nullptr);
LXCAMERAUTILS_API TDistortionType TextToDistortionType(const std::string& text);
LXCAMERAUTILS_API TDistortionType TextToDistortionTypeE(const std::string& text);
LXCAMERAUTILS_API std::string DistortionTypeToUserText(TDistortionType value);

LXCAMERAUTILS_API std::string CamRotateToTextE(TCamRotate value, const char* context = nullptr);
LXCAMERAUTILS_API TCamRotate TextToCamRotate(const std::string& text);
LXCAMERAUTILS_API TCamRotate TextToCamRotateE(const std::string& text);
LXCAMERAUTILS_API std::string CamRotateToUserText(TCamRotate value);

LXCAMERAUTILS_API std::string ResolutionUnitsToTextE(TResolutionUnits value,
                                                     const char* context = nullptr);
LXCAMERAUTILS_API TResolutionUnits TextToResolutionUnits(const std::string& text);
LXCAMERAUTILS_API TResolutionUnits TextToResolutionUnitsE(const std::string& text);

LXCAMERAUTILS_API std::string TransformTypeToTextE(TTransformType value,
                                                   const char* context = nullptr);
LXCAMERAUTILS_API TTransformType TextToTransformType(const std::string& text);
LXCAMERAUTILS_API TTransformType TextToTransformTypeE(const std::string& text);
LXCAMERAUTILS_API std::string TransformTypeToUserText(TTransformType value);

// Abbreviations of the units micrometre, millimetre and pixel, for display;
// empty when the resource store has no text.
LXCAMERAUTILS_API std::string UnitsCamMkmUserTextAbbr();
LXCAMERAUTILS_API std::string UnitsCamMmUserTextAbbr();
LXCAMERAUTILS_API std::string UnitsPixUserTextAbbr();
