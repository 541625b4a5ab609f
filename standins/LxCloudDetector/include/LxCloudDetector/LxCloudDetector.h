#pragma once

#include <cstdint>

#include <LxCloudDetector/Export.h>

// Stand-in for the suite's companion library. It does no work of its own; it
// keeps count of its start-ups so that hosts and tests can see that the camera
// library starts and stops it.
//
// Starts are nested: every Init_LxCloudDetector is matched by one
// Deinit_LxCloudDetector, and the library runs while more of the former have
// been made. Call from one thread at a time.
extern "C" {
LXCLOUDDETECTOR_API void Init_LxCloudDetector();
LXCLOUDDETECTOR_API void Deinit_LxCloudDetector();
}

// True while the library runs.
LXCLOUDDETECTOR_API bool LxCloudDetectorIsStarted();

// How often the library went from stopped to running in this process.
LXCLOUDDETECTOR_API std::uint64_t LxCloudDetectorStartCount();
