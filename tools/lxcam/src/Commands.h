#pragma once

// The subcommands of lxcam. Each Add*Command registers its options with the
// root app and returns what runs it once the command line was parsed; the
// run returns the exit status and raises for bad input.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/IntOrMeas.h>
#include <LxCameraUtils/IntOrSolution.h>

#include "Common.h"
#include "Frame.h"

namespace lxcam {

struct Subcommand {
  CLI::App* app = nullptr;
  std::function<int()> run;
};

Subcommand AddInfoCommand(CLI::App& root);
Subcommand AddTransformCommand(CLI::App& root);
Subcommand AddConvertCommand(CLI::App& root);
Subcommand AddScaleCommand(CLI::App& root);
Subcommand AddCheckCommand(CLI::App& root);
Subcommand AddNewCommand(CLI::App& root);
Subcommand AddPlotCommand(CLI::App& root);
Subcommand AddDemoCommand(CLI::App& root);
Subcommand AddLintCommand(CLI::App& root);
Subcommand AddImportCommand(CLI::App& root);
Subcommand AddExportCommand(CLI::App& root);
Subcommand AddCompareCommand(CLI::App& root);
Subcommand AddSolveCommand(CLI::App& root);

// What convert and scale share: the input camera document and where the
// changed camera goes. The output is the input document with the camera's
// section replaced; its other entries, comments and layout stay byte for byte.
struct CameraRewrite {
  std::string file;
  std::string output = "-";
  std::string section = kCameraSection;
  bool force = false;

  // Adds FILE, -o/--output, --section and --force to `app`; `what` describes
  // the output document ("Scaled camera document").
  void AddOptions(CLI::App* app, const std::string& what);
  // The camera of `file`, once the output is known not to overwrite it.
  TLxCameraInfo Load();
  // Writes the input document with `camera` in place of the loaded one, then
  // prints `report` and where the document went, to standard error when the
  // document goes to standard output.
  void Write(const TLxCameraInfo& camera, const std::string& report) const;

 private:
  std::string source_;  // text of the input document
};

// The pieces the demo strings together.

// The `info` summary of `camera`, read from `section` of `path`.
std::string InfoText(const TLxCameraInfo& camera, const std::string& path,
                     const std::string& section);

struct Conversion {
  TLxCameraInfo camera;    // the input camera with its distortion converted
  bool exact = false;      // coefficients copied, no fit
  double radius_mm = 0.0;  // fitted up to this radius from the principal point (when not exact)
  const char* radius_from = "";     // where the radius came from, for the report
  double max_error_mm = 0.0;        // largest deviation up to radius_mm
  std::optional<Frame> frame;       // the source camera's frame
  double frame_error_mm = 0.0;      // largest deviation over the frame's grid; NaN: not evaluated
  double beyond_table_mm = 0.0;     // how far the frame reaches from the symmetry point when
                                    // beyond the source's table (extrapolated), else 0
  bool decentring_carried = false;  // the fit kept the source's p1, p2 (P1, P2)
  bool recentred = false;           // the source's symmetry point was not the principal point
  std::vector<std::string> not_carried;  // source terms the result does not hold
};
// The distortion of `camera` as `to` (dtFormula or dtMixed): an exact copy
// where the target holds the source's terms, else a fit of formula and mixed
// sources up to `radius_mm` (0: the radius of the frame's farthest corner from
// the principal point) or of table sources up to their last radius. InputError
// with the library's reason when it refuses.
Conversion ConvertDistortion(const TLxCameraInfo& camera, TDistortionType to, double radius_mm);
// The report: what was done, the deviations up to the fitted radius and over
// the frame, what was not carried, and warnings.
std::string DescribeConversion(const TLxCameraInfo& source, const Conversion& conversion);

// Whether the interior orientation of `meas` can be solved with `camera`:
// true when IntOrReady says ready and SolveIntOr succeeds. `report` receives
// the verdict, "ready", "ready (warning: ...)" or "not ready: ...", then a
// line for each of IntOrReady and SolveIntOr.
bool CheckReady(const TLxCameraInfo& camera, const TLxIntOrMeas& meas, std::string* report);

// SolveIntOr; when it fails, prints the reason to standard error.
bool Solve(const TLxCameraInfo& camera, const TLxIntOrMeas& meas, TLxIntOrSolution* solution);
// The `solve` report of `solution`: transform, scale, rotation, shear,
// mirroring, residuals per mark, RMS and warnings.
std::string SolveReport(const TLxIntOrSolution& solution);
// The `solve --json` object of `solution`, with a line end.
std::string SolveJson(const TLxIntOrSolution& solution);

// The `plot` picture of `camera` as an SVG document.
std::string PlotSvg(const TLxCameraInfo& camera);
// The `plot --meas` picture of `solution`'s residuals as an SVG document.
std::string ResidualPlotSvg(const TLxCameraInfo& camera, const TLxIntOrSolution& solution);

}  // namespace lxcam
