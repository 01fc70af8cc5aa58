#include "handicap/exotic_chances.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace stridewell {

namespace {

bool inField(std::span<const double> win, int horse) {
  return horse >= 0 && static_cast<size_t>(horse) < win.size();
}

// p^exponent, with a horse of no chance staying at none (0^0 would be 1).
double discounted(double p, double exponent) {
  return p > 0 ? std::pow(p, exponent) : 0.0;
}

// The chance that `horse` takes the next place among those not yet placed.
double nextPlaceChance(std::span<const double> win, int horse, int placedA, int placedB, double exponent) {
  double left = 0;
  for (size_t m = 0; m < win.size(); ++m) {
    const int index = static_cast<int>(m);
    if (index != placedA && index != placedB) left += discounted(win[m], exponent);
  }
  if (!(left > 0)) return 0;
  return discounted(win[static_cast<size_t>(horse)], exponent) / left;
}

// A combination while the field's are ranked: no allocation each, as a
// large field has a quarter of a million trifectas.
struct Candidate {
  std::array<int, 3> horses;  // -1 past the last place
  double chance;
};

// Most likely first; ties by the horse indexes, place by place.
bool moreLikely(const Candidate& a, const Candidate& b) {
  if (a.chance != b.chance) return a.chance > b.chance;
  return a.horses < b.horses;
}

std::vector<ExoticCombination> leading(std::vector<Candidate> all, int count) {
  const size_t kept = std::min(all.size(), static_cast<size_t>(std::max(count, 0)));
  std::partial_sort(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(kept), all.end(), moreLikely);
  std::vector<ExoticCombination> combinations;
  for (size_t c = 0; c < kept; ++c) {
    ExoticCombination combination;
    for (int horse : all[c].horses) {
      if (horse >= 0) combination.horses.push_back(horse);
    }
    combination.chance = all[c].chance;
    combinations.push_back(std::move(combination));
  }
  return combinations;
}

}  // namespace

double exactaChance(std::span<const double> win, int first, int second, const PlaceExponents& exponents) {
  if (!inField(win, first) || !inField(win, second) || first == second) return 0;
  const double p = win[static_cast<size_t>(first)];
  if (!(p > 0)) return 0;
  return p * nextPlaceChance(win, second, first, -1, exponents.second);
}

double trifectaChance(std::span<const double> win, int first, int second, int third,
                      const PlaceExponents& exponents) {
  if (!inField(win, third) || third == first || third == second) return 0;
  const double exacta = exactaChance(win, first, second, exponents);
  if (!(exacta > 0)) return 0;
  return exacta * nextPlaceChance(win, third, first, second, exponents.third);
}

std::vector<ExoticCombination> leadingExactas(std::span<const double> win, int count,
                                              const PlaceExponents& exponents) {
  const int n = static_cast<int>(win.size());
  std::vector<Candidate> all;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const double chance = exactaChance(win, i, j, exponents);
      if (chance > 0) all.push_back({{i, j, -1}, chance});
    }
  }
  return leading(std::move(all), count);
}

std::vector<ExoticCombination> leadingTrifectas(std::span<const double> win, int count,
                                                const PlaceExponents& exponents) {
  const int n = static_cast<int>(win.size());
  std::vector<Candidate> all;
  std::vector<double> second(win.size());
  std::vector<double> third(win.size());
  for (size_t m = 0; m < win.size(); ++m) {
    second[m] = discounted(win[m], exponents.second);
    third[m] = discounted(win[m], exponents.third);
  }
  double secondTotal = 0;
  double thirdTotal = 0;
  for (size_t m = 0; m < win.size(); ++m) {
    secondTotal += second[m];
    thirdTotal += third[m];
  }
  // The sums over the horses left are the field's sums less the placed
  // horses, so a 64-horse field costs n^3 steps rather than n^4.
  for (int i = 0; i < n; ++i) {
    const double p = win[static_cast<size_t>(i)];
    if (!(p > 0)) continue;
    const double leftForSecond = secondTotal - second[static_cast<size_t>(i)];
    if (!(leftForSecond > 0)) continue;
    for (int j = 0; j < n; ++j) {
      if (j == i || !(second[static_cast<size_t>(j)] > 0)) continue;
      const double exacta = p * second[static_cast<size_t>(j)] / leftForSecond;
      const double leftForThird = thirdTotal - third[static_cast<size_t>(i)] - third[static_cast<size_t>(j)];
      if (!(leftForThird > 0)) continue;
      for (int k = 0; k < n; ++k) {
        if (k == i || k == j || !(third[static_cast<size_t>(k)] > 0)) continue;
        all.push_back({{i, j, k}, exacta * third[static_cast<size_t>(k)] / leftForThird});
      }
    }
  }
  return leading(std::move(all), count);
}

double fairTwoDollarPrice(double chance) {
  return chance > 0 ? 2 / chance : 0;
}

}  // namespace stridewell
