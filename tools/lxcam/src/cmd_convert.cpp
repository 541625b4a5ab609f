// lxcam convert: expresses the distortion as a formula or mixed record.
#include <cmath>
#include <memory>
#include <utility>

#include "Commands.h"
#include "Common.h"
#include "geometry/GeometryInternal.h"

namespace lxcam {
namespace {

// What the fit covers: the radius asked for, the frame's farthest corner, or
// (no frame) the library's own rule.
struct FitRadius {
  double mm = 0.0;
  const char* from = "";
  bool as_given = false;
};

FitRadius ChooseRadius(const TLxCameraInfo& camera, const std::optional<Frame>& frame,
                       double radius_mm) {
  if (radius_mm > 0.0) return {radius_mm, "--radius", true};
  if (frame)
    return {FrameReach(*frame, camera.principal_point), "the frame's farthest corner", true};
  return {0.0, "focus/2", false};
}

std::string Um(double mm) {
  return std::isnan(mm) ? std::string("nan") : Fixed(mm * 1000.0, 3) + " µm";
}

std::string Joined(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items)
    out += (out.empty() ? "" : ", ") + item;
  return out;
}

std::string Xy(const Point& p) {
  return "x " + Num(p.x) + " mm, y " + Num(p.y) + " mm";
}

}  // namespace

Conversion ConvertDistortion(const TLxCameraInfo& camera, TDistortionType to, double radius_mm) {
  Conversion result;
  result.camera = camera;
  result.frame = CameraFrame(camera);
  const FitRadius radius = ChooseRadius(camera, result.frame, radius_mm);
  lxcu::internal::TApproximation a = lxcu::internal::ApproxFromCamera(
      to, camera, radius.mm, /*with_error=*/true,
      {.radius_as_given = radius.as_given, .carry_decentring = true});
  if (a.refusal != nullptr)
    throw InputError("cannot convert " + DistortionTypeName(camera.distortion.type) +
                     " distortion to " + DistortionTypeName(to) + ": " + a.refusal);
  const bool table = LargestTableRadius(camera.distortion) > 0.0;
  result.exact = a.copied;
  result.radius_mm = a.radius_mm;
  result.radius_from = table ? "the table's last radius" : radius.from;
  result.max_error_mm = a.max_error_mm;
  result.decentring_carried = a.decentring_carried;
  result.recentred = a.recentred;
  result.not_carried = std::move(a.not_carried);
  result.camera.distortion = std::move(a.distortion);
  if (result.frame && !result.exact)
    result.frame_error_mm = LargestDeviation(camera, result.camera, *result.frame).size_mm;
  if (result.frame && table) {
    const double reach = FrameReach(*result.frame, camera.distortion.symmetry_point);
    if (reach > LargestTableRadius(camera.distortion)) result.beyond_table_mm = reach;
  }
  return result;
}

std::string DescribeConversion(const TLxCameraInfo& source, const Conversion& c) {
  const std::string what = DistortionTypeName(source.distortion.type) + " -> " +
                           DistortionTypeName(c.camera.distortion.type);
  if (c.exact) return what + ": exact, coefficients copied (deviation 0 µm)";
  std::string out = what + ": fitted k1 r^3 + k2 r^5 + k3 r^7 up to r " + Fixed(c.radius_mm, 3) +
                    " mm (" + c.radius_from + ")\n";
  out += "  largest deviation " + Um(c.max_error_mm) + " up to r " + Fixed(c.radius_mm, 3) +
         " mm, " +
         (c.frame ? Um(c.frame_error_mm) + " over the frame (" + c.frame->basis + ")"
                  : std::string("no frame to look over")) +
         "\n";
  if (c.decentring_carried) out += "  kept the decentring p1, p2 exactly\n";
  if (!c.not_carried.empty()) out += "  not carried: " + Joined(c.not_carried) + "\n";
  if (c.recentred)
    out += "  centred at the principal point (" + Xy(source.principal_point) +
           "), not at the symmetry point (" + Xy(source.distortion.symmetry_point) + ")\n";
  if (c.beyond_table_mm > 0.0)
    out += "  warning: the frame reaches r " + Fixed(c.beyond_table_mm, 3) +
           " mm from the symmetry point, beyond the table's last radius " +
           Num(LargestTableRadius(source.distortion)) +
           " mm: there the source is extrapolated along its last segment\n";
  out.pop_back();
  return out;
}

Subcommand AddConvertCommand(CLI::App& root) {
  struct Target {
    std::string to;
    double radius = 0.0;
  };
  auto args = std::make_shared<CameraRewrite>();
  auto target = std::make_shared<Target>();
  CLI::App* app = root.add_subcommand(
      "convert", "Converts the distortion to the formula or mixed type and writes the camera");
  args->AddOptions(app, "Converted camera document");
  app->add_option("--to", target->to, "Target distortion type")
      ->required()
      ->check(CLI::IsMember({"formula", "mixed"}));
  app->add_option("--radius", target->radius,
                  "Fit up to this radius (mm) from the principal point for formula and mixed "
                  "sources; 0: the frame's farthest corner. Table sources fit up to their last "
                  "radius")
      ->capture_default_str()
      ->check(FiniteNumber(0.0));
  app->footer(
      std::string("Prints whether the conversion was exact (coefficients copied) or fitted. A fit\n"
                  "reports the largest deviation of the result from the original distortion in\n"
                  "micrometres, up to the fitted radius and over the whole frame, the terms it\n"
                  "could not carry, and a warning when the frame reaches beyond a table (there\n"
                  "the table is extrapolated). The report goes to standard output, or to standard\n"
                  "error when the document does.\n"
                  "The output is the input document with the camera's section replaced; its other\n"
                  "sections, comments and layout stay as they were.\n") +
      kFrameHelp);
  return {app, [args, target] {
            const TLxCameraInfo camera = args->Load();
            const TDistortionType to = target->to == "formula" ? dtFormula : dtMixed;
            Conversion c;
            try {
              c = ConvertDistortion(camera, to, target->radius);
            } catch (const InputError& e) {
              throw InputError(args->file + ": " + e.what());
            }
            args->Write(c.camera, DescribeConversion(camera, c));
            return kExitOk;
          }};
}

}  // namespace lxcam
