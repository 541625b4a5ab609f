#include <LxCameraUtils/CameraDistortion.h>
#include <LxCameraUtils/CameraEnums.h>
#include <LxStd/ResString.h>

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>

#include "camera/EnumTables.h"
#include "module/ModuleRecord.h"

using namespace std::string_literals;

namespace {

using TDir = TLxCameraDistortion::TDirection;

// The message of the std::runtime_error that `fn` throws; fails when it throws
// nothing.
template <typename F>
std::string ErrorOf(F fn) {
  try {
    fn();
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  ADD_FAILURE() << "nothing thrown";
  return {};
}

// Every row converts to its text and back through `to_text` and `to_value`.
template <typename E, typename ToText, typename ToValue>
void ExpectRoundTrips(const TEnumTextRow* row, ToText to_text, ToValue to_value) {
  std::set<int> values;
  std::set<std::string> texts;
  for (; row->text != nullptr; ++row) {
    const E member = E{row->value};
    EXPECT_EQ(to_text(member, nullptr), row->text);
    EXPECT_EQ(to_value(to_text(member, nullptr)), member) << row->text;
    EXPECT_TRUE(values.insert(row->value).second) << "duplicate value " << row->value;
    EXPECT_TRUE(texts.insert(row->text).second) << "duplicate text " << row->text;
  }
}

}  // namespace

TEST(EnumTexts, EveryMachineTextRoundTripsThroughTheStrictConversion) {
  ExpectRoundTrips<TCameraType>(kCameraTypeTexts, CameraTypeToTextE, TextToCameraTypeE);
  ExpectRoundTrips<TDistortionType>(kDistortionTypeTexts, DistortionTypeToTextE,
                                    TextToDistortionTypeE);
  ExpectRoundTrips<TDir>(kDirectionTexts, TLxCameraDistortion::DirectionToTextE,
                         TLxCameraDistortion::TextToDirectionE);
  ExpectRoundTrips<TCamRotate>(kCamRotateTexts, CamRotateToTextE, TextToCamRotateE);
  ExpectRoundTrips<TResolutionUnits>(kResolutionUnitsTexts, ResolutionUnitsToTextE,
                                     TextToResolutionUnitsE);
  ExpectRoundTrips<TTransformType>(kTransformTypeTexts, TransformTypeToTextE, TextToTransformTypeE);
  // The origin has only a lenient reader.
  ExpectRoundTrips<TDigitalCameraOrigin>(kDigitalCameraOriginTexts, DigitalCameraOriginToTextE,
                                         TextToDigitalCameraOrigin);
  EXPECT_EQ(CameraTypeToTextE(ctCalibratedCross, nullptr), "CalibratedCross");
  EXPECT_EQ(DistortionTypeToTextE(dtDirected4Plus, nullptr), "Directed4+");
}

TEST(EnumTexts, LenientConversionsFallBackToTheNoMatchValueOnNearMisses) {
  EXPECT_EQ(TextToCameraType("Digital"), ctDigital);
  for (const std::string& miss : {"digital"s, "Digital "s, " Digital"s, "5"s, ""s, "Cross\0x"s})
    EXPECT_EQ(TextToCameraType(miss), 0) << miss;
  EXPECT_EQ(TextToDistortionType("Directed4"), 0);
  EXPECT_EQ(TLxCameraDistortion::TextToDirection("Sideways"), TLxCameraDistortion::dirCamToMm);
  EXPECT_EQ(TLxCameraDistortion::TextToDirection("MmToCam\0"s), TLxCameraDistortion::dirCamToMm);
  EXPECT_EQ(TextToCamRotate("45"), crInvalid);
  EXPECT_EQ(TextToCamRotate("0"), cr0);
  EXPECT_EQ(TextToCamRotate("00"), crInvalid);
  EXPECT_EQ(TextToResolutionUnits("DPI"), 0);
  EXPECT_EQ(TextToTransformType("affine"), 0);
  EXPECT_EQ(TextToDigitalCameraOrigin(""), -1);
  EXPECT_EQ(TextToDigitalCameraOrigin("Center"), dcoCenter);
}

TEST(EnumTexts, StrictConversionsThrowWhereLenientOnesFallBack) {
  EXPECT_EQ(ErrorOf([] { TLxCameraDistortion::TextToDirectionE("Sideways"); }),
            "@TextToEnumE(): Invalid text value: Sideways.");
  // A zero byte never matches; the message shows the text up to it.
  EXPECT_EQ(ErrorOf([] { TextToCameraTypeE("Cross\0x"s); }),
            "@TextToEnumE(): Invalid text value: Cross.");
  EXPECT_EQ(ErrorOf([] { TextToCamRotateE(""); }), "@TextToEnumE(): Invalid text value: .");
  EXPECT_THROW(TextToDistortionTypeE("mixed"), std::runtime_error);
  EXPECT_THROW(TextToResolutionUnitsE("mm "), std::runtime_error);
  EXPECT_THROW(TextToTransformTypeE("2"), std::runtime_error);
  // The no-match value of the direction is a member and still converts.
  EXPECT_EQ(TLxCameraDistortion::TextToDirectionE("CamToMm"), TLxCameraDistortion::dirCamToMm);
}

TEST(EnumTexts, InvalidValuesThrowWithTheContextOnItsOwnLine) {
  const auto bad_type = TCameraType{6};
  EXPECT_EQ(ErrorOf([&] { CameraTypeToTextE(bad_type, nullptr); }),
            "@EnumToTextE(): Invalid enum value: 6.");
  EXPECT_EQ(ErrorOf([&] { CameraTypeToTextE(bad_type, ""); }),
            "@EnumToTextE(): Invalid enum value: 6.");
  EXPECT_EQ(ErrorOf([] {
              DistortionTypeToTextE(TDistortionType{0},
                                    "@TLxCameraDistortion::Save: invalid DistortionType");
            }),
            "@TLxCameraDistortion::Save: invalid DistortionType\n"
            "@EnumToTextE(): Invalid enum value: 0.");
  EXPECT_EQ(ErrorOf([] { TLxCameraDistortion::DirectionToTextE(TDir{-1}, nullptr); }),
            "@EnumToTextE(): Invalid enum value: -1.");
  // Values that stand only in the end row have no machine text.
  EXPECT_THROW(CamRotateToTextE(crInvalid, "ctx"), std::runtime_error);
  EXPECT_THROW(DigitalCameraOriginToTextE(TDigitalCameraOrigin{-1}, nullptr), std::runtime_error);
  EXPECT_THROW(ResolutionUnitsToTextE(TResolutionUnits{3}, nullptr), std::runtime_error);
  EXPECT_THROW(TransformTypeToTextE(TTransformType{INT32_MIN}, nullptr), std::runtime_error);
}

TEST(EnumUserTexts, AnswerUnknownValuesWithQuestionMarksAndMissingTextsWithNothing) {
  const TModuleRecord& module = ModuleRecord();
  EXPECT_EQ(CameraTypeToUserText(ctDigital), module.UserText("global.TEXT_CI_TYPE_DIGITAL"));
  EXPECT_EQ(CamRotateToUserText(crInvalid), module.UserText("global.TEXT_IO_CAMROTATE_INVALID"));
  EXPECT_FALSE(CamRotateToUserText(crInvalid).empty());
  EXPECT_EQ(TLxCameraDistortion::DirectionToUserText(TLxCameraDistortion::dirMmToCam),
            module.UserText("global.TEXT_DD_MmToCam"));
  EXPECT_EQ(UnitsCamMkmUserTextAbbr(), module.UserText("global.TEXT_CI_UNITS_MKM"));
  EXPECT_EQ(UnitsPixUserTextAbbr(), module.UserText("global.TEXT_CI_UNITS_PIXEL"));
  EXPECT_NE(UnitsCamMmUserTextAbbr(), UnitsPixUserTextAbbr());

  EXPECT_EQ(CamRotateToUserText(TCamRotate{5}), "???");
  EXPECT_EQ(CameraTypeToUserText(TCameraType{0}), "???");
  EXPECT_EQ(DistortionTypeToUserText(TDistortionType{9}), "???");
  EXPECT_EQ(TLxCameraDistortion::DirectionToUserText(TDir{2}), "???");
  EXPECT_EQ(TransformTypeToUserText(TTransformType{4}), "???");

  const std::string key = "global.TEXT_CI_TYPE_CROSS";
  const std::string saved = module.UserText(key);
  ASSERT_TRUE(LxRemoveResString("LxCameraUtils", key));
  const std::string without = CameraTypeToUserText(ctCross);
  LxSetResString("LxCameraUtils", key, saved);
  EXPECT_EQ(without, "");
  EXPECT_EQ(CameraTypeToUserText(ctCross), saved);
}
