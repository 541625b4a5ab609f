// Every measurement example under refused writes, truncation and single-byte
// damage: saves stop at the refused write, loads succeed whole or change
// nothing. Records are compared by their bits, as a NaN never equals itself.

#include <LxCameraUtils/IntOrMeas.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Reliability.h"

using ::testing::IsEmpty;

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
