#include <LxStd/Transform2D.h>

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using P = vec_t_<double, 2>;

std::vector<P> RandomPoints(std::size_t n) {
  std::mt19937 rng(42);
  std::uniform_real_distribution<double> u(-150.0, 150.0);
  std::vector<P> pts(n);
  for (auto& p : pts)
    p = {u(rng), u(rng)};
  return pts;
}

// The batch path must give exactly what the point path gives, also in place.
void ExpectBatchMatchesPointwise(const TLx2DTransform& t) {
  const std::vector<P> in = RandomPoints(3001);  // spans several blocks
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

TEST(TAffineTransform, AppliesItsSixCoefficients) {
  const TAffineTransform t(1.0, 2.0, 3.0, 4.0, 5.0, 6.0);
  EXPECT_EQ(t.TransformPoint({10.0, 100.0}), (P{213.0, 546.0}));
  EXPECT_EQ(t.Coeffs(), (std::array<double, 6>{1.0, 2.0, 3.0, 4.0, 5.0, 6.0}));
}

TEST(TCombinedTransform, AppliesMembersInTheOrderAdded) {
  TCombinedTransform shift_then_scale;
  shift_then_scale.AddTransform(TAffineTransform(1, 0, 1, 0, 1, 2));
  shift_then_scale.AddTransform(TAffineTransform(10, 0, 0, 0, 10, 0));
  EXPECT_EQ(shift_then_scale.TransformPoint({0.0, 0.0}), (P{10.0, 20.0}));
  ASSERT_EQ(shift_then_scale.Count(), 2u);
  EXPECT_EQ(dynamic_cast<const TAffineTransform&>(shift_then_scale.Item(1)).Coeffs()[0], 10.0);
}

TEST(TCombinedTransform, KeepsItsOwnCopies) {
  TCombinedTransform chain;
  {
    TAffineTransform temporary(2, 0, 0, 0, 2, 0);
    chain.AddTransform(temporary);
  }
  const TCombinedTransform copy = chain;
  chain.AddTransform(TAffineTransform(1, 0, 5, 0, 1, 5));
  EXPECT_EQ(copy.Count(), 1u);
  EXPECT_EQ(copy.TransformPoint({1.0, 1.0}), (P{2.0, 2.0}));
  EXPECT_EQ(chain.TransformPoint({1.0, 1.0}), (P{7.0, 7.0}));
}

TEST(TLx2DTransform, BatchPathsMatchThePointPath) {
  ExpectBatchMatchesPointwise(TUnityTransform());
  ExpectBatchMatchesPointwise(TAffineTransform(0.99, 0.01, -3.0, -0.02, 1.01, 4.0));
  TCombinedTransform chain;
  ExpectBatchMatchesPointwise(chain);  // empty: identity
  chain.AddTransform(TAffineTransform(1, 0, 1, 0, 1, 2));
  chain.AddTransform(TUnityTransform());
  chain.AddTransform(TAffineTransform(0.5, 0.1, 0, -0.1, 0.5, 0));
  ExpectBatchMatchesPointwise(chain);
  ExpectBatchMatchesPointwise(*chain.Clone());
}
