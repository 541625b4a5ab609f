#include "intor/PlaneFit.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "intor/LeastSquares.h"

namespace lxcu::internal {

namespace {

using P = vec_t_<double, 2>;

// The mirrored and unmirrored similarity count as telling apart only when the
// worse one's RMS is above twice the better one's plus 1e-9 of the marks'
// spread, far below any measurement.
constexpr double kHandednessFactor = 2.0;
constexpr double kHandednessFloor = 1e-9;
// Gauss–Newton on the projective map, in coordinates of unit spread: steps
// shrink quadratically to rounding level within a few iterations; a step of
// 1e-12 is converged, as is one below 1e-9 that no longer halves (the
// rounding floor of an ill-conditioned but accepted set of marks).
constexpr int kMaxGaussNewtonSteps = 30;
constexpr double kConvergedStep = 1e-12;
constexpr double kStalledStep = 1e-9;

// Centring and scaling to unit RMS distance from the centroid: p̂ = (p − mean) / scale.
struct TNormaliser {
  P mean;
  double scale = 0.0;

  P operator()(const P& p) const { return (p - mean) * (1.0 / scale); }
};

template <class Get>
TNormaliser NormaliserOf(const std::vector<TMarkPair>& marks, Get get) {
  TNormaliser n;
  for (const TMarkPair& m : marks)
    n.mean = n.mean + get(m);
  n.mean = n.mean * (1.0 / static_cast<double>(marks.size()));
  double sum = 0.0;
  for (const TMarkPair& m : marks) {
    const P d = get(m) - n.mean;
    sum += d.x * d.x + d.y * d.y;
  }
  n.scale = std::sqrt(sum / static_cast<double>(marks.size()));
  return n;
}

// The marks in coordinates of unit spread on both sides.
struct TNormalised {
  TNormaliser pix, cam;
  std::vector<TMarkPair> marks;
};

TNormalised Normalise(const std::vector<TMarkPair>& marks) {
  TNormalised n{NormaliserOf(marks, [](const TMarkPair& m) { return m.pix; }),
                NormaliserOf(marks, [](const TMarkPair& m) { return m.cam; }),
                {}};
  n.marks.reserve(marks.size());
  for (const TMarkPair& m : marks)
    n.marks.push_back({n.pix(m.pix), n.cam(m.cam)});
  return n;
}

matr3x3 Multiply(const matr3x3& l, const matr3x3& r) {
  matr3x3 out;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k)
        out.m[i][j] += l.m[i][k] * r.m[k][j];
  return out;
}

// The fit in normalised coordinates, as a matrix acting on (x, y, 1), taken
// back to pixels and millimetres; its constant denominator term scaled to 1.
// False when the pixel origin lies a million times closer to the map's
// horizon (where the denominator is 0) than the marks do: the scaled
// coefficients would lose six digits.
bool Denormalise(const matr3x3& fitted, const TNormalised& n, TPlaneTransform& out) {
  constexpr double kMinOriginWeight = 1e-6;
  const double ip = 1.0 / n.pix.scale;
  const matr3x3 from_pix{{{ip, 0.0, -n.pix.mean.x * ip}, {0.0, ip, -n.pix.mean.y * ip}, {0, 0, 1}}};
  const double sc = n.cam.scale;
  const matr3x3 to_cam{{{sc, 0.0, n.cam.mean.x}, {0.0, sc, n.cam.mean.y}, {0, 0, 1}}};
  const matr3x3 h = Multiply(to_cam, Multiply(fitted, from_pix));
  double marks_weight = 0.0;  // the largest denominator at the marks
  for (const TMarkPair& m : n.marks)
    marks_weight = std::max(marks_weight, std::abs(fitted.m[2][0] * m.pix.x +
                                                   fitted.m[2][1] * m.pix.y + fitted.m[2][2]));
  const double w = h.m[2][2];
  if (!(std::abs(w) >= kMinOriginWeight * marks_weight)) return false;
  out = {h.m[0][0] / w, h.m[0][1] / w, h.m[0][2] / w, h.m[1][0] / w,
         h.m[1][1] / w, h.m[1][2] / w, h.m[2][0] / w, h.m[2][1] / w};
  return true;
}

// Design rows of each type for one mark (x, y) ↦ (X, Y), in the order of the
// unknowns, and the matrix that the unknowns make.
struct TSimilarity {
  bool mirrored;
  // Unmirrored: X = a·x + b·y + c, Y = b·x − a·y + d (a proper similarity once
  // rows point up); mirrored: X = a·x − b·y + c, Y = b·x + a·y + d.
  void Rows(TLinearSystem& s, const TMarkPair& m) const {
    const double k = mirrored ? -1.0 : 1.0;
    const double row_x[] = {m.pix.x, k * m.pix.y, 1.0, 0.0};
    const double row_y[] = {-k * m.pix.y, m.pix.x, 0.0, 1.0};
    s.Add(row_x, m.cam.x);
    s.Add(row_y, m.cam.y);
  }
  matr3x3 Matrix(const std::vector<double>& t) const {
    const double k = mirrored ? -1.0 : 1.0;
    return {{{t[0], k * t[1], t[2]}, {t[1], -k * t[0], t[3]}, {0, 0, 1}}};
  }
};

struct TAffine {
  void Rows(TLinearSystem& s, const TMarkPair& m) const {
    const double row_x[] = {m.pix.x, m.pix.y, 1.0, 0.0, 0.0, 0.0};
    const double row_y[] = {0.0, 0.0, 0.0, m.pix.x, m.pix.y, 1.0};
    s.Add(row_x, m.cam.x);
    s.Add(row_y, m.cam.y);
  }
  matr3x3 Matrix(const std::vector<double>& t) const {
    return {{{t[0], t[1], t[2]}, {t[3], t[4], t[5]}, {0, 0, 1}}};
  }
};

// The direct linear form of the projective map: each equation multiplied by
// its denominator, X·(c0·x + c1·y + 1) = a0·x + a1·y + a2.
struct TProjective {
  void Rows(TLinearSystem& s, const TMarkPair& m) const {
    const double x = m.pix.x, y = m.pix.y, X = m.cam.x, Y = m.cam.y;
    const double row_x[] = {x, y, 1.0, 0.0, 0.0, 0.0, -X * x, -X * y};
    const double row_y[] = {0.0, 0.0, 0.0, x, y, 1.0, -Y * x, -Y * y};
    s.Add(row_x, X);
    s.Add(row_y, Y);
  }
  matr3x3 Matrix(const std::vector<double>& t) const {
    return {{{t[0], t[1], t[2]}, {t[3], t[4], t[5]}, {t[6], t[7], 1}}};
  }
};

struct TLinearFit {
  matr3x3 h;
  double rcond = 0.0;
  double sum_squares = 0.0;  // of the residuals of the fitted map, normalised units
};

P Map(const matr3x3& h, const P& p) {
  const vec_t_<double, 3> q = h * vec_t_<double, 3>{p.x, p.y, 1.0};
  return {q.x / q.z, q.y / q.z};
}

double SumSquares(const matr3x3& h, const std::vector<TMarkPair>& marks) {
  double sum = 0.0;
  for (const TMarkPair& m : marks) {
    const P r = Map(h, m.pix) - m.cam;
    sum += r.x * r.x + r.y * r.y;
  }
  return sum;
}

template <class Model>
TLinearFit FitLinear(const Model& model, const std::vector<TMarkPair>& marks, std::size_t cols) {
  TLinearSystem system{cols, {}, {}};
  for (const TMarkPair& m : marks)
    model.Rows(system, m);
  const TLeastSquares ls = SolveLeastSquares(system);
  TLinearFit fit{model.Matrix(ls.x), ls.converged ? ls.reciprocal_condition : 0.0, 0.0};
  fit.sum_squares = SumSquares(fit.h, marks);
  return fit;
}

// Gauss–Newton on the geometric residuals Σ |H(x) − X|², from `h`.
bool RefineProjective(matr3x3& h, const std::vector<TMarkPair>& marks) {
  double previous = INFINITY;
  for (int step = 0; step < kMaxGaussNewtonSteps; ++step) {
    TLinearSystem system{8, {}, {}};
    for (const TMarkPair& m : marks) {
      const double x = m.pix.x, y = m.pix.y;
      const double w = h.m[2][0] * x + h.m[2][1] * y + 1.0;
      const P q = Map(h, m.pix);
      const double row_x[] = {x / w, y / w, 1 / w, 0, 0, 0, -x * q.x / w, -y * q.x / w};
      const double row_y[] = {0, 0, 0, x / w, y / w, 1 / w, -x * q.y / w, -y * q.y / w};
      system.Add(row_x, m.cam.x - q.x);
      system.Add(row_y, m.cam.y - q.y);
    }
    const TLeastSquares ls = SolveLeastSquares(system);
    if (!ls.converged || !(ls.reciprocal_condition > 0.0)) return false;
    double size = 0.0;
    for (int k = 0; k < 8; ++k) {
      h.m[k / 3][k % 3] += ls.x[static_cast<std::size_t>(k)];
      size = std::max(size, std::abs(ls.x[static_cast<std::size_t>(k)]));
    }
    if (size <= kConvergedStep || (size <= kStalledStep && size > previous / 2)) return true;
    previous = size;
  }
  return false;
}

// The similarity of the better handedness; the unmirrored one when the marks
// cannot tell them apart.
TLinearFit FitSimilarity(const std::vector<TMarkPair>& marks, bool& ambiguous) {
  const TLinearFit plain = FitLinear(TSimilarity{false}, marks, 4);
  const TLinearFit mirrored = FitLinear(TSimilarity{true}, marks, 4);
  const double n = static_cast<double>(marks.size());
  const double rms_plain = std::sqrt(plain.sum_squares / n);
  const double rms_mirrored = std::sqrt(mirrored.sum_squares / n);
  const double better = std::min(rms_plain, rms_mirrored);
  ambiguous = std::max(rms_plain, rms_mirrored) <= kHandednessFactor * better + kHandednessFloor;
  return ambiguous || rms_plain <= rms_mirrored ? plain : mirrored;
}

// Whether the images of the pixel axes at the marks' centroid (the origin of
// the normalised coordinates) are far enough from parallel.
bool Regular(const matr3x3& h) {
  // ∂H/∂(x, y) at the origin, where the denominator is 1.
  const double j00 = h.m[0][0] - h.m[0][2] * h.m[2][0], j01 = h.m[0][1] - h.m[0][2] * h.m[2][1];
  const double j10 = h.m[1][0] - h.m[1][2] * h.m[2][0], j11 = h.m[1][1] - h.m[1][2] * h.m[2][1];
  const double det = j00 * j11 - j01 * j10;
  return std::abs(det) >= kMinAxisSine * std::hypot(j00, j10) * std::hypot(j01, j11);
}

}  // namespace

