#include <LxCameraUtils/IntOrSolution.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using ::testing::HasSubstr;

namespace {

using P = vec_t_<double, 2>;
constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double Distance(const P& a, const P& b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

// Fiducials of a 230 mm film frame: corners first (1, 2 opposite), then the
// middle of each side, each moved by up to 3 mm.
std::vector<P> Layout(std::mt19937_64& rng, std::size_t n) {
  const P nominal[] = {{-106, -106}, {106, 106}, {-106, 106}, {106, -106},
                       {-113, 0},    {113, 0},   {0, 113},    {0, -113}};
  std::uniform_real_distribution<double> jitter(-3.0, 3.0);
  std::vector<P> at;
  for (std::size_t i = 0; i < n; ++i)
    at.push_back(nominal[i] + P{jitter(rng), jitter(rng)});
  return at;
}

// A scan of that frame: 8 to 25 µm pixels, turned any way, mirrored or not;
// affine maps add up to 0.2 % anisotropy and 0.1° shear, projective ones a
// tilt that changes the scale by up to 0.2 % across the frame.
TPlaneTransform RandomScan(std::mt19937_64& rng, TTransformType type, bool mirrored) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  const double s = 0.0165 + 0.0085 * u(rng);  // mm per pixel
  const double turn = kPi * u(rng);
  const bool general = type != ttSimilarity;
  const double sx = s * (1 + (general ? 1e-3 * u(rng) : 0.0));
  const double sy = s * (1 + (general ? 1e-3 * u(rng) : 0.0));
  const double shear = general ? 0.1 / 180 * kPi * u(rng) : 0.0;
  const double flip = mirrored ? 1.0 : -1.0;  // rows point down
  // A = R(turn) · [[sx, sy·shear], [0, sy]] · diag(1, flip)
  const double c = std::cos(turn), n = std::sin(turn);
  TPlaneTransform t;
  t.a0 = c * sx, t.a1 = flip * (c * sy * shear - n * sy);
  t.a3 = n * sx, t.a4 = flip * (n * sy * shear + c * sy);
  const double half = 115.0 / s;  // the frame's centre, px
  t.a2 = -(t.a0 + t.a1) * half + u(rng), t.a5 = -(t.a3 + t.a4) * half + u(rng);
  if (type == ttProjective) t.c0 = 1e-3 / half * u(rng), t.c1 = 1e-3 / half * u(rng);
  return t;
}

TLxCameraInfo Camera(TCameraType type, const std::vector<P>& fiducials = {}) {
  TLxCameraInfo camera;
  camera.type = type;
  camera.focus = 153.0;
  for (std::size_t i = 0; i < fiducials.size(); ++i)
    camera.fiducials.push_back({static_cast<std::int32_t>(i + 1), fiducials[i], 1});
  return camera;
}

// The marks of `camera`'s fiducials on a scan whose pixel → camera map is
// `scan`, plus pixel noise.
TLxIntOrMeas Measured(const TLxCameraInfo& camera, const TPlaneTransform& scan, TTransformType type,
                      std::mt19937_64* rng = nullptr, double noise = 0.0) {
  TLxIntOrMeas meas;
  meas.camera_type = camera.type;
  meas.transform_type = type;
  std::normal_distribution<double> error(0.0, noise);
  const TPlaneTransform to_pix = scan.Inverse();
  for (const TFiducial& f : camera.fiducials) {
    P pix = to_pix.Apply(f.coords_cam);
    if (rng != nullptr) pix = pix + P{error(*rng), error(*rng)};
    meas.points.push_back({f.index, pix, {}});
  }
  return meas;
}

// The largest distance in pixels between where `solved` and `truth` put
// camera points across the frame.
double WorstPixel(const TLxIntOrSolution& solved, const TPlaneTransform& truth) {
  const TPlaneTransform to_pix = truth.Inverse();
  double worst = 0.0;
  for (double x = -115; x <= 115; x += 23)
    for (double y = -115; y <= 115; y += 23)
      worst = std::max(worst, Distance(solved.cam_to_pix.Apply({x, y}), to_pix.Apply({x, y})));
  return worst;
}

// Least squares by the normal equations: Gauss–Newton from `truth`, the
// Jacobian by central differences, all in coordinates centred and scaled like
// the marks, so that the normal matrix stays well conditioned.
struct TReference {
  TTransformType type;
  bool mirrored;
  P pix_mean, cam_mean;
  double pix_scale, cam_scale;

