// The exported face of the exchange library.
#include <LxCameraUtils/Exchange.h>

#include <bit>
#include <cmath>

#include <nlohmann/json.hpp>

#include "Convert.h"
#include "Formats.h"
#include "Model.h"
#include "Text.h"

using namespace lxcu::internal;

namespace lxcu::internal {
namespace {

constexpr Format kFormats[] = {
    {efOpenCv, "opencv", ReadOpenCv, WriteOpenCv, kOpenCvModels},
    {efColmap, "colmap", ReadColmap, WriteColmap, kColmapModels},
    {efAgisoft, "agisoft", ReadAgisoft, WriteAgisoft, kAgisoftModels},
    {efMicMac, "micmac", ReadMicMac, WriteMicMac, kMicMacModels},
    {efTsai, "tsai", ReadTsai, WriteTsai, kTsaiModels},
    {efOpenSfm, "opensfm", ReadOpenSfm, WriteOpenSfm, kOpenSfmModels},
};

std::string ModelNames(const Format& format) {
  std::vector<std::string> names;
  for (const FormatModel& m : format.models)
    names.push_back(m.name);
  return JoinWords(names);
}

// The model named in the options, else the smallest that holds the camera
// exactly, else the richest whose direction is the distortion's.
const FormatModel& ChooseModel(const Format& format, const TLxCameraInfo& camera,
                               const TLxCameraDistortion* formula, const std::string& name) {
  if (!name.empty()) {
    for (const FormatModel& m : format.models)
      if (name == m.name) return m;
    Fail("the " + std::string(format.name) + " format has no model \"" + name +
         "\"; its models are " + ModelNames(format));
  }
  if (formula)
    for (const FormatModel& m : format.models)
      if (DistortionFitsShape(*formula, camera, m.shape) && IntrinsicsFitShape(camera, m.shape))
        return m;
  const FormatModel* richest = &format.models.front();
  const auto rank = [&](const FormatModel& m) {
    return std::pair{m.shape.direction == camera.distortion.direction,
                     std::popcount(m.shape.terms)};
  };
  for (const FormatModel& m : format.models)
    if (rank(m) > rank(*richest)) richest = &m;
  return *richest;
}

// The deviation of what the format's own reader makes of `text` from `reference`.
void MeasureWritten(TExchangeFormat format, const std::string& text, const ExchangeModel& reference,
                    const TExchangeConventions& conventions, TExchangeReport& report) {
  TExchangeImportOptions read_back;
  read_back.conventions = conventions;
  read_back.pixel_size_mm = reference.sensor.pixel_units ? 0.0 : reference.sensor.pixel_mm.x;
  read_back.image_width = reference.sensor.width;
  read_back.image_height = reference.sensor.height;
  const TExchangeImport again = ImportCameraE(format, text, read_back);
  const TCameraComparison deviation = Compare(reference, again.source.model(), kReportGrid);
  report.max_deviation_px = deviation.max_px;
  report.max_deviation_um = deviation.max_um;
  report.frame = deviation.frame;
}

}  // namespace

const Format& FindFormat(TExchangeFormat id) {
  for (const Format& f : kFormats)
    if (f.id == id) return f;
  Fail("unknown exchange format " + std::to_string(static_cast<int>(id)));
}

std::size_t PickCamera(const std::vector<std::string>& ids, const std::string& id,
                       const std::string& what) {
  if (ids.empty()) Fail("the file holds no " + what);
  if (id.empty()) {
    if (ids.size() == 1) return 0;
    Fail("the file holds " + std::to_string(ids.size()) + " " + what + "s (" + JoinWords(ids) +
         "): pick one by its id");
  }
  for (std::size_t i = 0; i < ids.size(); ++i)
    if (ids[i] == id) return i;
  Fail("the file holds no " + what + " \"" + id + "\"; it holds " + JoinWords(ids));
}

}  // namespace lxcu::internal

std::string ExchangeFormatToText(TExchangeFormat format) {
  for (const Format& f : kFormats)
    if (f.id == format) return f.name;
  return {};
}

TExchangeFormat TextToExchangeFormat(std::string_view text) {
  for (const Format& f : kFormats)
    if (text == f.name) return f.id;
  return efNone;
}

TExchangeError::TExchangeError(const std::string& message, int line)
    : std::runtime_error(line > 0 ? "line " + std::to_string(line) + ": " + message : message),
      line_(line) {}

TExchangeCamera::TExchangeCamera() = default;

TExchangeCamera::TExchangeCamera(const TLxCameraInfo& camera)
    : model_(std::make_shared<const ExchangeModel>(RecordModel(camera))) {}

