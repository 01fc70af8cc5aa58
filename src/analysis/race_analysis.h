// One race as the wager simulation sees it: the SIM's five picks joined to
// the official result (finish, odds, payoffs) and the hit flags every
// strategy settles on. A plain record, rebuilt for every race.
#pragma once

#include <cstdint>

#include "patterns/race_prediction.h"
#include "race/race_profile.h"
#include "race/race_result.h"

namespace stridewell {

struct RaceAnalysis {
  // The prediction's entries; finisherIndex and officialFinish are filled
  // from the result.
  PredictedHorse picks[kPredictedPlaces];
  int16_t pickCount = 0;
  float score1 = 0, score2 = 0, score3 = 0;
  float fair1 = 0, fair2 = 0, fair3 = 0;
  float odds1 = 0, odds2 = 0, odds3 = 0;
  float winPayoff1 = 0, winPayoff2 = 0, winPayoff3 = 0;
  float placePayoff1 = 0, placePayoff2 = 0, placePayoff3 = 0;
  float showPayoff1 = 0, showPayoff2 = 0, showPayoff3 = 0;
  bool won1 = false, won2 = false, won3 = false;
  bool placed1 = false, placed2 = false, placed3 = false;
  bool showed1 = false, showed2 = false, showed3 = false;
  bool winnerInTop3 = false, winnerInTop4 = false, winnerInTop5 = false;
  float winnerPayoff3 = 0, winnerPayoff4 = 0, winnerPayoff5 = 0;
  bool exactaHit = false;
  bool quinellaHit = false;
  bool box3ExactaHit = false;
  bool box3TrifectaHit = false;
  bool box4TrifectaHit = false;
  bool box3SuperfectaHit = false;
  bool box4SuperfectaHit = false;
  float exactaPayoff = 0, quinellaPayoff = 0, trifectaPayoff = 0, superfectaPayoff = 0;
};

// Joins `prediction` (scoreRace's, for this race's profile) to `result`.
// False when the race cannot be bet on: no prediction, or a pick whose
// name has no finisher in the result (compared ignoring case).
bool buildRaceAnalysis(const RacePrediction& prediction, const RaceProfile& profile, const RaceResult& result,
                       RaceAnalysis& analysis);

}  // namespace stridewell
