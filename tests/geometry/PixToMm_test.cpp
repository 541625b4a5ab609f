#include <LxCameraUtils/CameraGeometry.h>
#include <LxCameraUtils/IntOrSolution.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using P = vec_t_<double, 2>;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double Distance(const P& a, const P& b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

TLxIntOrSolution SolutionOf(const TPlaneTransform& pix_to_cam) {
  TLxIntOrSolution s;
  s.pix_to_cam = pix_to_cam;
  s.cam_to_pix = pix_to_cam.Inverse();
  return s;
}

// Scans of a 230 mm frame at 14 µm: upright, and mirrored, turned and tilted.
const TPlaneTransform kUpright = {0.014, 0.0, -115.0, 0.0, -0.014, 115.0, 0.0, 0.0};
const TPlaneTransform kTilted = {-0.01399, 0.0004, 113.0, 0.0003, 0.01401, -117.0, 6e-8, -4e-8};

// Cameras with the principal point off the frame centre and each kind of
// distortion, up to about 1 mm at the corners.
std::vector<TLxCameraInfo> Cameras() {
  std::vector<TLxCameraInfo> cameras;
  TLxCameraInfo c;
  c.focus = 153.0;
  c.principal_point = {-0.009, 0.002};
  c.distortion.symmetry_point = {0.01, -0.02};
  cameras.push_back(c);  // dtNone
  c.distortion.type = dtFormula;
  c.distortion.k1 = -2.2e-8, c.distortion.k2 = -4e-13, c.distortion.p1 = 1e-6;
  c.distortion.a2 = 2e-5;
  cameras.push_back(c);
  c.distortion.direction = TLxCameraDistortion::dirMmToCam;
  cameras.push_back(c);
  c.distortion.type = dtRadial;
  c.distortion.direction = TLxCameraDistortion::dirCamToMm;
  for (double r = 20.0; r <= 160.0; r += 20.0)
    c.distortion.table_r.push_back({r, -2.2e-8 * r * r * r});
  cameras.push_back(c);
  c.principal_point = {};
  cameras.push_back(c);
  return cameras;
}

std::vector<P> Grid(double step) {
  std::vector<P> points;
  for (double x = 0.0; x <= 16429.0; x += step)
    for (double y = 0.0; y <= 16429.0; y += step)
      points.push_back({x, y});
  return points;
}

}  // namespace

// Pixels to millimetres is the plane transform, then the camera's; back
// gives every pixel again.
TEST(PixToMmTransform, IsThePlaneThenTheCameraTransformAndItsInverseTakesPixelsBack) {
  for (const TLxCameraInfo& camera : Cameras())
    for (const TPlaneTransform& scan : {kUpright, kTilted}) {
      SCOPED_TRACE(testing::Message() << "distortion " << camera.distortion.type << ", pp "
                                      << camera.principal_point.x);
      const TLxIntOrSolution solution = SolutionOf(scan);
      const auto forward = CreatePixToMmTransform(camera, solution);
      const auto inverse = CreateMmToPixTransform(camera, solution);
      const auto cam_to_mm = CreateCamToMmTransform(camera);
      const std::vector<P> pixels = Grid(173.0);  // 9025 points, several blocks
      std::vector<P> mm(pixels.size());
      forward->TransformPoints(pixels.data(), mm.data(), mm.size());
      std::vector<P> back = mm;
      TCombinedTransform copy;  // holds a clone
      copy.AddTransform(*inverse);
      copy.TransformPoints(back.data(), back.data(), back.size());  // in place
      double worst = 0.0;
      for (std::size_t i = 0; i < pixels.size(); ++i) {
        worst = std::max(worst, Distance(back[i], pixels[i]));
        if (i % 97 == 0) {
          EXPECT_LT(Distance(mm[i], cam_to_mm->TransformPoint(scan.Apply(pixels[i]))), 1e-12);
          // Point and batch paths agree as the models' own do.
          EXPECT_LT(Distance(forward->TransformPoint(pixels[i]), mm[i]), 1e-12);
          EXPECT_LT(Distance(inverse->TransformPoint(mm[i]), back[i]), 1e-9);
        }
      }
      EXPECT_LE(worst, 1e-9);
    }
}

