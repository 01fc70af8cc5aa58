// The betting side of a race: what the public thinks of each horse (a Monte
// Carlo estimate of win, top-two and top-three chances), the final odds and
// the win, place and show payoffs those pools give, exotic payoffs that grow
// with the odds of the horses involved, and the morning-line ladder.
// Payoffs are cents on a $2 ticket, after the take and broken to the dime.
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

// Chances of each runner when its figure is `estimates[i]` plus normal noise
// of `noise` points; never exactly 0, so every horse gets finite odds.
FinishChances simulateFinishChances(const std::vector<double>& estimates, double noise, int trials,
                                    RandomSource& random);

// Fills race.odds100, the win/place/show payoffs and race.favourite from the
// public's chances of the starters (`chances` parallel to `starters`) and
// race.finishOrder. Coupled horses (same interest) are one betting interest.
void settleStraightWagers(SimulatedRace& race, const std::vector<int>& starters, const FinishChances& chances,
                          double take, int64_t winPool);

// Payoff of a combination the public gave `probability`, with some spread
// for the crowd's imperfect pricing, capped at the whole net pool.
int64_t exoticPayoff100(double probability, double take, int64_t pool, RandomSource& random);

// Nearest morning-line value, in tenths (25 is 5-2), to fair odds `odds`.
int morningLineTenths(double odds);

// Odds-to-1 board value in hundredths for a fair `odds`: broken down to
// 0.05 below 10-1 and to 0.10 above, never below 0.05.
int boardOdds100(double odds);

}  // namespace stridewell::gen