int Unknowns(TTransformType type) {
  switch (type) {
    case ttSimilarity:
      return 4;
    case ttAffine:
      return 6;
    case ttProjective:
      return 8;
  }
  return 0;
}

TPlaneFit FitPlaneTransform(const std::vector<TMarkPair>& marks, TTransformType type) {
  TPlaneFit result;
  const TNormalised n = Normalise(marks);
  if (!(n.pix.scale > 0.0)) return {{}, TFitFailure::kCollinear, false};
  if (!(n.cam.scale > 0.0)) return {{}, TFitFailure::kSingular, false};
  TLinearFit fit;
  if (type == ttSimilarity)
    fit = FitSimilarity(n.marks, result.handedness_ambiguous);
  else if (type == ttAffine)
    fit = FitLinear(TAffine{}, n.marks, 6);
  else
    fit = FitLinear(TProjective{}, n.marks, 8);
  if (!(fit.rcond >= kMinReciprocalCondition)) return {{}, TFitFailure::kCollinear, false};
  if (type == ttProjective && !RefineProjective(fit.h, n.marks))
    return {{}, TFitFailure::kDiverged, false};
  if (!Regular(fit.h)) return {{}, TFitFailure::kSingular, false};
  if (!Denormalise(fit.h, n, result.pix_to_cam)) return {{}, TFitFailure::kUnbounded, false};
  return result;
}

}  // namespace lxcu::internal
