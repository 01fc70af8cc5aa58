// The tables the shared-work trainer works from and the sums it builds, for
// the program's 425-20-5 net. Plain data and plain functions: the kernels
// are built for several instruction sets and must not share inline library
// code with the rest.
#pragma once

#include <cstdint>

#include "model/activation_limits.h"

namespace stridewell {

inline constexpr int kTrainHiddenUnits = 20;
inline constexpr int kTrainOutputs = 5;
inline constexpr int kTrainSlots = 5;
inline constexpr int kTrainInputsPerHorse = 85;
inline constexpr int kTrainInputs = kTrainSlots * kTrainInputsPerHorse;
inline constexpr int kTrainMostHorses = 12;
// Hidden units padded to whole 8-lane vectors, a horse's inputs likewise,
// and horse lanes to whole vectors of up to 8.
inline constexpr int kTrainHiddenPadded = 24;
inline constexpr int kTrainInputsPadded = 88;
inline constexpr int kTrainHorseLanes = 16;

// The first layer is linear in the inputs, so a horse's contribution to each
// hidden unit from each slot is computed once per record; a choice then adds
// five such sums. Going back, a choice's first-layer gradient is delta times
// the inputs, so the deltas are summed per slot and horse and multiplied by
// the inputs once per record.
//
// The weights of one trainRecords call, copied from the model so that the
// threads read a stable copy (padding 0).
struct alignas(64) TrainingWeights {
  // hiddenWeight[i][h]: input i to hidden unit h, by input so that one
  // input's weights to every hidden unit are one run of vectors.
  double hiddenWeight[kTrainInputs][kTrainHiddenPadded];
  double hiddenBias[kTrainHiddenPadded];
  double outputWeight[kTrainOutputs][kTrainHiddenUnits];
  double outputBias[kTrainOutputs];
};

// Where the trainer takes exp(D) / (exp(D) + exp(-P)) for the logistic of
// D + P: with both exponents at most this size the product of four such
// denominators is a normal double, so four share one division.
inline constexpr double kTrainProductFormLimit = 170.0;
static_assert(kTrainProductFormLimit <= kProductFormLimit);

// Where exp of a sum of four terms may be taken as the product of their
// exponentials: with each term within this size every partial product
// is a normal double.
inline constexpr double kExpFactorLimit = 160.0;

// One record's horses: inputs widened to double (padding 0) and finishes.
struct alignas(64) RecordInputs {
  double input[kTrainMostHorses][kTrainInputsPadded];
  double finish[kTrainMostHorses];
  int32_t horseCount;
};

// The per-record first-layer sums.
struct alignas(64) RecordTables {
  // slotSum[s][horse][h]: what `horse` in slot s (0-3) adds to hidden unit
  // h's net input (padding 0).
  double slotSum[4][kTrainMostHorses][kTrainHiddenPadded];
  // The same for slot 4, by hidden unit and then horse, with exp(-sum)
  // beside it; lanes past the field hold 0 and 1.
  double lastSum[kTrainHiddenUnits][kTrainHorseLanes];
  double lastExp[kTrainHiddenUnits][kTrainHorseLanes];
  // exp(slotSum) for slots 1 to 3, so that a choice's exp of its first
  // four horses' sum is a product (slot 0's row stays unused).
  double slotExp[4][kTrainMostHorses][kTrainHiddenPadded];
  // Every lastSum is within kTrainProductFormLimit.
  bool lastSumsModerate;
  // Every slotSum of slots 1 to 3 is within kExpFactorLimit.
  bool slotSumsSmall;
};

// One thread's share of the gradient. The delta sums are per record; the
// rest gathers over a whole trainRecords call.
struct alignas(64) TrainingSums {
  // deltaSum[s][horse][h]: hidden unit h's deltas summed over the choices
  // that put `horse` in slot s.
  double deltaSum[kTrainSlots][kTrainMostHorses][kTrainHiddenPadded];
  // hiddenSlope[h][s][j]: slope of the weight from input s*85+j to h.
  double hiddenSlope[kTrainHiddenUnits][kTrainSlots][kTrainInputsPadded];
  double hiddenBiasSlope[kTrainHiddenUnits];
  double outputSlope[kTrainOutputs][kTrainHiddenUnits];
  double outputBiasSlope[kTrainOutputs];
  double squaredError;
};

// Asked between groups of choices (a few hundred at most); true ends the
// work at once.
using StopCheck = bool (*)(const void* context);

// The work of one instruction set. buildRecordTables fills `tables` for the
// record; trainChoices runs every choice whose first horse is in
// [firstHorse, endHorse), adding to deltaSum, the output slopes and the
// squared error, and returns false when `stop` asked it to end;
// addHiddenSlopes multiplies the delta sums out into the hidden slopes. The
// AVX2 and AVX-512 sets exist only on x86-64 and must only be called when
// the processor has the instructions.
struct TrainingKernelFunctions {
  void (*buildRecordTables)(const TrainingWeights& weights, const RecordInputs& record, RecordTables& tables);
  bool (*trainChoices)(const TrainingWeights& weights, const RecordInputs& record, const RecordTables& tables,
                       int firstHorse, int endHorse, TrainingSums& sums, StopCheck stop,
                       const void* stopContext);
  void (*addHiddenSlopes)(const RecordInputs& record, TrainingSums& sums);
};

extern const TrainingKernelFunctions kPortableTrainingKernel;
extern const TrainingKernelFunctions kAvx2TrainingKernel;
extern const TrainingKernelFunctions kAvx512TrainingKernel;

// exp(x) and ln(x / y) as the kernels compute them, for tests: exp over
// [-708, 708], the logarithm for positive normal x and y.
void trainingExpPortable(const double* x, double* out, int count);
void trainingExpAvx2(const double* x, double* out, int count);
void trainingExpAvx512(const double* x, double* out, int count);
// The output units' exp, the same series summed in another order.
void trainingShortExpPortable(const double* x, double* out, int count);
void trainingShortExpAvx2(const double* x, double* out, int count);
void trainingShortExpAvx512(const double* x, double* out, int count);
void trainingLogRatioPortable(const double* x, const double* y, double* out, int count);
void trainingLogRatioAvx2(const double* x, const double* y, double* out, int count);
void trainingLogRatioAvx512(const double* x, const double* y, double* out, int count);

}  // namespace stridewell
