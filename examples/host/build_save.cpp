// Builds a digital camera in code, saves it, and reads it back.
#include <LxCameraUtils/LxCameraUtils.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: host_build_save OUTPUT.xini\n");
    return 2;
  }
  TLxCameraInfo camera = CreateDefaultCamera();
  camera.name = "bench camera";
  camera.focus = 50.0;                      // mm
  camera.principal_point = {0.012, -0.03};  // mm
  camera.pixel_size = {0.0045, 0.0045};     // mm
  camera.sensor_dims = {8000, 6000};        // px
  camera.distortion.type = dtFormula;
  camera.distortion.symmetry_point = camera.principal_point;
  camera.distortion.k1 = -3e-5;  // mm⁻²

  if (const auto saved = lxcu::SaveCamera(camera, argv[1]); !saved) {
    std::fprintf(stderr, "%s\n", saved.error().message.c_str());
    return 1;
  }
  const auto again = lxcu::LoadCamera(argv[1]);
  const bool same = again && *again == camera;
  std::printf("saved %s: %s\n", argv[1], same ? "reads back equal" : "READS BACK DIFFERENT");
  return same ? 0 : 1;
}
