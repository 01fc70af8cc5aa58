#include "patterns/shared_work_scoring.h"

#include <cmath>
#include <cstddef>
#include <memory>

#include "model/sim_shape.h"
#include "patterns/choice_tables.h"

namespace stridewell {
namespace {

static_assert(kKernelHiddenUnits == kSimHiddenUnits && kKernelOutputs == kSimOutputs);

constexpr double kLargestWeight = 1e6;

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

bool usableWeight(double value) {
  return std::isfinite(value) && std::fabs(value) <= kLargestWeight;
}

void buildTables(const SimModel& model, std::span<const HorseInputs> field, ChoiceTables& t) {
  const int n = static_cast<int>(field.size());
  t.horseCount = n;
  t.lastSumsModerate = true;
  for (int j = 0; j < kKernelHiddenPadded; ++j) {
    t.hiddenBias[j] = j < kSimHiddenUnits ? model.bias(kSimInputs + j) : 0.0;
  }
  for (int j = 0; j < kSimHiddenUnits; ++j) {
    const std::span<const double> weights = model.connectionWeights(kSimInputs + j);
    for (int h = 0; h < kKernelHorseLanes; ++h) {
      for (int s = 0; s < kSimHorseSlots; ++s) {
        double sum = 0;
        if (h < n) {
          const HorseInputs& horse = field[static_cast<size_t>(h)];
          const double* w = weights.data() + s * kSimInputsPerHorse;
          for (int k = 0; k < kSimInputsPerHorse; ++k)
            sum += static_cast<double>(horse[static_cast<size_t>(k)]) * w[k];
        }
        if (s < 4) {
          t.slotSum[s][h][j] = sum;
        } else {
          t.lastSum[j][h] = sum;
          t.lastExp[j][h] = std::exp(-sum);
          t.lastSumsModerate = t.lastSumsModerate && std::fabs(sum) <= kProductFormLimit;
        }
      }
    }
  }
  for (int s = 0; s < 4; ++s)
    for (int h = 0; h < kKernelHorseLanes; ++h)
      for (int j = kSimHiddenUnits; j < kKernelHiddenPadded; ++j) t.slotSum[s][h][j] = 0.0;
  for (int o = 0; o < kSimOutputs; ++o) {
    const int32_t unit = kSimInputs + kSimHiddenUnits + o;
    t.outputBias[o] = model.bias(unit);
    const std::span<const double> weights = model.connectionWeights(unit);
    for (int j = 0; j < kSimHiddenUnits; ++j) t.outputWeight[o][j] = weights[static_cast<size_t>(j)];
  }
}

}  // namespace

bool processorRunsKernel(SharedWorkKernel kernel) {
  static const bool hasAvx2 = detectAvx2();
  static const bool hasAvx512 = detectAvx512();
  switch (kernel) {
    case SharedWorkKernel::kPortable:
      return true;
    case SharedWorkKernel::kAvx2:
      return hasAvx2;
    case SharedWorkKernel::kAvx512:
      return hasAvx512;
  }
  return false;
}

SharedWorkKernel fastestKernel() {
  if (processorRunsKernel(SharedWorkKernel::kAvx512)) return SharedWorkKernel::kAvx512;
  if (processorRunsKernel(SharedWorkKernel::kAvx2)) return SharedWorkKernel::kAvx2;
  return SharedWorkKernel::kPortable;
}

bool sharedWorkFits(const SimModel& model) {
  if (!hasSimShape(model)) return false;
  for (int32_t unit = model.inputCount(); unit < model.unitCount(); ++unit) {
    if (!usableWeight(model.bias(unit))) return false;
    for (double weight : model.connectionWeights(unit)) {
      if (!usableWeight(weight)) return false;
    }
  }
  return true;
}

bool addSharedWorkScores(const SimModel& model, std::span<const HorseInputs> field, SharedWorkKernel kernel,
                         std::span<double> scores) {
  const size_t n = field.size();
  if (n < 5 || n > static_cast<size_t>(kKernelHorseLanes) || scores.size() < n) return false;
  if (!processorRunsKernel(kernel) || !sharedWorkFits(model)) return false;
  // About 60 KB: once per race, never inside the loops.
  const auto tables = std::make_unique<ChoiceTables>();
  buildTables(model, field, *tables);
  switch (kernel) {
    case SharedWorkKernel::kPortable:
      addChoiceScoresPortable(*tables, scores.data());
      break;
#if defined(__x86_64__)
    case SharedWorkKernel::kAvx2:
      addChoiceScoresAvx2(*tables, scores.data());
      break;
    case SharedWorkKernel::kAvx512:
      addChoiceScoresAvx512(*tables, scores.data());
      break;
#else
    default:
      return false;
#endif
  }
  return true;
}

}  // namespace stridewell
