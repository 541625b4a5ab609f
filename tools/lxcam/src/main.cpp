// lxcam: look at, check, convert and draw camera documents.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include <LxCameraUtils/Module.h>

#include "Commands.h"
#include "Common.h"

namespace {

// The first word of the command line when it names no command: the root
// takes flags only, so that word is where the command should be.
const char* UnknownCommand(int argc, char** argv, const std::vector<lxcam::Subcommand>& commands) {
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] == '-') continue;
    for (const lxcam::Subcommand& command : commands)
      if (command.app->get_name() == argv[i]) return nullptr;
    return argv[i];
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace lxcam;
  CLI::App app{"lxcam: look at, check, convert and draw camera documents", "lxcam"};
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("lxcam ") + LXCAM_VERSION);
  app.add_flag("--allow-nan", AllowNonFinite(),
               "Pass numbers that are nan or infinite through (in cameras, measurements and "
               "points) instead of refusing them; may follow the command");
  app.fallthrough();
  app.footer(
      "Cameras are read from the top-level section \"camera\" and measurements from\n"
      "\"int_or_meas\" unless --section / --meas-section say otherwise. No command overwrites\n"
      "its input unless --force is given. An output (-o) that is a FIFO or device is written\n"
      "through and a link is followed; a file is replaced only once complete, keeping its\n"
      "permissions and owner. \"lxcam lint\" reports what is wrong or suspicious in documents.\n"
      "Run \"lxcam COMMAND --help\" for a command's options; docs/user-guide.md explains the\n"
      "frames, directions and models. Exit status: 0 ok, 1 measurements that cannot be\n"
      "solved (check, solve, transform --meas), 2 bad input.");
  const std::vector<Subcommand> commands = {
      AddInfoCommand(app),   AddTransformCommand(app), AddConvertCommand(app),
      AddScaleCommand(app),  AddCheckCommand(app),     AddNewCommand(app),
      AddPlotCommand(app),   AddDemoCommand(app),      AddLintCommand(app),
      AddImportCommand(app), AddExportCommand(app),    AddCompareCommand(app),
      AddSolveCommand(app)};
  if (const char* unknown = UnknownCommand(argc, argv, commands)) {
    std::string names;
    for (const Subcommand& command : commands)
      names += (names.empty() ? "" : ", ") + command.app->get_name();
    std::fprintf(stderr, "lxcam: unknown command %s; the commands are %s\n",
                 Quoted(unknown).c_str(), names.c_str());
    return kExitBadInput;
  }

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
