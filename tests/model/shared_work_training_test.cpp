// The shared-work trainer against the literal one: the same slopes, squared
// error and quickprop step from the same start, on either kernel and any
// thread count; the same sums every time for a given thread count; a stop
// request honoured at once; untrainable records skipped.
#include "model/shared_work_training.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "model/sim_shape.h"
#include "model/training_tables.h"

namespace stridewell {
namespace {

// Records of the given horse counts with inputs like standardised factors
// (normal, cut at +-3) and finishes 1..n with a dead heat for second.
std::vector<PatternRecord> makeRecords(const std::vector<int>& horseCounts, unsigned seed) {
  std::mt19937 random(seed);
  std::normal_distribution<float> normal(0.0f, 1.0f);
  std::vector<PatternRecord> records(horseCounts.size());
  for (size_t r = 0; r < records.size(); ++r) {
    PatternRecord& record = records[r];
    record = PatternRecord{};
    record.horseCount = horseCounts[r];
    const int n = std::clamp(horseCounts[r], 0, kPatternSlots);
    std::vector<int32_t> finishes;
    for (int i = 0; i < n; ++i) finishes.push_back(i < 2 ? 1 + i : i);  // 1, 2, 2, 3, ...
    std::shuffle(finishes.begin(), finishes.end(), random);
    for (int h = 0; h < n; ++h) {
      for (float& input : record.horses[h].inputs) input = std::clamp(normal(random), -3.0f, 3.0f);
      record.horses[h].finishPosition = finishes[static_cast<size_t>(h)];
    }
  }
  return records;
}

// Slopes, squared error and the step a trainer gives from the fixed-seed
// start; hiddenScale multiplies the first hidden unit's weights, to drive
// its net inputs far past the point where the logistic saturates.
struct Outcome {
  bool trained = false;
  double tss = 0;
  std::vector<double> slopes;   // every connection, then every bias
  std::vector<double> changes;  // the quickprop step of each
  std::vector<double> weights;  // after the step
};

enum class Trainer { kLiteral, kPortable, kAvx2, kAvx512 };

TrainingKernel kernelOf(Trainer kind) {
  return kind == Trainer::kAvx512 ? TrainingKernel::kAvx512
         : kind == Trainer::kAvx2 ? TrainingKernel::kAvx2
                                  : TrainingKernel::kPortable;
}

Outcome train(Trainer kind, int threads, const std::vector<PatternRecord>& records,
              double hiddenScale = 1.0) {
  Outcome outcome;
  SimModel model(true);
  if (defineSimShape(model) != kSimUnits) return outcome;
  for (double& weight : model.connectionWeights(kSimInputs)) weight *= hiddenScale;
  model.startEpoch(true);
  std::atomic<int> stop{0};
  const auto trainer = kind == Trainer::kLiteral
                           ? makeLiteralTrainer(model, stop)
                           : makeSharedWorkTrainer(model, stop, threads, kernelOf(kind));
  if (!trainer) return outcome;
  outcome.trained = trainer->trainRecords(records.data(), records.size(), outcome.tss);
  trainer->flushSums(outcome.tss);
  const SimModel::TrainingState& state = model.trainingState();
  outcome.slopes = state.slope;
  outcome.slopes.insert(outcome.slopes.end(), state.biasSlope.begin(), state.biasSlope.end());
  model.quickpropUpdate(0.00000001, 1.75);
  outcome.changes = state.previousChange;
  outcome.changes.insert(outcome.changes.end(), state.previousBiasChange.begin(),
                         state.previousBiasChange.end());
  for (int32_t unit = kSimInputs; unit < kSimUnits; ++unit) {
    outcome.weights.push_back(model.bias(unit));
    for (double weight : model.connectionWeights(unit)) outcome.weights.push_back(weight);
  }
  return outcome;
}

// Agreement to 1e-9 (or `relative`) of the reference value. Values nearer 0 than `floor`
// are held to 1e-9 of the floor instead: a slope is a sum of thousands of
// terms of either sign, and summed in another order its last bits differ by
// about 1e-13 of the terms' size however small the sum, so a relative test
// of a near-zero sum measures nothing but that cancellation.
// The SIM itself (the weights after the update) and the squared error are
// held to 1e-12: the slopes' last bits move a weight by far less.
constexpr double kWeightAgreement = 1e-12;

void expectClose(const std::vector<double>& actual, const std::vector<double>& expected, double floor,
                 const std::string& what, double relative = 1e-9) {
  ASSERT_EQ(actual.size(), expected.size()) << what;
  int failures = 0;
  for (size_t i = 0; i < expected.size() && failures < 5; ++i) {
    const double tolerance = relative * std::max(std::fabs(expected[i]), floor);
    if (!(std::fabs(actual[i] - expected[i]) <= tolerance)) {
      ++failures;
      ADD_FAILURE() << what << " [" << i << "]: " << actual[i] << " against " << expected[i];
    }
  }
}

// The largest slope in size, to scale the floor by.
double largest(const std::vector<double>& values) {
  double most = 0;
  for (double value : values) most = std::max(most, std::fabs(value));
  return most;
}

std::vector<Trainer> fastKernels() {
  std::vector<Trainer> kernels = {Trainer::kPortable};
  if (processorRunsTrainingKernel(TrainingKernel::kAvx2)) kernels.push_back(Trainer::kAvx2);
  if (processorRunsTrainingKernel(TrainingKernel::kAvx512)) kernels.push_back(Trainer::kAvx512);
  return kernels;
}

const char* name(Trainer kind) {
  return kind == Trainer::kPortable ? "portable"
         : kind == Trainer::kAvx2   ? "avx2"
         : kind == Trainer::kAvx512 ? "avx512"
                                    : "literal";
}

struct AgreementCase {
  const char* what;
  double hiddenScale;
};

TEST(SharedWorkTraining, AgreesWithLiteralTrainerOnEveryKernelAndThreadCount) {
  // 5 to 8 horses: 120 + 720 + 2,520 + 6,720 choices. The large-weight case
  // sends one hidden unit's net inputs past +-350, off the product form.
  const std::vector<PatternRecord> records = makeRecords({5, 6, 7, 8}, 11);
  const AgreementCase cases[] = {{"plain weights", 1.0}, {"one saturated hidden unit", 3000.0}};
  for (const AgreementCase& c : cases) {
    const Outcome literal = train(Trainer::kLiteral, 1, records, c.hiddenScale);
    ASSERT_TRUE(literal.trained) << c.what;
    ASSERT_GT(literal.tss, 0.0);
    // Floors: a millionth of the largest slope, and of the largest change.
    const double slopeFloor = 1e-6 * largest(literal.slopes);
    const double changeFloor = 1e-6 * largest(literal.changes);
    for (Trainer kernel : fastKernels()) {
      for (int threads : {1, 2, 3}) {
        const std::string what =
            std::string(c.what) + ", " + name(kernel) + ", " + std::to_string(threads) + " threads";
        const Outcome fast = train(kernel, threads, records, c.hiddenScale);
        ASSERT_TRUE(fast.trained) << what;
        EXPECT_NEAR(fast.tss, literal.tss, kWeightAgreement * literal.tss) << what;
        expectClose(fast.slopes, literal.slopes, slopeFloor, what + ": slope");
        expectClose(fast.changes, literal.changes, changeFloor, what + ": change");
        expectClose(fast.weights, literal.weights, 0.0, what + ": weight", kWeightAgreement);
      }
    }
  }
}

// The largest first-layer term (one horse in one slot) and the smallest
// and largest net input over every choice of the records for the first
// hidden unit, with its weights scaled as train() scales them.
struct FirstUnitSums {
  double largestTerm = 0;
  double smallestTotal = 0;
  double largestTotal = 0;
};

FirstUnitSums firstUnitSums(const std::vector<PatternRecord>& records, double hiddenScale) {
  SimModel model(true);
  FirstUnitSums out;
  if (defineSimShape(model) != kSimUnits) return out;
  const std::span<const double> weights = std::as_const(model).connectionWeights(kSimInputs);
  out.smallestTotal = std::numeric_limits<double>::infinity();
  out.largestTotal = -out.smallestTotal;
  for (const PatternRecord& record : records) {
    const int n = record.horseCount;
    double term[kSimHorseSlots][kPatternSlots] = {};
    for (int s = 0; s < kSimHorseSlots; ++s) {
      for (int horse = 0; horse < n; ++horse) {
        for (int j = 0; j < kSimInputsPerHorse; ++j) {
          term[s][horse] += hiddenScale * weights[static_cast<size_t>(s * kSimInputsPerHorse + j)] *
                            static_cast<double>(record.horses[horse].inputs[j]);
        }
        out.largestTerm = std::max(out.largestTerm, std::fabs(term[s][horse]));
      }
    }
    for (int a = 0; a < n; ++a)
      for (int b = 0; b < n; ++b)
        for (int c = 0; c < n; ++c)
          for (int d = 0; d < n; ++d)
            for (int e = 0; e < n; ++e) {
              if (a == b || a == c || a == d || a == e || b == c || b == d || b == e || c == d || c == e ||
                  d == e)
                continue;
              const double total = hiddenScale * model.bias(kSimInputs) + term[0][a] + term[1][b] +
                                   term[2][c] + term[3][d] + term[4][e];
              out.smallestTotal = std::min(out.smallestTotal, total);
              out.largestTotal = std::max(out.largestTotal, total);
            }
  }
  return out;
}

TEST(SharedWorkTraining, AgreesWithLiteralTrainerOnLargeFieldsAndLargeWeights) {
  // 9 and 10 horses: the last horse takes more than one vector of lanes.
  // The scaled cases move the first hidden unit's net inputs across the
  // limits of the product form (+-170) and its first-layer terms across
  // the point (+-160) beyond which they are not multiplied out as
  // exponentials; each case checks that its records do that.
  const std::vector<PatternRecord> records = makeRecords({9, 10}, 23);
  struct LargeCase {
    const char* what;
    double hiddenScale;
    bool someTotalsOffProductForm;
    bool termsTooLargeToMultiply;
  };
  const LargeCase cases[] = {
      {"plain weights", 1.0, false, false},
      {"some net inputs off the product form", 40.0, true, false},
      {"first-layer terms too large to multiply", 120.0, true, true},
  };
  for (const LargeCase& c : cases) {
    const FirstUnitSums sums = firstUnitSums(records, c.hiddenScale);
    const bool offProductForm = sums.smallestTotal < -170.0 || sums.largestTotal > 170.0;
    const bool onProductForm = sums.smallestTotal < 170.0 && sums.largestTotal > -170.0;
    ASSERT_EQ(offProductForm, c.someTotalsOffProductForm)
        << c.what << ": " << sums.smallestTotal << " to " << sums.largestTotal;
    ASSERT_TRUE(onProductForm) << c.what;
    ASSERT_EQ(sums.largestTerm > 160.0, c.termsTooLargeToMultiply) << c.what << ": " << sums.largestTerm;

    const Outcome literal = train(Trainer::kLiteral, 1, records, c.hiddenScale);
    ASSERT_TRUE(literal.trained) << c.what;
    const double slopeFloor = 1e-6 * largest(literal.slopes);
    const double changeFloor = 1e-6 * largest(literal.changes);
    for (Trainer kernel : fastKernels()) {
      const std::string what = std::string(c.what) + ", " + name(kernel);
      const Outcome fast = train(kernel, 1, records, c.hiddenScale);
      ASSERT_TRUE(fast.trained) << what;
      EXPECT_NEAR(fast.tss, literal.tss, kWeightAgreement * literal.tss) << what;
      expectClose(fast.slopes, literal.slopes, slopeFloor, what + ": slope");
      expectClose(fast.changes, literal.changes, changeFloor, what + ": change");
      expectClose(fast.weights, literal.weights, 0.0, what + ": weight", kWeightAgreement);
    }
  }
}

TEST(SharedWorkTraining, AnyThreadCountGivesIdenticalSums) {
  // More threads than records too: some threads then get no record.
  const std::vector<PatternRecord> records = makeRecords({12, 9, 5, 12, 7, 6}, 5);
  for (Trainer kernel : fastKernels()) {
    const Outcome one = train(kernel, 1, records);
    ASSERT_TRUE(one.trained);
    for (int threads : {1, 2, 3, 4, 8}) {
      const Outcome other = train(kernel, threads, records);
      ASSERT_TRUE(other.trained);
      EXPECT_EQ(other.tss, one.tss) << name(kernel) << " " << threads;
      EXPECT_EQ(other.slopes, one.slopes) << name(kernel) << " " << threads;
      EXPECT_EQ(other.weights, one.weights) << name(kernel) << " " << threads;
    }
  }
}

TEST(SharedWorkTraining, SumsAreTheSameHoweverTheRecordsAreBatched) {
  // The pattern file arrives in blocks: one call or several calls before a
  // flush give the same bits, and so does a flush in the middle followed
  // by more records (the sums carry on from the model's slopes).
  const std::vector<PatternRecord> records = makeRecords({8, 10, 5, 9, 11}, 9);
  for (Trainer kernel : fastKernels()) {
    auto trainInBatches = [&](const std::vector<size_t>& cuts, bool flushAtCuts) {
      SimModel model(true);
      EXPECT_EQ(defineSimShape(model), kSimUnits);
      model.startEpoch(true);
      std::atomic<int> stop{0};
      const auto trainer = makeSharedWorkTrainer(model, stop, 2, kernelOf(kernel));
      double tss = 0.0;
      size_t from = 0;
      for (size_t cut : cuts) {
        EXPECT_TRUE(trainer->trainRecords(records.data() + from, cut - from, tss));
        if (flushAtCuts) trainer->flushSums(tss);
        from = cut;
      }
      trainer->flushSums(tss);
      std::vector<double> slopes = model.trainingState().slope;
      slopes.push_back(tss);
      return slopes;
    };
    const std::vector<double> whole = trainInBatches({5}, false);
    EXPECT_EQ(trainInBatches({1, 2, 5}, false), whole) << name(kernel);
    EXPECT_EQ(trainInBatches({3, 4, 5}, false), whole) << name(kernel);
    // Rounding at a flush is the one place batches may differ: the flushed
    // slopes are within rounding of the unflushed ones.
    const std::vector<double> flushed = trainInBatches({2, 5}, true);
    expectClose(flushed, whole, 1e-6 * largest(whole), std::string(name(kernel)) + " flushed");
  }
}

TEST(SharedWorkTraining, SkipsRecordsWithUntrainableHorseCounts) {
  const std::vector<PatternRecord> trainable = makeRecords({7, 5}, 3);
  std::vector<PatternRecord> mixed = makeRecords({4, 7, 13, 0, 5, -1, 100000}, 3);
  mixed[1] = trainable[0];
  mixed[4] = trainable[1];
  for (Trainer kernel : fastKernels()) {
    for (int threads : {1, 2}) {
      const Outcome expected = train(kernel, threads, trainable);
      const Outcome actual = train(kernel, threads, mixed);
      ASSERT_TRUE(actual.trained);
      EXPECT_EQ(actual.tss, expected.tss) << name(kernel) << " " << threads;
      EXPECT_EQ(actual.slopes, expected.slopes) << name(kernel) << " " << threads;
    }
    // Nothing trainable: nothing added, and the call still succeeds.
    const std::vector<PatternRecord> none = makeRecords({4, 13, 0}, 3);
    const Outcome untouched = train(kernel, 2, {});
    const Outcome skipped = train(kernel, 2, none);
    ASSERT_TRUE(skipped.trained);
    EXPECT_EQ(skipped.tss, 0.0);
    EXPECT_EQ(skipped.slopes, untouched.slopes);
  }
}

TEST(SharedWorkTraining, StopRequestEndsTheCallWithinMilliseconds) {
  // About 20 million choices: seconds of work on any kernel.
  const std::vector<PatternRecord> records = makeRecords(std::vector<int>(200, 12), 7);
  for (Trainer kernel : fastKernels()) {
    for (int threads : {1, 2}) {
      SimModel model(true);
      ASSERT_EQ(defineSimShape(model), kSimUnits);
      model.startEpoch(true);
      std::atomic<int> stop{0};
      const auto trainer = makeSharedWorkTrainer(model, stop, threads, kernelOf(kernel));
      ASSERT_TRUE(trainer);
      std::atomic<int64_t> stopTime{0};
      std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        stopTime = std::chrono::steady_clock::now().time_since_epoch().count();
        stop = 1;
      });
      double tss = 0;
      const bool finished = trainer->trainRecords(records.data(), records.size(), tss);
      const int64_t returnTime = std::chrono::steady_clock::now().time_since_epoch().count();
      stopper.join();
      EXPECT_FALSE(finished) << name(kernel) << " " << threads;
      // A few milliseconds on a quiet machine; the bound leaves room for
      // sanitizers and a busy one.
      const auto late = std::chrono::steady_clock::duration(returnTime - stopTime.load());
      EXPECT_LT(late, std::chrono::milliseconds(250)) << name(kernel) << " " << threads;
      // A stop already set ends the next call before any work.
      tss = 0;
      EXPECT_FALSE(trainer->trainRecords(records.data(), 1, tss));
      EXPECT_EQ(tss, 0.0);
    }
  }
}

