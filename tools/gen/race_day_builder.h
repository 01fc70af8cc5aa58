// Builds one simulated day of racing at a track: the card (races, horses,
// careers, morning line) and the outcome (finish, odds, payoffs). Every
// random choice comes from a RandomSource seeded by the options and the day,
// so a day depends on nothing but (seed, track, date).
#pragma once

#include "race_model.h"
#include "sample_generator.h"

namespace stridewell::gen {

// `dayIndex` counts from options' first day (0).
RaceDay buildRaceDay(const SampleOptions& options, int dayIndex);

// The normalised three-letter track code of the options ("SA" -> "SAX").
std::string normalisedTrack(const std::string& track);

}  // namespace stridewell::gen
