#pragma once

#include <LxCameraUtils/Export.h>

// Start-up and shut-down of the library.
//
// Call Init_LxCameraUtils before using the library and Deinit_LxCameraUtils once
// for every such call, from one thread at a time. The first start-up (and the
// first after a full shut-down) starts the companion library LxCloudDetector and
// notes the path this library was loaded from; the shut-down that matches the
// last start-up stops the companion. A shut-down without a start-up does
// nothing. User texts and every other operation work without a start-up.
extern "C" {
LXCAMERAUTILS_API void Init_LxCameraUtils();
LXCAMERAUTILS_API void Deinit_LxCameraUtils();
}
