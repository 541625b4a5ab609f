#include <LxCameraUtils/CameraDistortion.h>
#include <LxCameraUtils/CameraEnums.h>
#include <LxStd/ResString.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "camera/EnumTables.h"
#include "module/ModuleRecord.h"

using namespace std::string_literals;
using testing::ThrowsMessage;

namespace {

using TDir = TLxCameraDistortion::TDirection;
using Dist = TLxCameraDistortion;

// Each member with a machine text, numbered on from `first`, reads and writes
// exactly its document spelling, written out here rather than taken from the
// library's table; the table holds no other.
template <auto kToText, auto kToValue>
void ExpectSpellings(const lxcu::internal::TEnumRow* table, int first,
                     std::initializer_list<const char*> spellings) {
  using E = decltype(kToValue(std::string()));
  std::size_t spelled = 0;
  for (const auto* row = table; row->text != nullptr || row->user_key != nullptr; ++row)
    spelled += row->text != nullptr;
  EXPECT_EQ(spelled, spellings.size());
  int value = first;
  for (const char* text : spellings) {
    EXPECT_EQ(kToText(E(value), nullptr), text);
    EXPECT_EQ(kToValue(text), E(value++)) << text;
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
void ExpectUserTexts(std::vector<int> members, ToUser to_user, int unknown) {
  std::set<std::string> texts;
  for (const int value : members)
    EXPECT_TRUE(texts.insert(to_user(E(value))).second) << value;
  EXPECT_EQ(texts.count(""), 0u);
  EXPECT_EQ(to_user(E(unknown)), "???");
}

}  // namespace

TEST(EnumTexts, EveryMemberReadsAndWritesExactlyItsDocumentSpelling) {
  using namespace lxcu::internal;
  ExpectSpellings<CameraTypeToTextE, TextToCameraTypeE>(
      kCameraTypes, 1, {"PrincipalPoint", "Cross", "CalibratedCross", "Fiducials", "Digital"});
  ExpectSpellings<DistortionTypeToTextE, TextToDistortionTypeE>(
      kDistortionTypes, 1,
      {"None", "Formula", "Radial", "Directed4+", "Directed4X", "Directed8", "Mixed",
       "Polynomial"});
  ExpectSpellings<Dist::DirectionToTextE, Dist::TextToDirectionE>(kDirections, 0,
                                                                  {"CamToMm", "MmToCam"});
  ExpectSpellings<CamRotateToTextE, TextToCamRotateE>(kCamRotates, 1, {"0", "90", "180", "270"});
  ExpectSpellings<ResolutionUnitsToTextE, TextToResolutionUnitsE>(kResolutionUnits, 1,
                                                                  {"mm", "dpi"});
  ExpectSpellings<TransformTypeToTextE, TextToTransformTypeE>(
      kTransformTypes, 1, {"Similarity", "Affine", "Projective"});
  // The origin has only a lenient reader.
  ExpectSpellings<DigitalCameraOriginToTextE, TextToDigitalCameraOrigin>(
      kDigitalCameraOrigins, 0, {"Center", "LowerLeft", "UpperLeft"});
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
  EXPECT_EQ(lxcu::internal::TextToDigitalCameraOrigin(""), -1);
}

// The context line before the message is checked where the documents save.
TEST(EnumTexts, InvalidValuesThrowNamingTheValue) {
  for (const char* no_context : {static_cast<const char*>(nullptr), ""})
    EXPECT_THAT([&] { CameraTypeToTextE(TCameraType{6}, no_context); },
                ThrowsMessage<std::runtime_error>("@EnumToTextE(): Invalid enum value: 6."));
  EXPECT_THAT([] { Dist::DirectionToTextE(TDir{-1}, nullptr); },
              ThrowsMessage<std::runtime_error>("@EnumToTextE(): Invalid enum value: -1."));
  // No-match values that are no members have no machine text.
  EXPECT_THROW(CamRotateToTextE(crInvalid, "ctx"), std::runtime_error);
  EXPECT_THROW(lxcu::internal::DigitalCameraOriginToTextE(TDigitalCameraOrigin{-1}, nullptr),
               std::runtime_error);
}

TEST(EnumUserTexts, TellMembersApartAndAnswerUnknownValuesWithQuestionMarks) {
  ExpectUserTexts<TCameraType>({1, 2, 3, 4, 5}, CameraTypeToUserText, 0);
  ExpectUserTexts<TDistortionType>({1, 2, 3, 4, 5, 6, 7, 8}, DistortionTypeToUserText, 9);
  ExpectUserTexts<TDir>({0, 1}, Dist::DirectionToUserText, 2);
  ExpectUserTexts<TTransformType>({1, 2, 3}, TransformTypeToUserText, 4);
  // Unlike the other no-match values, crInvalid has a user text.
  ExpectUserTexts<TCamRotate>({0, 1, 2, 3, 4}, CamRotateToUserText, 5);
  const auto& module = lxcu::internal::ModuleRecord();
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
