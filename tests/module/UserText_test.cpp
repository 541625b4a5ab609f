#include <LxStd/ResString.h>

#include <gtest/gtest.h>

#include "module/ModuleRecord.h"

using lxcu::internal::ModuleRecord;

TEST(ModuleUserText, FindsTheModuleTextsWithoutAStartUpAndIsEmptyForAKeyWithoutText) {
  ASSERT_EQ(ModuleRecord().ref_count, 0u);
  EXPECT_FALSE(ModuleRecord().UserText("global.TEXT_CI_TYPE_CROSS").empty());
  EXPECT_EQ(ModuleRecord().UserText("global.NoSuchKey"), "");
  LxSetResString("LxCameraUtils", "global.Temporary", "here");
  EXPECT_EQ(ModuleRecord().UserText("global.Temporary"), "here");
  LxRemoveResString("LxCameraUtils", "global.Temporary");
  EXPECT_EQ(ModuleRecord().UserText("global.Temporary"), "");
}
