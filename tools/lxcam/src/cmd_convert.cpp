// lxcam convert: expresses the distortion as a formula or mixed record.
#include <memory>
#include <utility>

#include "Commands.h"
#include "Common.h"
#include "geometry/GeometryInternal.h"

namespace lxcam {

Conversion ConvertDistortion(const TLxCameraInfo& camera, TDistortionType to, double radius_mm) {
  lxcu::internal::TApproximation a =
      lxcu::internal::ApproxFromCamera(to, camera, radius_mm, /*with_error=*/true);
  if (a.refusal != nullptr)
    throw InputError("cannot convert " + DistortionTypeName(camera.distortion.type) +
                     " distortion to " + DistortionTypeName(to) + ": " + a.refusal);
  Conversion result{camera, a.copied, a.radius_mm, a.max_error_mm};
  result.camera.distortion = std::move(a.distortion);
  return result;
}

std::string DescribeConversion(const TLxCameraInfo& source, const Conversion& c) {
  const std::string what = DistortionTypeName(source.distortion.type) + " -> " +
                           DistortionTypeName(c.camera.distortion.type);
  if (c.exact) return what + ": exact, coefficients copied (deviation 0 µm)";
  return what + ": fitted k1 r^3 + k2 r^5 + k3 r^7 up to r " + Num(c.radius_mm) +
         " mm; largest deviation " + Fixed(c.max_error_mm * 1000.0, 3) + " µm";
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
                  "Fit up to this radius (mm) for formula and mixed sources; 0: focus/2, "
                  "capped at the focal length. Table sources fit up to their last radius")
      ->capture_default_str()
      ->check(FiniteNumber(0.0));
  app->footer(
      "Prints whether the conversion was exact (coefficients copied) or fitted, with the\n"
      "largest deviation of the result from the original distortion in micrometres. The report\n"
      "goes to standard output, or to standard error when the document does.\n"
      "The output is the input document with the camera's section replaced; its other\n"
      "sections, comments and layout stay as they were.");
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
