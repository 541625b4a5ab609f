#include <LxCloudDetector/LxCloudDetector.h>

namespace {

struct TState {
  std::uint64_t nesting = 0;
  std::uint64_t starts = 0;
};

TState& State() {
  static TState state;
  return state;
}

}  // namespace

void Init_LxCloudDetector() {
  TState& s = State();
  if (s.nesting++ == 0) ++s.starts;
}

void Deinit_LxCloudDetector() {
  TState& s = State();
  if (s.nesting > 0) --s.nesting;
}

bool LxCloudDetectorIsStarted() {
  return State().nesting > 0;
}

std::uint64_t LxCloudDetectorStartCount() {
  return State().starts;
}
