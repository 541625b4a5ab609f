#include <LxCameraUtils/IntOrSolution.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "AcceptancePoints.h"

#include <algorithm>
#include <cmath>
#include <concepts>
#include <limits>
#include <numbers>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

using P = vec_t_<double, 2>;
constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kPixelMm = 0.014;

double Distance(const P& a, const P& b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

// Fiducials of a 230 mm film frame: corners (1 and 2 opposite), then the
// middle of each side, each moved by up to `jitter` mm.
std::vector<P> Layout(std::mt19937_64& rng, std::size_t n, double jitter = 3.0) {
  const P nominal[] = {{-106, -106}, {106, 106}, {-106, 106}, {106, -106},
                       {-113, 0},    {113, 0},   {0, 113},    {0, -113}};
  std::uniform_real_distribution<double> u(-jitter, jitter);
  std::vector<P> at;
  for (std::size_t i = 0; i < n; ++i)
    at.push_back(nominal[i] + P{u(rng), u(rng)});
  return at;
}

// A scan of that frame, pixel → mm: 8 to 25 µm pixels turned any way; affine
// maps add 0.1 % anisotropy and 0.1° shear, projective ones a tilt that
// changes the scale by up to 0.2 % across the frame.
TPlaneTransform RandomScan(std::mt19937_64& rng, TTransformType type, bool mirrored) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  const double s = 0.0165 + 0.0085 * u(rng), turn = kPi * u(rng);
  const double k = type == ttSimilarity ? 0.0 : 1e-3;
  const double sx = s * (1 + k * u(rng)), sy = s * (1 + k * u(rng)), shear = 1.7 * k * u(rng);
  const double flip = mirrored ? 1.0 : -1.0, c = std::cos(turn), n = std::sin(turn);
  TPlaneTransform t;  // R(turn) · [[sx, sy·shear], [0, sy]] · diag(1, flip), centred
  t.a0 = c * sx, t.a1 = flip * sy * (c * shear - n);
  t.a3 = n * sx, t.a4 = flip * sy * (n * shear + c);
  const double half = 115.0 / s;
  t.a2 = -(t.a0 + t.a1) * half + u(rng), t.a5 = -(t.a3 + t.a4) * half + u(rng);
  if (type == ttProjective) t.c0 = 1e-3 / half * u(rng), t.c1 = 1e-3 / half * u(rng);
  return t;
}

TLxCameraInfo Camera(TCameraType type, const std::vector<P>& fiducials = {}) {
  TLxCameraInfo camera;
  camera.type = type;
  for (std::size_t i = 0; i < fiducials.size(); ++i)
    camera.fiducials.push_back({static_cast<std::int32_t>(i + 1), fiducials[i], 1});
  return camera;
}

// `camera`'s fiducials as measured on the scan `scan`, with pixel noise.
TLxIntOrMeas Measured(const TLxCameraInfo& camera, const TPlaneTransform& scan, TTransformType type,
                      std::mt19937_64* rng = nullptr, double noise = 0.0) {
  TLxIntOrMeas meas;
  meas.camera_type = camera.type, meas.transform_type = type;
  std::normal_distribution<double> error(0.0, noise);
  for (const TFiducial& f : camera.fiducials)
    meas.points.push_back(
        {f.index,
         scan.Inverse().Apply(f.coords_cam) + (rng != nullptr ? P{error(*rng), error(*rng)} : P{}),
         {}});
  return meas;
}

using T = TPlaneTransform;
constexpr double T::*kCoefficients[] = {&T::a0, &T::a1, &T::a2, &T::a3,
                                        &T::a4, &T::a5, &T::c0, &T::c1};

// `t` moved by `h` times `d`, coefficient by coefficient.
T Plus(T t, const T& d, double h) {
  for (double T::*c : kCoefficients)
    t.*c += h * d.*c;
  return t;
}

