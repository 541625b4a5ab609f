#pragma once

// The enumerations and the value types that cross by copy, with the Python
// names of their fields. Included by Casters.h only.

#include <tuple>

#include <LxCameraUtils/CameraDistortion.h>
#include <LxCameraUtils/CameraEnums.h>
#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/Exchange.h>
#include <LxCameraUtils/IntOrMeas.h>
#include <LxCameraUtils/IntOrSolution.h>

namespace pybind11::detail {

template <>
struct type_caster<TCameraType> : int_enum_caster<TCameraType> {};
template <>
struct type_caster<TDigitalCameraOrigin> : int_enum_caster<TDigitalCameraOrigin> {};
template <>
struct type_caster<TDistortionType> : int_enum_caster<TDistortionType> {};
template <>
struct type_caster<TCamRotate> : int_enum_caster<TCamRotate> {};
template <>
struct type_caster<TResolutionUnits> : int_enum_caster<TResolutionUnits> {};
template <>
struct type_caster<TTransformType> : int_enum_caster<TTransformType> {};
template <>
struct type_caster<TLxCameraDistortion::TDirection>
    : int_enum_caster<TLxCameraDistortion::TDirection> {};
template <>
struct type_caster<TExchangeFormat> : int_enum_caster<TExchangeFormat> {};
template <>
struct type_caster<TPixelOrigin> : int_enum_caster<TPixelOrigin> {};
template <>
struct type_caster<TTangentialOrder> : int_enum_caster<TTangentialOrder> {};

}  // namespace pybind11::detail

