#include "exotic_wagers.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "random_source.h"
#include "tote.h"

namespace stridewell::gen {
namespace {

// How far the crowd leans toward unlikely combinations (see poolShares):
// the win pool's shares already lean, and an order of long shots leans on
// each of them, so a little more is enough. A string of winners of several
// races follows the win pools alone.
constexpr double kExactaLean = 0.04;
constexpr double kTrifectaLean = 0.05;
constexpr double kSuperfectaLean = 0.05;
constexpr double kMultiRaceLean = 0.0;

// The smallest ticket that can hold a winning combination, in dollars.
constexpr double kSmallestTicket = 1.0;
constexpr double kSmallestSuperTicket = 0.10;  // superfecta and picks of four and more

// Each horse's share of the win pool; coupled horses split their interest's.
std::vector<double> horseShares(const SimulatedRace& race) {
  std::vector<double> shares(race.horses.size(), 0.0);
  for (int h : race.finishOrder) {
    int mates = 0;
    for (int other : race.finishOrder) mates += race.horses[other].interest == race.horses[h].interest;
    shares[h] = race.winShare[h] / mates;
  }
  return shares;
}

// Harville's chance that `first`, `second` ... finish in that order.
double harville(const std::vector<double>& shares, const std::vector<int>& order) {
  double chance = 1.0;
  double left = 1.0;
  for (int h : order) {
    chance *= shares[h] / std::max(left, 1e-9);
    left -= shares[h];
  }
  return chance;
}

// The sum, over every order of `places` starters, of the square root of
// its Harville chance: what a pool's lean adds up to over all its
// combinations.
void addRootChances(const std::vector<double>& shares, const std::vector<int>& starters, size_t places,
                    std::vector<int>& order, double& sum) {
  if (order.size() == places) {
    sum += std::sqrt(harville(shares, order));
    return;
  }
  for (int h : starters) {
    if (std::find(order.begin(), order.end(), h) != order.end()) continue;
    order.push_back(h);
    addRootChances(shares, starters, places, order, sum);
    order.pop_back();
  }
}

double rootChanceSum(const std::vector<double>& shares, const std::vector<int>& starters, size_t places) {
  std::vector<int> order;
  double sum = 0;
  addRootChances(shares, starters, places, order, sum);
  return sum;
}

// The winning combination's share of its pool: its chance with the lean,
// over the whole pool's chances (1) with the lean (`rootSum`).
double leanedShare(double chance, double lean, double rootSum) {
  return (chance + lean * std::sqrt(chance)) / (1.0 + lean * rootSum);
}

}  // namespace

void settleExotics(RandomSource& random, bool quinellaOffered, const Takeouts& takeouts,
                   std::vector<SimulatedRace>& races) {
  const int raceCount = static_cast<int>(races.size());
  for (int r = 0; r < raceCount; ++r) {
    SimulatedRace& race = races[r];
    const std::vector<int>& order = race.finishOrder;
    const size_t starters = order.size();
    const std::vector<double> shares = horseShares(race);
    auto firstPlaces = [&](size_t places) {
      return std::vector<int>(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(places));
    };
    auto combination = [&](size_t places) {
      std::string text;
      for (size_t place = 0; place < places; ++place) {
        if (place > 0) text += '-';
        text += race.horses[order[place]].programNumber;
      }
      return text;
    };
    const double winPool = static_cast<double>(race.winPool);
    // A pool `poolPart` of the win pool's size in which the winning
    // combination holds `share` of the money.
    auto add = [&](std::string name, std::string combo, double share, double poolPart, double take,
                   double smallestTicket) {
      Wager wager;
      wager.name = std::move(name);
      wager.combination = std::move(combo);
      wager.pool = static_cast<int64_t>(winPool * poolPart);
      const double pool = static_cast<double>(wager.pool);
      const double spread = std::clamp(1.0 + 0.1 * random.normal(), 0.7, 1.3);
      const double onWinner = std::max(pool * share * spread, smallestTicket);
      wager.payoff100 = payoff100(pool * (1.0 - take) / onWinner);
      race.wagers.push_back(std::move(wager));
    };
    auto orderShare = [&](size_t places, double lean) {
      return leanedShare(harville(shares, firstPlaces(places)), lean, rootChanceSum(shares, order, places));
    };

    if (starters >= 3) {
      static const char* const kExactaAliases[] = {"EXACTOR", "PERFECTA"};
      add(random.chance(0.12) ? random.pick(kExactaAliases) : "EXACTA", combination(2),
          orderShare(2, kExactaLean), 0.9, takeouts.twoHorse, kSmallestTicket);
    }
    if (quinellaOffered && starters >= 4) {
      // Either order of the first two; the lean is taken over pairs.
      double rootSum = 0;
      for (size_t a = 0; a < starters; ++a) {
        for (size_t b = a + 1; b < starters; ++b) {
          rootSum +=
              std::sqrt(harville(shares, {order[a], order[b]}) + harville(shares, {order[b], order[a]}));
        }
      }
      const double either = harville(shares, {order[0], order[1]}) + harville(shares, {order[1], order[0]});
      std::string low = race.horses[order[0]].programNumber;
      std::string high = race.horses[order[1]].programNumber;
      if (std::stoi(high) < std::stoi(low)) std::swap(low, high);
      add("QUINELLA", low + "-" + high, leanedShare(either, kExactaLean, rootSum), 0.15, takeouts.twoHorse,
          kSmallestTicket);
    }
    if (starters >= 5) {
      static const char* const kTrifectaAliases[] = {"TRIPLE", "TRIACTOR"};
      add(random.chance(0.12) ? random.pick(kTrifectaAliases) : "TRIFECTA", combination(3),
          orderShare(3, kTrifectaLean), 0.8, takeouts.multiple, kSmallestTicket);
    }
    if (starters >= 6) {
      add("SUPERFECTA", combination(4), orderShare(4, kSuperfectaLean), 0.45, takeouts.multiple,
          kSmallestSuperTicket);
    }

    // Multi-race wagers end here: the money on a string of winners follows
    // the win pools of its legs, leaning as the other pools do.
    auto legs = [&](int count, const char* name, double poolPart, double take, double smallestTicket) {
      double chance = 1.0;
      double rootSum = 1.0;
      std::string combo;
      for (int leg = r - count + 1; leg <= r; ++leg) {
        const SimulatedRace& legRace = races[leg];
        const std::vector<double> legShares = horseShares(legRace);
        chance *= legShares[legRace.finishOrder[0]];
        double legRoots = 0;
        for (int h : legRace.finishOrder) legRoots += std::sqrt(legShares[h]);
        rootSum *= legRoots;
        if (!combo.empty()) combo += '-';
        combo += legRace.horses[legRace.finishOrder[0]].programNumber;
      }
      add(name, combo, leanedShare(chance, kMultiRaceLean, rootSum), poolPart, take, smallestTicket);
    };
    const int number = r + 1;
    if (number >= 2) legs(2, "DAILY DOUBLE", 0.25, takeouts.twoHorse, kSmallestTicket);
    if (number >= 3) legs(3, "PICK THREE", 0.3, takeouts.multiple, kSmallestTicket);
    if ((number == 4 && raceCount >= 8) || (number == raceCount && raceCount >= 6)) {
      legs(4, "PICK FOUR", 1.5, takeouts.multiple, kSmallestSuperTicket);
    }
    if (number == 5 && raceCount >= 9) legs(5, "PICK FIVE", 0.8, takeouts.multiple, kSmallestSuperTicket);
    if (number == raceCount && raceCount >= 8) {
      legs(6, "PICK SIX", 0.6, takeouts.multiple, kSmallestSuperTicket);
    }
  }
}

}  // namespace stridewell::gen
