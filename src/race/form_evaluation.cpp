#include "race/form_evaluation.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "race/day_numbers.h"
#include "race/early_speed.h"
#include "race/failures.h"
#include "race/past_race.h"

namespace stridewell {

namespace {

constexpr int kMaxDaysSinceLastRace = 100;

template <typename Int>
Int saturate(double value) {
  constexpr double low = std::numeric_limits<Int>::min();
  constexpr double high = std::numeric_limits<Int>::max();
  if (!(value >= low)) return std::numeric_limits<Int>::min();  // NaN lands here too
  if (value > high) return std::numeric_limits<Int>::max();
  return static_cast<Int>(value);
}

uint8_t countByte(int count) {
  return static_cast<uint8_t>(std::min(count, 255));
}

void summarizeRates(const HorseEntry& horse, HorseProfile& out) {
  float best = 0.0f;
  float drySum = 0.0f;
  float wetSum = 0.0f;
  int dryCount = 0;
  int wetCount = 0;
  for (const RateEntry& entry : horse.rateEntries) {
    const float rate = entry.rate;  // a copy: the packed member is unaligned
    best = std::max(best, rate);
    if (rate == 0.0f) continue;
    if (entry.condition == 2) {
      drySum += rate;
      ++dryCount;
    } else if (entry.condition == 1) {
      wetSum += rate;
      ++wetCount;
    }
  }
  out.bestRate = best;
  out.dryRateAverage = dryCount == 0 ? 0.0f : drySum / static_cast<float>(dryCount);
  out.wetRateAverage = wetCount == 0 ? 0.0f : wetSum / static_cast<float>(wetCount);
}

// Averages over the two most recent good races that have the value, or over
// every race that has it when no good race does. `read` names the member
// (members of the packed record are read directly, never through pointers).
template <typename Sum, typename Read>
bool twoGoodRaceSum(const PastRace* races, int count, Read read, Sum& sum, int& taken) {
  sum = 0;
  taken = 0;
  for (int k = 0; k < count && taken < 2; ++k) {
    const auto v = read(races[k]);
    if (v != 0 && goodRace(races[k])) {
      sum += v;
      ++taken;
    }
  }
  if (taken > 0) return true;
  for (int k = 0; k < count; ++k) {
    const auto v = read(races[k]);
    if (v != 0) {
      sum += v;
      ++taken;
    }
  }
  return taken > 0;
}

template <typename Read>
uint8_t twoGoodRaceByte(const PastRace* races, int count, Read read) {
  int sum = 0;
  int taken = 0;
  if (!twoGoodRaceSum(races, count, read, sum, taken)) return 0;
  return static_cast<uint8_t>(sum / taken);
}

template <typename Read>
float twoGoodRaceFloat(const PastRace* races, int count, Read read) {
  float sum = 0.0f;
  int taken = 0;
  if (!twoGoodRaceSum(races, count, read, sum, taken)) return 0.0f;
  return sum / static_cast<float>(taken);
}

int16_t twoGoodRaceSpeedRating10(const PastRace* races, int count) {
  int sum = 0;
  int taken = 0;
  const auto speedRating = [](const PastRace& r) { return int{r.speedRating}; };
  if (!twoGoodRaceSum(races, count, speedRating, sum, taken)) return 0;
  return saturate<int16_t>(std::trunc(10.0 * sum / taken + 0.5));
}

int32_t earningsPerStart(const HorseEntry& horse) {
  double starts = horse.startsThisYear;
  double earnings = horse.earningsThisYear;
  if (horse.startsThisYear <= 5) {
    starts += horse.startsLastYear;
    earnings += horse.earningsLastYear;
  }
  if (starts == 0) return 0;
  return saturate<int32_t>(std::trunc(earnings / starts + 0.5));
}

// Counts and averages over the past races, split by today's race type.
void summarizePastRaces(const HorseEntry& horse, bool sprintToday, HorseProfile& out) {
  const int count = std::min<int>(horse.pastRaceCount, kMaxPastRaces);
  int sameType = 0;
  int good = 0;
  int sameTypeGood = 0;
  int sameTypeFinishes[3] = {};
  int finishes[3] = {};
  int callSums[4] = {};
  int callCounts[4] = {};
  float distanceRateSum = 0.0f;
  int distanceRateCount = 0;
  int weightSum = 0;
  int weightCount = 0;
  bool moneyFound = false;
  for (int k = 0; k < count; ++k) {
    const PastRace& race = horse.pastRaces[k];
    const bool same = isSprint(race.distance) == sprintToday;
    const bool isGood = goodRace(race);
    const int finish = race.finish.position;
    good += isGood;
    if (finish >= 1 && finish <= 3) {
      ++finishes[finish - 1];
      if (same) ++sameTypeFinishes[finish - 1];
      if (!moneyFound) {
        moneyFound = true;
        out.lastMoneyClass = race.raceClass;
        out.lastMoneyFinish = static_cast<uint8_t>(finish);
      }
    }
    if (race.weightCarried != 0) {
      weightSum += race.weightCarried;
      ++weightCount;
    }
    if (!same) continue;
    ++sameType;
    sameTypeGood += isGood;
    const CallPosition* calls[4] = {&race.call1, &race.call2, &race.call3, &race.finish};
    for (int c = 0; c < 4; ++c) {
      if (calls[c]->position == 0) continue;
      callSums[c] += calls[c]->position;
      ++callCounts[c];
    }
    if (race.distanceRate != 0.0f) {
      distanceRateSum += race.distanceRate;
      ++distanceRateCount;
    }
  }
  const auto average = [](int sum, int n) {
    return n == 0 ? 0.0f : static_cast<float>(sum) / static_cast<float>(n);
  };
  out.sameTypeRaces = countByte(sameType);
  out.goodRaces = countByte(good);
  out.sameTypeGoodRaces = countByte(sameTypeGood);
  for (int f = 0; f < 3; ++f) {
    out.sameTypeFinishes[f] = countByte(sameTypeFinishes[f]);
    out.finishes[f] = countByte(finishes[f]);
  }
  out.avgCall1 = average(callSums[0], callCounts[0]);
  out.avgCall2 = average(callSums[1], callCounts[1]);
  out.avgCall3 = average(callSums[2], callCounts[2]);
  out.avgFinish = average(callSums[3], callCounts[3]);
  out.avgDistanceRate =
      distanceRateCount == 0 ? 0.0f : distanceRateSum / static_cast<float>(distanceRateCount);
  out.avgWeightCarried = weightCount == 0 ? 0 : static_cast<uint8_t>(weightSum / weightCount);

  const PastRace* races = horse.pastRaces;
  out.avgSpeedRating10 = twoGoodRaceSpeedRating10(races, count);
  out.avgLatePace = twoGoodRaceByte(races, count, [](const PastRace& r) { return int{r.latePace}; });
  out.avgTrackVariant = twoGoodRaceByte(races, count, [](const PastRace& r) { return int{r.trackVariant}; });
  out.avgEarlyPace = twoGoodRaceByte(races, count, [](const PastRace& r) { return int{r.earlyPace}; });
  out.avgMiddlePace = twoGoodRaceByte(races, count, [](const PastRace& r) { return int{r.middlePace}; });
  out.avgClassRating = twoGoodRaceFloat(races, count, [](const PastRace& r) { return float{r.classRating}; });
  out.avgRaceLevel = twoGoodRaceFloat(races, count, [](const PastRace& r) { return float{r.raceLevel}; });
}

void copyCardValues(const HorseEntry& horse, HorseProfile& out) {
  out.morningLine = horse.morningLine;
  std::memcpy(out.name, horse.name, sizeof out.name);
  out.postPosition = horse.postPosition;
  out.sexCode = horse.sexCode;
  out.age = horse.age;
  out.weight = horse.weight;
  out.medication = horse.medication;
  const RecordBlock blocks[8] = {horse.dirtRecord,     horse.allWeatherRecord, horse.lifetimeRecord,
                                 horse.distanceRecord, horse.trackRecord,      horse.turfRecord,
                                 horse.twoYearRecord,  horse.wetRecord};
  std::memcpy(out.recordBlocks, blocks, sizeof out.recordBlocks);
  out.pastRaceCount = horse.pastRaceCount;
  out.jockeyGoodRaces = horse.jockeyGoodRaces;
  out.pastRacesAtHostTrack = horse.pastRacesAtHostTrack;
  out.ratesAtHostTrack = horse.ratesAtHostTrack;
  const float ratings[6] = {horse.primePower,   horse.bestSpeedPastYear, horse.avgCompetitiveLevel,
                            horse.currentClass, horse.recentEarlyPace,   horse.recentLatePace};
  std::memcpy(out.cardRatings, ratings, sizeof out.cardRatings);
  out.cardFigures[0] = horse.cardDaysSinceLastRace;
  out.cardFigures[1] = horse.bestSpeedLifetime;
  const float percents[4] = {horse.trainerWinPercent, horse.trainerInMoneyPercent, horse.jockeyWinPercent,
                             horse.jockeyInMoneyPercent};
  std::memcpy(out.trainerJockeyPercents, percents, sizeof out.trainerJockeyPercents);
}

void evaluateHorse(const RaceCard& card, const HorseEntry& horse, HorseProfile& out) {
  const bool sprintToday = isSprint(card.distance);
  copyCardValues(horse, out);
  summarizeRates(horse, out);
  summarizePastRaces(horse, sprintToday, out);
  out.earningsPerStart = earningsPerStart(horse);
  if (horse.pastRaceCount > 0) {
    out.daysSinceLastRace = static_cast<uint8_t>(
        std::min(daysBetween(horse.pastRaces[0].date, card.date), kMaxDaysSinceLastRace));
  }
  out.failures = failureCount(horse, card);
  out.earlySpeed = earlySpeedRating(horse, sprintToday);
}

}  // namespace

int16_t distanceYards(float distanceCode) {
  const double d = distanceCode;
  const double yards = d >= 1.9 ? d * 220.0 : std::fabs(d) * 1760.0;
  return saturate<int16_t>(std::trunc(yards + 0.5));
}

void evaluateRace(const RaceCard& card, RaceProfile& profile) {
  clearRecord(profile);
  profile.distanceYards = distanceYards(card.distance);
  profile.sprintRoute = isSprint(card.distance) ? RaceProfile::kSprint : RaceProfile::kRoute;
  profile.raceClass = card.raceClass;
  profile.surface = card.surface;
  profile.hostRaceNumber = card.hostRaceNumber;
  std::memcpy(profile.hostTrack, card.hostTrack, sizeof profile.hostTrack);
  profile.date = card.date;
  profile.horseCount = card.horseCount;
  const int horses = std::min<int>(card.horseCount, kMaxHorses);
  for (int h = 0; h < horses; ++h) evaluateHorse(card, card.horses[h], profile.horses[h]);
}

}  // namespace stridewell
