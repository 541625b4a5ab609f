// lxcam scale: multiplies every distortion value by one factor.
#include <cmath>
#include <cstdio>
#include <memory>

#include <LxCameraUtils/CameraGeometry.h>

#include "Commands.h"
#include "Common.h"

namespace lxcam {

Subcommand AddScaleCommand(CLI::App& root) {
  struct Args {
    std::string file;
    double factor = 1.0;
    std::string output = "-";
    std::string section = kCameraSection;
    bool force = false;
  };
  auto args = std::make_shared<Args>();
  CLI::App* app = root.add_subcommand(
      "scale", "Multiplies the distortion values by a factor and writes the camera");
  app->add_option("FILE", args->file, "Camera document")->required();
  app->add_option("--factor", args->factor, "Finite factor applied to every distortion value")
      ->required();
  app->add_option("-o,--output", args->output, "Scaled camera document (\"-\": standard output)")
      ->capture_default_str();
  app->add_option("--section", args->section,
                  "Top-level section holding the camera, also used for the output")
      ->capture_default_str();
  app->add_flag("--force", args->force, "Allow the output to overwrite the input file");
  app->footer(
      "Scales coefficients and table values dr; radii, p3, p4, the type, direction and\n"
      "symmetry point stay. The output holds the camera only, under the same section name.");
  return {app, [args] {
            if (!std::isfinite(args->factor))
              throw InputError("--factor must be a finite number, not " + Num(args->factor));
            RefuseToOverwriteInputs(args->output, {args->file}, args->force);
            TLxCameraInfo camera = LoadCamera(args->file, args->section);
            ApplyDistortionMultiplier(&camera.distortion, args->factor);
            WriteOutput(args->output, CameraDocumentText(camera, args->section));
            std::FILE* report = IsStdout(args->output) ? stderr : stdout;
            std::fprintf(report, "scaled the %s distortion by %s\n",
                         DistortionTypeName(camera.distortion.type).c_str(),
                         Num(args->factor).c_str());
            if (!IsStdout(args->output)) std::fprintf(report, "wrote %s\n", args->output.c_str());
            return kExitOk;
          }};
}

}  // namespace lxcam