// The ways a map `t` of `type` can change: each of its coefficients, or for a
// similarity scale, turn and shift.
std::vector<T> Directions(const T& t, TTransformType type) {
  std::vector<T> d(type == ttAffine ? 6 : 8, T{0, 0, 0, 0, 0, 0, 0, 0});
  for (std::size_t k = 0; k < d.size(); ++k)
    d[k].*kCoefficients[k] = 1.0;
  if (type == ttSimilarity)
    d = {{t.a0, t.a1, 0, t.a3, t.a4, 0, 0, 0}, {-t.a3, -t.a4, 0, t.a0, t.a1, 0, 0, 0}, d[2], d[5]};
  return d;
}

}  // namespace

TEST(SolveIntOr, GivesBackEveryPlaneMapFromItsExactMarks) {
  std::mt19937_64 rng(19);
  for (TTransformType type : {ttSimilarity, ttAffine, ttProjective})
    for (int trial = 0; trial < 40; ++trial) {
      const std::size_t needed = type == ttSimilarity ? 2 : type == ttAffine ? 3 : 4;
      const std::size_t n = needed + static_cast<std::size_t>(trial) % (9 - needed);
      // Two marks cannot tell a mirrored similarity from an unmirrored one.
      const bool mirrored = trial % 2 == 1 && n > 2;
      SCOPED_TRACE(testing::Message() << "type " << type << ", trial " << trial);
      const TLxCameraInfo camera = Camera(ctFiducials, Layout(rng, n));
      const TPlaneTransform truth = RandomScan(rng, type, mirrored);
      const TLxIntOrSolution s = SolveIntOrE(camera, Measured(camera, truth, type));
      for (double x = -115; x <= 115; x += 23)
        for (double y = -115; y <= 115; y += 23)
          EXPECT_LE(Distance(s.cam_to_pix.Apply({x, y}), truth.Inverse().Apply({x, y})), 1e-9);
      EXPECT_LE(s.max_residual_px, 1e-9);
      EXPECT_EQ(s.redundancy, static_cast<int>(2 * (n - needed)));
      EXPECT_EQ(s.mirrored, mirrored);
      EXPECT_EQ(s.warnings.size(), n == needed ? 1u + (n == 2) : 0u);
      // The tangent map agrees with central differences over ±1 px to the
      // curvature, ~1e-7 of the scale for these tilts.
      const P p{3000, 12000};
      const TPlaneTransform tangent = truth.TangentAt(p);
      const P dx = (truth.Apply(p + P{1, 0}) - truth.Apply(p - P{1, 0})) * 0.5;
      EXPECT_LT(Distance(dx, {tangent.a0, tangent.a3}), 1e-6 * std::hypot(dx.x, dx.y));
      EXPECT_LT(Distance(tangent.Apply(p), truth.Apply(p)), 1e-12);
    }
}

TEST(SolveIntOr, FindsTheLeastSquaresMapOfNoisyMarks) {
  std::mt19937_64 rng(1919);
  for (TTransformType type : {ttSimilarity, ttAffine, ttProjective})
    for (int trial = 0; trial < 10; ++trial) {
      SCOPED_TRACE(testing::Message() << "type " << type << ", trial " << trial);
      const bool mirrored = trial % 2 == 0;
      const TLxCameraInfo camera = Camera(ctFiducials, Layout(rng, 8));
      const TLxIntOrMeas meas = Measured(camera, RandomScan(rng, type, mirrored), type, &rng, 0.3);
      const TLxIntOrSolution s = SolveIntOrE(camera, meas);

      const TPlaneTransform& t = s.pix_to_cam;
      if (type == ttSimilarity) {  // no shear, equal scales
        const double flip = mirrored ? 1.0 : -1.0;
        EXPECT_NEAR(t.a4, flip * t.a0, 1e-12 * std::abs(t.a0) + 1e-15);
        EXPECT_NEAR(t.a1, -flip * t.a3, 1e-12 * std::abs(t.a3) + 1e-15);
      }
      EXPECT_EQ(t.IsAffine(), type != ttProjective);
      // The squared residuals in mm grow every way the map can change: along
      // each, the parabola through steps ±h that move a mark by up to 10 nm
      // has its lowest point within 1 pm (1e-4 h) of the solution.
      const auto squares = [&](const TPlaneTransform& m) {
        double sum = 0.0;
        for (std::size_t i = 0; i < 8; ++i) {
          const P d = m.Apply(meas.points[i].coords_pix) - camera.fiducials[i].coords_cam;
          sum += d.x * d.x + d.y * d.y;
        }
        return sum;
      };
      for (const TPlaneTransform& d : Directions(t, type)) {
        double rate = 0.0;  // mm per unit of d
        for (const TMeasPoint& p : meas.points)
          rate = std::max(
              rate, Distance(Plus(t, d, 1e-9).Apply(p.coords_pix), t.Apply(p.coords_pix)) / 1e-9);
        const double h = 1e-5 / rate, up = squares(Plus(t, d, h)), down = squares(Plus(t, d, -h));
        const double curve = up + down - 2 * squares(t);
        ASSERT_GT(curve, 0.0);
        EXPECT_LT(std::abs(up - down) / (2 * curve), 1e-4);
      }
      EXPECT_GT(s.rms_px, 0.1);
      EXPECT_EQ(s.mirrored, mirrored);
      EXPECT_NEAR(s.rms_um, s.rms_px * s.scale_um_per_px.x, 0.01 * s.rms_um);
    }
}

