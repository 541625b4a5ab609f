// Two threads count in one plain int; ThreadSanitizer reports the race.
#include <cstdio>
#include <thread>

namespace {
int g_count = 0;

void CountUp() {
  for (int i = 0; i < 1000; ++i)
    ++g_count;
}
}  // namespace

int main() {
  std::thread a(CountUp);
  std::thread b(CountUp);
  a.join();
  b.join();
  std::printf("%d\n", g_count);
  return 0;
}
