#include <LxStd/Transform2D.h>
#include <LxStd/Vec.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

using P = vec_t_<double, 2>;

// The batch path must give exactly what the point path gives, also in place.
void ExpectBatchMatchesPointwise(const TLx2DTransform& t) {
  std::mt19937 rng(42);
  std::uniform_real_distribution<double> u(-150.0, 150.0);
  std::vector<P> in(3001);  // spans several blocks
  for (P& p : in)
    p = {u(rng), u(rng)};
  std::vector<P> out(in.size());
  t.TransformPoints(in.data(), out.data(), in.size());
  std::vector<P> inplace = in;
  t.TransformPoints(inplace.data(), inplace.data(), inplace.size());
  for (std::size_t i = 0; i < in.size(); ++i) {
    const P expected = t.TransformPoint(in[i]);
    ASSERT_EQ(out[i], expected) << i;
    ASSERT_EQ(inplace[i], expected) << i;
  }
}

}  // namespace

TEST(TCombinedTransform, AppliesItsOwnCopiesOfTheMembersInTheOrderAdded) {
  const TAffineTransform t(1.0, 2.0, 3.0, 4.0, 5.0, 6.0);
  EXPECT_EQ(t.TransformPoint({10.0, 100.0}), (P{213.0, 546.0}));
  TCombinedTransform chain;
  {
    TAffineTransform temporary(1, 0, 1, 0, 1, 2);
    chain.AddTransform(temporary);
  }
  chain.AddTransform(TAffineTransform(10, 0, 0, 0, 10, 0));
  const TCombinedTransform copy = chain;
  chain.AddTransform(TAffineTransform(1, 0, 5, 0, 1, 5));
  EXPECT_EQ(copy.TransformPoint({0.0, 0.0}), (P{10.0, 20.0}));  // shift, then scale
  EXPECT_EQ(chain.TransformPoint({0.0, 0.0}), (P{15.0, 25.0}));
}

TEST(TLx2DTransform, BatchPathsMatchThePointPath) {
  ExpectBatchMatchesPointwise(TUnityTransform());
  ExpectBatchMatchesPointwise(TAffineTransform(0.99, 0.01, -3.0, -0.02, 1.01, 4.0));
  TCombinedTransform chain;
  ExpectBatchMatchesPointwise(chain);  // empty: identity
  chain.AddTransform(TAffineTransform(1, 0, 1, 0, 1, 2));
  ExpectBatchMatchesPointwise(chain);  // one member
  chain.AddTransform(TUnityTransform());
  chain.AddTransform(TAffineTransform(0.5, 0.1, 0, -0.1, 0.5, 0));
  ExpectBatchMatchesPointwise(chain);
  ExpectBatchMatchesPointwise(*chain.Clone());
}

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
