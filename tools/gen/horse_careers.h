// The past races of a horse entered today: when and where it ran, how it
// ran there (figures, calls, trip, time) and the class and earnings of each
// start. The day builder calls it once per horse, with the day's random
// source, so the draws keep their order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "race_model.h"
#include "random_source.h"

namespace stridewell::gen {

// Fills horse.career (most recent first) for a horse entered in `race` on
// day number `today`; a first-timer keeps an empty career. `circuit` lists
// the tracks of today's circuit, home track first.
void buildCareer(RandomSource& random, int64_t today, Horse& horse, const SimulatedRace& race,
                 bool maidenRace, const std::vector<std::string>& circuit);

}  // namespace stridewell::gen
