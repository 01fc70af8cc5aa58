// The exotic wagers of a day of racing: exactas, quinellas, trifectas and
// superfectas of each race, and the multi-race wagers that end in it, paid
// from the public's chances of the finish. The day builder calls it once
// every race has been run.
#pragma once

#include <vector>

#include "race_model.h"
#include "random_source.h"

namespace stridewell::gen {

// Adds the wagers to every race of `races` (in race order); `exoticTake` is
// the track's take from the exotic pools.
void settleExotics(RandomSource& random, bool quinellaOffered, double exoticTake,
                   std::vector<SimulatedRace>& races);

}  // namespace stridewell::gen
