#include "intor/LeastSquares.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lxcu::internal {

namespace {

// Jacobi sweeps converge quadratically; eight columns settle in about ten.
constexpr int kMaxSweeps = 60;
// Two columns count as orthogonal when their dot product is within the
// rounding of summing that many products: rows · ε · |u_i| · |u_j|.
constexpr double kRoundingPerRow = std::numeric_limits<double>::epsilon();

double Dot(const std::vector<double>& u, std::size_t i, std::size_t j, std::size_t rows) {
  double sum = 0.0;
  for (std::size_t r = 0; r < rows; ++r)
    sum += u[i * rows + r] * u[j * rows + r];
  return sum;
}

// Turns columns i and j of `m` (column-major, `len` long) by (c, s).
void Rotate(std::vector<double>& m, std::size_t i, std::size_t j, std::size_t len, double c,
            double s) {
  for (std::size_t r = 0; r < len; ++r) {
    const double x = m[i * len + r];
    const double y = m[j * len + r];
    m[i * len + r] = c * x - s * y;
    m[j * len + r] = s * x + c * y;
  }
}

// One sweep over all column pairs; false when every pair was orthogonal.
bool Sweep(std::vector<double>& u, std::vector<double>& v, std::size_t rows, std::size_t cols) {
  bool rotated = false;
  for (std::size_t i = 0; i + 1 < cols; ++i)
    for (std::size_t j = i + 1; j < cols; ++j) {
      const double alpha = Dot(u, i, i, rows);
      const double beta = Dot(u, j, j, rows);
      const double gamma = Dot(u, i, j, rows);
      if (!(std::abs(gamma) > rows * kRoundingPerRow * std::sqrt(alpha * beta))) continue;
      const double zeta = (beta - alpha) / (2.0 * gamma);
      const double t = std::copysign(1.0, zeta) / (std::abs(zeta) + std::hypot(1.0, zeta));
      const double c = 1.0 / std::hypot(1.0, t);
      Rotate(u, i, j, rows, c, c * t);
      Rotate(v, i, j, cols, c, c * t);
      rotated = true;
    }
  return rotated;
}

}  // namespace

void TLinearSystem::Add(const double* coeffs, double rhs) {
  a.insert(a.end(), coeffs, coeffs + cols);
  b.push_back(rhs);
}

TLeastSquares SolveLeastSquares(const TLinearSystem& system) {
  const std::size_t rows = system.Rows();
  const std::size_t cols = system.cols;
  TLeastSquares result;
  result.x.assign(cols, 0.0);
  std::vector<double> u(rows * cols);  // the design, column-major, turned into U·Σ
  for (std::size_t r = 0; r < rows; ++r)
    for (std::size_t c = 0; c < cols; ++c)
      u[c * rows + r] = system.a[r * cols + c];
  std::vector<double> v(cols * cols, 0.0);  // column-major, from the identity
  for (std::size_t c = 0; c < cols; ++c)
    v[c * cols + c] = 1.0;

  for (int sweep = 0; sweep < kMaxSweeps && !result.converged; ++sweep)
    result.converged = !Sweep(u, v, rows, cols);
  if (!result.converged || rows < cols) return result;

  double smallest = std::numeric_limits<double>::infinity();
  double largest = 0.0;
  for (std::size_t k = 0; k < cols; ++k) {
    const double sigma2 = Dot(u, k, k, rows);  // σ_k²
    smallest = std::min(smallest, sigma2);
    largest = std::max(largest, sigma2);
    if (sigma2 == 0.0) continue;
    double ub = 0.0;  // σ_k · (u_k · b)
    for (std::size_t r = 0; r < rows; ++r)
      ub += u[k * rows + r] * system.b[r];
    for (std::size_t c = 0; c < cols; ++c)
      result.x[c] += v[k * cols + c] * ub / sigma2;
  }
  const double rcond = largest > 0.0 ? smallest / largest : 0.0;
  result.reciprocal_condition = std::isfinite(rcond) ? rcond : 0.0;
  return result;
}

}  // namespace lxcu::internal
