// Turns one horse's form factors into its 85 network inputs, each scaled by
// 0.01 in single precision, in the order the SIMs were trained on. Pure
// function of the HorseProfile; callable from any thread.
#pragma once

#include "patterns/horse_inputs.h"
#include "race/race_profile.h"

namespace stridewell {

// Fills `inputs` and returns how many values the encoding produced, which is
// kHorseInputCount unless the table and the input width disagree.
int encodeHorse(const HorseProfile& horse, HorseInputs& inputs);

}  // namespace stridewell
