// lxcamerautils._core: the library bound for Python. The package
// lxcamerautils re-exports it together with its pure-Python parts.

#include <LxCameraUtils/Module.h>

#include "Errors.h"
#include "Module.h"

PYBIND11_MODULE(_core, m) {
  namespace py = pybind11;
  m.doc() = "The LxCameraUtils library; import lxcamerautils instead.";
  // Start-ups and shut-downs are counted, so a host that has started the
  // library already keeps it running after Python has ended.
  Init_LxCameraUtils();
  py::module_::import("atexit").attr("register")(py::cpp_function([] { Deinit_LxCameraUtils(); }));
  lxpy::RegisterErrorTranslators();
  lxpy::BindEnums(m);
  lxpy::BindTransforms(m);
  lxpy::BindRecords(m);
  lxpy::BindIntOr(m);
  lxpy::BindDistortionFits(m);
  lxpy::BindExchange(m);
}
