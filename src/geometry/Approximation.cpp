#include <LxCameraUtils/CameraGeometry.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <utility>
#include <vector>

#include "camera/DistortionTerms.h"
#include "geometry/GeometryInternal.h"

namespace lxcu::internal {

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

TApproximation Refused(const char* reason) {
  TApproximation a;
  a.refusal = reason;
  return a;
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

using TMixedFlat = TFlat<TMixed>;

std::size_t MixedIndex(const TFormulaTerm& term) {
  return FlatIndex<TMixed>(term.mixed_key);
}

// The exact conversions between the formula and mixed types: each term is
// copied to its counterpart (kFormulaTerms), and a term the target cannot
// carry must be zero. False when one is not.
bool ConvertExactly(const Distortion& s, TDistortionType type, Distortion& out) {
  if (s.type == type) {
    if (type == dtFormula)
      for (const TFormulaTerm& term : kFormulaTerms)
        if (!term.exact_in_formula && s.*term.field != 0.0) return false;
    out = s;
    return true;
  }
  if (s.type == dtFormula) {
    TMixedFlat mixed{};
    for (const TFormulaTerm& term : kFormulaTerms) {
      if (term.mixed_key != nullptr)
        mixed[MixedIndex(term)] = s.*term.field;
      else if (s.*term.field != 0.0)
        return false;
    }
    out = s;
    out.type = dtMixed;
    out.mixed_coeffs = FromFlat<TMixed>(mixed);
    return true;
  }
  const TMixedFlat mixed = Flat(s.mixed_coeffs);
  std::array<bool, std::tuple_size_v<TMixedFlat>> carried{};
  std::array<double, std::size(kFormulaTerms)> formula{};
  for (std::size_t i = 0; i < formula.size(); ++i) {
    const TFormulaTerm& term = kFormulaTerms[i];
    if (term.mixed_key == nullptr || !term.exact_in_formula) continue;
    carried[MixedIndex(term)] = true;
    formula[i] = mixed[MixedIndex(term)];
  }
  for (std::size_t i = 0; i < mixed.size(); ++i)
    if (!carried[i] && mixed[i] != 0.0) return false;
  out = s;
  out.type = dtFormula;
  for (std::size_t i = 0; i < formula.size(); ++i)
    out.*kFormulaTerms[i].field = formula[i];
  return true;
}

// A table type fits up to its last row's radius (the larger of the two for
// dtDirected8). The refusal, or null.
const char* TableRadius(const Distortion& s, double& radius) {
  const bool plus = s.type == dtDirected4Plus || s.type == dtDirected8;
  const bool x = s.type == dtDirected4X || s.type == dtDirected8;
  if ((s.type == dtRadial && s.table_r.empty()) || (plus && s.table_plus.empty()) ||
      (x && s.table_x.empty()))
    return "the distortion table is empty";
  radius = s.type == dtRadial ? s.table_r.back().r
           : plus && x        ? std::max(s.table_plus.back().r, s.table_x.back().r)
           : plus             ? s.table_plus.back().r
                              : s.table_x.back().r;
  return radius <= 0.0 ? "the last radius of the distortion table is not above 0" : nullptr;
}

// Why a formula or mixed source is fitted rather than copied.
const char* WhyNotCopied(const Distortion& s, const vec_t_<double, 2>& centre) {
  if (s.direction != Distortion::dirCamToMm) return "the source describes the mm-to-camera way";
  if (centre.x != 0.0 || centre.y != 0.0)
    return "the source's symmetry point is not the principal point";
  return "the source has terms the target type cannot carry";
}

// The radial fit up to `radius`, its deviation not yet measured.
TApproximation Fit(const TLx2DTransform& transform, TDistortionType type,
                   const TLxCameraInfo& camera, double radius) {
  if (!std::isfinite(radius)) return Refused("the fit radius is not a finite number");
  if (radius < 0.0) return Refused("the fit radius is below 0");
  const double step = radius / kRadii;
  if (step == 0.0) return Refused("the fit radius is 0");

  TApproximation a;
  a.radius_mm = radius;
  a.reason = "fitted to the transform given";
  Distortion& result = a.distortion;
  result.type = type;
  result.direction = Distortion::dirCamToMm;
  result.symmetry_point = camera.principal_point;

  double k1 = 0.0, k2 = 0.0, k3 = 0.0;
  if (!FitRadialPolynomial(transform, step, kRadii, SamplingAngles(), k1, k2, k3))
    return Refused("the fit is singular");
  if (type == dtFormula) {
    result.k1 = k1, result.k2 = k2, result.k3 = k3;
  } else if (type == dtMixed) {
    result.mixed_coeffs.K = {k1, k2, k3};
  } else {
    return Refused("only the formula and mixed types can be fitted");
  }
  return a;
}

void MeasureDeviation(const TLx2DTransform& transform, const TLxCameraInfo& camera,
                      TApproximation& a) {
  const auto fitted = CreateCameraDistortionTransform(
      a.distortion, a.distortion.symmetry_point - camera.principal_point, camera.focus);
  a.max_error_mm = MaxDeviation(transform, *fitted, a.radius_mm / kRadii, SamplingAngles());
}

}  // namespace

TApproximation ApproxFromTransform(const TLx2DTransform& transform, TDistortionType type,
                                   const TLxCameraInfo& camera, double radius, bool with_error) {
  TApproximation a = Fit(transform, type, camera, radius);
  if (a.refusal == nullptr && with_error) MeasureDeviation(transform, camera, a);
  return a;
}

TApproximation ApproxFromCamera(TDistortionType type, const TLxCameraInfo& camera, double radius,
                                bool with_error, const TApproxOptions& options) {
  if (type != dtFormula && type != dtMixed)
    return Refused("only the formula and mixed types can be made");
  if (!std::isfinite(radius)) return Refused("the radius is not a finite number");
  const Distortion& s = camera.distortion;
  const vec_t_<double, 2> c = s.symmetry_point - camera.principal_point;
  double fit_radius = 0.0;
  const char* reason = "a table is fitted up to its last radius";
  switch (s.type) {
    case dtFormula:
    case dtMixed:
      if (s.direction == Distortion::dirCamToMm && c.x == 0.0 && c.y == 0.0) {
        TApproximation a;
        if (ConvertExactly(s, type, a.distortion)) {
          a.copied = true;
          a.reason = "the target type carries every term of the source";
          return a;
        }
      }
      reason = WhyNotCopied(s, c);
      if (options.radius_as_given && !(radius > 0.0))
        return Refused("the fit radius is not a positive finite number");
      fit_radius = options.radius_as_given ? radius
                   : radius <= 0.0         ? camera.focus * 0.5
                   : radius > camera.focus ? camera.focus
                                           : radius;
      break;
    case dtRadial:
    case dtDirected4Plus:
    case dtDirected4X:
    case dtDirected8:
      if (const char* refusal = TableRadius(s, fit_radius)) return Refused(refusal);
      break;
    case dtNone:
      return Refused("the camera has no distortion");
    case dtPolynomial:
      return Refused("polynomial distortion is not converted");
    default:
      return Refused("the distortion type is unknown");
  }
  const auto t = CreateCameraDistortionTransform(s, c, camera.focus);
  if (!t) return Refused("the distortion has no transform");
  TApproximation a = Fit(*t, type, camera, fit_radius);
  if (a.refusal != nullptr) return a;
  a.reason = reason;
  if (options.carry_decentring) a.decentring_carried = CarryDecentring(s, c, a.distortion);
  a.recentred = c.x != 0.0 || c.y != 0.0;
  a.not_carried = NotCarried(s, a.decentring_carried);
  if (with_error) MeasureDeviation(*t, camera, a);
  return a;
}

}  // namespace lxcu::internal

