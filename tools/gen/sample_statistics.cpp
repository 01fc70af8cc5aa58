#include "sample_statistics.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace stridewell::gen {
namespace {

struct BandLimits {
  double low;
  double high;
  const char* label;
};

constexpr BandLimits kBands[] = {
    {0.0, 0.5, "under 1-2"},       {0.5, 1.0, "1-2 to 9-10"},        {1.0, 2.0, "1-1 to 9-5"},
    {2.0, 5.0, "2-1 to 9-2"},      {5.0, 10.0, "5-1 to 19-2"},       {10.0, 20.0, "10-1 to 19-1"},
    {20.0, 30.0, "20-1 to 29-1"},  {30.0, 50.0, "30-1 to 49-1"},     {50.0, 60.0, "50-1 to 59-1"},
    {60.0, 100.0, "60-1 to 99-1"}, {100.0, 1e9, "100-1 and longer"},
};

constexpr const char* kPools[] = {"WIN",        "PLACE",     "SHOW",       "EXACTA",
                                  "QUINELLA",   "TRIFECTA",  "SUPERFECTA", "DAILY DOUBLE",
                                  "PICK THREE", "PICK FOUR", "PICK FIVE",  "PICK SIX"};

// The pool a wager name of the results file belongs to.
std::string poolOf(const std::string& wager) {
  if (wager == "EXACTOR" || wager == "PERFECTA") return "EXACTA";
  if (wager == "TRIPLE" || wager == "TRIACTOR") return "TRIFECTA";
  return wager;
}

// Legs of a multi-race pool, 1 for a pool of one race.
int legsOf(const std::string& pool) {
  static const std::map<std::string, int> kLegs = {
      {"DAILY DOUBLE", 2}, {"PICK THREE", 3}, {"PICK FOUR", 4}, {"PICK FIVE", 5}, {"PICK SIX", 6}};
  const auto found = kLegs.find(pool);
  return found == kLegs.end() ? 1 : found->second;
}

// Ordered selections of `places` from `count`: count * (count - 1) * ...
long long arrangements(long long count, int places) {
  long long result = 1;
  for (int k = 0; k < places; ++k) result *= std::max(0LL, count - k);
  return result;
}

// Betting interests among the starters (coupled horses are one).
long long interestsOf(const SimulatedRace& race) {
  std::vector<int> seen;
  for (int h : race.finishOrder) {
    const int interest = race.horses[static_cast<size_t>(h)].interest;
    if (std::find(seen.begin(), seen.end(), interest) == seen.end()) seen.push_back(interest);
  }
  return static_cast<long long>(seen.size());
}

// Combinations a bettor must buy to hold every outcome of `pool` in race
// `index` of the day.
long long combinationsOf(const std::string& pool, const std::vector<SimulatedRace>& races, size_t index) {
  const long long n = interestsOf(races[index]);
  if (pool == "EXACTA") return arrangements(n, 2);
  if (pool == "QUINELLA") return arrangements(n, 2) / 2;
  if (pool == "TRIFECTA") return arrangements(n, 3);
  if (pool == "SUPERFECTA") return arrangements(n, 4);
  const int legs = legsOf(pool);
  if (legs < 2 || index + 1 < static_cast<size_t>(legs)) return 0;
  long long combinations = 1;
  for (size_t leg = index + 1 - static_cast<size_t>(legs); leg <= index; ++leg) {
    combinations *= interestsOf(races[leg]);
  }
  return combinations;
}

PoolTally& poolTally(SampleStatistics& statistics, const std::string& name) {
  for (PoolTally& pool : statistics.pools) {
    if (pool.pool == name) return pool;
  }
  statistics.pools.push_back({name, 0, {}});
  return statistics.pools.back();
}

void addStraightPools(SampleStatistics& statistics, const SimulatedRace& race) {
  // The best payoff of each interest in each pool: an entry pays once.
  std::map<int, int> win, place, show;
  for (int h : race.finishOrder) {
    const size_t k = static_cast<size_t>(h);
    const int interest = race.horses[k].interest;
    win[interest] = std::max(win[interest], race.winPayoff100[k]);
    place[interest] = std::max(place[interest], race.placePayoff100[k]);
    show[interest] = std::max(show[interest], race.showPayoff100[k]);
  }
  auto add = [&](const char* name, const std::map<int, int>& payoffs) {
    bool offered = false;
    for (const auto& [interest, payoff] : payoffs) offered |= payoff > 0;
    if (!offered) return;
    PoolTally& pool = poolTally(statistics, name);
    ++pool.races;
    for (const auto& [interest, payoff] : payoffs) {
      ++pool.tally.bets;
      if (payoff > 0) {
        ++pool.tally.hits;
        pool.tally.returned += payoff / 200.0;
      }
    }
  };
  add("WIN", win);
  add("PLACE", place);
  add("SHOW", show);
}

void addRace(SampleStatistics& statistics, const std::vector<SimulatedRace>& races, size_t index) {
  const SimulatedRace& race = races[index];
  if (race.finishOrder.empty()) return;
  ++statistics.races;
  const int field = static_cast<int>(race.finishOrder.size());
  statistics.starters += field;
  statistics.smallestField = statistics.races == 1 ? field : std::min(statistics.smallestField, field);
  statistics.largestField = std::max(statistics.largestField, field);

  const int winnerInterest = race.horses[static_cast<size_t>(race.finishOrder[0])].interest;
  const double winReturn = race.winPayoff100[static_cast<size_t>(race.finishOrder[0])] / 200.0;
  auto bet = [&](BetTally& tally, int horse) {
    ++tally.bets;
    if (race.horses[static_cast<size_t>(horse)].interest == winnerInterest) {
      ++tally.hits;
      tally.returned += winReturn;
    }
  };

  if (race.favourite >= 0) {
    bet(statistics.favourite, race.favourite);
    const int interest = race.horses[static_cast<size_t>(race.favourite)].interest;
    for (size_t place = 0; place < 3 && place < race.finishOrder.size(); ++place) {
      if (race.horses[static_cast<size_t>(race.finishOrder[place])].interest == interest) {
        ++statistics.favouriteInMoney;
        break;
      }
    }
  }
  // The lowest line among the starters; a tie goes to the lower program
  // slot, never to the better finisher.
  int lineFavourite = -1;
  for (size_t h = 0; h < race.horses.size(); ++h) {
    const Horse& horse = race.horses[h];
    if (horse.scratched) continue;
    if (lineFavourite < 0 ||
        horse.morningLine10 < race.horses[static_cast<size_t>(lineFavourite)].morningLine10) {
      lineFavourite = static_cast<int>(h);
    }
  }
  bet(statistics.morningLineFavourite, lineFavourite);

  for (int h : race.finishOrder) {
    const double odds = race.odds100[static_cast<size_t>(h)] / 100.0;
    for (OddsBand& band : statistics.bands) {
      if (odds >= band.low && odds < band.high) bet(band.tally, h);
    }
  }

  addStraightPools(statistics, race);
  for (const Wager& wager : race.wagers) {
    const std::string name = poolOf(wager.name);
    const long long combinations = combinationsOf(name, races, index);
    if (combinations <= 0) continue;
    PoolTally& pool = poolTally(statistics, name);
    ++pool.races;
    pool.tally.bets += combinations;
    if (wager.payoff100 > 0) {
      ++pool.tally.hits;
      pool.tally.returned += static_cast<double>(wager.payoff100) / 200.0;
    }
  }
}

std::string percent(double fraction) {
  char text[32];
  std::snprintf(text, sizeof text, "%+.1f%%", 100.0 * fraction);
  return text;
}

}  // namespace

