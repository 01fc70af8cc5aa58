// Form factors derived from a race card: the race facts every later stage
// reads and, per horse, the figures condensed from its past races. The
// record is stored verbatim in dataset files beside the card, so every size
// and offset below is a file format and is pinned by a static_assert.
#pragma once

#include <cstddef>
#include <cstdint>

#include "race/race_card.h"

namespace stridewell {

#pragma pack(push, 1)

struct HorseProfile {
  float morningLine;
  char name[30];
  uint8_t postPosition;
  char sexCode;
  uint8_t age;
  uint8_t weight;
  uint8_t medication;
  float dryRateAverage;
  float wetRateAverage;
  float bestRate;
  // HorseEntry dirtRecord, allWeatherRecord, lifetimeRecord, distanceRecord, trackRecord,
  // turfRecord, twoYearRecord, wetRecord (card fields 186, 196, 46, 51, 56, 61, 66+71, 76)
  RecordBlock recordBlocks[8];
  uint8_t daysSinceLastRace;  // capped at 100; 0 without past races
  uint8_t pastRaceCount;
  uint8_t sameTypeRaces;  // past races on the same side of the sprint/route line as today
  uint8_t failures;
  uint8_t earlySpeed;  // 0-8
  int32_t earningsPerStart;
  int16_t avgSpeedRating10;  // ten times the two-good-race average speed rating
  uint8_t sameTypeGoodRaces;
  uint8_t goodRaces;
  float avgCall1;
  float avgCall2;
  float avgCall3;
  float avgFinish;
  uint8_t sameTypeFinishes[3];  // firsts, seconds, thirds
  uint8_t finishes[3];
  ClassCode lastMoneyClass;
  uint8_t lastMoneyFinish;
  uint8_t avgWeightCarried;  // average of PastRace::weightCarried (card field 446+k), zeros left out
  float avgDistanceRate;
  uint8_t jockeyGoodRaces;
  uint8_t avgLatePace;      // two-good-race average of PastRace::latePace (card field 726+k)
  uint8_t avgTrackVariant;  // the same of trackVariant (card field 736+k)
  uint8_t avgEarlyPace;     // the same of earlyPace (card field 626+k)
  uint8_t avgMiddlePace;    // the same of middlePace (card field 676+k)
  uint8_t pastRacesAtHostTrack;
  uint8_t ratesAtHostTrack;
  // HorseEntry primePower, bestSpeedPastYear, avgCompetitiveLevel, currentClass, recentEarlyPace,
  // recentLatePace (card fields 201, 135, 142, 143, 1032, 1033)
  float cardRatings[6];
  int16_t cardFigures[2];  // HorseEntry cardDaysSinceLastRace, bestSpeedLifetime (fields 137, 139)
  // HorseEntry trainerWinPercent, trainerInMoneyPercent, jockeyWinPercent, jockeyInMoneyPercent
  float trainerJockeyPercents[4];
  float avgClassRating;
  float avgRaceLevel;
};

struct RaceProfile {
  enum SprintRoute : uint8_t { kRoute = 1, kSprint = 2 };
  uint8_t reserved[4];
  int16_t distanceYards;
  uint8_t sprintRoute;
  ClassCode raceClass;
  uint8_t surface;
  uint8_t hostRaceNumber;
  char hostTrack[4];
  int32_t date;
  uint8_t horseCount;
  HorseProfile horses[kMaxHorses];  // parallel to RaceCard::horses
};

#pragma pack(pop)

static_assert(sizeof(HorseProfile) == 196);
static_assert(offsetof(HorseProfile, morningLine) == 0);
static_assert(offsetof(HorseProfile, name) == 4);
static_assert(offsetof(HorseProfile, postPosition) == 34);
static_assert(offsetof(HorseProfile, sexCode) == 35);
static_assert(offsetof(HorseProfile, age) == 36);
static_assert(offsetof(HorseProfile, weight) == 37);
static_assert(offsetof(HorseProfile, medication) == 38);
static_assert(offsetof(HorseProfile, dryRateAverage) == 39);
static_assert(offsetof(HorseProfile, wetRateAverage) == 43);
static_assert(offsetof(HorseProfile, bestRate) == 47);
static_assert(offsetof(HorseProfile, recordBlocks) == 51);
static_assert(offsetof(HorseProfile, daysSinceLastRace) == 91);
static_assert(offsetof(HorseProfile, pastRaceCount) == 92);
static_assert(offsetof(HorseProfile, sameTypeRaces) == 93);
static_assert(offsetof(HorseProfile, failures) == 94);
static_assert(offsetof(HorseProfile, earlySpeed) == 95);
static_assert(offsetof(HorseProfile, earningsPerStart) == 96);
static_assert(offsetof(HorseProfile, avgSpeedRating10) == 100);
static_assert(offsetof(HorseProfile, sameTypeGoodRaces) == 102);
static_assert(offsetof(HorseProfile, goodRaces) == 103);
static_assert(offsetof(HorseProfile, avgCall1) == 104);
static_assert(offsetof(HorseProfile, avgCall2) == 108);
static_assert(offsetof(HorseProfile, avgCall3) == 112);
static_assert(offsetof(HorseProfile, avgFinish) == 116);
static_assert(offsetof(HorseProfile, sameTypeFinishes) == 120);
static_assert(offsetof(HorseProfile, finishes) == 123);
static_assert(offsetof(HorseProfile, lastMoneyClass) == 126);
static_assert(offsetof(HorseProfile, lastMoneyFinish) == 131);
static_assert(offsetof(HorseProfile, avgWeightCarried) == 132);
static_assert(offsetof(HorseProfile, avgDistanceRate) == 133);
static_assert(offsetof(HorseProfile, jockeyGoodRaces) == 137);
static_assert(offsetof(HorseProfile, avgLatePace) == 138);
static_assert(offsetof(HorseProfile, avgTrackVariant) == 139);
static_assert(offsetof(HorseProfile, avgEarlyPace) == 140);
static_assert(offsetof(HorseProfile, avgMiddlePace) == 141);
static_assert(offsetof(HorseProfile, pastRacesAtHostTrack) == 142);
static_assert(offsetof(HorseProfile, ratesAtHostTrack) == 143);
static_assert(offsetof(HorseProfile, cardRatings) == 144);
static_assert(offsetof(HorseProfile, cardFigures) == 168);
static_assert(offsetof(HorseProfile, trainerJockeyPercents) == 172);
static_assert(offsetof(HorseProfile, avgClassRating) == 188);
static_assert(offsetof(HorseProfile, avgRaceLevel) == 192);

static_assert(sizeof(RaceProfile) == 12567);
static_assert(offsetof(RaceProfile, distanceYards) == 4);
static_assert(offsetof(RaceProfile, sprintRoute) == 6);
static_assert(offsetof(RaceProfile, raceClass) == 7);
static_assert(offsetof(RaceProfile, surface) == 12);
static_assert(offsetof(RaceProfile, hostRaceNumber) == 13);
static_assert(offsetof(RaceProfile, hostTrack) == 14);
static_assert(offsetof(RaceProfile, date) == 18);
static_assert(offsetof(RaceProfile, horseCount) == 22);
static_assert(offsetof(RaceProfile, horses) == 23);

}  // namespace stridewell
