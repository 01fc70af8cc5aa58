// Value betting worked out by hand: Kelly shares, stakes from the bankroll
// before a race, settlement by payoff or by odds, a small run of four
// races with its bankroll curve, drawdown and return; the date order of
// races; and the bootstrap p-value against the exact probability counted
// over every possible resample.
#include "analysis/value_betting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "race/card_values.h"

namespace stridewell {
namespace {

ValueHorse horse(double chance, double odds, bool won = false, double payoff = 0) {
  ValueHorse h;
  h.chance = chance;
  h.odds = odds;
  h.won = won;
  h.winPayoff = payoff;
  return h;
}

ValueRace race(const char* date, const char* track, int number, std::vector<ValueHorse> horses) {
  ValueRace r;
  r.date = packDate(date);
  r.track = track;
  r.raceNumber = number;
  r.horses = std::move(horses);
  return r;
}

TEST(ValueBetting, KellySharesAndWhichHorsesAreBet) {
  struct Case {
    double chance, odds, margin;
    double share;  // (p (odds + 1) - 1) / odds, by hand
    bool bet;
  };
  const Case cases[] = {
      {0.5, 2, 0.05, 0.25, true},      // 0.5 x 3 = 1.5: (1.5 - 1) / 2
      {0.6, 1, 0.05, 0.2, true},       // 0.6 x 2 = 1.2: 0.2 / 1
      {0.2, 4, 0.05, 0, false},        // 0.2 x 5 = 1: no edge at all
      {0.21, 4, 0.05, 0.0125, false},  // 1.05 is not above 1.05: 0.05 / 4
      {0.22, 4, 0.05, 0.025, true},    // 1.10: 0.10 / 4
      {0.22, 4, 0.2, 0.025, false},    // the same horse under a margin of 0.2
      {0.9, 0, 0, 0, false},           // odds unknown
      {0.9, -3, 0, 0, false},          // nonsense odds
      {NAN, 3, 0, 0, false},           // no chance known
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "p " << c.chance << " odds " << c.odds << " margin " << c.margin);
    EXPECT_NEAR(kellyShare(c.chance, c.odds), c.share, 1e-12);
    EXPECT_EQ(isValueBet(horse(c.chance, c.odds), c.margin), c.bet);
  }
}

TEST(ValueBetting, SettlementByPayoffOrOdds) {
  struct Case {
    const char* what;
    ValueHorse horse;
    int64_t stake;
    int64_t returned;  // cents, by hand
    bool byOdds;
  };
  const Case cases[] = {
      {"loser", horse(0.3, 2, false, 0), 1000, 0, false},
      {"winner paid $6.40 on $2", horse(0.3, 2, true, 6.40), 1001, 3203, false},  // 1001 x 3.2 = 3203.2
      {"rounded half away from 0", horse(0.3, 2, true, 3.0), 1, 2, false},        // 1 x 1.5
      {"dead heat, paid as the results say", horse(0.3, 5, true, 3.10), 999, 1548, false},  // 999 x 1.55
      {"no payoff: by the odds", horse(0.3, 2.5, true, 0), 1000, 3500, true},               // 1000 x 3.5
      {"no stake", horse(0.3, 2, true, 6.40), 0, 0, false},
      // A damaged figure: at most $100 billion, so that a run's sums cannot overflow.
      {"absurd payoff", horse(0.3, 2, true, 3e38), 100000, 10000000000000, false},
      {"absurd odds", horse(0.3, 1e300, true, 0), 100, 10000000000000, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bool byOdds = !c.byOdds;
    EXPECT_EQ(settleStake(c.horse, c.stake, &byOdds), c.returned);
    EXPECT_EQ(byOdds, c.byOdds);
  }
}

TEST(ValueBetting, StakesComeFromTheBankrollAndNeverExceedIt) {
  StakingRules rules;
  rules.fraction = 0.5;
  rules.margin = 0.05;
  // 0.4 x 4 = 1.6: Kelly 0.2, half of it of $1,275.00 is $127.50; 0.2 x 6
  // = 1.2: Kelly 0.04, half is $25.50; 0.4 x 2 = 0.8 is no bet.
  const ValueRace two = race("20260302", "SAX", 3, {horse(0.4, 3), horse(0.2, 5), horse(0.4, 1)});
  EXPECT_EQ(raceStakes(two, rules, 127500), (std::vector<int64_t>{12750, 2550, 0}));
  // Cut down to whole cents: 0.0625 / 2 x 112,200 = 3,506.25.
  const ValueRace cut = race("20260303", "SAX", 2, {horse(0.25, 4), horse(0.75, 0.2)});
  EXPECT_EQ(raceStakes(cut, rules, 112200), (std::vector<int64_t>{3506, 0}));
  EXPECT_EQ(raceStakes(cut, rules, 0), (std::vector<int64_t>{0, 0}));

  // Chances that add up to 1.8 ask for 2 x 8/9 of the bankroll at full
  // Kelly; the stakes are scaled down to fit and stay equal.
  rules.fraction = 1;
  const ValueRace greedy = race("20260304", "SAX", 1, {horse(0.9, 9), horse(0.9, 9), horse(0, 3)});
  const std::vector<int64_t> stakes = raceStakes(greedy, rules, 10000);
  EXPECT_EQ(stakes[0], stakes[1]);
  EXPECT_LE(stakes[0] + stakes[1], 10000);
  EXPECT_GE(stakes[0] + stakes[1], 9998);
  EXPECT_EQ(stakes[2], 0);
}

// Four races, half Kelly, margin 0.05, $1,000.00:
//  race 1  A: 0.5 x 3 = 1.5, Kelly 0.25, stake 0.5 x 0.25 x 100,000 = 12,500;
//          A wins paying $6.40: 12,500 x 3.2 = 40,000. Bankroll 127,500.
//  race 2  A: stake 12,750, B: 2,550 (above); C wins. Bankroll 112,200.
//  race 3  A: stake 3,506 (above); A wins, no payoff: by the odds,
//          3,506 x 5 = 17,530. Bankroll 126,224.
//  race 4  no horse beats 1.05 (the other's odds unknown): no bet.
// Bets 4, hits 2, staked 31,306, returned 57,530, net 26,224 (83.77% of the
// money bet). Drawdown: the peak 127,500 after race 1 to 112,200 after race
// 2, 15,300 or 12% of the peak.
std::vector<ValueRace> handRaces() {
  return {
      race("20260301", "SAX", 1, {horse(0.5, 2, true, 6.40), horse(0.3, 1), horse(0.2, 4)}),
      race("20260302", "SAX", 3, {horse(0.4, 3), horse(0.2, 5), horse(0.4, 1, true, 3.80)}),
      race("20260303", "SAX", 2, {horse(0.25, 4, true, 0), horse(0.75, 0.2)}),
      race("20260304", "SAX", 5, {horse(0.5, 1, true, 4.0), horse(0.5, 0)}),
  };
}

TEST(ValueBetting, AHandWorkedRunOfFourRaces) {
  StakingRules rules;
  rules.fraction = 0.5;
  rules.margin = 0.05;
  rules.bankroll = 100000;
  const std::vector<ValueRace> races = handRaces();
  const ValueSummary s = playValueRaces(races, rules);
  EXPECT_EQ(s.races, 4);
  EXPECT_EQ(s.bets, 4);
  EXPECT_EQ(s.hits, 2);
  EXPECT_EQ(s.settledByOdds, 1);
  EXPECT_EQ(s.staked, 31306);
  EXPECT_EQ(s.returned, 57530);
  EXPECT_EQ(s.net(), 26224);
  EXPECT_NEAR(s.roiPercent(), 2622400.0 / 31306, 1e-9);
  EXPECT_NEAR(s.hitPercent(), 50.0, 1e-12);
  EXPECT_EQ(s.finalBankroll, 126224);
  ASSERT_EQ(s.curve.size(), 3u);
  const int64_t bankrolls[] = {127500, 112200, 126224};
  const int numbers[] = {1, 3, 2};
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(s.curve[i].bankroll, bankrolls[i]);
    EXPECT_EQ(s.curve[i].raceNumber, numbers[i]);
  }
  EXPECT_EQ(s.curve[1].bets, 2);
  EXPECT_EQ(s.curve[1].staked, 15300);
  EXPECT_EQ(s.drawdown.amount, 15300);
  EXPECT_NEAR(s.drawdown.percent, 12.0, 1e-9);
  EXPECT_EQ(s.drawdown.peak, 0);
  EXPECT_EQ(s.drawdown.trough, 1);

  std::ostringstream report;
  writeValueReport(report, s, rules);
  for (const char* line :
       {"Bets:             4\n", "Hits:             2  (50.00%)\n", "Money bet:        $313.06\n",
        "Money returned:   $575.30\n", "Net:              $262.24\n", "Return on money:  83.77%\n",
        "Bankroll:         $1,000.00 at the start, $1,262.24 at the end\n",
        "Largest drawdown: $153.00  (12.00% of the peak)\n",
        "  from the peak    $1,275.00 after 2026-03-01 SAX race 1\n",
        "  to the low       $1,122.00 after 2026-03-02 SAX race 3\n", "Settled by odds:  1 "}) {
    EXPECT_NE(report.str().find(line), std::string::npos) << line << "\nin:\n" << report.str();
  }
  std::ostringstream curve;
  writeBankrollCurve(curve, s);
  EXPECT_EQ(curve.str(),
            "date,track,race,bets,staked,returned,bankroll\n"
            "2026-03-01,SAX,1,1,125.00,400.00,1275.00\n"
            "2026-03-02,SAX,3,2,153.00,0.00,1122.00\n"
            "2026-03-03,SAX,2,1,35.06,175.30,1262.24\n");
}

TEST(ValueBetting, DrawdownTakesTheDeepestShareOfItsPeak) {
  auto curveOf = [](std::vector<int64_t> bankrolls) {
    std::vector<BetRace> curve(bankrolls.size());
    for (size_t i = 0; i < bankrolls.size(); ++i) curve[i].bankroll = bankrolls[i];
    return curve;
  };
  struct Case {
    const char* what;
    int64_t start;
    std::vector<int64_t> bankrolls;
    int64_t amount;
    double percent;
    int peak, trough;
  };
  const Case cases[] = {
      {"only up", 100, {110, 120, 130}, 0, 0, -1, -1},
      {"down from the start", 100, {90, 80, 95}, 20, 20, -1, 1},
      // 1000 -> 800 is 20% ($200); 2000 -> 1700 later is 15% ($300): the share counts.
      {"share over money", 1000, {800, 2000, 1700}, 200, 20, -1, 0},
      {"a later peak", 100, {200, 150, 400, 280, 500}, 120, 30, 2, 3},
      {"equal falls: the first", 100, {50, 100, 50}, 50, 50, -1, 0},
      {"no races", 100, {}, 0, 0, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<BetRace> curve = curveOf(c.bankrolls);
    const Drawdown d = largestDrawdown(c.start, curve);
    EXPECT_EQ(d.amount, c.amount);
    EXPECT_NEAR(d.percent, c.percent, 1e-9);
    EXPECT_EQ(d.peak, c.peak);
    EXPECT_EQ(d.trough, c.trough);
  }
}

TEST(ValueBetting, RacesAreSortedByDateThenTrackThenRace) {
  // The packed date holds the day above the month: 31 January packs larger
  // than 1 February, and the sort must not be fooled by it.
  ASSERT_GT(packDate("20260131"), packDate("20260201"));
  std::vector<ValueRace> races = {
      race("20260201", "AQU", 1, {}), race("20260131", "SAX", 2, {}), race("20251231", "ZZZ", 9, {}),
      race("20260131", "AQU", 7, {}), race("20260131", "SAX", 1, {}), race("20260131", "SAX", 10, {}),
  };
  sortRacesByDate(races);
  std::vector<std::string> order;
  for (const ValueRace& r : races)
    order.push_back(isoDateText(r.date) + " " + r.track + " " + std::to_string(r.raceNumber));
  EXPECT_EQ(order, (std::vector<std::string>{"2025-12-31 ZZZ 9", "2026-01-31 AQU 7", "2026-01-31 SAX 1",
                                             "2026-01-31 SAX 2", "2026-01-31 SAX 10", "2026-02-01 AQU 1"}));
}

// The exact chance that a resample of `nets` (with replacement, as many as
// there are) sums to at most 0, counted over all n^n resamples.
double exactShareAtMostZero(const std::vector<int64_t>& nets) {
  const size_t n = nets.size();
  size_t total = 1;
  for (size_t i = 0; i < n; ++i) total *= n;
  size_t atMost = 0;
  for (size_t code = 0; code < total; ++code) {
    int64_t sum = 0;
    for (size_t k = 0, rest = code; k < n; ++k, rest /= n) sum += nets[rest % n];
    if (sum <= 0) ++atMost;
  }
  return static_cast<double>(atMost) / static_cast<double>(total);
}

TEST(ValueBetting, BootstrapPValueAgainstTheExactResampleCount) {
  auto curveOf = [](const std::vector<int64_t>& nets) {
    std::vector<BetRace> curve;
    for (int64_t net : nets) {
      BetRace point;
      point.staked = 1000;
      point.returned = 1000 + net;
      curve.push_back(point);
    }
    return curve;
  };
  struct Case {
    const char* what;
    std::vector<int64_t> nets;
  };
  const Case cases[] = {
      {"the hand run's races", {27500, -15300, 14024}},
      {"symmetric, near one half", {100, -100, 300, -300}},
      {"mostly losing", {-500, -200, 900, -100, -50}},
      {"one winner among losers", {-1000, -1000, -1000, 4500}},
  };
  constexpr int kResamples = 4000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<BetRace> curve = curveOf(c.nets);
    const double p = bootstrapPValue(curve, kResamples, kBootstrapSeed);
    const double exact = exactShareAtMostZero(c.nets);
    // Four standard errors of a share from 4,000 draws, plus the 1 / 4,001 added.
    const double tolerance = 4 * std::sqrt(exact * (1 - exact) / kResamples) + 1.0 / (kResamples + 1) + 1e-9;
    EXPECT_NEAR(p, exact, tolerance) << "exact " << exact;
    // The same seed draws the same resamples.
    EXPECT_EQ(bootstrapPValue(curve, kResamples, kBootstrapSeed), p);
  }
  // Every race made money: no resample can lose, p = 1 / (B + 1).
  const std::vector<BetRace> winners = curveOf({10, 500, 1, 70});
  EXPECT_DOUBLE_EQ(bootstrapPValue(winners, 2000, kBootstrapSeed), 1.0 / 2001);
  // Every race lost: p = (1 + B) / (B + 1) = 1.
  EXPECT_DOUBLE_EQ(bootstrapPValue(curveOf({-10, -500}), 2000, kBootstrapSeed), 1.0);
  EXPECT_DOUBLE_EQ(bootstrapPValue({}, 2000, kBootstrapSeed), 1.0);
}

TEST(ValueBetting, MoneyTexts) {
  const std::pair<int64_t, const char*> cases[] = {
      {0, "0.00"},         {5, "0.05"},   {123456, "1,234.56"}, {100000000, "1,000,000.00"},
      {-99534, "-995.34"}, {-7, "-0.07"}, {99999, "999.99"},
  };
  for (const auto& [cents, text] : cases) EXPECT_EQ(moneyText(cents), text) << cents;
}

}  // namespace
}  // namespace stridewell
