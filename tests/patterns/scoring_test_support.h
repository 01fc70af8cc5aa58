// Networks and fields for the scoring tests: a net whose output k depends
// only on the horse in slot k (so every horse's score has a closed form),
// and random fields and weights.
#pragma once

#include <cmath>
#include <random>
#include <vector>

#include "model/activation.h"
#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "patterns/horse_inputs.h"

namespace stridewell::test {

inline void zeroWeights(SimModel& model) {
  for (int32_t unit = model.inputCount(); unit < model.unitCount(); ++unit) {
    model.setBias(unit, 0);
    for (double& w : model.connectionWeights(unit)) w = 0;
  }
}

// Hidden unit k (k < 5) reads only input 0 of slot k, with weight
// slotWeight[k]; output k reads only hidden unit k, with weight
// outputWeight[k] and bias outputBias[k]. Every other weight is 0.
struct SlotSeparableNet {
  double slotWeight[5] = {1.5, -0.75, 2.0, 0.5, 1.0};
  double outputWeight[5] = {2.0, 1.25, -1.5, 3.0, 0.75};
  double outputBias[5] = {0.1, -0.2, 0.3, 0.0, -0.4};

  void applyTo(SimModel& model) const {
    zeroWeights(model);
    for (int k = 0; k < 5; ++k) {
      model.connectionWeights(kSimInputs + k)[static_cast<size_t>(k * kSimInputsPerHorse)] = slotWeight[k];
      model.setBias(kSimInputs + kSimHiddenUnits + k, outputBias[k]);
      model.connectionWeights(kSimInputs + kSimHiddenUnits + k)[static_cast<size_t>(k)] = outputWeight[k];
    }
  }
  // Output k when `horse` sits in slot k.
  double output(int k, const HorseInputs& horse) const {
    const double hidden = hiddenActivation(slotWeight[k] * static_cast<double>(horse[0]));
    return outputActivation(outputBias[k] + outputWeight[k] * hidden);
  }
  // Each horse holds each slot in (n-1)(n-2)(n-3)(n-4) choices.
  double score(const HorseInputs& horse, int n) const {
    double sum = 0;
    for (int k = 0; k < 5; ++k) sum += output(k, horse);
    return sum * (n - 1) * (n - 2) * (n - 3) * (n - 4);
  }
};

// Standardised-looking inputs: mostly within +-2.
inline std::vector<HorseInputs> randomField(int n, std::mt19937& random) {
  std::normal_distribution<float> value(0.0f, 0.6f);
  std::vector<HorseInputs> field(static_cast<size_t>(n));
  for (auto& horse : field)
    for (float& v : horse) v = value(random);
  return field;
}

// Every weight and bias uniform in [-scale, scale].
inline void randomWeights(SimModel& model, double scale, std::mt19937& random) {
  std::uniform_real_distribution<double> value(-scale, scale);
  for (int32_t unit = model.inputCount(); unit < model.unitCount(); ++unit) {
    model.setBias(unit, value(random));
    for (double& w : model.connectionWeights(unit)) w = value(random);
  }
}

}  // namespace stridewell::test
