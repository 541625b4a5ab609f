#pragma once

// The shared holder in which the library hands out transform objects.
//
// Layout (shared with hosts built separately, so fixed): a holder is two
// pointers, the control block and then the object; an empty holder has both
// null. A control block is one allocation holding, in this order, a 64-bit
// reference count, a pointer to its release function and the object itself.
// A new block starts at count 0 and gains 1 for each holder that takes it;
// the holder that drops the count from 1 to 0 calls the release function,
// which destroys the object through its concrete class and frees the block.
// Counts change atomically, so holders of one object may be copied and
// destroyed on different threads; the object itself is not locked.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace var_a_legacy {

namespace detail {

struct ControlBlockBase {
  using ReleaseFn = void (*)(ControlBlockBase*) noexcept;

  explicit ControlBlockBase(ReleaseFn fn) noexcept : release(fn) {}
  ControlBlockBase(const ControlBlockBase&) = delete;
  ControlBlockBase& operator=(const ControlBlockBase&) = delete;

  std::atomic<std::int64_t> count{0};
  ReleaseFn release;
};

static_assert(std::atomic<std::int64_t>::is_always_lock_free);
static_assert(sizeof(std::atomic<std::int64_t>) == 8);

// One instantiation, and so one release function, per concrete class U.
template <class U>
struct ControlBlock final : ControlBlockBase {
  template <class... A>
  explicit ControlBlock(A&&... args)
      : ControlBlockBase(&Release), object(std::forward<A>(args)...) {}

  // The holder's only delete.
  static void Release(ControlBlockBase* block) noexcept {
    delete static_cast<ControlBlock*>(block);
  }

  U object;
};

}  // namespace detail

template <class P>
class var_a;

// Builds a U from `args` inside a new control block and returns its first
// holder (count 1). If U's constructor throws, the block is freed and the
// exception passes on.
template <class T, class U = T, class... A>
var_a<T*> make_var_a(A&&... args);

template <class T>
class var_a<T*> {
 public:
  var_a() noexcept = default;

  var_a(const var_a& other) noexcept : block_(other.block_), object_(other.object_) { Acquire(); }
  var_a(var_a&& other) noexcept
      : block_(std::exchange(other.block_, nullptr)),
        object_(std::exchange(other.object_, nullptr)) {}

  // A holder of a derived class converts to one of its base, sharing the count.
  template <class U>
  requires std::is_convertible_v<U*, T*> var_a(const var_a<U*>& other)
  noexcept : block_(other.block_), object_(other.object_) { Acquire(); }
  template <class U>
  requires std::is_convertible_v<U*, T*> var_a(var_a<U*>&& other)
  noexcept
      : block_(std::exchange(other.block_, nullptr)),
        object_(std::exchange(other.object_, nullptr)) {}

  var_a& operator=(var_a other) noexcept {
    swap(other);
    return *this;
  }

  ~var_a() { Drop(); }

  T* get() const noexcept { return object_; }
  T& operator*() const noexcept { return *object_; }
  T* operator->() const noexcept { return object_; }
  explicit operator bool() const noexcept { return object_ != nullptr; }

  // Holders sharing this object, 0 when empty. A snapshot when other threads
  // copy or drop holders meanwhile.
  std::int64_t use_count() const noexcept {
    return block_ != nullptr ? block_->count.load(std::memory_order_relaxed) : 0;
  }

  void reset() noexcept { var_a().swap(*this); }
  void swap(var_a& other) noexcept {
    std::swap(block_, other.block_);
    std::swap(object_, other.object_);
  }

 private:
  template <class>
  friend class var_a;
  template <class B, class U, class... A>
  friend var_a<B*> make_var_a(A&&... args);

  var_a(detail::ControlBlockBase* block, T* object) noexcept : block_(block), object_(object) {
    Acquire();
  }

  void Acquire() noexcept {
    if (block_ != nullptr) block_->count.fetch_add(1, std::memory_order_relaxed);
  }
  // Acquire-release: the last holder sees every other holder's use of the
  // object before it destroys it.
  void Drop() noexcept {
    if (block_ != nullptr && block_->count.fetch_sub(1, std::memory_order_acq_rel) == 1)
      block_->release(block_);
  }

  detail::ControlBlockBase* block_ = nullptr;
  T* object_ = nullptr;
};

static_assert(sizeof(var_a<int*>) == 2 * sizeof(void*));
static_assert(std::is_standard_layout_v<var_a<int*>>);

template <class T, class U, class... A>
var_a<T*> make_var_a(A&&... args) {
  static_assert(std::is_convertible_v<U*, T*>, "make_var_a: U must derive from T");
  auto* block = new detail::ControlBlock<U>(std::forward<A>(args)...);
  return var_a<T*>(block, &block->object);
}

}  // namespace var_a_legacy
