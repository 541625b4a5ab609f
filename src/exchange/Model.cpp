#include "Model.h"

#include <algorithm>
#include <cmath>
#include <string>

#include <LxCameraUtils/CameraGeometry.h>

#include "Text.h"

namespace lxcu::internal {
namespace {

bool PositiveFinite(double v) {
  return v > 0.0 && std::isfinite(v);
}

// A distortion record's two directions through the library's transforms.
class TransformLens final : public Lens {
 public:
  TransformLens(const TLxCameraDistortion& distortion, Point center, double focus) {
    forward_ = CreateCameraDistortionTransform(distortion, center, focus);
    TLxCameraDistortion reversed = distortion;
    reversed.direction = distortion.direction == TLxCameraDistortion::dirCamToMm
                             ? TLxCameraDistortion::dirMmToCam
                             : TLxCameraDistortion::dirCamToMm;
    backward_ = CreateCameraDistortionTransform(reversed, center, focus);
  }
  void ToIdeal(std::span<const Point> in, std::span<Point> out) const override {
    Apply(forward_, in, out);
  }
  void ToDistorted(std::span<const Point> in, std::span<Point> out) const override {
    Apply(backward_, in, out);
  }

 private:
  static void Apply(const var_a_legacy::var_a<TLx2DTransform*>& t, std::span<const Point> in,
                    std::span<Point> out) {
    if (!t) {
      std::copy(in.begin(), in.end(), out.begin());
      return;
    }
    t->TransformPoints(in.data(), out.data(), in.size());
  }

