// lxcam compare: how far two cameras send the same pixel apart.
#include <cstdio>
#include <memory>

#include "Commands.h"
#include "Common.h"
#include "ExchangeArgs.h"

namespace lxcam {
namespace {

// A camera document, or FORMAT:FILE for another tool's file.
TExchangeCamera LoadSide(const std::string& side, const std::string& section,
                         const TExchangeImportOptions& options) {
  const std::size_t colon = side.find(':');
  if (colon != std::string::npos) {
    const TExchangeFormat format = ExchangeFormat(side.substr(0, colon));
    if (format != efNone) return ImportFile(format, side.substr(colon + 1), options).source;
  }
  try {
    return TExchangeCamera(LoadCamera(side, section));
  } catch (const TExchangeError& e) {
    throw InputError(side + ": " + e.what());
  }
}

}  // namespace

Subcommand AddCompareCommand(CLI::App& root) {
  struct Args {
    std::string a, b, section = kCameraSection, camera_a, camera_b;
    ImportArgs import;
    int grid = 100;
    bool json = false;
  };
  auto args = std::make_shared<Args>();
  CLI::App* app = root.add_subcommand(
      "compare", "Measures how far two cameras send the same pixel apart over the image");
  app->add_option("A", args->a, "Camera document, or FORMAT:FILE for another tool's file")
      ->required();
  app->add_option("B", args->b, "Camera document, or FORMAT:FILE")->required();
  app->add_option("--section", args->section, "Top-level section holding a document's camera")
      ->capture_default_str();
  app->add_option("--grid", args->grid, "Points along each side of the image")
      ->capture_default_str()
      ->check(CLI::Range(2, 10000));
  app->add_option("--camera-a", args->camera_a, "Id of A's camera in a file holding several");
  app->add_option("--camera-b", args->camera_b, "Id of B's camera in a file holding several");
  args->import.AddOptions(app, false);
  app->add_flag("--json", args->json, "Print the result as one JSON object");
  app->footer(
      "For every point of a grid over A's image: the ray A sees there, the pixel of B that sees\n"
      "the same ray, and their distance, in pixels of B and micrometres. A FORMAT:FILE side is\n"
      "measured by the file's own model, also where an import would have to fit it. Formats: " +
      [] {
        std::string names;
        for (const std::string& n : ExchangeFormatNames())
          names += (names.empty() ? "" : ", ") + n;
        return names;
      }() +
      ".");
  return {app, [args] {
            TExchangeImportOptions options = args->import.Options();
            options.camera_id = args->camera_a;
            const TExchangeCamera a = LoadSide(args->a, args->section, options);
            options.camera_id = args->camera_b;
            const TExchangeCamera b = LoadSide(args->b, args->section, options);
            TCameraComparison c;
            try {
              c = CompareCamerasE(a, b, args->grid);
            } catch (const TExchangeError& e) {
              throw InputError(std::string("cannot compare: ") + e.what());
            }
            std::printf("%s", args->json ? (CameraComparisonJson(c) + "\n").c_str()
                                         : CameraComparisonText(c).c_str());
            return kExitOk;
          }};
}

}  // namespace lxcam
