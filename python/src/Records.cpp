// Camera, Distortion and Measurements, with their documents and transforms.

#include "Records.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include <pybind11/operators.h>

#include <LxCameraUtils/CameraFrame.h>
#include <LxCameraUtils/CameraGeometry.h>
#include <LxCameraUtils/IntOrSolution.h>
#include <LxStd/XIni.h>

#include "Errors.h"
#include "Module.h"
#include "Transforms.h"
#include "camera/RecordFields.h"

namespace lxpy {

namespace {

using TDistortion = TLxCameraDistortion;

constexpr auto kMixedFields = std::tuple{
    Field{"a", &TDistortion::TMixedCoeffs::a, "a1..a7 (7 floats); a1, a2 as the formula's b1, b2"},
    Field{"b", &TDistortion::TMixedCoeffs::b, "b1..b7 (7 floats); b1, b2 as the formula's a1, a2"},
    Field{"c", &TDistortion::TMixedCoeffs::c, "c1..c7 (7 floats), no unit"},
    Field{"K", &TDistortion::TMixedCoeffs::K, "K1..K3 (3 floats): 1/mm², 1/mm⁴, 1/mm⁶"},
    Field{"P", &TDistortion::TMixedCoeffs::P, "P1, P2 (2 floats): 1/mm"},
};

constexpr auto kPolynomialFields = std::tuple{
    Field{"K", &TDistortion::TPolynomialCoeffs::K, "K0..K7 (8 floats), no unit; K0 a scale"},
    Field{"P", &TDistortion::TPolynomialCoeffs::P, "P1..P4 (4 floats), no unit"},
};

constexpr auto kDistortionFields = std::tuple{
    Field{"type", &TDistortion::type, "The model that applies (DistortionType)."},
    Field{"direction", &TDistortion::direction,
          "Which way the coefficients map (Direction): CAM_TO_MM or MM_TO_CAM."},
    Field{"mixed_coeffs", &TDistortion::mixed_coeffs,
          "Coefficients of the mixed model (MixedCoeffs), changed in place."},
    Field{"polynomial_coeffs", &TDistortion::polynomial_coeffs,
          "Coefficients of the polynomial model (PolynomialCoeffs), changed in place."},
    Field{"table_r", &TDistortion::table_r,
          "Radial table (RADIAL): rows RadialRow(r, dr), mm, dr positive outwards."},
    Field{"table_plus", &TDistortion::table_plus,
          "Directed table along the axes (DIRECTED_4_PLUS, DIRECTED_8): rows DirectedRow(r, dr), "
          "mm; dr along +y, -y, -x, +x."},
    Field{"table_x", &TDistortion::table_x,
          "Directed table along the diagonals (DIRECTED_4_X, DIRECTED_8): rows "
          "DirectedRow(r, dr), mm; dr along -x+y, +x-y, -x-y, +x+y."},
    Field{"symmetry_point", &TDistortion::symmetry_point,
          "Centre of the model in camera coordinates, mm."},
    Field{"k1", &TDistortion::k1, "Formula model: radial term of r², 1/mm²."},
    Field{"k2", &TDistortion::k2, "Formula model: radial term of r⁴, 1/mm⁴."},
    Field{"k3", &TDistortion::k3, "Formula model: radial term of r⁶, 1/mm⁶."},
    Field{"k4", &TDistortion::k4, "Formula model: radial term of r⁸, 1/mm⁸."},
    Field{"k5", &TDistortion::k5, "Formula model: radial term of r¹⁰, 1/mm¹⁰."},
    Field{"p1", &TDistortion::p1, "Formula model: tangential p1, 1/mm."},
    Field{"p2", &TDistortion::p2, "Formula model: tangential p2, 1/mm."},
    Field{"p3", &TDistortion::p3, "Formula model: tangential factor of r², 1/mm²."},
    Field{"p4", &TDistortion::p4, "Formula model: tangential factor of r⁴, 1/mm⁴."},
    Field{"b1", &TDistortion::b1, "Formula model: affinity in x, no unit."},
    Field{"b2", &TDistortion::b2, "Formula model: shear in x, no unit."},
    Field{"a1", &TDistortion::a1, "Formula model: shear in y, no unit."},
    Field{"a2", &TDistortion::a2, "Formula model: affinity in y, no unit."},
};

constexpr auto kCameraFields = std::tuple{
    Field{"name", &TLxCameraInfo::name, "Name of the camera."},
    Field{"calibration_date", &TLxCameraInfo::calibration_date, "Calibration date, free text."},
    Field{"description", &TLxCameraInfo::description, "Free notes, CRLF line ends."},
    Field{"fiducial_template_id", &TLxCameraInfo::fiducial_template_id,
          "Names the set of mark templates of the fiducials or cross marks."},
    Field{"type", &TLxCameraInfo::type,
          "Interior-orientation type (CameraType): it says which of the fields below apply."},
    Field{"distortion", &TLxCameraInfo::distortion,
          "The lens distortion (Distortion), changed in place."},
    Field{"focus", &TLxCameraInfo::focus, "Focal length, mm."},
    Field{"principal_point", &TLxCameraInfo::principal_point,
          "Principal point in camera coordinates, mm."},
    Field{"pixel_size", &TLxCameraInfo::pixel_size,
          "Size of one sensor pixel along x and y, mm (DIGITAL)."},
    Field{"length_x", &TLxCameraInfo::length_x,
          "Distance of the cross marks 1 and 3 along x, mm (CALIBRATED_CROSS)."},
    Field{"length_y", &TLxCameraInfo::length_y,
          "Distance of the cross marks 2 and 4 along y, mm (CALIBRATED_CROSS)."},
    Field{"sensor_dims", &TLxCameraInfo::sensor_dims,
          "Sensor size in pixels along x and y (DIGITAL)."},
    Field{"fiducials", &TLxCameraInfo::fiducials,
          "The fiducial marks (Fiducial), in stored order (FIDUCIALS)."},
    Field{"digital_camera_origin", &TLxCameraInfo::digital_camera_origin,
          "Point of the pixel grid that is the origin of camera coordinates "
          "(DigitalCameraOrigin; DIGITAL)."},
};

constexpr auto kMeasurementFields = std::tuple{
    Field{"camera_type", &TLxIntOrMeas::camera_type,
          "Kind of marks measured (CameraType); 0: none."},
    Field{"points", &TLxIntOrMeas::points, "The measured marks (MeasPoint), px."},
    Field{"scan_resolution", &TLxIntOrMeas::scan_resolution,
          "Scan resolution along x and y, in resolution_units (PRINCIPAL_POINT and CROSS)."},
    Field{"resolution_units", &TLxIntOrMeas::resolution_units,
          "Unit of scan_resolution (ResolutionUnits): MM (pixel size, mm) or DPI."},
    Field{"rotation", &TLxIntOrMeas::rotation,
          "Rotation of the image (CamRotate), where no marks fix it; INVALID: not given."},
    Field{"transform_type", &TLxIntOrMeas::transform_type,
          "Plane transform to fit (TransformType; FIDUCIALS and CALIBRATED_CROSS)."},
};

// Every member of the records has its Python name: a field added in C++ but
// not here fails to compile.
template <class Record, class Fields>
constexpr bool NamesEveryField(const Fields&) {
  using Listed = decltype(lxcu::internal::Fields(std::declval<Record&>()));
  return std::tuple_size_v<Listed> == std::tuple_size_v<Fields>;
}
static_assert(NamesEveryField<TDistortion>(kDistortionFields));
static_assert(NamesEveryField<TLxCameraInfo>(kCameraFields));
static_assert(NamesEveryField<TLxIntOrMeas>(kMeasurementFields));
static_assert(NamesEveryField<TFiducial>(ValueClass<TFiducial>::kFields));
static_assert(NamesEveryField<TMeasPoint>(ValueClass<TMeasPoint>::kFields));
static_assert(NamesEveryField<TRadialRow>(ValueClass<TRadialRow>::kFields));
static_assert(NamesEveryField<TDirectedRow>(ValueClass<TDirectedRow>::kFields));
static_assert(sizeof(TDistortion::TMixedCoeffs) == sizeof(double) * (7 + 7 + 7 + 3 + 2));
static_assert(sizeof(TDistortion::TPolynomialCoeffs) == sizeof(double) * (8 + 4));

// Loads a Record from the top-level section `section` of `text`; the file
// `path` (or None) is named in a DocumentError.
template <class Record>
Record LoadSection(std::string_view text, const std::string& section, py::handle path) {
  try {
    TLxXIniReader reader(text);
    reader.EnterSectionSE(section);
    Record record;
    record.LoadE(&reader);
    return record;
  } catch (const TLxXIniError& e) {
    RaiseDocumentError(e, path);
  }
}

// A document holding `record` as the top-level section `section`.
template <class Record>
py::str DumpSection(const Record& record, const std::string& section) {
  try {
    TLxXIniWriter writer;
    const TLxXIniHandle handle = writer.BeginSectionSE(section);
    record.SaveE(&writer);
    writer.EndSection(handle);
    return TextToPython(writer.Text());
  } catch (const std::runtime_error& e) {  // a value without a document text, or the writer's
    RaiseDocumentError(e, py::none());
  }
}

py::module_ Documents() {
  return py::module_::import("lxcamerautils._documents");
}

// load, loads, dumps and save of a record stored as a document section.
template <class Record>
void DefDocument(py::class_<Record>& cls, const char* default_section) {
  const std::string name = py::str(cls.attr("__name__"));
  cls.def_static(
      "loads",
      [](py::handle text, const std::string& section) {
        return LoadSection<Record>(DocumentBytes(text), section, py::none());
      },
      py::arg("text"), py::arg("section") = default_section,
      ("The " + name +
       " in the top-level section `section` of the document `text` (str or bytes). Raises "
       "DocumentError, naming the key, section path and line, for anything missing or "
       "unreadable.")
          .c_str());
  cls.def_static(
      "load",
      [](py::handle path, const std::string& section) {
        const std::string text = Documents().attr("read_file")(path).cast<std::string>();
        return LoadSection<Record>(text, section, path);
      },
      py::arg("path"), py::arg("section") = default_section,
      ("The " + name +
       " in the top-level section `section` of the document file `path`. Raises OSError when "
       "the file cannot be read, DocumentError (with the path) as loads does.")
          .c_str());
  cls.def("dumps", &DumpSection<Record>, py::arg("section") = default_section,
          "The record as a document holding the top-level section `section`. Raises "
          "DocumentError for a value that has no document text (an enumeration outside its "
          "members).");
  cls.def(
      "save",
      [](const Record& record, py::handle path, const std::string& section) {
        Documents().attr("write_file")(path, DumpSection(record, section));
      },
      py::arg("path"), py::arg("section") = default_section,
      "Writes the record as a document holding the top-level section `section` to `path`, "
      "replacing the file only once the new one is complete (a link is followed; a FIFO or "
      "device is written through). Raises as dumps does, and OSError.");
}

Transform MakeTransform(var_a_legacy::var_a<TLx2DTransform*> holder, std::string kind) {
  return Transform{std::move(holder), std::move(kind), {}};
}

// cam_to_mm and mm_to_cam of `camera`, each the other's inverse.
Transform CameraTransform(std::shared_ptr<const TLxCameraInfo> camera, bool to_mm) {
  Transform t = to_mm ? MakeTransform(CreateCamToMmTransform(*camera), "cam_to_mm")
                      : MakeTransform(CreateMmToCamTransform(*camera), "mm_to_cam");
  t.inverse = [camera, to_mm] { return CameraTransform(camera, !to_mm); };
  return t;
}

// pix_to_mm and mm_to_pix of `camera` and `solution`, each the other's inverse.
Transform PixelTransform(std::shared_ptr<const std::pair<TLxCameraInfo, TLxIntOrSolution>> inputs,
                         bool to_mm) {
  const auto& [camera, solution] = *inputs;
  Transform t = to_mm ? MakeTransform(CreatePixToMmTransform(camera, solution), "pix_to_mm")
                      : MakeTransform(CreateMmToPixTransform(camera, solution), "mm_to_pix");
  t.inverse = [inputs, to_mm] { return PixelTransform(inputs, !to_mm); };
  return t;
}

Transform PixelTransform(const TLxCameraInfo& camera, const TLxIntOrSolution& solution,
                         bool to_mm) {
  return PixelTransform(
      std::make_shared<std::pair<TLxCameraInfo, TLxIntOrSolution>>(camera, solution), to_mm);
}

void BindDistortion(py::module_& m) {
  auto mixed = BindRecord<TDistortion::TMixedCoeffs>(
      m, "MixedCoeffs", "Coefficients of the mixed distortion model; see the user guide.",
      kMixedFields);
  auto polynomial = BindRecord<TDistortion::TPolynomialCoeffs>(
      m, "PolynomialCoeffs", "Coefficients of the polynomial distortion model; see the user guide.",
      kPolynomialFields);
  auto cls = BindRecord<TDistortion>(m, "Distortion", R"(Lens distortion of one camera.

`type` says which model applies; the record carries the parameters of every
model side by side, and changing `type` clears nothing. Lengths (radii,
distortion values, the symmetry point) are mm of camera coordinates. Equality
is the library's: numbers by value, coefficient groups bit for bit.)",
                                     kDistortionFields);
  cls.attr("Direction") = m.attr("Direction");
  cls.attr("MixedCoeffs") = mixed;
  cls.attr("PolynomialCoeffs") = polynomial;
  cls.def(py::self == py::self)
      .def(py::self != py::self)
      .def("reset", &TDistortion::Reset, "Back to a new record's state: NONE, all zero, no tables.")
      .def(
          "transform",
          [](const TDistortion& d, const vec_t_<double, 2>& center, double focus) -> py::object {
            auto holder = CreateCameraDistortionTransform(d, center, focus);
            if (!holder) return py::none();
            return py::cast(MakeTransform(std::move(holder), "distortion"));
          },
          py::arg("center") = vec_t_<double, 2>{}, py::arg("focus") = 0.0,
          "The model alone, centred at `center` (mm), mapping camera coordinates to mm whatever "
          "the direction; `focus` (mm) reaches the mixed and polynomial models. None for NONE "
          "or a type outside DistortionType.");
}

void BindCamera(py::module_& m) {
  auto cls = BindRecord<TLxCameraInfo>(m, "Camera", R"(Description of one camera.

`type` says which interior-orientation fields apply (CROSS and
CALIBRATED_CROSS: fiducial_template_id, the latter also length_x, length_y;
FIDUCIALS: fiducials, fiducial_template_id; DIGITAL: pixel_size, sensor_dims,
digital_camera_origin); the record keeps, copies and compares all fields
whatever the type. Lengths are mm of camera coordinates (x right, y up).)",
                                       kCameraFields);
  DefDocument(cls, "camera");
  cls.def(py::self == py::self)
      .def(py::self != py::self)
      .def("reset", &TLxCameraInfo::Reset, "Back to a new record's state (type 0, all empty).")
      .def(
          "cam_to_mm",
          [](const TLxCameraInfo& c) {
            return CameraTransform(std::make_shared<const TLxCameraInfo>(c), true);
          },
          "The transform from camera coordinates (mm) to mm about the principal point, corrected "
          "for lens distortion: p ↦ D(p − principal_point). Reads principal_point, focus and "
          "distortion; the record may change afterwards without affecting it. Its inverse() is "
          "mm_to_cam.")
      .def(
          "mm_to_cam",
          [](const TLxCameraInfo& c) {
            return CameraTransform(std::make_shared<const TLxCameraInfo>(c), false);
          },
          "The inverse of cam_to_mm, from mm about the principal point back to camera "
          "coordinates (mm); NaN beyond the radius where the distortion stops being one-to-one.")
      .def(
          "frame",
          [](const TLxCameraInfo& c) {
            const TLxCameraFrame f = GetCameraFrame(c);
            if (f.rule == frNone) return py::object(py::none());
            return py::object(py::make_tuple(f.lower, f.upper));
          },
          "The picture area that lxcam info and plot look at, as (lower, upper) corners in "
          "camera coordinates (mm, y up): the fiducials' extent, the sensor, a square inside the "
          "distortion table or of half-side focus/2, the first that applies; None when none "
          "does.")
      .def(
          "pix_to_mm",
          [](const TLxCameraInfo& c, const TLxIntOrSolution& s) {
            return PixelTransform(c, s, true);
          },
          py::arg("solution"),
          "The transform from the pixels (px) of the image solved in `solution` to mm about the "
          "principal point, corrected for distortion: cam_to_mm after solution.pix_to_cam. Its "
          "inverse() is mm_to_pix.")
      .def(
          "mm_to_pix",
          [](const TLxCameraInfo& c, const TLxIntOrSolution& s) {
            return PixelTransform(c, s, false);
          },
          py::arg("solution"),
          "The inverse of pix_to_mm, from mm about the principal point to pixels, to 1e-9 px; "
          "NaN where the distortion cannot be inverted.");
}

void BindMeasurements(py::module_& m) {
  auto cls = BindRecord<TLxIntOrMeas>(m, "Measurements",
                                      R"(The interior-orientation measurements made on one image.

Compared by identity, as the library defines no equality for them; compare
dumps() to compare contents.)",
                                      kMeasurementFields);
  DefDocument(cls, "int_or_meas");
}

}  // namespace

void BindRecords(py::module_& m) {
  BindDistortion(m);
  BindCamera(m);
  BindMeasurements(m);
}

}  // namespace lxpy
