#include <LxStd/Vec.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

TEST(Matr3x3, StartsAtZeroAndItsInverseUndoesTheProduct) {
  const matr3x3 zero;  // const without an initialiser: compiles only with member initialisers
  EXPECT_EQ(std::count(&zero.m[0][0], &zero.m[0][0] + 9, 0.0), 9);
  std::mt19937 rng(20261205);
  std::uniform_real_distribution<double> u(-10.0, 10.0);
  for (int trial = 0; trial < 100; ++trial) {
    matr3x3 a;
    for (auto& row : a.m)
      for (double& e : row)
        e = u(rng);
    const double det = a.Det();
    if (std::abs(det) < 1e-3) continue;
    const vec_t_<double, 3> v{u(rng), u(rng), u(rng)};
    matr3x3 inv = a;
    inv.Invert_self(det);
    const vec_t_<double, 3> back = inv * (a * v);
    // Well-conditioned random matrices: a few hundred ulps of the inputs.
    EXPECT_NEAR(back.x, v.x, 1e-9);
    EXPECT_NEAR(back.y, v.y, 1e-9);
    EXPECT_NEAR(back.z, v.z, 1e-9);
  }
}
