// Loads of every example with each allocation failing in turn, in a program
// of its own: it replaces the global operator new.

#include <gtest/gtest.h>

#include "FailingNew.h"

namespace {

template <typename Record>
void ExpectEveryAllocationFailureHandled(const char* dir, const char* suffix, const char* exclude,
                                         const lxrel::Loader<Record>& loader) {
  const auto docs = lxrel::Documents(dir, suffix, exclude);
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
  const char* const cameras = LX_EXAMPLES_DIR "/cameras";
  ExpectEveryAllocationFailureHandled(cameras, ".xini", ".meas.xini", lxrel::CameraLoader());
  ExpectEveryAllocationFailureHandled(cameras, ".xini", ".meas.xini", lxrel::DistortionLoader());
  ExpectEveryAllocationFailureHandled(LX_EXAMPLES_DIR "/templates", ".xini", "",
                                      lxrel::TemplatesLoader());
}
