// Loads of every example with each allocation failing in turn, in a program
// of its own: it replaces the global operator new.

#include <gtest/gtest.h>

#include "FailingNew.h"
#include "Kinds.h"

namespace {

template <class Kind>
class AllocationFaults : public testing::Test {};
TYPED_TEST_SUITE(AllocationFaults, DocumentKinds);

}  // namespace

TYPED_TEST(AllocationFaults, EveryFailedAllocationRaisesAndLeavesTheRecord) {
  ASSERT_FALSE(Examples<TypeParam>().empty());
  for (const auto& [name, text] : Examples<TypeParam>()) {
    SCOPED_TRACE(name);
    const lxrel::AllocationSweep sweep = lxrel::SweepAllocationFailures(text, TypeParam::Loader());
    EXPECT_EQ(sweep.violation, "");
    EXPECT_GT(sweep.failures, 10);
  }
}
