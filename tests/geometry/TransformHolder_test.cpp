#include <LxCameraUtils/TransformHolder.h>
#include <LxStd/Transform2D.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <vector>

using var_a_legacy::make_var_a;
using var_a_legacy::var_a;

namespace {

// A transform that counts its destructions.
class Counted final : public TLx2DTransform {
 public:
  explicit Counted(std::atomic<int>* destroyed) : destroyed_(destroyed) {}
  ~Counted() override { ++*destroyed_; }
  vec_t_<double, 2> TransformPoint(const vec_t_<double, 2>& p) const override { return p; }
  std::unique_ptr<TLx2DTransform> Clone() const override { return nullptr; }

 private:
  std::atomic<int>* destroyed_;
};

class Throwing final : public TLx2DTransform {
 public:
  Throwing() { throw std::runtime_error("no"); }
  vec_t_<double, 2> TransformPoint(const vec_t_<double, 2>& p) const override { return p; }
  std::unique_ptr<TLx2DTransform> Clone() const override { return nullptr; }
};

// The two words of a holder and the first two of its control block.
struct Words {
  const void* block;
  const void* object;
  std::int64_t count;
  const void* release;
};

Words Peek(const var_a<TLx2DTransform*>& h) {
  Words w{};
  std::memcpy(&w.block, &h, sizeof(void*));
  std::memcpy(&w.object, reinterpret_cast<const char*>(&h) + sizeof(void*), sizeof(void*));
  if (w.block != nullptr) {
    std::memcpy(&w.count, w.block, sizeof(w.count));
    std::memcpy(&w.release, static_cast<const char*>(w.block) + sizeof(w.count), sizeof(void*));
  }
  return w;
}

}  // namespace

TEST(TransformHolder, IsTwoPointersToTheBlockAndTheObject) {
  const var_a<TLx2DTransform*> empty;
  EXPECT_TRUE(!empty && empty.get() == nullptr && empty.use_count() == 0 && !Peek(empty).block);

  const auto a = make_var_a<TLx2DTransform, TUnityTransform>();
  const auto b = make_var_a<TLx2DTransform, TUnityTransform>();
  const auto c = make_var_a<TLx2DTransform, TAffineTransform>(1.0, 0.0, 2.0, 0.0, 1.0, 3.0);
  const Words wa = Peek(a), wb = Peek(b), wc = Peek(c);
  EXPECT_TRUE(wa.object == a.get() && wa.count == 1);
  // The object lives inside the block, after the count and the release function.
  EXPECT_GT(static_cast<const char*>(wa.object), static_cast<const char*>(wa.block) + 8);
  // One release function per concrete class.
  EXPECT_EQ(wa.release, wb.release);
  EXPECT_NE(wa.release, wc.release);
  EXPECT_EQ(c->TransformPoint({1, 1}), (vec_t_<double, 2>{3, 4}));
  EXPECT_EQ((*c).TransformPoint({0, 0}), (vec_t_<double, 2>{2, 3}));
}

TEST(TransformHolder, CountsItsHoldersAndDestroysTheObjectWithTheLast) {
  std::atomic<int> destroyed{0};
  const auto derived = make_var_a<Counted>(&destroyed);
  var_a<TLx2DTransform*> first = derived;  // a holder of the base shares the count
  EXPECT_EQ(first.get(), derived.get());
  EXPECT_EQ(first.use_count(), 2);
  {
    const var_a<TLx2DTransform*> copy = first;
    var_a<TLx2DTransform*> assigned;
    assigned = copy;
    EXPECT_EQ(first.use_count(), 4);
  }
  EXPECT_EQ(first.use_count(), 2);

  var_a<TLx2DTransform*> moved = std::move(first);
  EXPECT_FALSE(first);  // a moved-from holder is empty
  EXPECT_EQ(moved.use_count(), 2);
  moved.reset();
  EXPECT_EQ(destroyed, 0);
  EXPECT_EQ(derived.use_count(), 1);
}

TEST(TransformHolder, PassesOnAFailingConstructorWithoutAHolder) {
  // The block is freed on the way; the sanitizer build would report a leak.
  EXPECT_THROW((make_var_a<TLx2DTransform, Throwing>()), std::runtime_error);
}

TEST(TransformHolder, CopiesAndDropsSafelyFromManyThreads) {
  std::atomic<int> destroyed{0};
  auto shared = make_var_a<TLx2DTransform, Counted>(&destroyed);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&shared] {
      for (int i = 0; i < 20000; ++i) {
        var_a<TLx2DTransform*> copy = shared;
        var_a<TLx2DTransform*> again = copy;
        again->TransformPoint({0, 0});
      }
    });
  for (std::thread& t : threads)
    t.join();
  EXPECT_EQ(shared.use_count(), 1);
  EXPECT_EQ(destroyed, 0);
  shared.reset();
  EXPECT_EQ(destroyed, 1);
}
