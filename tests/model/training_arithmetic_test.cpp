// The arithmetic of one training step: the output error and its clamp, the
// quickprop change (the worked numbers and the 0/0 guard), the step size
// per unit, the start of an epoch, the squared error of a one-hot pattern,
// and the backward pass checked against derivatives measured numerically.
#include "model/training_arithmetic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "model/sim_model.h"
#include "model/sim_shape.h"

namespace stridewell {
namespace {

TEST(TrainingArithmetic, OutputErrorUsesTheLogarithmUpToTheClamp) {
  struct Case {
    double difference;
    double error;
  };
  const Case cases[] = {
      {0.0, 0.0},
      {0.5, std::log(3.0)},
      {-0.5, -std::log(3.0)},
      // Exactly at the limit the logarithm still applies: ln(1.9999999 / 0.0000001).
      {0.9999999, std::log(1.9999999 / 0.0000001)},
      {-0.9999999, -std::log(1.9999999 / 0.0000001)},
      {0.99999991, 17.0},
      {-0.99999991, -17.0},
      {0.999999, std::log(1.999999 / 0.000001)},
      {1.0, 17.0},
      {-1.0, -17.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.difference);
    EXPECT_NEAR(outputError(c.difference), c.error, 1e-6);
  }
  // At the limit the logarithm (about 16.81) is clearly not the clamp.
  EXPECT_LT(outputError(0.9999999), 16.9);
}

TEST(TrainingArithmetic, QuickpropChange) {
  const double e = 0.01;
  struct Case {
    const char* name;
    double s, p, q;
    double change;
  };
  const Case cases[] = {
      // |s| = 0.5 > 1.75 * 0.3 fails, but q*s >= 0 and |s| > |p|.
      {"worked: growth by the slope's size", 0.5, 0.2, 0.1, e * 0.5 + 1.75 * 0.1},
      // q*s < 0: no gradient term; the secant 0.2 * -0.1 / 0.4.
      {"worked: secant step", -0.1, 0.3, 0.2, -0.05},
      {"first pass: plain gradient step", 0.3, 0.0, 0.0, e * 0.3},
      {"slope hardly changed: growth limit", 0.5, 0.45, 0.1, e * 0.5 + 1.75 * 0.1},
      {"equal slopes against the last change", 0.5, 0.5, -0.2, 1.75 * -0.2},
      {"shrinking slope, same sign: secant", 0.1, 0.3, 0.2, e * 0.1 + 0.2 * 0.1 / 0.2},
      {"0/0: slope and previous slope both 0", 0.0, 0.0, 0.3, 0.0},
      {"0/0 with no history", 0.0, 0.0, 0.0, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const double change = quickpropChange(c.s, c.p, c.q, e, 1.75);
    EXPECT_FALSE(std::isnan(change));
    EXPECT_NEAR(change, c.change, 1e-15);
  }
}

TEST(TrainingArithmetic, UpdateStepsByFanInAndLeavesZeroSlopesAlone) {
  SimModel model(true);
  ASSERT_EQ(defineSimShape(model), kSimUnits);
  model.startEpoch(true);
  SimModel::TrainingState& t = model.trainingState();
  // Slope 1 everywhere except the first weight of each layer, held at 0/0.
  for (double& slope : t.slope) slope = 1.0;
  for (double& slope : t.biasSlope) slope = 1.0;
  const size_t firstHidden = 0;
  const size_t firstOutput = kSimHiddenUnits * kSimInputs;  // connection lists are contiguous in unit order
  t.slope[firstHidden] = 0.0;
  t.slope[firstOutput] = 0.0;
  t.previousChange[firstHidden] = 0.25;  // a history that must not turn into NaN

  const double hiddenWeight = model.connectionWeights(kSimInputs)[1];
  const double heldHidden = model.connectionWeights(kSimInputs)[0];
  const double outputWeight = model.connectionWeights(kSimInputs + kSimHiddenUnits)[1];
  const double heldOutput = model.connectionWeights(kSimInputs + kSimHiddenUnits)[0];
  const double outputBias = model.bias(kSimUnits - 1);

  model.quickpropUpdate(0.001, 1.75);
  // Mean fan-in 344; hidden units have 425 connections, outputs 20.
  EXPECT_NEAR(model.connectionWeights(kSimInputs)[1] - hiddenWeight, 0.001 * 344.0 / 426.0, 1e-15);
  EXPECT_NEAR(model.connectionWeights(kSimInputs + kSimHiddenUnits)[1] - outputWeight, 0.001 * 344.0 / 21.0,
              1e-15);
  EXPECT_NEAR(model.bias(kSimUnits - 1) - outputBias, 0.001 * 344.0 / 21.0, 1e-15);
  EXPECT_EQ(model.connectionWeights(kSimInputs)[0], heldHidden);
  EXPECT_EQ(model.connectionWeights(kSimInputs + kSimHiddenUnits)[0], heldOutput);
  EXPECT_EQ(t.previousChange[firstHidden], 0.0);
}

TEST(TrainingArithmetic, EpochStartMovesSlopesIntoHistoryAndDecays) {
  SimModel model(true);
  ASSERT_EQ(defineSimShape(model), kSimUnits);
  SimModel::TrainingState& t = model.trainingState();
  for (double& slope : t.slope) slope = 3.0;
  for (double& change : t.previousChange) change = 2.0;
  const double weight = model.connectionWeights(kSimInputs)[5];

  model.startEpoch(false);
  EXPECT_EQ(t.previousSlope[5], 3.0);
  EXPECT_EQ(t.previousChange[5], 2.0);
  EXPECT_DOUBLE_EQ(t.slope[5], -0.0001 * weight);

  model.startEpoch(true);
  EXPECT_EQ(t.previousSlope[5], 0.0);
  EXPECT_EQ(t.previousChange[5], 0.0);
  EXPECT_DOUBLE_EQ(t.slope[5], -0.0001 * weight);
}

TEST(TrainingArithmetic, OneHotPatternErrorStaysBelowFive) {
  SimModel model(true);
  ASSERT_EQ(defineSimShape(model), kSimUnits);
  std::vector<float> inputs(kSimInputs, 0.5f);
  const float targets[kSimOutputs] = {0, 0, 1, 0, 0};
  // The worst case: every output driven to the wrong end.
  for (int k = 0; k < kSimOutputs; ++k) {
    model.setBias(kSimInputs + kSimHiddenUnits + k, k == 2 ? -100.0 : 100.0);
    for (double& w : model.connectionWeights(kSimInputs + kSimHiddenUnits + k)) w = 0.0;
  }
  model.startEpoch(true);
  const double worst = model.trainPattern(inputs, targets);
  EXPECT_LT(worst, 5.0);
  EXPECT_NEAR(worst, 4 * 0.999999 * 0.999999 + 0.999999 * 0.999999, 1e-12);

  SimModel random(true);
  ASSERT_EQ(defineSimShape(random), kSimUnits);
  random.startEpoch(true);
  const double typical = random.trainPattern(inputs, targets);
  const auto outputs = random.forward(inputs);
  double expected = 0;
  for (int k = 0; k < kSimOutputs; ++k) expected += (targets[k] - outputs[k]) * (targets[k] - outputs[k]);
  EXPECT_DOUBLE_EQ(typical, expected);
  EXPECT_LT(typical, 5.0);
}

// Inputs 0-2, hidden 3-4, outputs 5-6; hidden 3 also feeds hidden 4 and
// input 1 feeds output 6 directly, so errors must reach unit 3 through
// unit 4 and never flow into an input.
TEST(TrainingArithmetic, SlopesFollowTheChainRuleWithMeasuredDerivatives) {
  const int32_t hidden[] = {2};
  const ExtraConnection extras[] = {{3, 4}, {1, 6}};
  SimModel model(true);
  ASSERT_EQ(model.defineNet(3, 2, hidden, {}, false, extras), 7);
  const float inputs[] = {0.7f, -1.2f, 0.4f};
  const float targets[] = {1.0f, 0.0f};

  model.startEpoch(true);
  const SimModel::TrainingState before = model.trainingState();
  model.trainPattern(inputs, targets);
  const SimModel::TrainingState& after = model.trainingState();

  // Each unit's derivative, measured by moving its bias.
  model.forward(inputs);
  std::map<int32_t, double> activation, derivative;
  for (int32_t u = 3; u < 7; ++u) activation[u] = model.activation(u);
  const double h = 1e-6;
  for (int32_t u = 3; u < 7; ++u) {
    const double bias = model.bias(u);
    model.setBias(u, bias + h);
    model.forward(inputs);
    const double up = model.activation(u);
    model.setBias(u, bias - h);
    model.forward(inputs);
    const double down = model.activation(u);
    model.setBias(u, bias);
    derivative[u] = (up - down) / (2 * h);
  }
  auto value = [&](int32_t source) {
    return source < 3 ? static_cast<double>(inputs[source]) : activation[source];
  };

  // Deltas from the last unit down: outputs from their error, hidden units
  // from the deltas of every unit they feed.
  std::map<int32_t, double> delta;
  for (int32_t u = 6; u >= 3; --u) {
    double error = 0;
    if (u >= 5) {
      error = outputError(targets[u - 5] - activation[u]);
    } else {
      for (int32_t consumer = u + 1; consumer < 7; ++consumer) {
        const auto sources = model.connectionSources(consumer);
        for (size_t c = 0; c < sources.size(); ++c) {
          if (sources[c] == u) error += model.connectionWeights(consumer)[c] * delta[consumer];
        }
      }
    }
    delta[u] = (derivative[u] + 0.1) * error;
  }

  size_t connection = 0;
  for (int32_t u = 3; u < 7; ++u) {
    SCOPED_TRACE(u);
    EXPECT_NEAR(after.biasSlope[u - 3] - before.biasSlope[u - 3], delta[u], 1e-8);
    for (int32_t source : model.connectionSources(u)) {
      SCOPED_TRACE(source);
      EXPECT_NEAR(after.slope[connection] - before.slope[connection], delta[u] * value(source), 1e-8);
      ++connection;
    }
  }
  // The sign convention: the output that should rise has a positive bias slope.
  EXPECT_GT(after.biasSlope[5 - 3] - before.biasSlope[5 - 3], 0.0);
  EXPECT_LT(after.biasSlope[6 - 3] - before.biasSlope[6 - 3], 0.0);
}

}  // namespace
}  // namespace stridewell
