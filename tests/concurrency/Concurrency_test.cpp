// Races on the library's only shared state: the module record, created on
// first use from whichever thread comes first, and the reference counts of
// the transform holders; and the batches the library shares out among
// threads. The ThreadSanitizer build runs these.

#include <LxCameraUtils/BatchTransform.h>
#include <LxCameraUtils/TransformHolder.h>
#include <LxMathEx/FormulaDistortion.h>
#include <LxStd/Transform2D.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <latch>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "module/ModuleRecord.h"

using lxcu::internal::ModuleRecord;
using lxcu::internal::TModuleRecord;

using var_a_legacy::make_var_a;
using var_a_legacy::var_a;

namespace {

constexpr int kThreads = 8;

// Each thread notes its use of the transform in a plain slot of its own; the
// destructor, which runs in whichever thread drops the last holder, reads all
// slots. Only the holders' acquire-release counting orders those accesses.
class Tracked final : public TLx2DTransform {
 public:
  struct Record {
    std::atomic<int> destroyed{0};
    int uses_seen = 0;
  };
  explicit Tracked(Record* record) : record_(record) {}
  ~Tracked() override {
    for (const int use : uses)
      record_->uses_seen += use;
    record_->destroyed.fetch_add(1);
  }
  vec_t_<double, 2> TransformPoint(const vec_t_<double, 2>& p) const override { return p; }
  std::unique_ptr<TLx2DTransform> Clone() const override { return nullptr; }

  std::array<int, kThreads> uses{};
  Record* record_;
};

using Holder = var_a<TLx2DTransform*>;

}  // namespace

TEST(ConcurrentModuleRecord, FirstUseFromManyThreadsCreatesOneRecord) {
  std::latch start(kThreads);
  std::array<std::string, kThreads> texts;  // the record's address, name and a text
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      start.arrive_and_wait();
      const TModuleRecord& record = ModuleRecord();
      texts[t] = std::to_string(reinterpret_cast<std::uintptr_t>(&record)) + " " + record.name +
                 ": " + record.UserText("global.TEXT_CI_TYPE_CROSS");
    });
  for (std::thread& thread : threads)
    thread.join();
  const std::string want =
      std::to_string(reinterpret_cast<std::uintptr_t>(&ModuleRecord())) + " LxCameraUtils: Cross";
  for (const std::string& text : texts)
    EXPECT_EQ(text, want);
}

TEST(ConcurrentTransformHolders, CopiedAndReleasedAcrossThreadsReleaseEachBlockOnce) {
  constexpr std::size_t kBlocks = 2000;
  std::vector<Tracked::Record> records(kBlocks);
  std::vector<Holder> originals;
  for (Tracked::Record& record : records)
    originals.push_back(make_var_a<TLx2DTransform, Tracked>(&record));

  // Every thread copies every holder, uses the object and drops its copies,
  // odd threads in reverse order; the originals go meanwhile.
  std::latch copied(kThreads + 1);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      std::vector<Holder> mine(originals.begin(), originals.end());
      copied.arrive_and_wait();
      for (std::size_t i = 0; i < kBlocks; ++i) {
        Holder& holder = mine[t % 2 ? kBlocks - 1 - i : i];
        static_cast<Tracked*>(holder.get())->uses[t] = 1;
        holder.reset();
      }
    });
  copied.arrive_and_wait();
  originals.clear();
  for (std::thread& thread : threads)
    thread.join();

  for (const Tracked::Record& record : records)
    ASSERT_TRUE(record.destroyed.load() == 1 && record.uses_seen == kThreads);
}

// Workers on threads of the library's and of a host's pool share one
// transform (the inverse, whose solver works in buffers of its own) and
// write disjoint runs of one array; a failing run reaches the caller.
TEST(ConcurrentBatches, ShareOneTransformAndOneOutputAndHandBackFailures) {
  TDistCoeff c{.center = {0.3, -0.2}, .k1 = -1.5e-5, .k2 = 2e-10, .p1 = 4e-5, .p2 = -3e-5};
  c.mm_to_cam = true;
  const TFormulaDistortion inverse(c);
  const TLxRasterGrid grid{{-50.0, -50.0}, {0.5, 0.5}, 201, 201};
  std::vector<vec_t_<double, 2>> samples(grid.cols * grid.rows), alone(samples.size());
  TransformRaster(TUnityTransform(), grid, samples.data());
  inverse.TransformPoints(samples.data(), alone.data(), samples.size());
  const TLxExecutor pool = [](std::size_t jobs, const std::function<void(std::size_t)>& job) {
    std::vector<std::thread> threads;
    for (std::size_t j = 0; j < jobs; ++j)
      threads.emplace_back(job, j);
    for (std::thread& thread : threads)
      thread.join();
  };
  for (const TLxBatchOptions& options : {TLxBatchOptions{4, {}}, TLxBatchOptions{3, pool}}) {
    std::vector<vec_t_<double, 2>> shared(samples.size()), raster(samples.size());
    TransformPointsParallel(inverse, samples.data(), shared.data(), samples.size(), options);
    TransformRaster(inverse, grid, raster.data(), options);
    EXPECT_TRUE(shared == alone && raster == alone);
  }

  struct Failing final : TLx2DTransform {
    vec_t_<double, 2> TransformPoint(const vec_t_<double, 2>& p) const override {
      if (p.y > 40.0) throw std::range_error("too far");
      return p;
    }
    std::unique_ptr<TLx2DTransform> Clone() const override { return nullptr; }
  };
  std::vector<vec_t_<double, 2>> out(samples.size());
  EXPECT_THROW(TransformRaster(Failing(), grid, out.data(), {4, {}}), std::range_error);
}
