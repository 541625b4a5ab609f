// One transform shared by four threads, each mapping its quarter of the
// points; the result equals one thread's.
#include <LxCameraUtils/LxCameraUtils.h>

#include <cstdio>
#include <span>
#include <thread>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: host_threads CAMERA.xini\n");
    return 2;
  }
  const auto camera = lxcu::LoadCamera(argv[1]);
  if (!camera) {
    std::fprintf(stderr, "%s\n", camera.error().message.c_str());
    return 1;
  }
  const lxcu::Transform to_mm = lxcu::CamToMm(*camera);  // immutable: safe to share

  std::vector<lxcu::Point> points;
  for (int i = 0; i < 400000; ++i)
    points.push_back({(i % 800) * 0.1 - 40.0, (i / 800) * 0.16 - 40.0});
  const std::vector<lxcu::Point> alone = lxcu::Mapped(*to_mm, points);

  constexpr std::size_t kThreads = 4;
  const std::size_t share = points.size() / kThreads;
  std::vector<std::jthread> workers;
  for (std::size_t t = 0; t < kThreads; ++t) {
    const std::span<lxcu::Point> part =
        std::span(points).subspan(t * share, t + 1 == kThreads ? std::dynamic_extent : share);
    workers.emplace_back([to_mm, part] { lxcu::MapInPlace(*to_mm, part); });
  }
  workers.clear();  // joins

  const bool same = points == alone;
  std::printf("%zu points on %zu threads: %s\n", points.size(), kThreads,
              same ? "equal to one thread" : "DIFFERENT from one thread");
  return same ? 0 : 1;
}
