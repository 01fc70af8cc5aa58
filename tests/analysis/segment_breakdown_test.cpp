// Breaking a strategy down by segment: four hand-worked races by odds band
// and by month, the horse whose odds place each kind of bet, and every
// key's grouping at its edges. That the totals agree with the run's table
// for every strategy is checked over a whole run (profit_loss_run_test).
#include "analysis/segment_breakdown.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/strategy_totals.h"
#include "race/card_values.h"
#include "race_builder.h"

namespace stridewell {
namespace {

using test::racePicksFinishing;

struct HandRace {
  std::vector<int> finishes;  // of picks 1-5
  float odds1;
  float winPayoff1;  // of pick 1, set only when it won
  const char* date;  // YYYYMMDD
};

// Pick 1's win bet (WIN, $2 a race) in four races:
//   1. won at 1.5-1, paid $5.00       -> under 2-1
//   2. lost at exactly 2-1            -> 2-1 to 5-1
//   3. won at 4-1, paid $10.00        -> 2-1 to 5-1
//   4. won with no odds, paid $7.20   -> unknown odds
std::vector<SettledRace> fourRaces() {
  const HandRace races[] = {
      {{1, 2, 3, 4, 5}, 1.5f, 5.0f, "20260214"},
      {{2, 1, 3, 4, 5}, 2.0f, 0.0f, "20251230"},
      {{1, 3, 2, 4, 5}, 4.0f, 10.0f, "20260201"},
      {{1, 2, 4, 3, 5}, 0.0f, 7.2f, "20260105"},
  };
  std::vector<SettledRace> settled;
  for (const HandRace& hand : races) {
    test::RaceBuilder race = racePicksFinishing(hand.finishes);
    race.setOdds(hand.odds1, 5, 5);
    if (hand.winPayoff1 > 0) race.setStraightPayoffs(1, hand.winPayoff1, 3, 2.4f);
    race.profile().date = packDate(hand.date);
    settled.push_back({race.analysis(), segmentFacts(race.profile())});
  }
  return settled;
}

struct RowFigures {
  const char* label;
  int bets;
  int hits;
  int32_t bet;
  float paid;
};

void expectRows(const SegmentBreakdown& breakdown, const std::vector<RowFigures>& expected) {
  ASSERT_EQ(breakdown.rows.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const SegmentRow& row = breakdown.rows[i];
    SCOPED_TRACE(expected[i].label);
    EXPECT_EQ(row.segment.label, expected[i].label);
    EXPECT_EQ(row.totals.betCount, expected[i].bets);
    EXPECT_EQ(row.totals.hitCount, expected[i].hits);
    EXPECT_EQ(row.totals.amountBet, expected[i].bet);
    EXPECT_NEAR(row.totals.amountPaid, expected[i].paid, 1e-4);
  }
}

TEST(SegmentBreakdownTest, FourRacesByOddsBand) {
  const std::vector<SettledRace> races = fourRaces();
  const SegmentBreakdown breakdown = breakDown(races, SegmentKey::kOdds, findStrategy("WIN"));
  expectRows(breakdown,
             {{"under 2-1", 1, 1, 2, 5.0f}, {"2-1 to 5-1", 2, 1, 4, 10.0f}, {"unknown odds", 1, 1, 2, 7.2f}});
  // All four: 4 bets, 3 hits, $8 bet, 5 + 10 + 7.20 = $22.20 back.
  EXPECT_EQ(breakdown.total.betCount, 4);
  EXPECT_EQ(breakdown.total.hitCount, 3);
  EXPECT_EQ(breakdown.total.amountBet, 8);
  EXPECT_NEAR(breakdown.total.amountPaid, 22.2f, 1e-4);

  // Net and return: under 2-1 5 - 2 = 3, 150%; 2-1 to 5-1 10 - 4 = 6,
  // 150%, hit rate 1 / 2 = 50%; unknown 7.20 - 2 = 5.20, 260%; total
  // 22.20 - 8 = 14.20, 14.20 / 8 = 177.50%, hit rate 3 / 4 = 75%.
  std::ostringstream report, comma;
  writeBreakdownReport(report, breakdown, &comma);
  EXPECT_EQ(report.str(),
            "Segment                #bets #hits    hit%       $Bet  $Returned       $Net      ROI\n"
            "under 2-1                  1     1 100.00%       2.00       5.00       3.00  150.00%\n"
            "2-1 to 5-1                 2     1  50.00%       4.00      10.00       6.00  150.00%\n"
            "unknown odds               1     1 100.00%       2.00       7.20       5.20  260.00%\n"
            "Total                      4     3  75.00%       8.00      22.20      14.20  177.50%\n");
  EXPECT_EQ(comma.str(),
            "Segment,#bets,#hits,hit%,$Bet,$Returned,$Net,ROI(%)\n"
            "under 2-1,1,1,100.00,2.00,5.00,3.00,150.00\n"
            "2-1 to 5-1,2,1,50.00,4.00,10.00,6.00,150.00\n"
            "unknown odds,1,1,100.00,2.00,7.20,5.20,260.00\n");
}

TEST(SegmentBreakdownTest, FourRacesByMonthInDateOrder) {
  // Race 2 (Dec 2025, lost) comes first, then race 4 (Jan 2026, $7.20),
  // then races 1 and 3 (Feb 2026, $5 + $10), whatever order they ran in.
  const SegmentBreakdown breakdown = breakDown(fourRaces(), SegmentKey::kMonth, findStrategy("WIN"));
  expectRows(breakdown,
             {{"2025-12", 1, 0, 2, 0.0f}, {"2026-01", 1, 1, 2, 7.2f}, {"2026-02", 2, 2, 4, 15.0f}});
  // -100% for a month of losses: 0 - 2 = -2 on $2.
  EXPECT_DOUBLE_EQ(returnPercent(breakdown.rows[0].totals), -100.0);
  EXPECT_DOUBLE_EQ(netAmount(breakdown.rows[0].totals), -2.0);
}

TEST(SegmentBreakdownTest, RacesAStrategyPassesOverAreLeftOut) {
  // WIN_QFAV plays only at 2-1 or less with all three odds known: races 1
  // (1.5-1, won $5) and 2 (2-1, lost). WIN_10TO1 plays none of them.
  const std::vector<SettledRace> races = fourRaces();
  const SegmentBreakdown favourites = breakDown(races, SegmentKey::kOdds, findStrategy("WIN_QFAV"));
  expectRows(favourites, {{"under 2-1", 1, 1, 2, 5.0f}, {"2-1 to 5-1", 1, 0, 2, 0.0f}});
  const SegmentBreakdown longShots = breakDown(races, SegmentKey::kOdds, findStrategy("WIN_10TO1"));
  EXPECT_TRUE(longShots.rows.empty());
  EXPECT_EQ(longShots.total.betCount, 0);
  std::ostringstream report;
  writeBreakdownReport(report, longShots, nullptr);
  EXPECT_NE(report.str().find(
                "Total                      0     0   0.00%       0.00       0.00       0.00    0.00%"),
            std::string::npos)
      << report.str();
}

TEST(SegmentBreakdownTest, TheBetHorsesOddsDecideTheBand) {
  // Pick 1 at 1.5-1, pick 2 at 12-1, pick 3 at 25-1.
  test::RaceBuilder race = racePicksFinishing({1, 2, 3, 4, 5});
  race.setOdds(1.5f, 12, 25);
  const SettledRace settled{race.analysis(), segmentFacts(race.profile())};
  struct Case {
    const char* strategy;
    const char* band;
  };
  const Case cases[] = {
      {"WIN", "under 2-1"},
      {"PLACE_N_SHOW", "under 2-1"},
      {"WIN_TOP4", "under 2-1"},
      {"TOP2WIN", "under 2-1"},
      {"EXACTA", "under 2-1"},
      {"BOX3TRIFECTA", "under 2-1"},
      {"SUPERFECTA_KEY3", "under 2-1"},
      {"BWIN", "10-1 to 20-1"},
      {"BSHOW", "10-1 to 20-1"},
      {"B_ACROSS_BOARD", "10-1 to 20-1"},
      {"BC_WIN", "10-1 to 20-1"},
      {"BC_SHOW", "10-1 to 20-1"},
      {"CWIN_OVERLAY", "20-1 and over"},
      {"CPLACE", "20-1 and over"},
      {"C_ACROSS_BOARD", "20-1 and over"},
  };
  for (const Case& c : cases) {
    const int index = findStrategy(c.strategy);
    ASSERT_GE(index, 0) << c.strategy;
    EXPECT_EQ(segmentOf(SegmentKey::kOdds, settled, index).label, c.band) << c.strategy;
  }
}

SettledRace raceWith(float odds1, const SegmentFacts& facts) {
  SettledRace race{};
  race.analysis.odds1 = odds1;
  race.facts = facts;
  return race;
}

TEST(SegmentBreakdownTest, EachKeyAtItsEdges) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  SegmentFacts plain;
  plain.fieldSize = 8;
  plain.distanceYards = 1320;
  plain.date = packDate("20260301");
  std::strcpy(plain.track, "SAX");
  plain.raceClass = {ClassCode::kClaiming, 16000};