  P Map(const std::vector<double>& t, const P& p) const {
    const P q = (p - pix_mean) * (1 / pix_scale);
    P r;
    if (type == ttSimilarity) {
      const double k = mirrored ? 1.0 : -1.0;
      r = {t[0] * q.x - k * t[1] * q.y + t[2], t[1] * q.x + k * t[0] * q.y + t[3]};
    } else {
      const double w = type == ttProjective ? t[6] * q.x + t[7] * q.y + 1 : 1.0;
      r = {(t[0] * q.x + t[1] * q.y + t[2]) / w, (t[3] * q.x + t[4] * q.y + t[5]) / w};
    }
    return cam_mean + r * cam_scale;
  }
};

std::vector<double> Solve(std::vector<std::vector<double>> n, std::vector<double> g) {
  const std::size_t k = g.size();
  for (std::size_t c = 0; c < k; ++c) {
    std::size_t pivot = c;
    for (std::size_t r = c + 1; r < k; ++r)
      if (std::abs(n[r][c]) > std::abs(n[pivot][c])) pivot = r;
    std::swap(n[c], n[pivot]), std::swap(g[c], g[pivot]);
    for (std::size_t r = c + 1; r < k; ++r) {
      const double f = n[r][c] / n[c][c];
      for (std::size_t j = c; j < k; ++j)
        n[r][j] -= f * n[c][j];
      g[r] -= f * g[c];
    }
  }
  std::vector<double> x(k);
  for (std::size_t c = k; c-- > 0;) {
    double sum = g[c];
    for (std::size_t j = c + 1; j < k; ++j)
      sum -= n[c][j] * x[j];
    x[c] = sum / n[c][c];
  }
  return x;
}

std::vector<double> NormalEquationFit(const TReference& ref, const TLxIntOrMeas& meas,
                                      const TLxCameraInfo& camera, std::vector<double> t) {
  const auto residuals = [&](const std::vector<double>& params) {
    std::vector<double> r;
    for (std::size_t i = 0; i < meas.points.size(); ++i) {
      const P d = ref.Map(params, meas.points[i].coords_pix) - camera.fiducials[i].coords_cam;
      r.push_back(d.x / ref.cam_scale), r.push_back(d.y / ref.cam_scale);
    }
    return r;
  };
  for (int step = 0; step < 20; ++step) {
    const std::vector<double> r = residuals(t);
    std::vector<std::vector<double>> jac(t.size());
    for (std::size_t k = 0; k < t.size(); ++k) {
      std::vector<double> up = t, down = t;
      up[k] += 1e-6, down[k] -= 1e-6;
      const std::vector<double> ru = residuals(up), rd = residuals(down);
      for (std::size_t i = 0; i < r.size(); ++i)
        jac[k].push_back((ru[i] - rd[i]) / 2e-6);
    }
    std::vector<std::vector<double>> n(t.size(), std::vector<double>(t.size()));
    std::vector<double> g(t.size());
    for (std::size_t a = 0; a < t.size(); ++a) {
      for (std::size_t b = 0; b < t.size(); ++b)
        for (std::size_t i = 0; i < r.size(); ++i)
          n[a][b] += jac[a][i] * jac[b][i];
      for (std::size_t i = 0; i < r.size(); ++i)
        g[a] -= jac[a][i] * r[i];
    }
    const std::vector<double> d = Solve(n, g);
    for (std::size_t k = 0; k < t.size(); ++k)
      t[k] += d[k];
  }
  return t;
}

// The reference's parameters for `truth`, in its normalised coordinates.
TReference ReferenceFor(TTransformType type, bool mirrored, const TLxIntOrMeas& meas,
                        const TLxCameraInfo& camera) {
  TReference ref{type, mirrored, {}, {}, 0.0, 0.0};
  const double n = static_cast<double>(meas.points.size());
  for (std::size_t i = 0; i < meas.points.size(); ++i)
    ref.pix_mean = ref.pix_mean + meas.points[i].coords_pix * (1 / n),
    ref.cam_mean = ref.cam_mean + camera.fiducials[i].coords_cam * (1 / n);
  for (std::size_t i = 0; i < meas.points.size(); ++i)
    ref.pix_scale += std::pow(Distance(meas.points[i].coords_pix, ref.pix_mean), 2) / n,
        ref.cam_scale += std::pow(Distance(camera.fiducials[i].coords_cam, ref.cam_mean), 2) / n;
  ref.pix_scale = std::sqrt(ref.pix_scale), ref.cam_scale = std::sqrt(ref.cam_scale);
  return ref;
}

}  // namespace

