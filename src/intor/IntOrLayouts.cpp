#include "intor/IntOrLayouts.h"

#include <LxStd/ssprintf.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace lxcu::internal {

namespace {

using P = vec_t_<double, 2>;
using Kelvora::ssprintf;

// Distinct fiducials lie millimetres apart, hundreds of pixels in any scan;
// two marks closer than a pixel are one mark measured twice.
constexpr double kMinMarkDistancePx = 1.0;
constexpr double kMmPerInch = 25.4;

TLayoutOutcome Failure(std::string reason) {
  return {{}, std::move(reason)};
}

bool Finite(const P& p) {
  return std::isfinite(p.x) && std::isfinite(p.y);
}

std::string TypeText(TCameraType type) {
  return type >= ctPrincipalPoint && type <= ctDigital ? "\"" + CameraTypeToTextE(type) + "\""
                                                       : ssprintf("%d", static_cast<int>(type));
}

// "" when every mark's pixel position is finite.
std::string CheckFinite(const std::vector<TMeasPoint>& points) {
  for (const TMeasPoint& p : points)
    if (!Finite(p.coords_pix))
      return ssprintf("mark %d: its pixel coordinates are not finite numbers", p.index);
  return {};
}

std::string CheckApart(const std::vector<TMarkPair>& marks,
                       const std::vector<std::int32_t>& indices) {
  for (std::size_t i = 0; i < marks.size(); ++i)
    for (std::size_t j = i + 1; j < marks.size(); ++j) {
      const P d = marks[i].pix - marks[j].pix;
      if (std::hypot(d.x, d.y) < kMinMarkDistancePx)
        return ssprintf("marks %d and %d lie less than 1 px apart", indices[i], indices[j]);
    }
  return {};
}

// The four cross marks, numbered counter-clockwise from +x: 1 on +x, 2 on +y,
// 3 on −x, 4 on −y. "" when `meas` holds each once, at finite positions.
std::string CheckCrossMarks(const TLxIntOrMeas& meas) {
  if (meas.points.size() != 4)
    return ssprintf("a cross measurement holds the four marks 1 to 4, this one holds %zu",
                    meas.points.size());
  bool seen[4] = {};
  for (const TMeasPoint& p : meas.points) {
    if (p.index < 1 || p.index > 4 || seen[p.index - 1])
      return ssprintf("cross marks are numbered 1 to 4, each once; mark %d is not", p.index);
    seen[p.index - 1] = true;
  }
  return CheckFinite(meas.points);
}

TLayoutOutcome SolveFiducials(const TLxCameraInfo& camera, const TLxIntOrMeas& meas) {
  if (std::string bad = CheckFinite(meas.points); !bad.empty()) return Failure(bad);
  std::vector<TMarkPair> marks;
  std::vector<std::int32_t> indices;
  for (const TMeasPoint& p : meas.points) {
    const auto fiducial = std::find_if(camera.fiducials.begin(), camera.fiducials.end(),
                                       [&](const TFiducial& f) { return f.index == p.index; });
    if (fiducial == camera.fiducials.end())
      return Failure(ssprintf("mark %d names no fiducial of the camera", p.index));
    if (!Finite(fiducial->coords_cam))
      return Failure(
          ssprintf("fiducial %d of the camera has coordinates that are not finite", p.index));
    if (std::find(indices.begin(), indices.end(), p.index) != indices.end())
      return Failure(ssprintf("mark %d is measured twice", p.index));
    marks.push_back({p.coords_pix, fiducial->coords_cam});
    indices.push_back(p.index);
  }
  return FitLayout(marks, indices, meas.transform_type);
}

TLayoutOutcome SolveCalibratedCross(const TLxCameraInfo& camera, const TLxIntOrMeas& meas) {
  if (std::string bad = CheckCrossMarks(meas); !bad.empty()) return Failure(bad);
  const double lx = camera.length_x, ly = camera.length_y;
  if (!(std::isfinite(lx) && std::isfinite(ly) && lx > 0.0 && ly > 0.0))
    return Failure("the camera's calibrated cross lengths must be finite numbers above 0");
  const P at[4] = {{lx / 2, 0.0}, {0.0, ly / 2}, {-lx / 2, 0.0}, {0.0, -ly / 2}};
  std::vector<TMarkPair> marks;
  std::vector<std::int32_t> indices;
  for (const TMeasPoint& p : meas.points) {
    marks.push_back({p.coords_pix, at[p.index - 1]});
    indices.push_back(p.index);
  }
  return FitLayout(marks, indices, meas.transform_type);
}

// Pixel size of the scan in mm along image x and y, or a reason why there is none.
std::string ScanPixelSize(const TLxIntOrMeas& meas, P& size) {
  const P r = meas.scan_resolution;
  if (meas.resolution_units != ruMm && meas.resolution_units != ruDpi)
    return "the scan resolution has no units (mm or dpi)";
  if (!(Finite(r) && r.x > 0.0 && r.y > 0.0))
    return "the scan resolution must be a finite number above 0 in x and in y";
  size = meas.resolution_units == ruDpi ? P{kMmPerInch / r.x, kMmPerInch / r.y} : r;
  return {};
}

// The turn from the image to the camera frame of an image turned
// counter-clockwise by `rotation`, in the rows-up frame: R(−θ) as
// (r00, r01, r10, r11), exact for quarter turns.
struct TQuarterTurn {
  double r00, r01, r10, r11;
};
constexpr TQuarterTurn kTurns[] = {{1, 0, 0, 1}, {0, 1, -1, 0}, {-1, 0, 0, -1}, {0, -1, 1, 0}};

std::string CheckRotation(TCamRotate rotation) {
  if (rotation == crInvalid) return "the measurement gives no rotation of the image";
  if (rotation < cr0 || rotation > cr270)
    return ssprintf("rotation %d is no quarter turn", static_cast<int>(rotation));
  return {};
}

// pix ↦ at + R(−θ)·(s.x·(pix − p0).x, −s.y·(pix − p0).y): pixel sizes `s`
// (mm), rows turned up, the image's turn undone.
TPlaneTransform Scaled(const TQuarterTurn& t, const P& s, const P& p0, const P& at) {
  TPlaneTransform m;
  m.a0 = t.r00 * s.x, m.a1 = -t.r01 * s.y;
  m.a3 = t.r10 * s.x, m.a4 = -t.r11 * s.y;
  m.a2 = at.x - (m.a0 * p0.x + m.a1 * p0.y);
  m.a5 = at.y - (m.a3 * p0.x + m.a4 * p0.y);
  return m;
}

// Marks of a built map: their positions in the camera frame, no residuals.
void MarksOf(const TLxIntOrMeas& meas, TLayout& layout) {
  for (const TMeasPoint& p : meas.points)
    layout.marks.push_back({p.index, p.coords_pix, layout.pix_to_cam.Apply(p.coords_pix), {}, {}});
}

TLayoutOutcome SolvePrincipalPoint(const TLxCameraInfo& camera, const TLxIntOrMeas& meas) {
  if (meas.points.size() != 1)
    return Failure(
        ssprintf("a principal-point measurement holds exactly one mark, this one holds %zu",
                 meas.points.size()));
  P size;
  for (const std::string& bad :
       {CheckFinite(meas.points), CheckRotation(meas.rotation), ScanPixelSize(meas, size)})
    if (!bad.empty()) return Failure(bad);
  TLayoutOutcome out;
  out.layout.pix_to_cam =
      Scaled(kTurns[meas.rotation - cr0], size, meas.points[0].coords_pix, camera.principal_point);
  MarksOf(meas, out.layout);
  return out;
}

// Where the lines a1–a2 and b1–b2 cross, as t along a1→a2; false when they
// are parallel to within kMinAxisSine.
bool Crossing(const P& a1, const P& a2, const P& b1, const P& b2, double& t) {
  const P u = a2 - a1, v = b2 - b1, w = b1 - a1;
  const double det = u.x * v.y - u.y * v.x;
  if (!(std::abs(det) >= kMinAxisSine * std::hypot(u.x, u.y) * std::hypot(v.x, v.y))) return false;
  t = (w.x * v.y - w.y * v.x) / det;
  return true;
}

TLayoutOutcome SolveCross(const TLxIntOrMeas& meas) {
  P size;
  for (const std::string& bad : {CheckCrossMarks(meas), ScanPixelSize(meas, size)})
    if (!bad.empty()) return Failure(bad);
  // In image millimetres, rows up: d = (s.x·x, −s.y·y).
  P d[4];
  std::vector<TMarkPair> pairs;
  std::vector<std::int32_t> indices;
  for (const TMeasPoint& p : meas.points) {
    d[p.index - 1] = {size.x * p.coords_pix.x, -size.y * p.coords_pix.y};
    pairs.push_back({p.coords_pix, {}});
    indices.push_back(p.index);
  }
  if (std::string bad = CheckApart(pairs, indices); !bad.empty()) return Failure(bad);
  double t = 0.0;
  if (!Crossing(d[2], d[0], d[3], d[1], t))
    return Failure("the cross arms 1-3 and 2-4 are parallel: are the marks numbered right?");
  const P origin = d[2] + (d[0] - d[2]) * t;
  // Unit vectors along the arms are the camera's axes: cam = E⁻¹·(d − origin).
  const P ex = (d[0] - d[2]) * (1.0 / std::hypot(d[0].x - d[2].x, d[0].y - d[2].y));
  const P ey = (d[1] - d[3]) * (1.0 / std::hypot(d[1].x - d[3].x, d[1].y - d[3].y));
  const double det = ex.x * ey.y - ey.x * ex.y;
  const double e00 = ey.y / det, e01 = -ey.x / det, e10 = -ex.y / det, e11 = ex.x / det;
  TLayoutOutcome out;
  TPlaneTransform& m = out.layout.pix_to_cam;
  m.a0 = e00 * size.x, m.a1 = -e01 * size.y, m.a2 = -(e00 * origin.x + e01 * origin.y);
  m.a3 = e10 * size.x, m.a4 = -e11 * size.y, m.a5 = -(e10 * origin.x + e11 * origin.y);
  MarksOf(meas, out.layout);
  return out;
}

// The sensor pixel (column, row) of an image pixel, for the image turned by
// `rotation` from a sensor of w × h pixels: (q00, q01, q02, q10, q11, q12).
std::array<double, 6> SensorPixel(TCamRotate rotation, double w, double h) {
  switch (rotation) {
    case cr90:
      return {0, -1, w - 1, 1, 0, 0};
    case cr180:
      return {-1, 0, w - 1, 0, -1, h - 1};
    case cr270:
      return {0, 1, 0, -1, 0, h - 1};
    default:
      return {1, 0, 0, 0, 1, 0};
  }
}

// The origin of the camera frame in sensor pixel coordinates (column, row),
// pixel centres at integers: the sensor's centre, or the outer corner of its
// lower-left or upper-left pixel.
P SensorOrigin(TDigitalCameraOrigin origin, double w, double h) {
  switch (origin) {
    case dcoLowerLeft:
      return {-0.5, h - 0.5};
    case dcoUpperLeft:
      return {-0.5, -0.5};
    default:
      return {(w - 1) / 2, (h - 1) / 2};
  }
}

TLayoutOutcome SolveDigital(const TLxCameraInfo& camera, const TLxIntOrMeas& meas) {
  if (!meas.points.empty())
    return Failure(ssprintf("a digital camera's measurement holds no marks, this one holds %zu",
                            meas.points.size()));
  if (std::string bad = CheckRotation(meas.rotation); !bad.empty()) return Failure(bad);
  const P px = camera.pixel_size;
  if (!(Finite(px) && px.x > 0.0 && px.y > 0.0))
    return Failure("the camera's pixel size must be a finite number above 0 in x and in y");
  if (camera.sensor_dims.x == 0 || camera.sensor_dims.y == 0)
    return Failure("the camera's sensor must have at least one pixel in x and in y");
  if (camera.digital_camera_origin < dcoCenter || camera.digital_camera_origin > dcoUpperLeft)
    return Failure(ssprintf("the camera's digital origin %d is unknown",
                            static_cast<int>(camera.digital_camera_origin)));
  const double w = static_cast<double>(camera.sensor_dims.x);
  const double h = static_cast<double>(camera.sensor_dims.y);
  const auto [q00, q01, q02, q10, q11, q12] = SensorPixel(meas.rotation, w, h);
  const P o = SensorOrigin(camera.digital_camera_origin, w, h);
  // x = (column − o.x)·px.x, y = (o.y − row)·px.y.
  TLayoutOutcome out;
  out.layout.pix_to_cam = {px.x * q00,  px.x * q01,  px.x * (q02 - o.x),
                           -px.y * q10, -px.y * q11, px.y * (o.y - q12),
                           0.0,         0.0};
  return out;
}

}  // namespace

