// Form evaluation: condenses a race card into its RaceProfile, the race
// facts and per-horse form factors that encoding, reports and alerts read.
// Everything works in place on the fixed records, without allocation.
#pragma once

#include "race/race.h"

namespace stridewell {

// Rewrites `profile` from `card`: the header and the first horseCount
// horses; every other byte is zero. The card reader runs it on every race
// it hands out, so callers only need it after changing a card themselves.
void evaluateRace(const RaceCard& card, RaceProfile& profile);
inline void evaluateRace(Race& race) {
  evaluateRace(race.card, race.profile);
}

// Yards from a distance code (furlongs from 1.9 up, miles below, negative
// miles for the long routes), rounded.
int16_t distanceYards(float distanceCode);

}  // namespace stridewell
