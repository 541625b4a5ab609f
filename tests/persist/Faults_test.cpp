// Every example document under refused writes, truncation and single-byte
// damage: saves stop at the refused write, loads succeed whole or change
// nothing. Records are compared by their bits, as a NaN never equals itself.

#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/MarkTemplates.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "Reliability.h"

using ::testing::IsEmpty;

namespace {

using Documents = std::vector<std::pair<std::string, std::string>>;

const Documents& Cameras() {
  static const Documents docs = lxrel::Documents(LX_EXAMPLES_DIR "/cameras", ".xini", ".meas.xini");
  return docs;
}

const Documents& TemplateSets() {
  static const Documents docs = lxrel::Documents(LX_EXAMPLES_DIR "/templates", ".xini");
  return docs;
}

// Runs `sweep` over each document with `loader`; some loads must succeed and
// some fail, so that both promises are put to the test.
template <typename Record, typename Sweep>
void ExpectSweepClean(const Documents& docs, const lxrel::Loader<Record>& loader, Sweep sweep) {
  ASSERT_FALSE(docs.empty());
  for (const auto& [name, text] : docs) {
    SCOPED_TRACE(name + ", " + loader.name);
    const lxrel::SweepResult result = sweep(text, loader);
    EXPECT_THAT(result.violations, IsEmpty());
    EXPECT_GT(result.loaded, 0u);
    EXPECT_LT(result.loaded, result.loads);
  }
}

const auto kTruncations = [](const std::string& text, const auto& loader) {
  return lxrel::SweepTruncations(text, loader);
};
const auto kByteChanges = [](const std::string& text, const auto& loader) {
  return lxrel::SweepByteChanges(text, loader);
};

template <typename Record>
void ExpectSavesStopAtEachRefusedWrite(const Documents& docs, const lxrel::Loader<Record>& loader) {
  for (const auto& [name, text] : docs) {
    SCOPED_TRACE(name);
    Record record;
    lxrel::LoadFrom(text, loader, record);
    const lxrel::SweepResult result = lxrel::SweepWriteFailures(record);
    EXPECT_THAT(result.violations, IsEmpty());
    EXPECT_GT(result.loads, 0u);
  }
}

}  // namespace

TEST(PersistFaults, SavesOfEveryExampleStopAtEachRefusedWrite) {
  ExpectSavesStopAtEachRefusedWrite(Cameras(), lxrel::CameraLoader());
  ExpectSavesStopAtEachRefusedWrite(Cameras(), lxrel::DistortionLoader());
  ExpectSavesStopAtEachRefusedWrite(TemplateSets(), lxrel::TemplatesLoader());
}

TEST(PersistFaults, EveryTruncatedExampleLoadsWholeOrChangesNothing) {
  ExpectSweepClean(Cameras(), lxrel::CameraLoader(), kTruncations);
  ExpectSweepClean(Cameras(), lxrel::DistortionLoader(), kTruncations);
  ExpectSweepClean(TemplateSets(), lxrel::TemplatesLoader(), kTruncations);
}

TEST(PersistFaults, EverySingleByteChangeLoadsConsistentlyOrChangesNothing) {
  ExpectSweepClean(Cameras(), lxrel::CameraLoader(), kByteChanges);
  ExpectSweepClean(Cameras(), lxrel::DistortionLoader(), kByteChanges);
  ExpectSweepClean(TemplateSets(), lxrel::TemplatesLoader(), kByteChanges);
}