TLayoutOutcome FitLayout(const std::vector<TMarkPair>& marks,
                         const std::vector<std::int32_t>& indices, TTransformType type) {
  const int unknowns = Unknowns(type);
  if (unknowns == 0) return Failure(ssprintf("unknown transform type %d", static_cast<int>(type)));
  const std::size_t needed = static_cast<std::size_t>(unknowns / 2);
  if (marks.size() < needed)
    return Failure(ssprintf("the %s transform needs at least %zu marks, there are %zu",
                            TransformName(type), needed, marks.size()));
  if (std::string bad = CheckApart(marks, indices); !bad.empty()) return Failure(bad);
  const TPlaneFit fit = FitPlaneTransform(marks, type);
  switch (fit.failure) {
    case TFitFailure::kCollinear:
      return Failure(ssprintf("the marks lie too close to one line to fix the %s transform",
                              TransformName(type)));
    case TFitFailure::kSingular:
      return Failure(
          ssprintf("the camera positions of the marks are collinear: the %s "
                   "transform would be singular",
                   TransformName(type)));
    case TFitFailure::kDiverged:
      return Failure("the projective fit did not converge");
    case TFitFailure::kUnbounded:
      return Failure("the projective transform sends the pixel origin (0, 0) to infinity");
    case TFitFailure::kNone:
      break;
  }
  TLayoutOutcome out;
  out.layout.pix_to_cam = fit.pix_to_cam;
  out.layout.transform_type = type;
  out.layout.fitted = true;
  out.layout.handedness_ambiguous = fit.handedness_ambiguous;
  for (std::size_t i = 0; i < marks.size(); ++i)
    out.layout.marks.push_back({indices[i], marks[i].pix, marks[i].cam, {}, {}});
  return out;
}

