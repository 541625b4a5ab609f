// Other tools' camera files: import, export, compare.

#include <string>
#include <utility>

#include <LxCameraUtils/Exchange.h>

#include "Casters.h"
#include "Module.h"

namespace lxpy {

namespace {

// A format given as an ExchangeFormat (or int) or by its name ("opencv").
TExchangeFormat FormatOf(py::handle format) {
  if (PyUnicode_Check(format.ptr()))
    return EnumClass<TExchangeFormat>::type.attr("from_text")(format).cast<TExchangeFormat>();
  return format.cast<TExchangeFormat>();
}

TExchangeImport Import(py::handle format, py::handle text, const std::string& camera_id,
                       double pixel_size_mm, const vec_t_<std::uint64_t, 2>& image_size,
                       TPixelOrigin pixel_origin, TTangentialOrder tangential) {
  const TExchangeFormat f = FormatOf(format);
  const std::string bytes = DocumentBytes(text);
  TExchangeImportOptions options;
  options.camera_id = camera_id;
  options.pixel_size_mm = pixel_size_mm;
  options.image_width = image_size.x;
  options.image_height = image_size.y;
  options.conventions = {pixel_origin, tangential};
  py::gil_scoped_release release;
  return ImportCameraE(f, bytes, options);
}

TExchangeExport Export(py::handle format, const TLxCameraInfo& camera, bool xml,
                       const std::string& model, TPixelOrigin pixel_origin,
                       TTangentialOrder tangential) {
  const TExchangeFormat f = FormatOf(format);
  TExchangeExportOptions options;
  options.xml = xml;
  options.model = model;
  options.conventions = {pixel_origin, tangential};
  py::gil_scoped_release release;
  return ExportCameraE(f, camera, options);
}

TCameraComparison Compare(const TExchangeCamera& a, const TExchangeCamera& b, int grid) {
  py::gil_scoped_release release;
  return CompareCamerasE(a, b, grid);
}

void BindExchangeCamera(py::module_& m) {
  py::class_<TExchangeCamera>(
      m, "ExchangeCamera",
      R"(A camera as a map between its pixels and the rays they see: a Camera record, or
a file's own model when an import could only fit it (ExchangeImport.source),
so that comparisons measure against the file itself. A Camera passes wherever
an ExchangeCamera is asked for.)")
      .def(py::init<const TLxCameraInfo&>(), py::arg("camera"),
           "The camera of `camera`: a DIGITAL camera with origin CENTER, sensor_dims and "
           "pixel_size above 0 and a focus above 0; ExchangeError otherwise.")
      .def_property_readonly("empty", &TExchangeCamera::empty, "True for a camera without model.")
      .def("__repr__", [](const TExchangeCamera& c) {
        return std::string(c.empty() ? "<ExchangeCamera (empty)>" : "<ExchangeCamera>");
      });
  py::implicitly_convertible<TLxCameraInfo, TExchangeCamera>();
}

}  // namespace

void BindExchange(py::module_& m) {
  BindExchangeCamera(m);
  m.def("import_camera", &Import, py::arg("format"), py::arg("text"), py::kw_only(),
        py::arg("camera_id") = "", py::arg("pixel_size_mm") = 0.0,
        py::arg("image_size") = vec_t_<std::uint64_t, 2>{}, py::arg("pixel_origin") = poFormat,
        py::arg("tangential") = toFormat,
        R"(Reads the camera of `text` (str or bytes), a file of `format` (ExchangeFormat
or its name, "opencv"). Returns an ExchangeImport: the DIGITAL camera (origin
at the sensor centre, mm), the report and the file's own camera.

camera_id: the camera to read from a file holding several; empty reads the
only one. pixel_size_mm: pixel size (mm) for files that state none; 0 leaves
the camera in pixel units. image_size: (width, height) in px for files that
state none. pixel_origin, tangential: readings where a format's sources
disagree. Raises ExchangeError (with the line where known).)");
  m.def("export_camera", &Export, py::arg("format"), py::arg("camera"), py::kw_only(),
        py::arg("xml") = false, py::arg("model") = "", py::arg("pixel_origin") = poFormat,
        py::arg("tangential") = toFormat,
        R"(Writes `camera` as a file of `format` and returns an ExchangeExport (the text
and the report). xml: FileStorage XML instead of YAML (opencv). model: the
format's model to write; empty picks the smallest that holds the camera
exactly, else the richest of the camera's direction. Raises ExchangeError.)");
  m.def("compare_cameras", &Compare, py::arg("a"), py::arg("b"), py::arg("grid") = 100,
        R"(How far two cameras of the same image size send the same pixel apart, over a
grid x grid lattice of a's image: CameraComparison. `a` and `b` are Camera
records or ExchangeCamera objects. Raises ExchangeError for an empty camera,
image sizes that differ, or grid below 2.)");
  m.def("exchange_report_text", &ExchangeReportText, py::arg("report"),
        "The report as lines of text for people.");
  m.def("camera_comparison_text", &CameraComparisonText, py::arg("comparison"),
        "The comparison as one line of text for people.");
}

}  // namespace lxpy
