// Exacta and trifecta chances by Harville's formula with the lower places
// discounted, on 3- and 4-horse fields worked out by hand, the ranking of
// the leading combinations, and fair $2 prices.
#include "handicap/exotic_chances.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace stridewell {
namespace {

constexpr double kClose = 1e-12;

struct ChanceCase {
  const char* what;
  std::vector<double> win;
  PlaceExponents exponents;
  std::vector<int> horses;  // two for an exacta, three for a trifecta
  double expected;
};

TEST(ExoticChances, HandWorkedFields) {
  const std::vector<double> three = {0.5, 0.3, 0.2};
  const std::vector<double> four = {0.4, 0.3, 0.2, 0.1};
  const ChanceCase cases[] = {
      // Harville (1, 1): 0.5 x 0.3 / (0.3 + 0.2) = 0.3; 0.3 x 0.5 / 0.7 = 0.15 / 0.7.
      {"3 horses, Harville, 1-2", three, {1, 1}, {0, 1}, 0.3},
      {"3 horses, Harville, 2-1", three, {1, 1}, {1, 0}, 0.15 / 0.7},
      // Squares 0.25, 0.09, 0.04: 0.5 x 0.09 / 0.13; 0.3 x 0.25 / 0.29; 0.2 x 0.25 / 0.34.
      {"3 horses, squared, 1-2", three, {2, 2}, {0, 1}, 0.045 / 0.13},
      {"3 horses, squared, 2-1", three, {2, 2}, {1, 0}, 0.075 / 0.29},
      {"3 horses, squared, 3-1", three, {2, 2}, {2, 0}, 0.05 / 0.34},
      // Three horses: the last one left is third for certain.
      {"3 horses, squared, 1-2-3", three, {2, 2}, {0, 1, 2}, 0.045 / 0.13},
      // Second by squares (0.16, 0.09, 0.04, 0.01), third by the shares:
      // 0.4 x 0.09 / 0.14 = 0.036 / 0.14, then 0.2 / (0.2 + 0.1) = 2/3.
      {"4 horses, 2 then 1, 1-2", four, {2, 1}, {0, 1}, 0.036 / 0.14},
      {"4 horses, 2 then 1, 1-2-3", four, {2, 1}, {0, 1, 2}, 0.036 / 0.14 * 2 / 3},
      {"4 horses, 2 then 1, 1-2-4", four, {2, 1}, {0, 1, 3}, 0.036 / 0.14 / 3},
      // Third by squares: 0.04 / (0.04 + 0.01) = 0.8.
      {"4 horses, squared, 1-2-3", four, {2, 2}, {0, 1, 2}, 0.036 / 0.14 * 0.8},
      // 0.1 x 0.16 / (0.16 + 0.09 + 0.04) = 0.016 / 0.29, then 0.09 / (0.09 + 0.04).
      {"4 horses, squared, 4-1-2", four, {2, 2}, {3, 0, 1}, 0.016 / 0.29 * 0.09 / 0.13},
      // Square roots of 0.64, 0.16, 0.16, 0.04 are 0.8, 0.4, 0.4, 0.2:
      // 0.64 x 0.4 / (0.4 + 0.4 + 0.2) = 0.256, then 0.4 / 0.6.
      {"4 horses, root, 1-2-3", {0.64, 0.16, 0.16, 0.04}, {0.5, 0.5}, {0, 1, 2}, 0.256 * 0.4 / 0.6},
      // Nothing for a horse twice or one outside the field.
      {"same horse twice", four, {2, 2}, {1, 1}, 0},
      {"same horse first and third", four, {2, 2}, {1, 2, 1}, 0},
      {"outside the field", four, {2, 2}, {0, 4}, 0},
      {"negative index", four, {2, 2}, {-1, 0, 1}, 0},
  };
  for (const ChanceCase& c : cases) {
    const double chance = c.horses.size() == 2
                              ? exactaChance(c.win, c.horses[0], c.horses[1], c.exponents)
                              : trifectaChance(c.win, c.horses[0], c.horses[1], c.horses[2], c.exponents);
    EXPECT_NEAR(chance, c.expected, kClose) << c.what;
  }
}

TEST(ExoticChances, DefaultExponentsAgreeWithTheFormulaWrittenOut) {
  const std::vector<double> p = {0.4, 0.3, 0.2, 0.1};
  const PlaceExponents defaults;
  EXPECT_EQ(defaults.second, 0.81);
  EXPECT_EQ(defaults.third, 0.65);
  // 3-1-4 written out term by term.
  const double second =
      std::pow(0.4, 0.81) / (std::pow(0.4, 0.81) + std::pow(0.3, 0.81) + std::pow(0.1, 0.81));
  const double third = std::pow(0.1, 0.65) / (std::pow(0.3, 0.65) + std::pow(0.1, 0.65));
  EXPECT_NEAR(trifectaChance(p, 2, 0, 3, defaults), 0.2 * second * third, kClose);
  EXPECT_NEAR(exactaChance(p, 2, 0, defaults), 0.2 * second, kClose);
}

TEST(ExoticChances, EveryFinishTogetherIsCertain) {
  const std::vector<double> p = {0.31, 0.22, 0.17, 0.12, 0.1, 0.05, 0.03};
  const int n = static_cast<int>(p.size());
  double exactas = 0;
  double trifectas = 0;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      exactas += exactaChance(p, i, j, PlaceExponents{});
      for (int k = 0; k < n; ++k) trifectas += trifectaChance(p, i, j, k, PlaceExponents{});
    }
  }
  EXPECT_NEAR(exactas, 1.0, 1e-12);
  EXPECT_NEAR(trifectas, 1.0, 1e-12);
}

