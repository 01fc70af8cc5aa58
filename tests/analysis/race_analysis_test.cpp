// Joining the SIM's picks to the result: which races can be bet on at all,
// and the hit flags that every strategy settles on.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "patterns/race_scoring.h"
#include "race_builder.h"

namespace stridewell {
namespace {

using test::RaceBuilder;
using test::racePicksFinishing;

TEST(RaceAnalysisTest, FindsEachPicksFinisherByNameIgnoringCase) {
  RaceBuilder race = racePicksFinishing({3, 1, 2, 5, 4});
  RaceAnalysis analysis = race.analysis();
  ASSERT_EQ(analysis.pickCount, 5);
  // The unpicked "OUTSIDER" is finisher 0, so pick k is finisher k.
  const int finishes[] = {3, 1, 2, 5, 4};
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(analysis.picks[k].finisherIndex, k + 1) << "pick " << k + 1;
    EXPECT_EQ(analysis.picks[k].officialFinish, finishes[k]) << "pick " << k + 1;
    EXPECT_EQ(analysis.picks[k].rank, k + 1);
  }
}

TEST(RaceAnalysisTest, CopiesOddsPayoffsScoresAndPools) {
  RaceBuilder race = racePicksFinishing({2, 1, 3, 4, 5});
  race.pickEntry(1).winPercent = 32.5;
  race.pickEntry(1).fairOdds = 2.0769;
  race.pickEntry(3).winPercent = 11;
  race.setOdds(1.5f, 4.0f, 6.0f);
  race.setStraightPayoffs(1, 0, 3.6f, 2.8f);
  race.setStraightPayoffs(2, 8.4f, 4.2f, 3.0f);
  race.setStraightPayoffs(3, 0, 0, 2.2f);
  race.setPools(30, 15, 120, 500);
  const RaceAnalysis a = race.analysis();
  EXPECT_FLOAT_EQ(a.score1, 32.5f);
  EXPECT_FLOAT_EQ(a.score3, 11.0f);
  EXPECT_FLOAT_EQ(a.fair1, 2.0769f);
  EXPECT_FLOAT_EQ(a.odds1, 1.5f);
  EXPECT_FLOAT_EQ(a.odds3, 6.0f);
  EXPECT_FLOAT_EQ(a.placePayoff1, 3.6f);
  EXPECT_FLOAT_EQ(a.winPayoff2, 8.4f);
  EXPECT_FLOAT_EQ(a.showPayoff3, 2.2f);
  EXPECT_EQ(a.winPayoff1, 0.0f);  // missing stays 0 in the record
  EXPECT_FLOAT_EQ(a.exactaPayoff, 30);
  EXPECT_FLOAT_EQ(a.quinellaPayoff, 15);
  EXPECT_FLOAT_EQ(a.trifectaPayoff, 120);
  EXPECT_FLOAT_EQ(a.superfectaPayoff, 500);
  // The winner is pick 2: every "winner among the top" flag carries its payoff.
  EXPECT_TRUE(a.winnerInTop3 && a.winnerInTop4 && a.winnerInTop5);
  EXPECT_FLOAT_EQ(a.winnerPayoff3, 8.4f);
  EXPECT_FLOAT_EQ(a.winnerPayoff5, 8.4f);
}

// Finish positions of picks 1-5 and the flags they must give.
struct FlagCase {
  std::vector<int> finishes;
  bool won1, placed1, showed1, won2, placed2, showed2, won3, placed3, showed3;
  bool top3, top4, top5;
  bool exacta, quinella, box3Exacta, box3Trifecta, box4Trifecta, box3Superfecta, box4Superfecta;
};

TEST(RaceAnalysisTest, HitFlagsFollowTheFinishOfThePicks) {
  const FlagCase cases[] = {
      // The picks finish in order: everything hits.
      {{1, 2, 3, 4, 5}, 1, 1, 1, 0, 1, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
      // Top two swapped, pick 3 fourth and pick 4 third.
      {{2, 1, 4, 3, 6}, 0, 1, 1, 1, 1, 1, 0, 0, 0, 1, 1, 1, 0, 1, 1, 0, 1, 0, 1},
      // Picks 1-3 take the first three in some order, pick 4 only fifth.
      {{3, 1, 2, 5, 4}, 0, 0, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 0, 0, 1, 1, 1, 0, 0},
      // Unknown finishes (0) count as out of the money, not as first.
      {{0, 0, 1, 2, 3}, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0},
      // Only pick 4 or pick 5 wins.
      {{4, 5, 6, 1, 2}, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0},
      {{5, 6, 7, 8, 1}, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0},
      // Picks 1 and 3 fill the exacta: the box of three hits, the top two not.
      {{2, 5, 1, 3, 4}, 0, 1, 1, 0, 0, 0, 1, 1, 1, 1, 1, 1, 0, 0, 1, 0, 1, 0, 0},
      // Three of picks 1-4 in the first three, pick 2 out: only the box of four hits.
      {{1, 7, 3, 2, 4}, 1, 1, 1, 0, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 1, 0, 0},
      // Box of three for the trifecta but the fourth place went elsewhere.
      {{1, 2, 3, 5, 4}, 1, 1, 1, 0, 1, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0},
  };
  for (const FlagCase& c : cases) {
    RaceBuilder race = racePicksFinishing(c.finishes);
    const RaceAnalysis a = race.analysis();
    SCOPED_TRACE(::testing::PrintToString(c.finishes));
    EXPECT_EQ(a.won1, c.won1);
    EXPECT_EQ(a.placed1, c.placed1);
    EXPECT_EQ(a.showed1, c.showed1);
    EXPECT_EQ(a.won2, c.won2);
    EXPECT_EQ(a.placed2, c.placed2);
    EXPECT_EQ(a.showed2, c.showed2);
    EXPECT_EQ(a.won3, c.won3);
    EXPECT_EQ(a.placed3, c.placed3);
    EXPECT_EQ(a.showed3, c.showed3);
    EXPECT_EQ(a.winnerInTop3, c.top3);
    EXPECT_EQ(a.winnerInTop4, c.top4);
    EXPECT_EQ(a.winnerInTop5, c.top5);
    EXPECT_EQ(a.exactaHit, c.exacta);
    EXPECT_EQ(a.quinellaHit, c.quinella);
    EXPECT_EQ(a.box3ExactaHit, c.box3Exacta);
    EXPECT_EQ(a.box3TrifectaHit, c.box3Trifecta);
    EXPECT_EQ(a.box4TrifectaHit, c.box4Trifecta);
    EXPECT_EQ(a.box3SuperfectaHit, c.box3Superfecta);
    EXPECT_EQ(a.box4SuperfectaHit, c.box4Superfecta);
  }
}

TEST(RaceAnalysisTest, AFourHorseFieldIsNotBetOn) {
  // The SIM gives no prediction for fewer than five horses.
  RaceBuilder race;
  int finish = 1;
  for (const char* name : {"Ace", "Bee", "Cee", "Dee"}) race.runner(name, finish++);
  const double scores[] = {4, 3, 2, 1};
  predictFromScores(scores, race.prediction());
  RaceAnalysis analysis;
  EXPECT_FALSE(race.build(analysis));
}

TEST(RaceAnalysisTest, APickThatDidNotRunStopsTheRace) {
  for (int missingPick = 1; missingPick <= 5; ++missingPick) {
    RaceBuilder race;
    for (int k = 1; k <= 5; ++k) {
      const std::string name = "Horse " + std::to_string(k);
      race.pick(k == missingPick ? race.nonRunner(name) : race.runner(name, k));
    }
    RaceAnalysis analysis;
    EXPECT_FALSE(race.build(analysis)) << "pick " << missingPick << " scratched";
  }
}

TEST(RaceAnalysisTest, OnlyFinishersWithinTheCountAreSearched) {
  RaceBuilder race = racePicksFinishing({1, 2, 3, 4, 5});
  // Pick 5 is the last finisher; hiding it leaves pick 5 without a finisher.
  race.result().finisherCount = 5;
  RaceAnalysis analysis;
  EXPECT_FALSE(race.build(analysis));
}

TEST(RaceAnalysisTest, DamagedRecordsAreRefusedOrBounded) {
  {
    // A pick pointing past the field.
    RaceBuilder race = racePicksFinishing({1, 2, 3, 4, 5});
    race.pickEntry(3).horse = race.profile().horseCount;
    RaceAnalysis analysis;
    EXPECT_FALSE(race.build(analysis));
    race.pickEntry(3).horse = -1;
    EXPECT_FALSE(race.build(analysis));
  }
  {
    // A finisher count beyond the record and names without terminators:
    // the search stays inside the record and still finds the picks.
    RaceBuilder race = racePicksFinishing({1, 2, 3, 4, 5});
    race.result().finisherCount = 255;
    std::memset(race.result().finishers[0].name, 'X', sizeof race.result().finishers[0].name);
    std::memset(race.profile().horses[0].name, 'X', sizeof race.profile().horses[0].name);
    RaceAnalysis analysis;
    EXPECT_TRUE(race.build(analysis));
    EXPECT_EQ(analysis.picks[0].finisherIndex, 1);
  }
  {
    RaceBuilder race = racePicksFinishing({1, 2, 3, 4, 5});
    race.prediction().entryCount = 6;
    RaceAnalysis analysis;
    EXPECT_FALSE(race.build(analysis));
  }
}

}  // namespace
}  // namespace stridewell
