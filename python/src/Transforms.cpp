#include "Transforms.h"

#include <pybind11/operators.h>

#include <LxCameraUtils/IntOrSolution.h>

#include "Casters.h"
#include "Module.h"
#include "PointArrays.h"
#include "Records.h"

namespace lxpy {

namespace {

using P = vec_t_<double, 2>;

py::object Map(const Transform& t, py::handle points, py::handle out) {
  const PointRows in = InputRows(points);
  const py::object result =
      out.is_none() ? py::array_t<double>({static_cast<py::ssize_t>(in.n), py::ssize_t{2}})
                    : py::reinterpret_borrow<py::object>(out);
  const PointRows rows = OutputRows(result, in.n);
  {
    py::gil_scoped_release release;
    MapRows(*t.holder, in, rows);
  }
  return result;
}

constexpr const char* kCallDoc = R"(Maps points through the transform.

points: numpy.ndarray of float64, shape (N, 2), one point (x, y) per row, in
the transform's input units. Any memory layout; a C-contiguous array is read
in place, without a copy.
out: optional float64 array of shape (N, 2) that receives the result (it may
be `points` itself); by default a new array.

Returns the mapped points (`out` when given). Raises TypeError for anything
but a float64 numpy array, ValueError for another shape or a read-only `out`.
The GIL is released while the points are mapped, so threads that map
different arrays run in parallel.)";

void BindTransform(py::module_& m) {
  py::class_<Transform>(m, "Transform", R"(A map of the plane onto itself, made by the library.

Immutable: one transform may serve any number of threads at once. Call it on
an (N, 2) array; `point(x, y)` maps one point. `kind` says what it maps:
"cam_to_mm" (camera mm to mm about the principal point, corrected for
distortion), "pix_to_mm" (image pixels to the same), "mm_to_pix" (back to
pixels), "distortion" (a distortion model alone, mm to mm).)")
      .def("__call__", &Map, py::arg("points"), py::arg("out") = py::none(), kCallDoc)
      .def(
          "point",
          [](const Transform& t, double x, double y) {
            const P p = t.holder->TransformPoint({x, y});
            return py::make_tuple(p.x, p.y);
          },
          py::arg("x"), py::arg("y"),
          "The image (x', y') of the point (x, y), in the transform's output units.")
      .def(
          "inverse",
          [](const Transform& t) {
            if (!t.inverse) {
              const std::string message = "the library offers no inverse of " + t.kind;
              PyErr_SetString(PyExc_NotImplementedError, message.c_str());
              throw py::error_already_set();
            }
            return t.inverse();
          },
          "The transform that maps back (\"pix_to_mm\" ↔ \"mm_to_pix\"). Raises "
          "NotImplementedError where the library offers none.")
      .def_readonly("kind", &Transform::kind, "What the transform maps, as \"cam_to_mm\".")
      .def("__repr__", [](const Transform& t) { return "<Transform " + t.kind + ">"; });
}

constexpr auto kPlaneFields = std::tuple{
    Field{"a0", &TPlaneTransform::a0, "x' numerator: coefficient of x"},
    Field{"a1", &TPlaneTransform::a1, "x' numerator: coefficient of y"},
    Field{"a2", &TPlaneTransform::a2, "x' numerator: constant"},
    Field{"a3", &TPlaneTransform::a3, "y' numerator: coefficient of x"},
    Field{"a4", &TPlaneTransform::a4, "y' numerator: coefficient of y"},
    Field{"a5", &TPlaneTransform::a5, "y' numerator: constant"},
    Field{"c0", &TPlaneTransform::c0, "denominator w: coefficient of x"},
    Field{"c1", &TPlaneTransform::c1, "denominator w: coefficient of y"},
};

void BindPlaneTransform(py::module_& m) {
  BindRecord<TPlaneTransform>(m, "PlaneTransform", R"(A plane projective map:
x' = (a0·x + a1·y + a2) / w,  y' = (a3·x + a4·y + a5) / w,  w = c0·x + c1·y + 1.
With c0 = c1 = 0 it is affine. A new one is the identity.)",
                              kPlaneFields)
      .def_property_readonly("is_affine", &TPlaneTransform::IsAffine, "c0 = c1 = 0.")
      .def("apply", &TPlaneTransform::Apply, py::arg("point"),
           "The image of `point` (x, y); infinite or NaN where w is 0.")
      .def("tangent_at", &TPlaneTransform::TangentAt, py::arg("point"),
           "The affine map with the same image and first derivatives at `point`.")
      .def("inverse", &TPlaneTransform::Inverse,
           "The inverse map; infinite or NaN coefficients when the map is singular.")
      .def(py::self == py::self)
      .def(py::self != py::self);
}

}  // namespace

void BindTransforms(py::module_& m) {
  BindTransform(m);
  BindPlaneTransform(m);
}

}  // namespace lxpy
