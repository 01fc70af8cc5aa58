// Puts each horse's inputs on the scale of its field: every input has the
// field's mean subtracted and is divided by twice the field's population
// deviation, or becomes 0 when the whole field (nearly) agrees on it. Sums
// are in double precision, results stored as float. Pure functions.
#pragma once

#include <span>

#include "patterns/horse_inputs.h"

namespace stridewell {

// The standardised inputs of field[index]; all zero when index is outside
// the field.
HorseInputs standardizeField(std::span<const HorseInputs> field, int index);

// Every horse of the field at once (out must hold field.size() entries);
// each result is bit for bit what standardizeField gives for that horse.
void standardizeWholeField(std::span<const HorseInputs> field, std::span<HorseInputs> out);

}  // namespace stridewell
