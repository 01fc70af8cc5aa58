// The training arithmetic of SimModel: one forward and backward pass per
// pattern with the error gradient added to the slopes, and the quickprop
// step that changes every weight once at the end of a pass. Slopes carry
// minus the derivative of the error, so a positive slope asks for a larger
// weight.
#include <cmath>

#include "model/sim_model.h"
#include "model/training_arithmetic.h"

namespace stridewell {

double SimModel::trainPattern(std::span<const float> inputs, std::span<const float> targets) {
  if (!hasTrainingState() || targets.size() < static_cast<size_t>(outputCount_)) return 0.0;
  const std::span<const double> outputs = forward(inputs);
  if (outputs.empty()) return 0.0;

  const int32_t firstOutput = unitCount_ - outputCount_;
  double squaredError = 0.0;
  for (int32_t unit = inputCount_; unit < firstOutput; ++unit) training_.error[slot(unit)] = 0.0;
  for (int32_t k = 0; k < outputCount_; ++k) {
    const double difference =
        static_cast<double>(targets[static_cast<size_t>(k)]) - outputs[static_cast<size_t>(k)];
    squaredError += difference * difference;
    training_.error[slot(firstOutput + k)] = outputError(difference);
  }

  // Descending unit order completes each unit's error before its delta.
  for (int32_t unit = unitCount_ - 1; unit >= inputCount_; --unit) {
    const size_t k = slot(unit);
    const double a = activation_[k];
    const double derivative = unit >= firstOutput ? a * (1.0 - a) : 0.5 * (1.0 - a * a);
    const double delta = (derivative + kDerivativeOffset) * training_.error[k];
    training_.delta[k] = delta;
    const int32_t* source = sources_.data() + firstConnection_[k];
    const double* weight = weights_.data() + firstConnection_[k];
    for (int32_t c = 0; c < fanIn_[k]; ++c) {
      if (source[c] >= inputCount_) training_.error[slot(source[c])] += weight[c] * delta;
    }
  }

  for (int32_t unit = inputCount_; unit < unitCount_; ++unit) {
    const size_t k = slot(unit);
    const double delta = training_.delta[k];
    const int32_t* source = sources_.data() + firstConnection_[k];
    double* slope = training_.slope.data() + firstConnection_[k];
    for (int32_t c = 0; c < fanIn_[k]; ++c) {
      const int32_t s = source[c];
      const double value =
          s < inputCount_ ? static_cast<double>(inputs[static_cast<size_t>(s)]) : activation_[slot(s)];
      slope[c] += delta * value;
    }
    training_.biasSlope[k] += delta;
  }
  return squaredError;
}

void SimModel::startEpoch(bool reset) {
  if (!hasTrainingState()) return;
  TrainingState& t = training_;
  for (size_t i = 0; i < weights_.size(); ++i) {
    if (reset) {
      t.slope[i] = 0.0;
      t.previousChange[i] = 0.0;
    }
    t.previousSlope[i] = t.slope[i];
  }
  for (size_t k = 0; k < bias_.size(); ++k) {
    if (reset) {
      t.biasSlope[k] = 0.0;
      t.previousBiasChange[k] = 0.0;
    }
    t.previousBiasSlope[k] = t.biasSlope[k];
  }
  clearSlopes();
}

void SimModel::clearSlopes() {
  if (!hasTrainingState()) return;
  for (size_t i = 0; i < weights_.size(); ++i) training_.slope[i] = kWeightDecay * weights_[i];
  for (size_t k = 0; k < bias_.size(); ++k) training_.biasSlope[k] = kWeightDecay * bias_[k];
}

void SimModel::quickpropUpdate(double epsilon, double growthLimit) {
  if (!hasTrainingState()) return;
  TrainingState& t = training_;
  for (int32_t unit = inputCount_; unit < unitCount_; ++unit) {
    const size_t k = slot(unit);
    const double step = quickpropStepSize(epsilon, adjustFanIn_, meanFanIn_, fanIn_[k]);
    const size_t first = firstConnection_[k];
    for (size_t i = first; i < first + static_cast<size_t>(fanIn_[k]); ++i) {
      const double change =
          quickpropChange(t.slope[i], t.previousSlope[i], t.previousChange[i], step, growthLimit);
      t.previousChange[i] = change;
      weights_[i] += change;
    }
    const double change =
        quickpropChange(t.biasSlope[k], t.previousBiasSlope[k], t.previousBiasChange[k], step, growthLimit);
    t.previousBiasChange[k] = change;
    bias_[k] += change;
  }
}

}  // namespace stridewell
