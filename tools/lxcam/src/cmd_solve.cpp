// lxcam solve: the interior orientation of an image, from the marks measured
// on it, as a readable report or a JSON object.
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include <LxStd/ssprintf.h>

#include "Commands.h"
#include "Common.h"

namespace lxcam {
namespace {

using Kelvora::ssprintf;

const std::map<std::string, TTransformType> kTransformTypes = {
    {"similarity", ttSimilarity}, {"affine", ttAffine}, {"projective", ttProjective}};

std::string TransformName(TTransformType type) {
  for (const auto& [name, value] : kTransformTypes)
    if (value == type) return name;
  return "<invalid " + std::to_string(static_cast<int>(type)) + ">";
}

// pix_to_cam's coefficients: a0–a5, and c0, c1 for a projective map.
std::vector<double> Parameters(const TLxIntOrSolution& solution) {
  const TPlaneTransform& t = solution.pix_to_cam;
  std::vector<double> parameters = {t.a0, t.a1, t.a2, t.a3, t.a4, t.a5};
  if (solution.transform_type == ttProjective) parameters.insert(parameters.end(), {t.c0, t.c1});
  return parameters;
}

std::string TransformText(const TLxIntOrSolution& solution) {
  const std::vector<double> p = Parameters(solution);
  const bool projective = p.size() == 8;
  std::string text = TransformName(solution.transform_type) + ", pixel -> camera mm:\n";
  text += projective ? "  x' = (a0*x + a1*y + a2) / w,  y' = (a3*x + a4*y + a5) / w,"
                       "  w = c0*x + c1*y + 1\n"
                     : "  x' = a0*x + a1*y + a2,  y' = a3*x + a4*y + a5\n";
  text += ssprintf("  a0 = %.12g  a1 = %.12g  a2 = %.12g\n", p[0], p[1], p[2]);
  text += ssprintf("  a3 = %.12g  a4 = %.12g  a5 = %.12g\n", p[3], p[4], p[5]);
  if (projective) text += ssprintf("  c0 = %.12g  c1 = %.12g\n", p[6], p[7]);
  return text;
}

std::string MarksText(const TLxIntOrSolution& solution) {
  if (solution.marks.empty()) return "marks             none (built from the camera record)\n";
  std::string text = ssprintf("marks             %zu, redundancy %d\n", solution.marks.size(),
                              solution.redundancy);
  text += "  index   residual x [px]   y [px]    x [µm]    y [µm]\n";
  for (const TIntOrMark& m : solution.marks)
    text += ssprintf("  %5d   %15s %8s  %8s  %8s\n", m.index, Fixed(m.residual_pix.x, 3).c_str(),
                     Fixed(m.residual_pix.y, 3).c_str(), Fixed(m.residual_um.x, 2).c_str(),
                     Fixed(m.residual_um.y, 2).c_str());
  text += "RMS               " + Fixed(solution.rms_px, 3) + " px, " + Fixed(solution.rms_um, 2) +
          " µm; largest " + Fixed(solution.max_residual_px, 3) + " px, " +
          Fixed(solution.max_residual_um, 2) + " µm\n";
  return text;
}

}  // namespace

std::string SolveReport(const TLxIntOrSolution& solution) {
  std::string text = "camera type       " + CameraTypeName(solution.camera_type) + "\n";
  text += "transform         " + TransformText(solution);
  text += "scale             " + Fixed(solution.scale_um_per_px.x, 4) + " x " +
          Fixed(solution.scale_um_per_px.y, 4) + " µm/px (" + Fixed(solution.scale_dpi.x, 2) +
          " x " + Fixed(solution.scale_dpi.y, 2) + " dpi)\n";
  text += "rotation          " + Fixed(solution.rotation_deg, 4) + "°\n";
  text += "shear             " + Fixed(solution.shear_deg, 4) + "°\n";
  text += std::string("mirrored          ") + (solution.mirrored ? "yes" : "no") + "\n";
  text += MarksText(solution);
  if (solution.warnings.empty()) return text + "warnings          none\n";
  for (const std::string& warning : solution.warnings)
    text += "warning: " + warning + "\n";
  return text;
}

std::string SolveJson(const TLxIntOrSolution& solution) {
  using Json = nlohmann::ordered_json;
  const auto pair = [](const vec_t_<double, 2>& v) { return Json::array({v.x, v.y}); };
  Json marks = Json::array();
  for (const TIntOrMark& m : solution.marks)
    marks.push_back({{"index", m.index},
                     {"coords_pix", pair(m.coords_pix)},
                     {"coords_cam", pair(m.coords_cam)},
                     {"residual_px", pair(m.residual_pix)},
                     {"residual_um", pair(m.residual_um)}});
  const Json object = {{"camera_type", CameraTypeName(solution.camera_type)},
                       {"transform", TransformName(solution.transform_type)},
                       {"parameters", Parameters(solution)},
                       {"rms_px", solution.rms_px},
                       {"rms_um", solution.rms_um},
                       {"max_residual_px", solution.max_residual_px},
                       {"max_residual_um", solution.max_residual_um},
                       {"redundancy", solution.redundancy},
                       {"mirrored", solution.mirrored},
                       {"scale_um_per_px", pair(solution.scale_um_per_px)},
                       {"scale_dpi", pair(solution.scale_dpi)},
                       {"rotation_deg", solution.rotation_deg},
                       {"shear_deg", solution.shear_deg},
                       {"marks", marks},
                       {"warnings", solution.warnings}};
  return object.dump(2) + "\n";
}

bool Solve(const TLxCameraInfo& camera, const TLxIntOrMeas& meas, TLxIntOrSolution* solution) {
  std::string why;
  if (SolveIntOr(camera, meas, solution, &why)) return true;
  std::fflush(stdout);
  std::fprintf(stderr, "lxcam: cannot solve the interior orientation: %s\n",
               Printable(why).c_str());
  return false;
}

Subcommand AddSolveCommand(CLI::App& root) {
  struct Args {
    std::string camera_file;
    std::string meas_file;
    std::string section = kCameraSection;
    std::string meas_section = kMeasSection;
    std::string transform;
    std::string output;
    bool json = false;
    bool force = false;
  };
  auto args = std::make_shared<Args>();
  CLI::App* app = root.add_subcommand(
      "solve",
      "Solves an image's interior orientation: the plane transform from its pixels to "
      "camera millimetres, with the residuals at the marks");
  app->add_option("CAMERA", args->camera_file, "Camera document")->required();
  app->add_option("MEASUREMENTS", args->meas_file, "Measurement document")->required();
  app->add_option("--transform", args->transform,
                  "Transform to fit instead of the measurement's transform_type (fiducial and "
                  "calibrated-cross cameras)")
      ->check(CLI::IsMember(kTransformTypes));
  app->add_option("-o,--output", args->output,
                  "Write the measurement document with the residuals filled in (\"-\": standard "
                  "output, the report then goes to standard error)");
  app->add_flag("--json", args->json, "Print the solution as one JSON object");
  app->add_option("--section", args->section, "Top-level section holding the camera")
      ->capture_default_str();
  app->add_option("--meas-section", args->meas_section,
                  "Top-level section holding the measurements, also used for the output")
      ->capture_default_str();
  app->add_flag("--force", args->force, "Allow the output to overwrite an input file");
  app->footer(
      "Pixels: x = column, y = row (downwards), the centre of the top-left pixel at (0, 0).\n"
      "Residuals are corrections to the measured positions, in px and in µm along the\n"
      "camera axes. Exit status 0 when solved, 1 when the measurements cannot be solved (the\n"
      "reason goes to standard error, nothing is written), 2 for bad input.");
  return {
      app, [args] {
        if (args->json && args->output == "-")
          throw InputError("--json and -o - both want standard output");
        const TLxCameraInfo camera = LoadCamera(args->camera_file, args->section);
        std::string source;
        TLxIntOrMeas meas = LoadMeasurements(args->meas_file, args->meas_section, &source);
        if (!args->transform.empty()) {
          if (camera.type != ctFiducials && camera.type != ctCalibratedCross)
            throw InputError("--transform: a " + CameraTypeName(camera.type) +
                             " camera's transform is built, not fitted; it applies to "
                             "Fiducials and CalibratedCross cameras");
          meas.transform_type = kTransformTypes.at(args->transform);
        }
        if (!args->output.empty())
          RefuseToOverwriteInputs(args->output, {args->camera_file, args->meas_file}, args->force);
        TLxIntOrSolution solution;
        if (!Solve(camera, meas, &solution)) return kExitNotReady;
        const std::string text = args->json ? SolveJson(solution) : SolveReport(solution);
        if (args->output.empty()) {
          WriteOutput("-", text);
          return kExitOk;
        }
        WriteIntOrResiduals(solution, &meas);
        WriteOutput(args->output, MeasDocumentText(meas, args->meas_section, source));
        if (IsStdout(args->output)) {
          std::fputs(text.c_str(), stderr);
        } else {
          WriteOutput("-", text);
          if (!args->json) std::printf("wrote %s\n", args->output.c_str());
        }
        return kExitOk;
      }};
}

}  // namespace lxcam
