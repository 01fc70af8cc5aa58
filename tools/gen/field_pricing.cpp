#include "field_pricing.h"

#include "random_source.h"
#include "running_lines.h"
#include "tote.h"

namespace stridewell::gen {
namespace {

constexpr int kMorningLineTrials = 1000;
// The morning line is made to add up to about 122 %, as track lines do.
constexpr double kMorningLineOverround = 1.22;

}  // namespace

double knownFigure(const std::vector<Jockey>& jockeys, const Horse& horse, const SimulatedRace& race,
                   char surface, bool wet) {
  double figure = horse.ability + 0.7 * jockeys[horse.jockey].skill + 0.8 * horse.trainerQuality;
  if (surface == 'T') figure += horse.turfEdge;
  if (!isSprintYards(race.yards)) figure += horse.routeEdge;
  if (wet) figure += horse.wetEdge;
  return figure;
}

void setMorningLine(RandomSource& random, const std::vector<Jockey>& jockeys, SimulatedRace& race) {
  // The track's handicapper sees the horses nearly as well as the public.
  std::vector<double> estimates;
  for (const Horse& horse : race.horses) {
    estimates.push_back(knownFigure(jockeys, horse, race, race.surface, false) +
                        random.normal(0, horse.career.empty() ? 4.5 : 3.2));
  }
  const FinishChances chances = simulateFinishChances(estimates, kPublicNoise, kMorningLineTrials, random);
  std::vector<double> interestChance(race.horses.size(), 0.0);
  for (size_t k = 0; k < race.horses.size(); ++k) interestChance[race.horses[k].interest] += chances.win[k];
  for (Horse& horse : race.horses) {
    const double chance = interestChance[horse.interest] * kMorningLineOverround;
    horse.morningLine10 = morningLineTenths(1.0 / chance - 1.0);
  }
}

}  // namespace stridewell::gen