TEST(TPlaneTransform, InverseUndoesItAndTheTangentTouchesIt) {
  std::mt19937_64 rng(11);
  for (TTransformType type : {ttAffine, ttProjective})
    for (int trial = 0; trial < 20; ++trial) {
      const TPlaneTransform t = RandomScan(rng, type, trial % 2 == 0);
      const double scale = std::hypot(t.a0, t.a3);  // mm per pixel
      for (const P p : {P{0, 0}, P{15000, 300}, P{7000, 16000}}) {
        EXPECT_LT(Distance(t.Inverse().Apply(t.Apply(p)), p), 1e-9);
        const TPlaneTransform tangent = t.TangentAt(p);
        EXPECT_TRUE(tangent.IsAffine());
        EXPECT_LT(Distance(tangent.Apply(p), t.Apply(p)), 1e-12);
        // Central differences over ±1 px differ from the derivative by the
        // curvature, ~1e-7 of it for these tilts.
        const P dx = (t.Apply(p + P{1, 0}) - t.Apply(p - P{1, 0})) * 0.5;
        const P dy = (t.Apply(p + P{0, 1}) - t.Apply(p - P{0, 1})) * 0.5;
        EXPECT_LT(Distance(dx, {tangent.a0, tangent.a3}), 1e-6 * scale);
        EXPECT_LT(Distance(dy, {tangent.a1, tangent.a4}), 1e-6 * scale);
      }
    }
}

TEST(SolveIntOr, GivesBackEveryPlaneMapFromItsExactMarks) {
  std::mt19937_64 rng(19);
  for (TTransformType type : {ttSimilarity, ttAffine, ttProjective})
    for (int trial = 0; trial < 40; ++trial) {
      const std::size_t needed = type == ttSimilarity ? 2 : type == ttAffine ? 3 : 4;
      const std::size_t n = needed + static_cast<std::size_t>(trial) % (9 - needed);
      // Two marks cannot tell a mirrored similarity from an unmirrored one.
      const bool mirrored = trial % 2 == 1 && !(type == ttSimilarity && n == 2);
      SCOPED_TRACE(testing::Message() << "type " << type << ", trial " << trial << ", " << n);
      const TLxCameraInfo camera = Camera(ctFiducials, Layout(rng, n));
      const TPlaneTransform truth = RandomScan(rng, type, mirrored);
      const TLxIntOrSolution s = SolveIntOrE(camera, Measured(camera, truth, type));
      EXPECT_LE(WorstPixel(s, truth), 1e-9);
      EXPECT_LE(s.max_residual_px, 1e-9);
      EXPECT_EQ(s.redundancy, static_cast<int>(2 * n) - 2 * static_cast<int>(needed));
      EXPECT_EQ(s.mirrored, mirrored);
      EXPECT_EQ(s.transform_type, type);
      EXPECT_NEAR(s.scale_dpi.x, 25.4e3 / s.scale_um_per_px.x, 1e-9);
      EXPECT_EQ(s.warnings.size(), n == needed ? 1u + (type == ttSimilarity) : 0u);
    }
}

