// The results record of one race: finish order, odds and payoffs on a $2
// ticket. Stored verbatim in dataset files, so its layout is a file format.
#pragma once

#include <cstddef>
#include <cstdint>

#include "race/race_card.h"

namespace stridewell {

inline constexpr int kMaxFinishers = 63;

#pragma pack(push, 1)

struct FinisherEntry {
  uint8_t finishPosition;  // 0 when unknown (the file gave more than 90)
  uint8_t postPosition;    // results field 18
  float winPayoff;
  float placePayoff;
  float showPayoff;
  char name[30];
  float odds;
  uint8_t cardIndex;  // HorseEntry slot, set when the race is paired with its card
  uint8_t reserved[4];
};

struct RaceResult {
  uint8_t reserved[4];
  uint8_t raceNumber;
  char track[4];
  int32_t date;
  uint8_t surface;    // 0 dirt, 1 turf, 2 other
  uint8_t condition;  // 1 wet, 2 dry
  uint8_t finisherCount;
  float exactaPayoff;
  float quinellaPayoff;
  float trifectaPayoff;
  float superfectaPayoff;
  float dailyDoublePayoff;
  float pickThreePayoff;
  float pickFourPayoff;
  float pickSixPayoff;
  uint8_t reserved2[4];
  FinisherEntry finishers[kMaxFinishers];
  uint8_t spare[49];  // the record is a fixed 3,440 bytes; always zero
};

#pragma pack(pop)

static_assert(sizeof(FinisherEntry) == 53);
static_assert(offsetof(FinisherEntry, postPosition) == 1);
static_assert(offsetof(FinisherEntry, winPayoff) == 2);
static_assert(offsetof(FinisherEntry, placePayoff) == 6);
static_assert(offsetof(FinisherEntry, showPayoff) == 10);
static_assert(offsetof(FinisherEntry, name) == 14);
static_assert(offsetof(FinisherEntry, odds) == 44);
static_assert(offsetof(FinisherEntry, cardIndex) == 48);
static_assert(offsetof(FinisherEntry, reserved) == 49);

static_assert(sizeof(RaceResult) == 3440);
static_assert(offsetof(RaceResult, raceNumber) == 4);
static_assert(offsetof(RaceResult, track) == 5);
static_assert(offsetof(RaceResult, date) == 9);
static_assert(offsetof(RaceResult, surface) == 13);
static_assert(offsetof(RaceResult, condition) == 14);
static_assert(offsetof(RaceResult, finisherCount) == 15);
static_assert(offsetof(RaceResult, exactaPayoff) == 16);
static_assert(offsetof(RaceResult, quinellaPayoff) == 20);
static_assert(offsetof(RaceResult, trifectaPayoff) == 24);
static_assert(offsetof(RaceResult, superfectaPayoff) == 28);
static_assert(offsetof(RaceResult, dailyDoublePayoff) == 32);
static_assert(offsetof(RaceResult, pickThreePayoff) == 36);
static_assert(offsetof(RaceResult, pickFourPayoff) == 40);
static_assert(offsetof(RaceResult, pickSixPayoff) == 44);
static_assert(offsetof(RaceResult, finishers) == 52);

}  // namespace stridewell
