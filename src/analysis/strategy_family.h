// The wager strategies grouped by the kind of ticket they buy: win, place
// and show bets, combinations (straight bets of more than one type on the
// same pick: across the board, place and show) and exotics (exacta,
// quinella, trifecta, superfecta), with the money bet and returned added
// up per group. The desktop program charts these sums after a profit/loss
// run. Pure functions; any thread.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "analysis/strategy_totals.h"

namespace stridewell {

enum class StrategyFamily : uint8_t { kWin, kPlace, kShow, kCombination, kExotic };
inline constexpr int kStrategyFamilyCount = 5;

// The family of strategy `index` by the tickets its rule buys: straight
// bets all of one type take that type (two picks to win is a win bet),
// straight bets of mixed types are combinations, exacta to
// superfecta tickets and keys are exotics. Outside the table: kExotic.
StrategyFamily strategyFamily(int index);

// "WIN", "PLACE", "SHOW", "COMBINED", "EXOTICS".
std::string_view familyName(StrategyFamily family);

struct FamilyTotals {
  int64_t betCount = 0;   // strategy bets, summed over the family
  int64_t amountBet = 0;  // dollars staked
  double amountPaid = 0;  // dollars returned
};

// The sums of each family's strategies, indexed by StrategyFamily.
std::array<FamilyTotals, kStrategyFamilyCount> familyTotals(const StrategyTotalsTable& totals);

// The money won or lost per dollar bet, as a percentage: (paid - bet) /
// bet x 100, and 0 when nothing was bet (as the report's profit column).
double profitPercent(const FamilyTotals& totals);

// One family's figures as a line of fixed-width columns (no line end):
// name, strategy bets, dollars bet, dollars returned and the profit
// percentage, the same columns on every line so that they line up in a
// fixed-pitch font.
std::string familySummaryLine(StrategyFamily family, const FamilyTotals& totals);

}  // namespace stridewell
