#pragma once

// Shared by the exchange tests: the sample files and record comparisons.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include <LxCameraUtils/Exchange.h>

#include "camera/DistortionTerms.h"

namespace lxtest {

inline std::string Sample(const std::string& path) {
  std::ifstream in(std::string(LX_INTEROP_DIR) + "/" + path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Equal to `relative` of the larger magnitude (absolute below 1e-300).
inline bool Near(double a, double b, double relative) {
  return std::abs(a - b) <= relative * std::max({std::abs(a), std::abs(b), 1e-300});
}

// Every value an exchange import fills, equal to `relative`.
inline void ExpectSameCamera(const TLxCameraInfo& a, const TLxCameraInfo& b,
                             double relative = 1e-12) {
  EXPECT_EQ(a.type, b.type);
  EXPECT_EQ(a.sensor_dims.x, b.sensor_dims.x);
  EXPECT_EQ(a.sensor_dims.y, b.sensor_dims.y);
  const TLxCameraDistortion& d = a.distortion;
  const TLxCameraDistortion& e = b.distortion;
  EXPECT_EQ(d.type, e.type);
  EXPECT_EQ(d.direction, e.direction);
  // Positions relative to the focal length: a centred point is 0 in one and
  // rounding noise in the other.
  const auto near_position = [&](double x, double y) {
    return std::abs(x - y) <= relative * std::max(1.0, a.focus);
  };
  const struct {
    const char* name;
    double x, y;
    bool position;
  } values[] = {{"focus", a.focus, b.focus, false},
                {"pp.x", a.principal_point.x, b.principal_point.x, true},
                {"pp.y", a.principal_point.y, b.principal_point.y, true},
                {"pixel.x", a.pixel_size.x, b.pixel_size.x, false},
                {"pixel.y", a.pixel_size.y, b.pixel_size.y, false},
                {"sym.x", d.symmetry_point.x, e.symmetry_point.x, true},
                {"sym.y", d.symmetry_point.y, e.symmetry_point.y, true}};
  for (const auto& v : values)
    EXPECT_TRUE(v.position ? near_position(v.x, v.y) : Near(v.x, v.y, relative))
        << v.name << ": " << v.x << " vs " << v.y;
  for (const lxcu::internal::TFormulaTerm& term : lxcu::internal::kFormulaTerms)
    EXPECT_TRUE(Near(d.*term.field, e.*term.field, relative))
        << term.key << ": " << d.*term.field << " vs " << e.*term.field;
}

// Options that read back what an export of `camera` wrote.
inline TExchangeImportOptions ReadBack(const TLxCameraInfo& camera,
                                       TExchangeConventions conventions = {}) {
  TExchangeImportOptions o;
  o.image_width = camera.sensor_dims.x;
  o.image_height = camera.sensor_dims.y;
  o.pixel_size_mm = camera.pixel_size.x == 1.0 ? 0.0 : camera.pixel_size.x;
  o.conventions = conventions;
  return o;
}

// Exports `camera` to `format` and imports the text back: the same camera
// where the export was exact (the same record, for a formula record), else the deviation the report
// gave, measured again by compare. Returns the export's report.
inline TExchangeReport ExpectRoundTrip(TExchangeFormat format, const TLxCameraInfo& camera,
                                       const TExchangeExportOptions& options = {}) {
  const TExchangeExport written = ExportCameraE(format, camera, options);
  const TExchangeImport back =
      ImportCameraE(format, written.text, ReadBack(camera, options.conventions));
  if (written.report.exact) {
    EXPECT_TRUE(back.report.exact);
    if (camera.distortion.type == dtFormula) ExpectSameCamera(camera, back.camera);
    EXPECT_LT(CompareCamerasE(TExchangeCamera(camera), back.source).max_px, 1e-9);
  } else {
    const TCameraComparison measured = CompareCamerasE(TExchangeCamera(camera), back.source);
    EXPECT_NEAR(measured.max_px, written.report.max_deviation_px, 1e-9);
    if (!std::isnan(measured.max_um)) {
      EXPECT_NEAR(measured.max_um, written.report.max_deviation_um, 1e-6);
    }
  }
  return written.report;
}

inline constexpr TExchangeFormat kAllFormats[] = {efOpenCv, efColmap, efAgisoft,
                                                  efMicMac, efTsai,   efOpenSfm};

}  // namespace lxtest
