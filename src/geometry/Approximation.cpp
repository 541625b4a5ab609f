#include <LxCameraUtils/CameraGeometry.h>
#include <LxMathEx/FormulaDistortion.h>
#include <LxMathEx/SeriesDistortion.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "geometry/GeometryInternal.h"

namespace {

using Distortion = TLxCameraDistortion;

constexpr unsigned kRadii = 100;  // fitted radii; the check adds radius 0
constexpr unsigned kAngles = 16;  // sampling directions

std::vector<double> SamplingAngles() {
  const double delta = 2 * std::numbers::pi / kAngles;
  std::vector<double> angles(kAngles);
  for (unsigned k = 0; k < kAngles; ++k)
    angles[k] = k * delta;
  return angles;
}

void RequireRecord(const Distortion* distortion) {
  if (distortion == nullptr)
    throw std::invalid_argument("ApproxCameraDistortion(): distortion must point to a record");
}

// The fitted record as a forward model about the input origin.
std::unique_ptr<TLx2DTransform> FittedModel(const Distortion& d, const TLxCameraInfo& camera) {
  const vec_t_<double, 2> center = d.symmetry_point - camera.principal_point;
  if (d.type == dtFormula)
    return std::make_unique<TFormulaDistortion>(center, d.k1, d.k2, d.k3, d.p1, d.p2, d.b1, d.b2,
                                                d.a1, d.a2, false);
  const auto& m = d.mixed_coeffs;
  constexpr double kNone = 0.0;
  return std::make_unique<TMixedDistortion>(center, camera.focus, m.a.data(), m.b.data(),
                                            m.c.data(), m.K.data(), m.P.data(), kNone, kNone, kNone,
                                            false);
}

// Largest distance between the two maps over radii 0..100·step; a NaN
// distance counts for nothing.
double MaxDeviation(const TLx2DTransform& a, const TLx2DTransform& b, double step,
                    const std::vector<double>& angles) {
  double worst = 0.0;
  for (unsigned i = 0; i <= kRadii; ++i) {
    const double r = i * step;
    for (double angle : angles) {
      const vec_t_<double, 2> p{r * std::cos(angle), r * std::sin(angle)};
      const vec_t_<double, 2> d = a.TransformPoint(p) - b.TransformPoint(p);
      const double e = std::hypot(d.x, d.y);
      if (e > worst) worst = e;
    }
  }
  return worst;
}

template <std::size_t N>
bool AllZero(const std::array<double, N>& v, std::size_t from = 0) {
  return std::all_of(v.begin() + from, v.end(), [](double x) { return x == 0.0; });
}

// Formula and mixed records that share their terms convert by copying; false
// when the target cannot carry every term of the source.
bool ConvertExactly(const Distortion& s, TDistortionType type, Distortion& out) {
  auto& m = out.mixed_coeffs;
  if (s.type == dtFormula && type == dtFormula) {
    if (s.a1 != 0.0 || s.a2 != 0.0) return false;
    out = s;
  } else if (s.type == dtFormula) {
    if (s.k4 != 0.0 || s.k5 != 0.0 || s.p3 != 0.0 || s.p4 != 0.0) return false;
    out = s;
    m.a = {}, m.b = {}, m.c = {};
    out.type = dtMixed;
    m.K = {s.k1, s.k2, s.k3};
    m.P = {s.p1, s.p2};
    m.a[0] = s.b1, m.a[1] = s.b2;
    m.b[0] = s.a1, m.b[1] = s.a2;
  } else if (type == dtFormula) {
    const auto& sm = s.mixed_coeffs;
    if (!AllZero(sm.a, 2) || !AllZero(sm.b) || !AllZero(sm.c)) return false;
    out = s;
    out.type = dtFormula;
    out.k1 = sm.K[0], out.k2 = sm.K[1], out.k3 = sm.K[2], out.k4 = out.k5 = 0.0;
    out.p1 = sm.P[0], out.p2 = sm.P[1], out.p3 = out.p4 = 0.0;
    out.b1 = sm.a[0], out.b2 = sm.a[1], out.a1 = out.a2 = 0.0;
  } else {
    out = s;
  }
  return true;
}

// A table type fits up to its last row's radius: false without rows or for a
// radius ≤ 0.
template <class Rows>
bool LastRadius(const Rows& rows, double& radius) {
  if (rows.empty()) return false;
  radius = rows.back().r;
  return !(radius <= 0.0);
}

}  // namespace

bool ApproxCameraDistortion(const TLx2DTransform& transform, TDistortionType type,
                            TLxCameraDistortion* distortion, const TLxCameraInfo& camera,
                            double radius, double* max_error) {
  RequireRecord(distortion);
  const double step = radius / kRadii;
  const std::vector<double> angles = SamplingAngles();

  Distortion result;
  result.type = type;
  result.direction = Distortion::dirCamToMm;
  result.symmetry_point = camera.principal_point;

  double k1 = 0.0, k2 = 0.0, k3 = 0.0;
  if (!FitRadialPolynomial(transform, step, kRadii, angles, k1, k2, k3)) return false;
  if (type == dtFormula) {
    result.k1 = k1, result.k2 = k2, result.k3 = k3;
  } else if (type == dtMixed) {
    result.mixed_coeffs.K = {k1, k2, k3};
  } else {
    return false;
  }

  double error = 0.0;
  if (max_error != nullptr)
    error = MaxDeviation(transform, *FittedModel(result, camera), step, angles);
  *distortion = std::move(result);
  if (max_error != nullptr) *max_error = error;
  return true;
}

bool ApproxCameraDistortion(TDistortionType type, TLxCameraDistortion* distortion,
                            const TLxCameraInfo& camera, double radius, double* max_error) {
  RequireRecord(distortion);
  if (type != dtFormula && type != dtMixed) return false;

  const Distortion& s = camera.distortion;
  const vec_t_<double, 2> c = s.symmetry_point - camera.principal_point;
  double fit_radius = 0.0;
  switch (s.type) {
    case dtFormula:
    case dtMixed:
      if (s.direction == Distortion::dirCamToMm && c.x == 0.0 && c.y == 0.0) {
        Distortion copy;
        if (ConvertExactly(s, type, copy)) {
          *distortion = std::move(copy);
          if (max_error != nullptr) *max_error = 0.0;
          return true;
        }
      }
      fit_radius = radius <= 0.0           ? camera.focus * 0.5
                   : radius > camera.focus ? camera.focus
                                           : radius;
      break;
    case dtRadial:
      if (!LastRadius(s.table_r, fit_radius)) return false;
      break;
    case dtDirected4Plus:
      if (!LastRadius(s.table_plus, fit_radius)) return false;
      break;
    case dtDirected4X:
      if (!LastRadius(s.table_x, fit_radius)) return false;
      break;
    case dtDirected8:
      if (s.table_plus.empty() || s.table_x.empty()) return false;
      fit_radius = std::max(s.table_plus.back().r, s.table_x.back().r);
      if (fit_radius <= 0.0) return false;
      break;
    case dtNone:
    case dtPolynomial:
    default:
      return false;
  }

  const auto t = CreateCameraDistortionTransform(s, c, camera.focus);
  if (!t) return false;
  return ApproxCameraDistortion(*t, type, distortion, camera, fit_radius, max_error);
}