namespace {

// An upright 14 µm scan of the frame (pixel → mm), or one mirrored left to right.
TPlaneTransform Upright(bool mirrored = false) {
  const double centre = 115.0 / kPixelMm, x = mirrored ? -kPixelMm : kPixelMm;
  return {x, 0.0, -x * centre, 0.0, -kPixelMm, kPixelMm * centre};
}

// A ready measurement of each camera type on the upright scan: fiducials at
// their nominal places, crosses 110 mm out, the principal point at the centre.
struct TSample {
  TLxCameraInfo camera;
  TLxIntOrMeas meas;
};

TSample Sample(TCameraType type) {
  std::mt19937_64 rng(0);
  TSample s{Camera(type, type == ctFiducials ? Layout(rng, 8, 0.0) : std::vector<P>{}), {}};
  s.meas = Measured(s.camera, Upright(), ttAffine);
  s.meas.rotation = cr0, s.meas.scan_resolution = {kPixelMm, kPixelMm};
  const P at[] = {{110, 0}, {0, 110}, {-110, 0}, {0, -110}};
  for (std::int32_t i = 1; i <= (type == ctPrincipalPoint ? 1 : 4); ++i)
    if (type == ctPrincipalPoint || type == ctCross || type == ctCalibratedCross)
      s.meas.points.push_back(
          {i, Upright().Inverse().Apply(type == ctPrincipalPoint ? P{} : at[i - 1]), {}});
  s.camera.length_x = s.camera.length_y = 220.0;
  s.camera.pixel_size = {0.005, 0.005}, s.camera.sensor_dims = {4000, 3000};
  return s;
}

TMeasPoint& Mark(TLxIntOrMeas& meas, std::int32_t index) {
  return *std::find_if(meas.points.begin(), meas.points.end(),
                       [&](const TMeasPoint& p) { return p.index == index; });
}

// Keeps only the marks of the given indices.
void Keep(TLxIntOrMeas& meas, std::same_as<int> auto... indices) {
  std::erase_if(meas.points, [&](const TMeasPoint& p) { return ((p.index != indices) && ...); });
}

// Fiducials 9 and 10 on the diagonal through fiducials 1 and 2, measured.
void AddDiagonal(TSample& s) {
  for (const double d : {-50.0, 50.0}) {
    const std::int32_t index = d < 0 ? 9 : 10;
    s.camera.fiducials.push_back({index, {d, d}, 1});
    s.meas.points.push_back({index, Upright().Inverse().Apply({d, d}), {}});
  }
}

struct TRefusal {
  const char* reason;  // a part of the message
  TCameraType type;
  void (*change)(TSample&);
};

const TRefusal kRefusals[] = {
    {"the projective transform needs at least 4 marks, there are 3", ctFiducials,
     [](TSample& s) { Keep(s.meas, 1, 2, 3), s.meas.transform_type = ttProjective; }},
    // Repeated marks, and nearly so; collinear marks, and within 1e-3 px of a 15000 px line.
    {"marks 1 and 3 lie less than 1 px apart", ctFiducials,
     [](TSample& s) {
       Keep(s.meas, 1, 2, 3), Mark(s.meas, 3).coords_pix = Mark(s.meas, 1).coords_pix;
     }},
    {"marks 2 and 4 lie less than 1 px apart", ctFiducials,
     [](TSample& s) {
       Mark(s.meas, 4).coords_pix = Mark(s.meas, 2).coords_pix + P{0.6, -0.7};
     }},
    {"too close to one line to fix the affine", ctFiducials,
     [](TSample& s) { AddDiagonal(s), Keep(s.meas, 1, 2, 9, 10); }},
    {"too close to one line to fix the affine", ctFiducials,
     [](TSample& s) {
       AddDiagonal(s), Keep(s.meas, 1, 2, 9, 10);
       Mark(s.meas, 9).coords_pix.x += 1e-3;
     }},
    {"too close to one line to fix the projective", ctFiducials,
     [](TSample& s) {
       AddDiagonal(s), Keep(s.meas, 1, 2, 3, 9), s.meas.transform_type = ttProjective;
     }},
    {"camera positions of the marks are collinear", ctFiducials,
     [](TSample& s) {
       for (TFiducial& f : s.camera.fiducials)
         f.coords_cam.y = f.coords_cam.x;
     }},
    {"sends the pixel origin (0, 0) to infinity", ctFiducials,
     [](TSample& s) {  // a map whose horizon x + y = 0 runs through the pixel origin
       s.meas.transform_type = ttProjective;
       for (TFiducial& f : s.camera.fiducials) {
         const P p = Mark(s.meas, f.index).coords_pix;
         f.coords_cam = P{p.x - 8000, 8000 - p.y} * (kPixelMm * 16000 / (p.x + p.y));
       }
     }},
    // Marks that are no numbers, not the camera's or there twice; no transform type.
    {"mark 2: its pixel coordinates are not finite", ctFiducials,
     [](TSample& s) { Mark(s.meas, 2).coords_pix.y = kNaN; }},
    {"fiducial 7 of the camera has coordinates that are not finite", ctFiducials,
     [](TSample& s) { s.camera.fiducials[6].coords_cam.x = INFINITY; }},
    {"mark 9 names no fiducial of the camera", ctFiducials,
     [](TSample& s) { Mark(s.meas, 8).index = 9; }},
    {"mark 2 is measured twice", ctFiducials, [](TSample& s) { Mark(s.meas, 3).index = 2; }},
    {"unknown transform type 0", ctFiducials,
     [](TSample& s) { s.meas.transform_type = TTransformType{0}; }},
    // Measurement and camera disagree.
    {"the measurement has no camera type", ctFiducials,
     [](TSample& s) { s.meas.camera_type = TCameraType{0}; }},
    {"the measurement is of type \"Digital\", the camera of type 9", ctDigital,
     [](TSample& s) { s.camera.type = TCameraType{9}; }},
    // Principal point: one mark, a rotation, a scan resolution with units.
    {"exactly one mark, this one holds 2", ctPrincipalPoint,
     [](TSample& s) { s.meas.points.push_back(s.meas.points[0]); }},
    {"gives no rotation", ctPrincipalPoint, [](TSample& s) { s.meas.rotation = crInvalid; }},
    {"rotation 5 is no quarter turn", ctPrincipalPoint,
     [](TSample& s) { s.meas.rotation = TCamRotate{5}; }},
    {"scan resolution must be a finite number above 0", ctPrincipalPoint,
     [](TSample& s) { s.meas.scan_resolution.y = kNaN; }},
    {"scan resolution has no units", ctCross,
     [](TSample& s) { s.meas.resolution_units = TResolutionUnits{0}; }},
    // Crosses: marks 1 to 4 once each, arms that cross; calibrated lengths.
    {"this one holds 3", ctCross, [](TSample& s) { s.meas.points.pop_back(); }},
    {"mark 5 is not", ctCross, [](TSample& s) { s.meas.points[3].index = 5; }},
    {"mark 1 is not", ctCalibratedCross, [](TSample& s) { s.meas.points[1].index = 1; }},
    {"arms 1-3 and 2-4 are parallel", ctCross,
     [](TSample& s) { std::swap(s.meas.points[0].index, s.meas.points[1].index); }},
    {"calibrated cross lengths must be finite numbers above 0", ctCalibratedCross,
     [](TSample& s) { s.camera.length_y = -220.0; }},
    // Digital: no marks, a pixel grid and a known origin.
    {"holds no marks, this one holds 1", ctDigital,
     [](TSample& s) {
       s.meas.points.push_back({1, {}, {}});
     }},
    {"pixel size must be a finite number above 0", ctDigital,
     [](TSample& s) { s.camera.pixel_size.x = 0.0; }},
    {"sensor must have at least one pixel", ctDigital,
     [](TSample& s) { s.camera.sensor_dims.y = 0; }},
    {"digital origin 3 is unknown", ctDigital,
     [](TSample& s) { s.camera.digital_camera_origin = TDigitalCameraOrigin{3}; }},
};

}  // namespace

