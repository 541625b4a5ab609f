#pragma once

// The library's exceptions as the package's Python exceptions
// (lxcamerautils._errors).

#include <exception>
#include <utility>

#include <pybind11/pybind11.h>

namespace lxpy {

namespace py = pybind11;

// Registers the translations every binding shares: TLxXIniError →
// DocumentError, TExchangeError → ExchangeError.
void RegisterErrorTranslators();

// Sets the Python error to the exception `name` of lxcamerautils._errors,
// made from `args`.
template <class... A>
void SetError(const char* name, A&&... args) {
  const py::object type = py::module_::import("lxcamerautils._errors").attr(name);
  const py::object error = type(std::forward<A>(args)...);
  PyErr_SetObject(type.ptr(), error.ptr());
}

// SetError, then throws so that pybind11 passes the error on.
template <class... A>
[[noreturn]] void Raise(const char* name, A&&... args) {
  SetError(name, std::forward<A>(args)...);
  throw py::error_already_set();
}

// Raises DocumentError for `error`, naming the file `path` (None: none).
[[noreturn]] void RaiseDocumentError(const std::exception& error, py::handle path);

}  // namespace lxpy
