#pragma once

// Interior orientation solved: the plane transform from an image's pixels to
// camera millimetres, judged by its residuals, and the transforms from pixels
// to distortion-corrected millimetres about the principal point and back.
//
// Frames. Pixel frame of an image: x = column, y = row (downwards), the centre
// of the top-left pixel at (0, 0), so that pixel (c, r) covers
// [c − ½, c + ½] × [r − ½, r + ½]. Camera frame: millimetres, y up, the frame of
// TFiducial::coords_cam and TLxCameraInfo::principal_point. docs/
// interior-orientation.md gives each camera type's solution, the origins of
// digital cameras and the numbering of cross marks.

#include <cstdint>
#include <string>
#include <vector>

#include <LxCameraUtils/CameraEnums.h>
#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/Export.h>
#include <LxCameraUtils/IntOrMeas.h>
#include <LxCameraUtils/TransformHolder.h>
#include <LxStd/Transform2D.h>
#include <LxStd/Vec.h>

// A plane projective map:
//   x' = (a0·x + a1·y + a2) / w,   y' = (a3·x + a4·y + a5) / w,   w = c0·x + c1·y + 1.
// With c0 = c1 = 0 it is the affine map of TAffineTransform with the same a0–a5.
struct TPlaneTransform {
  double a0 = 1.0, a1 = 0.0, a2 = 0.0;
  double a3 = 0.0, a4 = 1.0, a5 = 0.0;
  double c0 = 0.0, c1 = 0.0;

  constexpr bool IsAffine() const noexcept { return c0 == 0.0 && c1 == 0.0; }

  // The image of `p`; infinite or NaN where w is 0.
  constexpr vec_t_<double, 2> Apply(const vec_t_<double, 2>& p) const noexcept {
    const double x = a0 * p.x + a1 * p.y + a2;
    const double y = a3 * p.x + a4 * p.y + a5;
    if (IsAffine()) return {x, y};
    const double w = c0 * p.x + c1 * p.y + 1.0;
    return {x / w, y / w};
  }

  // The affine map touching this one at `p`: the same image there and the
  // same first derivatives (its a0, a1, a3, a4 are the Jacobian at `p`).
  constexpr TPlaneTransform TangentAt(const vec_t_<double, 2>& p) const noexcept {
    const vec_t_<double, 2> q = Apply(p);
    const double w = c0 * p.x + c1 * p.y + 1.0;
    const double j00 = (a0 - q.x * c0) / w, j01 = (a1 - q.x * c1) / w;
    const double j10 = (a3 - q.y * c0) / w, j11 = (a4 - q.y * c1) / w;
    return {j00, j01, q.x - (j00 * p.x + j01 * p.y), j10, j11, q.y - (j10 * p.x + j11 * p.y),
            0.0, 0.0};
  }

  // The inverse map (its adjugate scaled to a constant denominator term of 1),
  // exact up to rounding. Coefficients become infinite or NaN when the map is
  // singular or its inverse sends (0, 0) to infinity (a0·a4 = a1·a3).
  constexpr TPlaneTransform Inverse() const noexcept {
    const double m = a0 * a4 - a1 * a3;
    return {(a4 - a5 * c1) / m,      (a2 * c1 - a1) / m,     (a1 * a5 - a2 * a4) / m,
            (a5 * c0 - a3) / m,      (a0 - a2 * c0) / m,     (a2 * a3 - a0 * a5) / m,
            (a3 * c1 - a4 * c0) / m, (a1 * c0 - a0 * c1) / m};
  }

  friend constexpr bool operator==(const TPlaneTransform&, const TPlaneTransform&) = default;
};

// One measured mark of a solution.
struct TIntOrMark {
  std::int32_t index = 0;          // TMeasPoint::index
  vec_t_<double, 2> coords_pix;    // measured position, px
  vec_t_<double, 2> coords_cam;    // where the solution puts the mark in the camera frame, mm
  vec_t_<double, 2> residual_pix;  // cam_to_pix(coords_cam) − coords_pix, px
  vec_t_<double, 2> residual_um;   // coords_cam − pix_to_cam(coords_pix), camera axes, µm
};

