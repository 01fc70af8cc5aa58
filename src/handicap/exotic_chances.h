// The chances of exacta and trifecta combinations from each horse's win
// probability, by Harville's formula with the places below the winner
// discounted: a strong horse is less likely to run second or third than
// its win chance alone says. Pure arithmetic, callable from any thread.
#pragma once

#include <span>
#include <vector>

namespace stridewell {

struct PlaceExponents {
  // The chance that j runs second once i has won goes as p_j^second over
  // the horses left; third as p_k^third. 1 and 1 is Harville's own formula.
  double second = 0.81;
  double third = 0.65;
};

struct ExoticCombination {
  std::vector<int> horses;  // indexes into the probabilities, first place first
  double chance = 0;
};

// p_i x p_j^a / sum over m != i of p_m^a; 0 when i == j, an index is out
// of range or nothing is left to run second.
double exactaChance(std::span<const double> win, int first, int second, const PlaceExponents& exponents);

// The exacta chance of (first, second) x p_k^b / sum over m != first,
// second of p_m^b; 0 when two indexes repeat or one is out of range.
double trifectaChance(std::span<const double> win, int first, int second, int third,
                      const PlaceExponents& exponents);

// The `count` most likely exactas (or trifectas) of the field, most likely
// first; of two equally likely, the one with the lower horse indexes first.
// Combinations with no chance are left out. `win` holds probabilities that
// sum to 1 (none negative).
std::vector<ExoticCombination> leadingExactas(std::span<const double> win, int count,
                                              const PlaceExponents& exponents);
std::vector<ExoticCombination> leadingTrifectas(std::span<const double> win, int count,
                                                const PlaceExponents& exponents);

// What a $2 ticket on a combination of this chance would pay at fair odds:
// 2 / chance (0 for no chance).
double fairTwoDollarPrice(double chance);

}  // namespace stridewell
