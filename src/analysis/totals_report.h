// The table that ends a profit/loss report: one line per wager strategy with
// its bets, hits, hit rate, money bet, money returned and profit, and the
// same figures as comma-separated lines for a spreadsheet (the desktop
// program puts those on the clipboard, the command line writes them to a
// file). Pure formatting over a totals table; any thread.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "analysis/strategy_totals.h"

namespace stridewell {

// The table's line for one strategy, line end included; the profit column
// reads "LOSS " whenever money was lost.
std::string totalsLine(std::string_view name, const StrategyTotals& totals);
// The comma line for one strategy, with the profit as a signed number.
std::string totalsCommaLine(std::string_view name, const StrategyTotals& totals);

// Writes the header line and one line per strategy in table order (in
// short mode only the strategies the short report keeps) to `report`, and,
// when `comma` is given, the comma header and the same strategies' comma
// lines to it.
void writeTotalsReport(std::ostream& report, const StrategyTotalsTable& totals, bool shortReport,
                       std::ostream* comma);

}  // namespace stridewell
