// Value betting with staking: races in date order, a win bet on every horse
// whose chance x (odds + 1) beats 1 + a margin, staked by a fraction of
// Kelly from the bankroll before the race, settled by the race's payoffs.
// The bankroll curve, its largest drawdown and a bootstrap p-value of the
// return come out of the same plain records. Money is kept in whole cents.
// Plain records and functions; any thread.
#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace stridewell {

// One horse of a race as the staking sees it.
struct ValueHorse {
  double chance = 0;     // the win chance the bets are judged by, 0 to 1
  double odds = 0;       // final odds to 1; 0 or less: unknown, never bet
  double winPayoff = 0;  // the return of a $2 win ticket; 0 when the results gave none
  bool won = false;      // finished first (each horse of a dead heat)
};

// One race with chances for its field, as the run keeps it until the
// races are put in date order.
struct ValueRace {
  int32_t date = 0;  // packed date
  std::string track;
  int raceNumber = 0;
  std::vector<ValueHorse> horses;
};

// Date (year, month, day), then track, then race number; the order of
// equal races is kept.
void sortRacesByDate(std::vector<ValueRace>& races);

struct StakingRules {
  double fraction = 0.25;     // of the Kelly stake, above 0 and at most 1
  double margin = 0.05;       // a bet needs chance x (odds + 1) > 1 + margin
  int64_t bankroll = 100000;  // the starting bankroll in cents
};

// The Kelly share of the bankroll for a win bet at `odds` to 1 with win
// chance `chance`: (chance (odds + 1) - 1) / odds; 0 when that is not
// positive or the odds are unknown.
double kellyShare(double chance, double odds);

// Whether the horse is bet: known odds, and chance x (odds + 1) above
// 1 + margin.
bool isValueBet(const ValueHorse& horse, double margin);

// The stake in cents on each horse of `race` (0 for no bet): fraction x
// Kelly x `bankroll`, cut down to whole cents. Should the stakes of the
// race add up to more than the bankroll, all are scaled down to fit.
std::vector<int64_t> raceStakes(const ValueRace& race, const StakingRules& rules, int64_t bankroll);

// What a stake of `stake` cents returns, in cents rounded to the nearest:
// nothing on a loser; on a winner, the stake x the win payoff / 2, or
// stake x (odds + 1) when the results gave no payoff (`byOdds` then set).
int64_t settleStake(const ValueHorse& horse, int64_t stake, bool* byOdds = nullptr);

// One race with bets: a point of the bankroll curve.
struct BetRace {
  int32_t date = 0;
  std::string track;
  int raceNumber = 0;
  int bets = 0;
  int hits = 0;
  int64_t staked = 0;    // cents
  int64_t returned = 0;  // cents
  int64_t bankroll = 0;  // cents, after the race
};

// The largest fall of the bankroll from a peak, as a share of that peak.
struct Drawdown {
  int64_t amount = 0;  // cents
  double percent = 0;  // of the peak
  int peak = -1;       // the curve point the peak stood after; -1 for the start
  int trough = -1;     // the curve point of the low; -1 when there was no fall
};

// Over the bankroll after each point of the curve, starting from `start`:
// the fall with the largest share of its peak (the earliest of equals).
Drawdown largestDrawdown(int64_t start, std::span<const BetRace> curve);

// A bootstrap p-value of the return against zero: the races with bets are
// drawn with replacement, as many as there are, `resamples` times (a fixed
// generator seeded with `seed`, so a run repeats); p = (1 + the number of
// draws whose money returned is at most the money bet) / (resamples + 1).
// A small p says a profit this size seldom comes from luck alone; 1 without
// races.
double bootstrapPValue(std::span<const BetRace> curve, int resamples, uint64_t seed);

inline constexpr int kBootstrapResamples = 2000;
inline constexpr uint64_t kBootstrapSeed = 20260101;

struct ValueSummary {
  int races = 0;         // races with chances, in date order
  int racesLeftOut = 0;  // met the criteria but had no chances; set by the caller
  int bets = 0;
  int hits = 0;
  int settledByOdds = 0;  // winning bets the results gave no payoff for
  int64_t staked = 0;     // cents
  int64_t returned = 0;   // cents
  int64_t startBankroll = 0;
  int64_t finalBankroll = 0;
  std::vector<BetRace> curve;
  Drawdown drawdown;
  double pValue = 1;
  int resamples = 0;

  int64_t net() const { return returned - staked; }
  double hitPercent() const;  // 0 without bets
  double roiPercent() const;  // net over staked; 0 without bets
};

// Plays `races` (already in date order) as the rules say and judges the
// outcome. The bankroll never goes below 0: once it holds less than a
// cent's stake, no more bets are made.
ValueSummary playValueRaces(std::span<const ValueRace> races, const StakingRules& rules,
                            int resamples = kBootstrapResamples, uint64_t seed = kBootstrapSeed);

// Cents as dollars: "1,234.56", with a leading '-' when below 0.
std::string moneyText(int64_t cents);
// A packed date as YYYY-MM-DD ("-" for none).
std::string isoDateText(int32_t packedDate);

// The figures of the run, after the caller's header.
void writeValueReport(std::ostream& out, const ValueSummary& summary, const StakingRules& rules);

// The bankroll curve as comma lines: a heading, then date, track, race,
// bets, staked, returned and bankroll after each race with bets.
void writeBankrollCurve(std::ostream& out, const ValueSummary& summary);

}  // namespace stridewell
