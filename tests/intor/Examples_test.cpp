// The bundled measurement documents: each saves back to its own bytes, is ready
// for the camera it was measured with and solves with it, and survives refused
// writes, truncation and single-byte damage (saves stop at the refused write,
// loads succeed whole or change nothing).
#include <LxCameraUtils/IntOrMeas.h>
#include <LxCameraUtils/IntOrSolution.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "Reliability.h"

using ::testing::IsEmpty;

namespace {

TLxCameraInfo CameraOf(const std::string& meas_name) {
  TLxCameraInfo camera;
  const std::string camera_file = meas_name.substr(0, meas_name.size() - 10) + ".xini";
  lxrel::LoadFrom(lxrel::Documents(LX_EXAMPLES_DIR "/cameras", camera_file).at(0).second,
                  lxrel::CameraLoader(), camera);
  return camera;
}

}  // namespace

TEST(IntOrExamples, SaveBackByteForByteAndAreReadyForTheirCameraAndSolved) {
  const auto docs = lxrel::Documents(LX_EXAMPLES_DIR "/cameras", ".meas.xini");
  EXPECT_EQ(docs.size(), 5u) << "one per camera type that has marks, and a mirrored scan";
  for (const auto& [name, text] : docs) {
    SCOPED_TRACE(name);
    TLxIntOrMeas meas;
    lxrel::LoadFrom(text, lxrel::IntOrLoader(), meas);
    TLxXIniWriter out;
    const TLxXIniHandle begun = out.BeginSectionSE("int_or_meas");
    meas.SaveE(&out);
    out.EndSection(begun);
    EXPECT_EQ(out.Text(), text);

    const TLxCameraInfo camera = CameraOf(name);
    std::string message = "untouched";
    EXPECT_TRUE(meas.IntOrReady(camera, &message)) << message;
    EXPECT_EQ(message, "untouched");
    TLxIntOrSolution solution;
    EXPECT_TRUE(SolveIntOr(camera, meas, &solution, &message)) << message;
    EXPECT_LT(solution.rms_px, 0.5);
  }
}

// The scan of the camera of a public calibration report, at 14 µm, emulsion
// down: mirrored left to right and turned by 0.2°.
TEST(IntOrExamples, SolveTheMirroredScanOfTheReportsCamera) {
  const std::string name = "film-usgs-report-formula.meas.xini";
  TLxIntOrMeas meas;
  lxrel::LoadFrom(lxrel::Documents(LX_EXAMPLES_DIR "/cameras", name).at(0).second,
                  lxrel::IntOrLoader(), meas);
  const TLxIntOrSolution s = SolveIntOrE(CameraOf(name), meas);
  EXPECT_TRUE(s.mirrored);
  EXPECT_NEAR(s.rotation_deg, -179.8, 0.01);
  EXPECT_NEAR(s.scale_um_per_px.x, 14.0, 0.01);
  EXPECT_NEAR(s.scale_um_per_px.y, 14.0, 0.01);
  EXPECT_EQ(s.redundancy, 2);
  EXPECT_THAT(s.warnings, IsEmpty());
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
