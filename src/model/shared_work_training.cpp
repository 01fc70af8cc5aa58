#include "model/shared_work_training.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <vector>

#include "model/exact_sums.h"
#include "model/sim_shape.h"
#include "model/training_group.h"
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

bool detectAvx512() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f");
#else
  return false;
#endif
}

bool trainableCount(int32_t horseCount) {
  return horseCount >= kFewestPatternHorses && horseCount <= kPatternSlots;
}

bool stopRequested(const void* context) {
  return static_cast<const std::atomic<int>*>(context)->load(std::memory_order_relaxed) != 0;
}

// Fields of up to this many horses train four choices at a time even
// where the processor has eight lanes.
constexpr int32_t kNarrowField = 8;

// The exact sums of a pass, in the model's order: every connection's slope,
// every bias's slope, then the squared error.
constexpr size_t kConnections =
    static_cast<size_t>(kSimHiddenUnits) * kSimInputs + static_cast<size_t>(kSimOutputs) * kSimHiddenUnits;
constexpr size_t kBiases = static_cast<size_t>(kSimHiddenUnits) + kSimOutputs;
constexpr size_t kSquaredErrorSum = kConnections + kBiases;
constexpr size_t kPassSums = kSquaredErrorSum + 1;

constexpr size_t kGroupSize = static_cast<size_t>(kRecordGroupSize);
static_assert(kRecordGroupSize >= 1);
// Records handed to the threads at a time: bounds the record sums kept
// until their groups are complete.
constexpr size_t kMostRecordsPerRun = 64;

// What one thread keeps between calls: its record buffers and the exact
// sums of its groups since the last flush.
struct Workspace {
  RecordInputs inputs;
  RecordTables tables;
  ExactSums pass{kPassSums};
  bool stopped = false;
};

// a += b over the sums that go into the model (not the delta sums).
void addSums(TrainingSums& a, const TrainingSums& b) {
  for (int h = 0; h < kTrainHiddenUnits; ++h) {
    for (int s = 0; s < kTrainSlots; ++s) {
      for (int j = 0; j < kTrainInputsPerHorse; ++j) a.hiddenSlope[h][s][j] += b.hiddenSlope[h][s][j];
    }
    a.hiddenBiasSlope[h] += b.hiddenBiasSlope[h];
  }
  for (int o = 0; o < kTrainOutputs; ++o) {
    for (int h = 0; h < kTrainHiddenUnits; ++h) a.outputSlope[o][h] += b.outputSlope[o][h];
    a.outputBiasSlope[o] += b.outputBiasSlope[o];
  }
  a.squaredError += b.squaredError;
}

class SharedWorkTrainer final : public RecordTrainer {
 public:
  // `wideKernel` trains the fields of more than kNarrowField horses.
  SharedWorkTrainer(SimModel& model, const std::atomic<int>& stopRequest, int threadCount,
                    const TrainingKernelFunctions& kernel, const TrainingKernelFunctions& wideKernel,
                    TrainingGroup* group)
      : model_(model),
        stop_(stopRequest),
        kernel_(kernel),
        wideKernel_(wideKernel),
        group_(group),
        weights_(std::make_unique<TrainingWeights>()),
        openGroup_(std::make_unique<TrainingSums>()),
        pool_(threadCount) {
    for (int t = 0; t < pool_.threadCount(); ++t) workspaces_.push_back(std::make_unique<Workspace>());
  }

  bool trainRecords(const PatternRecord* records, size_t count, double& tss) override {
    if (stop_.load(std::memory_order_relaxed) != 0) return discardSums();
    if (!seeded_) seed(tss);
    copyWeights();
    for (size_t from = 0; from < count; from += kMostRecordsPerRun) {
      if (!trainRun(records + from, std::min(count - from, kMostRecordsPerRun))) return discardSums();
    }
    return true;
  }

