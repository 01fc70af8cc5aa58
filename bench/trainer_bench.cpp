// One training pass over a few pattern records: the literal trainer (one
// trainPattern per choice) against the shared-work trainer on one thread and
// on every core, and its portable kernel on one thread. Items are choices,
// so items_per_second compares directly; times are wall-clock.
// Run: build/<dir>/bench/trainer_bench [--benchmark_filter=12]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "model/record_trainer.h"
#include "model/shared_work_training.h"
#include "model/sim_shape.h"

namespace {

using namespace stridewell;

// Enough records for the threads to share them out as in a pass's block.
constexpr int kRecords = 16;

std::vector<PatternRecord> randomRecords(int horses) {
  std::mt19937 random(static_cast<unsigned>(horses));
  std::normal_distribution<float> normal(0.0f, 1.0f);
  std::vector<PatternRecord> records(kRecords);
  for (PatternRecord& record : records) {
    record = PatternRecord{};
    record.horseCount = horses;
    for (int h = 0; h < horses; ++h) {
      for (float& input : record.horses[h].inputs) input = std::clamp(normal(random), -3.0f, 3.0f);
      record.horses[h].finishPosition = 1 + static_cast<int32_t>(random() % static_cast<unsigned>(horses));
    }
  }
  return records;
}

enum class Kind { kLiteral, kFast, kPortable };

void trainPass(benchmark::State& state, Kind kind, int threads) {
  const int horses = static_cast<int>(state.range(0));
  SimModel model(true);
  if (defineSimShape(model) != kSimUnits) {
    state.SkipWithError("cannot define the net");
    return;
  }
  model.startEpoch(true);
  const std::atomic<int> stop{0};
  const auto trainer = kind == Kind::kLiteral ? makeLiteralTrainer(model, stop)
                       : kind == Kind::kFast
                           ? makeFastTrainer(model, stop, threads)
                           : makeSharedWorkTrainer(model, stop, threads, TrainingKernel::kPortable);
  if (!trainer) {
    state.SkipWithError("no trainer");
    return;
  }
  const std::vector<PatternRecord> records = randomRecords(horses);
  for (auto _ : state) {
    model.clearSlopes();
    double tss = 0;
    benchmark::DoNotOptimize(trainer->trainRecords(records.data(), records.size(), tss));
    benchmark::DoNotOptimize(tss);
  }
  const int64_t choices = int64_t{horses} * (horses - 1) * (horses - 2) * (horses - 3) * (horses - 4);
  state.SetItemsProcessed(state.iterations() * choices * kRecords);
  state.counters["choices"] = static_cast<double>(choices * kRecords);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const bool avx2 = processorRunsTrainingKernel(TrainingKernel::kAvx2);
  const TrainingKernel fastest = fastestTrainingKernel();
  benchmark::AddCustomContext("fast kernel", fastest == TrainingKernel::kAvx512
                                                 ? "avx512 (fields over 8), avx2"
                                             : fastest == TrainingKernel::kAvx2 ? "avx2"
                                                                                : "portable");
  struct Entry {
    std::string name;
    Kind kind;
    int threads;
  };
  std::vector<Entry> entries = {{"literal", Kind::kLiteral, 1}, {"fast/threads:1", Kind::kFast, 1}};
  if (cores > 1) entries.push_back({"fast/threads:" + std::to_string(cores), Kind::kFast, cores});
  if (avx2) entries.push_back({"fast_portable/threads:1", Kind::kPortable, 1});
  for (const Entry& entry : entries) {
    benchmark::RegisterBenchmark(
        ("train_pass/" + entry.name).c_str(),
        [entry](benchmark::State& state) { trainPass(state, entry.kind, entry.threads); })
        ->Arg(8)
        ->Arg(12)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
