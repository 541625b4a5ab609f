// lxcam import: another tool's calibration file as a camera document.
#include <memory>

#include "Commands.h"
#include "Common.h"
#include "ExchangeArgs.h"

namespace lxcam {

Subcommand AddImportCommand(CLI::App& root) {
  struct Args {
    std::string format;
    ImportArgs import;
    bool json = false;
  };
  auto args = std::make_shared<Args>();
  auto out = std::make_shared<CameraRewrite>();
  CLI::App* app = root.add_subcommand(
      "import", "Reads another tool's calibration file and writes it as a camera document");
  app->add_option("FORMAT", args->format, "Format of the file")
      ->required()
      ->check(CLI::IsMember(ExchangeFormatNames()));
  app->add_option("FILE", out->file, "The other tool's calibration file")->required();
  app->add_option("-o,--output", out->output, "Camera document (\"-\": standard output)")
      ->capture_default_str();
  app->add_option("--section", out->section, "Top-level section to hold the camera")
      ->capture_default_str();
  app->add_flag("--force", out->force, "Allow the output to overwrite the input file");
  args->import.AddOptions(app);
  app->add_flag("--json", args->json, "Print the report as one JSON object");
  app->footer(
      "Prints whether the conversion was exact or fitted, the largest deviation over the\n"
      "image, and every convention applied or assumed. The report goes to standard output,\n"
      "or to standard error when the document does. Nothing is written when the file is\n"
      "malformed. See docs/formats/ for each format.");
  return {app, [args, out] {
            RefuseToOverwriteInputs(out->output, {out->file}, out->force);
            const TExchangeImport imported =
                ImportFile(ExchangeFormat(args->format), out->file, args->import.Options());
            WriteOutput(out->output, CameraDocumentText(imported.camera, out->section));
            PrintReport(imported.report, out->output, args->json);
            return kExitOk;
          }};
}

}  // namespace lxcam
