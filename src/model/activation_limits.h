// Where the squashing function of the net's units and the training error
// are cut off, and the ranges the vector kernels evaluate them over. Constants only, no function:
// the kernels are built for several instruction sets and include this too.
#pragma once

namespace stridewell {

// Beyond these net inputs the curve is replaced by its limits; they sit where
// the curve itself reaches them, so the clamp adds no step of its own.
inline constexpr double kLowestNetInput = -13.81550956;
inline constexpr double kHighestNetInput = 13.81551056;
inline constexpr double kLowestActivation = 0.000001;
inline constexpr double kHighestActivation = 0.999999;

// Net inputs beyond +-15 are past the thresholds above; the kernels cut them
// there, which keeps exp finite without changing any clamped result, and
// clamp the curve's value instead of testing the thresholds.
inline constexpr double kNetInputBound = 15.0;

// Where exp(D) / (exp(D) + exp(-P)) may stand for the logistic of D + P:
// with both exponents at most this size every value is a normal double.
inline constexpr double kProductFormLimit = 350.0;

// Output differences beyond this use the clamped error instead of the
// logarithm, which grows without bound as the difference nears 1.
inline constexpr double kLargestLogDifference = 0.9999999;
inline constexpr double kClampedError = 17.0;
// Added to every derivative so that saturated units keep learning.
inline constexpr double kDerivativeOffset = 0.1;

}  // namespace stridewell
