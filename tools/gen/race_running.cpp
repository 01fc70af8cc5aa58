#include "race_running.h"

#include <algorithm>

#include "field_pricing.h"
#include "race_classes.h"
#include "race_texts.h"
#include "random_source.h"
#include "running_lines.h"
#include "tote.h"

namespace stridewell::gen {
namespace {

// Enough trials that a 100-1 shot's chance is not lost in the counting.
constexpr int kCrowdTrials = 4000;

}  // namespace

void runRace(RandomSource& random, const std::vector<Jockey>& jockeys, bool majorTrack, double straightTake,
             SimulatedRace& race) {
  std::vector<int> starters;
  for (int k = 0; k < static_cast<int>(race.horses.size()); ++k) {
    if (!race.horses[k].scratched) starters.push_back(k);
  }
  const bool wet = isWetCondition(race.condition);
  std::vector<double> publicView;
  std::vector<double> publicSpread;
  for (int h : starters) {
    Horse& horse = race.horses[h];
    const double known = knownFigure(jockeys, horse, race, race.runSurface, wet);
    horse.performance = known + random.normal(0, horse.inconsistency) + random.normal(0, kRaceLuck);
    publicView.push_back(publicFigure(random, known, horse));
    publicSpread.push_back(publicSpreadOf(horse));
  }

  race.finishOrder = starters;
  std::stable_sort(race.finishOrder.begin(), race.finishOrder.end(),
                   [&](int a, int b) { return race.horses[a].performance > race.horses[b].performance; });
  for (size_t place = 0; place < race.finishOrder.size(); ++place) {
    race.horses[race.finishOrder[place]].finish = static_cast<int>(place) + 1;
  }

  const FinishChances chances = simulateFinishChances(publicView, publicSpread, kCrowdTrials, random);
  const double poolScale = (race.simulcast || isStakesClass(race.raceClass)) ? 1.8 : 1.0;
  const auto winPool = static_cast<int64_t>(
      (majorTrack ? random.uniform(250000, 700000) : random.uniform(25000, 90000)) * poolScale);
  settleStraightWagers(race, starters, chances, straightTake, winPool);

  // Running lines of the starters: early order from running style, drifting
  // to the finish order; lengths are the gaps added up from the leader.
  const double perLength = pointsPerLength(race.yards);
  const Horse& winner = race.horses[race.finishOrder[0]];
  race.winnerTime100 = finalTime100(race.yards, winner.performance, race.runSurface, wet);
  const size_t n = starters.size();
  std::vector<double> earlyKey(race.horses.size(), 0.0);
  for (int h : starters) earlyKey[h] = (1.0 - race.horses[h].earlySpeed) * 8 + random.normal(0, 1.2);
  std::vector<int> earlyOrder = starters;
  std::stable_sort(earlyOrder.begin(), earlyOrder.end(),
                   [&](int a, int b) { return earlyKey[a] < earlyKey[b]; });
  std::vector<double> earlyRank(race.horses.size(), 0.0);
  for (size_t r = 0; r < n; ++r) earlyRank[earlyOrder[r]] = static_cast<double>(r);
  static constexpr double kWeights[] = {0.0, 0.25, 0.5, 0.8};
  static constexpr double kGapHigh[] = {0.6, 1.6, 1.8, 2.0};
  for (int call = 0; call < 4; ++call) {
    std::vector<double> key(race.horses.size(), 0.0);
    for (int h : starters) {
      const double w = kWeights[call];
      key[h] =
          (1 - w) * earlyRank[h] + w * (race.horses[h].finish - 1) + (call > 0 ? random.normal(0, 0.6) : 0.0);
    }
    std::vector<int> order = starters;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return key[a] < key[b]; });
    int behind = 0;
    for (size_t r = 0; r < n; ++r) {
      Horse& horse = race.horses[order[r]];
      if (r > 0) behind += quantizeLengths100(random.uniform(0.05, kGapHigh[call]));
      horse.calls.position[call] = static_cast<int>(r) + 1;
      horse.calls.lengths[call] = behind;
    }
  }
  int previous = 0;
  for (size_t place = 0; place < n; ++place) {
    Horse& horse = race.horses[race.finishOrder[place]];
    int lengths = 0;
    if (place > 0) {
      lengths = quantizeLengths100((winner.performance - horse.performance) * 0.85 / perLength);
      lengths = std::max({lengths, previous, 5});
    }
    horse.calls.position[kFinishCall] = static_cast<int>(place) + 1;
    horse.calls.lengths[kFinishCall] = lengths;
    previous = lengths;
    horse.trip = tripComment(random, horse.finish, static_cast<int>(n), random.chance(0.12),
                             horse.calls.position[1] == 1);
  }
}

}  // namespace stridewell::gen