TEST(SharedWorkTraining, RefusesModelsItCannotTrain) {
  std::atomic<int> stop{0};
  SimModel forwardOnly(true);
  ASSERT_EQ(defineSimShape(forwardOnly, {}, true), kSimUnits);
  EXPECT_FALSE(makeFastTrainer(forwardOnly, stop, 1));
  SimModel otherShape(true);
  const int32_t hidden[] = {10};
  ASSERT_GT(otherShape.defineNet(kSimInputs, kSimOutputs, hidden, {}, false), 0);
  EXPECT_FALSE(makeFastTrainer(otherShape, stop, 1));
  SimModel undefined(true);
  EXPECT_FALSE(makeFastTrainer(undefined, stop, 1));
  SimModel program(true);
  ASSERT_EQ(defineSimShape(program), kSimUnits);
  EXPECT_TRUE(makeFastTrainer(program, stop, 0));  // held to one thread
}

struct MathCase {
  const char* what;
  double low, high;
  bool logarithm;  // ln((1 + x) / (1 - x)), else exp(x)
};

TEST(SharedWorkTraining, KernelExpAndLogAreWithinAFewUnitsInTheLastPlace) {
  // The logarithm is the output error's, over the differences a clamped
  // output can leave, and near 0 where the result is small.
  const MathCase cases[] = {
      {"exp near 0", -1.0, 1.0, false},
      {"exp of net inputs", -15.0, 15.0, false},
      {"exp of extreme sums", -700.0, 700.0, false},
      {"exp over its whole range", -708.0, 708.0, false},
      {"error of every difference", -0.999999, 0.999999, true},
      {"error of small differences", -1e-6, 1e-6, true},
  };
  using ExpFunction = void (*)(const double*, double*, int);
  using LogFunction = void (*)(const double*, const double*, double*, int);
  struct KernelMath {
    const char* name;
    ExpFunction exp;
    LogFunction logRatio;
  };
  std::vector<KernelMath> kernels = {{"portable", trainingExpPortable, trainingLogRatioPortable}};
  if (processorRunsTrainingKernel(TrainingKernel::kAvx2)) {
    kernels.push_back({"avx2", trainingExpAvx2, trainingLogRatioAvx2});
  }
  if (processorRunsTrainingKernel(TrainingKernel::kAvx512)) {
    kernels.push_back({"avx512", trainingExpAvx512, trainingLogRatioAvx512});
  }
  for (const MathCase& c : cases) {
    std::vector<double> x(4001), plus(x.size()), minus(x.size()), out(x.size());
    for (size_t i = 0; i < x.size(); ++i) {
      x[i] = c.low + (c.high - c.low) * static_cast<double>(i) / static_cast<double>(x.size() - 1);
      plus[i] = 1.0 + x[i];
      minus[i] = 1.0 - x[i];
    }
    for (const KernelMath& kernel : kernels) {
      if (c.logarithm) {
        kernel.logRatio(plus.data(), minus.data(), out.data(), static_cast<int>(x.size()));
      } else {
        kernel.exp(x.data(), out.data(), static_cast<int>(x.size()));
      }
      double worst = 0;
      for (size_t i = 0; i < x.size(); ++i) {
        // The logarithm's reference in extended precision from the same
        // (rounded) numerator and denominator.
        const long double exact = c.logarithm ? std::log(static_cast<long double>(plus[i])) -
                                                    std::log(static_cast<long double>(minus[i]))
                                              : std::exp(static_cast<long double>(x[i]));
        if (exact != 0) {
          worst = std::max(worst, static_cast<double>(std::fabs((out[i] - exact) / exact)));
        } else {
          EXPECT_EQ(out[i], 0.0) << c.what << ", " << kernel.name;
        }
      }
      EXPECT_LT(worst, 4 * std::numeric_limits<double>::epsilon()) << c.what << ", " << kernel.name;
    }
  }
}

