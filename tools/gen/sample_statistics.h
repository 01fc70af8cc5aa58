// Figures that say whether generated racing pays as real racing does:
// field sizes, how the favourites and the morning-line favourites fare, the
// return of betting every horse in each band of final odds (the
// favourite-longshot bias), and the realised take of each pool, measured by
// betting every horse or combination of the pool in every race it is
// offered. They are taken from the values the files are written from, so
// they describe the files exactly.
#pragma once

#include <string>
#include <vector>

#include "race_model.h"

namespace stridewell::gen {

// $1 bets placed on a set of horses or combinations and what came back.
struct BetTally {
  long long bets = 0;
  long long hits = 0;
  double returned = 0;  // dollars

  // Profit per dollar bet (-0.17 is a 17 % loss); 0 without bets.
  double yield() const { return bets > 0 ? returned / static_cast<double>(bets) - 1.0 : 0.0; }
  double hitRate() const { return bets > 0 ? static_cast<double>(hits) / static_cast<double>(bets) : 0.0; }
};

// Final odds from `low` (included) up to `high` (excluded).
struct OddsBand {
  double low = 0;
  double high = 0;
  std::string label;
  BetTally tally;
};

struct PoolTally {
  std::string pool;  // "WIN", "EXACTA", "PICK THREE" ...
  long long races = 0;
  BetTally tally;
};

struct SampleStatistics {
  long long days = 0;
  long long races = 0;
  long long starters = 0;  // horses that ran
  int smallestField = 0;
  int largestField = 0;
  BetTally favourite;              // $1 to win on the final-odds favourite
  long long favouriteInMoney = 0;  // ... finished first, second or third
  BetTally morningLineFavourite;   // $1 to win on the horse the morning line made favourite
  std::vector<OddsBand> bands;     // every starter, by its final odds
  std::vector<PoolTally> pools;    // in the order the report shows them

  SampleStatistics();
  double meanField() const {
    return races > 0 ? static_cast<double>(starters) / static_cast<double>(races) : 0.0;
  }
  const PoolTally* pool(const std::string& name) const;
  const OddsBand* band(const std::string& label) const;
};

// Adds one generated day.
void addRaceDay(SampleStatistics& statistics, const RaceDay& day);

// The figures as a plain-text table, one figure per line.
std::string statisticsReport(const SampleStatistics& statistics);

}  // namespace stridewell::gen