  var_a_legacy::var_a<TLx2DTransform*> forward_;
  var_a_legacy::var_a<TLx2DTransform*> backward_;
};

bool IsZero(double v) {
  return v == 0.0;
}

}  // namespace

Point Sensor::PixelToCam(Point px) const {
  return {(px.x - static_cast<double>(width) / 2.0) * pixel_mm.x,
          (static_cast<double>(height) / 2.0 - px.y) * pixel_mm.y};
}

Point Sensor::CamToPixel(Point cam) const {
  return {cam.x / pixel_mm.x + static_cast<double>(width) / 2.0,
          static_cast<double>(height) / 2.0 - cam.y / pixel_mm.y};
}

std::shared_ptr<const Lens> RecordLens(const TLxCameraDistortion& distortion, Point center,
                                       double focus) {
  return std::make_shared<TransformLens>(distortion, center, focus);
}

ExchangeModel RecordModel(const TLxCameraInfo& camera) {
  if (camera.type != ctDigital)
    throw TExchangeError("the camera is not a digital camera (int_or type \"" +
                             CameraTypeText(camera.type) + "\"); only digital cameras have pixels",
                         0);
  if (camera.digital_camera_origin != dcoCenter)
    throw TExchangeError(
        "digital_camera_origin must be Center: camera coordinates are taken about the sensor's "
        "centre",
        0);
  if (camera.sensor_dims.x == 0 || camera.sensor_dims.y == 0)
    throw TExchangeError("sensor_dims must be above 0 (the image size in pixels)", 0);
  if (!PositiveFinite(camera.pixel_size.x) || !PositiveFinite(camera.pixel_size.y))
    throw TExchangeError("pixel_size must be above 0", 0);
  if (!PositiveFinite(camera.focus)) throw TExchangeError("focus must be above 0", 0);
  ExchangeModel model;
  model.sensor = {camera.sensor_dims.x, camera.sensor_dims.y, camera.pixel_size,
                  camera.pixel_size.x == 1.0};
  model.principal_point = camera.principal_point;
  model.focus = camera.focus;
  model.lens = RecordLens(camera.distortion,
                          camera.distortion.symmetry_point - camera.principal_point, camera.focus);
  return model;
}

bool AsFormula(const TLxCameraInfo& camera, TLxCameraDistortion* formula) {
  const TLxCameraDistortion& d = camera.distortion;
  if (d.type == dtNone) {
    *formula = TLxCameraDistortion{};
    formula->type = dtFormula;
    formula->symmetry_point = camera.principal_point;
    return true;
  }
  if (d.type == dtFormula) {
    *formula = d;
    return true;
  }
  // The library copies mixed records whose terms the formula holds.
  double deviation = 1.0;
  TLxCameraDistortion converted;
  if (d.type != dtMixed ||
      !ApproxCameraDistortion(dtFormula, &converted, camera, 0.0, &deviation) || deviation != 0.0)
    return false;
  *formula = converted;
  return true;
}

unsigned UsedTerms(const TLxCameraDistortion& f) {
  const double values[] = {f.k1, f.k2, f.k3, f.k4, f.k5, f.p1, f.p2,
                           f.p3, f.p4, f.b1, f.b2, f.a1, f.a2};
  unsigned used = 0;
  for (unsigned i = 0; i < std::size(values); ++i)
    if (!IsZero(values[i])) used |= 1u << i;
  return used;
}

bool DistortionFitsShape(const TLxCameraDistortion& formula, const TLxCameraInfo& camera,
                         const FormulaShape& shape) {
  const unsigned used = UsedTerms(formula);
  if (used == 0) return true;
  return (used & ~shape.terms) == 0 && formula.direction == shape.direction &&
         (!shape.center_at_pp || formula.symmetry_point == camera.principal_point);
}

bool IntrinsicsFitShape(const TLxCameraInfo& camera, const FormulaShape& shape) {
  if (shape.square_pixels && camera.pixel_size.x != camera.pixel_size.y) return false;
  return !shape.centred_pp ||
         (IsZero(camera.principal_point.x) && IsZero(camera.principal_point.y));
}

std::vector<Point> ImageGrid(const Sensor& sensor, int n) {
  std::vector<Point> grid;
  grid.reserve(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
  const double w = static_cast<double>(sensor.width), h = static_cast<double>(sensor.height);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i)
      grid.push_back({w * i / (n - 1), h * j / (n - 1)});
  return grid;
}

std::string FrameText(const Sensor& sensor, int grid) {
  return std::to_string(sensor.width) + " x " + std::to_string(sensor.height) + " px image, " +
         std::to_string(grid) + " x " + std::to_string(grid) + " points, corners included";
}

TCameraComparison Compare(const ExchangeModel& a, const ExchangeModel& b, int grid) {
  if (grid < 2) throw TExchangeError("the comparison grid needs at least 2 points a side", 0);
  if (a.sensor.width != b.sensor.width || a.sensor.height != b.sensor.height)
    throw TExchangeError("the cameras' images differ in size (" + std::to_string(a.sensor.width) +
                             " x " + std::to_string(a.sensor.height) + " and " +
                             std::to_string(b.sensor.width) + " x " +
                             std::to_string(b.sensor.height) + " px)",
                         0);
  const std::vector<Point> pixels = ImageGrid(a.sensor, grid);
  std::vector<Point> points(pixels.size());
  for (std::size_t i = 0; i < pixels.size(); ++i)
    points[i] = a.sensor.PixelToCam(pixels[i]) - a.principal_point;
  a.lens->ToIdeal(points, points);
  const double scale = b.focus / a.focus;  // the same ray on b's image plane
  for (Point& p : points)
    p = p * scale;
  b.lens->ToDistorted(points, points);

  TCameraComparison result;
  result.max_um = b.sensor.pixel_units ? std::nan("") : 0.0;
  result.frame = FrameText(a.sensor, grid);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const Point d = b.sensor.CamToPixel(points[i] + b.principal_point) - pixels[i];
    const double px = std::hypot(d.x, d.y);
    if (!std::isfinite(px)) {
      ++result.unsolved;
      continue;
    }
    if (px > result.max_px) {
      result.max_px = px;
      result.at_px = pixels[i];
    }
    if (!b.sensor.pixel_units)
      result.max_um = std::max(
          result.max_um, 1000.0 * std::hypot(d.x * b.sensor.pixel_mm.x, d.y * b.sensor.pixel_mm.y));
  }
  return result;
}

}  // namespace lxcu::internal
