// How the track and the public price a field: the figure a horse is known
// to be worth on a surface, and the morning line the track's handicapper
// makes from it. The running of the race prices the tote from the same
// figure and noise.
#pragma once

#include <vector>

#include "race_model.h"
#include "random_source.h"

namespace stridewell::gen {

// The race-day spread of a horse's figure that the public and the track's
// handicapper allow for when they price the field.
inline constexpr double kPublicNoise = 7.5;

// What a horse is worth today to someone who knows its ability, rider and
// trainer: its hidden ability with the surface, distance and going edges.
double knownFigure(const std::vector<Jockey>& jockeys, const Horse& horse, const SimulatedRace& race,
                   char surface, bool wet);

// Sets every horse's morningLine10 for its betting interest.
void setMorningLine(RandomSource& random, const std::vector<Jockey>& jockeys, SimulatedRace& race);

}  // namespace stridewell::gen