// One way of handing records to a trainer: the thread count, the record
// count at the end of each call (the last is the whole count) and the
// record counts after which the sums are flushed (they end calls too).
struct Feeding {
  std::string what;
  int threads = 1;
  std::vector<size_t> callEnds;
  std::vector<size_t> flushes;
};

// Call ends every `size` records, and at each of `extra`.
std::vector<size_t> callsOf(size_t size, size_t count, const std::vector<size_t>& extra = {}) {
  std::vector<size_t> ends = extra;
  for (size_t end = size; end < count; end += size) ends.push_back(end);
  ends.push_back(count);
  std::sort(ends.begin(), ends.end());
  ends.erase(std::unique(ends.begin(), ends.end()), ends.end());
  return ends;
}

// Every slope, every bias slope and the squared error after training the
// records as `feeding` says from the fixed-seed start; empty when a call
// failed.
std::vector<double> trainFed(Trainer kind, const std::vector<PatternRecord>& records,
                             const Feeding& feeding) {
  SimModel model(true);
  if (defineSimShape(model) != kSimUnits) return {};
  model.startEpoch(true);
  std::atomic<int> stop{0};
  const auto trainer = kind == Trainer::kLiteral
                           ? makeLiteralTrainer(model, stop)
                           : makeSharedWorkTrainer(model, stop, feeding.threads, kernelOf(kind));
  if (!trainer) return {};
  double tss = 0.0;
  size_t from = 0;
  for (size_t end : feeding.callEnds) {
    if (!trainer->trainRecords(records.data() + from, end - from, tss)) return {};
    if (std::find(feeding.flushes.begin(), feeding.flushes.end(), end) != feeding.flushes.end())
      trainer->flushSums(tss);
    from = end;
  }
  trainer->flushSums(tss);
  std::vector<double> sums = model.trainingState().slope;
  sums.insert(sums.end(), model.trainingState().biasSlope.begin(), model.trainingState().biasSlope.end());
  sums.push_back(tss);
  return sums;
}