std::string listed(const std::vector<ExoticCombination>& combinations) {
  std::string text;
  for (const ExoticCombination& combination : combinations) {
    for (int horse : combination.horses) text += std::to_string(horse + 1);
    text += ' ';
  }
  return text;
}

TEST(ExoticChances, LeadingExactasOfFourHorses) {
  // Squares 0.16, 0.09, 0.04, 0.01 (sum 0.30). The twelve exactas:
  //   1-2 0.4x0.09/0.14=.2571  1-3 .1143  1-4 .0286
  //   2-1 0.3x0.16/0.21=.2286  2-3 .0571  2-4 .0143
  //   3-1 0.2x0.16/0.26=.1231  3-2 .0692  3-4 .0077
  //   4-1 0.1x0.16/0.29=.0552  4-2 .0310  4-3 .0138
  const std::vector<double> p = {0.4, 0.3, 0.2, 0.1};
  const std::vector<ExoticCombination> top = leadingExactas(p, 5, {2, 2});
  EXPECT_EQ(listed(top), "12 21 31 13 32 ");
  ASSERT_EQ(top.size(), 5u);
  EXPECT_NEAR(top[0].chance, 0.036 / 0.14, kClose);
  EXPECT_NEAR(top[4].chance, 0.2 * 0.09 / 0.26, kClose);
  EXPECT_EQ(leadingExactas(p, 20, {2, 2}).size(), 12u);
  EXPECT_TRUE(leadingExactas(p, 0, {2, 2}).empty());
}

TEST(ExoticChances, LeadingTrifectasMatchTheOneByOneChances) {
  const std::vector<double> p = {0.05, 0.3, 0.1, 0.25, 0.2, 0.1};
  const PlaceExponents exponents;
  const std::vector<ExoticCombination> top = leadingTrifectas(p, 5, exponents);
  ASSERT_EQ(top.size(), 5u);
  // Each is the one-by-one chance, none of the others is more likely, and
  // they come in order.
  for (size_t c = 0; c < top.size(); ++c) {
    const std::vector<int>& h = top[c].horses;
    ASSERT_EQ(h.size(), 3u);
    EXPECT_NEAR(top[c].chance, trifectaChance(p, h[0], h[1], h[2], exponents), 1e-15) << c;
    if (c > 0) {
      EXPECT_GE(top[c - 1].chance, top[c].chance) << c;
    }
  }
  const int n = static_cast<int>(p.size());
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      for (int k = 0; k < n; ++k) {
        const std::vector<int> combination = {i, j, k};
        bool listedHere = false;
        for (const ExoticCombination& t : top) listedHere = listedHere || t.horses == combination;
        if (!listedHere) {
          EXPECT_LE(trifectaChance(p, i, j, k, exponents), top.back().chance + 1e-15);
        }
      }
    }
  }
  // The favourite (horse 2) over horse 4 over horse 5 leads.
  EXPECT_EQ(top[0].horses, (std::vector<int>{1, 3, 4}));
}

TEST(ExoticChances, EqualChancesGoByTheLowerHorsesAndNoChanceIsLeftOut) {
  const std::vector<double> p = {0.25, 0.25, 0.25, 0.25, 0};
  EXPECT_EQ(listed(leadingExactas(p, 4, {})), "12 13 14 21 ");
  EXPECT_EQ(listed(leadingTrifectas(p, 3, {})), "123 124 132 ");
  // The horse of no chance takes no place: 4 x 3 exactas, 4 x 3 x 2 trifectas.
  EXPECT_EQ(leadingExactas(p, 100, {}).size(), 12u);
  EXPECT_EQ(leadingTrifectas(p, 100, {}).size(), 24u);
}

TEST(ExoticChances, FairTwoDollarPrice) {
  const struct {
    double chance;
    double price;
  } cases[] = {{1.0, 2.0}, {0.25, 8.0}, {0.036 / 0.14, 2 * 0.14 / 0.036}, {0.001, 2000.0}, {0.0, 0.0}};
  for (const auto& c : cases) EXPECT_NEAR(fairTwoDollarPrice(c.chance), c.price, 1e-9) << c.chance;
}

}  // namespace
}  // namespace stridewell
