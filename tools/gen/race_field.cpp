#include "race_field.h"

#include <algorithm>
#include <numeric>

#include "names.h"
#include "random_source.h"

namespace stridewell::gen {

void drawProgramNumbers(RandomSource& random, SimulatedRace& race) {
  const int entries = static_cast<int>(race.horses.size());
  // Now and then two horses of one stable run coupled as "1" and "1A".
  if (entries >= 7 && random.chance(0.06)) {
    const int first = random.between(0, entries - 1);
    int second;
    do {
      second = random.between(0, entries - 1);
    } while (second == first);
    std::vector<Horse> ordered;
    ordered.push_back(race.horses[first]);
    ordered.push_back(race.horses[second]);
    for (int k = 0; k < entries; ++k) {
      if (k != first && k != second) ordered.push_back(race.horses[k]);
    }
    race.horses = std::move(ordered);
    race.horses[0].programNumber = "1";
    race.horses[1].programNumber = "1A";
    race.horses[0].interest = race.horses[1].interest = 0;
    for (int k = 2; k < entries; ++k) {
      race.horses[k].programNumber = std::to_string(k);
      race.horses[k].interest = k - 1;
    }
  } else {
    for (int k = 0; k < entries; ++k) {
      race.horses[k].programNumber = std::to_string(k + 1);
      race.horses[k].interest = k;
    }
  }
  for (int k = 0; k < entries; ++k) race.horses[k].post = k + 1;
}

void assignJockeys(RandomSource& random, const std::vector<Jockey>& jockeys, SimulatedRace& race) {
  // Better horses tend to get the better riders; each rider rides once a race.
  std::vector<int> byAbility(race.horses.size());
  std::iota(byAbility.begin(), byAbility.end(), 0);
  std::stable_sort(byAbility.begin(), byAbility.end(),
                   [&](int a, int b) { return race.horses[a].ability > race.horses[b].ability; });
  std::vector<int> free(jockeys.size());
  std::iota(free.begin(), free.end(), 0);  // best rider first
  for (int h : byAbility) {
    const size_t choice =
        random.chance(0.55) ? 0 : static_cast<size_t>(random.between(0, static_cast<int>(free.size()) - 1));
    race.horses[h].jockey = free[choice];
    free.erase(free.begin() + static_cast<std::ptrdiff_t>(choice));
  }
  // Riders of the past races: often today's, otherwise one of the colony
  // or a rider from elsewhere.
  for (Horse& horse : race.horses) {
    for (PastStart& start : horse.career) {
      const size_t who = random.weighted({0.45, 0.45, 0.10});
      if (who == 0) {
        start.jockey = jockeys[static_cast<size_t>(horse.jockey)].name;
      } else if (who == 1) {
        start.jockey = random.pick(jockeys).name;
      } else {
        start.jockey = jockeyName(random);
      }
    }
  }
}

}  // namespace stridewell::gen
