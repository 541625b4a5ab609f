#pragma once

// Point and batch paths of the table kernels, each built for several
// instruction sets (Variants.h). Neither fuses, so both run the same
// arithmetic in every set.

#include <cstddef>

#include "TableKernel.h"

namespace lxcu::internal {

// F (or F⁻¹ when `inverse`) of n points, and of one point. `in` may equal `out`.
void TablePoints(const TableKernel& k, bool inverse, const Vec2* in, Vec2* out, std::size_t n);
Vec2 TablePoint(const TableKernel& k, bool inverse, const Vec2& p);

// Forgets the versions chosen so far (see AllowVariantsFrom).
void ResetTableVariants();

}  // namespace lxcu::internal
