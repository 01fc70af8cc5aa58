#include "handicap/zurovurezode.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "patterns/horse_encoding.h"

namespace stridewell {
namespace {

struct Factor {
  int input;
  std::string_view label;
};

// Inputs in ascending order; the findings of a horse are listed in this order.
constexpr Factor kFactors[] = {
    {6, "-Horse days since last race"},
    {7, "+Horse average earnings per start"},
    {43, "+Horse starts"},
    {45, "+Horse wins"},
    {51, "+Recent good races"},
    {53, "-Recent failures"},
    {54, "+Recent speed points"},
    {55, "+Average speed rating"},
    {56, "+Last money class"},
    {57, "-Last money finishpos"},
    {64, "+Jockey good races"},
    {65, "+Recent speed rating"},
    {71, "+Horse BRIS PrimePower"},
    {73, "+Horse BRIS Avg Competitive Level"},
    {74, "+Horse BRIS CurrentClass"},
    {79, "+Trainer Win Percent"},
    {80, "+Trainer In-Money Percent"},
    {81, "+Jockey Win Percent"},
    {82, "+Jockey In-Money Percent"},
    {83, "+Recent class rating"},
    {84, "+Recent race level"},
};

constexpr std::array<std::string_view, kHorseInputCount> kLabels = [] {
  std::array<std::string_view, kHorseInputCount> labels{};
  for (const Factor& factor : kFactors) labels[factor.input] = factor.label;
  return labels;
}();

constexpr int kMinHorses = 5;
constexpr int kMaxListed = 20;  // findings listed per horse; all of them count
constexpr int kMaxAlerts = 3;
constexpr double kMinVariance = 0.000001;

struct Findings {
  int hits = 0;
  int listed = 0;
  std::array<uint8_t, kMaxListed> inputs{};
};

// "%02d" of a confidence, which is 1 to 99.
std::string twoDigits(int number) {
  return (number < 10 ? "0" : "") + std::to_string(number);
}

// "%-35.35s": cut to 35 characters and padded to them.
std::string labelColumn(std::string_view label) {
  std::string column(label.substr(0, 35));
  column.resize(35, ' ');
  return column;
}

}  // namespace

std::string_view zuroVurezodeLabel(int input) {
  return (input >= 0 && input < kHorseInputCount) ? kLabels[input] : std::string_view();
}

ZuroVurezodeReport analyzeRace(const RaceProfile& profile) {
  return analyzeRace(profile, encodeHorse);
}

ZuroVurezodeReport analyzeRace(const RaceProfile& profile, HorseEncoder encode) {
  ZuroVurezodeReport report;
  const int n = profile.horseCount;
  if (n < kMinHorses || n > kMaxHorses) return report;

  std::vector<HorseInputs> inputs(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    if (encode(profile.horses[i], inputs[i]) != kHorseInputCount) {
      report.text = "INTERNAL ERROR\n";
      report.internalError = true;
      return report;
    }
  }

  std::array<Findings, kMaxHorses> findings{};
  for (const Factor& factor : kFactors) {
    const int c = factor.input;
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += inputs[i][c];
    const double mean = sum / n;
    double squares = 0;
    for (int i = 0; i < n; ++i) squares += (inputs[i][c] - mean) * (inputs[i][c] - mean);
    const double variance = squares / (n - 1);
    if (variance < kMinVariance) continue;  // the field agrees: nobody stands out
    const double sd = std::sqrt(variance);
    const bool highIsGood = factor.label.front() == '+';
    for (int i = 0; i < n; ++i) {
      const double value = inputs[i][c];
      // A low-is-good factor of 0 means "no figure" (no past race, no money
      // finish), which is no achievement.
      const bool hit = highIsGood ? value > mean + 2 * sd : (value > 0 && value < mean - 2 * sd);
      if (!hit) continue;
      Findings& horse = findings[i];
      ++horse.hits;
      if (horse.listed < kMaxListed) horse.inputs[horse.listed++] = static_cast<uint8_t>(c);
    }
  }

  int total = 0;
  for (int i = 0; i < n; ++i) total += findings[i].hits;
  if (total == 0) {
    report.text = "ZuroVurezode found no alerts for this race.\n";
    return report;
  }

  std::array<int, kMaxHorses> confidence{};
  for (int i = 0; i < n; ++i) confidence[i] = std::min(findings[i].hits * 100 / total, 99);

  for (int round = 0; round < kMaxAlerts; ++round) {
    int best = 0;
    for (int i = 1; i < n; ++i) {
      if (confidence[i] > confidence[best]) best = i;  // the lower slot wins a tie
    }
    if (confidence[best] < 1) break;  // nobody else has a finding
    report.alerts.push_back(best);
    const HorseProfile& horse = profile.horses[best];
    const std::string_view name(horse.name, strnlen(horse.name, sizeof horse.name));
    report.text += "ALERT: ZuroVurezode finds horse '" + std::string(name) + "' exceptional\n" +
                   "       with a " + twoDigits(confidence[best]) +
                   "% confidence rating for the following reasons:\n";
    for (int k = 0; k < findings[best].listed; ++k) {
      report.text += "           " + labelColumn(kLabels[findings[best].inputs[k]]) +
                     " - far better than rest of field\n";
    }
    confidence[best] = 0;
  }
  return report;
}

}  // namespace stridewell
