// How the track and the public price a field. Both start from the figure a
// horse is known to be worth on the day (its ability, rider, trainer and
// edges) and get it wrong in their own ways: the public judges well but
// makes too much of the last race, good or unlucky, and thinks a race more
// open than it is; the track's handicapper, pricing the card days ahead,
// judges less well than the public.
#pragma once

#include <vector>

#include "race_model.h"
#include "random_source.h"

namespace stridewell::gen {

// Race-day luck (pace, trip, the break) on top of a horse's own
// inconsistency: points of spread no one can foresee.
inline constexpr double kRaceLuck = 4.5;

// What a horse is worth today to someone who knows its ability, rider and
// trainer: its hidden ability with the surface, distance and going edges.
double knownFigure(const std::vector<Jockey>& jockeys, const Horse& horse, const SimulatedRace& race,
                   char surface, bool wet);

// The public's figure for a horse: the known figure, pulled toward how far
// the last race was above or below the horse's worth that day, and blurred.
double publicFigure(RandomSource& random, double known, const Horse& horse);

// The race-day spread the public allows a horse: what its past races show
// of its consistency, a little wider; a standard spread for a first-time
// starter.
double publicSpreadOf(const Horse& horse);

// Sets every horse's morningLine10 for its betting interest.
void setMorningLine(RandomSource& random, const std::vector<Jockey>& jockeys, SimulatedRace& race);

}  // namespace stridewell::gen
