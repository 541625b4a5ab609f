// The example documents save back to the same bytes; under refused writes,
// truncation and single-byte damage, saves stop at the refused write and
// loads succeed whole or change nothing.

#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/IntOrMeas.h>
#include <LxCameraUtils/IntOrSolution.h>
#include <LxCameraUtils/MarkTemplates.h>
#include <LxStd/XIni.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "AcceptancePoints.h"
#include "Kinds.h"
#include "Texts.h"

using ::testing::IsEmpty;

namespace {

// Loads the record from the top-level `section` of `text` and saves it back
// into a section of that name; the two documents must be the same bytes.
template <typename Record>
Record ExpectSavedBackUnchanged(const std::string& text, const char* section) {
  const Record record = RecordOf<Record>(text, section);
  EXPECT_EQ(TextDifference(TextOf(record, section), text), "");
  return record;
}

template <class Kind>
class DocumentFaults : public testing::Test {};
TYPED_TEST_SUITE(DocumentFaults, DocumentKinds);

}  // namespace

// The examples hold every camera and distortion type, so this also pins the
// order and form of every entry a type writes.
TEST(ExampleDocuments, SaveBackToTheSameBytesAndCoverEveryType) {
  std::set<int> camera_types, distortion_types;
  for (const auto& [name, text] : Examples<CameraKind>()) {
    SCOPED_TRACE(name);
    const auto camera = ExpectSavedBackUnchanged<TLxCameraInfo>(text, "camera");
    camera_types.insert(camera.type);
    distortion_types.insert(camera.distortion.type);
  }
  EXPECT_EQ(camera_types, (std::set<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(distortion_types, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8}));
  for (const auto& [name, text] : Examples<TemplatesKind>())
    EXPECT_FALSE(ExpectSavedBackUnchanged<TCameraMarkTemplates>(text, "mark_templates")
                     .mark_templates.empty());
  // One measurement per camera type with marks and a mirrored scan, each ready
  // for its camera and solved with it.
  EXPECT_EQ(Examples<MeasurementsKind>().size(), 5u);
  for (const auto& [name, text] : Examples<MeasurementsKind>()) {
    SCOPED_TRACE(name);
    const auto meas = ExpectSavedBackUnchanged<TLxIntOrMeas>(text, "int_or_meas");
    const TLxCameraInfo camera = ExampleCamera(name.substr(0, name.size() - 10) + ".xini");
    std::string message = "untouched";
    EXPECT_TRUE(meas.IntOrReady(camera, &message)) << message;
    EXPECT_EQ(message, "untouched");
    TLxIntOrSolution solution;
    EXPECT_TRUE(SolveIntOr(camera, meas, &solution, &message)) << message;
    EXPECT_LT(solution.rms_px, 0.5);
  }
}

// Some truncations and byte changes must load and some fail, so that both
// promises are put to the test.
TYPED_TEST(DocumentFaults, ExamplesSurviveRefusedWritesTruncationAndDamage) {
  const auto loader = TypeParam::Loader();
  ASSERT_FALSE(Examples<TypeParam>().empty());
  for (const auto& [name, text] : Examples<TypeParam>()) {
    SCOPED_TRACE(name);
    for (const lxrel::SweepResult& result :
         {lxrel::SweepTruncations(text, loader), lxrel::SweepByteChanges(text, loader)}) {
      EXPECT_THAT(result.violations, IsEmpty());
      EXPECT_GT(result.loaded, 0u);
      EXPECT_LT(result.loaded, result.loads);
    }
    typename TypeParam::Record record;
    lxrel::LoadFrom(text, loader, record);
    const lxrel::SweepResult writes = lxrel::SweepWriteFailures(record);
    EXPECT_THAT(writes.violations, IsEmpty());
    EXPECT_GT(writes.loads, 0u);
  }
}
