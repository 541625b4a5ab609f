#include <LxStd/Vec.h>

#include <gtest/gtest.h>

#include <random>

TEST(Vec, DefaultsToZero) {
  const vec_t_<double, 3> v;
  EXPECT_EQ(v.x, 0.0);
  EXPECT_EQ(v.y, 0.0);
  EXPECT_EQ(v.z, 0.0);
  const matr3x3 m;
  for (const auto& row : m.m)
    for (double e : row)
      EXPECT_EQ(e, 0.0);
}

TEST(Matr3x3, InverseTimesProductReturnsTheVector) {
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

TEST(Matr3x3, DeterminantOfADiagonalMatrixIsTheProduct) {
  matr3x3 d;
  d.m[0][0] = 2.0;
  d.m[1][1] = -3.0;
  d.m[2][2] = 0.5;
  EXPECT_EQ(d.Det(), -3.0);
  d.Invert_self(d.Det());
  EXPECT_EQ(d.m[1][1], -1.0 / 3.0);
  EXPECT_EQ(d.m[0][1], 0.0);
}
