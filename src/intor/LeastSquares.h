#pragma once

// Dense linear least squares for the small systems of the plane fits.

#include <cstddef>
#include <vector>

namespace lxcu::internal {

// A system of `rows` equations in `cols` unknowns, row-major: row i of the
// design is a[i·cols … i·cols + cols − 1], its right-hand side b[i].
struct TLinearSystem {
  std::size_t cols = 0;
  std::vector<double> a;
  std::vector<double> b;

  std::size_t Rows() const { return b.size(); }
  // Appends one equation; `coeffs` holds `cols` values.
  void Add(const double* coeffs, double rhs);
};

struct TLeastSquares {
  std::vector<double> x;  // minimises |a·x − b|²
  // (smallest / largest singular value of a)², the reciprocal condition of the
  // normal equations; 0 for a rank-deficient or non-finite system.
  double reciprocal_condition = 0.0;
  bool converged = false;  // the singular value decomposition converged
};

// Solves by a one-sided Jacobi singular value decomposition of the design,
// which keeps the accuracy that forming the normal equations would square
// away. Needs at least as many rows as columns; x is meaningful only when
// `converged` and `reciprocal_condition` > 0.
TLeastSquares SolveLeastSquares(const TLinearSystem& system);

}  // namespace lxcu::internal
