// Defining a network: unit numbering, connection lists, messages, the
// random initialisation and its draw order, seeding, and the forward pass.
#include "model/sim_model.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "model/sim_shape.h"
#include "model_test_support.h"

namespace stridewell {
namespace {

using test::MessageLog;
using test::parameterBits;

std::vector<int32_t> sourcesOf(const SimModel& model, int32_t unit) {
  auto sources = model.connectionSources(unit);
  return {sources.begin(), sources.end()};
}

std::vector<int32_t> range(int32_t first, int32_t last) {
  std::vector<int32_t> values;
  for (int32_t v = first; v <= last; ++v) values.push_back(v);
  return values;
}

TEST(SimModelDefine, ProgramShape) {
  SimModel model(true);
  MessageLog log;
  log.attachTo(model);
  ASSERT_EQ(defineSimShape(model), 450);
  EXPECT_EQ(model.inputCount(), 425);
  EXPECT_EQ(model.outputCount(), 5);
  EXPECT_EQ(model.parameterCount(), 8625u);
  EXPECT_DOUBLE_EQ(model.meanFanIn(), 344.0);
  for (int32_t unit = 425; unit <= 444; ++unit) {
    ASSERT_EQ(sourcesOf(model, unit), range(0, 424)) << unit;
    EXPECT_FALSE(model.isOutputUnit(unit));
  }
  for (int32_t unit = 445; unit <= 449; ++unit) {
    ASSERT_EQ(sourcesOf(model, unit), range(425, 444)) << unit;
    EXPECT_TRUE(model.isOutputUnit(unit));
  }
  const std::vector<std::string> expected = {
      "net define: ninputs=425 noutputs=5 [1 hidden layers: 20]",
      "Total connections = 8600",
      "Mean fan-in = 344.00",
      "adjustfanin=1",
      "Setting weights/biases to small random values",
  };
  EXPECT_EQ(log.lines, expected);
}

TEST(SimModelDefine, WithoutHiddenLayersTheOutputsReadTheInputs) {
  SimModel model(false);
  MessageLog log;
  log.attachTo(model);
  ASSERT_EQ(model.defineNet(3, 2, {}, {}, true), 5);
  EXPECT_EQ(sourcesOf(model, 3), range(0, 2));
  EXPECT_EQ(sourcesOf(model, 4), range(0, 2));
  ASSERT_FALSE(log.lines.empty());
  EXPECT_EQ(log.lines[0], "net define: ninputs=3 noutputs=2 [0 hidden layers]");
  EXPECT_EQ(log.lines[1], "Total connections = 6");
  EXPECT_EQ(log.lines[3], "adjustfanin=0");
}

TEST(SimModelDefine, LayersAndExtraConnections) {
  // Inputs 0-3, first hidden layer 4-6, second 7-8, output 9.
  const int32_t hidden[] = {3, 2};
  const ExtraConnection extras[] = {{0, 9}, {5, 9}, {1, 7}};
  SimModel model(true);
  MessageLog log;
  log.attachTo(model);
  ASSERT_EQ(model.defineNet(4, 1, hidden, {}, false, extras), 10);
  EXPECT_EQ(sourcesOf(model, 4), range(0, 3));
  EXPECT_EQ(sourcesOf(model, 6), range(0, 3));
  EXPECT_EQ(sourcesOf(model, 7), (std::vector<int32_t>{4, 5, 6, 1}));
  EXPECT_EQ(sourcesOf(model, 8), (std::vector<int32_t>{4, 5, 6}));
  EXPECT_EQ(sourcesOf(model, 9), (std::vector<int32_t>{7, 8, 0, 5}));
  EXPECT_EQ(model.extraConnectionCount(), 3);
  // 3*4 + 2*3 + 1*2 layer connections and 3 extra ones over 6 units.
  EXPECT_EQ(log.lines[0], "net define: ninputs=4 noutputs=1 [2 hidden layers: 3 2]");
  EXPECT_EQ(log.lines[1], "Total connections = 23");
  EXPECT_EQ(log.lines[2], "Mean fan-in = 3.83");
  EXPECT_EQ(model.parameterCount(), 6u + 23u);
}

TEST(SimModelDefine, RefusesUnusableShapesAndKeepsTheCurrentNet) {
  const int32_t oneHidden[] = {3};
  const int32_t zeroHidden[] = {0};
  const int32_t negativeHidden[] = {-2};
  const int32_t hugeHidden[] = {100000};
  struct Case {
    const char* name;
    int32_t inputs, outputs;
    std::span<const int32_t> hidden;
    std::vector<ExtraConnection> extras;
  };
  const Case cases[] = {
      {"no inputs", 0, 1, oneHidden, {}},
      {"no outputs", 4, 0, oneHidden, {}},
      {"empty hidden layer", 4, 1, zeroHidden, {}},
      {"negative hidden layer", 4, 1, negativeHidden, {}},
      {"billions of connections", 100000, 1, hugeHidden, {}},
      {"extra into itself", 4, 1, oneHidden, {{7, 7}}},
      {"extra backwards", 4, 1, oneHidden, {{6, 5}}},
      {"extra into an input", 4, 1, oneHidden, {{0, 2}}},
      {"extra from nowhere", 4, 1, oneHidden, {{-1, 7}}},
      {"extra past the last unit", 4, 1, oneHidden, {{0, 8}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimModel model(true);
    ASSERT_EQ(defineSimShape(model), 450);
    const auto before = parameterBits(model);
    EXPECT_EQ(model.defineNet(c.inputs, c.outputs, c.hidden, {}, false, c.extras), 0);
    EXPECT_EQ(model.unitCount(), 450);
    EXPECT_EQ(parameterBits(model), before);
  }
}

TEST(SimModelDefine, TrainingStateOnlyWhenAsked) {
  SimModel training(true), foreground(true);
  ASSERT_EQ(defineSimShape(training, {}, false), 450);
  ASSERT_EQ(defineSimShape(foreground, {}, true), 450);
  EXPECT_TRUE(training.hasTrainingState());
  EXPECT_EQ(training.trainingState().slope.size(), 8600u);
  EXPECT_EQ(training.trainingState().delta.size(), 25u);
  EXPECT_FALSE(foreground.hasTrainingState());
  EXPECT_TRUE(foreground.trainingState().slope.empty());
  // The weights do not depend on it.
  EXPECT_EQ(parameterBits(training), parameterBits(foreground));
}

// The range each unit draws from, by fan-in, written out: 3/sqrt(fan-in + 1)
// held to at most 1 when adjusting, else always 1.
struct FanInCase {
  const char* name;
  int32_t inputs;
  std::vector<int32_t> hidden;
  int32_t outputs;
  bool adjust;
  std::vector<double> rangeByLayer;  // hidden layers then the output layer
};

TEST(SimModelRandomize, RangesAndDrawOrder) {
  const FanInCase cases[] = {
      {"fan-in 8 draws from exactly 1", 8, {}, 2, true, {1.0}},
      {"fan-in 7 is held to 1", 7, {}, 2, true, {1.0}},
      {"fan-in 1 is held to 1", 1, {}, 1, true, {1.0}},
      {"fan-in 35 draws from 0.5", 35, {}, 1, true, {0.5}},
      {"program shape", 425, {20}, 5, true, {0.14535047493345277, 0.6546536707079772}},
      {"program shape without adjusting", 425, {20}, 5, false, {1.0, 1.0}},
      {"two layers", 15, {8, 3}, 2, true, {0.75, 1.0, 1.0}},
  };
  for (const FanInCase& c : cases) {
    SCOPED_TRACE(c.name);
    SimModel model(c.adjust);
    ASSERT_GT(model.defineNet(c.inputs, c.outputs, c.hidden, {}, true), 0);
    // Replay the generator from the fixed seeds: bias first, then each
    // weight, unit after unit.
    MwcRandom replay;
    int32_t unit = c.inputs;
    std::vector<int32_t> sizes = c.hidden;
    sizes.push_back(c.outputs);
    for (size_t layer = 0; layer < sizes.size(); ++layer) {
      const double r = c.rangeByLayer[layer];
      for (int32_t i = 0; i < sizes[layer]; ++i, ++unit) {
        ASSERT_DOUBLE_EQ(model.bias(unit), replay.symmetric(r)) << "unit " << unit;
        for (double weight : model.connectionWeights(unit)) {
          ASSERT_DOUBLE_EQ(weight, replay.symmetric(r)) << "unit " << unit;
          ASSERT_LE(std::abs(weight), r);
        }
      }
    }
    EXPECT_EQ(unit, model.unitCount());
  }
}

TEST(SimModelRandomize, FreshInstancesAgreeAndReseededOnesDoNot) {
  SimModel first(true), second(true);
  ASSERT_EQ(defineSimShape(first), 450);
  ASSERT_EQ(defineSimShape(second), 450);
  EXPECT_EQ(parameterBits(first), parameterBits(second));

  // Randomizing again continues the sequence rather than restarting it.
  const auto initial = parameterBits(first);
  first.randomizeWeights();
  EXPECT_NE(parameterBits(first), initial);

  second.seedFromClock();
  second.randomizeWeights();
  EXPECT_NE(parameterBits(second), initial);
  EXPECT_NE(parameterBits(second), parameterBits(first));
}

TEST(SimModelRandomize, SeedingFromTheClock) {
  SimModel model(true);
  MwcRandom fixed;
  const double fixedFirst = fixed.uniform();

  const auto start = std::chrono::steady_clock::now();
  model.seedFromClock();
  const MwcRandom first = model.random();
  model.seedFromClock();
  const MwcRandom second = model.random();
  const auto elapsed = std::chrono::steady_clock::now() - start;

  EXPECT_EQ(first.w, ~first.z);
  MwcRandom draw = first;
  EXPECT_NE(draw.uniform(), fixedFirst);
  // The wait after each seeding keeps two seedings apart.
  EXPECT_NE(first.z, second.z);
  EXPECT_GE(elapsed, std::chrono::milliseconds(20));
}

// A net small enough to work out by hand: inputs 0-1, hidden unit 2,
// output unit 3, which also reads input 1 directly.
class SmallNet : public ::testing::Test {
 protected:
  void SetUp() override {
    const int32_t hidden[] = {1};
    const ExtraConnection extra[] = {{1, 3}};
    ASSERT_EQ(model_.defineNet(2, 1, hidden, {}, true, extra), 4);
  }
  void setWeights(double hiddenBias, double w0, double w1, double outputBias, double fromHidden,
                  double fromInput) {
    model_.setBias(2, hiddenBias);
    model_.connectionWeights(2)[0] = w0;
    model_.connectionWeights(2)[1] = w1;
    model_.setBias(3, outputBias);
    model_.connectionWeights(3)[0] = fromHidden;
    model_.connectionWeights(3)[1] = fromInput;
  }
  SimModel model_{true};
};

TEST_F(SmallNet, ForwardPass) {
  const double ln3 = std::log(3.0);
  const float inputs[] = {1.0f, 2.0f};
  struct Case {
    const char* name;
    double hiddenBias, w0, w1, outputBias, fromHidden, fromInput;
    double hidden, output;
  };
  const Case cases[] = {
      // Hidden net ln3/2 + ln3/4 + 2*ln3/8 = ln3 -> 0.75 -> 0.5; output net
      // 0.5 * 2ln3 - 2 * ln3 = -ln3 -> 0.25.
      {"worked example", ln3 / 2, ln3 / 4, ln3 / 8, 0, 2 * ln3, -ln3, 0.5, 0.25},
      {"all zero", 0, 0, 0, 0, 0, 0, 0.0, 0.5},
      {"driven high", 0, 100, 100, 0, 100, 0, 0.999998, 0.999999},
      {"driven low", 0, -100, -100, 0, 100, 0, -0.999998, 0.000001},
      {"bias only", -14, 0, 0, 14, 0, 0, -0.999998, 0.999999},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    setWeights(c.hiddenBias, c.w0, c.w1, c.outputBias, c.fromHidden, c.fromInput);
    const auto outputs = model_.forward(inputs);
    ASSERT_EQ(outputs.size(), 1u);
    EXPECT_NEAR(model_.activation(2), c.hidden, 1e-15);
    EXPECT_NEAR(outputs[0], c.output, 1e-15);
  }
}

TEST_F(SmallNet, ForwardRefusesTooFewInputs) {
  const float one[] = {1.0f};
  EXPECT_TRUE(model_.forward(one).empty());
  SimModel undefined(true);
  const float two[] = {1.0f, 2.0f};
  EXPECT_TRUE(undefined.forward(two).empty());
}

TEST(SimModelMessages, StreamAndCallbackBothGetEveryLine) {
  SimModel model(true);
  std::ostringstream stream;
  MessageLog log;
  model.setLogStream(&stream);
  log.attachTo(model);
  ASSERT_EQ(defineSimShape(model), 450);
  model.logMessage("plain text");
  std::string joined;
  for (const std::string& line : log.lines) joined += line + "\n";
  EXPECT_EQ(stream.str(), joined);
  EXPECT_EQ(log.lines.back(), "plain text");

  // Detached sinks get nothing more.
  model.setLogStream(nullptr);
  model.setMessageCallback(nullptr);
  model.randomizeWeights();
  EXPECT_EQ(stream.str(), joined);
}

}  // namespace
}  // namespace stridewell
