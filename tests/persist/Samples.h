#pragma once

// Records with every field set, so that fields a type does not store are
// visibly dropped on the way through a document.

#include <LxCameraUtils/CameraDistortion.h>
#include <LxCameraUtils/CameraInfo.h>
#include <LxCameraUtils/MarkTemplates.h>

#include <array>

#include "camera/DistortionTerms.h"

inline constexpr TCameraType kCameraTypes[] = {ctPrincipalPoint, ctCross, ctCalibratedCross,
                                               ctFiducials, ctDigital};
inline constexpr TDistortionType kDistortionTypes[] = {
    dtNone, dtDirected4Plus, dtFormula, dtRadial, dtDirected4X, dtDirected8, dtMixed, dtPolynomial};

inline TLxCameraDistortion FullDistortion(TDistortionType type) {
  TLxCameraDistortion d;
  d.type = type, d.direction = TLxCameraDistortion::dirMmToCam;
  for (std::size_t i = 0; i < 7; ++i) {
    const double n = static_cast<double>(i + 1);
    d.mixed_coeffs.a[i] = 1e-3 * n, d.mixed_coeffs.b[i] = -2e-4 * n, d.mixed_coeffs.c[i] = 3e-6 / n;
  }
  d.mixed_coeffs.K = {1e-5, -2e-9, 3e-13}, d.mixed_coeffs.P = {4e-7, -5e-7};
  d.polynomial_coeffs = {{0.0, 1e-4, -2e-6, 3e-8, -4e-10, 5e-12, -6e-14, 7e-16},
                         {1e-7, -2e-7, 3e-9, -4e-9}};
  d.table_r = {{0.0, 0.0}, {30.0, 0.0021}, {60.0, -0.0015}};
  d.table_plus = {{0.0, {0, 0, 0, 0}}, {50.0, {0.002, 0.0025, -0.001, 0.0015}}};
  d.table_x = {{70.0, {-0.003, 0.001, 0.0005, -0.002}}};
  d.symmetry_point = {0.0042, -0.0031};
  double term = -4.2e-6;
  for (const auto& t : lxcu::internal::kFormulaTerms)
    d.*t.field = term *= -0.37;
  return d;
}

inline TLxCameraInfo FullCamera(TCameraType type, TDistortionType distortion = dtRadial) {
  TLxCameraInfo c;
  c.name = "Survey camera \"A\"", c.calibration_date = "2019-04-23";
  c.description = "Calibrated in spring.\r\nSecond line\nthird line\rend";
  c.fiducial_template_id = "rc30-set-1", c.type = type, c.distortion = FullDistortion(distortion);
  c.focus = 153.124, c.principal_point = {-0.006, 0.011}, c.pixel_size = {0.012, 0.0125};
  c.length_x = 212.001, c.length_y = 211.998, c.sensor_dims = {7680, 13824};
  c.fiducials = {{1, {-106.002, -105.997}, 11}, {2, {106.001, 106.003}, 12}};
  c.digital_camera_origin = dcoUpperLeft;
  return c;
}

inline TCameraMarkTemplates FullTemplates() {
  TCameraMarkTemplates t;
  t.template_pixel_size_um = 12.5, t.default_scan_size_mm = {240.0, 240.0};
  t.mark_templates = {{1, {-106.0, -106.0}, "mark_corner.tif", {32, 32}, 5},
                      {2, {0.0, 113.0}, "mark_side.tif", {24, 40}, 0}};
  return t;
}
