// Making up a race's field once its horses are drawn: program numbers and
// posts (with the odd coupled entry) and the riders, today's and those of
// each past start. Called by the day builder in that order.
#pragma once

#include <vector>

#include "race_model.h"
#include "random_source.h"

namespace stridewell::gen {

// Program numbers, betting interests and posts; a coupled pair moves to the
// front as "1" and "1A".
void drawProgramNumbers(RandomSource& random, SimulatedRace& race);

// Today's rider of each horse from the day's colony `jockeys` (best first),
// and the riders of the horses' past starts.
void assignJockeys(RandomSource& random, const std::vector<Jockey>& jockeys, SimulatedRace& race);

}  // namespace stridewell::gen