namespace lxpy {

using TRadialRow = TLxCameraDistortion::TRadialTableRow;
using TDirectedRow = TLxCameraDistortion::TDirectedTableRow;

template <>
struct ValueClass<TFiducial> {
  static constexpr const char* kPyName = "Fiducial";
  static constexpr auto kName = py::detail::const_name("Fiducial");
  static constexpr bool kTuple = true;
  static constexpr auto kFields =
      std::tuple{Field{"index", &TFiducial::index}, Field{"coords_cam", &TFiducial::coords_cam},
                 Field{"template_index", &TFiducial::template_index}};
};

template <>
struct ValueClass<TMeasPoint> {
  static constexpr const char* kPyName = "MeasPoint";
  static constexpr auto kName = py::detail::const_name("MeasPoint");
  static constexpr bool kTuple = true;
  static constexpr auto kFields =
      std::tuple{Field{"index", &TMeasPoint::index}, Field{"coords_pix", &TMeasPoint::coords_pix},
                 Field{"residuals_pix", &TMeasPoint::residuals_pix}};
};

template <>
struct ValueClass<TRadialRow> {
  static constexpr const char* kPyName = "RadialRow";
  static constexpr auto kName = py::detail::const_name("RadialRow");
  static constexpr bool kTuple = true;
  static constexpr auto kFields =
      std::tuple{Field{"r", &TRadialRow::r}, Field{"dr", &TRadialRow::dr}};
};

template <>
struct ValueClass<TDirectedRow> {
  static constexpr const char* kPyName = "DirectedRow";
  static constexpr auto kName = py::detail::const_name("DirectedRow");
  static constexpr bool kTuple = true;
  static constexpr auto kFields =
      std::tuple{Field{"r", &TDirectedRow::r}, Field{"dr", &TDirectedRow::dr}};
};

template <>
struct ValueClass<TIntOrMark> {
  static constexpr const char* kPyName = "IntOrMark";
  static constexpr auto kName = py::detail::const_name("IntOrMark");
  static constexpr bool kTuple = true;
  static constexpr auto kFields = std::tuple{
      Field{"index", &TIntOrMark::index},
      Field{"coords_pix", &TIntOrMark::coords_pix},
      Field{"coords_cam", &TIntOrMark::coords_cam},
      Field{"residual_pix", &TIntOrMark::residual_pix},
      Field{"residual_um", &TIntOrMark::residual_um},
  };
};

template <>
struct ValueClass<TLxIntOrSolution> {
  using S = TLxIntOrSolution;
  static constexpr const char* kPyName = "IntOrSolution";
  static constexpr auto kName = py::detail::const_name("IntOrSolution");
  static constexpr bool kTuple = false;
  static constexpr auto kFields = std::tuple{
      Field{"camera_type", &S::camera_type},
      Field{"transform_type", &S::transform_type},
      Field{"pix_to_cam", &S::pix_to_cam},
      Field{"cam_to_pix", &S::cam_to_pix},
      Field{"marks", &S::marks},
      Field{"rms_px", &S::rms_px},
      Field{"rms_um", &S::rms_um},
      Field{"max_residual_px", &S::max_residual_px},
      Field{"max_residual_um", &S::max_residual_um},
      Field{"redundancy", &S::redundancy},
      Field{"scale_um_per_px", &S::scale_um_per_px},
      Field{"scale_dpi", &S::scale_dpi},
      Field{"rotation_deg", &S::rotation_deg},
      Field{"shear_deg", &S::shear_deg},
      Field{"mirrored", &S::mirrored},
      Field{"warnings", &S::warnings},
  };
};

template <>
struct ValueClass<TExchangeReport> {
  using R = TExchangeReport;
  static constexpr const char* kPyName = "ExchangeReport";
  static constexpr auto kName = py::detail::const_name("ExchangeReport");
  static constexpr bool kTuple = false;
  static constexpr auto kFields = std::tuple{
      Field{"exact", &R::exact},
      Field{"model", &R::model},
      Field{"max_deviation_px", &R::max_deviation_px},
      Field{"max_deviation_um", &R::max_deviation_um},
      Field{"frame", &R::frame},
      Field{"conventions", &R::conventions},
      Field{"warnings", &R::warnings},
  };
};

template <>
struct ValueClass<TCameraComparison> {
  using C = TCameraComparison;
  static constexpr const char* kPyName = "CameraComparison";
  static constexpr auto kName = py::detail::const_name("CameraComparison");
  static constexpr bool kTuple = false;
  static constexpr auto kFields = std::tuple{
      Field{"max_px", &C::max_px}, Field{"max_um", &C::max_um},     Field{"at_px", &C::at_px},
      Field{"frame", &C::frame},   Field{"unsolved", &C::unsolved},
  };
};

template <>
struct ValueClass<TExchangeImport> {
  static constexpr const char* kPyName = "ExchangeImport";
  static constexpr auto kName = py::detail::const_name("ExchangeImport");
  static constexpr bool kTuple = false;
  static constexpr auto kFields = std::tuple{Field{"camera", &TExchangeImport::camera},
                                             Field{"report", &TExchangeImport::report},
                                             Field{"source", &TExchangeImport::source}};
};

template <>
struct ValueClass<TExchangeExport> {
  static constexpr const char* kPyName = "ExchangeExport";
  static constexpr auto kName = py::detail::const_name("ExchangeExport");
  static constexpr bool kTuple = false;
  static constexpr auto kFields =
      std::tuple{Field{"text", &TExchangeExport::text}, Field{"report", &TExchangeExport::report}};
};

}  // namespace lxpy

namespace pybind11::detail {

template <>
struct type_caster<TFiducial> : value_class_caster<TFiducial> {};
template <>
struct type_caster<TMeasPoint> : value_class_caster<TMeasPoint> {};
template <>
struct type_caster<lxpy::TRadialRow> : value_class_caster<lxpy::TRadialRow> {};
template <>
struct type_caster<lxpy::TDirectedRow> : value_class_caster<lxpy::TDirectedRow> {};
template <>
struct type_caster<TIntOrMark> : value_class_caster<TIntOrMark> {};
template <>
struct type_caster<TLxIntOrSolution> : value_class_caster<TLxIntOrSolution> {};
template <>
struct type_caster<TExchangeReport> : value_class_caster<TExchangeReport> {};
template <>
struct type_caster<TCameraComparison> : value_class_caster<TCameraComparison> {};
template <>
struct type_caster<TExchangeImport> : value_class_caster<TExchangeImport> {};
template <>
struct type_caster<TExchangeExport> : value_class_caster<TExchangeExport> {};

}  // namespace pybind11::detail
