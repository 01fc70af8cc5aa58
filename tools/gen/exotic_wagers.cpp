#include "exotic_wagers.h"

#include <algorithm>
#include <string>

#include "random_source.h"
#include "tote.h"

namespace stridewell::gen {

void settleExotics(RandomSource& random, bool quinellaOffered, double exoticTake,
                   std::vector<SimulatedRace>& races) {
  const int raceCount = static_cast<int>(races.size());
  for (int r = 0; r < raceCount; ++r) {
    SimulatedRace& race = races[r];
    const std::vector<int>& order = race.finishOrder;
    const size_t starters = order.size();
    // Horse-level public chances among the starters, for Harville's
    // formula: the chance of a given order is each horse's share of what
    // is left once the horses ahead of it are taken out.
    double total = 0;
    for (int h : order) total += race.crowdWinChance[h];
    auto share = [&](size_t place) { return race.crowdWinChance[order[place]] / total; };
    auto orderChance = [&](size_t places) {
      double chance = 1.0;
      double left = 1.0;
      for (size_t place = 0; place < places; ++place) {
        chance *= share(place) / std::max(left, 1e-9);
        left -= share(place);
      }
      return chance;
    };
    auto combination = [&](size_t places) {
      std::string text;
      for (size_t place = 0; place < places; ++place) {
        if (place > 0) text += '-';
        text += race.horses[order[place]].programNumber;
      }
      return text;
    };
    const double pool = static_cast<double>(race.winPool);
    auto add = [&](std::string name, std::string combo, double chance, double poolShare) {
      Wager wager;
      wager.name = std::move(name);
      wager.combination = std::move(combo);
      wager.pool = static_cast<int64_t>(pool * poolShare);
      wager.payoff100 = exoticPayoff100(chance, exoticTake, wager.pool, random);
      race.wagers.push_back(std::move(wager));
    };

    if (starters >= 3) {
      static const char* const kExactaAliases[] = {"EXACTOR", "PERFECTA"};
      add(random.chance(0.12) ? random.pick(kExactaAliases) : "EXACTA", combination(2), orderChance(2), 0.9);
    }
    if (quinellaOffered && starters >= 4) {
      const double either = orderChance(2) + share(1) * share(0) / std::max(1.0 - share(1), 1e-9);
      std::string first = race.horses[order[0]].programNumber;
      std::string second = race.horses[order[1]].programNumber;
      if (std::stoi(second) < std::stoi(first)) std::swap(first, second);
      add("QUINELLA", first + "-" + second, either, 0.15);
    }
    if (starters >= 5) {
      static const char* const kTrifectaAliases[] = {"TRIPLE", "TRIACTOR"};
      add(random.chance(0.12) ? random.pick(kTrifectaAliases) : "TRIFECTA", combination(3), orderChance(3),
          0.8);
    }
    if (starters >= 6) add("SUPERFECTA", combination(4), orderChance(4), 0.45);

    // Multi-race wagers end here: their chance is the product of the
    // public's chances of each leg's winner.
    auto legs = [&](int count, const char* name, double poolShare) {
      double chance = 1.0;
      std::string combo;
      for (int leg = r - count + 1; leg <= r; ++leg) {
        const SimulatedRace& legRace = races[leg];
        chance *= legRace.winnerPublicChance;
        if (!combo.empty()) combo += '-';
        combo += legRace.horses[legRace.finishOrder[0]].programNumber;
      }
      add(name, combo, chance, poolShare);
    };
    const int number = r + 1;
    if (number >= 2) legs(2, "DAILY DOUBLE", 0.25);
    if (number >= 3) legs(3, "PICK THREE", 0.3);
    if ((number == 4 && raceCount >= 8) || (number == raceCount && raceCount >= 6)) legs(4, "PICK FOUR", 1.5);
    if (number == 5 && raceCount >= 9) legs(5, "PICK FIVE", 0.8);
    if (number == raceCount && raceCount >= 8) legs(6, "PICK SIX", 0.6);
  }
}

}  // namespace stridewell::gen