TLayoutOutcome SolveLayout(const TLxCameraInfo& camera, const TLxIntOrMeas& meas) {
  if (meas.camera_type < ctPrincipalPoint || meas.camera_type > ctDigital)
    return Failure(meas.camera_type == 0 ? std::string("the measurement has no camera type")
                                         : ssprintf("unknown measurement camera type %d",
                                                    static_cast<int>(meas.camera_type)));
  if (meas.camera_type != camera.type)
    return Failure("the measurement is of type " + TypeText(meas.camera_type) +
                   ", the camera of type " + TypeText(camera.type));
  switch (meas.camera_type) {
    case ctFiducials:
      return SolveFiducials(camera, meas);
    case ctCalibratedCross:
      return SolveCalibratedCross(camera, meas);
    case ctCross:
      return SolveCross(meas);
    case ctPrincipalPoint:
      return SolvePrincipalPoint(camera, meas);
    default:
      return SolveDigital(camera, meas);
  }
}

const char* TransformName(TTransformType type) {
  return type == ttSimilarity ? "similarity" : type == ttAffine ? "affine" : "projective";
}

std::string FormatNumber(double value) {
  char text[32];  // the longest, "-1.234e-308", takes 11
  return {text, std::to_chars(text, text + sizeof text, value, std::chars_format::general, 4).ptr};
}

}  // namespace lxcu::internal
