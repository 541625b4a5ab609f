// Reads one byte past a heap block; AddressSanitizer stops the program.
#include <cstddef>
#include <cstdio>
#include <memory>

int main() {
  const auto block = std::make_unique<char[]>(16);
  volatile std::size_t past = 16;
  std::printf("%d\n", block[past]);
  return 0;
}
