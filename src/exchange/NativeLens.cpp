#include "NativeLens.h"

#include <cmath>

namespace lxcu::internal {
namespace {

// Newton's method for f(x) = target, with a central-difference Jacobian.
constexpr int kMaxNewtonSteps = 40;
constexpr double kNewtonTolerance = 1e-12;  // mm, relative to max(1, |target|)
constexpr double kJacobianStep = 1e-6;      // mm, relative to max(1, |x|)

template <class F>
Point SolveNewton(const F& f, Point target, Point start) {
  const double tolerance = kNewtonTolerance * std::max(1.0, std::hypot(target.x, target.y));
  Point x = start;
  for (int step = 0; step < kMaxNewtonSteps; ++step) {
    const Point r = f(x) - target;
    if (!std::isfinite(r.x) || !std::isfinite(r.y)) break;
    if (std::hypot(r.x, r.y) <= tolerance) return x;
    const double h = kJacobianStep * std::max(1.0, std::hypot(x.x, x.y));
    const Point dx = (f({x.x + h, x.y}) - f({x.x - h, x.y})) * (0.5 / h);
    const Point dy = (f({x.x, x.y + h}) - f({x.x, x.y - h})) * (0.5 / h);
    const double det = dx.x * dy.y - dy.x * dx.y;
    if (!(det > 0.0)) break;  // only where the map keeps its orientation
    x = x - Point{(dy.y * r.x - dy.x * r.y) / det, (dx.x * r.y - dx.y * r.x) / det};
  }
  return {std::nan(""), std::nan("")};
}

// A lens defined by one direction, the other found by Newton.
template <class Self>
class OneWayLens : public Lens {
 public:
  void ToIdeal(std::span<const Point> in, std::span<Point> out) const override {
    for (std::size_t i = 0; i < in.size(); ++i)
      out[i] = Self::kForwardIsIdeal ? Forward(in[i]) : Invert(in[i]);
  }
  void ToDistorted(std::span<const Point> in, std::span<Point> out) const override {
    for (std::size_t i = 0; i < in.size(); ++i)
      out[i] = Self::kForwardIsIdeal ? Invert(in[i]) : Forward(in[i]);
  }

 private:
  Point Forward(Point p) const { return static_cast<const Self&>(*this).Map(p); }
  Point Invert(Point p) const {
    return SolveNewton([this](Point q) { return Forward(q); }, p, p);
  }
};

class OpenCvLens final : public OneWayLens<OpenCvLens> {
 public:
  static constexpr bool kForwardIsIdeal = false;  // ideal → distorted

  OpenCvLens(const NormalizedTerms& t, double focus, double skew_ratio)
      : t_(t), focus_(focus), skew_(skew_ratio) {
    const double cx = std::cos(t.tau_x), sx = std::sin(t.tau_x);
    const double cy = std::cos(t.tau_y), sy = std::sin(t.tau_y);
    // OpenCV's tilt: rotations about x then y, then the projection back onto z = 1.
    const double rot[3][3] = {{cy, sy * sx, -sy * cx}, {0.0, cx, sx}, {sy, -cy * sx, cy * cx}};
    const double proj[3][3] = {
        {rot[2][2], 0.0, -rot[0][2]}, {0.0, rot[2][2], -rot[1][2]}, {0.0, 0.0, 1.0}};
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) {
        tilt_[r][c] = 0.0;
        for (int k = 0; k < 3; ++k)
          tilt_[r][c] += proj[r][k] * rot[k][c];
      }
  }

  Point Map(Point ideal) const {
    const double x = ideal.x / focus_, y = -ideal.y / focus_;  // y down
    const double r2 = x * x + y * y, r4 = r2 * r2, r6 = r4 * r2;
    const double radial = (1.0 + t_.k1 * r2 + t_.k2 * r4 + t_.k3 * r6 + t_.k_r8 * r4 * r4) /
                          (1.0 + t_.k4 * r2 + t_.k5 * r4 + t_.k6 * r6);
    double xd =
        x * radial + 2.0 * t_.p1 * x * y + t_.p2 * (r2 + 2.0 * x * x) + t_.s1 * r2 + t_.s2 * r4;
    double yd =
        y * radial + t_.p1 * (r2 + 2.0 * y * y) + 2.0 * t_.p2 * x * y + t_.s3 * r2 + t_.s4 * r4;
    const double w = tilt_[2][0] * xd + tilt_[2][1] * yd + tilt_[2][2];
    const double inv = w != 0.0 ? 1.0 / w : 1.0;
    const double xt = inv * (tilt_[0][0] * xd + tilt_[0][1] * yd + tilt_[0][2]);
    yd = inv * (tilt_[1][0] * xd + tilt_[1][1] * yd + tilt_[1][2]);
    xd = xt;
    return {focus_ * (xd + skew_ * yd), -focus_ * yd};
  }

 private:
  NormalizedTerms t_;
  double focus_;
  double skew_;
  double tilt_[3][3];
};

class BrownConradyModelLens final : public OneWayLens<BrownConradyModelLens> {
 public:
  static constexpr bool kForwardIsIdeal = true;  // distorted → corrected

  explicit BrownConradyModelLens(const BrownConradyTerms& t) : t_(t) {}

  Point Map(Point distorted) const {
    const double x = distorted.x, y = -distorted.y;  // image axes, y down
    const double r2 = x * x + y * y;
    const double radial = 1.0 + t_.k1 * r2 + t_.k2 * r2 * r2 + t_.k3 * r2 * r2 * r2;
    const double tangential = t_.p1 * r2 + t_.p2 * r2 * r2;
    return {x * radial - tangential * std::sin(t_.phi),
            -(y * radial + tangential * std::cos(t_.phi))};
  }

 private:
  BrownConradyTerms t_;
};

}  // namespace

std::shared_ptr<const Lens> NormalizedLens(const NormalizedTerms& terms, double focus,
                                           double skew_ratio) {
  return std::make_shared<OpenCvLens>(terms, focus, skew_ratio);
}

std::shared_ptr<const Lens> BrownConradyLens(const BrownConradyTerms& terms) {
  return std::make_shared<BrownConradyModelLens>(terms);
}

}  // namespace lxcu::internal
