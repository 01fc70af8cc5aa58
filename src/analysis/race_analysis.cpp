// Joins the SIM's five picks to the official result and works out, once per
// race, every hit flag the 219 strategies settle on.
#include "analysis/race_analysis.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "race/card_values.h"

namespace stridewell {
namespace {

// Names are fixed slots that a damaged dataset may fill to the brim, so
// the terminator is not relied on.
template <size_t N>
std::string_view slotText(const char (&slot)[N]) {
  return std::string_view(slot, strnlen(slot, N));
}

// The first finisher named like `name`, ignoring case, or -1.
int findFinisher(const RaceResult& result, std::string_view name) {
  const int count = std::min<int>(result.finisherCount, kMaxFinishers);
  for (int i = 0; i < count; ++i) {
    if (equalsIgnoreCase(slotText(result.finishers[i].name), name)) return i;
  }
  return -1;
}

// An unknown finish (0) counts as far out of the money.
constexpr int kUnplaced = 99;

int effectiveFinish(const RaceAnalysis& analysis, int pick) {
  if (pick >= analysis.pickCount) return kUnplaced;
  const int finish = analysis.picks[pick].officialFinish;
  return finish == 0 ? kUnplaced : finish;
}

// How many of the first `picks` picks finished `within` or better.
int countFinishedWithin(const RaceAnalysis& analysis, int picks, int within) {
  int count = 0;
  for (int p = 0; p < picks; ++p) {
    if (effectiveFinish(analysis, p) <= within) ++count;
  }
  return count;
}

void copyPickFigures(const PredictedHorse& pick, const FinisherEntry& finisher, float& score, float& fair,
                     float& odds, float& win, float& place, float& show) {
  score = static_cast<float>(pick.winPercent);
  fair = static_cast<float>(pick.fairOdds);
  odds = finisher.odds;
  win = finisher.winPayoff;
  place = finisher.placePayoff;
  show = finisher.showPayoff;
}

}  // namespace

bool buildRaceAnalysis(const RacePrediction& prediction, const RaceProfile& profile, const RaceResult& result,
                       RaceAnalysis& analysis) {
  analysis = RaceAnalysis{};
  if (prediction.entryCount <= 0 || prediction.entryCount > kPredictedPlaces) return false;
  analysis.pickCount = static_cast<int16_t>(prediction.entryCount);

  const int horseCount = std::min<int>(profile.horseCount, kMaxHorses);
  for (int p = 0; p < analysis.pickCount; ++p) {
    PredictedHorse pick = prediction.entries[p];
    if (pick.horse < 0 || pick.horse >= horseCount) return false;
    const int finisher = findFinisher(result, slotText(profile.horses[pick.horse].name));
    if (finisher < 0) return false;
    pick.finisherIndex = finisher;
    pick.officialFinish = result.finishers[finisher].finishPosition;
    analysis.picks[p] = pick;
  }

  // A dead heat leaves the later pick's payoff in place.
  for (int p = 0; p < analysis.pickCount; ++p) {
    if (analysis.picks[p].officialFinish != 1) continue;
    const float payoff = result.finishers[analysis.picks[p].finisherIndex].winPayoff;
    if (p < 5) {
      analysis.winnerInTop5 = true;
      analysis.winnerPayoff5 = payoff;
    }
    if (p < 4) {
      analysis.winnerInTop4 = true;
      analysis.winnerPayoff4 = payoff;
    }
    if (p < 3) {
      analysis.winnerInTop3 = true;
      analysis.winnerPayoff3 = payoff;
    }
  }

  auto finisherOf = [&](int p) -> const FinisherEntry& {
    return result.finishers[analysis.picks[p].finisherIndex];
  };
  // Picks beyond pickCount keep zero figures; scoreRace always gives five.
  if (analysis.pickCount > 0) {
    copyPickFigures(analysis.picks[0], finisherOf(0), analysis.score1, analysis.fair1, analysis.odds1,
                    analysis.winPayoff1, analysis.placePayoff1, analysis.showPayoff1);
  }
  if (analysis.pickCount > 1) {
    copyPickFigures(analysis.picks[1], finisherOf(1), analysis.score2, analysis.fair2, analysis.odds2,
                    analysis.winPayoff2, analysis.placePayoff2, analysis.showPayoff2);
  }
  if (analysis.pickCount > 2) {
    copyPickFigures(analysis.picks[2], finisherOf(2), analysis.score3, analysis.fair3, analysis.odds3,
                    analysis.winPayoff3, analysis.placePayoff3, analysis.showPayoff3);
  }

  const int f1 = effectiveFinish(analysis, 0);
  const int f2 = effectiveFinish(analysis, 1);
  const int f3 = effectiveFinish(analysis, 2);
  const int f4 = effectiveFinish(analysis, 3);
  analysis.won1 = f1 == 1;
  analysis.won2 = f2 == 1;
  analysis.won3 = f3 == 1;
  analysis.placed1 = f1 <= 2;
  analysis.placed2 = f2 <= 2;
  analysis.placed3 = f3 <= 2;
  analysis.showed1 = f1 <= 3;
  analysis.showed2 = f2 <= 3;
  analysis.showed3 = f3 <= 3;
  analysis.exactaHit = f1 == 1 && f2 == 2;
  analysis.quinellaHit = f1 <= 2 && f2 <= 2;
  analysis.box3ExactaHit = countFinishedWithin(analysis, 3, 2) >= 2;
  analysis.box3TrifectaHit = countFinishedWithin(analysis, 3, 3) == 3;
  analysis.box4TrifectaHit = countFinishedWithin(analysis, 4, 3) >= 3;
  analysis.box3SuperfectaHit = analysis.box3TrifectaHit && f4 == 4;
  analysis.box4SuperfectaHit = countFinishedWithin(analysis, 4, 4) == 4;

  analysis.exactaPayoff = result.exactaPayoff;
  analysis.quinellaPayoff = result.quinellaPayoff;
  analysis.trifectaPayoff = result.trifectaPayoff;
  analysis.superfectaPayoff = result.superfectaPayoff;
  return true;
}

}  // namespace stridewell
