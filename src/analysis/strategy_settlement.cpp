// Plays the strategy table against one analysed race and keeps the running
// totals. Everything a rule reads is derived once per race; a rule is then
// a handful of comparisons, with no allocation and no file access.
#include <cmath>

#include "analysis/strategy_rules.h"
#include "analysis/strategy_totals.h"

namespace stridewell {
namespace {

// Marks a straight payoff the result did not give: a strategy that would
// collect it is not played on the race.
constexpr float kMissingPayoff = -1.0f;
constexpr float kOneThird = 0.33333334f;  // single precision, not a division by 3

// A damaged dataset may hold NaN or infinity where a payoff belongs; those
// read as "none given", like the 0 of a results file without the figure.
float givenPayoff(float payoff) {
  return std::isfinite(payoff) ? payoff : 0.0f;
}

struct DerivedFigures {
  bool oddsKnown = false;
  float odds1 = 0, avg2 = 0, avg3 = 0;  // 0 when the odds are not known
  float payoffs[3][3] = {};             // [bet type][pick - 1], kMissingPayoff when not given
  float pools[4] = {};                  // by Pool
  float winnerPayoffs[3] = {};          // winner among the first 3, 4, 5 picks
};

float straightPayoff(float payoff) {
  const float given = givenPayoff(payoff);
  return given == 0.0f ? kMissingPayoff : given;
}

DerivedFigures deriveFigures(const RaceAnalysis& a) {
  DerivedFigures d;
  d.oddsKnown = a.odds1 != 0 && a.odds2 != 0 && a.odds3 != 0;
  if (d.oddsKnown) {
    d.odds1 = a.odds1;
    d.avg2 = (a.odds1 + a.odds2) * 0.5f;
    d.avg3 = (a.odds1 + a.odds2 + a.odds3) * kOneThird;
  }
  const float given[3][3] = {{a.winPayoff1, a.winPayoff2, a.winPayoff3},
                             {a.placePayoff1, a.placePayoff2, a.placePayoff3},
                             {a.showPayoff1, a.showPayoff2, a.showPayoff3}};
  for (int bet = 0; bet < 3; ++bet) {
    for (int pick = 0; pick < 3; ++pick) d.payoffs[bet][pick] = straightPayoff(given[bet][pick]);
  }
  d.pools[static_cast<int>(Pool::kExacta)] = givenPayoff(a.exactaPayoff);
  d.pools[static_cast<int>(Pool::kQuinella)] = givenPayoff(a.quinellaPayoff);
  d.pools[static_cast<int>(Pool::kTrifecta)] = givenPayoff(a.trifectaPayoff);
  d.pools[static_cast<int>(Pool::kSuperfecta)] = givenPayoff(a.superfectaPayoff);
  d.winnerPayoffs[0] = givenPayoff(a.winnerPayoff3);
  d.winnerPayoffs[1] = givenPayoff(a.winnerPayoff4);
  d.winnerPayoffs[2] = givenPayoff(a.winnerPayoff5);
  return d;
}

float pool(const DerivedFigures& d, Pool which) {
  return d.pools[static_cast<int>(which)];
}

float referenceOdds(const DerivedFigures& d, OddsReference reference) {
  switch (reference) {
    case OddsReference::kOdds1:
      return d.odds1;
    case OddsReference::kAvg2:
      return d.avg2;
    case OddsReference::kAvg3:
      return d.avg3;
  }
  return 0;
}

bool overlayHolds(const RaceAnalysis& a, uint8_t pick, float factor) {
  switch (pick) {
    case 1:
      return a.odds1 > factor * a.fair1;
    case 2:
      return a.odds2 > factor * a.fair2;
    case 3:
      return a.odds3 > factor * a.fair3;
  }
  return false;
}

bool conditionHolds(const Condition& c, const RaceAnalysis& a, const DerivedFigures& d) {
  switch (c.kind) {
    case ConditionKind::kNone:
      return true;
    case ConditionKind::kScore:
      return a.score1 >= c.value;
    case ConditionKind::kBoth:
      return a.score1 >= c.value && a.score2 >= c.value;
    case ConditionKind::kSum:
      return a.score1 + a.score2 + a.score3 >= c.value;
    case ConditionKind::kQuickFav:
      return d.oddsKnown && d.odds1 <= 2.0f;
    case ConditionKind::kOddsAtLeast:
      return d.oddsKnown && referenceOdds(d, c.odds) >= c.value;
    case ConditionKind::kOverlay:
      return d.oddsKnown && overlayHolds(a, c.pick, c.value);
    case ConditionKind::kPoolPaid:
      return pool(d, c.pool) != 0;
  }
  return false;
}

bool legHit(const RaceAnalysis& a, Leg leg) {
  static constexpr bool RaceAnalysis::*kFlags[3][3] = {
      {&RaceAnalysis::won1, &RaceAnalysis::won2, &RaceAnalysis::won3},
      {&RaceAnalysis::placed1, &RaceAnalysis::placed2, &RaceAnalysis::placed3},
      {&RaceAnalysis::showed1, &RaceAnalysis::showed2, &RaceAnalysis::showed3}};
  return a.*kFlags[static_cast<int>(leg.bet)][leg.pick - 1];
}

float legPayoff(const DerivedFigures& d, Leg leg) {
  return d.payoffs[static_cast<int>(leg.bet)][leg.pick - 1];
}

bool validLeg(Leg leg) {
  return leg.pick >= 1 && leg.pick <= 3;
}

// Every leg that hit adds its payoff; one missing payoff voids the race.
double settleLegs(const RaceAnalysis& a, const DerivedFigures& d, const Leg (&legs)[3]) {
  float total = 0;
  for (const Leg& leg : legs) {
    if (!validLeg(leg) || !legHit(a, leg)) continue;
    const float payoff = legPayoff(d, leg);
    if (payoff < 0) return kMissingPayoff;
    total += payoff;
  }
  return total;
}

// One of two win bets can collect; the first pick that won decides (a dead
// heat pays once).
double settleEitherWins(const RaceAnalysis& a, const DerivedFigures& d, const Leg (&legs)[3]) {
  for (int i = 0; i < 2; ++i) {
    if (validLeg(legs[i]) && legHit(a, legs[i])) return legPayoff(d, legs[i]);
  }
  return 0;
}

double settleWinnerInTop(const RaceAnalysis& a, const DerivedFigures& d, int picks) {
  switch (picks) {
    case 3:
      return a.winnerInTop3 ? d.winnerPayoffs[0] : 0;
    case 4:
      return a.winnerInTop4 ? d.winnerPayoffs[1] : 0;
    case 5:
      return a.winnerInTop5 ? d.winnerPayoffs[2] : 0;
  }
  return 0;
}

bool exoticHit(const RaceAnalysis& a, ExoticHit hit) {
  switch (hit) {
    case ExoticHit::kExacta:
      return a.exactaHit;
    case ExoticHit::kQuinella:
      return a.quinellaHit;
    case ExoticHit::kBox3Exacta:
      return a.box3ExactaHit;
    case ExoticHit::kBox3Trifecta:
      return a.box3TrifectaHit;
    case ExoticHit::kBox4Trifecta:
      return a.box4TrifectaHit;
    case ExoticHit::kBox3Superfecta:
      return a.box3SuperfectaHit;
    case ExoticHit::kBox4Superfecta:
      return a.box4SuperfectaHit;
  }
  return false;
}

// Pick 1 keyed over picks 2 to others + 1, on their raw finish positions.
bool keyHit(const RaceAnalysis& a, Pool which, int others) {
  auto anOtherFinished = [&](int finish) {
    for (int p = 1; p <= others; ++p) {
      if (a.picks[p].officialFinish == finish) return true;
    }
    return false;
  };
  const int key = a.picks[0].officialFinish;
  switch (which) {
    case Pool::kExacta:
      return key == 1 && anOtherFinished(2);
    case Pool::kQuinella:
      return (key == 1 && anOtherFinished(2)) || (key == 2 && anOtherFinished(1));
    case Pool::kTrifecta:
      return key == 1 && anOtherFinished(2) && anOtherFinished(3);
    case Pool::kSuperfecta:
      return key == 1 && anOtherFinished(2) && anOtherFinished(3) && anOtherFinished(4);
  }
  return false;
}

bool keyPlayable(const RaceAnalysis& a, int others) {
  return others >= 1 && others + 1 <= a.pickCount && others + 1 <= kPredictedPlaces;
}

double settleRule(const RaceAnalysis& a, const DerivedFigures& d, const StrategyRule& rule, int32_t& stake) {
  stake = 0;
  for (const Condition& condition : rule.conditions) {
    if (!conditionHolds(condition, a, d)) return -1;
  }
  const Settlement& s = rule.settlement;
  if (s.kind == SettlementKind::kKey && !keyPlayable(a, s.count)) return -1;

  stake = rule.stake;
  switch (s.kind) {
    case SettlementKind::kLegs:
      return settleLegs(a, d, s.legs);
    case SettlementKind::kEitherWins:
      return settleEitherWins(a, d, s.legs);
    case SettlementKind::kWinnerInTop:
      return settleWinnerInTop(a, d, s.count);
    case SettlementKind::kExotic:
      return exoticHit(a, s.hit) ? pool(d, s.pool) : 0;
    case SettlementKind::kKey:
      return keyHit(a, s.pool, s.count) ? pool(d, s.pool) : 0;
  }
  return -1;
}

}  // namespace

void clearTotals(StrategyTotalsTable& totals) {
  totals.fill(StrategyTotals{});
}

double settleStrategy(const RaceAnalysis& analysis, int index, int32_t& stake) {
  stake = 0;
  const DerivedFigures derived = deriveFigures(analysis);
  const StrategyRule* rule = strategyRule(index);
  if (rule == nullptr) return -1;
  return settleRule(analysis, derived, *rule, stake);
}

void settleAllStrategies(const RaceAnalysis& analysis, bool shortMode, StrategyTotalsTable& totals) {
  const DerivedFigures derived = deriveFigures(analysis);
  for (int i = 0; i < kStrategyCount; ++i) {
    if (shortMode && skippedInShortMode(i)) continue;
    int32_t stake = 0;
    const double payout = settleRule(analysis, derived, *strategyRule(i), stake);
    if (payout < 0) continue;
    StrategyTotals& entry = totals[i];
    entry.betCount += 1;
    if (payout > 0) entry.hitCount += 1;
    entry.amountBet += stake;
    entry.amountPaid += static_cast<float>(payout);
  }
}

}  // namespace stridewell