TEST(SolveIntOr, FindsTheLeastSquaresMapOfNoisyMarks) {
  std::mt19937_64 rng(1919);
  for (TTransformType type : {ttSimilarity, ttAffine, ttProjective})
    for (int trial = 0; trial < 10; ++trial) {
      SCOPED_TRACE(testing::Message() << "type " << type << ", trial " << trial);
      const bool mirrored = trial % 2 == 0;
      const TLxCameraInfo camera = Camera(ctFiducials, Layout(rng, 8));
      const TPlaneTransform truth = RandomScan(rng, type, mirrored);
      const TLxIntOrMeas meas = Measured(camera, truth, type, &rng, 0.3);
      const TLxIntOrSolution s = SolveIntOrE(camera, meas);

      // Linear in its unknowns but for the projective map, which starts from
      // the affine one.
      const TReference ref = ReferenceFor(type, mirrored, meas, camera);
      std::vector<double> fit(type == ttSimilarity ? 4 : 6, 0.0);
      if (type == ttProjective) {
        fit = NormalEquationFit(
            {ttAffine, mirrored, ref.pix_mean, ref.cam_mean, ref.pix_scale, ref.cam_scale}, meas,
            camera, fit);
        fit.resize(8, 0.0);
      }
      fit = NormalEquationFit(ref, meas, camera, fit);
      double worst_mm = 0.0;
      for (double x = 0; x <= 2 * 115 / 0.008; x += 2000)
        for (double y = 0; y <= 2 * 115 / 0.008; y += 2000)
          worst_mm = std::max(worst_mm, Distance(s.pix_to_cam.Apply({x, y}), ref.Map(fit, {x, y})));
      EXPECT_LE(worst_mm, 1e-9);  // 1 pm: the two solvers' rounding
      EXPECT_GT(s.rms_px, 0.1);
      EXPECT_EQ(s.mirrored, mirrored);
      EXPECT_NEAR(s.rms_um, s.rms_px * (s.scale_um_per_px.x + s.scale_um_per_px.y) / 2,
                  0.01 * s.rms_um);
    }
}

