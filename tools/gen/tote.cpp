#include "tote.h"

#include <algorithm>
#include <cmath>

namespace stridewell::gen {
namespace {

constexpr int64_t kMinimumPayoff100 = 210;  // the $2.10 floor on a $2 ticket

// How far the crowd leans toward long shots in each pool (see poolShares).
// Place and show bettors lean less: they bet to collect, not for a price.
constexpr double kWinLean = 0.12;
constexpr double kPlaceLean = 0.05;
constexpr double kShowLean = 0.05;
// A little money bet with no opinion, the same on every horse: what keeps
// the longest shots from paying what they should.
constexpr double kOpinionlessMoney = 0.003;

void normalise(std::vector<double>& shares) {
  double sum = 0;
  for (double s : shares) sum += s;
  if (sum > 0) {
    for (double& s : shares) s /= sum;
  }
}

}  // namespace

FinishChances simulateFinishChances(const std::vector<double>& estimates, const std::vector<double>& spreads,
                                    int trials, RandomSource& random) {
  const size_t n = estimates.size();
  std::vector<int> wins(n), top2(n), top3(n);
  std::vector<double> run(n);
  for (int trial = 0; trial < trials; ++trial) {
    for (size_t i = 0; i < n; ++i) run[i] = estimates[i] + spreads[i] * random.normal();
    // The first three places of this trial.
    size_t best[3] = {n, n, n};
    for (size_t i = 0; i < n; ++i) {
      for (size_t place = 0; place < 3; ++place) {
        if (best[place] == n || run[i] > run[best[place]]) {
          for (size_t k = 2; k > place; --k) best[k] = best[k - 1];
          best[place] = i;
          break;
        }
      }
    }
    if (best[0] < n) ++wins[best[0]];
    for (size_t place = 0; place < 2; ++place) {
      if (best[place] < n) ++top2[best[place]];
    }
    for (size_t place = 0; place < 3; ++place) {
      if (best[place] < n) ++top3[best[place]];
    }
  }
  FinishChances chances;
  // Half a trial for every horse keeps long shots at finite odds.
  const double total = trials + 0.5 * static_cast<double>(n);
  for (size_t i = 0; i < n; ++i) {
    chances.win.push_back((wins[i] + 0.5) / total);
    chances.top2.push_back((top2[i] + 0.5) / total);
    chances.top3.push_back((top3[i] + 0.5) / total);
  }
  return chances;
}

std::vector<double> poolShares(const std::vector<double>& chances, double lean) {
  std::vector<double> shares = chances;
  normalise(shares);
  for (double& share : shares) share += lean * std::sqrt(share) + kOpinionlessMoney;
  normalise(shares);
  return shares;
}

int64_t payoff100(double perDollar) {
  const double dimes = std::floor(perDollar * 10.0);
  if (!(dimes >= 11.0)) return kMinimumPayoff100;
  if (dimes > 1e12) return int64_t{20} * 1'000'000'000'000;
  return static_cast<int64_t>(dimes) * 20;
}

int boardOdds100(double odds) {
  if (!(odds > 0.05)) return 5;
  if (odds < 10.0) return static_cast<int>(std::floor(odds * 20.0)) * 5;
  return std::min(99900, static_cast<int>(std::floor(odds * 10.0)) * 10);
}

int morningLineTenths(double odds) {
  static constexpr int kLadder[] = {5,  6,  8,  10, 12, 14, 15,  16,  18,  20,  25,  30,
                                    35, 40, 45, 50, 60, 80, 100, 120, 150, 200, 300, 500};
  int best = kLadder[0];
  double bestDistance = 1e300;
  for (int tenths : kLadder) {
    // Compared as prices (odds + 1), so 8-1 and 10-1 are as far apart as 4-5 and 1-1.
    const double ratio = (tenths / 10.0 + 1.0) / (odds + 1.0);
    const double distance = ratio > 1.0 ? ratio : 1.0 / ratio;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = tenths;
    }
  }
  return best;
}

void settleStraightWagers(SimulatedRace& race, const std::vector<int>& starters, const FinishChances& chances,
                          double take, int64_t winPool) {
  const size_t horseCount = race.horses.size();
  race.odds100.assign(horseCount, 0);
  race.winPayoff100.assign(horseCount, 0);
  race.placePayoff100.assign(horseCount, 0);
  race.showPayoff100.assign(horseCount, 0);
  race.winShare.assign(horseCount, 0.0);
  race.winPool = winPool;

  // Betting interests: coupled horses pool their money.
  int interestCount = 0;
  for (int h : starters) interestCount = std::max(interestCount, race.horses[h].interest + 1);
  std::vector<double> win(interestCount), top2(interestCount), top3(interestCount);
  for (size_t k = 0; k < starters.size(); ++k) {
    const int interest = race.horses[starters[k]].interest;
    win[interest] += chances.win[k];
    top2[interest] += chances.top2[k];
    top3[interest] += chances.top3[k];
  }
  const std::vector<double> winShares = poolShares(win, kWinLean);
  const std::vector<double> placeShares = poolShares(top2, kPlaceLean);
  const std::vector<double> showShares = poolShares(top3, kShowLean);

  const double net = 1.0 - take;
  int favouriteInterest = 0;
  for (int interest = 1; interest < interestCount; ++interest) {
    if (winShares[interest] > winShares[favouriteInterest]) favouriteInterest = interest;
  }
  for (int h : starters) {
    const double share = winShares[race.horses[h].interest];
    race.winShare[h] = share;
    race.odds100[h] = boardOdds100(net / share - 1.0);
    if (race.horses[h].interest == favouriteInterest && race.favourite < 0) race.favourite = h;
  }

  // Win: the winner's interest shares the net pool.
  const std::vector<int>& order = race.finishOrder;
  if (order.empty()) return;
  const int winner = order[0];
  race.winPayoff100[winner] = payoff100(net / winShares[race.horses[winner].interest]);

  // Place and show: the net pool less the money on the paying interests is
  // the profit, split evenly between them; each pays its part per dollar
  // bet on it, plus the dollar. A profit below nothing is a minus pool,
  // paid at the $2.10 floor.
  auto settlePool = [&](const std::vector<double>& shares, size_t places, std::vector<int>& payoffs) {
    if (order.size() < places + 1) return;  // too few starters: the pool is not offered
    std::vector<int> paying;
    for (size_t place = 0; place < places; ++place) {
      const int interest = race.horses[order[place]].interest;
      if (std::find(paying.begin(), paying.end(), interest) == paying.end()) paying.push_back(interest);
    }
    double paidBack = 0;
    for (int interest : paying) paidBack += shares[interest];
    const double profit = net - paidBack;
    for (size_t place = 0; place < places; ++place) {
      const int h = order[place];
      const double bet = shares[race.horses[h].interest];
      payoffs[h] = payoff100(1.0 + (profit / static_cast<double>(paying.size())) / bet);
    }
  };
  settlePool(placeShares, 2, race.placePayoff100);
  settlePool(showShares, 3, race.showPayoff100);
}

}  // namespace stridewell::gen
