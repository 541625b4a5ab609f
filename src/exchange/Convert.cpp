// Between FileCamera and camera records: the unit, axis, direction and naming
// conventions, exact where the formula record holds the terms, fitted
// otherwise.
#include <bit>
#include <cmath>

#include "Convert.h"
#include "NativeLens.h"
#include "Text.h"

namespace lxcu::internal {
namespace {

bool PositiveFinite(double v) {
  return v > 0.0 && std::isfinite(v);
}

double Power(double base, int exponent) {
  double result = 1.0;
  for (int i = 0; i < exponent; ++i)
    result *= base;
  return result;
}

// x″ = x + … on X/Z becomes the record's X + … in mm at focal length f:
// k_n r^(2n) loses f^(2n), p loses f, and the record's p1 is OpenCV's p2.
// y up flips the sign of the y term's coefficient.
TLxCameraDistortion NormalizedToFormula(const NormalizedTerms& t, double f, Point pp) {
  TLxCameraDistortion d;
  d.type = dtFormula;
  d.direction = TLxCameraDistortion::dirMmToCam;
  d.symmetry_point = pp;
  d.k1 = t.k1 / Power(f, 2);
  d.k2 = t.k2 / Power(f, 4);
  d.k3 = t.k3 / Power(f, 6);
  d.k4 = t.k_r8 / Power(f, 8);
  d.p1 = t.p2 / f;
  d.p2 = -t.p1 / f;
  return d;
}

NormalizedTerms FormulaToNormalized(const TLxCameraDistortion& d, double f) {
  NormalizedTerms t;
  t.k1 = d.k1 * Power(f, 2);
  t.k2 = d.k2 * Power(f, 4);
  t.k3 = d.k3 * Power(f, 6);
  t.k_r8 = d.k4 * Power(f, 8);
  t.p2 = d.p1 * f;
  t.p1 = -d.p2 * f;
  return t;
}

// Pixels with y down ↔ mm with y up: coefficients of r^n scale by the pixel
// size to the power 1 − n; the y flip turns the signs of p2, b2 and a1.
TLxCameraDistortion RescaleFormula(const TLxCameraDistortion& in, double mm_per_unit) {
  TLxCameraDistortion d = in;
  const double s = mm_per_unit;
  d.k1 = in.k1 / Power(s, 2);
  d.k2 = in.k2 / Power(s, 4);
  d.k3 = in.k3 / Power(s, 6);
  d.k4 = in.k4 / Power(s, 8);
  d.k5 = in.k5 / Power(s, 10);
  d.p1 = in.p1 / s;
  d.p2 = -in.p2 / s;
  d.p3 = in.p3 / Power(s, 2);
  d.p4 = in.p4 / Power(s, 4);
  d.b2 = -in.b2;
  d.a1 = -in.a1;
  return d;
}

const char* const kYFlip =
    "y flip: image rows run down, camera y runs up (signs of the principal point's y and of "
    "the y-odd terms)";

Sensor ImportSensor(const FileCamera& fc, const TExchangeImportOptions& o,
                    std::vector<std::string>& conventions, std::vector<std::string>& warnings) {
  Sensor s{fc.width, fc.height, {1.0, 1.0}, true};
  if (fc.pixel_mm > 0.0) {
    s.pixel_mm.x = fc.pixel_mm;
    s.pixel_units = false;
    conventions.push_back("pixel size " + Shortest(fc.pixel_mm) + " mm, from the file");
    if (o.pixel_size_mm > 0.0 && o.pixel_size_mm != fc.pixel_mm)
      warnings.push_back("the given pixel size " + Shortest(o.pixel_size_mm) +
                         " mm is not used: the file states " + Shortest(fc.pixel_mm) + " mm");
  } else if (o.pixel_size_mm > 0.0) {
    if (!std::isfinite(o.pixel_size_mm)) Fail("the pixel size must be a finite number");
    s.pixel_mm.x = o.pixel_size_mm;
    s.pixel_units = false;
    conventions.push_back("pixel size " + Shortest(o.pixel_size_mm) + " mm, as given");
  } else {
    conventions.push_back(
        "pixel units: the file states no pixel size and none was given, so lengths are pixels "
        "(pixel_size 1.0)");
  }
  s.pixel_mm.y = s.pixel_mm.x * fc.fx / fc.fy;
  if (fc.fx != fc.fy)
    conventions.push_back("fx " + Shortest(fc.fx) + " px and fy " + Shortest(fc.fy) +
                          " px differ: non-square pixels, pixel_size.y = pixel_size.x * fx / fy");
  return s;
}

void CheckFileCamera(const FileCamera& fc) {
  if (fc.width == 0 || fc.height == 0) Fail("the image size must be above 0 x 0 pixels");
  if (!PositiveFinite(fc.fx) || !PositiveFinite(fc.fy))
    Fail("the focal length must be above 0 (fx " + Shortest(fc.fx) + ", fy " + Shortest(fc.fy) +
         ")");
  if (!std::isfinite(fc.pp.x) || !std::isfinite(fc.pp.y) || !std::isfinite(fc.skew))
    Fail("the principal point must be finite");
  if (!fc.normalized && fc.fx != fc.fy)
    Fail("fx and fy differ, which the " + fc.model + " distortion in pixel units cannot take");
}

// Sets c.distortion to the file's distortion where the formula holds it term
// for term, and returns the file's own model (null then) where it does not.
std::shared_ptr<const Lens> FileDistortion(const FileCamera& fc, const Sensor& sensor,
                                           TLxCameraInfo& c, std::vector<std::string>& notes) {
  if (fc.normalized) {
    c.distortion = NormalizedToFormula(fc.terms, c.focus, c.principal_point);
    notes.push_back(
        "units: coefficients on normalised coordinates X/Z, scaled by the focal length " +
        Shortest(c.focus) + (sensor.pixel_units ? " px" : " mm"));
    notes.push_back("direction: the model runs ideal -> distorted, stored as direction MmToCam");
    notes.push_back(
        "tangential: OpenCV's p1, p2 are the record's p2, p1 (the record's p1 multiplies "
        "r^2 + 2x^2 in x)");
    if (fc.terms.Polynomial() && fc.skew == 0.0) return nullptr;
    return NormalizedLens(fc.terms, c.focus, fc.skew / fc.fx);
  }
  const double s = sensor.pixel_mm.x;
  c.distortion = RescaleFormula(fc.pixel.formula, s);
  c.distortion.symmetry_point = sensor.PixelToCam(fc.pixel.formula.symmetry_point);
  notes.push_back(std::string("direction: the model runs ") +
                  (c.distortion.direction == TLxCameraDistortion::dirMmToCam
                       ? "ideal -> distorted, stored as direction MmToCam"
                       : "distorted -> corrected, stored as direction CamToMm"));
  if (fc.pixel.bc_p1 == 0.0 && fc.pixel.bc_p2 == 0.0) return nullptr;
  return BrownConradyLens({c.distortion.k1, c.distortion.k2, c.distortion.k3, fc.pixel.bc_p1 / s,
                           fc.pixel.bc_p2 / Power(s, 3), fc.pixel.bc_phi});
}

// Replaces c.distortion by the formula fitted to `file` (the camera with the
// file's own lens) and reports the largest deviation.
void FitToFile(const ExchangeModel& file, TLxCameraInfo& c, TExchangeReport& report) {
  FormulaShape shape;
  shape.direction = c.distortion.direction;
  shape.terms = kLinearTerms;
  c.distortion = FitFormula(file, shape, c.principal_point);
  const TCameraComparison deviation = Compare(file, RecordModel(c), kReportGrid);
  report.max_deviation_px = deviation.max_px;
  report.max_deviation_um = deviation.max_um;
  report.frame = deviation.frame;
  report.conventions.push_back(
      "fitted: the formula record's k1-k5, p1, p2, b1, b2, a1, a2 by least squares over the "
      "whole image");
  if (deviation.unsolved > 0)
    report.warnings.push_back(std::to_string(deviation.unsolved) +
                              " points of the image could not be compared");
}

}  // namespace

TExchangeImport ImportFileCamera(FileCamera fc, const TExchangeImportOptions& options,
                                 const std::string& format) {
  CheckFileCamera(fc);
  TExchangeImport result;
  TExchangeReport& report = result.report;
  report.model = fc.model;
  report.conventions = fc.conventions;
  report.warnings = fc.warnings;
  const Sensor sensor = ImportSensor(fc, options, report.conventions, report.warnings);

  TLxCameraInfo& c = result.camera;
  c.type = ctDigital;
  c.name = fc.id;
  c.description = "Imported from " + format + " (" + fc.model + ")";
  c.pixel_size = sensor.pixel_mm;
  c.sensor_dims = {sensor.width, sensor.height};
  c.digital_camera_origin = dcoCenter;
  c.focus = fc.fx * sensor.pixel_mm.x;
  c.principal_point = sensor.PixelToCam(fc.pp);
  report.conventions.push_back(kYFlip);

  const std::shared_ptr<const Lens> native = FileDistortion(fc, sensor, c, report.conventions);
  ExchangeModel source = RecordModel(c);
  report.exact = native == nullptr;
  if (report.exact) {
    report.max_deviation_um = sensor.pixel_units ? std::nan("") : 0.0;
    report.frame = "none: term for term";
  } else {
    source.lens = native;
    FitToFile(source, c, report);
  }
  result.source = TExchangeCamera(std::make_shared<const ExchangeModel>(std::move(source)));
  return result;
}

FileCamera ToFileCamera(const TLxCameraInfo& camera, const TLxCameraDistortion& formula,
                        const FormatModel& model) {
  const ExchangeModel ref = RecordModel(camera);
  FileCamera fc;
  fc.id = camera.name;
  fc.model = model.name;
  fc.width = ref.sensor.width;
  fc.height = ref.sensor.height;
  fc.pixel_mm = ref.sensor.pixel_units ? 0.0 : ref.sensor.pixel_mm.x;
  fc.fx = camera.focus / ref.sensor.pixel_mm.x;
  fc.fy = model.shape.square_pixels ? fc.fx : camera.focus / ref.sensor.pixel_mm.y;
  fc.pp = model.shape.centred_pp
              ? Point{static_cast<double>(fc.width) / 2.0, static_cast<double>(fc.height) / 2.0}
              : ref.sensor.CamToPixel(camera.principal_point);
  fc.normalized = model.normalized;
  fc.conventions.push_back(kYFlip);
  if (model.normalized) {
    fc.terms = FormulaToNormalized(formula, camera.focus);
    fc.conventions.push_back("units: the record's coefficients times powers of the focal length " +
                             Shortest(camera.focus) + (ref.sensor.pixel_units ? " px" : " mm") +
                             " give coefficients on normalised coordinates X/Z");
    fc.conventions.push_back(
        "tangential: the record's p1, p2 are OpenCV's p2, p1 (OpenCV's p2 multiplies "
        "r^2 + 2x^2 in x)");
  } else {
    fc.pixel.formula = RescaleFormula(formula, 1.0 / ref.sensor.pixel_mm.x);
    fc.pixel.formula.symmetry_point = ref.sensor.CamToPixel(formula.symmetry_point);
  }
  fc.conventions.push_back(std::string("direction: ") +
                           (formula.direction == TLxCameraDistortion::dirMmToCam
                                ? "ideal -> distorted"
                                : "distorted -> corrected"));
  return fc;
}

void ResolveImageSize(FileCamera& c, const TExchangeImportOptions& o) {
  const bool given = o.image_width > 0 && o.image_height > 0;
  const std::string size = std::to_string(o.image_width) + " x " + std::to_string(o.image_height);
  if (c.width > 0 && c.height > 0) {
    if (given && (o.image_width != c.width || o.image_height != c.height))
      c.warnings.push_back("the given image size " + size + " px is not used: the file states " +
                           std::to_string(c.width) + " x " + std::to_string(c.height) + " px");
    return;
  }
  if (!given) Fail("no image size: the file states none; give the image size");
  c.width = o.image_width;
  c.height = o.image_height;
  c.conventions.push_back("image size " + size + " px, as given");
}

bool NormalizedTerms::Polynomial() const {
  return k4 == 0.0 && k5 == 0.0 && k6 == 0.0 && s1 == 0.0 && s2 == 0.0 && s3 == 0.0 && s4 == 0.0 &&
         tau_x == 0.0 && tau_y == 0.0;
}

namespace {

void ApplyConventions(FileCamera& c, const FormatConventions& format,
                      const TExchangeConventions& chosen, double direction) {
  const TPixelOrigin origin = chosen.pixel_origin == poFormat ? format.origin : chosen.pixel_origin;
  const std::string source = chosen.pixel_origin == poFormat ? format.origin_source : "as chosen";
  if (origin == poCenter) {
    const Point shift = Point{0.5, 0.5} * direction;
    c.pp = c.pp + shift;
    c.pixel.formula.symmetry_point = c.pixel.formula.symmetry_point + shift;
    c.conventions.push_back("pixel origin: (0, 0) is the centre of the top-left pixel (" + source +
                            "); the principal point moves by " +
                            (direction > 0 ? "+0.5 px to" : "-0.5 px from") + " the corner origin");
  } else {
    c.conventions.push_back("pixel origin: (0, 0) is the top-left corner of the image (" + source +
                            ")");
  }
  if (chosen.pixel_origin != poFormat && chosen.pixel_origin != format.origin)
    c.warnings.push_back("the pixel origin differs from the format's default (" +
                         std::string(format.origin_source) + ")");
  if (format.order == toFormat) return;

  const TTangentialOrder order = chosen.tangential == toFormat ? format.order : chosen.tangential;
  const std::string why = chosen.tangential == toFormat ? format.order_source : "as chosen";
  const TTangentialOrder stored = c.normalized ? toOpenCv : toPhotogrammetric;
  if (order != stored) {
    if (c.normalized)
      std::swap(c.terms.p1, c.terms.p2);
    else
      std::swap(c.pixel.formula.p1, c.pixel.formula.p2);
  }
  c.conventions.push_back(
      order == toOpenCv
          ? "tangential order: the file's p2 multiplies r^2 + 2x^2 in x (OpenCV order, " + why + ")"
          : "tangential order: the file's p1 multiplies r^2 + 2x^2 in x (photogrammetric order, " +
                why + ")");
  if (chosen.tangential != toFormat && chosen.tangential != format.order)
    c.warnings.push_back("the tangential order differs from the format's default (" +
                         std::string(format.order_source) + ")");
}

}  // namespace

void ReadConventions(FileCamera& camera, const FormatConventions& format,
                     const TExchangeConventions& chosen) {
  ApplyConventions(camera, format, chosen, 1.0);
}

void WriteConventions(FileCamera& camera, const FormatConventions& format,
                      const TExchangeConventions& chosen) {
  ApplyConventions(camera, format, chosen, -1.0);
}

}  // namespace lxcu::internal
