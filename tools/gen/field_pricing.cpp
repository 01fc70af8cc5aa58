#include "field_pricing.h"

#include <cmath>

#include "random_source.h"
#include "running_lines.h"
#include "tote.h"

namespace stridewell::gen {
namespace {

constexpr int kMorningLineTrials = 1000;
// The morning line is made to add up to about 122 %, as track lines do.
constexpr double kMorningLineOverround = 1.22;

// How much of the last race's luck, good or bad, the public takes for form.
constexpr double kLastRaceWeight = 0.2;
// The public's blur on the known figure, for horses that have raced and
// for first-time starters, and the handicapper's, days before the race.
constexpr double kPublicBlur = 1.0;
constexpr double kPublicFirstStarterBlur = 2.0;
constexpr double kLineBlur = 3.6;
constexpr double kLineFirstStarterBlur = 5.0;
// The spread the public allows a horse is what its form shows, a little
// wider; a first-time starter's is a guess. The handicapper allows every
// horse the same spread.
constexpr double kPublicWidening = 1.05;
constexpr double kFirstStarterSpread = 7.5;
constexpr double kLineSpread = 7.5;

}  // namespace

double knownFigure(const std::vector<Jockey>& jockeys, const Horse& horse, const SimulatedRace& race,
                   char surface, bool wet) {
  double figure = horse.ability + 0.7 * jockeys[horse.jockey].skill + 0.8 * horse.trainerQuality;
  if (surface == 'T') figure += horse.turfEdge;
  if (!isSprintYards(race.yards)) figure += horse.routeEdge;
  if (wet) figure += horse.wetEdge;
  return figure;
}

double publicFigure(RandomSource& random, double known, const Horse& horse) {
  if (horse.career.empty()) return known + random.normal(0, kPublicFirstStarterBlur);
  const PastStart& last = horse.career.front();
  return known + kLastRaceWeight * (last.figure - last.expected) + random.normal(0, kPublicBlur);
}

double publicSpreadOf(const Horse& horse) {
  if (horse.career.empty()) return kFirstStarterSpread;
  return kPublicWidening * std::sqrt(horse.inconsistency * horse.inconsistency + kRaceLuck * kRaceLuck);
}

void setMorningLine(RandomSource& random, const std::vector<Jockey>& jockeys, SimulatedRace& race) {
  std::vector<double> estimates;
  for (const Horse& horse : race.horses) {
    double estimate = knownFigure(jockeys, horse, race, race.surface, false);
    if (!horse.career.empty()) {
      const PastStart& last = horse.career.front();
      estimate += kLastRaceWeight * (last.figure - last.expected);
    }
    estimates.push_back(estimate +
                        random.normal(0, horse.career.empty() ? kLineFirstStarterBlur : kLineBlur));
  }
  const std::vector<double> spreads(race.horses.size(), kLineSpread);
  const FinishChances chances = simulateFinishChances(estimates, spreads, kMorningLineTrials, random);
  std::vector<double> interestChance(race.horses.size(), 0.0);
  for (size_t k = 0; k < race.horses.size(); ++k) interestChance[race.horses[k].interest] += chances.win[k];
  for (Horse& horse : race.horses) {
    const double chance = interestChance[horse.interest] * kMorningLineOverround;
    horse.morningLine10 = morningLineTenths(1.0 / chance - 1.0);
  }
}

}  // namespace stridewell::gen