// The interior orientation of one image.
struct TLxIntOrSolution {
  TCameraType camera_type = TCameraType{0};
  // The kind of plane transform: as asked for fiducial and calibrated-cross
  // cameras, ttAffine for the others (built, not fitted).
  TTransformType transform_type = ttAffine;
  TPlaneTransform pix_to_cam;     // pixel → camera mm
  TPlaneTransform cam_to_pix;     // its inverse
  std::vector<TIntOrMark> marks;  // in the measurement's list order; none for digital cameras
  // Over the marks' residual vectors: the root of their mean squared length,
  // and the longest. 0 where nothing is fitted.
  double rms_px = 0.0, rms_um = 0.0;
  double max_residual_px = 0.0, max_residual_um = 0.0;
  int redundancy = 0;  // coordinates measured − unknowns; 0 where nothing is fitted
  // pix_to_cam's local behaviour (at the marks' centroid for a projective map):
  vec_t_<double, 2> scale_um_per_px;  // camera length of one pixel step along x, along y
  vec_t_<double, 2> scale_dpi;        // the same as a resolution, 25.4 mm / scale
  double rotation_deg = 0.0;          // the camera's +x axis in the image shown upright (rows up),
                                      // counter-clockwise from the image's +x axis
  double shear_deg = 0.0;             // how far the angle between the images of the pixel axes
                                      // falls short of 90°
  bool mirrored = false;  // pixel → camera reverses orientation, rows taken as downwards
  std::vector<std::string> warnings;  // English sentences
};

// Solves the interior orientation of the image measured in `meas`, taken with
// `camera`:
// - ctFiducials: least squares over the marks, each matched by index to the
//   camera's fiducial, for the meas.transform_type transform (similarity 4,
//   affine 6, projective 8 unknowns), minimising the residuals in the camera
//   frame. Refused: fewer coordinates than unknowns; a mark that names no
//   fiducial, is measured twice or is not finite; two marks less than 1 px
//   apart; marks too close to collinear for the transform (normal equations of
//   reciprocal condition below 1e-8 once centred and scaled); a singular fit.
//   Warned: an exactly determined fit; a mark whose residual exceeds 3 times
//   the others' RMS and whose removal would more than halve the RMS.
// - ctCalibratedCross: the same fit to the four cross marks 1 to 4 at
//   (length_x/2, 0), (0, length_y/2), (−length_x/2, 0), (0, −length_y/2).
// - ctCross: the cross marks 1–4 as above fix the origin (where the lines 1–3
//   and 2–4 cross) and the axes; the scale comes from the scan resolution.
// - ctPrincipalPoint: the one mark is the principal point; rotation and scan
//   resolution give the rest.
// - ctDigital: from the camera's pixel size, sensor and origin and the
//   measurement's rotation; no marks.
// Scan resolutions in ruDpi give pixels of 25.4 / dpi mm, in ruMm of that many mm.
// On success fills `*solution` and returns true. Otherwise returns false,
// leaves `*solution` alone and puts the reason, naming the mark or field, into
// `*message` (when not null). A failed solution is never partial. Throws only
// std::bad_alloc, and std::invalid_argument when `solution` is null.
LXCAMERAUTILS_API bool SolveIntOr(const TLxCameraInfo& camera, const TLxIntOrMeas& meas,
                                  TLxIntOrSolution* solution, std::string* message);

// As SolveIntOr, but returns the solution and throws std::runtime_error with
// the reason when there is none.
LXCAMERAUTILS_API TLxIntOrSolution SolveIntOrE(const TLxCameraInfo& camera,
                                               const TLxIntOrMeas& meas);

// Sets residuals_pix of every point of `meas` whose index has a mark in
// `solution` to that mark's residual_pix, and of every other point to (0, 0).
// Throws std::invalid_argument when `meas` is null.
LXCAMERAUTILS_API void WriteIntOrResiduals(const TLxIntOrSolution& solution, TLxIntOrMeas* meas);

// The image's map from pixels to millimetres about the principal point,
// corrected for lens distortion: CreateCamToMmTransform(camera) after
// solution.pix_to_cam. Never empty; only allocation failure throws.
LXCAMERAUTILS_API var_a_legacy::var_a<TLx2DTransform*> CreatePixToMmTransform(
    const TLxCameraInfo& camera, const TLxIntOrSolution& solution);

// Its inverse, from millimetres about the principal point to pixels: a start
// from the camera's distortion taken the other way, then steps against the
// forward map until a step is at most 1e-10 px, which holds the pixel to
// 1e-9 px (images up to 10⁵ px a side). Where that fails within 8 steps
// (outside the region the distortion maps one to one, non-finite input),
// both coordinates are NaN. Never empty; only allocation failure throws.
LXCAMERAUTILS_API var_a_legacy::var_a<TLx2DTransform*> CreateMmToPixTransform(
    const TLxCameraInfo& camera, const TLxIntOrSolution& solution);
