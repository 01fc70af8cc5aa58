// The betting side of a race, run as pari-mutuel pools: what the public
// thinks of each horse (a Monte Carlo estimate of its win, top-two and
// top-three chances), how the money is spread over the runners, and the
// prices the pools pay. A price is the pool less the take, divided by the
// money on the winning horse or combination, broken down to the dime per
// dollar and never below $2.10 on $2.
#pragma once

#include <cstdint>
#include <vector>

#include "race_model.h"
#include "random_source.h"

namespace stridewell::gen {

struct FinishChances {
  std::vector<double> win;
  std::vector<double> top2;
  std::vector<double> top3;
};

// The track's take from each kind of pool, as fractions.
struct Takeouts {
  double straight = 0.16;  // win, place, show
  double twoHorse = 0.20;  // exacta, quinella, daily double
  double multiple = 0.25;  // trifecta, superfecta and the picks
};

// Chances of each runner when its figure is `estimates[i]` plus normal noise
// of `spreads[i]` points; never exactly 0, so every horse gets finite odds.
FinishChances simulateFinishChances(const std::vector<double>& estimates, const std::vector<double>& spreads,
                                    int trials, RandomSource& random);

// How a pool's money is spread over its choices: the crowd's `chances`
// (normalised), each raised by `lean` times its square root, normalised
// again, with a touch of money spread evenly. The square root weighs most
// on the smallest chances, so long shots get more than their due and
// favourites a little less: the favourite-longshot bias of real pools.
std::vector<double> poolShares(const std::vector<double>& chances, double lean);

// Cents a $2 ticket pays when each dollar bet returns `perDollar`: broken
// down to the dime per dollar (20-cent steps), at least $2.10.
int64_t payoff100(double perDollar);

// Fills race.odds100, the win/place/show payoffs, race.favourite and
// race.winShare from the public's chances of the starters (`chances`
// parallel to `starters`) and race.finishOrder. Coupled horses (same
// interest) are one betting interest.
void settleStraightWagers(SimulatedRace& race, const std::vector<int>& starters, const FinishChances& chances,
                          double take, int64_t winPool);

// Nearest morning-line value, in tenths (25 is 5-2), to fair odds `odds`.
int morningLineTenths(double odds);

// Odds-to-1 board value in hundredths for odds `odds`: broken down to
// 0.05 below 10-1 and to 0.10 above, never below 0.05.
int boardOdds100(double odds);

}  // namespace stridewell::gen
