#pragma once

// Transforms built from camera records, and the fitting, conversion and scaling
// of lens distortion. Lengths are millimetres; angles radians from +x to +y.

#include <LxCameraUtils/CameraDistortion.h>
#include <LxCameraUtils/CameraEnums.h>
#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/Export.h>
#include <LxCameraUtils/TransformHolder.h>
#include <LxStd/Transform2D.h>
#include <LxStd/Vec.h>

// The camera's map from camera coordinates (mm) to millimetres about the
// principal point, corrected for lens distortion: p ↦ D(p − principal_point),
// D the distortion of CreateCameraDistortionTransform centred at
// symmetry_point − principal_point, or the shift alone without distortion.
// Reads only `principal_point`, `focus` and `distortion`; validates nothing.
// The holder is never empty: a unity transform (no shift, no distortion), an
// affine shift, the distortion model itself (principal point (±0, ±0)) or a
// combined transform of shift then model. Only allocation failure throws.
LXCAMERAUTILS_API var_a_legacy::var_a<TLx2DTransform*> CreateCamToMmTransform(
    const TLxCameraInfo& camera);

// The inverse of CreateCamToMmTransform(camera), from millimetres about the
// principal point back to camera coordinates: q ↦ D⁻¹(q) + principal_point.
// D⁻¹ is the camera's distortion model taken the other way, so it is exact
// where D is: the model's formula where the record describes the mm-to-camera
// way, else its own inverse (Newton's method to 1e-12 mm, see
// <LxMathEx/FormulaDistortion.h>). Both coordinates are NaN where that
// inverse finds no point (outside the region the distortion maps one to one,
// non-finite input). Never empty: a unity transform, an affine shift, the
// reversed model or a combined transform of model then shift, with the batch
// TransformPoints of each. Reads what CreateCamToMmTransform reads; only
// allocation failure throws.
LXCAMERAUTILS_API var_a_legacy::var_a<TLx2DTransform*> CreateMmToCamTransform(
    const TLxCameraInfo& camera);

// The model of `distortion.type`, centred at `center` (mm, in the coordinates
// the model is applied in), mapping camera coordinates to mm whatever the
// record's `direction` (dirMmToCam sets the model's mm_to_cam flag). `focus`
// (mm) reaches only the mixed and polynomial models. Tables and coefficients
// are passed on unchanged, unsorted and unchecked. Empty holder for dtNone and
// any value outside the enumeration. Only allocation failure throws.
LXCAMERAUTILS_API var_a_legacy::var_a<TLx2DTransform*> CreateCameraDistortionTransform(
    const TLxCameraDistortion& distortion, const vec_t_<double, 2>& center, double focus);

// Fits the radial terms k1 r³ + k2 r⁵ + k3 r⁷ of a `type` record (dtFormula:
// k1–k3; dtMixed: mixed_coeffs.K) by least squares to the mean radial
// displacement of `transform` about its input origin, at 100 radii up to
// `radius` (mm) in 16 directions. On success `*distortion` becomes that record
// (direction dirCamToMm, symmetry_point = camera.principal_point, all else
// zero) and, unless `max_error` is null, `*max_error` the largest distance
// (mm) between `transform` and the fitted model over 101 radii 0..`radius` in
// the same directions. `camera` gives principal_point and focus.
// False, writing nothing: `radius` 0, below 0 or not a finite number, a
// singular fit, or a `type` other than dtFormula/dtMixed. Throws
// std::invalid_argument when `distortion` is null.
LXCAMERAUTILS_API bool ApproxCameraDistortion(const TLx2DTransform& transform, TDistortionType type,
                                              TLxCameraDistortion* distortion,
                                              const TLxCameraInfo& camera, double radius,
                                              double* max_error);

// Expresses camera.distortion as a `type` record (dtFormula or dtMixed).
// Formula and mixed sources in dirCamToMm centred at the principal point are
// copied exactly where the target expresses the same terms (`*max_error` 0);
// otherwise the source's transform is fitted as above, up to `radius` clamped
// to (0, focus] (focus/2 for radius ≤ 0) or, for table types, up to the
// table's last radius (both tables' larger one for dtDirected8).
// False, writing nothing: `type` not dtFormula/dtMixed; a `radius` that is
// not a finite number; a source of type dtNone, dtPolynomial or outside the
// enumeration; an empty table (either table for dtDirected8); a last table
// radius ≤ 0 or not finite; a failed fit. Throws std::invalid_argument when
// `distortion` is null.
LXCAMERAUTILS_API bool ApproxCameraDistortion(TDistortionType type, TLxCameraDistortion* distortion,
                                              const TLxCameraInfo& camera, double radius,
                                              double* max_error);

// Scales every distortion value of the record by `factor`, whatever its type:
// mixed and polynomial coefficients, k1–k5, p1, p2, b1, b2, a1, a2 and the
// table values dr. Radii, p3, p4 (relative factors), type, direction and
// symmetry point stay. Factor 1.0 leaves the record untouched. Throws
// std::invalid_argument when `distortion` is null.
LXCAMERAUTILS_API void ApplyDistortionMultiplier(TLxCameraDistortion* distortion, double factor);
