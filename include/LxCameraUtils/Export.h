#pragma once

// Symbols of LxCameraUtils are hidden unless marked with LXCAMERAUTILS_API.
#define LXCAMERAUTILS_API __attribute__((visibility("default")))