TEST(MmToPixTransform, GivesNaNWhereTheDistortionFoldsOrTheInputIsNoNumber) {
  TLxCameraInfo camera = Cameras()[0];
  // Radii r + dr(r) rise to 39 mm at r = 40 mm, fall back to 30 mm and stay
  // there: nothing lands further out.
  camera.distortion.type = dtRadial;
  camera.distortion.table_r = {{40.0, -1.0}, {60.0, -30.0}, {80.0, -50.0}};
  const auto inverse = CreateMmToPixTransform(camera, SolutionOf(kUpright));
  for (const P mm :
       {P{45.0, 0.0}, P{0.0, -60.0}, P{300.0, 300.0}, P{kNaN, 1.0}, P{1.0, INFINITY}}) {
    const P pix = inverse->TransformPoint(mm);
    EXPECT_TRUE(std::isnan(pix.x) && std::isnan(pix.y)) << mm.x << ", " << mm.y;
  }
  const P inside = inverse->TransformPoint({20.0, 10.0});
  EXPECT_FALSE(std::isnan(inside.x));
  const auto forward = CreatePixToMmTransform(camera, SolutionOf(kUpright));
  EXPECT_LT(Distance(forward->TransformPoint(inside), {20.0, 10.0}), 1e-12);
}

// One 6000 × 4000 sensor of 4.6 µm pixels, described about each origin (the
// principal and symmetry points moving with it), in each of the four turns.
TEST(DigitalOrigins, AgreeOnTheSamePhysicalPointWhicheverWayTheImageIsTurned) {
  TLxCameraInfo centre;
  centre.type = ctDigital;
  centre.pixel_size = {0.0046, 0.0046};
  centre.sensor_dims = {6000, 4000};
  centre.principal_point = {0.011, -0.006};
  centre.distortion.type = dtFormula;
  centre.distortion.symmetry_point = {0.02, 0.01};
  centre.distortion.k1 = -3.2e-5, centre.distortion.p2 = 2e-6;
  const P half = {3000 * 0.0046, 2000 * 0.0046};  // the centre from the corners
  TLxCameraInfo lower_left = centre, upper_left = centre;
  lower_left.digital_camera_origin = dcoLowerLeft;
  upper_left.digital_camera_origin = dcoUpperLeft;
  for (TLxCameraInfo* c : {&lower_left, &upper_left}) {
    const P shift = c == &lower_left ? half : P{half.x, -half.y};
    c->principal_point = c->principal_point + shift;
    c->distortion.symmetry_point = c->distortion.symmetry_point + shift;
  }
  TLxIntOrMeas meas;
  meas.camera_type = ctDigital, meas.rotation = cr0;
  const auto upright = CreatePixToMmTransform(centre, SolveIntOrE(centre, meas));
  // The sensor's centre lies between its middle pixels, its top-left pixel up left.
  const auto cam_to_mm = CreateCamToMmTransform(centre);
  EXPECT_LT(Distance(upright->TransformPoint({2999.5, 1999.5}), cam_to_mm->TransformPoint({})),
            1e-12);
  EXPECT_LT(Distance(upright->TransformPoint({0, 0}),
                     cam_to_mm->TransformPoint({-2999.5 * 0.0046, 1999.5 * 0.0046})),
            1e-12);
  const P corners[] = {{0, 0}, {5999, 0}, {5999, 3999}, {0, 3999}};  // clockwise from top left
  for (int quarters = 0; quarters < 4; ++quarters) {
    meas.rotation = TCamRotate{cr0 + quarters};
    const auto reference = CreatePixToMmTransform(centre, SolveIntOrE(centre, meas));
    for (const TLxCameraInfo* c : {&lower_left, &upper_left}) {
      const auto t = CreatePixToMmTransform(*c, SolveIntOrE(*c, meas));
      for (double x = -0.5; x <= 6000; x += 250)
        for (double y = -0.5; y <= 6000; y += 250)
          EXPECT_LT(Distance(t->TransformPoint({x, y}), reference->TransformPoint({x, y})), 1e-12)
              << quarters << " quarters, at " << x << ", " << y;
    }
    // Turned left, the image's top-left pixel is the sensor's top-right one
    // (a quarter), bottom-right one (a half), and so on round.
    const double w = quarters % 2 == 1 ? 3999 : 5999, h = quarters % 2 == 1 ? 5999 : 3999;
    const P image[] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    for (int k = 0; k < 4; ++k)
      EXPECT_LT(Distance(reference->TransformPoint(image[k]),
                         upright->TransformPoint(corners[(k + quarters) % 4])),
                1e-12);
  }
}
