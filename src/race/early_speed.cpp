#include "race/early_speed.h"

#include <algorithm>
#include <cmath>

#include "race/past_race.h"

namespace stridewell {

namespace {

constexpr int kRacesWalked = 5;
constexpr int kRacesChosen = 3;

// The first call as the ratings read it: a missing position or margin
// counts as 99, far from the lead.
struct FirstCall {
  int position;
  double lengths;
  bool sprint;
  uint8_t fieldSize;
};

FirstCall firstCall(const PastRace& race) {
  return {race.call1.position == 0 ? 99 : race.call1.position,
          race.call1.lengths == 0.0f ? 99.0 : static_cast<double>(race.call1.lengths),
          isSprint(race.distance), race.fieldSize};
}

// Back in the second half of the field: (field + 1) / 2 is below the position.
bool inLowerHalf(const FirstCall& call) {
  return call.fieldSize != 0 && (call.fieldSize + 1) / 2 < call.position;
}

int pastRaceCount(const HorseEntry& horse) {
  return std::min<int>(horse.pastRaceCount, kMaxPastRaces);
}

int sprintScore(const HorseEntry& horse) {
  const int count = pastRaceCount(horse);
  FirstCall chosen[kRacesChosen];
  int chosenCount = 0;
  int walked = 0;
  bool sprintWalked = false;
  bool routeSkipped = false;
  int score = 1;
  for (int k = 0; k < count && walked < kRacesWalked && chosenCount < kRacesChosen; ++k) {
    const FirstCall call = firstCall(horse.pastRaces[k]);
    ++walked;
    if (call.sprint) {
      sprintWalked = true;
      const bool close = call.position <= 3 || call.lengths <= 2.000001;
      if (std::fabs(horse.pastRaces[k].distance - 7.0) < 0.000001) {
        if (call.position == 1) {
          score += 2;
        } else if (close) {
          score += 1;
        }
      } else {
        if (call.position <= 3) score += 1;
        if (call.position == 1 || call.lengths <= 2.000001) score += 1;
      }
      chosen[chosenCount++] = call;
    } else if (call.position == 1 || call.lengths <= 1.000001) {
      // A route race run on the lead says little against sprinters.
      routeSkipped = true;
    } else {
      chosen[chosenCount++] = call;
    }
  }
  if (score == 7) {
    const bool allOnLead = std::all_of(chosen, chosen + chosenCount, [](const FirstCall& c) {
      return c.sprint && (c.position == 1 || c.lengths <= 0.250001);
    });
    if (allOnLead) score = 8;
  } else if (score == 1 && (sprintWalked || !routeSkipped)) {
    const bool allBehind = std::all_of(chosen, chosen + chosenCount,
                                       [](const FirstCall& c) { return !c.sprint || inLowerHalf(c); });
    if (allBehind) score = 0;
  }
  return score;
}

int routeScore(const HorseEntry& horse) {
  const int count = pastRaceCount(horse);
  FirstCall chosen[kRacesChosen];
  int chosenCount = 0;
  int walked = 0;
  bool routeSeen = false;
  int score = 1;
  for (int k = 0; k < count && walked < kRacesWalked && chosenCount < kRacesChosen; ++k) {
    const FirstCall call = firstCall(horse.pastRaces[k]);
    ++walked;
    if (call.sprint) {
      const int f = call.position > 3 && call.lengths > 3.000001 ? 0 : 1;
      const int added = call.position != 1 && call.lengths > 6.000001 ? f : f + 1;
      score += added;
      if (added != 0) chosen[chosenCount++] = call;
    } else {
      routeSeen = true;
      if (call.position <= 3) score += 1;
      if (call.position == 1 || call.lengths <= 3.000001) score += 1;
      chosen[chosenCount++] = call;
    }
  }
  if (score == 7) {
    const bool noneBehind = std::none_of(chosen, chosen + chosenCount, [](const FirstCall& c) {
      return c.position != 1 && c.lengths > (c.sprint ? 3.000001 : 1.000001);
    });
    if (noneBehind) score = 8;
  } else if (score == 1 && routeSeen) {
    const bool allBehind = std::all_of(chosen, chosen + chosenCount,
                                       [](const FirstCall& c) { return c.sprint || inLowerHalf(c); });
    if (allBehind) score = 0;
  }
  return score;
}

// One or two past races say less than a full record: lift the low scores.
int adjustForFewRaces(int score, int pastRaces) {
  if (pastRaces == 1) {
    if (score == 1) return 3;
    if (score == 2) return 5;
  } else if (pastRaces == 2) {
    if (score >= 2 && score <= 4) return score + 1;
  }
  return score;
}

}  // namespace

uint8_t earlySpeedRating(const HorseEntry& horse, bool sprintToday) {
  const int score = sprintToday ? sprintScore(horse) : routeScore(horse);
  return static_cast<uint8_t>(adjustForFewRaces(score, pastRaceCount(horse)));
}

}  // namespace stridewell
