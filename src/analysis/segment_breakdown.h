// One wager strategy's results broken down by a property of the race or of
// the bet: the final-odds band of the horse it bets, the field size, the
// surface, the distance group, the class group, the track or the month.
// A profit/loss run keeps each race it settled (the analysis and the few
// race facts the keys read), so any strategy and key can be broken down
// afterwards without scoring again. Pure functions over plain values; any
// thread.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/race_analysis.h"
#include "analysis/strategy_totals.h"
#include "race/race_card.h"
#include "race/race_profile.h"

namespace stridewell {

enum class SegmentKey : uint8_t { kOdds, kField, kSurface, kDistance, kClass, kTrack, kMonth };
inline constexpr int kSegmentKeyCount = 7;

// The word of a key on the command line ("odds", "field", ...), and the
// words a report uses for it ("final-odds band", ...).
std::string_view segmentKeyWord(SegmentKey key);
std::string_view segmentKeyTitle(SegmentKey key);
// The key of a word, ignoring case; nothing for an unknown word.
std::optional<SegmentKey> segmentKeyFromWord(std::string_view word);

// Win on the SIM's top pick: the strategy broken down when none is named.
inline constexpr int kDefaultBreakdownStrategy = 0;

// The index of the strategy labelled `name` (ignoring case), or -1.
int findStrategy(std::string_view name);

// The pick (1 to 3) whose odds place a strategy's bet in an odds band: the
// horse it bets (pick 2 for BWIN, pick 3 for CWIN), the first of two (pick 2
// for BC_WIN), and pick 1 for every combination, key and box, where the
// SIM's top pick leads the ticket.
int bandPick(int strategy);

// What the keys read of a race, taken after auto scratch.
struct SegmentFacts {
  int32_t date = 0;  // packed, see packDate
  int16_t distanceYards = 0;
  ClassCode raceClass{};
  uint8_t surface = 0;    // 0 dirt, 1 turf, 2 synthetic
  uint8_t fieldSize = 0;  // horses that ran
  char track[4] = {};     // host track code, NUL-terminated
};
SegmentFacts segmentFacts(const RaceProfile& profile);

// A race the run settled: its analysis (the odds already as the run chose
// them, final or morning line) and its facts.
struct SettledRace {
  RaceAnalysis analysis;
  SegmentFacts facts;
};

// A segment: `order` sorts segments into their natural order (bands
// ascending, months by date, tracks alphabetically, unknown values last).
struct Segment {
  int64_t order = 0;
  std::string label;
};

// The segment of `race` by `key` for a bet of `strategy` (only the odds key
// looks at the strategy).
Segment segmentOf(SegmentKey key, const SettledRace& race, int strategy);

struct SegmentRow {
  Segment segment;
  StrategyTotals totals;
};

struct SegmentBreakdown {
  SegmentKey key = SegmentKey::kOdds;
  int strategy = kDefaultBreakdownStrategy;
  std::vector<SegmentRow> rows;  // segments the strategy played in, in order
  // All races together, added up in race order exactly as the run's totals
  // table adds them, so it equals the strategy's line of the ordinary report.
  StrategyTotals total;
};

// Settles `strategy` on every race of `races` (in the order given) and
// groups the races it was played on by `key`.
SegmentBreakdown breakDown(std::span<const SettledRace> races, SegmentKey key, int strategy);

// Net dollars (returned less bet) and return on investment in percent (0
// when nothing was bet) of a segment's or the total's figures.
double netAmount(const StrategyTotals& totals);
double returnPercent(const StrategyTotals& totals);
double hitPercent(const StrategyTotals& totals);

// The heading line under the report header naming strategy and key, and a
// note on how the key groups races; each ends in a line break.
std::string breakdownHeading(SegmentKey key, int strategy, bool morningLineOdds);

// The breakdown table: a column header, one line per segment and a total
// line; when `comma` is given, a comma header and one comma line per
// segment go to it.
void writeBreakdownReport(std::ostream& report, const SegmentBreakdown& breakdown, std::ostream* comma);

}  // namespace stridewell
