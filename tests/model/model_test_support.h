// Helpers shared by the model tests: a model's parameters in file order and
// a network defined while its messages are collected.
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "model/sim_model.h"

namespace stridewell::test {

// Every bias and weight as raw bits, in weights-file order, so that
// comparisons are exact (NaN payloads and signed zeros included).
inline std::vector<uint64_t> parameterBits(const SimModel& model) {
  std::vector<uint64_t> bits;
  for (int32_t unit = model.inputCount(); unit < model.unitCount(); ++unit) {
    bits.push_back(std::bit_cast<uint64_t>(model.bias(unit)));
    for (double weight : model.connectionWeights(unit)) bits.push_back(std::bit_cast<uint64_t>(weight));
  }
  return bits;
}

struct MessageLog {
  std::vector<std::string> lines;
  void attachTo(SimModel& model) {
    model.setMessageCallback([this](const std::string& text) { lines.push_back(text); });
  }
};

}  // namespace stridewell::test
