#include "analysis/segment_breakdown.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>

#include "analysis/strategy_rules.h"
#include "base/text_case.h"
#include "race/card_values.h"

namespace stridewell {
namespace {

struct KeyWords {
  SegmentKey key;
  std::string_view word;
  std::string_view title;
};

constexpr std::array<KeyWords, kSegmentKeyCount> kKeyWords = {{
    {SegmentKey::kOdds, "odds", "odds band"},
    {SegmentKey::kField, "field", "field size"},
    {SegmentKey::kSurface, "surface", "surface"},
    {SegmentKey::kDistance, "distance", "distance group"},
    {SegmentKey::kClass, "class", "class group"},
    {SegmentKey::kTrack, "track", "track"},
    {SegmentKey::kMonth, "month", "month"},
}};

// Unknown values sort after every known one.
constexpr int64_t kUnknownOrder = std::numeric_limits<int64_t>::max();

// Odds bands by their lower end; a band holds its lower end and not its
// upper one, so odds of exactly 2-1 are in "2-1 to 5-1".
struct OddsBand {
  float from;
  std::string_view label;
};
constexpr std::array<OddsBand, 5> kOddsBands = {{
    {0.0f, "under 2-1"},
    {2.0f, "2-1 to 5-1"},
    {5.0f, "5-1 to 10-1"},
    {10.0f, "10-1 to 20-1"},
    {20.0f, "20-1 and over"},
}};

// Sprints are under 7 furlongs, routes over a mile.
constexpr int kSevenFurlongs = 1540;
constexpr int kOneMile = 1760;

float pickOdds(const RaceAnalysis& analysis, int pick) {
  switch (pick) {
    case 2:
      return analysis.odds2;
    case 3:
      return analysis.odds3;
    default:
      return analysis.odds1;
  }
}

Segment oddsSegment(float odds) {
  // The settlement reads odds of 0 as unknown; a negative or non-finite
  // figure can only come from a damaged file.
  if (!(odds > 0.0f) || !std::isfinite(odds)) return {kUnknownOrder, "unknown odds"};
  int band = 0;
  for (int i = 0; i < static_cast<int>(kOddsBands.size()); ++i) {
    if (odds >= kOddsBands[static_cast<size_t>(i)].from) band = i;
  }
  return {band, std::string(kOddsBands[static_cast<size_t>(band)].label)};
}

Segment fieldSegment(int horses) {
  if (horses <= 0) return {kUnknownOrder, "unknown field"};
  if (horses < 5) return {0, "under 5 runners"};
  if (horses >= 13) return {13, "13 or more runners"};
  // Pairs of sizes: 5-6, 7-8, 9-10, 11-12.
  const int low = horses - (horses - 5) % 2;
  return {low, std::to_string(low) + "-" + std::to_string(low + 1) + " runners"};
}

Segment surfaceSegment(int surface) {
  switch (surface) {
    case 0:
      return {0, "dirt"};
    case 1:
      return {1, "turf"};
    case 2:
      return {2, "synthetic"};
    default:
      return {kUnknownOrder, "unknown surface"};
  }
}

Segment distanceSegment(int yards) {
  if (yards <= 0) return {kUnknownOrder, "unknown distance"};
  if (yards < kSevenFurlongs) return {0, "sprint (under 7f)"};
  if (yards <= kOneMile) return {1, "7f to 1 mile"};
  return {2, "route (over 1 mile)"};
}

Segment classSegment(const ClassCode& raceClass) {
  switch (raceClass.type) {
    case ClassCode::kMaiden:
      return raceClass.amount == -2 ? Segment{1, "maiden special weight"} : Segment{0, "maiden claiming"};
    case ClassCode::kClaiming:
      return {2, "claiming"};
    case ClassCode::kAllowance:
      return {3, "allowance"};
    case ClassCode::kStakes:
      return {4, "stakes"};
    default:
      return {kUnknownOrder, "unknown class"};
  }
}

Segment trackSegment(const char (&track)[4]) {
  std::string code;
  for (char c : track) {
    if (c == '\0') break;
    code += upperAscii(c);
  }
  // Stored codes are normalised already; a two-letter one from an older
  // file still names the same track as its "X" form.
  if (code.size() == 2) code += 'X';
  if (code.empty()) return {kUnknownOrder, "unknown track"};
  int64_t order = 0;
  for (size_t i = 0; i < 3; ++i)
    order = order << 8 | (i < code.size() ? static_cast<unsigned char>(code[i]) : 0);
  return {order, code};
}

Segment monthSegment(int32_t date) {
  const int year = packedYear(date);
  const int month = packedMonth(date);
  if (year <= 0 || month < 1 || month > 12) return {kUnknownOrder, "unknown date"};
  char label[16];
  std::snprintf(label, sizeof label, "%04d-%02d", year, month);
  return {int64_t{year} * 12 + (month - 1), label};
}

// Adds one settled bet to `totals` as the run's totals table adds it.
void addBet(StrategyTotals& totals, double payout, int32_t stake) {
  totals.betCount += 1;
  if (payout > 0) totals.hitCount += 1;
  totals.amountBet += stake;
  totals.amountPaid += static_cast<float>(payout);
}

constexpr size_t kLineBytes = 256;

}  // namespace

std::string_view segmentKeyWord(SegmentKey key) {
  return kKeyWords[static_cast<size_t>(key)].word;
}

std::string_view segmentKeyTitle(SegmentKey key) {
  return kKeyWords[static_cast<size_t>(key)].title;
}

std::optional<SegmentKey> segmentKeyFromWord(std::string_view word) {
  for (const KeyWords& entry : kKeyWords) {
    if (equalsIgnoreCase(entry.word, word)) return entry.key;
  }
  return std::nullopt;
}

int findStrategy(std::string_view name) {
  for (int i = 0; i < kStrategyCount; ++i) {
    if (equalsIgnoreCase(strategyName(i), name)) return i;
  }
  return -1;
}

int bandPick(int strategy) {
  const StrategyRule* rule = strategyRule(strategy);
  if (rule == nullptr) return 1;
  const Settlement& settlement = rule->settlement;
  if (settlement.kind == SettlementKind::kLegs || settlement.kind == SettlementKind::kEitherWins) {
    const int pick = settlement.legs[0].pick;
    if (pick >= 1 && pick <= 3) return pick;
  }
  return 1;
}

SegmentFacts segmentFacts(const RaceProfile& profile) {
  SegmentFacts facts;
  facts.date = profile.date;
  facts.distanceYards = profile.distanceYards;
  facts.raceClass = profile.raceClass;
  facts.surface = profile.surface;
  facts.fieldSize = profile.horseCount;
  for (size_t i = 0; i + 1 < sizeof facts.track && profile.hostTrack[i] != '\0'; ++i)
    facts.track[i] = profile.hostTrack[i];
  return facts;
}

Segment segmentOf(SegmentKey key, const SettledRace& race, int strategy) {
  const SegmentFacts& facts = race.facts;
  switch (key) {
    case SegmentKey::kOdds:
      return oddsSegment(pickOdds(race.analysis, bandPick(strategy)));
    case SegmentKey::kField:
      return fieldSegment(facts.fieldSize);
    case SegmentKey::kSurface:
      return surfaceSegment(facts.surface);
    case SegmentKey::kDistance:
      return distanceSegment(facts.distanceYards);
    case SegmentKey::kClass:
      return classSegment(facts.raceClass);
    case SegmentKey::kTrack:
      return trackSegment(facts.track);
    case SegmentKey::kMonth:
      return monthSegment(facts.date);
  }
  return {kUnknownOrder, "unknown"};
}

SegmentBreakdown breakDown(std::span<const SettledRace> races, SegmentKey key, int strategy) {
  SegmentBreakdown breakdown;
  breakdown.key = key;
  breakdown.strategy = strategy;
  std::map<int64_t, SegmentRow> rows;
  for (const SettledRace& race : races) {
    int32_t stake = 0;
    const double payout = settleStrategy(race.analysis, strategy, stake);
    if (payout < 0) continue;
    addBet(breakdown.total, payout, stake);
    Segment segment = segmentOf(key, race, strategy);
    auto [row, added] = rows.try_emplace(segment.order);
    if (added) row->second.segment = std::move(segment);
    addBet(row->second.totals, payout, stake);
  }
  breakdown.rows.reserve(rows.size());
  for (auto& [order, row] : rows) breakdown.rows.push_back(std::move(row));
  return breakdown;
}

double netAmount(const StrategyTotals& totals) {
  return static_cast<double>(totals.amountPaid) - static_cast<double>(totals.amountBet);
}

double returnPercent(const StrategyTotals& totals) {
  if (totals.amountBet == 0) return 0.0;
  // In single precision, as the totals table's profit column is computed.
  const float bet = static_cast<float>(totals.amountBet);
  return static_cast<double>((totals.amountPaid - bet) / bet * 100.0f);
}

double hitPercent(const StrategyTotals& totals) {
  if (totals.betCount == 0) return 0.0;
  return static_cast<double>(static_cast<float>(totals.hitCount) * 100.0f /
                             static_cast<float>(totals.betCount));
}

std::string breakdownHeading(SegmentKey key, int strategy, bool morningLineOdds) {
  std::string text = "Breakdown of " + std::string(strategyName(strategy)) + " by " +
                     std::string(segmentKeyTitle(key)) + ".\n";
  switch (key) {
    case SegmentKey::kOdds:
      text += std::string("Bands go by the ") + (morningLineOdds ? "morning-line" : "final") +
              " odds of pick " + std::to_string(bandPick(strategy)) +
              (bandPick(strategy) == 1 ? " (the SIM's top pick)" : "") + "; a band holds its lower end.\n";
      break;
    case SegmentKey::kField:
      text += "Field size counts the horses that ran.\n";
      break;
    default:
      break;
  }
  return text;
}

void writeBreakdownReport(std::ostream& report, const SegmentBreakdown& breakdown, std::ostream* comma) {
  char line[kLineBytes];
  std::snprintf(line, sizeof line, "%-22s %5s %5s %7s %10s %10s %10s %8s\n", "Segment", "#bets", "#hits",
                "hit%", "$Bet", "$Returned", "$Net", "ROI");
  report << line;
  if (comma != nullptr) *comma << "Segment,#bets,#hits,hit%,$Bet,$Returned,$Net,ROI(%)\n";
  auto figures = [&](const char* format, std::string_view label, const StrategyTotals& totals) {
    std::snprintf(line, sizeof line, format, std::string(label).c_str(), static_cast<int>(totals.betCount),
                  static_cast<int>(totals.hitCount), hitPercent(totals),
                  static_cast<double>(totals.amountBet), static_cast<double>(totals.amountPaid),
                  netAmount(totals), returnPercent(totals));
    return std::string(line);
  };
  for (const SegmentRow& row : breakdown.rows) {
    report << figures("%-22s %5d %5d %6.2f%% %10.2f %10.2f %10.2f %7.2f%%\n", row.segment.label, row.totals);
    if (comma != nullptr)
      *comma << figures("%s,%d,%d,%.2f,%.2f,%.2f,%.2f,%.2f\n", row.segment.label, row.totals);
  }
  report << figures("%-22s %5d %5d %6.2f%% %10.2f %10.2f %10.2f %7.2f%%\n", "Total", breakdown.total);
}

}  // namespace stridewell
