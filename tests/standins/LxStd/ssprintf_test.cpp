#include <LxStd/ssprintf.h>

#include <gtest/gtest.h>

#include <string>

TEST(Ssprintf, FormatsLikePrintf) {
  EXPECT_EQ(Kelvora::ssprintf("%s\n@EnumToTextE(): Invalid enum value: %i.", "ctx", -1),
            "ctx\n@EnumToTextE(): Invalid enum value: -1.");
  EXPECT_EQ(Kelvora::ssprintf("a%zu", std::size_t{7}), "a7");
  EXPECT_EQ(Kelvora::ssprintf("%s", ""), "");
}

TEST(Ssprintf, HasNoLengthLimit) {
  const std::string big(100000, 'x');
  const std::string out = Kelvora::ssprintf("[%s]", big.c_str());
  ASSERT_EQ(out.size(), big.size() + 2);
  EXPECT_EQ(out.front(), '[');
  EXPECT_EQ(out.back(), ']');
}
