#include "Errors.h"

#include <LxCameraUtils/Exchange.h>
#include <LxStd/XIni.h>

namespace lxpy {

void RegisterErrorTranslators() {
  py::register_exception_translator([](std::exception_ptr thrown) {
    try {
      if (thrown) std::rethrow_exception(thrown);
    } catch (const TLxXIniError& e) {
      SetError("DocumentError", e.what());
    } catch (const TExchangeError& e) {
      SetError("ExchangeError", e.what(), e.line());
    }
  });
}

void RaiseDocumentError(const std::exception& error, py::handle path) {
  if (path.is_none()) Raise("DocumentError", error.what());
  Raise("DocumentError", error.what(), py::module_::import("os").attr("fsdecode")(path));
}

}  // namespace lxpy