// The first sum that differs, for the failure message.
std::string firstDifference(const std::vector<double>& actual, const std::vector<double>& expected) {
  if (actual.size() != expected.size())
    return std::to_string(actual.size()) + " sums against " + std::to_string(expected.size());
  for (size_t i = 0; i < actual.size(); ++i) {
    if (std::bit_cast<uint64_t>(actual[i]) != std::bit_cast<uint64_t>(expected[i]))
      return "[" + std::to_string(i) + "] " + std::to_string(actual[i]) + " against " +
             std::to_string(expected[i]);
  }
  return "none";
}

// Sixteen records, two of them untrainable, several groups' worth.
std::vector<PatternRecord> sixteenRecords() {
  return makeRecords({6, 5, 7, 5, 9, 4, 6, 7, 5, 6, 13, 8, 5, 7, 6, 5}, 21);
}

TEST(SharedWorkTraining, AnyThreadCountAndAnyCuttingIntoCallsGiveIdenticalSums) {
  const std::vector<PatternRecord> records = sixteenRecords();
  const size_t n = records.size();
  std::vector<Feeding> feedings;
  for (int threads : {1, 2, 3, 4, 8}) feedings.push_back({"one call", threads, {n}, {}});
  for (size_t split = 1; split < n; ++split) {
    feedings.push_back(
        {"split at " + std::to_string(split), 1 + static_cast<int>(split % 3), {split, n}, {}});
  }
  for (size_t size : {1, 3, 5, 16}) {
    for (int threads : {1, 2, 3})
      feedings.push_back({"calls of " + std::to_string(size), threads, callsOf(size, n), {}});
  }
  for (Trainer kernel : fastKernels()) {
    const std::vector<double> reference = trainFed(kernel, records, {"reference", 1, {n}, {}});
    ASSERT_FALSE(reference.empty()) << name(kernel);
    for (const Feeding& feeding : feedings) {
      const std::vector<double> sums = trainFed(kernel, records, feeding);
      EXPECT_TRUE(sums == reference) << name(kernel) << ", " << feeding.what << ", " << feeding.threads
                                     << " threads: " << firstDifference(sums, reference);
    }
  }
}

