#pragma once

#include <memory>
#include <vector>

#include <LxMathEx/Export.h>
#include <LxMathEx/FormulaDistortion.h>
#include <LxStd/Transform2D.h>
#include <LxStd/Vec.h>

// Table models: the displacement is radial, Δ = (x̄, ȳ)/r · dr, with dr read
// from tables (mm). Directions and units: see <LxMathEx/FormulaDistortion.h>.
//
// Along a radius dr is piecewise linear through (0, 0) and the rows, extended
// along the last segment beyond the last row; a single row makes dr
// proportional to r. The rows are used ordered by radius, whatever order they
// are stored in (the accessors still give them as stored); of rows with equal
// radius the one stored last counts, and rows whose radius is not a finite
// number > 0 are left out. Without rows the model is the identity.
//
// One-to-one (OneToOneRadius()) where r + dr grows with r in every direction,
// that is up to the first segment whose slope is −1 or less in a direction;
// the displacement is radial, so each ray maps onto itself, and the inverse
// is exact (solved on the ray in closed form, to rounding) or NaN beyond.
//
// Cost: a point costs the same whatever the number of rows, their spacing
// and the order of the points (lookups through uniform cells built with the
// model). Construction is O(rows · directions + cells), cells ≤ 4097.

namespace lxcu::internal {
class TableKernel;
}  // namespace lxcu::internal

struct TRadialTableItem {
  double r = 0.0;   // radius, mm
  double dr = 0.0;  // radial displacement at r, mm (positive outwards)

  friend bool operator==(const TRadialTableItem&, const TRadialTableItem&) = default;
};

class LXMATHEX_API TRadialDistortion final : public TLx2DTransform {
 public:
  TRadialDistortion(const vec_t_<double, 2>& center, const std::vector<TRadialTableItem>& items,
                    bool mm_to_cam);

  vec_t_<double, 2> TransformPoint(const vec_t_<double, 2>& p) const override;
  void TransformPoints(const vec_t_<double, 2>* in, vec_t_<double, 2>* out,
                       std::size_t n) const override;
  std::unique_ptr<TLx2DTransform> Clone() const override;

  const vec_t_<double, 2>& Center() const { return center_; }
  bool MmToCam() const { return mm_to_cam_; }
  // The rows as given.
  const std::vector<TRadialTableItem>& Items() const { return items_; }
  // The radius (mm) about Center() within which F is one-to-one.
  double OneToOneRadius() const;

 private:
  vec_t_<double, 2> center_;
  std::vector<TRadialTableItem> items_;
  bool mm_to_cam_;
  std::shared_ptr<const lxcu::internal::TableKernel> kernel_;
};

struct TDirectedTableItem {
  double radius = 0.0;         // mm
  std::vector<double> values;  // dr at `radius` (mm), one per angle of TDirectedData::angles

  friend bool operator==(const TDirectedTableItem&, const TDirectedTableItem&) = default;
};

struct TDirectedData {
  vec_t_<double, 2> center;  // mm
  // Directions in radians from +x towards +y, in any order and range.
  std::vector<double> angles;
  std::vector<TDirectedTableItem> items;

  friend bool operator==(const TDirectedData&, const TDirectedData&) = default;
};

// dr is interpolated in r along each direction (rule above), then linearly in
// angle between the two neighbouring directions, cyclically; with one
// direction it does not depend on the angle. Directions that coincide modulo
// 2π count once, the one stored last. Directions within 1e-12 rad of even
// spacing count as evenly spaced (the weight between two of them then moves
// by at most 1e-12 rad over their spacing).
class LXMATHEX_API TDirectedDistortion final : public TLx2DTransform {
 public:
  // Throws std::invalid_argument when an angle is not finite or an item does
  // not hold one value per angle.
  TDirectedDistortion(const TDirectedData& data, bool mm_to_cam);

  vec_t_<double, 2> TransformPoint(const vec_t_<double, 2>& p) const override;
  void TransformPoints(const vec_t_<double, 2>* in, vec_t_<double, 2>* out,
                       std::size_t n) const override;
  std::unique_ptr<TLx2DTransform> Clone() const override;

  const vec_t_<double, 2>& Center() const { return data_.center; }
  bool MmToCam() const { return mm_to_cam_; }
  // Everything the model was built from, as given.
  const TDirectedData& Data() const { return data_; }
  // The radius (mm) about Center() within which F is one-to-one.
  double OneToOneRadius() const;

 private:
  TDirectedData data_;
  bool mm_to_cam_;
  std::shared_ptr<const lxcu::internal::TableKernel> kernel_;
};
