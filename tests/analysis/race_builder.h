// Races for the wager tests: a field of named horses, the result's finishers
// (named in upper case, as results files print them, while the card spells
// them in mixed case) and the SIM's picks, plus a lookup of a strategy's
// outcome by its label.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/race_analysis.h"
#include "analysis/strategy_totals.h"

namespace stridewell::test {

class RaceBuilder {
 public:
  RaceBuilder() {
    std::memset(&profile_, 0, sizeof profile_);
    std::memset(&result_, 0, sizeof result_);
  }

  // A horse that ran and finished `finish` (0 = unknown); returns its slot.
  int runner(std::string_view name, int finish, float odds = 0) {
    const int slot = nonRunner(name);
    FinisherEntry& f = result_.finishers[result_.finisherCount++];
    const std::string upper = upperCase(name);
    std::memcpy(f.name, upper.data(), std::min(upper.size(), sizeof f.name - 1));
    f.finishPosition = static_cast<uint8_t>(finish);
    f.odds = odds;
    return slot;
  }

  // A horse on the card with no finisher in the result.
  int nonRunner(std::string_view name) {
    const int slot = profile_.horseCount++;
    std::memcpy(profile_.horses[slot].name, name.data(),
                std::min(name.size(), sizeof(profile_.horses[0].name) - 1));
    return slot;
  }

  // Appends `slot` to the SIM's picks (best first).
  void pick(int slot, double score = 20, double fair = 4) {
    PredictedHorse& entry = prediction_.entries[prediction_.entryCount];
    entry.horse = slot;
    entry.rank = prediction_.entryCount + 1;
    entry.winPercent = score;
    entry.fairOdds = fair;
    ++prediction_.entryCount;
  }

  // The result's entry for pick `k` (1 to 5), found by name as the
  // analysis does.
  FinisherEntry& finisherOfPick(int k) {
    const std::string wanted = upperCase(profile_.horses[prediction_.entries[k - 1].horse].name);
    for (int i = 0; i < result_.finisherCount; ++i) {
      if (wanted == result_.finishers[i].name) return result_.finishers[i];
    }
    ADD_FAILURE() << "pick " << k << " has no finisher";
    return result_.finishers[kMaxFinishers - 1];
  }

  void setStraightPayoffs(int k, float win, float place, float show) {
    FinisherEntry& f = finisherOfPick(k);
    f.winPayoff = win;
    f.placePayoff = place;
    f.showPayoff = show;
  }

  void setOdds(float odds1, float odds2, float odds3) {
    finisherOfPick(1).odds = odds1;
    finisherOfPick(2).odds = odds2;
    finisherOfPick(3).odds = odds3;
  }

  void setPools(float exacta, float quinella, float trifecta, float superfecta) {
    result_.exactaPayoff = exacta;
    result_.quinellaPayoff = quinella;
    result_.trifectaPayoff = trifecta;
    result_.superfectaPayoff = superfecta;
  }

  PredictedHorse& pickEntry(int k) { return prediction_.entries[k - 1]; }
  RacePrediction& prediction() { return prediction_; }
  RaceProfile& profile() { return profile_; }
  RaceResult& result() { return result_; }

  bool build(RaceAnalysis& analysis) const {
    return buildRaceAnalysis(prediction_, profile_, result_, analysis);
  }

  RaceAnalysis analysis() const {
    RaceAnalysis analysis;
    EXPECT_TRUE(build(analysis));
    return analysis;
  }

 private:
  static std::string upperCase(std::string_view text) {
    std::string out(text.substr(0, text.find('\0')));
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
  }

  RacePrediction prediction_;
  RaceProfile profile_;
  RaceResult result_;
};

// Picks 1 to 5 finish as listed (0 = unknown), every pick with odds 5,
// score 20 and fair odds 4; an unpicked horse listed first in the result
// makes sure finishers are found by name, not by place in the list. No
// payoffs are set.
inline RaceBuilder racePicksFinishing(const std::vector<int>& finishes) {
  static const char* const kNames[] = {"Alpha Dancer", "Bold Venture", "Cape Light", "Dusty Road",
                                       "Echo Bay"};
  RaceBuilder race;
  race.runner("Outsider", 9, 30);
  int k = 0;
  for (int finish : finishes) race.pick(race.runner(kNames[k++], finish, 5));
  return race;
}

inline int strategyIndex(std::string_view name) {
  for (int i = 0; i < kStrategyCount; ++i) {
    if (strategyName(i) == name) return i;
  }
  ADD_FAILURE() << "no strategy named " << name;
  return -1;
}

struct Outcome {
  bool played = false;
  int32_t stake = 0;
  double payout = 0;
};

inline Outcome settleByName(const RaceAnalysis& analysis, std::string_view name) {
  int32_t stake = 0;
  const double payout = settleStrategy(analysis, strategyIndex(name), stake);
  if (payout < 0) return {};
  return {true, stake, payout};
}

}  // namespace stridewell::test
