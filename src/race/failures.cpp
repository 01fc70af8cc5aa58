#include "race/failures.h"

#include <algorithm>

#include "race/class_levels.h"
#include "race/day_numbers.h"
#include "race/past_race.h"

namespace stridewell {

namespace {

constexpr int kLayoffDays = 31;
constexpr int kWidestFairRoutePost = 7;

int pastRaceCount(const HorseEntry& horse) {
  return std::min<int>(horse.pastRaceCount, kMaxPastRaces);
}

bool hasFlag(const PastRace& race, PastRace::Flag flag) {
  return (race.flags & flag) != 0;
}

// A good race on turf shows turf ability, a good race elsewhere dirt ability.
struct SurfaceAbility {
  bool turf = false;
  bool dirt = false;
};

SurfaceAbility surfaceAbility(const HorseEntry& horse) {
  SurfaceAbility ability;
  for (int k = 0; k < pastRaceCount(horse); ++k) {
    const PastRace& race = horse.pastRaces[k];
    if (!goodRace(race)) continue;
    if (hasFlag(race, PastRace::kTurf)) {
      ability.turf = true;
    } else {
      ability.dirt = true;
    }
  }
  return ability;
}

}  // namespace

bool excused(const HorseEntry& horse, int j, int32_t today) {
  const int count = pastRaceCount(horse);
  if (j < 0 || j >= count) return false;
  const PastRace& race = horse.pastRaces[j];
  if (j + 1 < count && daysBetween(race.date, horse.pastRaces[j + 1].date) >= kLayoffDays) return true;
  if (j >= 1 && daysBetween(race.date, horse.pastRaces[j - 1].date) >= kLayoffDays) return true;
  if (j == 0 && daysBetween(race.date, today) >= kLayoffDays) return true;
  if (hasFlag(race, PastRace::kTrouble)) return true;
  if (!isSprint(race.distance) && race.postPosition > kWidestFairRoutePost) return true;
  if ((horse.sexCode == 'f' || horse.sexCode == 'm') && !hasFlag(race, PastRace::kFemalesOnly)) {
    return true;
  }
  if (horse.age == 3 && race.raceClass.type < ClassCode::kAllowance &&
      hasFlag(race, PastRace::kOpenToOlder)) {
    return true;
  }
  const SurfaceAbility ability = surfaceAbility(horse);
  return hasFlag(race, PastRace::kTurf) ? !ability.turf : !ability.dirt;
}

uint8_t failureCount(const HorseEntry& horse, const RaceCard& card) {
  const int count = pastRaceCount(horse);
  int good = 0;
  while (good < count && !goodRace(horse.pastRaces[good])) ++good;
  if (good == count) return 0;
  const PastRace& goodOne = horse.pastRaces[good];
  const bool sprintToday = isSprint(card.distance);
  const bool goodSprint = isSprint(goodOne.distance);
  int failures = 0;
  for (int j = 0; j < good; ++j) {
    const PastRace& bad = horse.pastRaces[j];
    if (!classAtLeast(goodOne.raceClass, bad.raceClass) && !classAtLeast(card.raceClass, bad.raceClass)) {
      continue;  // tried above its class: no blame
    }
    if (majorClassDrop(goodOne.raceClass, bad.raceClass)) {
      ++failures;
    } else if ((sprintToday != goodSprint || isSprint(bad.distance) == goodSprint) &&
               !excused(horse, j, card.date)) {
      ++failures;
    }
  }
  return static_cast<uint8_t>(failures);
}

}  // namespace stridewell
