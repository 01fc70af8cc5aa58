// How each wager strategy is played: its label, its stake, the conditions a
// race must meet for it to be played, and how it collects. The rules are a
// constant table in strategy_table.cpp; strategy_settlement.cpp evaluates
// them. Internal to the analysis folder.
#pragma once

#include <cstdint>
#include <string_view>

namespace stridewell {

// The odds a "nTO1" condition compares: pick 1's, the mean of picks 1-2
// (avg2) or of picks 1-3 (avg3).
enum class OddsReference : uint8_t { kOdds1, kAvg2, kAvg3 };

// The race-level pools of the exotic wagers.
enum class Pool : uint8_t { kExacta, kQuinella, kTrifecta, kSuperfecta };

enum class ConditionKind : uint8_t {
  kNone,         // unused slot; ends the list
  kScore,        // score1 >= value
  kBoth,         // score1 >= value and score2 >= value
  kSum,          // score1 + score2 + score3 >= value
  kQuickFav,     // odds known and odds1 <= 2
  kOddsAtLeast,  // odds known and the reference odds >= value
  kOverlay,      // odds known and the pick's odds > value x its fair odds
  kPoolPaid,     // the pool's payoff is not 0
};

struct Condition {
  ConditionKind kind = ConditionKind::kNone;
  float value = 0;
  OddsReference odds = OddsReference::kOdds1;  // kOddsAtLeast
  uint8_t pick = 0;                            // kOverlay: 1 to 3
  Pool pool = Pool::kExacta;                   // kPoolPaid
};

constexpr Condition score(float s) {
  return {ConditionKind::kScore, s};
}
constexpr Condition both(float s) {
  return {ConditionKind::kBoth, s};
}
constexpr Condition scoreSum(float s) {
  return {ConditionKind::kSum, s};
}
constexpr Condition quickFav() {
  return {ConditionKind::kQuickFav};
}
constexpr Condition oddsAtLeast(float n, OddsReference reference) {
  return {ConditionKind::kOddsAtLeast, n, reference};
}
// Plain overlay is factor 1: odds above fair odds.
constexpr Condition overlay(uint8_t pick, float factor) {
  return {ConditionKind::kOverlay, factor, OddsReference::kOdds1, pick};
}
constexpr Condition poolPaid(Pool pool) {
  return {ConditionKind::kPoolPaid, 0, OddsReference::kOdds1, 0, pool};
}

enum class BetType : uint8_t { kWin, kPlace, kShow };

// One straight bet of a pick (1 to 3); pick 0 marks an unused leg.
struct Leg {
  BetType bet = BetType::kWin;
  uint8_t pick = 0;
};

// The RaceAnalysis hit flags the exotic wagers settle on.
enum class ExoticHit : uint8_t {
  kExacta,
  kQuinella,
  kBox3Exacta,
  kBox3Trifecta,
  kBox4Trifecta,
  kBox3Superfecta,
  kBox4Superfecta,
};

enum class SettlementKind : uint8_t {
  kLegs,         // every leg that hit adds its payoff; a missing one voids the race
  kEitherWins,   // the win payoff of the first of legs[0], legs[1] that won
  kWinnerInTop,  // the winner among the first `count` picks pays its win payoff
  kExotic,       // the pool's payoff when the hit flag is set
  kKey,          // pick 1 keyed over picks 2 to count + 1
};

struct Settlement {
  SettlementKind kind = SettlementKind::kLegs;
  Leg legs[3] = {};
  uint8_t count = 0;  // kWinnerInTop: 3, 4 or 5; kKey: n
  ExoticHit hit = ExoticHit::kExacta;
  Pool pool = Pool::kExacta;
};

inline constexpr int kMaxConditions = 3;

struct StrategyRule {
  std::string_view name;
  int32_t stake = 0;
  Condition conditions[kMaxConditions] = {};  // checked in order; kNone ends them
  Settlement settlement;
};

// The rule of strategy `index`, or nullptr outside the table.
const StrategyRule* strategyRule(int index);

}  // namespace stridewell
