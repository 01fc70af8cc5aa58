// The network inputs of one horse: 85 single-precision values in a fixed
// order, first as encoded from its HorseProfile and then standardised
// against the other horses of its field. A plain value type.
#pragma once

#include <array>

#include "model/sim_shape.h"

namespace stridewell {

inline constexpr int kHorseInputCount = kSimInputsPerHorse;
static_assert(kHorseInputCount == 85);

using HorseInputs = std::array<float, kHorseInputCount>;

}  // namespace stridewell
