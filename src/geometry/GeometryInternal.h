#pragma once

// Internals of the geometry operations, shared between their sources and
// reached by the tests.

#include <LxCameraUtils/CameraDistortion.h>
#include <LxCameraUtils/CameraEnums.h>
#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/TransformHolder.h>
#include <LxStd/Transform2D.h>
#include <LxStd/Vec.h>

#include <array>
#include <numbers>
#include <string>
#include <vector>

namespace lxcu::internal {

inline constexpr double kPi = std::numbers::pi;

// Each product rounds to the double nearest the exact multiple of π.
inline constexpr std::array<double, 4> kPlusAngles = {0.0, kPi / 2, kPi, 3 * kPi / 2};
inline constexpr std::array<double, 4> kXAngles = {kPi / 4, 3 * kPi / 4, 5 * kPi / 4, 7 * kPi / 4};
inline constexpr std::array<double, 8> kEightAngles = {0.0, kPi / 4,     kPi / 2,     3 * kPi / 4,
                                                       kPi, 5 * kPi / 4, 3 * kPi / 2, 7 * kPi / 4};

// A directed row's dr[0..3] stand at π/2, 3π/2, π, 0 (plus) or π/4 later
// (x); these are the indices of dr in ascending angle.
inline constexpr std::array<int, 4> kDrByAngle = {3, 0, 2, 1};

// The dtDirected8 model: `table_plus` and `table_x` merged by radius into rows
// of eight values (ascending angle from 0), the directions a table has no row
// for at a radius interpolated along the radius (through the origin below its
// first row, along its last segment beyond it). When exactly one table is
// empty, each of its directions takes the mean of its two neighbouring
// directions of the other table, so the record behaves as the four-direction
// record of its non-empty table. Never empty; only allocation failure throws.
var_a_legacy::var_a<TLx2DTransform*> CreateDirected8Transform(const TLxCameraDistortion& distortion,
                                                              const vec_t_<double, 2>& center);

// Least-squares fit of d(r) = k1 r³ + k2 r⁵ + k3 r⁷ to the mean radial
// displacement (|T(r·u)| − r over the unit vectors of `angles`) of
// `transform` at r = step, 2·step, …, count·step (mm). False, leaving k1–k3
// as they were, when `step` is 0, `angles` is empty or the normal matrix is
// singular.
bool FitRadialPolynomial(const TLx2DTransform& transform, double step, unsigned count,
                         const std::vector<double>& angles, double& k1, double& k2, double& k3);

// What a fit or conversion of ApproxCameraDistortion did.
struct TApproximation {
  TLxCameraDistortion distortion;  // the result; meaningful only when not refused
  double max_error_mm = 0.0;       // largest deviation from the source, when asked for
  double radius_mm = 0.0;          // the radius fitted up to; 0 when copied
  bool copied = false;             // an exact conversion: coefficients copied, no fit
  const char* refusal = nullptr;   // why nothing was made; null on success
  const char* reason = nullptr;    // on success, why it was copied or fitted
  // Of a fit of a camera's distortion (ApproxFromCamera):
  bool decentring_carried = false;  // the source's non-zero decentring terms were kept
  bool recentred = false;           // the source's symmetry point was not the principal point
  // The source's terms that the result holds neither exactly nor through the
  // fitted radial terms: document keys ("a3", "p1"), or a phrase for the
  // direction-dependent part of a directed table.
  std::vector<std::string> not_carried;
};

// What ApproxFromCamera may do beyond ApproxCameraDistortion, for callers that
// tell a user what a conversion kept.
struct TApproxOptions {
  // Fit formula and mixed sources up to `radius` itself, which must then be
  // positive and finite; else radius ≤ 0 means focus/2 and a radius beyond the
  // focus the focus.
  bool radius_as_given = false;
  // A fit keeps the source's decentring (formula p1, p2; mixed P1, P2) where
  // the target's decentring term is the same: a CamToMm source about the
  // principal point, and for a formula source p3 = p4 = 0. The decentring
  // hardly moves the mean radial displacement, so the fit is unchanged.
  bool carry_decentring = false;
};

// The fit of ApproxCameraDistortion with a transform; the deviation is
// measured only `with_error`.
TApproximation ApproxFromTransform(const TLx2DTransform& transform, TDistortionType type,
                                   const TLxCameraInfo& camera, double radius, bool with_error);

// The conversion of camera.distortion of ApproxCameraDistortion without a
// transform: an exact copy, or the fit up to the radius the source allows.
TApproximation ApproxFromCamera(TDistortionType type, const TLxCameraInfo& camera, double radius,
                                bool with_error, const TApproxOptions& options = {});

// Puts the decentring of the source `s` (formula p1, p2; mixed P1, P2) into
// the fit `fitted` when it is the target's own term there (see
// TApproxOptions::carry_decentring) and not zero; `centre` is the source's
// symmetry point less the principal point. Whether it did.
bool CarryDecentring(const TLxCameraDistortion& s, const vec_t_<double, 2>& centre,
                     TLxCameraDistortion& fitted);

// The non-zero terms of `s` that a fit holds neither through its radial terms
// nor as carried decentring (see TApproximation::not_carried).
std::vector<std::string> NotCarried(const TLxCameraDistortion& s, bool decentring_carried);

}  // namespace lxcu::internal
