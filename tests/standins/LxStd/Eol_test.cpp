#include <LxStd/EOL.h>

#include <gtest/gtest.h>

#include <string>

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
