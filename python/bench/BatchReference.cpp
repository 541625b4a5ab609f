// The C++ side of python/bench/bench_transforms.py: maps the points of a raw
// float64 file (x, y per point) through the camera-to-mm transform of a
// camera document, `repeats` times, and prints the best time in seconds, so
// that the binding's batch is measured against the same work in the same run.
//
//   python_batch_reference CAMERA.xini POINTS.f64 REPEATS

#include <LxCameraUtils/CameraGeometry.h>
#include <LxCameraUtils/CameraInfo.h>
#include <LxStd/XIni.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

using P = vec_t_<double, 2>;

std::string ReadFile(const char* path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error(std::string("cannot read ") + path);
  return {std::istreambuf_iterator<char>(file), {}};
}

TLxCameraInfo LoadCamera(const char* path) {
  const std::string text = ReadFile(path);
  TLxXIniReader reader(text);
  reader.EnterSectionSE("camera");
  TLxCameraInfo camera;
  camera.LoadE(&reader);
  return camera;
}

std::vector<P> LoadPoints(const char* path) {
  const std::string bytes = ReadFile(path);
  std::vector<P> points(bytes.size() / sizeof(P));
  std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(points.size() * sizeof(P)),
            reinterpret_cast<char*>(points.data()));
  return points;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s CAMERA.xini POINTS.f64 REPEATS\n", argv[0]);
    return 2;
  }
  try {
    const auto transform = CreateCamToMmTransform(LoadCamera(argv[1]));
    const std::vector<P> in = LoadPoints(argv[2]);
    std::vector<P> out(in.size());
    double best = 1e300;  // s
    for (int i = 0, repeats = std::atoi(argv[3]); i < repeats; ++i) {
      const auto start = std::chrono::steady_clock::now();
      transform->TransformPoints(in.data(), out.data(), in.size());
      const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
      best = std::min(best, took.count());
    }
    std::printf("%.9g\n", best);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}
