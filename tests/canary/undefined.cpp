// Overflows a signed int; UndefinedBehaviorSanitizer stops the program.
#include <climits>
#include <cstdio>

int main() {
  volatile int largest = INT_MAX;
  const int sum = largest + 1;
  std::printf("%d\n", sum);
  return 0;
}
