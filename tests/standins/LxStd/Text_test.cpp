#include <LxStd/EOL.h>
#include <LxStd/ResString.h>
#include <LxStd/ssprintf.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

TEST(Ssprintf, FormatsLikePrintfWithoutALengthLimit) {
  EXPECT_EQ(Kelvora::ssprintf("%s\n%i.%zu", "ctx", -1, std::size_t{7}), "ctx\n-1.7");
  EXPECT_EQ(Kelvora::ssprintf("%s", ""), "");
  const std::string big(100000, 'x');
  EXPECT_EQ(Kelvora::ssprintf("[%s]", big.c_str()), "[" + big + "]");
}

TEST(LxNormalizeEOL, ConvertsEveryLineEndToTheRequestedFormIdempotently) {
  const std::string mixed = "a\nb\r\nc\rd\r\r\n\n";
  EXPECT_EQ(LxNormalizeEOL(mixed, eolLF), "a\nb\nc\nd\n\n\n");
  EXPECT_EQ(LxNormalizeEOL(mixed, eolCRLF), "a\r\nb\r\nc\r\nd\r\n\r\n\r\n");
  EXPECT_EQ(LxNormalizeEOL(mixed, eolCR), "a\rb\rc\rd\r\r\r");
  using namespace std::string_literals;
  for (const std::string& s : {""s, "no end"s, "\r"s, "\n\r"s, "x\r\n\r\ny"s, "a\0\rb"s}) {
    const std::string lf = LxNormalizeEOL(s, eolLF);
    for (const TEOLType t : {eolLF, eolCR, eolCRLF}) {
      const std::string once = LxNormalizeEOL(s, t);
      EXPECT_EQ(LxNormalizeEOL(once, t), once);
      EXPECT_EQ(LxNormalizeEOL(once, eolLF), lf);
    }
  }
}

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

TEST(ConcurrentResStrings, ReadersRunAlongsideAWriter) {
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
