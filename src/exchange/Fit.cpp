// Least-squares fit of a formula record to any camera over its image.
#include <cmath>
#include <limits>
#include <vector>

#include <Eigen/Dense>

#include "Model.h"
#include "Text.h"

namespace lxcu::internal {
namespace {

constexpr int kFitGrid = 41;  // points along each side of the image for the fit

// The displacement each linear term adds at q (about the distortion centre),
// per unit coefficient: the columns of the least-squares system.
Point TermBasis(unsigned term, Point q) {
  const double r2 = q.x * q.x + q.y * q.y;
  switch (term) {
    case kK1:
      return q * r2;
    case kK2:
      return q * (r2 * r2);
    case kK3:
      return q * (r2 * r2 * r2);
    case kK4:
      return q * (r2 * r2 * r2 * r2);
    case kK5:
      return q * (r2 * r2 * r2 * r2 * r2);
    case kP1:
      return {r2 + 2.0 * q.x * q.x, 2.0 * q.x * q.y};
    case kP2:
      return {2.0 * q.x * q.y, r2 + 2.0 * q.y * q.y};
    case kB1:
      return {q.x, 0.0};
    case kB2:
      return {q.y, 0.0};
    case kA1:
      return {0.0, q.x};
    default:  // kA2
      return {0.0, q.y};
  }
}

double& Coefficient(TLxCameraDistortion& f, unsigned term) {
  switch (term) {
    case kK1:
      return f.k1;
    case kK2:
      return f.k2;
    case kK3:
      return f.k3;
    case kK4:
      return f.k4;
    case kK5:
      return f.k5;
    case kP1:
      return f.p1;
    case kP2:
      return f.p2;
    case kB1:
      return f.b1;
    case kB2:
      return f.b2;
    case kA1:
      return f.a1;
    default:  // kA2
      return f.a2;
  }
}

}  // namespace

TLxCameraDistortion FitFormula(const ExchangeModel& reference, const FormulaShape& shape,
                               Point center_cam) {
  std::vector<unsigned> terms;
  for (unsigned term = 1; term <= kA2; term <<= 1)
    if (shape.terms & kLinearTerms & term) terms.push_back(term);
  const Point center = shape.center_at_pp ? Point{} : center_cam - reference.principal_point;
  TLxCameraDistortion formula;
  formula.type = dtFormula;
  formula.direction = shape.direction;
  formula.symmetry_point = reference.principal_point + center;
  if (terms.empty()) return formula;  // a pinhole: nothing to fit

  // Pairs of a distorted point over the image and the ideal point of its ray.
  std::vector<Point> distorted;
  for (const Point& px : ImageGrid(reference.sensor, kFitGrid))
    distorted.push_back(reference.sensor.PixelToCam(px) - reference.principal_point);
  std::vector<Point> ideal(distorted.size());
  reference.lens->ToIdeal(distorted, ideal);

  const bool forward = shape.direction == TLxCameraDistortion::dirCamToMm;
  std::vector<std::pair<Point, Point>> samples;  // (where the terms are evaluated, displacement)
  for (std::size_t i = 0; i < distorted.size(); ++i) {
    if (!std::isfinite(ideal[i].x) || !std::isfinite(ideal[i].y)) continue;
    samples.push_back(forward ? std::pair{distorted[i] - center, ideal[i] - distorted[i]}
                              : std::pair{ideal[i] - center, distorted[i] - ideal[i]});
  }
  if (samples.size() < terms.size() + 1)
    Fail("the distortion cannot be evaluated over the image: too few points to fit");

  Eigen::MatrixXd a(2 * samples.size(), terms.size());
  Eigen::VectorXd b(2 * samples.size());
  for (std::size_t i = 0; i < samples.size(); ++i) {
    for (std::size_t j = 0; j < terms.size(); ++j) {
      const Point column = TermBasis(terms[j], samples[i].first);
      a(2 * i, j) = column.x;
      a(2 * i + 1, j) = column.y;
    }
    b(2 * i) = samples[i].second.x;
    b(2 * i + 1) = samples[i].second.y;
  }
  // Columns span many orders of magnitude (r³ … r¹¹); scale each to unit norm.
  const Eigen::VectorXd norms =
      a.colwise().norm().transpose().cwiseMax(std::numeric_limits<double>::min());
  a = a * norms.cwiseInverse().asDiagonal();
  const Eigen::VectorXd solution = a.colPivHouseholderQr().solve(b).cwiseQuotient(norms);

  for (std::size_t j = 0; j < terms.size(); ++j)
    Coefficient(formula, terms[j]) = solution(static_cast<Eigen::Index>(j));
  return formula;
}

}  // namespace lxcu::internal
