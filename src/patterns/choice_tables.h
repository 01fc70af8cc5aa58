// The per-race tables of the shared-work scorer and the kernels that sum
// every ordered choice of five from them. The first layer is linear in the
// inputs, so each horse's contribution to each hidden unit from each slot
// is computed once per race; a choice then only adds five such sums.
// Plain data and plain functions: the kernels are built for several
// instruction sets and must not share inline library code with the rest.
#pragma once

#include <cstdint>

#include "model/activation_limits.h"

namespace stridewell {

inline constexpr int kKernelHiddenUnits = 20;
inline constexpr int kKernelOutputs = 5;
// Hidden sums are padded to a whole number of 8-lane vectors, and 64 horse
// lanes are already one.
inline constexpr int kKernelHiddenPadded = 24;
inline constexpr int kKernelHorseLanes = 64;

struct alignas(64) ChoiceTables {
  // Bias of each hidden unit (padding 0).
  double hiddenBias[kKernelHiddenPadded];
  // slotSum[s][h][j]: what horse h in slot s (0-3) adds to hidden unit j's
  // net input (padding 0).
  double slotSum[4][kKernelHorseLanes][kKernelHiddenPadded];
  // The same for slot 4, by hidden unit and then horse, with exp(-sum)
  // beside it; lanes past the field hold 0 and 1.
  double lastSum[kKernelHiddenUnits][kKernelHorseLanes];
  double lastExp[kKernelHiddenUnits][kKernelHorseLanes];
  double outputBias[kKernelOutputs];
  double outputWeight[kKernelOutputs][kKernelHiddenUnits];
  int32_t horseCount;
  // Every lastSum is within kProductFormLimit.
  bool lastSumsModerate;
};

// Add each horse's summed outputs over every ordered choice of five to
// scores[horse] (horseCount entries). The AVX kernels exist only on x86-64
// and must only be called when the processor has the instructions.
void addChoiceScoresPortable(const ChoiceTables& tables, double* scores);
void addChoiceScoresAvx2(const ChoiceTables& tables, double* scores);
void addChoiceScoresAvx512(const ChoiceTables& tables, double* scores);

// exp(x) as each kernel computes it, for tests: over [-708, 708] with
// wideRange, else over [-15, 15] (the range the per-choice work needs).
void kernelExpPortable(const double* x, double* out, int count, bool wideRange);
void kernelExpAvx2(const double* x, double* out, int count, bool wideRange);
void kernelExpAvx512(const double* x, double* out, int count, bool wideRange);

}  // namespace stridewell
