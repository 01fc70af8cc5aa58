#include "model/shared_work_training.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "model/sim_shape.h"
#include "model/training_tables.h"
#include "model/training_thread_pool.h"

namespace stridewell {
namespace {

static_assert(kTrainHiddenUnits == kSimHiddenUnits && kTrainOutputs == kSimOutputs);
static_assert(kTrainSlots == kSimHorseSlots && kTrainInputsPerHorse == kSimInputsPerHorse);
static_assert(kTrainMostHorses == kPatternSlots);

bool detectAvx2() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#else
  return false;
#endif
}

bool trainableCount(int32_t horseCount) {
  return horseCount >= kFewestPatternHorses && horseCount <= kPatternSlots;
}

// Choices of one record that start with a given horse.
uint64_t choicesPerFirstHorse(int32_t n) {
  return static_cast<uint64_t>(n - 1) * static_cast<uint64_t>(n - 2) * static_cast<uint64_t>(n - 3) *
         static_cast<uint64_t>(n - 4);
}

bool stopRequested(const void* context) {
  return static_cast<const std::atomic<int>*>(context)->load(std::memory_order_relaxed) != 0;
}

// Where a thread's share starts: a record and its first horse.
struct SharePoint {
  size_t record = 0;
  int horse = 0;
};

// What one thread keeps between calls: its record buffers and its sums.
struct Workspace {
  RecordInputs inputs;
  RecordTables tables;
  TrainingSums sums;
  bool stopped = false;
};

class SharedWorkTrainer final : public RecordTrainer {
 public:
  SharedWorkTrainer(SimModel& model, const std::atomic<int>& stopRequest, int threadCount,
                    const TrainingKernelFunctions& kernel)
      : model_(model),
        stop_(stopRequest),
        kernel_(kernel),
        weights_(std::make_unique<TrainingWeights>()),
        pool_(threadCount) {
    for (int t = 0; t < pool_.threadCount(); ++t) workspaces_.push_back(std::make_unique<Workspace>());
    shareStart_.resize(static_cast<size_t>(pool_.threadCount()) + 1);
  }

  bool trainRecords(const PatternRecord* records, size_t count, double& tss) override {
    if (stop_.load(std::memory_order_relaxed) != 0) return false;
    copyWeights();
    splitWork(records, count);
    pool_.run([this, records, count](int t) { runShare(t, records, count); });
    for (const auto& workspace : workspaces_) {
      if (workspace->stopped) return false;
    }
    addSums(tss);
    return true;
  }

 private:
  void copyWeights() {
    TrainingWeights& w = *weights_;
    std::memset(&w, 0, sizeof w);
    for (int h = 0; h < kSimHiddenUnits; ++h) {
      const int32_t unit = kSimInputs + h;
      w.hiddenBias[h] = model_.bias(unit);
      const std::span<const double> weights = model_.connectionWeights(unit);
      for (int i = 0; i < kSimInputs; ++i) w.hiddenWeight[i][h] = weights[static_cast<size_t>(i)];
    }
    for (int o = 0; o < kSimOutputs; ++o) {
      const int32_t unit = kSimInputs + kSimHiddenUnits + o;
      w.outputBias[o] = model_.bias(unit);
      const std::span<const double> weights = model_.connectionWeights(unit);
      for (int h = 0; h < kSimHiddenUnits; ++h) w.outputWeight[o][h] = weights[static_cast<size_t>(h)];
    }
  }

  // Gives each thread a run of (record, first horse) items holding about
  // the same number of choices. The split depends only on the records and
  // the thread count, so the sums are the same whatever the timing.
  void splitWork(const PatternRecord* records, size_t count) {
    const size_t threads = static_cast<size_t>(pool_.threadCount());
    uint64_t total = 0;
    for (size_t r = 0; r < count; ++r) {
      const int32_t n = records[r].horseCount;
      if (trainableCount(n)) total += static_cast<uint64_t>(n) * choicesPerFirstHorse(n);
    }
    shareStart_[0] = SharePoint{};
    size_t next = 1;
    uint64_t done = 0;
    for (size_t r = 0; r < count && next < threads; ++r) {
      const int32_t n = records[r].horseCount;
      if (!trainableCount(n)) continue;
      for (int a = 0; a < n; ++a) {
        while (next < threads && done >= total / threads * next + total % threads * next / threads) {
          shareStart_[next++] = SharePoint{r, a};
        }
        done += choicesPerFirstHorse(n);
      }
    }
    while (next <= threads) shareStart_[next++] = SharePoint{count, 0};
  }

