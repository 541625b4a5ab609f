// lxcam new: the library's ready-made cameras as documents.
#include <cstdio>
#include <memory>

#include <LxCameraUtils/DefaultCameras.h>

#include "Commands.h"
#include "Common.h"

namespace lxcam {

Subcommand AddNewCommand(CLI::App& root) {
  struct Args {
    std::string preset;
    std::string output = "-";
    std::string section = kCameraSection;
  };
  auto args = std::make_shared<Args>();
  CLI::App* app = root.add_subcommand("new", "Writes a ready-made camera as a document");
  app->add_option("--preset", args->preset,
                  "digital: an empty digital camera; dmc: large-format digital frame camera; "
                  "video: video camera")
      ->required()
      ->check(CLI::IsMember({"digital", "dmc", "video"}));
  app->add_option("-o,--output", args->output, "Camera document (\"-\": standard output)")
      ->capture_default_str();
  app->add_option("--section", args->section, "Top-level section to write the camera in")
      ->capture_default_str();
  return {app, [args] {
            const TLxCameraInfo camera = args->preset == "dmc"     ? CreateDefaultDMCCamera()
                                         : args->preset == "video" ? CreateDefaultVideoCamera()
                                                                   : CreateDefaultCamera();
            WriteOutput(args->output, CameraDocumentText(camera, args->section));
            if (!IsStdout(args->output)) std::printf("wrote %s\n", args->output.c_str());
            return kExitOk;
          }};
}

}  // namespace lxcam
