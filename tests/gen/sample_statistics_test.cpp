// The statistics of generated racing: first their arithmetic on a day made
// by hand, then the figures of a large sample held inside the bands real
// racing shows (field sizes, favourites, the favourite-longshot bias and
// each pool's realised take). The sample is seeded, but the bands allow
// for the sampling spread of its size, so a generator that behaves the
// same under another seed passes too.
#include "sample_statistics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "race_model.h"
#include "sample_generator.h"

namespace stridewell::gen {
namespace {

// A race of `field` starters in program order, horse 0 winning; each
// horse's odds are given in hundredths.
SimulatedRace handMadeRace(const std::vector<int>& odds100, int winPayoff100) {
  SimulatedRace race;
  const size_t field = odds100.size();
  for (size_t k = 0; k < field; ++k) {
    Horse horse;
    horse.programNumber = std::to_string(k + 1);
    horse.interest = static_cast<int>(k);
    horse.morningLine10 = 30 + static_cast<int>(k);
    race.horses.push_back(horse);
    race.finishOrder.push_back(static_cast<int>(k));
  }
  race.odds100 = odds100;
  race.winPayoff100.assign(field, 0);
  race.placePayoff100.assign(field, 0);
  race.showPayoff100.assign(field, 0);
  race.winPayoff100[0] = winPayoff100;
  race.placePayoff100[0] = 300;
  race.placePayoff100[1] = 400;
  race.showPayoff100[0] = 220;
  race.showPayoff100[1] = 260;
  race.showPayoff100[2] = 500;
  return race;
}

TEST(SampleStatistics, TalliesEveryBetOfAHandMadeDay) {
  RaceDay day;
  // Race 1: the 4-5 favourite (horse 1) wins and pays $3.60.
  day.races.push_back(handMadeRace({80, 250, 600, 1500, 2500}, 360));
  day.races[0].favourite = 0;
  day.races[0].wagers.push_back({"PERFECTA", "1-2", 1250, 9000});
  // Race 2: a 40-1 shot (horse 1) beats the 6-5 favourite (horse 2).
  day.races.push_back(handMadeRace({4000, 120, 300, 500, 900}, 8200));
  day.races[1].favourite = 1;
  day.races[1].horses[1].morningLine10 = 10;  // the line made horse 2 favourite too
  day.races[1].wagers.push_back({"TRIFECTA", "1-2-3", 98040, 7000});
  day.races[1].wagers.push_back({"DAILY DOUBLE", "1-1", 15000, 3000});

  SampleStatistics statistics;
  addRaceDay(statistics, day);
  EXPECT_EQ(statistics.days, 1);
  EXPECT_EQ(statistics.races, 2);
  EXPECT_DOUBLE_EQ(statistics.meanField(), 5.0);
  EXPECT_EQ(statistics.smallestField, 5);
  EXPECT_EQ(statistics.largestField, 5);

  // The favourite: one win at $1.80 per $1 out of two bets.
  EXPECT_EQ(statistics.favourite.bets, 2);
  EXPECT_EQ(statistics.favourite.hits, 1);
  EXPECT_DOUBLE_EQ(statistics.favourite.yield(), 1.8 / 2 - 1);
  EXPECT_EQ(statistics.favouriteInMoney, 2);
  // The morning-line favourite: horse 1 in race 1 (30 is the lowest), horse 2 in race 2.
  EXPECT_EQ(statistics.morningLineFavourite.bets, 2);
  EXPECT_EQ(statistics.morningLineFavourite.hits, 1);

  // The 40-1 winner is alone in its band and paid $41 per $1.
  const OddsBand* longShots = statistics.band("30-1 to 49-1");
  ASSERT_NE(longShots, nullptr);
  EXPECT_EQ(longShots->tally.bets, 1);
  EXPECT_DOUBLE_EQ(longShots->tally.returned, 41.0);
  const OddsBand* evens = statistics.band("1-1 to 9-5");
  ASSERT_NE(evens, nullptr);
  EXPECT_EQ(evens->tally.bets, 1);
  EXPECT_EQ(evens->tally.hits, 0);
  long long banded = 0;
  for (const OddsBand& band : statistics.bands) banded += band.tally.bets;
  EXPECT_EQ(banded, 10);

  // Win, place and show: five interests a race, the paying ones pay.
  const PoolTally* win = statistics.pool("WIN");
  ASSERT_NE(win, nullptr);
  EXPECT_EQ(win->tally.bets, 10);
  EXPECT_DOUBLE_EQ(win->tally.returned, 1.8 + 41.0);
  EXPECT_DOUBLE_EQ(statistics.pool("PLACE")->tally.returned, 2 * (1.5 + 2.0));
  EXPECT_DOUBLE_EQ(statistics.pool("SHOW")->tally.returned, 2 * (1.1 + 1.3 + 2.5));
  // An alias counts in its pool; each pool is bought whole: 5 x 4 exactas,
  // 5 x 4 x 3 trifectas, 5 x 5 daily doubles.
  const PoolTally* exacta = statistics.pool("EXACTA");
  EXPECT_EQ(exacta->races, 1);
  EXPECT_EQ(exacta->tally.bets, 20);
  EXPECT_DOUBLE_EQ(exacta->tally.returned, 6.25);
  EXPECT_EQ(statistics.pool("TRIFECTA")->tally.bets, 60);
  EXPECT_DOUBLE_EQ(statistics.pool("TRIFECTA")->tally.returned, 490.2);
  EXPECT_EQ(statistics.pool("DAILY DOUBLE")->tally.bets, 25);
  EXPECT_EQ(statistics.pool("QUINELLA")->races, 0);
  EXPECT_DOUBLE_EQ(statistics.pool("QUINELLA")->tally.yield(), 0.0);

  const std::string report = statisticsReport(statistics);
  EXPECT_NE(report.find("Starters per race                  5.00 (5 to 5)"), std::string::npos) << report;
  EXPECT_NE(report.find("Favourite won                      50.0%"), std::string::npos) << report;
  EXPECT_NE(report.find("  EXACTA               1           20   -68.8%"), std::string::npos) << report;
}

// Over 5,000 races: the figures of real racing, each within its band. The
// bands are those of published figures, widened by about two and a half
// standard deviations of a sample this size.
TEST(SampleStatistics, GeneratedRacingPaysLikeRealRacing) {
  SampleStatistics s;
  const char* const kTracks[] = {"SAX", "BEL", "GPX", "KEE"};
  uint64_t seed = 31;
  for (const char* track : kTracks) {
    SampleOptions options;
    options.seed = seed++;
    options.track = track;
    options.year = 2025;
    options.month = 2;
    options.day = 1;
    options.days = 135;
    addSampleStatistics(options, s);
  }
  SCOPED_TRACE(statisticsReport(s));
  ASSERT_GE(s.races, 4800);

  // Fields of about 7.5 starters, from about 5 to 14.
  EXPECT_GT(s.meanField(), 7.2);
  EXPECT_LT(s.meanField(), 7.9);
  EXPECT_GE(s.smallestField, 4);
  EXPECT_LE(s.largestField, 14);

  // Favourites win about a third and run in the first three about 7 in 10;
  // betting them all loses 10 to 18 cents on the dollar.
  EXPECT_GT(s.favourite.hitRate(), 0.31);
  EXPECT_LT(s.favourite.hitRate(), 0.37);
  const double inMoney = static_cast<double>(s.favouriteInMoney) / static_cast<double>(s.races);
  EXPECT_GT(inMoney, 0.66);
  EXPECT_LT(inMoney, 0.72);
  EXPECT_GT(s.favourite.yield(), -0.22);
  EXPECT_LT(s.favourite.yield(), -0.07);
  // The morning line, made days before, finds fewer winners.
  EXPECT_GT(s.morningLineFavourite.hitRate(), 0.26);
  EXPECT_LT(s.morningLineFavourite.hitRate(), s.favourite.hitRate() - 0.015);

  // The favourite-longshot bias: horses under 2-1 lose about what the take
  // is, long shots far more.
  BetTally shortPrices, longShots;
  auto addTo = [](BetTally& into, const BetTally& from) {
    into.bets += from.bets;
    into.hits += from.hits;
    into.returned += from.returned;
  };
  for (const OddsBand& band : s.bands) {
    if (band.high <= 2.0) addTo(shortPrices, band.tally);
    if (band.low >= 30.0) addTo(longShots, band.tally);
  }
  EXPECT_GT(shortPrices.yield(), -0.24);
  EXPECT_LT(shortPrices.yield(), -0.07);
  EXPECT_GT(longShots.bets, s.starters / 20);
  EXPECT_LT(longShots.yield(), -0.25);
  EXPECT_LT(longShots.yield(), shortPrices.yield() - 0.15);

  // Every horse or combination of a pool, in every race: the take and the
  // bias together.
  EXPECT_GT(s.pool("WIN")->tally.yield(), -0.24);
  EXPECT_LT(s.pool("WIN")->tally.yield(), -0.16);
  EXPECT_GT(s.pool("EXACTA")->tally.yield(), -0.32);
  EXPECT_LT(s.pool("EXACTA")->tally.yield(), -0.21);
  EXPECT_GT(s.pool("TRIFECTA")->tally.yield(), -0.42);
  EXPECT_LT(s.pool("TRIFECTA")->tally.yield(), -0.26);
  for (const char* pool : {"PLACE", "SHOW", "QUINELLA", "DAILY DOUBLE"}) {
    EXPECT_GT(s.pool(pool)->tally.yield(), -0.35) << pool;
    EXPECT_LT(s.pool(pool)->tally.yield(), -0.15) << pool;
  }
}

}  // namespace
}  // namespace stridewell::gen
