// lxcam: look at, check, convert and draw camera documents.
#include <cstdio>
#include <exception>
#include <vector>

#include <LxCameraUtils/Module.h>

#include "Commands.h"
#include "Common.h"

int main(int argc, char** argv) {
  using namespace lxcam;
  CLI::App app{"lxcam: look at, check, convert and draw camera documents", "lxcam"};
  app.require_subcommand(1);
  app.footer(
      "Cameras are read from the top-level section \"camera\" and measurements from\n"
      "\"int_or_meas\" unless --section / --meas-section say otherwise. No command overwrites\n"
      "its input unless --force is given. Run \"lxcam COMMAND --help\" for a command's options.\n"
      "Exit status: 0 ok, 1 measurements not ready (check), 2 bad input.");
  const std::vector<Subcommand> commands = {
      AddInfoCommand(app),   AddTransformCommand(app), AddConvertCommand(app), AddScaleCommand(app),
      AddCheckCommand(app),  AddNewCommand(app),       AddPlotCommand(app),    AddDemoCommand(app),
      AddImportCommand(app), AddExportCommand(app),    AddCompareCommand(app)};

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);  // --help
    std::fprintf(stderr, "lxcam: %s\nRun \"lxcam --help\" for more information.\n", e.what());
    return kExitBadInput;
  }

  Init_LxCameraUtils();
  int status = kExitBadInput;
  try {
    for (const Subcommand& command : commands)
      if (command.app->parsed()) status = command.run();
  } catch (const std::exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "lxcam: %s\n", e.what());
    status = kExitBadInput;
  }
  Deinit_LxCameraUtils();
  return status;
}