TEST(SolveIntOr, RefusesWhatCannotFixATransformNamingTheCause) {
  for (TCameraType type : {ctPrincipalPoint, ctCross, ctCalibratedCross, ctFiducials, ctDigital})
    EXPECT_NO_THROW(SolveIntOrE(Sample(type).camera, Sample(type).meas)) << "type " << type;
  for (const TRefusal& r : kRefusals) {
    SCOPED_TRACE(r.reason);
    TSample s = Sample(r.type);
    r.change(s);
    TLxIntOrSolution solution;
    solution.rms_px = 42.0;
    std::string message;
    EXPECT_FALSE(SolveIntOr(s.camera, s.meas, &solution, &message));
    EXPECT_THAT(message, HasSubstr(r.reason));
    EXPECT_EQ(solution.rms_px, 42.0);  // untouched
    EXPECT_FALSE(SolveIntOr(s.camera, s.meas, &solution, nullptr));
    EXPECT_THAT([&] { SolveIntOrE(s.camera, s.meas); },
                testing::ThrowsMessage<std::runtime_error>(message));
  }
  EXPECT_THROW(SolveIntOr(Sample(ctDigital).camera, Sample(ctDigital).meas, nullptr, nullptr),
               std::invalid_argument);
}

// Mirrored scans are told apart in the exact- and noisy-marks tests; marks on
// one line cannot tell, and the solution says so and stays upright.
TEST(SolveIntOr, LeavesAScanUprightWhenItsMarksCannotTellAMirroredOne) {
  TSample s = Sample(ctFiducials);
  AddDiagonal(s);
  s.meas = Measured(s.camera, Upright(true), ttSimilarity);
  Keep(s.meas, 1, 2, 9, 10);
  const TLxIntOrSolution line = SolveIntOrE(s.camera, s.meas);
  EXPECT_FALSE(line.mirrored);
  EXPECT_THAT(line.warnings, ElementsAre(HasSubstr("cannot tell a mirrored scan")));
}

