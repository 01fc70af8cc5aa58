// Rounding of the generator's simulated values to the whole numbers the
// files hold: halves go up, the same on every machine.
#pragma once

#include <cmath>

namespace stridewell::gen {

inline int roundInt(double value) {
  return static_cast<int>(std::floor(value + 0.5));
}

}  // namespace stridewell::gen
