#pragma once

// The exchange library's own picture of a camera: a pixel grid, a principal
// point, a focal length and a lens that maps distorted image points to ideal
// ones and back. Camera records and the models of other tools' files both
// take this form, so that one fit and one comparison serve every format.
//
// Image points of a lens are millimetres about the principal point with y up,
// as CreateCamToMmTransform returns them; "distorted" is where the camera
// sees a ray, "ideal" where a pinhole camera of the same focal length would.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/Exchange.h>
#include <LxStd/Vec.h>

namespace lxcu::internal {

using Point = vec_t_<double, 2>;

// The pixel grid. Pixel coordinates have their origin at the image's top-left
// corner, y down; camera coordinates (mm) the sensor's centre, y up.
struct Sensor {
  std::uint64_t width = 0;   // px
  std::uint64_t height = 0;  // px
  Point pixel_mm{1.0, 1.0};  // size of one pixel along x and y
  bool pixel_units = true;   // no pixel size known: "mm" are pixels

  Point PixelToCam(Point px) const;
  Point CamToPixel(Point cam) const;
};

class Lens {
 public:
  virtual ~Lens() = default;
  // Both map `in` to `out` (same length, may be the same span); a point that
  // cannot be mapped becomes NaN.
  virtual void ToIdeal(std::span<const Point> in, std::span<Point> out) const = 0;
  virtual void ToDistorted(std::span<const Point> in, std::span<Point> out) const = 0;
};

class ExchangeModel {
 public:
  Sensor sensor;
  Point principal_point;  // camera coordinates, mm
  double focus = 0.0;     // mm
  std::shared_ptr<const Lens> lens;
};

// The lens of a distortion record centred at `center` (mm about the principal
// point), through the library's own transforms; dtNone is the identity.
std::shared_ptr<const Lens> RecordLens(const TLxCameraDistortion& distortion, Point center,
                                       double focus);

// The camera of a record; raises TExchangeError saying what is missing.
ExchangeModel RecordModel(const TLxCameraInfo& camera);

// The record's distortion written as a formula record where that is exact
// (dtNone, dtFormula, and dtMixed within the formula's terms); false otherwise.
bool AsFormula(const TLxCameraInfo& camera, TLxCameraDistortion* formula);

// The terms of the formula model, as a set.
enum FormulaTerm : unsigned {
  kK1 = 1u << 0,
  kK2 = 1u << 1,
  kK3 = 1u << 2,
  kK4 = 1u << 3,
  kK5 = 1u << 4,
  kP1 = 1u << 5,
  kP2 = 1u << 6,
  kP3 = 1u << 7,
  kP4 = 1u << 8,
  kB1 = 1u << 9,
  kB2 = 1u << 10,
  kA1 = 1u << 11,
  kA2 = 1u << 12,
};
inline constexpr unsigned kRadial3 = kK1 | kK2 | kK3;
inline constexpr unsigned kTangential = kP1 | kP2;
// The terms that enter the formula linearly and so can be fitted.
inline constexpr unsigned kLinearTerms =
    kK1 | kK2 | kK3 | kK4 | kK5 | kP1 | kP2 | kB1 | kB2 | kA1 | kA2;

// The terms of `formula` that are not zero.
unsigned UsedTerms(const TLxCameraDistortion& formula);

// What a format's model can hold, as a formula record.
struct FormulaShape {
  TLxCameraDistortion::TDirection direction = TLxCameraDistortion::dirMmToCam;
  unsigned terms = 0;          // the terms the model has
  bool center_at_pp = true;    // distortion centred at the principal point
  bool square_pixels = false;  // one focal length in pixels
  bool centred_pp = false;     // principal point at the image centre
};

// Whether `formula` (dtFormula) on `camera` has only the terms, direction
// and centre of `shape`.
bool DistortionFitsShape(const TLxCameraDistortion& formula, const TLxCameraInfo& camera,
                         const FormulaShape& shape);
// Whether `camera`'s pixels and principal point are what `shape` needs.
bool IntrinsicsFitShape(const TLxCameraInfo& camera, const FormulaShape& shape);

// The formula record of `shape` (centred at `center_cam`, camera coordinates,
// when the shape's centre is free) that reproduces `reference` best over its
// whole image in the least-squares sense.
TLxCameraDistortion FitFormula(const ExchangeModel& reference, const FormulaShape& shape,
                               Point center_cam);

// A comparison grid of n × n points over the image, corners included.
std::vector<Point> ImageGrid(const Sensor& sensor, int n);

// The largest deviation between a and b over `grid` × `grid` points.
TCameraComparison Compare(const ExchangeModel& a, const ExchangeModel& b, int grid);

// "6144 x 4096 px, 100 x 100 points"
std::string FrameText(const Sensor& sensor, int grid);

inline constexpr int kReportGrid = 100;  // points along each side for reports and compare

}  // namespace lxcu::internal
