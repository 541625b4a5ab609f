// lxcam demo: the tour that scripts/demo runs on the bundled example camera.
#include <cstdio>
#include <filesystem>
#include <memory>

#include "Commands.h"
#include "Common.h"

namespace lxcam {
namespace {

namespace fs = std::filesystem;

constexpr const char* kExample = "film-fiducials-radial";
constexpr const char* kScanExample = "film-usgs-report-formula";  // a camera with a scan's marks

void Step(int number, const std::string& command) {
  std::printf("\n== %d. lxcam %s\n", number, command.c_str());
}

int RunDemo(const std::string& examples, const std::string& out_dir) {
  const std::string camera_file = (fs::path(examples) / "cameras" / kExample).string() + ".xini";
  const std::string meas_file = (fs::path(examples) / "cameras" / kExample).string() + ".meas.xini";
  std::error_code ec;
  fs::create_directories(out_dir, ec);
  if (ec) throw InputError(out_dir + ": cannot create the output folder: " + ec.message());
  const std::string converted = (fs::path(out_dir) / kExample).string() + ".formula.xini";
  const std::string plot = (fs::path(out_dir) / kExample).string() + ".svg";

  std::printf("LxCameraUtils demo on the bundled example camera %s\n", camera_file.c_str());
  const TLxCameraInfo camera = LoadCamera(camera_file, kCameraSection);

  Step(1, "info " + camera_file);
  std::fputs(InfoText(camera, camera_file, kCameraSection).c_str(), stdout);

  Step(2, "convert " + camera_file + " --to formula -o " + converted);
  const Conversion conversion = ConvertDistortion(camera, dtFormula, 0.0);
  WriteOutput(converted, CameraDocumentText(conversion.camera, kCameraSection));
  std::printf("%s\n", DescribeConversion(camera, conversion).c_str());

  Step(3, "check " + camera_file + " " + meas_file);
  std::string report;
  CheckReady(camera, LoadMeasurements(meas_file, kMeasSection), &report);
  std::printf("%s\n", report.c_str());

  Step(4, "plot " + camera_file + " -o " + plot);
  WriteOutput(plot, PlotSvg(camera));

  const std::string scan = (fs::path(examples) / "cameras" / kScanExample).string();
  Step(5, "solve " + scan + ".xini " + scan + ".meas.xini");
  TLxIntOrSolution solution;
  if (!Solve(LoadCamera(scan + ".xini", kCameraSection),
             LoadMeasurements(scan + ".meas.xini", kMeasSection), &solution))
    return kExitNotReady;
  std::fputs(SolveReport(solution).c_str(), stdout);

  std::printf("\nOutputs:\n  converted camera  %s\n  distortion plot   %s (open it in a browser)\n",
              converted.c_str(), plot.c_str());
  return kExitOk;
}

}  // namespace

Subcommand AddDemoCommand(CLI::App& root) {
  struct Args {
    std::string examples = LXCAM_EXAMPLES_DIR;
    std::string out = LXCAM_DEMO_OUTPUT_DIR;
  };
  auto args = std::make_shared<Args>();
  CLI::App* app = root.add_subcommand(
      "demo", "Shows info, convert, check, plot and solve on the bundled example cameras");
  app->add_option("--examples", args->examples, "Folder of the bundled examples")
      ->capture_default_str();
  app->add_option("--out", args->out, "Folder for the converted camera and the plot")
      ->capture_default_str();
  return {app, [args] { return RunDemo(args->examples, args->out); }};
}

}  // namespace lxcam
