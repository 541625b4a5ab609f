// The bundled measurement documents: each saves back to its own bytes, is ready
// for the camera it was measured with, and survives refused writes, truncation
// and single-byte damage (saves stop at the refused write, loads succeed whole
// or change nothing).
#include <LxCameraUtils/IntOrMeas.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "Reliability.h"

using ::testing::IsEmpty;

TEST(IntOrExamples, SaveBackByteForByteAndAreReadyForTheirCamera) {
  const auto docs = lxrel::Documents(LX_EXAMPLES_DIR "/cameras", ".meas.xini");
  EXPECT_EQ(docs.size(), 4u) << "one per camera type that has marks";
  for (const auto& [name, text] : docs) {
    SCOPED_TRACE(name);
    TLxIntOrMeas meas;
    lxrel::LoadFrom(text, lxrel::IntOrLoader(), meas);
    TLxXIniWriter out;
    const TLxXIniHandle begun = out.BeginSectionSE("int_or_meas");
    meas.SaveE(&out);
    out.EndSection(begun);
    EXPECT_EQ(out.Text(), text);

    TLxCameraInfo camera;
    const std::string camera_file = name.substr(0, name.size() - 10) + ".xini";
    lxrel::LoadFrom(lxrel::Documents(LX_EXAMPLES_DIR "/cameras", camera_file).at(0).second,
                    lxrel::CameraLoader(), camera);
    std::string message = "untouched";
    EXPECT_TRUE(meas.IntOrReady(camera, &message)) << message;
    EXPECT_EQ(message, "untouched");
  }
}

TEST(IntOrFaults, EveryExampleSurvivesRefusedWritesTruncationAndDamage) {
  const auto docs = lxrel::Documents(LX_EXAMPLES_DIR "/cameras", ".meas.xini");
  ASSERT_FALSE(docs.empty());
  const lxrel::Loader<TLxIntOrMeas> loader = lxrel::IntOrLoader();
  for (const auto& [name, text] : docs) {
    SCOPED_TRACE(name);
    TLxIntOrMeas meas;
    lxrel::LoadFrom(text, loader, meas);
    const lxrel::SweepResult writes = lxrel::SweepWriteFailures(meas);
    EXPECT_THAT(writes.violations, IsEmpty());
    EXPECT_GT(writes.loads, 0u);
    for (const lxrel::SweepResult& loads :
         {lxrel::SweepTruncations(text, loader), lxrel::SweepByteChanges(text, loader)}) {
      EXPECT_THAT(loads.violations, IsEmpty());
      EXPECT_GT(loads.loaded, 0u);
      EXPECT_LT(loads.loaded, loads.loads);
    }
  }
}
