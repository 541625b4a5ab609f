#include "Casters.h"

#include "Records.h"

namespace lxpy {

namespace {

py::handle TypesModule() {
  static const py::handle types = py::module_::import("lxcamerautils._types").release();
  return types;
}

}  // namespace

py::handle TypesClass(const char* name) {
  py::object type = TypesModule().attr(name);
  return type.release();
}

py::object TypesFunction(const char* name) {
  return TypesModule().attr(name);
}

py::str TextToPython(const std::string& text) {
  PyObject* decoded =
      PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "surrogateescape");
  if (decoded == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(decoded);
}

std::string TextFromPython(py::handle text) {
  if (!PyUnicode_Check(text.ptr()))
    throw py::type_error("expected a str, not " + py::repr(py::type::of(text)).cast<std::string>());
  const py::object encoded = py::reinterpret_steal<py::object>(
      PyUnicode_AsEncodedString(text.ptr(), "utf-8", "surrogateescape"));
  if (!encoded) throw py::error_already_set();
  return encoded.cast<std::string>();
}

std::string DocumentBytes(py::handle text) {
  if (PyUnicode_Check(text.ptr())) return TextFromPython(text);
  if (PyBytes_Check(text.ptr())) return text.cast<std::string>();
  throw py::type_error("a document is a str or bytes, not " +
                       py::type::of(text).attr("__name__").cast<std::string>());
}

}  // namespace lxpy
