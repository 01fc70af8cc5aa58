#include "analysis/strategy_family.h"

#include <cstdio>

#include "analysis/strategy_rules.h"

namespace stridewell {

StrategyFamily strategyFamily(int index) {
  const StrategyRule* rule = strategyRule(index);
  if (rule == nullptr) return StrategyFamily::kExotic;
  const Settlement& settlement = rule->settlement;
  switch (settlement.kind) {
    case SettlementKind::kEitherWins:
    case SettlementKind::kWinnerInTop:
      return StrategyFamily::kWin;
    case SettlementKind::kExotic:
    case SettlementKind::kKey:
      return StrategyFamily::kExotic;
    case SettlementKind::kLegs:
      break;
  }
  bool seen[3] = {};
  int kinds = 0;
  BetType only = BetType::kWin;
  for (const Leg& leg : settlement.legs) {
    if (leg.pick == 0) continue;
    const auto type = static_cast<size_t>(leg.bet);
    if (type < 3 && !seen[type]) {
      seen[type] = true;
      ++kinds;
      only = leg.bet;
    }
  }
  if (kinds > 1) return StrategyFamily::kCombination;
  switch (only) {
    case BetType::kPlace:
      return StrategyFamily::kPlace;
    case BetType::kShow:
      return StrategyFamily::kShow;
    case BetType::kWin:
      break;
  }
  return StrategyFamily::kWin;
}

std::string_view familyName(StrategyFamily family) {
  switch (family) {
    case StrategyFamily::kWin:
      return "WIN";
    case StrategyFamily::kPlace:
      return "PLACE";
    case StrategyFamily::kShow:
      return "SHOW";
    case StrategyFamily::kCombination:
      return "COMBINED";
    case StrategyFamily::kExotic:
      return "EXOTICS";
  }
  return "EXOTICS";
}

std::array<FamilyTotals, kStrategyFamilyCount> familyTotals(const StrategyTotalsTable& totals) {
  std::array<FamilyTotals, kStrategyFamilyCount> sums{};
  for (int i = 0; i < kStrategyCount; ++i) {
    FamilyTotals& sum = sums[static_cast<size_t>(strategyFamily(i))];
    const StrategyTotals& one = totals[static_cast<size_t>(i)];
    sum.betCount += one.betCount;
    sum.amountBet += one.amountBet;
    sum.amountPaid += static_cast<double>(one.amountPaid);
  }
  return sums;
}

double profitPercent(const FamilyTotals& totals) {
  if (totals.amountBet == 0) return 0.0;
  const double bet = static_cast<double>(totals.amountBet);
  return (totals.amountPaid - bet) / bet * 100.0;
}

std::string familySummaryLine(StrategyFamily family, const FamilyTotals& totals) {
  // Wide enough for any sums: a damaged dataset's payoffs can add up to
  // anything, and %.2f of the largest double takes 312 characters.
  char line[1024];
  std::snprintf(line, sizeof line, "%-16s %7lld bets  $%8lld bet  $%11.2f back  %8.2f%%",
                std::string(familyName(family)).c_str(), static_cast<long long>(totals.betCount),
                static_cast<long long>(totals.amountBet), totals.amountPaid, profitPercent(totals));
  return line;
}

}  // namespace stridewell
