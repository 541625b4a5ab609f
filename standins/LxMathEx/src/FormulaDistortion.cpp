#include <LxMathEx/FormulaDistortion.h>

#include "SeriesBatch.h"

using lxmathex_detail::SeriesKernel;

namespace {

std::shared_ptr<const SeriesKernel> MakeKernel(const TDistCoeff& c) {
  auto k = std::make_shared<SeriesKernel>();
  k->cx = c.center.x;
  k->cy = c.center.y;
  k->r[1] = c.k1;
  k->r[2] = c.k2;
  k->r[3] = c.k3;
  k->r[4] = c.k4;
  k->r[5] = c.k5;
  k->p1 = c.p1;
  k->p2 = c.p2;
  k->t1 = c.p3;
  k->t2 = c.p4;
  k->bx1 = c.b1;
  k->bx2 = c.b2;
  k->by1 = c.a1;
  k->by2 = c.a2;
  k->Finish();
  return k;
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
  return lxmathex_detail::SeriesPoint(*kernel_, coeffs_.mm_to_cam, p);
}

void TFormulaDistortion::TransformPoints(const vec_t_<double, 2>* in, vec_t_<double, 2>* out,
                                         std::size_t n) const {
  lxmathex_detail::SeriesPoints(*kernel_, coeffs_.mm_to_cam, in, out, n);
}

std::unique_ptr<TLx2DTransform> TFormulaDistortion::Clone() const {
  return std::make_unique<TFormulaDistortion>(*this);
}
