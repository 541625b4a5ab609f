#include <LxCameraUtils/TransformHolder.h>
#include <LxStd/Transform2D.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <stdexcept>

using var_a_legacy::make_var_a;
using var_a_legacy::var_a;

namespace {

// A transform that counts its destructions; without a counter its constructor throws.
class Counted final : public TLx2DTransform {
 public:
  explicit Counted(std::atomic<int>* destroyed) : destroyed_(destroyed) {
    if (destroyed == nullptr) throw std::runtime_error("no counter");
  }
  ~Counted() override { ++*destroyed_; }
  vec_t_<double, 2> TransformPoint(const vec_t_<double, 2>& p) const override { return p; }
  std::unique_ptr<TLx2DTransform> Clone() const override { return nullptr; }

 private:
  std::atomic<int>* destroyed_;
};

// The two words of a holder (block, object) and the first two of its control
// block (count, release function).
std::array<std::uintptr_t, 4> Peek(const var_a<TLx2DTransform*>& h) {
  std::array<std::uintptr_t, 4> w{};
  std::memcpy(w.data(), &h, 2 * sizeof(void*));
  if (w[0] != 0) std::memcpy(&w[2], reinterpret_cast<const void*>(w[0]), 2 * sizeof(void*));
  return w;
}

}  // namespace

TEST(TransformHolder, IsTwoPointersToTheBlockAndTheObject) {
  const var_a<TLx2DTransform*> empty;
  EXPECT_TRUE(!empty && empty.get() == nullptr && empty.use_count() == 0 && Peek(empty)[0] == 0);

  const auto a = make_var_a<TLx2DTransform, TUnityTransform>();
  const auto b = make_var_a<TLx2DTransform, TUnityTransform>();
  const auto c = make_var_a<TLx2DTransform, TAffineTransform>(1.0, 0.0, 2.0, 0.0, 1.0, 3.0);
  const auto [block, object, count, release] = Peek(a);
  EXPECT_TRUE(object == reinterpret_cast<std::uintptr_t>(a.get()) && count == 1);
  // The object lives inside the block, after the count and the release function.
  EXPECT_GT(object, block + 8);
  // One release function per concrete class.
  EXPECT_EQ(release, Peek(b)[3]);
  EXPECT_NE(release, Peek(c)[3]);
}

TEST(TransformHolder, CountsItsHoldersAndDestroysTheObjectWithTheLast) {
  std::atomic<int> destroyed{0};
  auto derived = make_var_a<Counted>(&destroyed);
  var_a<TLx2DTransform*> first = derived;  // a holder of the base shares the count
  EXPECT_EQ(first.get(), derived.get());
  {
    const var_a<TLx2DTransform*> copy = first;
    var_a<TLx2DTransform*> assigned;
    assigned = copy;
    EXPECT_EQ(first.use_count(), 4);
  }
  var_a<TLx2DTransform*> moved = std::move(first);
  EXPECT_FALSE(first);  // a moved-from holder is empty
  EXPECT_EQ(moved.use_count(), 2);
  moved.reset();
  EXPECT_EQ(destroyed, 0);
  derived.reset();
  EXPECT_EQ(destroyed, 1);
  // A failing constructor frees its block on the way; the sanitizer build would report a leak.
  EXPECT_THROW((make_var_a<TLx2DTransform, Counted>(nullptr)), std::runtime_error);
}
