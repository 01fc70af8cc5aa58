// The 219 wager strategies of a profit/loss run and their running totals.
// Each strategy has a fixed label and place in the report; settling a race
// adds one bet (and maybe a hit and a payout) to every strategy that plays
// it. A StrategyTotalsTable is a plain value a run owns.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "analysis/race_analysis.h"

namespace stridewell {

inline constexpr int kStrategyCount = 219;
// Strategies left when the short report drops every "TO1" and "OVERLAY".
inline constexpr int kShortStrategyCount = 105;

struct StrategyTotals {
  int32_t betCount = 0;   // races the strategy was played on
  int32_t hitCount = 0;   // races on which it returned money
  int32_t amountBet = 0;  // dollars staked
  float amountPaid = 0;   // dollars returned, accumulated in single precision
};

using StrategyTotalsTable = std::array<StrategyTotals, kStrategyCount>;

// The label of strategy `index` (0..218), e.g. "WIN_30P_QFAV"; empty
// outside the table.
std::string_view strategyName(int index);

// Whether the short report leaves strategy `index` out (its name holds
// "TO1" or "OVERLAY").
bool skippedInShortMode(int index);

void clearTotals(StrategyTotalsTable& totals);

// Settles strategy `index` on the race: -1 when it is not played (a
// condition fails, a payoff it would collect is missing, or the index is
// outside the table), else the money returned (0 for a loss) with the
// dollars staked in `stake`.
double settleStrategy(const RaceAnalysis& analysis, int index, int32_t& stake);

// Settles every strategy in table order (in short mode only those the short
// report keeps) and adds the outcomes to `totals`.
void settleAllStrategies(const RaceAnalysis& analysis, bool shortMode, StrategyTotalsTable& totals);

}  // namespace stridewell