namespace {

constexpr double kPixelMm = 0.014;

// An upright 14 µm scan of the frame: pixel (8214.5, 8214.5) at the centre.
TPlaneTransform Upright(bool mirrored = false) {
  const double centre = 115.0 / kPixelMm;
  const double x = mirrored ? -kPixelMm : kPixelMm;
  return {x, 0.0, -x * centre, 0.0, -kPixelMm, kPixelMm * centre};
}

const std::vector<P> kNominal = {{-106, -106}, {106, 106}, {-106, 106}, {106, -106},
                                 {-113, 0},    {113, 0},   {0, 113},    {0, -113}};

// A ready measurement of each camera type, on the upright scan.
struct TSample {
  TLxCameraInfo camera;
  TLxIntOrMeas meas;
};

TSample Sample(TCameraType type) {
  TSample s{Camera(type, type == ctFiducials ? kNominal : std::vector<P>{}), {}};
  s.meas.camera_type = type;
  s.meas.rotation = cr0;
  s.meas.scan_resolution = {kPixelMm, kPixelMm};
  const TPlaneTransform to_pix = Upright().Inverse();
  if (type == ctFiducials) s.meas = Measured(s.camera, Upright(), ttAffine);
  if (type == ctPrincipalPoint) s.meas.points.push_back({1, to_pix.Apply({}), {}});
  if (type == ctCross || type == ctCalibratedCross) {
    const P at[] = {{110, 0}, {0, 110}, {-110, 0}, {0, -110}};
    for (std::int32_t i = 1; i <= 4; ++i)
      s.meas.points.push_back({i, to_pix.Apply(at[i - 1]), {}});
    s.camera.length_x = s.camera.length_y = 220.0;
  }
  if (type == ctDigital) s.camera.pixel_size = {0.005, 0.005}, s.camera.sensor_dims = {4000, 3000};
  return s;
}

TMeasPoint& Mark(TLxIntOrMeas& meas, std::int32_t index) {
  return *std::find_if(meas.points.begin(), meas.points.end(),
                       [&](const TMeasPoint& p) { return p.index == index; });
}

void Keep(TLxIntOrMeas& meas, std::vector<std::int32_t> indices) {
  std::erase_if(meas.points, [&](const TMeasPoint& p) {
    return std::find(indices.begin(), indices.end(), p.index) == indices.end();
  });
}

// Fiducials 9 and 10 on the diagonal through fiducials 1 and 2, measured.
void AddDiagonal(TSample& s) {
  for (std::int32_t i : {9, 10}) {
    const P at = P{-50, -50} * (i == 9 ? 1.0 : -1.0);
    s.camera.fiducials.push_back({i, at, 1});
    s.meas.points.push_back({i, Upright().Inverse().Apply(at), {}});
  }
}

struct TRefusal {
  const char* reason;  // a part of the message
  TCameraType type;
  void (*change)(TSample&);
};

const TRefusal kRefusals[] = {
    // Too few marks for the transform.
    {"the similarity transform needs at least 2 marks, there are 1", ctFiducials,
     [](TSample& s) { Keep(s.meas, {3}), s.meas.transform_type = ttSimilarity; }},
    {"the affine transform needs at least 3 marks, there are 2", ctFiducials,
     [](TSample& s) {
       Keep(s.meas, {1, 2});
     }},
    {"the projective transform needs at least 4 marks, there are 3", ctFiducials,
     [](TSample& s) {
       Keep(s.meas, {1, 2, 3}), s.meas.transform_type = ttProjective;
     }},
    // Repeated marks, exactly and nearly.
    {"marks 1 and 3 lie less than 1 px apart", ctFiducials,
     [](TSample& s) {
       Keep(s.meas, {1, 2, 3}), Mark(s.meas, 3).coords_pix = Mark(s.meas, 1).coords_pix;
     }},
    {"marks 2 and 4 lie less than 1 px apart", ctFiducials,
     [](TSample& s) {
       s.meas.transform_type = ttSimilarity;
       Mark(s.meas, 4).coords_pix = Mark(s.meas, 2).coords_pix + P{0.6, -0.7};
     }},
    // Collinear marks, exactly and nearly (1e-3 px off a 10000 px line).
    {"too close to one line to fix the affine", ctFiducials,
     [](TSample& s) {
       AddDiagonal(s), Keep(s.meas, {1, 2, 9, 10});
     }},
    {"too close to one line to fix the affine", ctFiducials,
     [](TSample& s) {
       AddDiagonal(s), Keep(s.meas, {1, 2, 9, 10});
       Mark(s.meas, 9).coords_pix = Mark(s.meas, 9).coords_pix + P{1e-3, 0};
     }},
    {"too close to one line to fix the projective", ctFiducials,
     [](TSample& s) {
       AddDiagonal(s), Keep(s.meas, {1, 2, 3, 9}), s.meas.transform_type = ttProjective;
     }},
    {"sends the pixel origin (0, 0) to infinity", ctFiducials,
     [](TSample& s) {
       // The horizon x + y = 0 of this map runs through the pixel origin.
       s.meas.transform_type = ttProjective;
       for (TFiducial& f : s.camera.fiducials) {
         const P p = Mark(s.meas, f.index).coords_pix;
         f.coords_cam = P{p.x - 8000, 8000 - p.y} * (kPixelMm * 16000 / (p.x + p.y));
       }
     }},
    {"camera positions of the marks are collinear", ctFiducials,
     [](TSample& s) {
       for (TFiducial& f : s.camera.fiducials)
         f.coords_cam = {f.coords_cam.x, f.coords_cam.x};
     }},
    // Marks that are not numbers, not the camera's or there twice.
    {"mark 2: its pixel coordinates are not finite", ctFiducials,
     [](TSample& s) { Mark(s.meas, 2).coords_pix.y = kNaN; }},
    {"mark 5: its pixel coordinates are not finite", ctFiducials,
     [](TSample& s) { Mark(s.meas, 5).coords_pix.x = -INFINITY; }},
    {"fiducial 7 of the camera has coordinates that are not finite", ctFiducials,
     [](TSample& s) { s.camera.fiducials[6].coords_cam.x = kNaN; }},
    {"mark 9 names no fiducial of the camera", ctFiducials,
     [](TSample& s) { Mark(s.meas, 8).index = 9; }},
    {"mark 2 is measured twice", ctFiducials, [](TSample& s) { Mark(s.meas, 3).index = 2; }},
    {"unknown transform type 0", ctFiducials,
     [](TSample& s) { s.meas.transform_type = TTransformType{0}; }},
    // Measurement and camera disagree.
    {"the measurement has no camera type", ctFiducials,
     [](TSample& s) { s.meas.camera_type = TCameraType{0}; }},
    {"unknown measurement camera type 6", ctFiducials,
     [](TSample& s) { s.meas.camera_type = TCameraType{6}; }},
    {"the measurement is of type \"Cross\", the camera of type \"Fiducials\"", ctFiducials,
     [](TSample& s) { s.meas.camera_type = ctCross; }},
    {"the camera of type 9", ctDigital, [](TSample& s) { s.camera.type = TCameraType{9}; }},
    // Principal point: one mark, a rotation and a scan resolution with units.
    {"exactly one mark, this one holds 2", ctPrincipalPoint,
     [](TSample& s) { s.meas.points.push_back(s.meas.points[0]); }},
    {"gives no rotation", ctPrincipalPoint, [](TSample& s) { s.meas.rotation = crInvalid; }},
    {"rotation 5 is no quarter turn", ctPrincipalPoint,
     [](TSample& s) { s.meas.rotation = TCamRotate{5}; }},
    {"scan resolution must be a finite number above 0", ctPrincipalPoint,
     [](TSample& s) { s.meas.scan_resolution.y = kNaN; }},
    {"scan resolution must be a finite number above 0", ctPrincipalPoint,
     [](TSample& s) { s.meas.scan_resolution.x = 0.0; }},
    {"scan resolution has no units", ctPrincipalPoint,
     [](TSample& s) { s.meas.resolution_units = TResolutionUnits{0}; }},
    // Crosses: marks 1 to 4 once each, arms that cross.
    {"this one holds 3", ctCross, [](TSample& s) { s.meas.points.pop_back(); }},
    {"mark 5 is not", ctCross, [](TSample& s) { s.meas.points[3].index = 5; }},
    {"mark 1 is not", ctCalibratedCross, [](TSample& s) { s.meas.points[1].index = 1; }},
    {"arms 1-3 and 2-4 are parallel", ctCross,
     [](TSample& s) { std::swap(s.meas.points[0].index, s.meas.points[1].index); }},
    {"marks 2 and 4 lie less than 1 px apart", ctCross,
     [](TSample& s) { s.meas.points[3].coords_pix = s.meas.points[1].coords_pix; }},
    {"mark 3: its pixel coordinates are not finite", ctCross,
     [](TSample& s) { s.meas.points[2].coords_pix.x = kNaN; }},
    {"calibrated cross lengths must be finite numbers above 0", ctCalibratedCross,
     [](TSample& s) { s.camera.length_y = -220.0; }},
    // Digital: no marks, a rotation, a pixel grid.
    {"holds no marks, this one holds 1", ctDigital,
     [](TSample& s) {
       s.meas.points.push_back({1, {}, {}});
     }},
    {"gives no rotation", ctDigital, [](TSample& s) { s.meas.rotation = crInvalid; }},
    {"pixel size must be a finite number above 0", ctDigital,
     [](TSample& s) { s.camera.pixel_size.x = INFINITY; }},
    {"sensor must have at least one pixel", ctDigital,
     [](TSample& s) { s.camera.sensor_dims.y = 0; }},
    {"digital origin 3 is unknown", ctDigital,
     [](TSample& s) { s.camera.digital_camera_origin = TDigitalCameraOrigin{3}; }},
};

}  // namespace

