// lxcam check: can the interior orientation of an image be solved?
#include <memory>
#include <string>
#include <vector>

#include "Commands.h"
#include "Common.h"

namespace lxcam {

bool CheckReady(const TLxCameraInfo& camera, const TLxIntOrMeas& meas, std::string* report) {
  std::string message;
  const bool ready = meas.IntOrReady(camera, &message);
  TLxIntOrSolution solution;
  std::string why;
  const bool solved = SolveIntOr(camera, meas, &solution, &why);
  std::vector<std::string> warnings = solution.warnings;
  if (ready && !message.empty()) warnings.insert(warnings.begin(), message);
  std::string joined;
  for (const std::string& warning : warnings)
    joined += (joined.empty() ? "" : "; ") + warning;
  const std::string no_message = "(no message)";
  if (!ready)
    *report = "not ready: " + (message.empty() ? no_message : message);
  else if (!solved)
    *report = "not ready: " + (why.empty() ? no_message : why);
  else
    *report = joined.empty() ? "ready" : "ready (warning: " + joined + ")";
  *report += "\n  IntOrReady: " + (ready ? std::string("ready") : "no: " + message);
  *report += "\n  SolveIntOr: ";
  *report += solved ? "solved, RMS " + Fixed(solution.rms_px, 3) + " px, redundancy " +
                          std::to_string(solution.redundancy)
                    : "no: " + why;
  return ready && solved;
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
      "Prints \"ready\", possibly with warnings, or \"not ready:\" and the reason; then what\n"
      "the library's IntOrReady (the measurements' completeness) and SolveIntOr (the\n"
      "solution itself) each say. Ready only when both agree: marks that are repeated,\n"
      "collinear or too few for the transform pass IntOrReady but cannot be solved.\n"
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
