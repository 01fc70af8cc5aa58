#include "analysis/report_card.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace stridewell {
namespace {

// Normalises `weights` into `chances`; false when some weight is not a
// usable chance (0 or less, or not finite) or the sum is not finite.
bool normalise(std::span<const double> weights, std::span<double> chances) {
  double total = 0;
  for (const double weight : weights) {
    if (!(weight > 0) || !std::isfinite(weight)) return false;
    total += weight;
  }
  if (!std::isfinite(total) || !(total > 0)) return false;
  for (size_t i = 0; i < weights.size(); ++i) chances[i] = weights[i] / total;
  return true;
}

void addSource(SourceCard& source, std::span<const double> weights, int winner) {
  double chances[256];
  const std::span<double> p(chances, weights.size());
  if (weights.size() > std::size(chances) || !normalise(weights, p)) {
    ++source.racesWithoutChance;
    return;
  }
  ++source.races;
  source.horses += static_cast<int>(p.size());
  source.winnerLogSum += std::log(p[static_cast<size_t>(winner)]);
  source.evenLogSum -= std::log(static_cast<double>(p.size()));
  for (size_t i = 0; i < p.size(); ++i) {
    const bool won = static_cast<int>(i) == winner;
    const double miss = p[i] - (won ? 1.0 : 0.0);
    source.brierSum += miss * miss;
    CalibrationBin& bin = source.bins[static_cast<size_t>(calibrationBin(p[i]))];
    ++bin.horses;
    bin.expected += p[i];
    bin.actual += won ? 1 : 0;
    bin.variance += p[i] * (1.0 - p[i]);
  }
}

std::string format(const char* pattern, auto... values) {
  char line[160];
  std::snprintf(line, sizeof line, pattern, values...);
  return line;
}

std::string percentOf(int part, int whole) {
  return format("%6.2f%%", whole > 0 ? 100.0 * part / whole : 0.0);
}

}  // namespace

int calibrationBin(double chance) {
  int bin = 0;
  for (int i = 1; i < kCalibrationBins; ++i) {
    if (chance >= kCalibrationBinStarts[static_cast<size_t>(i)]) bin = i;
  }
  return bin;
}

double SourceCard::logLoss() const {
  return races > 0 ? -winnerLogSum / races : 0.0;
}

double SourceCard::brier() const {
  return races > 0 ? brierSum / races : 0.0;
}

double SourceCard::pseudoR2() const {
  return evenLogSum != 0 ? 1.0 - winnerLogSum / evenLogSum : 0.0;
}

double calibrationZ(const CalibrationBin& bin) {
  return bin.variance > 0 ? (bin.actual - bin.expected) / std::sqrt(bin.variance) : 0.0;
}

double impliedChance(double odds) {
  return odds > 0 && std::isfinite(odds) ? 1.0 / (odds + 1.0) : 0.0;
}

std::string_view chanceSourceName(ChanceSource source) {
  switch (source) {
    case ChanceSource::kSim:
      return "SIM";
    case ChanceSource::kMorningLine:
      return "Morning line";
    case ChanceSource::kFinalOdds:
      return "Final odds";
  }
  return "";
}

bool addRaceToCard(ReportCard& card, std::span<const double> simWeights, std::span<const double> lineWeights,
                   std::span<const double> oddsWeights, int winner) {
  const size_t field = simWeights.size();
  if (field == 0 || winner < 0 || static_cast<size_t>(winner) >= field || lineWeights.size() != field ||
      oddsWeights.size() != field) {
    return false;
  }
  double total = 0;
  for (const double weight : simWeights) {
    if (!(weight > 0) || !std::isfinite(weight)) return false;
    total += weight;
  }
  if (!std::isfinite(total)) return false;

  // The winner's place in the SIM's order: horses weighted higher, or
  // level and in a lower slot, come before it.
  const double winnerWeight = simWeights[static_cast<size_t>(winner)];
  int ahead = 0;
  for (size_t i = 0; i < field; ++i) {
    if (simWeights[i] > winnerWeight || (simWeights[i] == winnerWeight && static_cast<int>(i) < winner))
      ++ahead;
  }
  ++card.races;
  card.horses += static_cast<int>(field);
  if (ahead == 0) ++card.topPickWon;
  if (ahead < 3) ++card.winnerInTop3;
  addSource(card.sources[static_cast<size_t>(ChanceSource::kSim)], simWeights, winner);
  addSource(card.sources[static_cast<size_t>(ChanceSource::kMorningLine)], lineWeights, winner);
  addSource(card.sources[static_cast<size_t>(ChanceSource::kFinalOdds)], oddsWeights, winner);
  return true;
}

void writeReportCard(std::ostream& out, const ReportCard& card) {
  out << format("Races counted:    %d\n", card.races);
  out << format("Horses counted:   %d\n", card.horses);
  out << format("Races left out:   %d\n", card.racesLeftOut);
  out << "Top pick won:     " << percentOf(card.topPickWon, card.races)
      << format("  (%d of %d)\n", card.topPickWon, card.races);
  out << "Winner in top 3:  " << percentOf(card.winnerInTop3, card.races)
      << format("  (%d of %d)\n", card.winnerInTop3, card.races);
  out << '\n';
  out << "Source         Races  Left out  Log loss   Brier  Pseudo-R2\n";
  for (int s = 0; s < kChanceSourceCount; ++s) {
    const SourceCard& source = card.sources[static_cast<size_t>(s)];
    out << format("%-13s %6d  %8d  %8.4f  %6.4f  %9.4f\n",
                  std::string(chanceSourceName(static_cast<ChanceSource>(s))).c_str(), source.races,
                  source.racesWithoutChance, source.logLoss(), source.brier(), source.pseudoR2());
  }
  for (int s = 0; s < kChanceSourceCount; ++s) {
    const SourceCard& source = card.sources[static_cast<size_t>(s)];
    out << "\nCalibration: " << chanceSourceName(static_cast<ChanceSource>(s)) << '\n';
    out << "Chance      Horses  Expected  Actual       Z\n";
    for (int b = 0; b < kCalibrationBins; ++b) {
      const CalibrationBin& bin = source.bins[static_cast<size_t>(b)];
      const int low = static_cast<int>(std::lround(kCalibrationBinStarts[static_cast<size_t>(b)] * 100));
      const std::string band =
          b + 1 < kCalibrationBins
              ? format("%d-%d%%", low,
                       static_cast<int>(std::lround(kCalibrationBinStarts[static_cast<size_t>(b) + 1] * 100)))
              : format("%d%%+", low);
      out << format("%-9s %8d  %8.2f  %6d  %6.2f\n", band.c_str(), bin.horses, bin.expected, bin.actual,
                    calibrationZ(bin));
    }
  }
}

}  // namespace stridewell
