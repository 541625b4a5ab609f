// Test programs take the locale from the environment, as hosts do, so that a
// run under a decimal-comma locale shows whether any number depends on it.

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <stdexcept>

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  try {
    std::locale::global(std::locale(""));
  } catch (const std::runtime_error&) {
    // A locale the C library knows but the C++ library does not: keep C's.
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
