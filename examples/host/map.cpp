// Maps a grid of camera coordinates to millimetres and back, in batches, and
// prints the largest round-trip deviation.
#include <LxCameraUtils/LxCameraUtils.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: host_map CAMERA.xini\n");
    return 2;
  }
  const auto camera = lxcu::LoadCamera(argv[1]);
  if (!camera) {
    std::fprintf(stderr, "%s\n", camera.error().message.c_str());
    return 1;
  }
  std::vector<lxcu::Point> cam;
  for (double x = -40.0; x <= 40.0; x += 0.5)
    for (double y = -40.0; y <= 40.0; y += 0.5)
      cam.push_back(camera->principal_point + lxcu::Point{x, y});

  const lxcu::Transform to_mm = lxcu::CamToMm(*camera), to_cam = lxcu::MmToCam(*camera);
  std::vector<lxcu::Point> mm(cam.size()), back(cam.size());
  lxcu::Map(*to_mm, cam, mm);
  lxcu::Map(*to_cam, mm, back);

  double worst_mm = 0.0;
  for (std::size_t i = 0; i < cam.size(); ++i)
    worst_mm = std::max(worst_mm, std::hypot(back[i].x - cam[i].x, back[i].y - cam[i].y));
  std::printf("%zu points: (%.3f, %.3f) -> (%.6f, %.6f) mm; largest round trip %.3g mm\n",
              cam.size(), cam[0].x, cam[0].y, mm[0].x, mm[0].y, worst_mm);
  return worst_mm <= 1e-9 ? 0 : 1;
}
