#include <LxMathEx/SeriesDistortion.h>

#include <algorithm>
#include <stdexcept>

#include <LxStd/ssprintf.h>

#include "SeriesBatch.h"

using lxcu::internal::MixedKernel;
using lxcu::internal::MixedTerms;
using lxcu::internal::SeriesCoefficients;
using lxcu::internal::SeriesKernel;

namespace {

template <std::size_t N>
std::array<double, N> CopyArray(const double* values, const char* model, const char* name) {
  if (values == nullptr)
    throw std::invalid_argument(
        Kelvora::ssprintf("%s: the coefficient array %s is null.", model, name));
  std::array<double, N> copy;
  std::copy_n(values, N, copy.begin());
  return copy;
}

// coefficient / f^power, where a zero coefficient stays zero even for f = 0.
double PerFocus(double coefficient, double focus, int power) {
  if (coefficient == 0.0) return 0.0;
  double divisor = 1.0;
  for (int i = 0; i < power; ++i)
    divisor *= focus;
  return coefficient / divisor;
}

// Powers of f that turn f·M(u, v) and M(u, v) into polynomials in x̄, ȳ.
constexpr int kAxisTermPower[5] = {1, 1, 1, 2, 2};          // f·(u², uv, v², u²v, uv²)
constexpr int kFactorTermPower[7] = {1, 1, 2, 2, 2, 3, 3};  // u, v, u², uv, v², u²v, uv²

}  // namespace

TMixedDistortion::TMixedDistortion(const vec_t_<double, 2>& center, const double& focus,
                                   const double* a, const double* b, const double* c,
                                   const double* K, const double* P, const double& d0,
                                   const double& d1, const double& d2, bool mm_to_cam)
    : center_(center),
      focus_(focus),
      a_(CopyArray<7>(a, "TMixedDistortion", "a")),
      b_(CopyArray<7>(b, "TMixedDistortion", "b")),
      c_(CopyArray<7>(c, "TMixedDistortion", "c")),
      k_(CopyArray<3>(K, "TMixedDistortion", "K")),
      p_(CopyArray<2>(P, "TMixedDistortion", "P")),
      d_{d0, d1, d2},
      mm_to_cam_(mm_to_cam) {
  SeriesCoefficients core;
  core.cx = center_.x;
  core.cy = center_.y;
  for (int i = 0; i < 3; ++i)
    core.r[i + 1] = k_[i];
  core.p1 = p_[0];
  core.p2 = p_[1];
  core.bx1 = a_[0];
  core.bx2 = a_[1];
  core.by1 = b_[0];
  core.by2 = b_[1];
  MixedTerms extra;
  for (int i = 0; i < 5; ++i) {
    extra.ex[i] = PerFocus(a_[i + 2], focus_, kAxisTermPower[i]);
    extra.ey[i] = PerFocus(b_[i + 2], focus_, kAxisTermPower[i]);
  }
  for (int i = 0; i < 7; ++i)
    extra.ec[i] = PerFocus(c_[i], focus_, kFactorTermPower[i]);
  extra.shift_x = d_[0] == 0.0 ? 0.0 : d_[0] * focus_;
  extra.shift_y = d_[1] == 0.0 ? 0.0 : d_[1] * focus_;
  extra.scale = d_[2];
  kernel_ = std::make_shared<const MixedKernel>(core, extra);
}

vec_t_<double, 2> TMixedDistortion::TransformPoint(const vec_t_<double, 2>& p) const {
  if (kernel_->extra_terms) return lxcu::internal::MixedPoint(*kernel_, mm_to_cam_, p);
  return lxcu::internal::SeriesPoint(kernel_->core, mm_to_cam_, p);
}

void TMixedDistortion::TransformPoints(const vec_t_<double, 2>* in, vec_t_<double, 2>* out,
                                       std::size_t n) const {
  if (kernel_->extra_terms)
    lxcu::internal::MixedPoints(*kernel_, mm_to_cam_, in, out, n);
  else
    lxcu::internal::SeriesPoints(kernel_->core, mm_to_cam_, in, out, n);
}

double TMixedDistortion::OneToOneRadius() const {
  return kernel_->disc.fold.radius;
}

std::unique_ptr<TLx2DTransform> TMixedDistortion::Clone() const {
  return std::make_unique<TMixedDistortion>(*this);
}

TPolynomialDistortion::TPolynomialDistortion(const vec_t_<double, 2>& center, const double& focus,
                                             const double* K, const double* P, const double& b0,
                                             const double& b1, bool mm_to_cam)
    : center_(center),
      focus_(focus),
      k_(CopyArray<8>(K, "TPolynomialDistortion", "K")),
      p_(CopyArray<4>(P, "TPolynomialDistortion", "P")),
      b_{b0, b1},
      mm_to_cam_(mm_to_cam) {
  SeriesCoefficients c;
  c.cx = center_.x;
  c.cy = center_.y;
  for (int i = 0; i < 8; ++i)
    c.r[i] = PerFocus(k_[i], focus_, 2 * i);
  c.p1 = PerFocus(p_[0], focus_, 1);
  c.p2 = PerFocus(p_[1], focus_, 1);
  c.t1 = PerFocus(p_[2], focus_, 2);
  c.t2 = PerFocus(p_[3], focus_, 4);
  c.bx1 = b_[0];
  c.bx2 = b_[1];
  kernel_ = std::make_shared<const SeriesKernel>(c);
}

vec_t_<double, 2> TPolynomialDistortion::TransformPoint(const vec_t_<double, 2>& p) const {
  return lxcu::internal::SeriesPoint(*kernel_, mm_to_cam_, p);
}

void TPolynomialDistortion::TransformPoints(const vec_t_<double, 2>* in, vec_t_<double, 2>* out,
                                            std::size_t n) const {
  lxcu::internal::SeriesPoints(*kernel_, mm_to_cam_, in, out, n);
}

double TPolynomialDistortion::OneToOneRadius() const {
  return kernel_->disc.fold.radius;
}

std::unique_ptr<TLx2DTransform> TPolynomialDistortion::Clone() const {
  return std::make_unique<TPolynomialDistortion>(*this);
}