TExchangeCamera::TExchangeCamera(std::shared_ptr<const ExchangeModel> model)
    : model_(std::move(model)) {}

const ExchangeModel& TExchangeCamera::model() const {
  if (!model_) Fail("the camera is empty");
  return *model_;
}

std::string ExchangeReportText(const TExchangeReport& r) {
  std::string text = (r.exact ? "exact" : "fitted") + std::string(": model ") + r.model;
  if (!r.exact) {
    text += "; largest deviation " + Fixed(r.max_deviation_px, 4) + " px";
    if (!std::isnan(r.max_deviation_um)) text += " = " + Fixed(r.max_deviation_um, 3) + " um";
    text += " over the " + r.frame;
  }
  text += "\n";
  for (const std::string& c : r.conventions)
    text += "  convention: " + c + "\n";
  for (const std::string& w : r.warnings)
    text += "  warning: " + w + "\n";
  return text;
}

std::string ExchangeReportJson(const TExchangeReport& r) {
  nlohmann::ordered_json json;
  json["exact"] = r.exact;
  json["model"] = r.model;
  json["max_deviation_px"] = r.max_deviation_px;
  json["max_deviation_um"] = std::isnan(r.max_deviation_um)
                                 ? nlohmann::ordered_json(nullptr)
                                 : nlohmann::ordered_json(r.max_deviation_um);
  json["frame"] = r.frame;
  json["conventions"] = r.conventions;
  json["warnings"] = r.warnings;
  return json.dump();
}

TExchangeImport ImportCameraE(TExchangeFormat format, std::string_view text,
                              const TExchangeImportOptions& options) {
  const Format& f = FindFormat(format);
  FileCamera camera = f.read(text, options);
  return ImportFileCamera(std::move(camera), options, f.name);
}

TExchangeExport ExportCameraE(TExchangeFormat format, const TLxCameraInfo& camera,
                              const TExchangeExportOptions& options) {
  const Format& f = FindFormat(format);
  const ExchangeModel reference = RecordModel(camera);
  TLxCameraDistortion formula;
  const bool as_formula = AsFormula(camera, &formula);
  const FormatModel& model = ChooseModel(f, camera, as_formula ? &formula : nullptr, options.model);
  const bool exact_distortion = as_formula && DistortionFitsShape(formula, camera, model.shape);
  if (!exact_distortion)
    formula = FitFormula(reference, model.shape, camera.distortion.symmetry_point);
  if (UsedTerms(formula) == 0) {
    formula.direction = model.shape.direction;
    formula.symmetry_point = camera.principal_point;
  }

  TExchangeExport result;
  FileCamera file = ToFileCamera(camera, formula, model);
  result.text = f.write(file, options);
  TExchangeReport& report = result.report;
  report.exact = exact_distortion && IntrinsicsFitShape(camera, model.shape);
  report.model = model.name;
  report.conventions = std::move(file.conventions);
  report.warnings = std::move(file.warnings);
  if (report.exact) {
    report.max_deviation_um = reference.sensor.pixel_units ? std::nan("") : 0.0;
    report.frame = "none: term for term";
    return result;
  }
  MeasureWritten(format, result.text, reference, options.conventions, report);
  report.conventions.push_back(
      exact_distortion ? "not exact: the " + std::string(model.name) +
                             " model takes one focal length or a centred principal point"
                       : "fitted: the " + std::string(model.name) +
                             " model's terms by least squares over the whole image");
  return result;
}

std::string CameraComparisonText(const TCameraComparison& c) {
  std::string line = "largest deviation " + Fixed(c.max_px, 4) + " px";
  if (!std::isnan(c.max_um)) line += " = " + Fixed(c.max_um, 3) + " um";
  line +=
      " at pixel (" + Fixed(c.at_px.x, 1) + ", " + Fixed(c.at_px.y, 1) + ") over the " + c.frame;
  if (c.unsolved > 0) line += "; " + std::to_string(c.unsolved) + " points could not be compared";
  return line + "\n";
}

std::string CameraComparisonJson(const TCameraComparison& c) {
  nlohmann::ordered_json json;
  json["max_deviation_px"] = c.max_px;
  json["max_deviation_um"] =
      std::isnan(c.max_um) ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(c.max_um);
  json["at_px"] = {c.at_px.x, c.at_px.y};
  json["frame"] = c.frame;
  json["unsolved"] = c.unsolved;
  return json.dump();
}

TCameraComparison CompareCamerasE(const TExchangeCamera& a, const TExchangeCamera& b, int grid) {
  return Compare(a.model(), b.model(), grid);
}
