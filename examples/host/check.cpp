// Whether an image's interior orientation can be solved, and if so, solves it.
#include <LxCameraUtils/LxCameraUtils.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: host_check CAMERA.xini MEASUREMENTS.xini\n");
    return 2;
  }
  const auto camera = lxcu::LoadCamera(argv[1]);
  const auto meas = lxcu::LoadMeasurements(argv[2]);
  for (const lxcu::Failure* f :
       {camera ? nullptr : &camera.error(), meas ? nullptr : &meas.error()})
    if (f != nullptr) {
      std::fprintf(stderr, "%s\n", f->message.c_str());
      return 1;
    }
  const lxcu::IntOrCheck check = lxcu::CanSolve(*camera, *meas);
  if (!check) {
    std::printf("not ready: %s\n", check.error.c_str());
    return 1;
  }
  if (!check.warning.empty()) std::printf("warning: %s\n", check.warning.c_str());
  const TLxIntOrSolution solution = SolveIntOrE(*camera, *meas);
  std::printf("ready; solved with rms %.3f px\n", solution.rms_px);
  return 0;
}