TEST(SolveIntOr, RefusesWhatCannotFixATransformNamingTheCause) {
  for (const TCameraType type :
       {ctPrincipalPoint, ctCross, ctCalibratedCross, ctFiducials, ctDigital}) {
    const TSample ready = Sample(type);
    EXPECT_NO_THROW(SolveIntOrE(ready.camera, ready.meas)) << "type " << type;
  }
  for (const TRefusal& r : kRefusals) {
    SCOPED_TRACE(r.reason);
    TSample s = Sample(r.type);
    r.change(s);
    TLxIntOrSolution untouched;
    untouched.rms_px = 42.0;
    TLxIntOrSolution solution = untouched;
    std::string message;
    EXPECT_FALSE(SolveIntOr(s.camera, s.meas, &solution, &message));
    EXPECT_THAT(message, HasSubstr(r.reason));
    EXPECT_EQ(solution.rms_px, 42.0);
    EXPECT_FALSE(SolveIntOr(s.camera, s.meas, &solution, nullptr));
    try {
      SolveIntOrE(s.camera, s.meas);
      ADD_FAILURE() << "SolveIntOrE solved it";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(e.what(), message);
    }
  }
  const TSample s = Sample(ctDigital);
  EXPECT_THROW(SolveIntOr(s.camera, s.meas, nullptr, nullptr), std::invalid_argument);
}

