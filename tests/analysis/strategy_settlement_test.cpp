// Settling the strategies: a fully worked race, the stakes of every row of
// the table, the conditions at their thresholds, missing payoffs and pools,
// the keyed exotics and the running totals.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/strategy_totals.h"
#include "patterns/race_scoring.h"
#include "race_builder.h"

namespace stridewell {
namespace {

using test::Outcome;
using test::RaceBuilder;
using test::racePicksFinishing;
using test::settleByName;
using test::strategyIndex;

struct Expected {
  std::string_view name;
  bool played;
  int32_t stake;
  double payout;
};

void expectOutcomes(const RaceAnalysis& analysis, std::initializer_list<Expected> cases) {
  for (const Expected& e : cases) {
    const Outcome got = settleByName(analysis, e.name);
    EXPECT_EQ(got.played, e.played) << e.name;
    if (!got.played || !e.played) continue;
    EXPECT_EQ(got.stake, e.stake) << e.name;
    EXPECT_NEAR(got.payout, e.payout, 1e-4) << e.name;
  }
}

bool nameHas(int index, std::string_view part) {
  return strategyName(index).find(part) != std::string_view::npos;
}

// Picks 1-5 finish 2nd, 1st, 4th, 3rd and 6th. The SIM's scores give pick 1
// a 32% share (fair odds 1 / 0.32 - 1 = 2.125), pick 2 25% (fair 3), pick 3
// 12% (fair 7.33). Pick 3's payoffs are missing, which matters to nothing
// since it finished fourth.
RaceBuilder workedRace() {
  RaceBuilder race;
  race.runner("Low Tide", 6);      // slot 0, score 10: pick 5 (beats slot 5 on the tie)
  race.runner("Bold Venture", 1);  // slot 1, score 25: pick 2
  race.runner("Cape Light", 3);    // slot 2, score 11: pick 4
  race.runner("Alpha Dancer", 2);  // slot 3, score 32: pick 1
  race.runner("Dusty Road", 4);    // slot 4, score 12: pick 3
  race.runner("Late Show", 5);     // slot 5, score 10
  const double scores[] = {10, 25, 11, 32, 12, 10};
  predictFromScores(scores, race.prediction());
  race.setOdds(1.5f, 4.0f, 6.0f);
  race.setStraightPayoffs(1, 0, 3.60f, 2.80f);
  race.setStraightPayoffs(2, 8.40f, 4.20f, 3.00f);
  race.setPools(30, 15, 120, 500);
  return race;
}

TEST(StrategySettlementTest, WorkedRace) {
  RaceBuilder race = workedRace();
  ASSERT_EQ(race.prediction().entryCount, 5);
  ASSERT_EQ(race.pickEntry(1).horse, 3);
  ASSERT_EQ(race.pickEntry(5).horse, 0);
  const RaceAnalysis a = race.analysis();
  EXPECT_NEAR(a.fair1, 2.125f, 1e-5);
  expectOutcomes(a, {{"WIN", true, 2, 0},
                     {"WIN_SCORE30", true, 2, 0},
                     {"WIN_SCORE35", false, 0, 0},
                     {"WIN_OVERLAY", false, 0, 0},  // 1.5 is not above 2.125
                     {"WIN_QFAV", true, 2, 0},
                     {"WIN_2TO1", false, 0, 0},
                     {"WIN_30P_QFAV", true, 2, 0},
                     {"WIN_35P_QFAV", false, 0, 0},
                     {"WIN_TOP3", true, 6, 8.40},
                     {"WIN_TOP4", true, 8, 8.40},
                     {"WIN_TOP5", true, 10, 8.40},
                     {"PLACE", true, 2, 3.60},
                     {"PLACE_30P_QFAV", true, 2, 3.60},
                     {"SHOW", true, 2, 2.80},
                     {"BWIN", true, 2, 8.40},
                     {"BWIN_OVERLAY", true, 2, 8.40},  // 4.0 above fair 3
                     {"BWIN_OVERLAY2", false, 0, 0},
                     {"BPLACE", true, 2, 4.20},
                     {"BSHOW", true, 2, 3.00},
                     {"CWIN", true, 2, 0},
                     {"CWIN_OVERLAY", false, 0, 0},  // 6.0 below fair 7.33
                     {"CSHOW", true, 2, 0},
                     {"TOP2WIN", true, 4, 8.40},
                     {"TOP2WIN_BOTH30", false, 0, 0},
                     {"TOP2WIN_SCORE30", true, 4, 8.40},
                     {"TOP2WIN_2TO1", true, 4, 8.40},  // avg2 2.75
                     {"TOP2WIN_3TO1", false, 0, 0},
                     {"TOP2PLACE", true, 4, 7.80},
                     {"TOP2SHOW", true, 4, 5.80},
                     {"ACROSS_BOARD", true, 6, 6.40},
                     {"ACROSS_BOARD_QFAV", true, 6, 6.40},
                     {"PLACE_N_SHOW", true, 4, 6.40},
                     {"B_ACROSS_BOARD", true, 6, 15.60},
                     {"C_ACROSS_BOARD", true, 6, 0},
                     {"BC_WIN", true, 4, 8.40},
                     {"BC_PLACE", true, 4, 4.20},
                     {"BC_SHOW", true, 4, 3.00},
                     {"EXACTA", true, 2, 0},
                     {"EXACTA_2TO1", true, 2, 0},
                     {"EXACTA_KEY2", true, 4, 0},
                     {"EXACTA_KEY4", true, 8, 0},
                     {"BOX2EXACTA", true, 4, 30.00},
                     {"BOX2EXACTA_BOTH30", false, 0, 0},
                     {"QUINELLA", true, 2, 15.00},
                     {"QUINELLA_SCORE30", true, 2, 15.00},
                     {"QUINELLA_KEY2", true, 4, 15.00},
                     {"BOX3EXACTA", true, 12, 30.00},
                     {"BOX3EXACTA_SUM50", true, 12, 30.00},  // 32 + 25 + 12 = 69
                     {"BOX3EXACTA_SUM60", true, 12, 30.00},
                     {"BOX3EXACTA_SUM70", false, 0, 0},
                     {"BOX3TRIFECTA", true, 12, 0},
                     {"BOX3TRIFECTA_2TO1", true, 12, 0},  // avg3 3.83
                     {"BOX3TRIFECTA_4TO1", false, 0, 0},
                     {"TRIFECTA_KEY3", true, 12, 0},
                     {"BOX4TRIFECTA", true, 48, 120.00},
                     {"SUPERFECTA_KEY4", true, 48, 0},
                     {"BOX3SUPERFECTA", true, 12, 0},
                     {"BOX4SUPERFECTA", true, 48, 500.00}});
}

// Scores 60, odds 12 and fair odds 1 for picks 1-3, every pool paid, the
// picks out of the money: every condition but QFAV holds.
RaceBuilder everythingOpenRace() {
  RaceBuilder race = racePicksFinishing({5, 6, 7, 8, 9});
  for (int k = 1; k <= 3; ++k) {
    race.pickEntry(k).winPercent = 60;
    race.pickEntry(k).fairOdds = 1;
  }
  race.setOdds(12, 12, 12);
  race.setPools(1, 1, 1, 1);
  return race;
}

TEST(StrategySettlementTest, EveryStrategyButQuickFavouritesPlaysWhenAllConditionsHold) {
  const RaceAnalysis a = everythingOpenRace().analysis();
  for (int i = 0; i < kStrategyCount; ++i) {
    int32_t stake = -7;
    const double payout = settleStrategy(a, i, stake);
    if (nameHas(i, "QFAV")) {
      EXPECT_LT(payout, 0) << strategyName(i);
    } else {
      EXPECT_EQ(payout, 0) << strategyName(i);
      EXPECT_GT(stake, 0) << strategyName(i);
    }
  }
}

TEST(StrategySettlementTest, StakesFollowTheTable) {
  // One strategy from every row of the table, with the row's stake.
  const std::pair<std::string_view, int32_t> stakes[] = {{"WIN", 2},
                                                         {"WIN_SCORE50", 2},
                                                         {"WIN_OVERLAY4", 2},
                                                         {"WIN_10TO1", 2},
                                                         {"WIN_30P_2TO1", 2},
                                                         {"WIN_35P_8TO1", 2},
                                                         {"WIN_40P_10TO1", 2},
                                                         {"WIN_TOP3", 6},
                                                         {"WIN_TOP4", 8},
                                                         {"WIN_TOP5", 10},
                                                         {"PLACE", 2},
                                                         {"PLACE_SCORE45", 2},
                                                         {"PLACE_8TO1", 2},
                                                         {"PLACE_35P_5TO1", 2},
                                                         {"SHOW", 2},
                                                         {"SHOW_SCORE30", 2},
                                                         {"SHOW_10TO1", 2},
                                                         {"SHOW_40P_2TO1", 2},
                                                         {"BWIN", 2},
                                                         {"BWIN_OVERLAY3", 2},
                                                         {"BPLACE", 2},
                                                         {"BSHOW", 2},
                                                         {"CWIN", 2},
                                                         {"CWIN_OVERLAY2", 2},
                                                         {"CPLACE", 2},
                                                         {"CSHOW", 2},
                                                         {"TOP2WIN", 4},
                                                         {"TOP2WIN_BOTH35", 4},
                                                         {"TOP2WIN_SCORE40", 4},
                                                         {"TOP2WIN_10TO1", 4},
                                                         {"TOP2PLACE", 4},
                                                         {"TOP2PLACE_BOTH30", 4},
                                                         {"TOP2PLACE_SCORE35", 4},
                                                         {"TOP2SHOW", 4},
                                                         {"ACROSS_BOARD", 6},
                                                         {"PLACE_N_SHOW", 4},
                                                         {"B_ACROSS_BOARD", 6},
                                                         {"C_ACROSS_BOARD", 6},
                                                         {"BC_WIN", 4},
                                                         {"BC_PLACE", 4},
                                                         {"BC_SHOW", 4},
                                                         {"EXACTA", 2},
                                                         {"EXACTA_BOTH35", 2},
                                                         {"EXACTA_SCORE40", 2},
                                                         {"EXACTA_10TO1", 2},
                                                         {"BOX2EXACTA", 4},
                                                         {"BOX2EXACTA_BOTH30", 4},
                                                         {"BOX2EXACTA_SCORE35", 4},
                                                         {"BOX2EXACTA_5TO1", 4},
                                                         {"QUINELLA", 2},
                                                         {"QUINELLA_BOTH30", 2},
                                                         {"QUINELLA_SCORE30", 2},
                                                         {"QUINELLA_8TO1", 2},
                                                         {"BOX3EXACTA", 12},
                                                         {"BOX3EXACTA_SCORE35", 12},
                                                         {"BOX3EXACTA_SUM80", 12},
                                                         {"BOX3TRIFECTA", 12},
                                                         {"BOX3TRIFECTA_10TO1", 12},
                                                         {"BOX3TRIFECTA_SUM80", 12},
                                                         {"BOX4TRIFECTA", 48},
                                                         {"BOX3SUPERFECTA", 12},
                                                         {"BOX4SUPERFECTA", 48}};
  const RaceAnalysis a = everythingOpenRace().analysis();
  for (const auto& [name, stake] : stakes) {
    const Outcome got = settleByName(a, name);
    EXPECT_TRUE(got.played) << name;
    EXPECT_EQ(got.stake, stake) << name;
  }
}

TEST(StrategySettlementTest, KeyStakesPayForEveryCombination) {
  // Two dollars per ticket: n exactas or quinellas, n(n-1) trifectas and
  // n(n-1)(n-2) superfectas with pick 1 on top of n others.
  struct Case {
    std::string_view name;
    int n;
    int legs;  // finishing places the others fill
  };
  const Case cases[] = {{"EXACTA_KEY2", 2, 1},    {"EXACTA_KEY3", 3, 1},   {"EXACTA_KEY4", 4, 1},
                        {"QUINELLA_KEY2", 2, 1},  {"QUINELLA_KEY3", 3, 1}, {"QUINELLA_KEY4", 4, 1},
                        {"TRIFECTA_KEY3", 3, 2},  {"TRIFECTA_KEY4", 4, 2}, {"SUPERFECTA_KEY3", 3, 3},
                        {"SUPERFECTA_KEY4", 4, 3}};
  const RaceAnalysis a = everythingOpenRace().analysis();
  for (const Case& c : cases) {
    int tickets = 1;
    for (int i = 0; i < c.legs; ++i) tickets *= c.n - i;
    const Outcome got = settleByName(a, c.name);
    EXPECT_TRUE(got.played) << c.name;
    EXPECT_EQ(got.stake, 2 * tickets) << c.name;
  }
  EXPECT_EQ(settleByName(a, "SUPERFECTA_KEY4").stake, 48);
}

TEST(StrategySettlementTest, KeyedExoticsPayOnlyWithPickOneOnTopOfItsOthers) {
  struct Case {
    std::vector<int> finishes;
    std::string_view name;
    double payout;
  };
  const Case cases[] = {// Pick 4 second is inside KEY3's three others, pick 5 is not.
                        {{1, 3, 5, 2, 4}, "EXACTA_KEY3", 30},
                        {{1, 3, 4, 5, 2}, "EXACTA_KEY3", 0},
                        {{1, 3, 4, 5, 2}, "EXACTA_KEY4", 30},
                        {{1, 3, 4, 5, 2}, "EXACTA_KEY2", 0},
                        // Quinella key: pick 1 first or second, an other the remaining place.
                        {{2, 3, 1, 5, 4}, "QUINELLA_KEY2", 15},
                        {{2, 3, 4, 1, 5}, "QUINELLA_KEY2", 0},
                        {{2, 3, 4, 1, 5}, "QUINELLA_KEY3", 15},
                        {{3, 1, 2, 4, 5}, "QUINELLA_KEY4", 0},
                        // Trifecta key: the others fill second and third in any order.
                        {{1, 3, 5, 2, 4}, "TRIFECTA_KEY3", 120},
                        {{1, 3, 4, 5, 2}, "TRIFECTA_KEY3", 0},
                        {{1, 3, 4, 5, 2}, "TRIFECTA_KEY4", 120},
                        {{2, 1, 3, 4, 5}, "TRIFECTA_KEY4", 0},
                        // Superfecta key: the others fill second to fourth.
                        {{1, 4, 2, 3, 5}, "SUPERFECTA_KEY3", 500},
                        {{1, 4, 2, 5, 3}, "SUPERFECTA_KEY3", 0},
                        {{1, 4, 2, 5, 3}, "SUPERFECTA_KEY4", 500},
                        // An unknown finish (0) fills no place.
                        {{1, 0, 3, 4, 2}, "TRIFECTA_KEY3", 0}};
  for (const Case& c : cases) {
    RaceBuilder race = racePicksFinishing(c.finishes);
    race.setPools(30, 15, 120, 500);
    const Outcome got = settleByName(race.analysis(), c.name);
    EXPECT_TRUE(got.played) << c.name;
    EXPECT_NEAR(got.payout, c.payout, 1e-9)
        << c.name << " finishing " << ::testing::PrintToString(c.finishes);
  }
}

TEST(StrategySettlementTest, MissingWinPayoffVoidsTheWinBetsButNotTheWinnerAmongTheTop) {
  RaceBuilder race = racePicksFinishing({1, 2, 3, 4, 5});
  // Odds 2: QFAV and 2TO1 both hold; fair 0.4: overlay x4 holds.
  race.pickEntry(1).winPercent = 55;
  race.pickEntry(1).fairOdds = 0.4;
  race.setOdds(2, 5, 5);
  race.setStraightPayoffs(1, 5.20f, 3.00f, 2.40f);
  const char* const winBets[] = {"WIN",          "WIN_SCORE50",  "WIN_OVERLAY",  "WIN_OVERLAY4",
                                 "WIN_QFAV",     "WIN_2TO1",     "WIN_30P_QFAV", "WIN_30P_2TO1",
                                 "WIN_40P_QFAV", "WIN_40P_2TO1", "TOP2WIN",      "ACROSS_BOARD"};
  {
    const RaceAnalysis paid = race.analysis();
    for (const char* name : winBets) EXPECT_TRUE(settleByName(paid, name).played) << name << " with a payoff";
  }
  race.finisherOfPick(1).winPayoff = 0;
  const RaceAnalysis a = race.analysis();
  for (const char* name : winBets) EXPECT_FALSE(settleByName(a, name).played) << name;
  expectOutcomes(a, {{"WIN_TOP3", true, 6, 0},
                     {"WIN_TOP4", true, 8, 0},
                     {"WIN_TOP5", true, 10, 0},
                     {"PLACE", true, 2, 3.00},
                     {"PLACE_N_SHOW", true, 4, 5.40},
                     {"BWIN", true, 2, 0}});

  StrategyTotalsTable totals;
  clearTotals(totals);
  settleAllStrategies(a, false, totals);
  const StrategyTotals& top3 = totals[strategyIndex("WIN_TOP3")];
  EXPECT_EQ(top3.betCount, 1);
  EXPECT_EQ(top3.hitCount, 0);
  EXPECT_EQ(top3.amountBet, 6);
  EXPECT_EQ(totals[strategyIndex("WIN")].betCount, 0);
}

TEST(StrategySettlementTest, MissingPlaceOrShowPayoffVoidsOnlyWhenItWouldBeCollected) {
  {
    // Pick 1 second without a place payoff: every bet collecting it is off.
    RaceBuilder race = racePicksFinishing({2, 1, 3, 4, 5});
    race.setStraightPayoffs(1, 0, 0, 2.60f);
    race.setStraightPayoffs(2, 7.00f, 3.80f, 2.40f);
    expectOutcomes(race.analysis(), {{"PLACE", false, 0, 0},
                                     {"TOP2PLACE", false, 0, 0},
                                     {"PLACE_N_SHOW", false, 0, 0},
                                     {"ACROSS_BOARD", false, 0, 0},
                                     {"SHOW", true, 2, 2.60},
                                     {"WIN", true, 2, 0},
                                     {"TOP2SHOW", true, 4, 5.00}});
  }
  {
    // Out of the money, missing payoffs are never collected.
    RaceBuilder race = racePicksFinishing({4, 5, 6, 1, 2});
    expectOutcomes(race.analysis(), {{"ACROSS_BOARD", true, 6, 0},
                                     {"PLACE", true, 2, 0},
                                     {"TOP2WIN", true, 4, 0},
                                     {"BC_SHOW", true, 4, 0}});
  }
}

TEST(StrategySettlementTest, AcrossTheBoard) {
  struct Case {
    int finish;
    double payout;
  };
  // Win, place and show of 6.40, 4.20 and 3.00 on a win; the show alone on
  // a third; nothing on a fourth, still a bet.
  for (const Case& c : {Case{1, 13.60}, Case{2, 7.20}, Case{3, 3.00}, Case{4, 0}}) {
    RaceBuilder race = racePicksFinishing({c.finish, 5, 6, 7, 8});
    race.setStraightPayoffs(1, c.finish == 1 ? 6.40f : 0, c.finish <= 2 ? 4.20f : 0,
                            c.finish <= 3 ? 3.00f : 0);
    const RaceAnalysis a = race.analysis();
    expectOutcomes(a, {{"ACROSS_BOARD", true, 6, c.payout}});

    StrategyTotalsTable totals;
    clearTotals(totals);
    settleAllStrategies(a, false, totals);
    const StrategyTotals& t = totals[strategyIndex("ACROSS_BOARD")];
    EXPECT_EQ(t.betCount, 1) << "finish " << c.finish;
    EXPECT_EQ(t.hitCount, c.payout > 0 ? 1 : 0) << "finish " << c.finish;
    EXPECT_EQ(t.amountBet, 6);
    EXPECT_NEAR(t.amountPaid, c.payout, 1e-5);
  }
}

TEST(StrategySettlementTest, TopTwoToPlaceAddsBothPlacePayoffs) {
  RaceBuilder race = racePicksFinishing({2, 1, 3, 4, 5});
  race.setStraightPayoffs(1, 0, 3.40f, 2.60f);
  race.setStraightPayoffs(2, 9.80f, 5.20f, 3.60f);
  expectOutcomes(race.analysis(), {{"TOP2PLACE", true, 4, 8.60}, {"TOP2SHOW", true, 4, 6.20}});
}

TEST(StrategySettlementTest, EitherOfTwoPaysTheFirstWinnerOnce) {
  struct Case {
    std::vector<int> finishes;
    float win1, win2, win3;
    std::string_view name;
    bool played;
    double payout;
  };
  const Case cases[] = {
      {{1, 1, 3, 4, 5}, 4.0f, 5.0f, 0, "TOP2WIN", true, 4.0},  // dead heat: pick 1's payoff only
      {{3, 1, 2, 4, 5}, 0, 5.0f, 0, "TOP2WIN", true, 5.0},
      {{3, 1, 2, 4, 5}, 0, 0, 0, "TOP2WIN", false, 0},  // the winner's payoff is missing
      {{1, 2, 3, 4, 5}, 4.0f, 0, 0, "TOP2WIN", true, 4.0},
      {{4, 3, 1, 2, 5}, 0, 0, 11.0f, "BC_WIN", true, 11.0},
      {{1, 3, 2, 4, 5}, 4.0f, 0, 0, "BC_WIN", true, 0}};
  for (const Case& c : cases) {
    RaceBuilder race = racePicksFinishing(c.finishes);
    race.finisherOfPick(1).winPayoff = c.win1;
    race.finisherOfPick(2).winPayoff = c.win2;
    race.finisherOfPick(3).winPayoff = c.win3;
    expectOutcomes(race.analysis(), {{c.name, c.played, 4, c.payout}});
  }
}

TEST(StrategySettlementTest, ConditionsAtTheirThresholds) {
  struct Case {
    std::string_view what;
    float score1, score2, score3;
    float odds1, odds2, odds3;
    float fair1, fair2, fair3;
    std::string_view name;
    bool played;
  };
  const Case cases[] = {
      {"score at the line", 30, 10, 10, 5, 5, 5, 9, 9, 9, "WIN_SCORE30", true},
      {"score below", 29.99f, 10, 10, 5, 5, 5, 9, 9, 9, "WIN_SCORE30", false},
      {"sP_ needs the score", 29.99f, 10, 10, 1, 5, 5, 9, 9, 9, "WIN_30P_QFAV", false},
      {"both at the line", 30, 30, 10, 5, 5, 5, 9, 9, 9, "TOP2WIN_BOTH30", true},
      {"second below", 40, 29.99f, 10, 5, 5, 5, 9, 9, 9, "EXACTA_BOTH30", false},
      {"sum at the line", 20, 20, 10, 5, 5, 5, 9, 9, 9, "BOX3EXACTA_SUM50", true},
      {"sum below", 20, 20, 9.99f, 5, 5, 5, 9, 9, 9, "BOX3TRIFECTA_SUM50", false},
      {"odds1 2: QFAV", 10, 10, 10, 2, 5, 5, 9, 9, 9, "WIN_QFAV", true},
      {"odds1 2: 2TO1 too", 10, 10, 10, 2, 5, 5, 9, 9, 9, "SHOW_2TO1", true},
      {"just over 2: no QFAV", 10, 10, 10, 2.01f, 5, 5, 9, 9, 9, "PLACE_QFAV", false},
      {"odds1 at 3", 10, 10, 10, 3, 9, 9, 9, 9, 9, "WIN_3TO1", true},
      {"odds1 below 10", 10, 10, 10, 9.99f, 20, 20, 9, 9, 9, "WIN_10TO1", false},
      {"avg2 at 3", 10, 10, 10, 1, 5, 1, 9, 9, 9, "TOP2WIN_3TO1", true},
      {"avg2 below 3, odds1 above", 10, 10, 10, 4, 1.98f, 9, 9, 9, 9, "QUINELLA_3TO1", false},
      {"avg2 for the box of two", 10, 10, 10, 1, 9, 1, 9, 9, 9, "BOX2EXACTA_5TO1", true},
      {"avg3 for the box of three", 10, 10, 10, 1, 2, 9, 9, 9, 9, "BOX3TRIFECTA_4TO1", true},
      {"avg3 below", 10, 10, 10, 1, 2, 8.9f, 9, 9, 9, "BOX3TRIFECTA_4TO1", false},
      {"overlay needs odds above fair", 10, 10, 10, 4, 5, 5, 4, 9, 9, "WIN_OVERLAY", false},
      {"overlay above fair", 10, 10, 10, 4.01f, 5, 5, 4, 9, 9, "WIN_OVERLAY", true},
      {"overlay x2 at the line", 10, 10, 10, 5, 5, 5, 2.5f, 9, 9, "WIN_OVERLAY2", false},
      {"overlay x3 on pick 2", 10, 10, 10, 1, 7, 5, 9, 2, 9, "BWIN_OVERLAY3", true},
      {"overlay x4 on pick 2", 10, 10, 10, 1, 7, 5, 9, 2, 9, "BWIN_OVERLAY4", false},
      {"overlay on pick 3", 10, 10, 10, 1, 1, 8.5f, 9, 9, 2, "CWIN_OVERLAY4", true},
      {"pick 1's overlay is not pick 3's", 10, 10, 10, 20, 1, 1, 2, 9, 9, "CWIN_OVERLAY", false}};
  for (const Case& c : cases) {
    RaceBuilder race = racePicksFinishing({5, 6, 7, 8, 9});
    const float scores[] = {c.score1, c.score2, c.score3};
    const float fair[] = {c.fair1, c.fair2, c.fair3};
    for (int k = 1; k <= 3; ++k) {
      race.pickEntry(k).winPercent = scores[k - 1];
      race.pickEntry(k).fairOdds = fair[k - 1];
    }
    race.setOdds(c.odds1, c.odds2, c.odds3);
    race.setPools(20, 10, 100, 400);
    EXPECT_EQ(settleByName(race.analysis(), c.name).played, c.played) << c.what << ": " << c.name;
  }
}

TEST(StrategySettlementTest, TheThreeHorseAverageUsesTheSinglePrecisionThird) {
  // 0.5 + 0.5 + 13.999999 sums to just under 15: a third of it falls short
  // of 5, but times 0.33333334 it rounds to 5 exactly.
  RaceBuilder race = racePicksFinishing({5, 6, 7, 8, 9});
  race.setOdds(0.5f, 0.5f, std::nextafter(14.0f, 0.0f));
  race.setPools(20, 10, 100, 400);
  const RaceAnalysis a = race.analysis();
  EXPECT_LT((a.odds1 + a.odds2 + a.odds3) / 3.0f, 5.0f);
  EXPECT_TRUE(settleByName(a, "BOX3TRIFECTA_5TO1").played);
  EXPECT_FALSE(settleByName(a, "BOX3TRIFECTA_8TO1").played);
}

TEST(StrategySettlementTest, UnknownOddsStopEveryOddsDrivenStrategy) {
  // No odds for pick 1, or only pick 3's missing: QFAV, nTO1 and OVERLAY
  // are all off, whatever else holds; the rest still play.
  for (int missing = 1; missing <= 3; ++missing) {
    RaceBuilder race = everythingOpenRace();
    race.finisherOfPick(missing).odds = 0;
    const RaceAnalysis a = race.analysis();
    int played = 0;
    for (int i = 0; i < kStrategyCount; ++i) {
      int32_t stake = 0;
      const bool isPlayed = settleStrategy(a, i, stake) >= 0;
      if (nameHas(i, "QFAV") || nameHas(i, "TO1") || nameHas(i, "OVERLAY")) {
        EXPECT_FALSE(isPlayed) << strategyName(i) << " without odds for pick " << missing;
      }
      played += isPlayed ? 1 : 0;
    }
    EXPECT_EQ(played, kShortStrategyCount - 14) << "the short report's strategies less the 14 QFAV ones";
  }
}

TEST(StrategySettlementTest, AMissingPoolStopsItsWagersEvenOnAHit) {
  RaceBuilder race = racePicksFinishing({1, 2, 3, 4, 5});
  race.setPools(30, 15, 0, 500);
  StrategyTotalsTable totals;
  clearTotals(totals);
  const RaceAnalysis a = race.analysis();
  settleAllStrategies(a, false, totals);
  for (int i = 0; i < kStrategyCount; ++i) {
    if (nameHas(i, "TRIFECTA")) {
      EXPECT_EQ(totals[i].betCount, 0) << strategyName(i);
    }
  }
  expectOutcomes(a, {{"BOX3SUPERFECTA", true, 12, 500}, {"EXACTA", true, 2, 30}});

  race.setPools(0, 15, 120, 500);
  expectOutcomes(race.analysis(), {{"EXACTA", false, 0, 0},
                                   {"EXACTA_KEY2", false, 0, 0},
                                   {"BOX2EXACTA", false, 0, 0},
                                   {"BOX3EXACTA", false, 0, 0},
                                   {"QUINELLA", true, 2, 15},
                                   {"BOX3TRIFECTA", true, 12, 120}});
}

TEST(StrategySettlementTest, TheBoxOfTwoCollectsTheExactaEitherWayRound) {
  for (const std::vector<int>& finishes :
       {std::vector<int>{1, 2, 3, 4, 5}, std::vector<int>{2, 1, 3, 4, 5}}) {
    RaceBuilder race = racePicksFinishing(finishes);
    race.setPools(41.20f, 17.60f, 0, 0);
    const bool inOrder = finishes[0] == 1;
    expectOutcomes(race.analysis(), {{"BOX2EXACTA", true, 4, 41.20},
                                     {"QUINELLA", true, 2, 17.60},
                                     {"EXACTA", true, 2, inOrder ? 41.20 : 0}});
  }
}

TEST(StrategySettlementTest, DamagedPayoffsCountAsMissing) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  RaceBuilder race = racePicksFinishing({1, 2, 3, 4, 5});
  race.setStraightPayoffs(1, nan, std::numeric_limits<float>::infinity(), 2.40f);
  race.setPools(nan, 15, 120, 500);
  const RaceAnalysis a = race.analysis();
  expectOutcomes(a, {{"WIN", false, 0, 0},
                     {"PLACE", false, 0, 0},
                     {"SHOW", true, 2, 2.40},
                     {"EXACTA", false, 0, 0},
                     {"WIN_TOP3", true, 6, 0},
                     {"QUINELLA", true, 2, 15}});
  StrategyTotalsTable totals;
  clearTotals(totals);
  settleAllStrategies(a, false, totals);
  for (const StrategyTotals& t : totals) EXPECT_TRUE(std::isfinite(t.amountPaid));
}

TEST(StrategySettlementTest, IndexesOutsideTheTableAreNotPlayed) {
  const RaceAnalysis a = everythingOpenRace().analysis();
  for (int index : {-1, kStrategyCount}) {
    int32_t stake = 99;
    EXPECT_EQ(settleStrategy(a, index, stake), -1) << index;
    EXPECT_EQ(stake, 0);
  }
}

TEST(StrategySettlementTest, TotalsAccumulateRaceByRaceAndShortModeSkipsOddsStrategies) {
  RaceBuilder race = workedRace();
  const RaceAnalysis a = race.analysis();
  StrategyTotalsTable totals;
  totals[0].betCount = 77;
  clearTotals(totals);
  EXPECT_EQ(totals[0].betCount, 0);

  settleAllStrategies(a, false, totals);
  settleAllStrategies(a, true, totals);
  struct Case {
    std::string_view name;
    int32_t bets, hits, amountBet;
    float amountPaid;
  };
  const Case cases[] = {{"WIN", 2, 0, 4, 0},
                        {"WIN_SCORE35", 0, 0, 0, 0},
                        {"BWIN", 2, 2, 4, 16.80f},
                        {"BWIN_OVERLAY", 1, 1, 2, 8.40f},  // played only in the full run
                        {"TOP2WIN_2TO1", 1, 1, 4, 8.40f},
                        {"WIN_QFAV", 2, 0, 4, 0},  // QFAV stays in the short report
                        {"BOX4SUPERFECTA", 2, 2, 96, 1000},
                        {"BOX3TRIFECTA", 2, 0, 24, 0}};
  for (const Case& c : cases) {
    const StrategyTotals& t = totals[strategyIndex(c.name)];
    EXPECT_EQ(t.betCount, c.bets) << c.name;
    EXPECT_EQ(t.hitCount, c.hits) << c.name;
    EXPECT_EQ(t.amountBet, c.amountBet) << c.name;
    EXPECT_NEAR(t.amountPaid, c.amountPaid, 1e-4) << c.name;
  }

  StrategyTotalsTable shortOnly;
  clearTotals(shortOnly);
  settleAllStrategies(everythingOpenRace().analysis(), true, shortOnly);
  int touched = 0;
  for (int i = 0; i < kStrategyCount; ++i) {
    if (skippedInShortMode(i)) {
      EXPECT_EQ(shortOnly[i].betCount, 0) << strategyName(i);
    }
    touched += shortOnly[i].betCount;
  }
  EXPECT_EQ(touched, kShortStrategyCount - 14);  // all but the QFAV ones
}

}  // namespace
}  // namespace stridewell
