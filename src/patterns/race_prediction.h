// The predicted first five of a race: which horse slots the SIM ranks 1 to
// 5, with each one's share of the race's total score as a win percentage
// and as fair odds. A plain record filled by scoreRace.
#pragma once

#include <cstdint>

namespace stridewell {

inline constexpr int kPredictedPlaces = 5;

struct PredictedHorse {
  int32_t horse = 0;      // slot in the RaceProfile, from 0
  int32_t rank = 0;       // 1 to 5
  double winPercent = 0;  // share of the total score x 100
  double fairOdds = 0;    // odds to 1: 1 / share - 1
  // Left for the profit/loss analysis: the horse's place in the result's
  // finisher list and its official finish.
  int32_t finisherIndex = 0;
  int32_t officialFinish = 0;
};

struct RacePrediction {
  int32_t entryCount = 0;  // 0 (no prediction) or 5
  PredictedHorse entries[kPredictedPlaces];
};

}  // namespace stridewell
