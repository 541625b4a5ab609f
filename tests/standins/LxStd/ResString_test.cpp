#include <LxStd/ResString.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

const std::string kModule = "LxCameraUtils";

TEST(ResString, HostsReplaceAndRemoveTextsAndMissingOnesLeaveTheOutputAlone) {
  const std::string key = "global.TestOnlyKey";
  const std::string* text = nullptr;
  LxSetResString(kModule, key, "first");
  LxSetResString(kModule, key, std::string("se\0cond", 7));
  ASSERT_TRUE(LoadResString(kModule, key, text));
  EXPECT_EQ(*text, std::string("se\0cond", 7));
  EXPECT_TRUE(LxRemoveResString(kModule, key));
  EXPECT_FALSE(LxRemoveResString(kModule, key));
  const std::string* const before = text;
  EXPECT_FALSE(LoadResString(kModule, key, text));
  EXPECT_FALSE(LoadResString("NoSuchModule", "global.TEXT_CI_TYPE_DIGITAL", text));
  EXPECT_EQ(text, before);
}

TEST(ResString, ReadersRunConcurrentlyWithAWriter) {
  std::atomic<int> misses{0};
  const auto read = [&] {
    const std::string* text = nullptr;
    for (int i = 0; i < 20000; ++i)
      misses += !LoadResString(kModule, "global.TEXT_CI_TYPE_CROSS", text);
  };
  std::vector<std::thread> readers(4);
  for (std::thread& reader : readers)
    reader = std::thread(read);
  for (int i = 0; i < 2000; ++i)
    LxSetResString(kModule, "global.TestConcurrent", "x");
  for (std::thread& reader : readers)
    reader.join();
  EXPECT_EQ(misses.load(), 0);
  LxRemoveResString(kModule, "global.TestConcurrent");
}
