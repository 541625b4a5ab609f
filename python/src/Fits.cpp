// Fitting, converting and scaling distortions; the ready-made cameras.

#include <LxCameraUtils/CameraGeometry.h>
#include <LxCameraUtils/DefaultCameras.h>

#include "Casters.h"
#include "Errors.h"
#include "Module.h"
#include "Transforms.h"

namespace lxpy {

namespace {

py::object FitResult(const TLxCameraDistortion& distortion, double max_error_mm) {
  static const py::handle result = TypesClass("FitResult");
  return result(py::arg("distortion") = distortion, py::arg("max_error_mm") = max_error_mm);
}

py::object Fit(const Transform& transform, TDistortionType type, const TLxCameraInfo& camera,
               double radius) {
  TLxCameraDistortion distortion;
  double max_error = 0.0;
  if (!ApproxCameraDistortion(*transform.holder, type, &distortion, camera, radius, &max_error))
    Raise("FitError",
          "no fit: the radius is 0, the fit is singular, or the type is neither "
          "FORMULA nor MIXED");
  return FitResult(distortion, max_error);
}

py::object Convert(const TLxCameraInfo& camera, TDistortionType type, double radius) {
  TLxCameraDistortion distortion;
  double max_error = 0.0;
  if (!ApproxCameraDistortion(type, &distortion, camera, radius, &max_error))
    Raise("FitError",
          "no conversion: the target is neither FORMULA nor MIXED, the camera's distortion is "
          "NONE, POLYNOMIAL or unknown, a table is empty or ends at a radius not above 0, or "
          "the fit failed");
  return FitResult(distortion, max_error);
}

}  // namespace

void BindDistortionFits(py::module_& m) {
  m.def("fit_distortion", &Fit, py::arg("transform"), py::arg("type"), py::arg("camera"),
        py::arg("radius"),
        R"(Fits the radial terms of a `type` distortion (FORMULA: k1-k3; MIXED: K) to
the mean radial displacement of `transform` about its input origin, at radii
up to `radius` (mm) in 16 directions. `camera` gives the principal point
(the new record's symmetry point) and focus. Returns a FitResult with the new
Distortion and its largest distance from `transform` (mm). Raises FitError
when there is no fit.)");
  m.def("convert_distortion", &Convert, py::arg("camera"), py::arg("type"), py::arg("radius") = 0.0,
        R"(Expresses camera.distortion as a `type` record (FORMULA or MIXED) and returns
a FitResult. Formula and mixed sources in CAM_TO_MM centred at the principal
point are copied exactly where the target has the same terms (max_error_mm
0); others are fitted up to `radius` clamped to (0, focus] (focus/2 for
radius <= 0), or for tables up to the table's last radius. Raises FitError
when there is no conversion.)");
  m.def(
      "apply_distortion_multiplier",
      [](TLxCameraDistortion& distortion, double factor) {
        ApplyDistortionMultiplier(&distortion, factor);
      },
      py::arg("distortion"), py::arg("factor"),
      "Scales every distortion value of `distortion` in place by `factor`, whatever its type: "
      "coefficients, k1-k5, p1, p2, b1, b2, a1, a2 and table values dr. Radii, p3, p4, type, "
      "direction and symmetry point stay.");
  m.def("create_default_camera", &CreateDefaultCamera, "A new record of type DIGITAL.");
  m.def("create_default_dmc_camera", &CreateDefaultDMCCamera,
        "Large-format digital frame camera: focus 120 mm, pixel 0.012 mm, sensor 7680 x 13824 "
        "px, no distortion.");
  m.def("create_default_video_camera", &CreateDefaultVideoCamera,
        "Video camera: focus 22 mm, pixel 0.023 mm, sensor 1080 x 1920 px, no distortion.");
}

}  // namespace lxpy
