#pragma once

// Lenses of file models that the formula record cannot hold term for term.
// Each is evaluated in the direction its format defines and inverted by
// Newton's method, so that a fit to it can be measured against the file.

#include <memory>

#include "FileCamera.h"
#include "Model.h"

namespace lxcu::internal {

// OpenCV's full model (ideal → distorted) for a camera of focal length
// `focus` (mm, the same along x and y after non-square pixels), with a skew
// after distortion of `skew_ratio` = skew / fx.
std::shared_ptr<const Lens> NormalizedLens(const NormalizedTerms& terms, double focus,
                                           double skew_ratio);

// The tsai BrownConrady model (distorted → corrected) about the principal
// point: radial k1 r² + k2 r⁴ + k3 r⁶ (mm⁻², mm⁻⁴, mm⁻⁶), tangential
// (p1 r² + p2 r⁴)·(−sin φ, cos φ) in image axes (y down), p1 in mm⁻¹, p2 in mm⁻³.
struct BrownConradyTerms {
  double k1 = 0.0, k2 = 0.0, k3 = 0.0;
  double p1 = 0.0, p2 = 0.0;
  double phi = 0.0;
};
std::shared_ptr<const Lens> BrownConradyLens(const BrownConradyTerms& terms);

}  // namespace lxcu::internal
