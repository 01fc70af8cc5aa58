// The squashing function of every non-input unit: a logistic curve held
// inside [0.000001, 0.999999]. Hidden units use it rescaled to about
// [-1, 1], output units as it is. Pure functions, callable from any thread.
#pragma once

#include <cmath>

#include "model/activation_limits.h"

namespace stridewell {

inline double logisticActivation(double netInput) {
  if (netInput < kLowestNetInput) return kLowestActivation;
  if (netInput > kHighestNetInput) return kHighestActivation;
  double f = 1.0 / (1.0 + std::exp(-netInput));
  if (f < kLowestActivation) f = kLowestActivation;
  if (f > kHighestActivation) f = kHighestActivation;
  return f;
}

// Hidden units answer symmetrically, in [-0.999998, 0.999998].
inline double hiddenActivation(double netInput) {
  return 2.0 * logisticActivation(netInput) - 1.0;
}

inline double outputActivation(double netInput) {
  return logisticActivation(netInput);
}

}  // namespace stridewell