  struct Case {
    SegmentKey key;
    float odds1;
    void (*change)(SegmentFacts&);
    const char* label;
  };
  const auto same = [](SegmentFacts&) {};
  const Case cases[] = {
      {SegmentKey::kOdds, 1.99f, same, "under 2-1"},
      {SegmentKey::kOdds, 2.0f, same, "2-1 to 5-1"},
      {SegmentKey::kOdds, 4.99f, same, "2-1 to 5-1"},
      {SegmentKey::kOdds, 5.0f, same, "5-1 to 10-1"},
      {SegmentKey::kOdds, 10.0f, same, "10-1 to 20-1"},
      {SegmentKey::kOdds, 19.9f, same, "10-1 to 20-1"},
      {SegmentKey::kOdds, 20.0f, same, "20-1 and over"},
      {SegmentKey::kOdds, 0.0f, same, "unknown odds"},
      {SegmentKey::kOdds, -3.0f, same, "unknown odds"},
      {SegmentKey::kOdds, nan, same, "unknown odds"},
      {SegmentKey::kField, 2, [](SegmentFacts& f) { f.fieldSize = 5; }, "5-6 runners"},
      {SegmentKey::kField, 2, [](SegmentFacts& f) { f.fieldSize = 6; }, "5-6 runners"},
      {SegmentKey::kField, 2, [](SegmentFacts& f) { f.fieldSize = 7; }, "7-8 runners"},
      {SegmentKey::kField, 2, [](SegmentFacts& f) { f.fieldSize = 12; }, "11-12 runners"},
      {SegmentKey::kField, 2, [](SegmentFacts& f) { f.fieldSize = 13; }, "13 or more runners"},
      {SegmentKey::kField, 2, [](SegmentFacts& f) { f.fieldSize = 64; }, "13 or more runners"},
      {SegmentKey::kSurface, 2, [](SegmentFacts& f) { f.surface = 0; }, "dirt"},
      {SegmentKey::kSurface, 2, [](SegmentFacts& f) { f.surface = 1; }, "turf"},
      {SegmentKey::kSurface, 2, [](SegmentFacts& f) { f.surface = 2; }, "synthetic"},
      {SegmentKey::kSurface, 2, [](SegmentFacts& f) { f.surface = 7; }, "unknown surface"},
      {SegmentKey::kDistance, 2, [](SegmentFacts& f) { f.distanceYards = 1430; }, "sprint (under 7f)"},
      {SegmentKey::kDistance, 2, [](SegmentFacts& f) { f.distanceYards = 1539; }, "sprint (under 7f)"},
      {SegmentKey::kDistance, 2, [](SegmentFacts& f) { f.distanceYards = 1540; }, "7f to 1 mile"},
      {SegmentKey::kDistance, 2, [](SegmentFacts& f) { f.distanceYards = 1760; }, "7f to 1 mile"},
      {SegmentKey::kDistance, 2, [](SegmentFacts& f) { f.distanceYards = 1761; }, "route (over 1 mile)"},
      {SegmentKey::kDistance, 2, [](SegmentFacts& f) { f.distanceYards = 0; }, "unknown distance"},
      {SegmentKey::kClass, 2,
       [](SegmentFacts& f) {
         f.raceClass = {ClassCode::kMaiden, -2};
       },
       "maiden special weight"},
      {SegmentKey::kClass, 2,
       [](SegmentFacts& f) {
         f.raceClass = {ClassCode::kMaiden, -1};
       },
       "maiden claiming"},
      {SegmentKey::kClass, 2,
       [](SegmentFacts& f) {
         f.raceClass = {ClassCode::kMaiden, 25000};
       },
       "maiden claiming"},
      {SegmentKey::kClass, 2,
       [](SegmentFacts& f) {
         f.raceClass = {ClassCode::kAllowance, 42000};
       },
       "allowance"},
      {SegmentKey::kClass, 2,
       [](SegmentFacts& f) {
         f.raceClass = {ClassCode::kStakes, 1};
       },
       "stakes"},
      {SegmentKey::kClass, 2,
       [](SegmentFacts& f) {
         f.raceClass = {ClassCode::kNone, 0};
       },
       "unknown class"},
      {SegmentKey::kTrack, 2, same, "SAX"},
      {SegmentKey::kTrack, 2, [](SegmentFacts& f) { std::strcpy(f.track, "sa"); }, "SAX"},
      {SegmentKey::kTrack, 2, [](SegmentFacts& f) { f.track[0] = '\0'; }, "unknown track"},
      {SegmentKey::kMonth, 2, same, "2026-03"},
      {SegmentKey::kMonth, 2, [](SegmentFacts& f) { f.date = packDate("20261231"); }, "2026-12"},
      {SegmentKey::kMonth, 2, [](SegmentFacts& f) { f.date = 0; }, "unknown date"},
      {SegmentKey::kMonth, 2, [](SegmentFacts& f) { f.date = packDate("20261301"); }, "unknown date"},
  };
  for (const Case& c : cases) {
    SegmentFacts facts = plain;
    c.change(facts);
    const Segment segment = segmentOf(c.key, raceWith(c.odds1, facts), findStrategy("WIN"));
    EXPECT_EQ(segment.label, c.label) << segmentKeyWord(c.key) << " case " << c.label << " odds " << c.odds1;
  }
}

TEST(SegmentBreakdownTest, NaturalOrderWithUnknownLast) {
  struct Case {
    SegmentKey key;
    std::vector<float> odds;
    std::vector<const char*> tracks;
    std::vector<const char*> labels;  // as the breakdown lists them
  };
  const Case cases[] = {
      {SegmentKey::kOdds,
       {25, 0, 3, 1, 12, 6},
       {},
       {"under 2-1", "2-1 to 5-1", "5-1 to 10-1", "10-1 to 20-1", "20-1 and over", "unknown odds"}},
      {SegmentKey::kTrack, {}, {"SAX", "", "aqu", "BEL", "AQU"}, {"AQU", "BEL", "SAX", "unknown track"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(segmentKeyWord(c.key));
    std::vector<SettledRace> races;
    const size_t count = std::max(c.odds.size(), c.tracks.size());
    for (size_t i = 0; i < count; ++i) {
      SegmentFacts facts;
      if (i < c.tracks.size()) std::strcpy(facts.track, c.tracks[i]);
      SettledRace race = raceWith(i < c.odds.size() ? c.odds[i] : 3.0f, facts);
      race.analysis.winPayoff1 = 4;  // WIN is played, and loses
      races.push_back(race);
    }
    const SegmentBreakdown breakdown = breakDown(races, c.key, findStrategy("WIN"));
    std::vector<std::string> labels;
    for (const SegmentRow& row : breakdown.rows) labels.push_back(row.segment.label);
    EXPECT_EQ(labels, std::vector<std::string>(c.labels.begin(), c.labels.end()));
  }
}

TEST(SegmentBreakdownTest, KeyWordsAndStrategyNames) {
  for (int i = 0; i < kSegmentKeyCount; ++i) {
    const auto key = static_cast<SegmentKey>(i);
    EXPECT_EQ(segmentKeyFromWord(segmentKeyWord(key)), key);
  }
  EXPECT_EQ(segmentKeyFromWord("ODDS"), SegmentKey::kOdds);
  EXPECT_FALSE(segmentKeyFromWord("weather"));
  EXPECT_FALSE(segmentKeyFromWord(""));
  EXPECT_EQ(findStrategy("win_30p_qfav"), findStrategy("WIN_30P_QFAV"));
  EXPECT_EQ(strategyName(findStrategy("BOX4TRIFECTA")), "BOX4TRIFECTA");
  EXPECT_EQ(findStrategy("WIN_"), -1);
  EXPECT_EQ(findStrategy(""), -1);
  EXPECT_EQ(strategyName(kDefaultBreakdownStrategy), "WIN");
}

}  // namespace
}  // namespace stridewell
