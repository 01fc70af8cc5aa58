// The scalar rules of training, apart from any network: the error an output
// unit passes back for a given difference from its target, and the
// quickprop change of one weight from its slope history. SimModel and the
// fast trainer both use them; pure functions, callable from any thread.
#pragma once

#include <cmath>

#include "model/activation_limits.h"

namespace stridewell {

// Each pass's slopes start from this fraction of the weight (weight decay).
inline constexpr double kWeightDecay = -0.0001;
// The step of the update at the end of every training pass.
inline constexpr double kTrainingEpsilon = 0.00000001;
inline constexpr double kTrainingGrowthLimit = 1.75;

// The error of an output unit whose target minus output is `difference`:
// ln((1 + d) / (1 - d)) inside +-0.9999999, +-17 beyond it.
inline double outputError(double difference) {
  if (difference < -kLargestLogDifference) return -kClampedError;
  if (difference > kLargestLogDifference) return kClampedError;
  return std::log((1.0 + difference) / (1.0 - difference));
}

// The step size of a unit with `fanIn` connections: epsilon scaled by the
// net's mean fan-in over the unit's own (plus its bias) when adjusting.
inline double quickpropStepSize(double epsilon, bool adjustFanIn, double meanFanIn, int fanIn) {
  return adjustFanIn ? epsilon * (meanFanIn / (static_cast<double>(fanIn) + 1.0)) : epsilon;
}

// One quickprop change from slope s, previous slope p and previous change
// q, with the unit's step size and the growth limit.
inline double quickpropChange(double s, double p, double q, double step, double growthLimit) {
  const double base = q * s >= 0 ? step * s : 0.0;
  if (std::fabs(s) > growthLimit * std::fabs(p - s)) return base + growthLimit * q;
  if (q * s >= 0 && std::fabs(s) > std::fabs(p)) return base + growthLimit * q;
  // When the slope and its predecessor are both 0 the secant step is 0/0;
  // such a weight has nothing to follow and stays where it is. (Equal
  // non-zero slopes never get here: the first test above catches them.)
  if (p == s) return base;
  return base + q * s / (p - s);
}

}  // namespace stridewell
