// The enumerations as enum.IntEnum classes, with their document texts.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <utility>

#include "Casters.h"
#include "Module.h"

namespace lxpy {

namespace {

// The texts of an enumeration's values; any may be left empty.
template <class E>
struct EnumTexts {
  std::function<std::string(E)> text;  // the machine text; throws std::runtime_error for none
  std::function<E(const std::string&)> from_text;  // throws std::runtime_error for no match
  std::function<std::string(E)> user_text;
};

// Runs `f`, raising ValueError for its std::runtime_error.
template <class F>
auto AsValueError(F&& f) {
  try {
    return f();
  } catch (const std::runtime_error& e) {
    throw py::value_error(e.what());
  }
}

py::object Builtin(const char* name) {
  return py::module_::import("builtins").attr(name);
}

template <class E>
void BindEnum(py::module_& m, const char* name, const char* doc,
              std::initializer_list<std::pair<const char*, E>> members,
              const EnumTexts<E>& texts = {}) {
  py::list items;
  for (const auto& [member, value] : members)
    items.append(py::make_tuple(member, static_cast<int>(value)));
  py::object cls = py::module_::import("enum").attr("IntEnum")(
      name, items, py::arg("module") = "lxcamerautils", py::arg("qualname") = name);
  cls.attr("__doc__") = doc;
  if (texts.text)
    py::setattr(cls, "text",
                Builtin("property")(py::cpp_function(
                    [f = texts.text](E v) { return AsValueError([&] { return f(v); }); },
                    py::doc("The text that stands for the value in documents; ValueError for a "
                            "value without one."))));
  if (texts.from_text)
    py::setattr(cls, "from_text",
                Builtin("staticmethod")(py::cpp_function(
                    [f = texts.from_text](const std::string& text) {
                      return AsValueError([&] { return f(text); });
                    },
                    py::arg("text"),
                    py::doc("The member whose document text is `text` (exact, case "
                            "sensitive); ValueError for any other text."))));
  if (texts.user_text)
    py::setattr(cls, "user_text",
                Builtin("property")(py::cpp_function(
                    texts.user_text, py::doc("The value's name for display, from the library's "
                                             "resource texts (empty when there is none)."))));
  m.attr(name) = cls;
  EnumClass<E>::value_to_member = cls.attr("_value2member_map_").cast<py::object>().release();
  EnumClass<E>::type = cls.release();
}

// The texts of the enumerations of CameraEnums.h, which share one contract.
template <class E>
EnumTexts<E> StandardTexts(std::string (*to_text)(E, const char*),
                           E (*from_text)(const std::string&), std::string (*user_text)(E)) {
  EnumTexts<E> texts;
  texts.text = [to_text](E v) { return to_text(v, nullptr); };
  texts.from_text = from_text;
  if (user_text) texts.user_text = user_text;
  return texts;
}

void BindCameraEnums(py::module_& m) {
  BindEnum<TCameraType>(
      m, "CameraType",
      "Interior-orientation type of a camera. A record's type may also be 0 (not set) or any "
      "other int, which reads back as a plain int.",
      {{"PRINCIPAL_POINT", ctPrincipalPoint},
       {"CROSS", ctCross},
       {"CALIBRATED_CROSS", ctCalibratedCross},
       {"FIDUCIALS", ctFiducials},
       {"DIGITAL", ctDigital}},
      StandardTexts(&CameraTypeToTextE, &TextToCameraTypeE, &CameraTypeToUserText));
  BindEnum<TDigitalCameraOrigin>(
      m, "DigitalCameraOrigin", "Point of a digital camera's pixel grid that serves as origin.",
      {{"CENTER", dcoCenter}, {"LOWER_LEFT", dcoLowerLeft}, {"UPPER_LEFT", dcoUpperLeft}});
  BindEnum<TDistortionType>(
      m, "DistortionType", "Lens distortion model.",
      {{"NONE", dtNone},
       {"FORMULA", dtFormula},
       {"RADIAL", dtRadial},
       {"DIRECTED_4_PLUS", dtDirected4Plus},
       {"DIRECTED_4_X", dtDirected4X},
       {"DIRECTED_8", dtDirected8},
       {"MIXED", dtMixed},
       {"POLYNOMIAL", dtPolynomial}},
      StandardTexts(&DistortionTypeToTextE, &TextToDistortionTypeE, &DistortionTypeToUserText));
  BindEnum<TLxCameraDistortion::TDirection>(
      m, "Direction",
      "Direction in which a distortion record maps: CAM_TO_MM, the coefficients give the "
      "correction from camera coordinates to mm; MM_TO_CAM, the distortion from ideal "
      "positions to the image.",
      {{"CAM_TO_MM", TLxCameraDistortion::dirCamToMm},
       {"MM_TO_CAM", TLxCameraDistortion::dirMmToCam}},
      StandardTexts(&TLxCameraDistortion::DirectionToTextE, &TLxCameraDistortion::TextToDirectionE,
                    &TLxCameraDistortion::DirectionToUserText));
  BindEnum<TCamRotate>(m, "CamRotate",
                       "Rotation of an image in quarter turns; INVALID: not given (it has no "
                       "document text).",
                       {{"INVALID", crInvalid},
                        {"DEG_0", cr0},
                        {"DEG_90", cr90},
                        {"DEG_180", cr180},
                        {"DEG_270", cr270}},
                       StandardTexts(&CamRotateToTextE, &TextToCamRotateE, &CamRotateToUserText));
  BindEnum<TResolutionUnits>(
      m, "ResolutionUnits", "Unit of a scan resolution: MM (pixel size in mm) or DPI.",
      {{"MM", ruMm}, {"DPI", ruDpi}},
      StandardTexts<TResolutionUnits>(&ResolutionUnitsToTextE, &TextToResolutionUnitsE, nullptr));
  BindEnum<TTransformType>(
      m, "TransformType", "Kind of plane transform of an interior orientation.",
      {{"SIMILARITY", ttSimilarity}, {"AFFINE", ttAffine}, {"PROJECTIVE", ttProjective}},
      StandardTexts(&TransformTypeToTextE, &TextToTransformTypeE, &TransformTypeToUserText));
}

// "opencv, colmap, ...": every format's text, in order.
std::string FormatNames() {
  std::string names;
  for (auto f = static_cast<std::int32_t>(efNone) + 1;; ++f) {
    const std::string text = ExchangeFormatToText(static_cast<TExchangeFormat>(f));
    if (text.empty()) return names;
    names += (names.empty() ? "" : ", ") + text;
  }
}

void BindExchangeEnums(py::module_& m) {
  EnumTexts<TExchangeFormat> format_texts;
  format_texts.text = [](TExchangeFormat f) {
    std::string text = ExchangeFormatToText(f);
    if (text.empty())
      throw std::runtime_error("no exchange format " + std::to_string(static_cast<int>(f)));
    return text;
  };
  format_texts.from_text = [](const std::string& text) {
    const TExchangeFormat format = TextToExchangeFormat(text);
    if (format == efNone)
      throw std::runtime_error("unknown exchange format \"" + text + "\" (" + FormatNames() + ")");
    return format;
  };
  BindEnum<TExchangeFormat>(m, "ExchangeFormat",
                            "Other tools' camera file formats; `text` gives the format's name "
                            "(\"opencv\"), which functions also take in place of a member.",
                            {{"NONE", efNone},
                             {"OPENCV", efOpenCv},
                             {"COLMAP", efColmap},
                             {"AGISOFT", efAgisoft},
                             {"MICMAC", efMicMac},
                             {"TSAI", efTsai},
                             {"OPENSFM", efOpenSfm}},
                            format_texts);
  BindEnum<TPixelOrigin>(
      m, "PixelOrigin",
      "Where a file's pixel coordinates have their origin: FORMAT (as the format's documentation "
      "says), CENTER (centre of the top-left pixel), CORNER (top-left corner of the image).",
      {{"FORMAT", poFormat}, {"CENTER", poCenter}, {"CORNER", poCorner}});
  BindEnum<TTangentialOrder>(
      m, "TangentialOrder",
      "Which tangential coefficient a file calls p1: FORMAT (as its documentation says), "
      "OPENCV (p2 multiplies r² + 2x² in x), PHOTOGRAMMETRIC (p1 does).",
      {{"FORMAT", toFormat}, {"OPENCV", toOpenCv}, {"PHOTOGRAMMETRIC", toPhotogrammetric}});
}

}  // namespace

void BindEnums(py::module_& m) {
  BindCameraEnums(m);
  BindExchangeEnums(m);
}

}  // namespace lxpy
