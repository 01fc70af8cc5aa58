// The comment lines a card prints under a race: its title and purse, the
// conditions, the distance, the wagering offered and the weights, held to
// the card's nine lines of 64 characters. Needs the race's wagers settled.
#pragma once

#include <string>

#include "race_model.h"

namespace stridewell::gen {

// Fills race.comments; `stakesName` names a stakes race, `raceCount` is the
// number of races that day.
void writeComments(SimulatedRace& race, const std::string& stakesName, int raceCount);

}  // namespace stridewell::gen
