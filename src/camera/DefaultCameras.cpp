#include <LxCameraUtils/DefaultCameras.h>

#include <LxStd/EOL.h>

#include <cstdint>
#include <string>

#include "module/ModuleRecord.h"

using namespace lxcu::internal;

namespace {

struct TPreset {
  const char* name_key;
  const char* description_key;
  double focus_mm;
  double pixel_size_mm;
  std::uint64_t sensor_x_px;
  std::uint64_t sensor_y_px;
};

constexpr TPreset kDmc = {"global.CamNameDMC", "global.CamDscDMC", 120.0, 0.012, 7680, 13824};
constexpr TPreset kVideo = {"global.CamNameVideo", "global.CamDscVideo", 22.0, 0.023, 1080, 1920};

TLxCameraInfo FromPreset(const TPreset& preset) {
  const TModuleRecord& module = ModuleRecord();
  TLxCameraInfo camera = CreateDefaultCamera();
  camera.name = module.UserText(preset.name_key);
  // Records keep CRLF, as the camera document does when it reads a description.
  camera.description = LxNormalizeEOL(
      module.UserText(preset.description_key) + module.UserText("global.CamDscAutoCreated"),
      eolCRLF);
  camera.focus = preset.focus_mm;
  camera.principal_point = {0.0, 0.0};
  camera.pixel_size = {preset.pixel_size_mm, preset.pixel_size_mm};
  camera.sensor_dims = {preset.sensor_x_px, preset.sensor_y_px};
  camera.digital_camera_origin = dcoCenter;
  return camera;
}

}  // namespace

TLxCameraInfo CreateDefaultCamera() {
  TLxCameraInfo camera;
  camera.type = ctDigital;
  return camera;
}

TLxCameraInfo CreateDefaultDMCCamera() {
  return FromPreset(kDmc);
}

TLxCameraInfo CreateDefaultVideoCamera() {
  return FromPreset(kVideo);
}
