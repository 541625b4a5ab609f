#include <LxCameraUtils/CameraDistortion.h>
#include <LxCameraUtils/CameraEnums.h>
#include <LxStd/ResString.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>

#include "camera/EnumTables.h"
#include "module/ModuleRecord.h"

using namespace std::string_literals;
using testing::ThrowsMessage;

namespace {

using TDir = TLxCameraDistortion::TDirection;
using Dist = TLxCameraDistortion;

// Every row converts to its text and back (so no two rows share a text or a
// value).
template <typename E, typename ToText, typename ToValue>
void ExpectRoundTrips(const TEnumTextRow* row, ToText to_text, ToValue to_value) {
  for (; row->text != nullptr; ++row) {
    EXPECT_EQ(to_text(E{row->value}, nullptr), row->text);
    EXPECT_EQ(to_value(row->text), E{row->value}) << row->text;
  }
}

// The lenient conversion falls back to `no_match` exactly where the strict one
// throws, naming the text up to any zero byte.
template <typename Lenient, typename Strict>
void ExpectNoMatch(Lenient lenient, Strict strict, const std::string& text, int no_match) {
  EXPECT_EQ(lenient(text), no_match) << text;
  EXPECT_THAT([&] { strict(text); },
              ThrowsMessage<std::runtime_error>("@TextToEnumE(): Invalid text value: "s +
                                                text.c_str() + "."));
}

// Members' user texts exist and tell the members apart; `unknown` has none.
template <typename E, typename ToUser>
void ExpectUserTexts(const TEnumTextRow* row, ToUser to_user, int unknown) {
  std::set<std::string> texts;
  for (; row->text != nullptr; ++row)
    EXPECT_TRUE(texts.insert(to_user(E{row->value})).second) << row->text;
  EXPECT_EQ(texts.count(""), 0u);
  EXPECT_EQ(to_user(E{unknown}), "???");
}

}  // namespace

TEST(EnumTexts, EveryMachineTextRoundTripsThroughTheStrictConversion) {
  ExpectRoundTrips<TCameraType>(kCameraTypeTexts, CameraTypeToTextE, TextToCameraTypeE);
  ExpectRoundTrips<TDistortionType>(kDistortionTypeTexts, DistortionTypeToTextE,
                                    TextToDistortionTypeE);
  ExpectRoundTrips<TDir>(kDirectionTexts, Dist::DirectionToTextE, Dist::TextToDirectionE);
  ExpectRoundTrips<TCamRotate>(kCamRotateTexts, CamRotateToTextE, TextToCamRotateE);
  ExpectRoundTrips<TResolutionUnits>(kResolutionUnitsTexts, ResolutionUnitsToTextE,
                                     TextToResolutionUnitsE);
  ExpectRoundTrips<TTransformType>(kTransformTypeTexts, TransformTypeToTextE, TextToTransformTypeE);
  // The origin has only a lenient reader.
  ExpectRoundTrips<TDigitalCameraOrigin>(kDigitalCameraOriginTexts, DigitalCameraOriginToTextE,
                                         TextToDigitalCameraOrigin);
}

TEST(EnumTexts, NearMissesFallBackToTheNoMatchValueOrThrowTheirText) {
  for (const std::string& miss : {"digital"s, "Digital "s, " Digital"s, "5"s, ""s, "Cross\0x"s})
    ExpectNoMatch(TextToCameraType, TextToCameraTypeE, miss, 0);
  ExpectNoMatch(TextToDistortionType, TextToDistortionTypeE, "Directed4", 0);
  // The direction's no-match value is a member.
  ExpectNoMatch(Dist::TextToDirection, Dist::TextToDirectionE, "Sideways", Dist::dirCamToMm);
  ExpectNoMatch(TextToCamRotate, TextToCamRotateE, "45", crInvalid);
  ExpectNoMatch(TextToResolutionUnits, TextToResolutionUnitsE, "DPI", 0);
  ExpectNoMatch(TextToTransformType, TextToTransformTypeE, "affine", 0);
  EXPECT_EQ(TextToDigitalCameraOrigin(""), -1);
}

// The context line before the message is checked where the documents save.
TEST(EnumTexts, InvalidValuesThrowNamingTheValue) {
  for (const char* no_context : {static_cast<const char*>(nullptr), ""})
    EXPECT_THAT([&] { CameraTypeToTextE(TCameraType{6}, no_context); },
                ThrowsMessage<std::runtime_error>("@EnumToTextE(): Invalid enum value: 6."));
  EXPECT_THAT([] { Dist::DirectionToTextE(TDir{-1}, nullptr); },
              ThrowsMessage<std::runtime_error>("@EnumToTextE(): Invalid enum value: -1."));
  // Values that stand only in the end row have no machine text.
  EXPECT_THROW(CamRotateToTextE(crInvalid, "ctx"), std::runtime_error);
  EXPECT_THROW(DigitalCameraOriginToTextE(TDigitalCameraOrigin{-1}, nullptr), std::runtime_error);
}

TEST(EnumUserTexts, TellMembersApartAndAnswerUnknownValuesWithQuestionMarks) {
  ExpectUserTexts<TCameraType>(kCameraTypeTexts, CameraTypeToUserText, 0);
  ExpectUserTexts<TDistortionType>(kDistortionTypeTexts, DistortionTypeToUserText, 9);
  ExpectUserTexts<TDir>(kDirectionTexts, Dist::DirectionToUserText, 2);
  ExpectUserTexts<TTransformType>(kTransformTypeTexts, TransformTypeToUserText, 4);
  ExpectUserTexts<TCamRotate>(kCamRotateTexts, CamRotateToUserText, 5);
  // Unlike the other no-match values, crInvalid has a user text.
  const TModuleRecord& module = ModuleRecord();
  EXPECT_EQ(CamRotateToUserText(crInvalid), module.UserText("global.TEXT_IO_CAMROTATE_INVALID"));
  EXPECT_EQ(UnitsCamMkmUserTextAbbr(), module.UserText("global.TEXT_CI_UNITS_MKM"));
  EXPECT_EQ(UnitsCamMmUserTextAbbr(), module.UserText("global.TEXT_CI_UNITS_MM"));
  EXPECT_EQ(UnitsPixUserTextAbbr(), module.UserText("global.TEXT_CI_UNITS_PIXEL"));

  // A missing text is empty, not "???".
  const std::string key = "global.TEXT_CI_TYPE_CROSS";
  const std::string saved = module.UserText(key);
  ASSERT_TRUE(LxRemoveResString("LxCameraUtils", key));
  const std::string without = CameraTypeToUserText(ctCross);
  LxSetResString("LxCameraUtils", key, saved);
  EXPECT_EQ(without, "");
  EXPECT_EQ(CameraTypeToUserText(ctCross), saved);
}