SampleStatistics::SampleStatistics() {
  for (const BandLimits& limits : kBands) bands.push_back({limits.low, limits.high, limits.label, {}});
  for (const char* name : kPools) pools.push_back({name, 0, {}});
}

const PoolTally* SampleStatistics::pool(const std::string& name) const {
  for (const PoolTally& tally : pools) {
    if (tally.pool == name) return &tally;
  }
  return nullptr;
}

const OddsBand* SampleStatistics::band(const std::string& label) const {
  for (const OddsBand& tally : bands) {
    if (tally.label == label) return &tally;
  }
  return nullptr;
}

void addRaceDay(SampleStatistics& statistics, const RaceDay& day) {
  ++statistics.days;
  for (size_t index = 0; index < day.races.size(); ++index) addRace(statistics, day.races, index);
}

std::string statisticsReport(const SampleStatistics& s) {
  std::string text;
  char line[160];
  auto put = [&](const char* format, auto... values) {
    std::snprintf(line, sizeof line, format, values...);
    text += line;
  };
  const double races = s.races > 0 ? static_cast<double>(s.races) : 1.0;
  put("Days                               %lld\n", s.days);
  put("Races                              %lld\n", s.races);
  put("Starters per race                  %.2f (%d to %d)\n", s.meanField(), s.smallestField, s.largestField);
  put("Favourite won                      %.1f%%\n", 100.0 * s.favourite.hitRate());
  put("Favourite first three              %.1f%%\n", 100.0 * static_cast<double>(s.favouriteInMoney) / races);
  put("Every favourite to win, return     %s\n", percent(s.favourite.yield()).c_str());
  put("Morning-line favourite won         %.1f%%\n", 100.0 * s.morningLineFavourite.hitRate());
  put("Every ML favourite to win, return  %s\n", percent(s.morningLineFavourite.yield()).c_str());
  text += "\nEvery starter to win, by final odds\n";
  put("  %-18s %8s %7s %8s\n", "Odds", "Bets", "Won", "Return");
  for (const OddsBand& band : s.bands) {
    put("  %-18s %8lld %6.1f%% %8s\n", band.label.c_str(), band.tally.bets, 100.0 * band.tally.hitRate(),
        percent(band.tally.yield()).c_str());
  }
  text += "\nEvery horse or combination of each pool, $1 each\n";
  put("  %-14s %7s %12s %8s\n", "Pool", "Races", "Bets", "Return");
  for (const PoolTally& pool : s.pools) {
    put("  %-14s %7lld %12lld %8s\n", pool.pool.c_str(), pool.races, pool.tally.bets,
        percent(pool.tally.yield()).c_str());
  }
  return text;
}

}  // namespace stridewell::gen
