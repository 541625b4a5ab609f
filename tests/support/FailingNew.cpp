#include "FailingNew.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// Allocations left before the failing one; negative when disarmed.
std::atomic<long> g_countdown{-1};

void* Allocate(std::size_t size) {
  if (g_countdown.load(std::memory_order_relaxed) >= 0 && g_countdown.fetch_sub(1) == 0)
    throw std::bad_alloc();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

}  // namespace

namespace lxrel {

void FailAllocation(long n) {
  g_countdown.store(n < 0 ? -1 : n);
}

bool AllocationFailurePending() {
  return g_countdown.load() >= 0;
}

}  // namespace lxrel

// Declared with default visibility by <new>, so shared libraries of the
// program allocate through these too.
void* operator new(std::size_t size) {
  return Allocate(size);
}
void* operator new[](std::size_t size) {
  return Allocate(size);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}
