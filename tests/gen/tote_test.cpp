// The tote's arithmetic: breakage and the $2.10 floor, how a pool's money
// leans toward long shots, and that what a pool pays back never exceeds
// what it holds after the take.
#include "tote.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

#include "race_model.h"

namespace stridewell::gen {
namespace {

TEST(Tote, PricesBreakDownToTheDimePerDollarAndNeverPayBelowTheFloor) {
  EXPECT_EQ(payoff100(2.57), 500);  // $2.57 per $1 breaks to $2.50: $5.00 on $2
  EXPECT_EQ(payoff100(2.5), 500);
  EXPECT_EQ(payoff100(2.4999), 480);
  EXPECT_EQ(payoff100(1.10), 220);
  EXPECT_EQ(payoff100(1.09), 210);  // breaks to $1.00: the floor pays $1.05
  EXPECT_EQ(payoff100(0.8), 210);   // a minus pool still pays the floor
  EXPECT_EQ(payoff100(std::nan("")), 210);
  EXPECT_EQ(payoff100(163.46), 32680);
  for (double perDollar = 1.0; perDollar < 40.0; perDollar += 0.0137) {
    const int64_t cents = payoff100(perDollar);
    ASSERT_EQ(cents % 10, 0) << perDollar;
    if (cents > 210) {
      ASSERT_EQ(cents % 20, 0) << perDollar;
      ASSERT_LE(cents, 200.0 * perDollar + 1e-9) << perDollar;
      ASSERT_GT(cents, 200.0 * perDollar - 20.0) << perDollar;
    }
  }
}

TEST(Tote, PoolMoneyLeansTowardLongShotsAndKeepsTheOrder) {
  const std::vector<double> chances = {0.45, 0.25, 0.15, 0.08, 0.04, 0.02, 0.01};
  const std::vector<double> shares = poolShares(chances, 0.12);
  ASSERT_EQ(shares.size(), chances.size());
  EXPECT_NEAR(std::accumulate(shares.begin(), shares.end(), 0.0), 1.0, 1e-12);
  EXPECT_LT(shares.front(), chances.front()) << "the favourite is underbet";
  EXPECT_GT(shares.back(), 1.5 * chances.back()) << "the longest shot is overbet";
  for (size_t k = 1; k < shares.size(); ++k) EXPECT_LT(shares[k], shares[k - 1]);
  // Chances that do not add up to 1 are taken as relative.
  const std::vector<double> doubled = poolShares({0.9, 0.5, 0.3, 0.16, 0.08, 0.04, 0.02}, 0.12);
  for (size_t k = 0; k < shares.size(); ++k) EXPECT_NEAR(doubled[k], shares[k], 1e-12);
}

// A race of `chances.win.size()` starters, finishing in program order.
SimulatedRace runInOrder(size_t starters) {
  SimulatedRace race;
  for (size_t k = 0; k < starters; ++k) {
    Horse horse;
    horse.programNumber = std::to_string(k + 1);
    horse.interest = static_cast<int>(k);
    race.horses.push_back(horse);
    race.finishOrder.push_back(static_cast<int>(k));
  }
  return race;
}

TEST(Tote, WinPoolPaysTheNetPoolToTheWinnersAndNoMore) {
  const double take = 0.16;
  for (const std::vector<double>& win : std::vector<std::vector<double>>{
           {0.3, 0.3, 0.2, 0.1, 0.1}, {0.02, 0.6, 0.2, 0.1, 0.08}, {0.001, 0.9, 0.05, 0.03, 0.019}}) {
    SimulatedRace race = runInOrder(win.size());
    FinishChances chances{win, std::vector<double>(win.size(), 0.4), std::vector<double>(win.size(), 0.6)};
    settleStraightWagers(race, race.finishOrder, chances, take, 100000);
    // The winner's money times its price is the net pool, less breakage of
    // under a dime per dollar.
    const double paidBack = race.winShare[0] * race.winPayoff100[0] / 200.0;
    EXPECT_LE(paidBack, 1.0 - take + 1e-12);
    EXPECT_GT(paidBack, 1.0 - take - 0.1 * race.winShare[0]);
    // The board odds are the same price before breakage, to the nickel.
    EXPECT_NEAR(race.odds100[0] / 100.0, (1.0 - take) / race.winShare[0] - 1.0, 0.1);
    // The favourite is the horse with the most money.
    for (size_t k = 0; k < win.size(); ++k) EXPECT_GE(race.winShare[race.favourite], race.winShare[k]);
    EXPECT_EQ(race.winPool, 100000);
  }
}

TEST(Tote, ShowPoolOfThreeHeavyFavouritesIsAMinusPoolPaidAtTheFloor) {
  SimulatedRace race = runInOrder(4);
  FinishChances chances{{0.4, 0.35, 0.24, 0.01}, {0.9, 0.3, 0.7, 0.1}, {1.0, 1.0, 0.97, 0.03}};
  settleStraightWagers(race, race.finishOrder, chances, 0.16, 50000);
  for (int h = 0; h < 3; ++h) EXPECT_EQ(race.showPayoff100[static_cast<size_t>(h)], 210) << h;
  EXPECT_EQ(race.showPayoff100[3], 0);
  // Place still has a profit to share, and the less backed of the two gets
  // more of it per dollar.
  EXPECT_GT(race.placePayoff100[0], 210);
  EXPECT_GT(race.placePayoff100[1], race.placePayoff100[0]);
}

TEST(Tote, CoupledHorsesAreOneInterestWithOnePrice) {
  SimulatedRace race = runInOrder(5);
  race.horses[1].interest = 0;  // "1" and "1A"
  for (size_t k = 2; k < 5; ++k) race.horses[k].interest = static_cast<int>(k) - 1;
  FinishChances chances{{0.2, 0.2, 0.3, 0.2, 0.1}, {0.4, 0.4, 0.5, 0.4, 0.3}, {0.6, 0.6, 0.7, 0.6, 0.5}};
  settleStraightWagers(race, race.finishOrder, chances, 0.16, 80000);
  EXPECT_EQ(race.odds100[0], race.odds100[1]);
  EXPECT_DOUBLE_EQ(race.winShare[0], race.winShare[1]);
  // Together they are the favourite (0.4 of the opinion against 0.3).
  EXPECT_EQ(race.horses[static_cast<size_t>(race.favourite)].interest, 0);
}

}  // namespace
}  // namespace stridewell::gen
