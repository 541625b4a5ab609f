#include <LxStd/ResString.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {
const std::string kModule = "LxCameraUtils";
}

TEST(ResString, ServesTheBuiltinTextsOfTheCameraLibrary) {
  for (const char* key : {"global.TEXT_CI_TYPE_DIGITAL", "global.CamDscDMC",
                          "global.Warn_NotAllFidMeasured", "global.TEXT_CI_UNITS_MKM"}) {
    const std::string* text = nullptr;
    ASSERT_TRUE(LoadResString(kModule, key, text)) << key;
    ASSERT_NE(text, nullptr);
    EXPECT_FALSE(text->empty()) << key;
  }
}

TEST(ResString, MissingKeysAndModulesLeaveTheOutputAlone) {
  const std::string sentinel = "unchanged";
  const std::string* text = &sentinel;
  EXPECT_FALSE(LoadResString(kModule, "global.NoSuchKey", text));
  EXPECT_FALSE(LoadResString("NoSuchModule", "global.TEXT_CI_TYPE_DIGITAL", text));
  EXPECT_EQ(text, &sentinel);
}

TEST(ResString, HostsReplaceAndRemoveTexts) {
  const std::string key = "global.TestOnlyKey";
  const std::string* text = nullptr;
  LxSetResString(kModule, key, "first");
  ASSERT_TRUE(LoadResString(kModule, key, text));
  EXPECT_EQ(*text, "first");
  LxSetResString(kModule, key, std::string("se\0cond", 7));
  ASSERT_TRUE(LoadResString(kModule, key, text));
  EXPECT_EQ(*text, std::string("se\0cond", 7));
  EXPECT_TRUE(LxRemoveResString(kModule, key));
  EXPECT_FALSE(LxRemoveResString(kModule, key));
  EXPECT_FALSE(LoadResString(kModule, key, text));
}

TEST(ResString, ReadersRunConcurrentlyWithAWriter) {
  std::vector<std::thread> readers;
  std::atomic<int> misses{0};
  for (int t = 0; t < 4; ++t)
    readers.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) {
        const std::string* text = nullptr;
        if (!LoadResString(kModule, "global.TEXT_CI_TYPE_CROSS", text)) ++misses;
      }
    });
  for (int i = 0; i < 2000; ++i)
    LxSetResString(kModule, "global.TestConcurrent", "x");
  for (auto& r : readers)
    r.join();
  EXPECT_EQ(misses.load(), 0);
  LxRemoveResString(kModule, "global.TestConcurrent");
}