TEST(SolveIntOr, NamesAMisMeasuredMarkWarnsOfAnExactFitAndWritesResiduals) {
  std::mt19937_64 rng(3);
  TSample s = Sample(ctFiducials);
  s.meas = Measured(s.camera, Upright(), ttAffine, &rng, 0.1);
  const TLxIntOrSolution noisy = SolveIntOrE(s.camera, s.meas);
  EXPECT_THAT(noisy.warnings, IsEmpty());
  s.meas.points.push_back({42, {1, 1}, {5, 5}});  // no mark of the solution
  WriteIntOrResiduals(noisy, &s.meas);
  for (std::size_t i = 0; i < noisy.marks.size(); ++i)
    EXPECT_EQ(s.meas.points[i].residuals_pix, noisy.marks[i].residual_pix);
  EXPECT_EQ(s.meas.points.back().residuals_pix, P{});
  EXPECT_THROW(WriteIntOrResiduals(noisy, nullptr), std::invalid_argument);

  s.meas.points.pop_back();
  Mark(s.meas, 6).coords_pix = Mark(s.meas, 6).coords_pix + P{3.0, -2.5};
  const TLxIntOrSolution bad = SolveIntOrE(s.camera, s.meas);
  EXPECT_THAT(bad.warnings, ElementsAre(HasSubstr("Mark 6: its residual of")));
  EXPECT_EQ(bad.redundancy, 10);
  EXPECT_NEAR(bad.max_residual_um, bad.max_residual_px * 14.0, 0.1);
  Keep(s.meas, 1, 2, 3);  // the exact fit's residuals: GivesBackEveryPlaneMap
  EXPECT_THAT(SolveIntOrE(s.camera, s.meas).warnings,
              ElementsAre(HasSubstr("fix the affine transform exactly")));
}