  // The threads' exact sums and the open group's add up to the same
  // integers however the records were shared out; each sum is rounded
  // once, here. With other processes every one of them comes here at the
  // same point of the pass, and their integers are added first.
  bool flushSums(double& tss) override {
    if (group_ == nullptr && !seeded_) return true;
    ExactSums& total = workspaces_.front()->pass;
    if (openHasSums_) addGroupSums(*openGroup_, total);
    for (size_t t = 1; t < workspaces_.size(); ++t) total.addAll(workspaces_[t]->pass);
    if (group_ != nullptr) {
      // The model's own slopes and the caller's error are the same in every
      // process; the first one alone adds them.
      if (!seeded_ && group_->rank() == 0) seed(tss);
      const bool stopping = stop_.load(std::memory_order_relaxed) != 0;
      if (group_->agree(stopping ? GroupState::kStopped : GroupState::kGoing) != GroupState::kGoing) {
        discardSums();
        return false;
      }
      const std::span<const int64_t> digits = total.carriedDigits();
      wire_.assign(digits.begin(), digits.end());
      group_->sumIntegers(wire_);
      total.setDigits(wire_);
    }
    SimModel::TrainingState& state = model_.trainingState();
    for (size_t i = 0; i < kConnections; ++i) state.slope[i] = total.rounded(i);
    for (size_t k = 0; k < kBiases; ++k) state.biasSlope[k] = total.rounded(kConnections + k);
    tss = total.rounded(kSquaredErrorSum);
    discardSums();
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

  // The start of the sums: the model's slopes as they stand (the weight
  // decay that starts each epoch) and the caller's squared error, once,
  // and in one process of a group.
  void seed(double tss) {
    seeded_ = true;
    if (group_ != nullptr && group_->rank() != 0) return;
    ExactSums& sums = workspaces_.front()->pass;
    const SimModel::TrainingState& state = model_.trainingState();
    for (size_t i = 0; i < kConnections; ++i) sums.add(i, state.slope[i]);
    for (size_t k = 0; k < kBiases; ++k) sums.add(kConnections + k, state.biasSlope[k]);
    sums.add(kSquaredErrorSum, tss);
  }

  bool discardSums() {
    for (const auto& workspace : workspaces_) workspace->pass.clear();
    seeded_ = false;
    openCount_ = 0;
    openHasSums_ = false;
    return false;
  }

  // A run's groups are counted on from the group the last run left open:
  // the first may go on with it, the last may stay open.
  size_t groupOf(size_t r) const { return (openCount_ + r) / kGroupSize; }
  size_t groupEnd(size_t g, size_t count) const { return std::min(count, (g + 1) * kGroupSize - openCount_); }
  bool groupCloses(size_t g, size_t count) const { return (g + 1) * kGroupSize - openCount_ <= count; }

  // Trains records[0..count) on the threads; false on a stop.
  bool trainRun(const PatternRecord* records, size_t count) {
    splitWork(records, count);
    pool_.run([this, records, count](int t) { runShare(t, records, count); });
    for (const auto& workspace : workspaces_) {
      if (workspace->stopped) return false;
    }
    // An open group that this run ends without a trainable record of its own.
    if (openHasSums_ && groupTrainable_[0] == 0 && groupCloses(0, count))
      addGroupSums(*openGroup_, workspaces_.front()->pass);
    // The group the run leaves open.
    const size_t last = groupOf(count - 1);
    if (groupCloses(last, count)) {
      openHasSums_ = false;
    } else if (groupTrainable_[last] > 0) {
      if (!(last == 0 && openHasSums_)) std::swap(openGroup_, recordSums_[firstTrainable_[last]]);
      openHasSums_ = true;
    } else if (last > 0) {
      openHasSums_ = false;
    }
    openCount_ = (openCount_ + count) % kGroupSize;
    return true;
  }

  // Lists the trainable records largest first; the threads then take the
  // next one as they come free, so no thread waits long for the last big
  // record. Each record's sums are made alone and a group's are added in
  // record order, so who takes which record changes only the timing, never
  // the sums.
  void splitWork(const PatternRecord* records, size_t count) {
    order_.clear();
    const size_t groups = groupOf(count - 1) + 1;
    groupTrainable_.assign(groups, 0);
    firstTrainable_.assign(groups, count);
    for (size_t r = 0; r < count; ++r) {
      if (!trainableCount(records[r].horseCount)) continue;
      order_.push_back(r);
      const size_t g = groupOf(r);
      if (groupTrainable_[g]++ == 0) firstTrainable_[g] = r;
    }
    std::stable_sort(order_.begin(), order_.end(),
                     [records](size_t a, size_t b) { return records[a].horseCount > records[b].horseCount; });
    while (recordSums_.size() < count) recordSums_.push_back(std::make_unique<TrainingSums>());
    for (size_t g = 0; g < groups; ++g) remaining_[g].store(groupTrainable_[g], std::memory_order_relaxed);
    nextRecord_.store(0, std::memory_order_relaxed);
  }

  void runShare(int t, const PatternRecord* records, size_t count) {
    Workspace& work = *workspaces_[static_cast<size_t>(t)];
    work.stopped = false;
    for (size_t i = nextRecord_.fetch_add(1, std::memory_order_relaxed); i < order_.size();
         i = nextRecord_.fetch_add(1, std::memory_order_relaxed)) {
      const size_t r = order_[i];
      const PatternRecord& record = records[r];
      TrainingSums& sums = *recordSums_[r];
      loadInputs(record, work.inputs);
      const TrainingKernelFunctions& kernel = record.horseCount > kNarrowField ? wideKernel_ : kernel_;
      kernel.buildRecordTables(*weights_, work.inputs, work.tables);
      std::memset(&sums, 0, sizeof sums);
      if (!kernel.trainChoices(*weights_, work.inputs, work.tables, 0, record.horseCount, sums, stopRequested,
                               &stop_)) {
        work.stopped = true;
        return;
      }
      kernel.addHiddenSlopes(work.inputs, sums);
      // Whoever finishes a group's last record adds the group up.
      const size_t g = groupOf(r);
      if (remaining_[g].fetch_sub(1, std::memory_order_acq_rel) == 1) foldGroup(g, records, count, work);
    }
  }

  // Adds the group's record sums in record order, onto the open group's
  // when it goes on with one; a whole group goes into the exact sums.
  void foldGroup(size_t g, const PatternRecord* records, size_t count, Workspace& work) {
    const bool fromOpen = g == 0 && openHasSums_;
    TrainingSums& total = fromOpen ? *openGroup_ : *recordSums_[firstTrainable_[g]];
    for (size_t r = fromOpen ? firstTrainable_[g] : firstTrainable_[g] + 1; r < groupEnd(g, count); ++r) {
      if (trainableCount(records[r].horseCount)) addSums(total, *recordSums_[r]);
    }
    if (groupCloses(g, count)) addGroupSums(total, work.pass);
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

  // One group's sums into exact sums, in the model's order.
  static void addGroupSums(const TrainingSums& sums, ExactSums& pass) {
    const size_t outputWeights = static_cast<size_t>(kSimHiddenUnits) * kSimInputs;
    for (int h = 0; h < kSimHiddenUnits; ++h) {
      const size_t first = static_cast<size_t>(h) * kSimInputs;
      for (int s = 0; s < kSimHorseSlots; ++s) {
        for (int j = 0; j < kSimInputsPerHorse; ++j)
          pass.add(first + static_cast<size_t>(s * kSimInputsPerHorse + j), sums.hiddenSlope[h][s][j]);
      }
      pass.add(kConnections + static_cast<size_t>(h), sums.hiddenBiasSlope[h]);
    }
    for (int o = 0; o < kSimOutputs; ++o) {
      const size_t first = outputWeights + static_cast<size_t>(o) * kSimHiddenUnits;
      for (int h = 0; h < kSimHiddenUnits; ++h)
        pass.add(first + static_cast<size_t>(h), sums.outputSlope[o][h]);
      pass.add(kConnections + static_cast<size_t>(kSimHiddenUnits + o), sums.outputBiasSlope[o]);
    }
    pass.add(kSquaredErrorSum, sums.squaredError);
  }

  SimModel& model_;
  const std::atomic<int>& stop_;
  const TrainingKernelFunctions& kernel_;
  const TrainingKernelFunctions& wideKernel_;
  TrainingGroup* group_;       // null when this process trains alone
  std::vector<int64_t> wire_;  // the sums' digits as the processes add them
  std::unique_ptr<TrainingWeights> weights_;
  std::vector<std::unique_ptr<Workspace>> workspaces_;
  // The sums of the group the last run left open: its first openCount_
  // records (0: none open), some of them trainable when openHasSums_.
  std::unique_ptr<TrainingSums> openGroup_;
  size_t openCount_ = 0;
  bool openHasSums_ = false;
  // A run's record sums, by record; its trainable records, largest first;
  // per group, the trainable records, the first of them (or the run's
  // count) and the records still to train.
  std::vector<std::unique_ptr<TrainingSums>> recordSums_;
  std::vector<size_t> order_;
  std::vector<size_t> groupTrainable_;
  std::vector<size_t> firstTrainable_;
  std::unique_ptr<std::atomic<size_t>[]> remaining_ =
      std::make_unique<std::atomic<size_t>[]>(kMostRecordsPerRun / kGroupSize + 2);
  std::atomic<size_t> nextRecord_{0};
  bool seeded_ = false;
  // Last, so that its threads stop before the buffers they use go away.
  TrainingThreadPool pool_;
};

}  // namespace

bool processorRunsTrainingKernel(TrainingKernel kernel) {
  static const bool hasAvx2 = detectAvx2();
  static const bool hasAvx512 = detectAvx512();
  switch (kernel) {
    case TrainingKernel::kPortable:
      return true;
    case TrainingKernel::kAvx2:
      return hasAvx2;
    case TrainingKernel::kAvx512:
      return hasAvx512 && hasAvx2;
  }
  return false;
}

TrainingKernel fastestTrainingKernel() {
  if (processorRunsTrainingKernel(TrainingKernel::kAvx512)) return TrainingKernel::kAvx512;
  return processorRunsTrainingKernel(TrainingKernel::kAvx2) ? TrainingKernel::kAvx2
                                                            : TrainingKernel::kPortable;
}

std::unique_ptr<RecordTrainer> makeSharedWorkTrainer(SimModel& model, const std::atomic<int>& stopRequest,
                                                     int threadCount, TrainingKernel kernel,
                                                     TrainingGroup* group) {
  if (!hasSimShape(model) || !model.hasTrainingState() || !processorRunsTrainingKernel(kernel))
    return nullptr;
  const TrainingKernelFunctions* functions = &kPortableTrainingKernel;
  const TrainingKernelFunctions* wide = &kPortableTrainingKernel;
#if defined(__x86_64__)
  if (kernel == TrainingKernel::kAvx2) functions = wide = &kAvx2TrainingKernel;
  if (kernel == TrainingKernel::kAvx512) {
    // A field of 8 leaves 4 horses for the last slot: eight lanes would
    // run half empty, so those fields stay on four.
    functions = &kAvx2TrainingKernel;
    wide = &kAvx512TrainingKernel;
  }
#endif
  return std::make_unique<SharedWorkTrainer>(
      model, stopRequest, std::clamp(threadCount, 1, kMostTrainingThreads), *functions, *wide, group);
}

std::unique_ptr<RecordTrainer> makeFastTrainer(SimModel& model, const std::atomic<int>& stopRequest,
                                               int threadCount, TrainingGroup* group) {
  return makeSharedWorkTrainer(model, stopRequest, threadCount, fastestTrainingKernel(), group);
}

}  // namespace stridewell
