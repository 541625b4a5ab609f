#pragma once

// Point and batch paths of the series kernels, each built for several
// instruction sets (Variants.h). Both fuse exactly where the processor has
// FMA, so a model's point and batch paths always run the same arithmetic
// (see MulAdd).

#include <cstddef>

#include "SeriesKernel.h"

namespace lxcu::internal {

// F (or F⁻¹ when `inverse`) of n points, and of one point, in the shape of
// the kernel's terms (see WithShape).
void SeriesPoints(const SeriesKernel& k, bool inverse, const Vec2* in, Vec2* out, std::size_t n);
Vec2 SeriesPoint(const SeriesKernel& k, bool inverse, const Vec2& p);
void MixedPoints(const MixedKernel& k, bool inverse, const Vec2* in, Vec2* out, std::size_t n);
Vec2 MixedPoint(const MixedKernel& k, bool inverse, const Vec2& p);

}  // namespace lxcu::internal