namespace {

void RequireRecord(const TLxCameraDistortion* distortion) {
  if (distortion == nullptr)
    throw std::invalid_argument("ApproxCameraDistortion(): distortion must point to a record");
}

// On success the result goes to the caller's record and, when asked for, the
// deviation to `max_error`; a refusal writes nothing.
bool Deliver(lxcu::internal::TApproximation a, TLxCameraDistortion* distortion, double* max_error) {
  if (a.refusal != nullptr) return false;
  *distortion = std::move(a.distortion);
  if (max_error != nullptr) *max_error = a.max_error_mm;
  return true;
}

}  // namespace

bool ApproxCameraDistortion(const TLx2DTransform& transform, TDistortionType type,
                            TLxCameraDistortion* distortion, const TLxCameraInfo& camera,
                            double radius, double* max_error) {
  RequireRecord(distortion);
  return Deliver(
      lxcu::internal::ApproxFromTransform(transform, type, camera, radius, max_error != nullptr),
      distortion, max_error);
}

bool ApproxCameraDistortion(TDistortionType type, TLxCameraDistortion* distortion,
                            const TLxCameraInfo& camera, double radius, double* max_error) {
  RequireRecord(distortion);
  return Deliver(lxcu::internal::ApproxFromCamera(type, camera, radius, max_error != nullptr),
                 distortion, max_error);
}
