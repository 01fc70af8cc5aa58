// The reference evaluation of a field: one full forward pass of the model
// per ordered choice of five horses, in the loop order the program has
// always used. Slow (95,040 passes for 12 horses) but plainly right.
#pragma once

#include <span>

#include "model/sim_model.h"
#include "patterns/horse_inputs.h"

namespace stridewell {

// Adds each horse's outputs to scores[horse]; the model must have
// 5 x 85 inputs and 5 outputs, and the field at least 5 horses.
void addLiteralScores(SimModel& model, std::span<const HorseInputs> field, std::span<double> scores);

}  // namespace stridewell
