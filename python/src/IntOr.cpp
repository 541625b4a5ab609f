// Interior orientation: checking measurements against a camera and solving.

#include <string>

#include <LxCameraUtils/IntOrMeas.h>
#include <LxCameraUtils/IntOrSolution.h>
#include <LxCameraUtils/lxcu/IntOr.h>

#include "Casters.h"
#include "Errors.h"
#include "Module.h"
#include "Records.h"

namespace lxpy {

namespace {

// IntOrCheck(ok, error, warning) from a check's result and message: the
// message is the error when the check failed and a warning when it passed.
py::object Check(bool ok, const std::string& message) {
  static const py::handle check = TypesClass("IntOrCheck");
  return check(ok, ok ? std::string() : message, ok ? message : std::string());
}

TLxIntOrSolution Solve(const TLxCameraInfo& camera, const TLxIntOrMeas& meas) {
  TLxIntOrSolution solution;
  std::string message;
  if (!SolveIntOr(camera, meas, &solution, &message)) Raise("IntOrError", message);
  return solution;
}

}  // namespace

void BindIntOr(py::module_& m) {
  auto measurements = py::reinterpret_borrow<py::class_<TLxIntOrMeas>>(m.attr("Measurements"));
  measurements.def(
      "verify",
      [](const TLxIntOrMeas& self, const TLxCameraInfo& camera) {
        std::string message;
        const bool ok = self.Verify(camera, &message);
        return Check(ok, message);
      },
      py::arg("camera"),
      "Whether the measurements fit `camera` (IntOrCheck): a measured camera type that equals "
      "the camera's, only marks the camera has, no more marks than the type allows.");
  measurements.def(
      "int_or_ready",
      [](const TLxIntOrMeas& self, const TLxCameraInfo& camera) {
        std::string message;
        const bool ok = self.IntOrReady(camera, &message);
        return Check(ok, message);
      },
      py::arg("camera"),
      "Whether the interior orientation can be solved (IntOrCheck): verify, then the rotation, "
      "enough marks and a usable scan resolution. A fiducial measurement that misses some of "
      "the camera's marks passes with a warning.");

  measurements.def(
      "can_solve",
      [](const TLxIntOrMeas& self, const TLxCameraInfo& camera) {
        const lxcu::IntOrCheck c = lxcu::CanSolve(camera, self);
        return Check(c.ready, c.ready ? c.warning : c.error);
      },
      py::arg("camera"),
      "int_or_ready, then what it leaves to solve_int_or (IntOrCheck): cross marks numbered "
      "1 to 4 once each, and enough distinct fiducials for transform_type (2 similarity, "
      "3 affine, 4 projective).");

  m.def("solve_int_or", &Solve, py::arg("camera"), py::arg("meas"),
        R"(Solves the interior orientation of the image measured in `meas` (Measurements),
taken with `camera` (Camera), and returns the IntOrSolution: fiducial and
calibrated-cross cameras by least squares for meas.transform_type; cross,
principal-point and digital cameras from their marks, scan resolution and
rotation. Raises IntOrError naming the mark or field when there is no
solution; a failed solution is never partial.)");
  m.def(
      "write_int_or_residuals",
      [](const TLxIntOrSolution& solution, TLxIntOrMeas& meas) {
        WriteIntOrResiduals(solution, &meas);
      },
      py::arg("solution"), py::arg("meas"),
      "Sets residuals_pix of every point of `meas` (in place) to its mark's residual in "
      "`solution` (px), or to (0, 0) for a point without a mark.");
}

}  // namespace lxpy
