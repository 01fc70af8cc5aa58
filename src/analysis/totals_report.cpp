#include "analysis/totals_report.h"

#include <cstdio>

namespace stridewell {
namespace {

// Long enough for any line: strategy names are short, and a float printed
// with %9.2f takes at most 42 characters (a damaged dataset's payoffs can
// add up to anything).
constexpr size_t kLineBytes = 256;

// The figures of a line are computed in single precision, as the totals
// are kept.
struct LineFigures {
  float hitRate = 0;
  float profit = 0;  // (paid - bet) / bet
};

LineFigures figuresOf(const StrategyTotals& totals) {
  LineFigures figures;
  if (totals.betCount != 0) {
    figures.hitRate = static_cast<float>(totals.hitCount) * 100.0f / static_cast<float>(totals.betCount);
  }
  if (totals.amountBet != 0) {
    const float bet = static_cast<float>(totals.amountBet);
    figures.profit = (totals.amountPaid - bet) / bet;
  }
  return figures;
}

}  // namespace

std::string totalsLine(std::string_view name, const StrategyTotals& totals) {
  const LineFigures figures = figuresOf(totals);
  char profit[64];
  if (figures.profit < 0) {
    std::snprintf(profit, sizeof profit, "LOSS ");
  } else {
    std::snprintf(profit, sizeof profit, "%7.2f%%", static_cast<double>(figures.profit * 100.0f));
  }
  char line[kLineBytes];
  std::snprintf(line, sizeof line, "%-20s %5d %5d %6.2f%%  $%6ld.00 $%9.2f %8s\n", std::string(name).c_str(),
                static_cast<int>(totals.betCount), static_cast<int>(totals.hitCount),
                static_cast<double>(figures.hitRate), static_cast<long>(totals.amountBet),
                static_cast<double>(totals.amountPaid), profit);
  return line;
}

std::string totalsCommaLine(std::string_view name, const StrategyTotals& totals) {
  const LineFigures figures = figuresOf(totals);
  char line[kLineBytes];
  std::snprintf(line, sizeof line, "%-20s,%5d,%5d,%6.2f,%6ld.00,%9.2f,%7.2f\n", std::string(name).c_str(),
                static_cast<int>(totals.betCount), static_cast<int>(totals.hitCount),
                static_cast<double>(figures.hitRate), static_cast<long>(totals.amountBet),
                static_cast<double>(totals.amountPaid), static_cast<double>(figures.profit * 100.0f));
  return line;
}

void writeTotalsReport(std::ostream& report, const StrategyTotalsTable& totals, bool shortReport,
                       std::ostream* comma) {
  char header[kLineBytes];
  std::snprintf(header, sizeof header, "%-20s %5s %5s %6s   %9s  %9s  %7s\n", "BetType", "#bets", "#hits",
                "hit%", "$Bet", "$Payout", "Profit");
  report << header;
  if (comma != nullptr) *comma << "BetType,#bets,#hits,hit%,$Bet,$Payout,Profit(%)\n";
  for (int i = 0; i < kStrategyCount; ++i) {
    if (shortReport && skippedInShortMode(i)) continue;
    const std::string_view name = strategyName(i);
    report << totalsLine(name, totals[i]);
    if (comma != nullptr) *comma << totalsCommaLine(name, totals[i]);
  }
}

}  // namespace stridewell
