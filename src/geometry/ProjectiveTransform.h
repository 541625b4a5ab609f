#pragma once

#include <LxCameraUtils/IntOrSolution.h>
#include <LxStd/Transform2D.h>

#include <memory>

namespace lxcu::internal {

// A plane transform with a denominator as a transform object; the point and
// batch paths give the same bits.
class TProjectiveTransform final : public TLx2DTransform {
 public:
  explicit TProjectiveTransform(const TPlaneTransform& t) : t_(t) {}

  vec_t_<double, 2> TransformPoint(const vec_t_<double, 2>& p) const override;
  void TransformPoints(const vec_t_<double, 2>* in, vec_t_<double, 2>* out,
                       std::size_t n) const override;
  std::unique_ptr<TLx2DTransform> Clone() const override;

 private:
  TPlaneTransform t_;
};

}  // namespace lxcu::internal
