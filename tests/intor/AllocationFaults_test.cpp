// Loads of every measurement example with each allocation failing in turn, in
// a program of its own: it replaces the global operator new.

#include <gtest/gtest.h>

#include "FailingNew.h"

TEST(IntOrAllocationFaults, EveryFailedAllocationRaisesAndLeavesTheRecord) {
  const auto docs = lxrel::Documents(LX_EXAMPLES_DIR "/cameras", ".meas.xini");
  ASSERT_FALSE(docs.empty());
  for (const auto& [name, text] : docs) {
    SCOPED_TRACE(name);
    const lxrel::AllocationSweep sweep = lxrel::SweepAllocationFailures(text, lxrel::IntOrLoader());
    EXPECT_EQ(sweep.violation, "");
    EXPECT_GT(sweep.failures, 10);
  }
}