TEST(SolveIntOr, BuildsPrincipalPointAndCrossMapsFromTheirMarks) {
  // A principal point scanned at 1814.4 dpi, the image turned a quarter left:
  // its +x is the camera's −y. To the rounding of 100 mm coordinates.
  TSample pp = Sample(ctPrincipalPoint);
  pp.camera.principal_point = {0.01, -0.02};
  pp.meas.resolution_units = ruDpi, pp.meas.scan_resolution = {1814.4, 1814.4};
  pp.meas.rotation = cr90;
  const TLxIntOrSolution a = SolveIntOrE(pp.camera, pp.meas);
  const P mark = pp.meas.points[0].coords_pix;
  EXPECT_LT(Distance(a.pix_to_cam.Apply(mark), pp.camera.principal_point), 1e-12);
  EXPECT_LT(Distance(a.pix_to_cam.Apply(mark + P{1, 0}) - pp.camera.principal_point,
                     {0.0, -25.4 / 1814.4}),
            1e-12);
  EXPECT_NEAR(a.rotation_deg, 90.0, 1e-9);
  EXPECT_EQ(a.redundancy, 0);

  // Crosses on a mirrored scan turned by 30° with 0.2 % more pixel size in x:
  // the cross gives the axes, the scan resolution the scale.
  for (TCameraType type : {ctCross, ctCalibratedCross}) {
    SCOPED_TRACE(type);
    TSample c = Sample(type);
    const double cos = std::cos(kPi / 6) * kPixelMm, sin = std::sin(kPi / 6) * kPixelMm;
    const TPlaneTransform scan = {cos * 1.002, -sin, -50.0, sin * 1.002, cos, 20.0, 0.0, 0.0};
    const P at[] = {{110, 0}, {0, 110}, {-110, 0}, {0, -110}};
    for (TMeasPoint& p : c.meas.points)
      p.coords_pix = scan.Inverse().Apply(at[p.index - 1]);
    c.meas.scan_resolution = {kPixelMm * 1.002, kPixelMm};
    const TLxIntOrSolution s = SolveIntOrE(c.camera, c.meas);
    for (const TIntOrMark& m : s.marks)
      EXPECT_LT(Distance(m.coords_cam, at[m.index - 1]), 1e-9);
    EXPECT_LT(Distance(s.pix_to_cam.Apply({3000, 9000}), scan.Apply({3000, 9000})), 1e-9);
    EXPECT_TRUE(s.mirrored);
    EXPECT_EQ(s.redundancy, type == ctCross ? 0 : 2);
  }
}

// The scan of the camera of a public calibration report, at 14 µm, emulsion
// down: mirrored left to right and turned by 0.2°.
TEST(IntOrExamples, SolveTheMirroredScanOfTheReportsCamera) {
  const std::string name = "film-usgs-report-formula";
  const TLxIntOrSolution s =
      SolveIntOrE(ExampleCamera(name + ".xini"), ExampleMeas(name + ".meas.xini"));
  EXPECT_TRUE(s.mirrored);
  EXPECT_NEAR(s.rotation_deg, -179.8, 0.01);
  EXPECT_NEAR(s.scale_um_per_px.x, 14.0, 0.01);
  EXPECT_NEAR(s.scale_um_per_px.y, 14.0, 0.01);
  EXPECT_NEAR(s.scale_dpi.x, 25400 / 14.0, 0.5);
  EXPECT_NEAR(s.shear_deg, 0.0, 0.01);
  EXPECT_EQ(s.redundancy, 2);
  EXPECT_THAT(s.warnings, IsEmpty());
}
