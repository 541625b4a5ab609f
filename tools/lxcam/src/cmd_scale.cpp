// lxcam scale: multiplies every distortion value by one factor.
#include <cstdio>
#include <memory>

#include <LxCameraUtils/CameraGeometry.h>

#include "Commands.h"
#include "Common.h"

namespace lxcam {

Subcommand AddScaleCommand(CLI::App& root) {
  auto args = std::make_shared<CameraRewrite>();
  auto factor = std::make_shared<double>(1.0);
  CLI::App* app = root.add_subcommand(
      "scale", "Multiplies the distortion values by a factor and writes the camera");
  args->AddOptions(app, "Scaled camera document");
  app->add_option("--factor", *factor, "Finite factor applied to every distortion value")
      ->required()
      ->check(FiniteNumber());
  app->footer(
      "Scales coefficients and table values dr; radii, p3, p4, the type, direction and\n"
      "symmetry point stay. The output is the input document with the camera's section\n"
      "replaced; its other sections, comments and layout stay as they were.");
  return {app, [args, factor] {
            TLxCameraInfo camera = args->Load();
            ApplyDistortionMultiplier(&camera.distortion, *factor);
            args->Write(camera, "scaled the " + DistortionTypeName(camera.distortion.type) +
                                    " distortion by " + Num(*factor));
            return kExitOk;
          }};
}

}  // namespace lxcam
