// The SIM report card: how good the SIM's win chances are beside the
// public's (the morning line and the final odds), race by race. Each source
// gives every horse of a field a weight; the weights are normalised to sum
// to 1 over the field and judged on the race's winner: log loss, Brier
// score, pseudo-R^2 against an even chance for every horse, and a
// calibration table by chance band. Plain records filled in race order;
// the totals then come out the same however the races were scored.
#pragma once

#include <array>
#include <ostream>
#include <span>
#include <string_view>

namespace stridewell {

enum class ChanceSource { kSim, kMorningLine, kFinalOdds };
inline constexpr int kChanceSourceCount = 3;

// The chance bands of the calibration table: [0, 2%), [2%, 5%), ... [50%, 100%].
inline constexpr int kCalibrationBins = 9;
inline constexpr std::array<double, kCalibrationBins> kCalibrationBinStarts = {0.00, 0.02, 0.05, 0.10, 0.15,
                                                                               0.20, 0.30, 0.40, 0.50};

// The band of a chance from 0 to 1.
int calibrationBin(double chance);

struct CalibrationBin {
  int horses = 0;
  double expected = 0;  // sum of the chances
  int actual = 0;       // winners
  double variance = 0;  // sum of p (1 - p)
};

struct SourceCard {
  int races = 0;  // races judged by this source
  int horses = 0;
  // Races left out because the source gave some horse of the field no
  // chance (a missing morning line or final odds) or no usable weights.
  int racesWithoutChance = 0;
  double winnerLogSum = 0;  // sum over races of ln p(winner)
  double evenLogSum = 0;    // the same with p = 1 / field
  double brierSum = 0;      // sum over races of sum over the field of (p - won)^2
  std::array<CalibrationBin, kCalibrationBins> bins{};

  double logLoss() const;   // -winnerLogSum / races, 0 without races
  double brier() const;     // brierSum / races, 0 without races
  double pseudoR2() const;  // 1 - winnerLogSum / evenLogSum, 0 when that is 0
};

// Z of a band: (actual - expected) / sqrt(variance); 0 without variance.
double calibrationZ(const CalibrationBin& bin);

struct ReportCard {
  int races = 0;  // races counted (each has a winner and every horse a weight from the SIM)
  int horses = 0;
  // Races that met the criteria but could not be judged: no winner tied
  // to the field, a field the SIM cannot score. Set by the caller.
  int racesLeftOut = 0;
  int topPickWon = 0;    // the SIM's highest weight (lowest slot on a tie) won
  int winnerInTop3 = 0;  // the winner was among the SIM's three highest
  std::array<SourceCard, kChanceSourceCount> sources{};
};

// One race: the weights of every horse of the field from each source (in
// field order; any scale, since they are normalised; a weight of 0 or less
// or not finite means no chance known) and the winner's place in the
// field. False, with the card untouched, when the field is empty, the
// winner is outside it or the SIM's weights are not all positive and
// finite: such a race is not counted. A morning line or final odds with
// no chance for some horse leave the race out of that source only.
bool addRaceToCard(ReportCard& card, std::span<const double> simWeights, std::span<const double> lineWeights,
                   std::span<const double> oddsWeights, int winner);

// The implied chance of odds to 1: 1 / (odds + 1); 0 for odds of 0 or less
// (unknown).
double impliedChance(double odds);

// The figures as text: counts, hit rates, a table of the three sources and
// a calibration table for each.
void writeReportCard(std::ostream& out, const ReportCard& card);

std::string_view chanceSourceName(ChanceSource source);

}  // namespace stridewell
