#pragma once

#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/Export.h>

// Ready-made cameras. Names and descriptions are user texts of this module; a
// text missing from the resource store is taken as empty, so these never fail
// for missing texts. Descriptions carry CRLF line ends.

// A reset record with type ctDigital.
LXCAMERAUTILS_API TLxCameraInfo CreateDefaultCamera();

// Large-format digital frame camera: ctDigital, focus 120 mm, pixel 0.012 mm,
// sensor 7680 x 13824 px (x, y), origin dcoCenter, no distortion.
LXCAMERAUTILS_API TLxCameraInfo CreateDefaultDMCCamera();

// Video camera: ctDigital, focus 22 mm, pixel 0.023 mm, sensor 1080 x 1920 px
// (x, y), origin dcoCenter, no distortion.
LXCAMERAUTILS_API TLxCameraInfo CreateDefaultVideoCamera();
