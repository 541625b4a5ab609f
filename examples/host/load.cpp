// Loads a camera document and prints what the camera is; a bad file is
// reported with its kind, key, section and line.
#include <LxCameraUtils/LxCameraUtils.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: host_load CAMERA.xini\n");
    return 2;
  }
  const lxcu::Result<TLxCameraInfo> camera = lxcu::LoadCamera(argv[1]);
  if (!camera) {
    const lxcu::Failure& f = camera.error();
    std::fprintf(stderr, "%s\n", f.message.c_str());
    if (f.kind == lxcu::Failure::Kind::Content)
      std::fprintf(stderr, "key \"%s\" in %s, line %d\n", f.key.c_str(), f.section.c_str(), f.line);
    return 1;
  }
  std::printf("%s: focal length %.3f mm, principal point (%.3f, %.3f) mm, %s distortion\n",
              camera->name.c_str(), camera->focus, camera->principal_point.x,
              camera->principal_point.y, DistortionTypeToUserText(camera->distortion.type).c_str());
  return 0;
}
