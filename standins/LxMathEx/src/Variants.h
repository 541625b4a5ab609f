#pragma once

// The instruction sets the series loops and point paths are built for. Each
// entry point is built once per set of kVariants, and its calls go to the
// best version the processor runs, chosen on the first call.

#include <atomic>
#include <cstddef>
#include <utility>

namespace lxcu::internal {

enum class TInstructionSet { kAvx512, kAvx2Fma, kDefault };

struct TVariant {
  TInstructionSet set;
  const char* name;
  bool for_points;  // the point path uses it too
  bool (*supported)();
};

// Best first; the default runs everywhere. The point path skips AVX-512,
// which makes the scalar code slower than AVX2 does. Every AVX-512 processor
// has AVX2 and FMA, so where the point path and the loops differ in set, both
// still fuse (see MulAdd). A coverage build keeps the default alone: the
// branches of versions a machine never runs would count as untested.
inline constexpr TVariant kVariants[] = {
#ifndef LX_SINGLE_VARIANT
    {TInstructionSet::kAvx512, "AVX-512", false,
     [] { return __builtin_cpu_supports("avx512f") != 0; }},
    {TInstructionSet::kAvx2Fma, "AVX2+FMA", true,
     [] { return __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("fma") != 0; }},
#endif
    {TInstructionSet::kDefault, "default", true, [] { return true; }},
};

// Runs Job::Run<kFused>(args...) built for one instruction set, fused where
// the set has FMA. The set can only be named by an attribute's literal, so
// each has a specialisation here, beside its row above. The arguments pass
// as they are, in registers where the calling convention allows.
template <TInstructionSet>
struct TTarget;
template <>
struct TTarget<TInstructionSet::kAvx512> {
  template <class Job, class R, class... A>
  [[gnu::target("avx512f")]] static R Run(A... args) {
    return Job::template Run<true>(args...);
  }
};
template <>
struct TTarget<TInstructionSet::kAvx2Fma> {
  template <class Job, class R, class... A>
  [[gnu::target("avx2,fma")]] static R Run(A... args) {
    return Job::template Run<true>(args...);
  }
};
template <>
struct TTarget<TInstructionSet::kDefault> {
  template <class Job, class R, class... A>
  static R Run(A... args) {
    return Job::template Run<false>(args...);
  }
};

// A Job's entry point, `Run` of its signature, and its version for a set.
template <class Job, class Entry = decltype(&Job::template Run<false>)>
struct TJobEntry;
template <class Job, class R, class... A>
struct TJobEntry<Job, R (*)(A...)> {
  using Type = R (*)(A...);
  template <TInstructionSet kSet>
  static constexpr Type kVersion = &TTarget<kSet>::template Run<Job, R, A...>;
};

// The first row of kVariants that may be chosen; tests move it to run each
// version in turn (see AllowVariantsFrom).
inline std::atomic<std::size_t> g_first_allowed_variant{0};

// The version of Job::Run for this processor: the first allowed row it
// supports. A Job with kPoint is a point path.
template <class Job>
typename TJobEntry<Job>::Type ChooseVariant() {
  __builtin_cpu_init();
  const std::size_t first = g_first_allowed_variant.load(std::memory_order_relaxed);
  typename TJobEntry<Job>::Type chosen = nullptr;
  [&]<std::size_t... I>(std::index_sequence<I...>) {
    ((chosen = chosen == nullptr && I >= first && (kVariants[I].for_points || !Job::kPoint) &&
                       kVariants[I].supported()
                   ? TJobEntry<Job>::template kVersion<kVariants[I].set>
                   : chosen),
     ...);
  }
  (std::make_index_sequence<std::size(kVariants)>{});
  return chosen;
}

// The chosen version of each Job; null until its first call.
template <class Job>
inline std::atomic<typename TJobEntry<Job>::Type> g_variant_entry{nullptr};

template <class Job, class... A>
auto RunVariant(A&&... args) {
  auto entry = g_variant_entry<Job>.load(std::memory_order_relaxed);
  if (entry == nullptr) {
    entry = ChooseVariant<Job>();
    g_variant_entry<Job>.store(entry, std::memory_order_relaxed);
  }
  return entry(std::forward<A>(args)...);
}

// Lets the entry points choose only from the row of `set` on: a test runs
// the models in every version the machine supports. Not for concurrent use
// with the models.
void AllowVariantsFrom(TInstructionSet set);

}  // namespace lxcu::internal