  void runShare(int t, const PatternRecord* records, size_t count) {
    Workspace& work = *workspaces_[static_cast<size_t>(t)];
    work.stopped = false;
    std::memset(&work.sums, 0, sizeof work.sums);
    const SharePoint begin = shareStart_[static_cast<size_t>(t)];
    const SharePoint end = shareStart_[static_cast<size_t>(t) + 1];
    for (size_t r = begin.record; r < count && (r < end.record || (r == end.record && end.horse > 0)); ++r) {
      const PatternRecord& record = records[r];
      if (!trainableCount(record.horseCount)) continue;
      const int firstHorse = r == begin.record ? begin.horse : 0;
      const int endHorse = r == end.record ? end.horse : record.horseCount;
      if (firstHorse >= endHorse) continue;
      loadInputs(record, work.inputs);
      kernel_.buildRecordTables(*weights_, work.inputs, work.tables);
      std::memset(work.sums.deltaSum, 0, sizeof work.sums.deltaSum);
      if (!kernel_.trainChoices(*weights_, work.inputs, work.tables, firstHorse, endHorse, work.sums,
                                stopRequested, &stop_)) {
        work.stopped = true;
        return;
      }
      kernel_.addHiddenSlopes(work.inputs, work.sums);
    }
  }

  // The record's inputs widened to double. The record is packed and may
  // sit at any address, so its floats are copied out as bytes.
  static void loadInputs(const PatternRecord& record, RecordInputs& inputs) {
    std::memset(&inputs, 0, sizeof inputs);
    inputs.horseCount = record.horseCount;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    for (int horse = 0; horse < record.horseCount; ++horse) {
      float values[kSimInputsPerHorse];
      std::memcpy(values,
                  bytes + offsetof(PatternRecord, horses) + sizeof(PatternHorse) * static_cast<size_t>(horse),
                  sizeof values);
      for (int j = 0; j < kSimInputsPerHorse; ++j) inputs.input[horse][j] = static_cast<double>(values[j]);
      inputs.finish[horse] = static_cast<double>(record.horses[horse].finishPosition);
    }
  }

  // Each thread's sums go into the model's slopes in thread order.
  void addSums(double& tss) {
    SimModel::TrainingState& state = model_.trainingState();
    const size_t outputWeights = static_cast<size_t>(kSimHiddenUnits) * kSimInputs;
    for (const auto& workspace : workspaces_) {
      const TrainingSums& sums = workspace->sums;
      for (int h = 0; h < kSimHiddenUnits; ++h) {
        double* slope = state.slope.data() + static_cast<size_t>(h) * kSimInputs;
        for (int s = 0; s < kSimHorseSlots; ++s) {
          for (int j = 0; j < kSimInputsPerHorse; ++j)
            slope[s * kSimInputsPerHorse + j] += sums.hiddenSlope[h][s][j];
        }
        state.biasSlope[static_cast<size_t>(h)] += sums.hiddenBiasSlope[h];
      }
      for (int o = 0; o < kSimOutputs; ++o) {
        double* slope = state.slope.data() + outputWeights + static_cast<size_t>(o) * kSimHiddenUnits;
        for (int h = 0; h < kSimHiddenUnits; ++h) slope[h] += sums.outputSlope[o][h];
        state.biasSlope[static_cast<size_t>(kSimHiddenUnits + o)] += sums.outputBiasSlope[o];
      }
      tss += sums.squaredError;
    }
  }

  SimModel& model_;
  const std::atomic<int>& stop_;
  const TrainingKernelFunctions& kernel_;
  std::unique_ptr<TrainingWeights> weights_;
  std::vector<std::unique_ptr<Workspace>> workspaces_;
  std::vector<SharePoint> shareStart_;
  // Last, so that its threads stop before the buffers they use go away.
  TrainingThreadPool pool_;
};

}  // namespace

bool processorRunsTrainingKernel(TrainingKernel kernel) {
  static const bool hasAvx2 = detectAvx2();
  switch (kernel) {
    case TrainingKernel::kPortable:
      return true;
    case TrainingKernel::kAvx2:
      return hasAvx2;
  }
  return false;
}

TrainingKernel fastestTrainingKernel() {
  return processorRunsTrainingKernel(TrainingKernel::kAvx2) ? TrainingKernel::kAvx2
                                                            : TrainingKernel::kPortable;
}

std::unique_ptr<RecordTrainer> makeSharedWorkTrainer(SimModel& model, const std::atomic<int>& stopRequest,
                                                     int threadCount, TrainingKernel kernel) {
  if (!hasSimShape(model) || !model.hasTrainingState() || !processorRunsTrainingKernel(kernel))
    return nullptr;
  const TrainingKernelFunctions* functions = &kPortableTrainingKernel;
#if defined(__x86_64__)
  if (kernel == TrainingKernel::kAvx2) functions = &kAvx2TrainingKernel;
#endif
  return std::make_unique<SharedWorkTrainer>(model, stopRequest,
                                             std::clamp(threadCount, 1, kMostTrainingThreads), *functions);
}

std::unique_ptr<RecordTrainer> makeFastTrainer(SimModel& model, const std::atomic<int>& stopRequest,
                                               int threadCount) {
  return makeSharedWorkTrainer(model, stopRequest, threadCount, fastestTrainingKernel());
}

}  // namespace stridewell
