// Race classes of the sample data: the type letters, claiming prices and
// purses a track cards, and the "par" speed figure that a typical winner of
// each class earns. Pars tie the classes to the horses' hidden ability: a
// horse runs mostly at the level its ability deserves.
#pragma once

#include <string>

#include "race_model.h"
#include "random_source.h"

namespace stridewell::gen {

// Par speed figure of a class at a major track; lower-purse tracks card
// cheaper races and so lower pars come out of their class choices.
double classPar(const RaceClass& raceClass);

// Today's race type at a track, drawn by how often each is carded.
RaceClass drawRaceClass(RandomSource& random, bool majorTrack, bool feature);

// The class of a past race whose winner runs about `par`; `maiden` when the
// horse had not yet won.
RaceClass classForPar(RandomSource& random, double par, bool maiden);

bool isMaidenClass(const RaceClass& raceClass);
bool isStakesClass(const RaceClass& raceClass);

// "CLAIMING $25,000", "THE JUNIPER STAKES (GRADE III)" ...; `stakesName`
// is used for stakes only.
std::string classTitle(const RaceClass& raceClass, const std::string& stakesName);

// 25000 -> "$25,000".
std::string dollars(int amount);

}  // namespace stridewell::gen
