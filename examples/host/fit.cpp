// Expresses a camera's distortion as the mixed type and says how.
#include <LxCameraUtils/LxCameraUtils.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: host_fit CAMERA.xini\n");
    return 2;
  }
  const auto camera = lxcu::LoadCamera(argv[1]);
  if (!camera) {
    std::fprintf(stderr, "%s\n", camera.error().message.c_str());
    return 1;
  }
  const lxcu::FitResult fit = lxcu::ConvertDistortion(*camera, dtMixed);
  switch (fit.done) {
    case lxcu::FitResult::Done::Refused:
      std::printf("refused: %s\n", fit.reason.c_str());
      return 1;
    case lxcu::FitResult::Done::Copied:
      std::printf("copied exactly: %s\n", fit.reason.c_str());
      break;
    case lxcu::FitResult::Done::Fitted:
      std::printf("fitted up to %.3f mm, largest deviation %.3f um: %s\n", fit.radius_mm,
                  fit.max_error_mm * 1000.0, fit.reason.c_str());
      break;
  }
  std::printf("K = %.6g %.6g %.6g\n", fit.distortion.mixed_coeffs.K[0],
              fit.distortion.mixed_coeffs.K[1], fit.distortion.mixed_coeffs.K[2]);
  return 0;
}