TEST(SharedWorkTraining, AFlushInsideAGroupAddsItsRecordsOnce) {
  // A flush ends the group it falls in; the records after it start a new
  // one. Against the literal trainer (which has no flush), a lost or twice
  // added group shows far beyond rounding.
  const std::vector<PatternRecord> records = sixteenRecords();
  const size_t n = records.size();
  const std::vector<double> literal = trainFed(Trainer::kLiteral, records, {"literal", 1, {n}, {}});
  ASSERT_FALSE(literal.empty());
  const std::vector<double> literalSlopes(literal.begin(), literal.end() - 1);
  const double floor = 1e-6 * largest(literalSlopes);
  const size_t group = static_cast<size_t>(kRecordGroupSize);
  for (size_t flush : {size_t{3}, group, group + 3, n - 1}) {
    const std::string at = "flush after " + std::to_string(flush);
    std::vector<Feeding> feedings = {
        {at + ", one call each side", 1, {flush, n}, {flush}},
        {at + ", one call each side", 3, {flush, n}, {flush}},
        {at + ", calls of 1", 2, callsOf(1, n), {flush}},
        {at + ", calls of 5", 4, callsOf(5, n, {flush}), {flush}},
    };
    for (Trainer kernel : fastKernels()) {
      std::vector<double> first;
      for (const Feeding& feeding : feedings) {
        const std::string what = std::string(name(kernel)) + ", " + feeding.what + ", " +
                                 std::to_string(feeding.threads) + " threads";
        const std::vector<double> sums = trainFed(kernel, records, feeding);
        ASSERT_EQ(sums.size(), literal.size()) << what;
        if (first.empty()) first = sums;
        EXPECT_TRUE(sums == first) << what << ": " << firstDifference(sums, first);
        EXPECT_NEAR(sums.back(), literal.back(), 1e-9 * literal.back()) << what;
        expectClose(std::vector<double>(sums.begin(), sums.end() - 1), literalSlopes, floor, what);
      }
    }
  }
}

