// Loads of every example with each allocation failing in turn, in a program
// of its own: it replaces the global operator new.

#include <gtest/gtest.h>

#include "FailingNew.h"

namespace {

template <typename Record>
void ExpectEveryAllocationFailureHandled(const char* dir, const lxrel::Loader<Record>& loader) {
  const auto docs = lxrel::Documents(dir, ".xini", ".meas.xini");
  ASSERT_FALSE(docs.empty());
  for (const auto& [name, text] : docs) {
    SCOPED_TRACE(name + ", " + loader.name);
    const lxrel::AllocationSweep sweep = lxrel::SweepAllocationFailures(text, loader);
    EXPECT_EQ(sweep.violation, "");
    EXPECT_GT(sweep.failures, 10);
  }
}

}  // namespace

TEST(PersistAllocationFaults, EveryFailedAllocationRaisesAndLeavesTheRecord) {
  ExpectEveryAllocationFailureHandled(LX_EXAMPLES_DIR "/cameras", lxrel::CameraLoader());
  ExpectEveryAllocationFailureHandled(LX_EXAMPLES_DIR "/cameras", lxrel::DistortionLoader());
  ExpectEveryAllocationFailureHandled(LX_EXAMPLES_DIR "/templates", lxrel::TemplatesLoader());
}