TEST(SolveIntOr, TellsAMirroredScanFromAnUprightOne) {
  std::mt19937_64 rng(7);
  for (TTransformType type : {ttSimilarity, ttAffine, ttProjective})
    for (bool mirrored : {false, true}) {
      SCOPED_TRACE(testing::Message() << "type " << type << (mirrored ? ", mirrored" : ""));
      const TLxCameraInfo camera = Camera(ctFiducials, {kNominal.begin(), kNominal.begin() + 4});
      const TLxIntOrSolution s =
          SolveIntOrE(camera, Measured(camera, Upright(mirrored), type, &rng, 0.2));
      EXPECT_EQ(s.mirrored, mirrored);
      // Mirrored left to right, the camera's +x axis points left.
      EXPECT_NEAR(std::abs(s.rotation_deg), mirrored ? 180.0 : 0.0, 0.01);
      EXPECT_NEAR(s.scale_um_per_px.x, 14.0, 0.01);
      EXPECT_NEAR(s.scale_um_per_px.y, 14.0, 0.01);
      EXPECT_NEAR(s.scale_dpi.y, 1814.3, 2.0);
      EXPECT_NEAR(s.shear_deg, 0.0, 0.01);
    }
  // Marks on one line cannot tell; the solution says so and stays upright.
  TSample s = Sample(ctFiducials);
  AddDiagonal(s);
  s.meas = Measured(s.camera, Upright(true), ttSimilarity);
  Keep(s.meas, {1, 2, 9, 10});
  const TLxIntOrSolution line = SolveIntOrE(s.camera, s.meas);
  EXPECT_FALSE(line.mirrored);
  EXPECT_THAT(line.warnings, testing::ElementsAre(HasSubstr("cannot tell a mirrored scan")));
}

TEST(SolveIntOr, NamesAMisMeasuredMarkAndWarnsOfAnExactFit) {
  std::mt19937_64 rng(3);
  TSample s = Sample(ctFiducials);
  s.meas = Measured(s.camera, Upright(), ttAffine, &rng, 0.1);
  Mark(s.meas, 6).coords_pix = Mark(s.meas, 6).coords_pix + P{3.0, -2.5};
  const TLxIntOrSolution bad = SolveIntOrE(s.camera, s.meas);
  EXPECT_THAT(bad.warnings, testing::ElementsAre(HasSubstr("Mark 6: its residual of")));
  EXPECT_EQ(bad.redundancy, 10);
  EXPECT_GT(bad.max_residual_px, 2.0);
  EXPECT_NEAR(bad.max_residual_um, bad.max_residual_px * 14.0, 0.1);

  // Noise alone names nobody; three marks fit an affine map exactly.
  s.meas = Measured(s.camera, Upright(), ttAffine, &rng, 0.1);
  EXPECT_THAT(SolveIntOrE(s.camera, s.meas).warnings, testing::IsEmpty());
  Keep(s.meas, {1, 2, 3});
  const TLxIntOrSolution exact = SolveIntOrE(s.camera, s.meas);
  EXPECT_EQ(exact.redundancy, 0);
  EXPECT_LT(exact.rms_px, 1e-9);
  EXPECT_THAT(exact.warnings, testing::ElementsAre(HasSubstr("fix the affine transform exactly")));
}

TEST(SolveIntOr, BuildsPrincipalPointAndCrossMapsFromTheirMarks) {
  // A principal point scanned at 1814.4 dpi, the image turned a quarter left.
  TSample pp = Sample(ctPrincipalPoint);
  pp.camera.principal_point = {0.01, -0.02};
  pp.meas.resolution_units = ruDpi, pp.meas.scan_resolution = {1814.4, 1814.4};
  pp.meas.rotation = cr90;
  const TLxIntOrSolution a = SolveIntOrE(pp.camera, pp.meas);
  const P mark = pp.meas.points[0].coords_pix;
  // To the rounding of 100 mm coordinates.
  EXPECT_LT(Distance(a.pix_to_cam.Apply(mark), pp.camera.principal_point), 1e-12);
  const P right = a.pix_to_cam.Apply(mark + P{1, 0}) - pp.camera.principal_point;
  EXPECT_NEAR(right.x, 0.0, 1e-12);
  EXPECT_NEAR(right.y, -25.4 / 1814.4, 1e-12);  // the image's +x is the camera's −y
  EXPECT_NEAR(a.rotation_deg, 90.0, 1e-9);
  EXPECT_FALSE(a.mirrored);
  EXPECT_EQ(a.redundancy, 0);
  EXPECT_THAT(a.warnings, testing::IsEmpty());

  // Crosses on a mirrored scan turned by 30° with 0.2 % affinity in x: the
  // cross gives the axes, the scan resolution the scale.
  for (TCameraType type : {ctCross, ctCalibratedCross}) {
    SCOPED_TRACE(type);
    TSample c = Sample(type);
    const double turn = kPi / 6;
    const TPlaneTransform scan = {kPixelMm * std::cos(turn) * 1.002,
                                  -kPixelMm * std::sin(turn),
                                  -50.0,
                                  kPixelMm * std::sin(turn) * 1.002,
                                  kPixelMm * std::cos(turn),
                                  20.0,
                                  0.0,
                                  0.0};
    const P at[] = {{110, 0}, {0, 110}, {-110, 0}, {0, -110}};
    for (TMeasPoint& p : c.meas.points)
      p.coords_pix = scan.Inverse().Apply(at[p.index - 1]);
    c.meas.scan_resolution = {kPixelMm * 1.002, kPixelMm};
    const TLxIntOrSolution s = SolveIntOrE(c.camera, c.meas);
    for (const TIntOrMark& m : s.marks)
      EXPECT_LT(Distance(m.coords_cam, at[m.index - 1]), 1e-9);
    EXPECT_LT(Distance(s.pix_to_cam.Apply({3000, 9000}), scan.Apply({3000, 9000})), 1e-9);
    EXPECT_TRUE(s.mirrored);
    EXPECT_NEAR(s.rotation_deg, 30.0, 0.1);
    EXPECT_EQ(s.redundancy, type == ctCross ? 0 : 2);
  }
}

