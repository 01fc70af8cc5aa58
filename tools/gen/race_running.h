// Running a race of the simulated day: each starter's performance, the
// finish order, the win pool and straight wagers, and every starter's
// running line and trip. Called by the day builder once the field is made.
#pragma once

#include <vector>

#include "race_model.h"
#include "random_source.h"

namespace stridewell::gen {

// Runs the race's starters (horses not scratched); `straightTake` is the
// track's take from the win, place and show pools.
void runRace(RandomSource& random, const std::vector<Jockey>& jockeys, bool majorTrack, double straightTake,
             SimulatedRace& race);

}  // namespace stridewell::gen
