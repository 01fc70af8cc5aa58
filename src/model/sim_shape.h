// The one network shape the program uses for every SIM: 425 inputs (five
// horses of 85 inputs each), one hidden layer of 20 units and 5 outputs,
// with no extra connections. Its weights file is 69,000 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "model/sim_model.h"

namespace stridewell {

inline constexpr int32_t kSimHorseSlots = 5;
inline constexpr int32_t kSimInputsPerHorse = 85;
inline constexpr int32_t kSimInputs = kSimHorseSlots * kSimInputsPerHorse;
inline constexpr int32_t kSimHiddenUnits = 20;
inline constexpr int32_t kSimOutputs = kSimHorseSlots;
inline constexpr int32_t kSimUnits = kSimInputs + kSimHiddenUnits + kSimOutputs;
inline constexpr size_t kSimParameters =
    kSimHiddenUnits * (1 + kSimInputs) + kSimOutputs * (1 + kSimHiddenUnits);
inline constexpr size_t kSimWeightsFileBytes = kSimParameters * sizeof(double);
static_assert(kSimWeightsFileBytes == 69000);

// Defines `model` with the program's shape; without a weights path it gets
// the weights its current random state draws. Returns defineNet's result.
inline int32_t defineSimShape(SimModel& model, const std::filesystem::path& weightsPath = {},
                              bool forwardOnly = false) {
  const int32_t hidden[] = {kSimHiddenUnits};
  return model.defineNet(kSimInputs, kSimOutputs, hidden, weightsPath, forwardOnly);
}

// Whether `model` has exactly the program's shape.
inline bool hasSimShape(const SimModel& model) {
  return model.inputCount() == kSimInputs && model.outputCount() == kSimOutputs &&
         model.hiddenSizes().size() == 1 && model.hiddenSizes()[0] == kSimHiddenUnits &&
         model.extraConnectionCount() == 0;
}

}  // namespace stridewell
