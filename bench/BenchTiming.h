#pragma once

// Timing helpers shared by the benchmarks: rates per point, and ratios of a
// subject against a reference timed in turns with it.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <vector>

namespace lxbench {

// Reports ns per point for `points` points per iteration.
inline void SetRate(benchmark::State& state, std::size_t points) {
  state.counters["ns_per_point"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * points * 1e-9,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Runs `run`, `points` points each time, and reports ns per point.
template <class Run>
void PerPoint(benchmark::State& state, std::size_t points, Run run) {
  for (auto _ : state) {
    run();
    benchmark::ClobberMemory();
  }
  SetRate(state, points);
}

// Runs `reference` and then `subject` in every iteration, so that both meet
// the same load: on a shared machine, load comes and goes between benchmarks
// run apart. Reports the median and upper quartile of the subject's time over
// the reference's, per pair, and the median time of each, ns/point.
template <class Reference, class Subject>
void InTurns(benchmark::State& state, std::size_t points, Reference reference, Subject subject) {
  std::vector<double> reference_ns, subject_ns, ratios;
  const auto time = [points](auto& run, std::vector<double>& ns) {
    const auto start = std::chrono::steady_clock::now();
    run();
    benchmark::ClobberMemory();
    const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
    ns.push_back(took.count() / static_cast<double>(points));
  };
  for (auto _ : state) {
    time(reference, reference_ns);
    time(subject, subject_ns);
    ratios.push_back(subject_ns.back() / reference_ns.back());
  }
  const auto quantile = [](std::vector<double> v, std::size_t num, std::size_t den) {
    std::sort(v.begin(), v.end());
    return v[v.size() * num / den];
  };
  state.counters["ratio_median"] = quantile(ratios, 1, 2);
  state.counters["ratio_q3"] = quantile(ratios, 3, 4);
  state.counters["reference_ns_per_point"] = quantile(reference_ns, 1, 2);
  state.counters["subject_ns_per_point"] = quantile(subject_ns, 1, 2);
}

}  // namespace lxbench
