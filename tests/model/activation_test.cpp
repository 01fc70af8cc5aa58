// The squashing function: its clamps, its known values and its shape.
#include "model/activation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace stridewell {
namespace {

struct ActivationCase {
  double netInput;
  double output;  // as an output unit
  double hidden;  // as a hidden unit
};

TEST(Activation, KnownValues) {
  const double ln3 = std::log(3.0);
  const ActivationCase cases[] = {
      {-14.0, 0.000001, -0.999998},      // below the low clamp
      {-1000.0, 0.000001, -0.999998},    // far below: no overflow in exp
      {-HUGE_VAL, 0.000001, -0.999998},  // even an infinite net input
      {0.0, 0.5, 0.0},                   // the middle of the curve
      {ln3, 0.75, 0.5},                  // 1 / (1 + 1/3)
      {-ln3, 0.25, -0.5},                // 1 / (1 + 3)
      {14.0, 0.999999, 0.999998},        // above the high clamp
      {1000.0, 0.999999, 0.999998},
      {HUGE_VAL, 0.999999, 0.999998},
  };
  for (const ActivationCase& c : cases) {
    SCOPED_TRACE(c.netInput);
    EXPECT_NEAR(outputActivation(c.netInput), c.output, 1e-15);
    EXPECT_NEAR(hiddenActivation(c.netInput), c.hidden, 1e-15);
  }
}

TEST(Activation, ClampsJoinTheCurveWithoutAStep) {
  // Just inside each threshold the curve itself already gives the limit (after
  // its own clamp), so nothing jumps where the thresholds take over.
  const double below = std::nextafter(kLowestNetInput, 0.0);
  const double above = std::nextafter(kHighestNetInput, 0.0);
  EXPECT_NEAR(outputActivation(below), kLowestActivation, 1e-15);
  EXPECT_NEAR(outputActivation(above), kHighestActivation, 1e-15);
  EXPECT_EQ(outputActivation(kLowestNetInput - 1e-9), kLowestActivation);
  EXPECT_EQ(outputActivation(kHighestNetInput + 1e-9), kHighestActivation);
}

TEST(Activation, StaysInsideItsLimitsAndNeverFalls) {
  double previous = 0;
  for (double x = -20.0; x <= 20.0; x += 0.001) {
    const double f = outputActivation(x);
    ASSERT_GE(f, kLowestActivation) << x;
    ASSERT_LE(f, kHighestActivation) << x;
    ASSERT_GE(f, previous) << x;
    previous = f;
    // The logistic curve is point-symmetric about (0, 0.5).
    ASSERT_NEAR(f + outputActivation(-x), 1.0, 1e-15) << x;
    ASSERT_NEAR(hiddenActivation(x), 2 * f - 1, 0.0) << x;
  }
}

}  // namespace
}  // namespace stridewell
