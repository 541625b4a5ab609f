// lxcam export: a camera document as another tool's calibration file.
#include <memory>

#include "Commands.h"
#include "Common.h"
#include "ExchangeArgs.h"

namespace lxcam {

Subcommand AddExportCommand(CLI::App& root) {
  struct Args {
    std::string format;
    CameraRewrite camera;
    TExchangeExportOptions options;
    ConventionArgs conventions;
    bool json = false;
  };
  auto args = std::make_shared<Args>();
  CLI::App* app =
      root.add_subcommand("export", "Writes a camera document as another tool's calibration file");
  app->add_option("FORMAT", args->format, "Format to write")
      ->required()
      ->check(CLI::IsMember(ExchangeFormatNames()));
  args->camera.AddOptions(app, "File to write");
  app->add_flag("--xml", args->options.xml, "opencv: write FileStorage XML instead of YAML");
  app->add_option("--model", args->options.model,
                  "The format's model to write (COLMAP OPENCV, FULL_OPENCV, ...); default: the "
                  "smallest that holds the camera exactly");
  args->conventions.AddOptions(app);
  app->add_flag("--json", args->json, "Print the report as one JSON object");
  app->footer(
      "Prints whether the camera was written exactly or fitted, with the largest deviation of\n"
      "the written model over the image, and every convention applied. The report goes to\n"
      "standard output, or to standard error when the file does.");
  return {app, [args] {
            const TLxCameraInfo camera = args->camera.Load();
            args->options.conventions = args->conventions.Conventions();
            TExchangeExport written;
            try {
              written = ExportCameraE(ExchangeFormat(args->format), camera, args->options);
            } catch (const TExchangeError& e) {
              throw InputError(args->camera.file + ": " + e.what());
            }
            WriteOutput(args->camera.output, written.text);
            PrintReport(written.report, args->camera.output, args->json);
            return kExitOk;
          }};
}

}  // namespace lxcam
