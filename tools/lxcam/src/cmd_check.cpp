// lxcam check: can the interior orientation of an image be solved?
#include <memory>

#include "Commands.h"
#include "Common.h"

namespace lxcam {

bool CheckReady(const TLxCameraInfo& camera, const TLxIntOrMeas& meas, std::string* report) {
  std::string message;
  const bool ready = meas.IntOrReady(camera, &message);
  if (ready)
    *report = message.empty() ? "ready" : "ready (warning: " + message + ")";
  else
    *report = "not ready: " + (message.empty() ? std::string("(no message)") : message);
  return ready;
}

Subcommand AddCheckCommand(CLI::App& root) {
  struct Args {
    std::string camera_file;
    std::string meas_file;
    std::string section = kCameraSection;
    std::string meas_section = kMeasSection;
  };
  auto args = std::make_shared<Args>();
  CLI::App* app = root.add_subcommand(
      "check", "Whether an image's interior-orientation measurements can be solved with a camera");
  app->add_option("CAMERA", args->camera_file, "Camera document")->required();
  app->add_option("MEASUREMENTS", args->meas_file, "Measurement document")->required();
  app->add_option("--section", args->section, "Top-level section holding the camera")
      ->capture_default_str();
  app->add_option("--meas-section", args->meas_section,
                  "Top-level section holding the measurements")
      ->capture_default_str();
  app->footer(
      "Prints \"ready\", possibly with a warning, or \"not ready:\" and the reason.\n"
      "Exit status 0 when ready, 1 when not, 2 for bad input.");
  return {app, [args] {
            const TLxCameraInfo camera = LoadCamera(args->camera_file, args->section);
            const TLxIntOrMeas meas = LoadMeasurements(args->meas_file, args->meas_section);
            std::string report;
            const bool ready = CheckReady(camera, meas, &report);
            WriteOutput("-", report + "\n");
            return ready ? kExitOk : kExitNotReady;
          }};
}

}  // namespace lxcam
