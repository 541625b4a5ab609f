// The example documents save back to the same bytes, and under refused
// writes, truncation and single-byte damage saves stop at the refused write
// and loads succeed whole or change nothing.

#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/MarkTemplates.h>
#include <LxStd/XIni.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "Reliability.h"

using ::testing::IsEmpty;

namespace {

const char* const kCameras = LX_EXAMPLES_DIR "/cameras";
const char* const kTemplates = LX_EXAMPLES_DIR "/templates";

// Measurements of the example cameras lie beside them.
auto Examples(const char* dir) {
  return lxrel::Documents(dir, ".xini", ".meas.xini");
}

// Loads the record from the top-level `section` of `text` and saves it back
// into a section of that name; the two documents must be the same bytes.
template <typename Record>
Record ExpectSavedBackUnchanged(const std::string& text, const char* section) {
  Record record;
  TLxXIniReader reader(text);
  const TLxXIniHandle in = reader.EnterSectionSE(section);
  record.LoadE(&reader);
  reader.LeaveSectionE(in);
  TLxXIniWriter writer;
  const TLxXIniHandle out = writer.BeginSectionSE(section);
  record.SaveE(&writer);
  writer.EndSection(out);
  EXPECT_EQ(writer.Text(), text);
  return record;
}

// Some truncations and byte changes must load and some fail, so that both
// promises are put to the test.
template <typename Record>
void ExpectExamplesSurviveFaults(const char* dir, const lxrel::Loader<Record>& loader) {
  for (const auto& [name, text] : Examples(dir)) {
    SCOPED_TRACE(name + ", " + loader.name);
    for (const lxrel::SweepResult& result :
         {lxrel::SweepTruncations(text, loader), lxrel::SweepByteChanges(text, loader)}) {
      EXPECT_THAT(result.violations, IsEmpty());
      EXPECT_GT(result.loaded, 0u);
      EXPECT_LT(result.loaded, result.loads);
    }
    Record record;
    lxrel::LoadFrom(text, loader, record);
    EXPECT_THAT(lxrel::SweepWriteFailures(record).violations, IsEmpty());
  }
}

}  // namespace

// The examples hold every camera and distortion type, so this also pins the
// order and form of every entry a type writes.
TEST(ExampleDocuments, SaveBackToTheSameBytesAndCoverEveryType) {
  std::set<int> camera_types;
  std::set<int> distortion_types;
  for (const auto& [name, text] : Examples(kCameras)) {
    SCOPED_TRACE(name);
    const TLxCameraInfo camera = ExpectSavedBackUnchanged<TLxCameraInfo>(text, "camera");
    camera_types.insert(camera.type);
    distortion_types.insert(camera.distortion.type);
  }
  EXPECT_EQ(camera_types, (std::set<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(distortion_types, (std::set<int>{1, 2, 3, 4, 5, 6, 7, 8}));
  ASSERT_FALSE(Examples(kTemplates).empty());
  for (const auto& [name, text] : Examples(kTemplates)) {
    SCOPED_TRACE(name);
    const auto set = ExpectSavedBackUnchanged<TCameraMarkTemplates>(text, "mark_templates");
    EXPECT_FALSE(set.mark_templates.empty());
  }
}

TEST(PersistFaults, EveryExampleSurvivesRefusedWritesTruncationAndDamage) {
  ExpectExamplesSurviveFaults(kCameras, lxrel::CameraLoader());
  ExpectExamplesSurviveFaults(kCameras, lxrel::DistortionLoader());
  ExpectExamplesSurviveFaults(kTemplates, lxrel::TemplatesLoader());
}
