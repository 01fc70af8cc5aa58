// The totals table and its comma copy: the column layout, the hit rate and
// profit figures, the "LOSS" column, and which strategies the short report
// keeps. Expected lines are spelled out column by column from the layout.
#include "analysis/totals_report.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace stridewell {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

StrategyTotals totalsOf(int bets, int hits, int bet, float paid) {
  StrategyTotals totals;
  totals.betCount = bets;
  totals.hitCount = hits;
  totals.amountBet = bet;
  totals.amountPaid = paid;
  return totals;
}

// Name padded to 20, then the columns, each with the blanks the layout puts
// before it.
struct LineCase {
  const char* what;
  StrategyTotals totals;
  std::string line;
  std::string comma;
};

TEST(TotalsReportTest, LinesForOneStrategy) {
  const std::string win = "WIN                 ";  // 20 characters
  const LineCase cases[] = {
      {"a profit", totalsOf(12, 3, 24, 30.40f),
       win + "    12     3  25.00%  $    24.00 $    30.40   26.67%\n",
       win + ",   12,    3, 25.00,    24.00,    30.40,  26.67\n"},
      {"a loss", totalsOf(12, 3, 24, 12.00f), win + "    12     3  25.00%  $    24.00 $    12.00    LOSS \n",
       win + ",   12,    3, 25.00,    24.00,    12.00, -50.00\n"},
      {"never played", totalsOf(0, 0, 0, 0), win + "     0     0   0.00%  $     0.00 $     0.00    0.00%\n",
       win + ",    0,    0,  0.00,     0.00,     0.00,   0.00\n"},
      {"broke even", totalsOf(5, 1, 10, 10.00f),
       win + "     5     1  20.00%  $    10.00 $    10.00    0.00%\n",
       win + ",    5,    1, 20.00,    10.00,    10.00,   0.00\n"},
      {"wide figures", totalsOf(123456, 65432, 1234567, 9876543.0f),
       win + " 123456 65432  53.00%  $1234567.00 $9876543.00  700.00%\n",
       win + ",123456,65432, 53.00,1234567.00,9876543.00, 700.00\n"},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(totalsLine("WIN", c.totals), c.line);
    EXPECT_EQ(totalsCommaLine("WIN", c.totals), c.comma);
  }
}

TEST(TotalsReportTest, HeaderLines) {
  StrategyTotalsTable totals;
  clearTotals(totals);
  std::ostringstream report, comma;
  writeTotalsReport(report, totals, false, &comma);
  EXPECT_EQ(linesOf(report.str()).front(),
            "BetType              #bets #hits   hit%        $Bet    $Payout   Profit");
  EXPECT_EQ(linesOf(comma.str()).front(), "BetType,#bets,#hits,hit%,$Bet,$Payout,Profit(%)");
}

TEST(TotalsReportTest, FullAndShortTables) {
  StrategyTotalsTable totals;
  clearTotals(totals);
  // Every strategy with figures of its own, so a line written for the
  // wrong strategy would show.
  for (int i = 0; i < kStrategyCount; ++i)
    totals[i] = totalsOf(i + 1, i % 3, 2 * (i + 1), static_cast<float>(i));

  for (const bool shortReport : {false, true}) {
    SCOPED_TRACE(shortReport ? "short" : "full");
    std::ostringstream report, comma;
    writeTotalsReport(report, totals, shortReport, &comma);
    const std::vector<std::string> lines = linesOf(report.str());
    const std::vector<std::string> commaLines = linesOf(comma.str());
    const size_t expected = shortReport ? kShortStrategyCount : kStrategyCount;
    ASSERT_EQ(lines.size(), expected + 1);
    ASSERT_EQ(commaLines.size(), expected + 1);
    size_t row = 1;
    for (int i = 0; i < kStrategyCount; ++i) {
      const std::string name(strategyName(i));
      const bool dropped = name.find("TO1") != std::string::npos || name.find("OVERLAY") != std::string::npos;
      if (shortReport && dropped) continue;
      ASSERT_LT(row, lines.size());
      EXPECT_EQ(lines[row] + "\n", totalsLine(name, totals[i])) << name;
      EXPECT_EQ(commaLines[row] + "\n", totalsCommaLine(name, totals[i])) << name;
      ++row;
    }
    EXPECT_EQ(row, lines.size());
  }
}

TEST(TotalsReportTest, WithoutCommaCopy) {
  StrategyTotalsTable totals;
  clearTotals(totals);
  std::ostringstream report;
  writeTotalsReport(report, totals, true, nullptr);
  EXPECT_EQ(linesOf(report.str()).size(), static_cast<size_t>(kShortStrategyCount + 1));
}

}  // namespace
}  // namespace stridewell