TEST(SolveIntOr, PlacesDigitalOriginsOnTheSensorsCentreAndCorners) {
  TSample d = Sample(ctDigital);  // 4000 × 3000 pixels of 5 µm
  struct {
    TDigitalCameraOrigin origin;
    P at;  // in sensor pixel coordinates
  } const origins[] = {
      {dcoCenter, {1999.5, 1499.5}}, {dcoLowerLeft, {-0.5, 2999.5}}, {dcoUpperLeft, {-0.5, -0.5}}};
  const P sensor[] = {{0, 0}, {3999, 0}, {3999, 2999}, {0, 2999}};  // clockwise from top left
  for (const auto& o : origins) {
    SCOPED_TRACE(o.origin);
    d.camera.digital_camera_origin = o.origin;
    d.meas.rotation = cr0;
    const TLxIntOrSolution upright = SolveIntOrE(d.camera, d.meas);
    EXPECT_LT(Distance(upright.pix_to_cam.Apply(o.at), {}), 1e-12);
    EXPECT_LT(Distance(upright.pix_to_cam.Apply(o.at + P{1, 1}), {0.005, -0.005}), 1e-12);
    // Turned left by one, two, three quarters, the image's top-left pixel is
    // the sensor's top-right, bottom-right, bottom-left one, and so on round.
    for (int quarters = 1; quarters <= 3; ++quarters) {
      d.meas.rotation = TCamRotate{cr0 + quarters};
      const TLxIntOrSolution turned = SolveIntOrE(d.camera, d.meas);
      const double w = quarters == 2 ? 3999 : 2999, h = quarters == 2 ? 2999 : 3999;
      const P image[] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
      for (int k = 0; k < 4; ++k)
        EXPECT_LT(Distance(turned.pix_to_cam.Apply(image[k]),
                           upright.pix_to_cam.Apply(sensor[(k + quarters) % 4])),
                  1e-12);
      EXPECT_NEAR(std::remainder(turned.rotation_deg - 90.0 * quarters, 360.0), 0.0, 1e-9);
      EXPECT_FALSE(turned.mirrored);
    }
  }
}

TEST(WriteIntOrResiduals, FillsTheSolvedMarksAndClearsTheOthers) {
  std::mt19937_64 rng(5);
  TSample s = Sample(ctFiducials);
  s.meas = Measured(s.camera, Upright(), ttAffine, &rng, 0.2);
  const TLxIntOrSolution solution = SolveIntOrE(s.camera, s.meas);
  s.meas.points.push_back({42, {1, 1}, {5, 5}});
  WriteIntOrResiduals(solution, &s.meas);
  for (std::size_t i = 0; i < solution.marks.size(); ++i)
    EXPECT_EQ(s.meas.points[i].residuals_pix, solution.marks[i].residual_pix);
  EXPECT_EQ(s.meas.points.back().residuals_pix, P{});
  EXPECT_THROW(WriteIntOrResiduals(solution, nullptr), std::invalid_argument);
}
