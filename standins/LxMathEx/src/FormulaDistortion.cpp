#include <LxMathEx/FormulaDistortion.h>

#include "SeriesBatch.h"

using lxcu::internal::SeriesKernel;

namespace {

std::shared_ptr<const SeriesKernel> MakeKernel(const TDistCoeff& c) {
  return std::make_shared<SeriesKernel>(lxcu::internal::SeriesCoefficients{
      .cx = c.center.x,
      .cy = c.center.y,
      .r = {0.0, c.k1, c.k2, c.k3, c.k4, c.k5},
      .p1 = c.p1,
      .p2 = c.p2,
      .t1 = c.p3,
      .t2 = c.p4,
      .bx1 = c.b1,
      .bx2 = c.b2,
      .by1 = c.a1,
      .by2 = c.a2,
  });
}

TDistCoeff NineCoefficients(const vec_t_<double, 2>& center, double k1, double k2, double k3,
                            double p1, double p2, double b1, double b2, double a1, double a2,
                            bool mm_to_cam) {
  TDistCoeff c;
  c.center = center;
  c.k1 = k1;
  c.k2 = k2;
  c.k3 = k3;
  c.p1 = p1;
  c.p2 = p2;
  c.b1 = b1;
  c.b2 = b2;
  c.a1 = a1;
  c.a2 = a2;
  c.mm_to_cam = mm_to_cam;
  return c;
}

}  // namespace

TFormulaDistortion::TFormulaDistortion(const TDistCoeff& coeffs)
    : coeffs_(coeffs), kernel_(MakeKernel(coeffs)) {}

TFormulaDistortion::TFormulaDistortion(const vec_t_<double, 2>& center, double k1, double k2,
                                       double k3, double p1, double p2, double b1, double b2,
                                       double a1, double a2, bool mm_to_cam)
    : TFormulaDistortion(NineCoefficients(center, k1, k2, k3, p1, p2, b1, b2, a1, a2, mm_to_cam)) {}

vec_t_<double, 2> TFormulaDistortion::TransformPoint(const vec_t_<double, 2>& p) const {
  return lxcu::internal::SeriesPoint(*kernel_, coeffs_.mm_to_cam, p);
}

void TFormulaDistortion::TransformPoints(const vec_t_<double, 2>* in, vec_t_<double, 2>* out,
                                         std::size_t n) const {
  lxcu::internal::SeriesPoints(*kernel_, coeffs_.mm_to_cam, in, out, n);
}

double TFormulaDistortion::OneToOneRadius() const {
  return kernel_->disc.fold.radius;
}

std::unique_ptr<TLx2DTransform> TFormulaDistortion::Clone() const {
  return std::make_unique<TFormulaDistortion>(*this);
}
