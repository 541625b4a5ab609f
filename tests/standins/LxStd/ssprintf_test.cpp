#include <LxStd/ssprintf.h>

#include <gtest/gtest.h>

#include <string>

TEST(Ssprintf, FormatsLikePrintfWithoutALengthLimit) {
  EXPECT_EQ(Kelvora::ssprintf("%s\n@EnumToTextE(): Invalid enum value: %i.", "ctx", -1),
            "ctx\n@EnumToTextE(): Invalid enum value: -1.");
  EXPECT_EQ(Kelvora::ssprintf("a%zu", std::size_t{7}), "a7");
  EXPECT_EQ(Kelvora::ssprintf("%s", ""), "");
  const std::string big(100000, 'x');
  EXPECT_EQ(Kelvora::ssprintf("[%s]", big.c_str()), "[" + big + "]");
}