TEST(SharedWorkTraining, CallsOfManyRecordsGiveTheSameSumsAsSmallOnes) {
  // More records in one call than the threads are given at a time.
  std::vector<int> horseCounts;
  for (int r = 0; r < 100; ++r) horseCounts.push_back(r % 7 == 3 ? 6 : 5);
  const std::vector<PatternRecord> records = makeRecords(horseCounts, 17);
  const size_t n = records.size();
  const std::vector<double> literal = trainFed(Trainer::kLiteral, records, {"literal", 1, {n}, {}});
  ASSERT_FALSE(literal.empty());
  const std::vector<double> literalSlopes(literal.begin(), literal.end() - 1);
  const Feeding feedings[] = {
      {"one call", 2, {n}, {}},
      {"calls of 9", 3, callsOf(9, n), {}},
      {"calls of 70", 1, callsOf(70, n), {}},
      {"a call of 1, then the rest", 2, {1, n}, {}},
  };
  for (Trainer kernel : fastKernels()) {
    const std::vector<double> reference = trainFed(kernel, records, {"one call", 1, {n}, {}});
    ASSERT_EQ(reference.size(), literal.size());
    EXPECT_NEAR(reference.back(), literal.back(), 1e-9 * literal.back()) << name(kernel);
    expectClose(std::vector<double>(reference.begin(), reference.end() - 1), literalSlopes,
                1e-6 * largest(literalSlopes), name(kernel));
    for (const Feeding& feeding : feedings) {
      const std::vector<double> sums = trainFed(kernel, records, feeding);
      EXPECT_TRUE(sums == reference) << name(kernel) << ", " << feeding.what << ", " << feeding.threads
                                     << " threads: " << firstDifference(sums, reference);
    }
  }
}

