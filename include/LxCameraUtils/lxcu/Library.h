#pragma once

// Start-up and shut-down as a scope.
//
// Hosts need no start-up to read, write, map, fit or check: every operation
// of LxCameraUtils works without one. It matters only to a host that uses the
// companion library LxCloudDetector through this one (started and stopped
// with it) or the path the library was loaded from. Such a host creates one
// guard, e.g. at the top of main, from one thread at a time; guards nest.

#include <LxCameraUtils/Module.h>

namespace lxcu {

class LibraryGuard {
 public:
  LibraryGuard() { Init_LxCameraUtils(); }
  ~LibraryGuard() { Deinit_LxCameraUtils(); }
  LibraryGuard(const LibraryGuard&) = delete;
  LibraryGuard& operator=(const LibraryGuard&) = delete;
};

}  // namespace lxcu
