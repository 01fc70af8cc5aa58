// The exotic wagers of a day of racing: exactas, quinellas, trifectas and
// superfectas of each race, and the multi-race wagers that end in it. Each
// is a pool of its own: the crowd spreads its money over the combinations
// by the win pool's shares (the chance of an order taken as each horse's
// share of what is left once the horses ahead of it are taken out), with a
// part bet evenly over every combination, and the winning combination
// shares the pool less the take. The day builder calls it once every race
// has been run.
#pragma once

#include <vector>

#include "race_model.h"
#include "random_source.h"
#include "tote.h"

namespace stridewell::gen {

// Adds the wagers to every race of `races` (in race order).
void settleExotics(RandomSource& random, bool quinellaOffered, const Takeouts& takeouts,
                   std::vector<SimulatedRace>& races);

}  // namespace stridewell::gen