TEST(SharedWorkTraining, GroupsCountEveryRecordSinceTheLastFlushOrStop) {
  // Groups are counted over every record given, so a whole group of
  // untrainable records in front moves the rest by exactly one group and
  // changes nothing. A stopped call drops the open group: counting starts
  // again with the next call.
  const std::vector<PatternRecord> records = sixteenRecords();
  const size_t group = static_cast<size_t>(kRecordGroupSize);
  std::vector<PatternRecord> padded = makeRecords(std::vector<int>(group, 4), 2);
  padded.insert(padded.end(), records.begin(), records.end());
  for (Trainer kernel : fastKernels()) {
    const std::vector<double> reference = trainFed(kernel, records, {"reference", 1, {records.size()}, {}});
    ASSERT_FALSE(reference.empty());
    for (int threads : {1, 3}) {
      const std::string what = std::string(name(kernel)) + ", " + std::to_string(threads) + " threads";
      const std::vector<double> shifted =
          trainFed(kernel, padded, {"padded", threads, callsOf(5, padded.size()), {}});
      EXPECT_TRUE(shifted == reference)
          << what << ", a group in front: " << firstDifference(shifted, reference);

      SimModel model(true);
      ASSERT_EQ(defineSimShape(model), kSimUnits);
      model.startEpoch(true);
      std::atomic<int> stop{0};
      const auto trainer = makeSharedWorkTrainer(model, stop, threads, kernelOf(kernel));
      double tss = 0.0;
      ASSERT_TRUE(trainer->trainRecords(records.data(), 3, tss));
      stop = 1;
      EXPECT_FALSE(trainer->trainRecords(records.data() + 3, 2, tss));
      stop = 0;
      tss = 0.0;
      ASSERT_TRUE(trainer->trainRecords(records.data(), records.size(), tss));
      trainer->flushSums(tss);
      std::vector<double> again = model.trainingState().slope;
      again.insert(again.end(), model.trainingState().biasSlope.begin(),
                   model.trainingState().biasSlope.end());
      again.push_back(tss);
      EXPECT_TRUE(again == reference) << what << ", after a stop: " << firstDifference(again, reference);
    }
  }
}

