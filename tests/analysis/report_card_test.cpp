// The SIM report card's figures on two small races worked out by hand, the
// chance bands, the races it refuses, an even source scoring nothing, and
// the figures checked against a plain recomputation over many races.
#include "analysis/report_card.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace stridewell {
namespace {

constexpr double kTight = 1e-9;

const SourceCard& sourceOf(const ReportCard& card, ChanceSource source) {
  return card.sources[static_cast<size_t>(source)];
}

// Race A, three horses, slot 0 wins:
//   SIM weights 2,1,1        -> chances .5, .25, .25
//   morning line 1, 3, 3     -> implied .5, .25, .25 (sum 1)
//   final odds 4, 1, 4       -> implied .2, .5, .2 (sum .9) -> 2/9, 5/9, 2/9
// Race B, four horses, slot 2 wins:
//   SIM weights 1,1,1,1      -> .25 each
//   morning line -, 2, 2, 2  -> slot 0 has none: the race is left out of this source
//   final odds 1, 1, 3, 3    -> implied .5, .5, .25, .25 (sum 1.5) -> 1/3, 1/3, 1/6, 1/6
ReportCard handCard() {
  ReportCard card;
  const std::vector<double> simA{2, 1, 1}, lineA{impliedChance(1), impliedChance(3), impliedChance(3)},
      oddsA{impliedChance(4), impliedChance(1), impliedChance(4)};
  EXPECT_TRUE(addRaceToCard(card, simA, lineA, oddsA, 0));
  const std::vector<double> simB{1, 1, 1, 1},
      lineB{impliedChance(0), impliedChance(2), impliedChance(2), impliedChance(2)},
      oddsB{impliedChance(1), impliedChance(1), impliedChance(3), impliedChance(3)};
  EXPECT_TRUE(addRaceToCard(card, simB, lineB, oddsB, 2));
  return card;
}

TEST(ReportCardTest, CountsAndHitRatesByHand) {
  const ReportCard card = handCard();
  EXPECT_EQ(card.races, 2);
  EXPECT_EQ(card.horses, 7);
  // A: slot 0 is the top pick and won. B: all level, slots 0 and 1 come
  // first, so the winner (slot 2) is third: in the top 3, not the top pick.
  EXPECT_EQ(card.topPickWon, 1);
  EXPECT_EQ(card.winnerInTop3, 2);
}

TEST(ReportCardTest, SourceFiguresByHand) {
  const ReportCard card = handCard();
  struct Case {
    ChanceSource source;
    int races, leftOut, horses;
    double logLoss, brier, pseudoR2;
  };
  const double ln2 = std::log(2.0), ln3 = std::log(3.0), ln4 = std::log(4.0);
  const Case cases[] = {
      // SIM: L = ln .5 + ln .25 = -3 ln 2; L0 = -ln 3 - ln 4 = -ln 12.
      // Brier A = .25 + .0625 + .0625 = .375; B = 3 x .0625 + .5625 = .75.
      {ChanceSource::kSim, 2, 0, 7, 3 * ln2 / 2, (0.375 + 0.75) / 2, 1 - 3 * ln2 / std::log(12.0)},
      // Morning line, race A only: L = ln .5; L0 = -ln 3; Brier .375.
      {ChanceSource::kMorningLine, 1, 1, 3, ln2, 0.375, 1 - ln2 / ln3},
      // Final odds: L = ln(2/9) + ln(1/6); Brier A = 49/81 + 25/81 + 4/81 = 78/81,
      // B = 1/9 + 1/9 + 25/36 + 1/36 = 34/36.
      {ChanceSource::kFinalOdds, 2, 0, 7, -(std::log(2.0 / 9) + std::log(1.0 / 6)) / 2,
       (78.0 / 81 + 34.0 / 36) / 2, 1 - (std::log(2.0 / 9) + std::log(1.0 / 6)) / (-ln3 - ln4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(chanceSourceName(c.source));
    const SourceCard& source = sourceOf(card, c.source);
    EXPECT_EQ(source.races, c.races);
    EXPECT_EQ(source.racesWithoutChance, c.leftOut);
    EXPECT_EQ(source.horses, c.horses);
    EXPECT_NEAR(source.logLoss(), c.logLoss, kTight);
    EXPECT_NEAR(source.brier(), c.brier, kTight);
    EXPECT_NEAR(source.pseudoR2(), c.pseudoR2, kTight);
  }
  // The same in decimals, as worked on paper.
  EXPECT_NEAR(sourceOf(card, ChanceSource::kSim).logLoss(), 1.0397208, 1e-7);
  EXPECT_NEAR(sourceOf(card, ChanceSource::kSim).pseudoR2(), 0.1631712, 1e-7);
  EXPECT_NEAR(sourceOf(card, ChanceSource::kMorningLine).pseudoR2(), 0.3690702, 1e-7);
  EXPECT_NEAR(sourceOf(card, ChanceSource::kFinalOdds).logLoss(), 1.6479184, 1e-7);
  EXPECT_NEAR(sourceOf(card, ChanceSource::kFinalOdds).pseudoR2(), -0.3263423, 1e-7);
  EXPECT_NEAR(sourceOf(card, ChanceSource::kFinalOdds).brier(), 0.9537037, 1e-7);
}

TEST(ReportCardTest, CalibrationBandsByHand) {
  const ReportCard card = handCard();
  struct Case {
    ChanceSource source;
    int bin;
    int horses;
    double expected;
    int actual;
    double z;
  };
  const Case cases[] = {
      // SIM .5 (A's winner): var .25, Z = (1 - .5) / .5 = 1.
      {ChanceSource::kSim, 8, 1, 0.5, 1, 1.0},
      // SIM .25: two of A, four of B (B's winner among them): expected 1.5,
      // var 6 x .1875 = 1.125, Z = -.5 / sqrt(1.125) = -.4714045.
      {ChanceSource::kSim, 5, 6, 1.5, 1, -0.4714045},
      // Final odds 2/9 (A, the winner one of them): var 2 x 2/9 x 7/9 = 28/81,
      // Z = (1 - 4/9) / sqrt(28/81) = .9449112.
      {ChanceSource::kFinalOdds, 5, 2, 4.0 / 9, 1, 0.9449112},
      // 1/6 (B, the winner one of them): var 2 x 5/36, Z = (2/3) / sqrt(10/36) = 1.2649111.
      {ChanceSource::kFinalOdds, 4, 2, 1.0 / 3, 1, 1.2649111},
      // 1/3 (B): var 4/9, Z = -(2/3) / (2/3) = -1.
      {ChanceSource::kFinalOdds, 6, 2, 2.0 / 3, 0, -1.0},
      // 5/9 (A): var 20/81, Z = -(5/9) / (sqrt 20 / 9) = -1.1180340.
      {ChanceSource::kFinalOdds, 8, 1, 5.0 / 9, 0, -1.1180340},
      // Morning line: race A only.
      {ChanceSource::kMorningLine, 8, 1, 0.5, 1, 1.0},
      {ChanceSource::kMorningLine, 5, 2, 0.5, 0, -0.5 / std::sqrt(2 * 0.1875)},
      {ChanceSource::kMorningLine, 0, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(chanceSourceName(c.source)) + " bin " + std::to_string(c.bin));
    const CalibrationBin& bin = sourceOf(card, c.source).bins[static_cast<size_t>(c.bin)];
    EXPECT_EQ(bin.horses, c.horses);
    EXPECT_NEAR(bin.expected, c.expected, kTight);
    EXPECT_EQ(bin.actual, c.actual);
    EXPECT_NEAR(calibrationZ(bin), c.z, 1e-7);
  }
  // Every horse judged is in exactly one band.
  for (int s = 0; s < kChanceSourceCount; ++s) {
    int horses = 0;
    for (const CalibrationBin& bin : card.sources[static_cast<size_t>(s)].bins) horses += bin.horses;
    EXPECT_EQ(horses, card.sources[static_cast<size_t>(s)].horses) << s;
  }
}

TEST(ReportCardTest, BandEdgesAndImpliedChances) {
  struct Case {
    double chance;
    int bin;
  };
  const Case cases[] = {{0.0, 0},    {0.0199, 0}, {0.02, 1}, {0.0499, 1}, {0.05, 2},   {0.1, 3}, {0.15, 4},
                        {0.1999, 4}, {0.2, 5},    {0.3, 6},  {0.4, 7},    {0.4999, 7}, {0.5, 8}, {1.0, 8}};
  for (const Case& c : cases) EXPECT_EQ(calibrationBin(c.chance), c.bin) << c.chance;
  EXPECT_DOUBLE_EQ(impliedChance(4), 0.2);
  EXPECT_DOUBLE_EQ(impliedChance(0.5), 1 / 1.5);
  EXPECT_EQ(impliedChance(0), 0.0);
  EXPECT_EQ(impliedChance(-2), 0.0);
  EXPECT_EQ(impliedChance(std::nan("")), 0.0);
  EXPECT_EQ(impliedChance(INFINITY), 0.0);
}

TEST(ReportCardTest, RacesThatCannotBeJudgedLeaveTheCardAlone) {
  const std::vector<double> three{1, 2, 3};
  struct Case {
    const char* what;
    std::vector<double> sim;
    int winner;
  };
  const Case cases[] = {
      {"empty field", {}, 0},
      {"winner past the field", {1, 2, 3}, 3},
      {"no winner", {1, 2, 3}, -1},
      {"a SIM weight of 0", {1, 0, 3}, 0},
      {"a negative SIM weight", {1, -1, 3}, 0},
      {"a SIM weight not a number", {1, std::nan(""), 3}, 0},
      {"an endless SIM weight", {1, INFINITY, 3}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ReportCard card = handCard();
    const ReportCard before = card;
    const std::vector<double> others(c.sim.size(), 1.0);
    EXPECT_FALSE(addRaceToCard(card, c.sim, others, others, c.winner));
    EXPECT_EQ(card.races, before.races);
    EXPECT_EQ(card.horses, before.horses);
    for (int s = 0; s < kChanceSourceCount; ++s) {
      EXPECT_EQ(card.sources[static_cast<size_t>(s)].races, before.sources[static_cast<size_t>(s)].races);
      EXPECT_EQ(card.sources[static_cast<size_t>(s)].winnerLogSum,
                before.sources[static_cast<size_t>(s)].winnerLogSum);
    }
  }
  // Sources of another length than the field.
  ReportCard card;
  EXPECT_FALSE(addRaceToCard(card, three, std::vector<double>{1, 1}, three, 0));
  EXPECT_EQ(card.races, 0);
}

TEST(ReportCardTest, EvenChancesScoreNoPseudoR2) {
  // Every source gives 1/n: L equals L0 whatever the fields and winners.
  ReportCard card;
  for (const int field : {5, 8, 12, 7}) {
    const std::vector<double> even(static_cast<size_t>(field), 3.5);
    ASSERT_TRUE(addRaceToCard(card, even, even, even, field / 2));
  }
  for (int s = 0; s < kChanceSourceCount; ++s) {
    const SourceCard& source = card.sources[static_cast<size_t>(s)];
    EXPECT_NEAR(source.pseudoR2(), 0.0, 1e-12) << s;
    // Log loss: (ln 5 + ln 8 + ln 12 + ln 7) / 4.
    EXPECT_NEAR(source.logLoss(), std::log(5.0 * 8 * 12 * 7) / 4, 1e-12);
  }
}

TEST(ReportCardTest, MatchesAPlainRecomputationOverManyRaces) {
  std::mt19937 random(19);
  std::uniform_real_distribution<double> weight(0.05, 3.0);
  std::uniform_int_distribution<int> fieldSize(5, 14);
  ReportCard card;
  double logSum = 0, evenSum = 0, brierSum = 0;
  int top1 = 0, top3 = 0;
  std::vector<int> bandHorses(kCalibrationBins), bandWins(kCalibrationBins);
  const int races = 300;
  for (int r = 0; r < races; ++r) {
    const int field = fieldSize(random);
    std::vector<double> sim(static_cast<size_t>(field));
    for (double& w : sim) w = weight(random);
    const int winner = std::uniform_int_distribution<int>(0, field - 1)(random);
    ASSERT_TRUE(addRaceToCard(card, sim, sim, sim, winner));
    double total = 0;
    for (const double w : sim) total += w;
    logSum += std::log(sim[static_cast<size_t>(winner)] / total);
    evenSum += std::log(1.0 / field);
    int better = 0;
    for (int i = 0; i < field; ++i) {
      const double p = sim[static_cast<size_t>(i)] / total;
      brierSum += (p - (i == winner)) * (p - (i == winner));
      if (sim[static_cast<size_t>(i)] > sim[static_cast<size_t>(winner)]) ++better;
      // Bands found by their own search, from the top.
      int band = kCalibrationBins - 1;
      while (band > 0 && p < kCalibrationBinStarts[static_cast<size_t>(band)]) --band;
      ++bandHorses[static_cast<size_t>(band)];
      bandWins[static_cast<size_t>(band)] += i == winner;
    }
    top1 += better == 0;
    top3 += better < 3;
  }
  EXPECT_EQ(card.races, races);
  EXPECT_EQ(card.topPickWon, top1);
  EXPECT_EQ(card.winnerInTop3, top3);
  for (int s = 0; s < kChanceSourceCount; ++s) {
    const SourceCard& source = card.sources[static_cast<size_t>(s)];
    EXPECT_NEAR(source.logLoss(), -logSum / races, 1e-9);
    EXPECT_NEAR(source.brier(), brierSum / races, 1e-9);
    EXPECT_NEAR(source.pseudoR2(), 1 - logSum / evenSum, 1e-9);
    for (int b = 0; b < kCalibrationBins; ++b) {
      EXPECT_EQ(source.bins[static_cast<size_t>(b)].horses, bandHorses[static_cast<size_t>(b)]) << b;
      EXPECT_EQ(source.bins[static_cast<size_t>(b)].actual, bandWins[static_cast<size_t>(b)]) << b;
    }
  }
}

TEST(ReportCardTest, ReportTextOfTheHandRaces) {
  std::ostringstream out;
  ReportCard card = handCard();
  card.racesLeftOut = 3;
  writeReportCard(out, card);
  const std::string text = out.str();
  const char* lines[] = {
      "Races counted:    2\n",
      "Horses counted:   7\n",
      "Races left out:   3\n",
      "Top pick won:      50.00%  (1 of 2)\n",
      "Winner in top 3:  100.00%  (2 of 2)\n",
      "Source         Races  Left out  Log loss   Brier  Pseudo-R2\n",
      // 1.0397208, .5625, .1631750
      "SIM                2         0    1.0397  0.5625     0.1632\n",
      // .6931472, .375, .3690702
      "Morning line       1         1    0.6931  0.3750     0.3691\n",
      // 1.6479184, .9537037, -.3263444
      "Final odds         2         0    1.6479  0.9537    -0.3263\n",
      "\nCalibration: SIM\nChance      Horses  Expected  Actual       Z\n0-2%             0      0.00       "
      "0    0.00\n",
      "20-30%           6      1.50       1   -0.47\n",
      "50%+             1      0.50       1    1.00\n",
      "\nCalibration: Final odds\n",
      "15-20%           2      0.33       1    1.26\n",
  };
  for (const char* line : lines) EXPECT_NE(text.find(line), std::string::npos) << line << "in\n" << text;
}

}  // namespace
}  // namespace stridewell
