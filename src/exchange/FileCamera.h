#pragma once

// A camera as the formats store it, between a file's text and a camera
// record: pixels with the origin at the image's top-left corner and y down,
// and the distortion in one of the two families the formats use.

#include <cstdint>
#include <string>
#include <vector>

#include <LxCameraUtils/CameraDistortion.h>

#include "Model.h"

namespace lxcu::internal {

// OpenCV's model on x = X/Z, y = Y/Z (y down), ideal → distorted, with the
// tangential terms in OpenCV's order (p2 multiplies r² + 2x² in x):
//   x″ = x·(1 + k1 r² + k2 r⁴ + k3 r⁶ + k_r8 r⁸) / (1 + k4 r² + k5 r⁴ + k6 r⁶)
//        + 2 p1 x y + p2 (r² + 2x²) + s1 r² + s2 r⁴,  y″ likewise,
// then the sensor tilt τx, τy. COLMAP, OpenSfM, Agisoft (k_r8 is its k4) and
// the tsai TSAI model are parts of it.
struct NormalizedTerms {
  double k1 = 0.0, k2 = 0.0, k3 = 0.0, k_r8 = 0.0;
  double k4 = 0.0, k5 = 0.0, k6 = 0.0;
  double p1 = 0.0, p2 = 0.0;
  double s1 = 0.0, s2 = 0.0, s3 = 0.0, s4 = 0.0;
  double tau_x = 0.0, tau_y = 0.0;

  // No rational, thin-prism or tilt term: the formula record holds it.
  bool Polynomial() const;
};

// The formula model written in pixels with y down, as MicMac and the tsai
// Photometrix and BrownConrady models store it (tsai lengths divided by the
// pitch). `formula` holds the terms, its symmetry point in pixels; the
// BrownConrady tangential part (P1 r² + P2 r⁴)·(−sin φ, cos φ), which the
// formula cannot hold, comes separately.
struct PixelFormula {
  TLxCameraDistortion formula;
  double bc_p1 = 0.0;   // px⁻¹
  double bc_p2 = 0.0;   // px⁻³
  double bc_phi = 0.0;  // radians
};

struct FileCamera {
  std::string id;     // the camera's name or key in the file
  std::string model;  // the format's model ("FULL_OPENCV")
  std::uint64_t width = 0;
  std::uint64_t height = 0;
  double pixel_mm = 0.0;  // pixel size the file states; 0: none
  double fx = 0.0;        // focal length, px
  double fy = 0.0;
  Point pp;           // principal point, px
  double skew = 0.0;  // px: u += skew · y″ (Agisoft b2, OpenCV K[0][1])
  bool normalized = true;
  NormalizedTerms terms;  // when normalized
  PixelFormula pixel;     // otherwise
  std::vector<std::string> conventions;
  std::vector<std::string> warnings;
};

// Settles the image size: the file's own (c.width, c.height, 0 when it has
// none), else the one in `options`; raises when neither gives one.
void ResolveImageSize(FileCamera& camera, const TExchangeImportOptions& options);

// What a format's documentation says of its pixel origin and tangential
// order, and where it says so (for the report). `order` toFormat: the model
// has no p1, p2.
struct FormatConventions {
  TPixelOrigin origin;
  const char* origin_source;
  TTangentialOrder order;
  const char* order_source;
};

// Applies the conventions chosen (or, for poFormat and toFormat, the
// format's) to a camera just read: the principal point (and a pixel
// formula's centre) moves to the corner origin, p1 and p2 into the order of
// the struct (OpenCV's in NormalizedTerms, photogrammetric in the pixel
// formula). Each step is noted in the camera's conventions, and a choice
// against the format's documentation in its warnings.
void ReadConventions(FileCamera& camera, const FormatConventions& format,
                     const TExchangeConventions& chosen);
// The reverse, on a camera about to be written.
void WriteConventions(FileCamera& camera, const FormatConventions& format,
                      const TExchangeConventions& chosen);

}  // namespace lxcu::internal