TEST(SharedWorkTraining, OutputUnitsExpIsWithinAFewUnitsInTheLastPlace) {
  // Output net inputs are cut at +-15 before it; the whole range as well.
  struct Range {
    const char* what;
    double low, high;
  };
  const Range ranges[] = {{"near 0", -1.0, 1.0}, {"net inputs", -15.0, 15.0}, {"whole range", -708.0, 708.0}};
  using ExpFunction = void (*)(const double*, double*, int);
  std::vector<std::pair<const char*, ExpFunction>> kernels = {{"portable", trainingShortExpPortable}};
  if (processorRunsTrainingKernel(TrainingKernel::kAvx2)) kernels.emplace_back("avx2", trainingShortExpAvx2);
  if (processorRunsTrainingKernel(TrainingKernel::kAvx512))
    kernels.emplace_back("avx512", trainingShortExpAvx512);
  for (const Range& range : ranges) {
    std::vector<double> x(4001), out(x.size());
    for (size_t i = 0; i < x.size(); ++i) {
      x[i] =
          range.low + (range.high - range.low) * static_cast<double>(i) / static_cast<double>(x.size() - 1);
    }
    for (const auto& [name, shortExp] : kernels) {
      shortExp(x.data(), out.data(), static_cast<int>(x.size()));
      double worst = 0;
      for (size_t i = 0; i < x.size(); ++i) {
        const long double exact = std::exp(static_cast<long double>(x[i]));
        worst = std::max(worst, static_cast<double>(std::fabs((out[i] - exact) / exact)));
      }
      EXPECT_LT(worst, 4 * std::numeric_limits<double>::epsilon()) << range.what << ", " << name;
    }
  }
}

}  // namespace
}  // namespace stridewell
