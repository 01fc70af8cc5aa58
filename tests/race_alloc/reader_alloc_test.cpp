// The card and results readers put every field into a fixed slot and every
// race into the caller's record, so once a reader is built and has yielded
// its first race, reading on must not allocate: a file of 20 races costs the
// same allocations as one of 2. Each case builds both sizes from the same
// kind of line (long comments, overlong fields, quotes, scratches, more
// horses than a race holds) and compares the counts.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "counting_new.h"
#include "race/card_line.h"
#include "race/card_reader.h"
#include "race/check_code.h"
#include "race/race.h"
#include "race/results_reader.h"

#ifdef STRIDEWELL_HAVE_GEN
#include "sample_generator.h"
#endif

namespace stridewell {
namespace {

using Fields = std::map<int, std::string>;
using testing::allocationCount;

// Allocations a reader may make after its first race, whatever the file:
// none are needed, a couple of one-off ones are tolerated.
constexpr int64_t kMaxAllocationsAfterFirstRace = 2;
// Building a reader and reading one race: its buffers, never per field.
constexpr int64_t kMaxAllocationsToFirstRace = 8;

std::string joinFields(const Fields& fields, int lastField) {
  std::string line;
  for (int field = 1; field <= lastField; ++field) {
    if (field > 1) line += ',';
    if (auto it = fields.find(field); it != fields.end()) line += it->second;
  }
  return line;
}

// A card line up to its 1495th comma, completed with its check code.
std::string cardLine(const Fields& fields) {
  std::string line = joinFields(fields, kCheckCodeComma) + ',';
  appendCheckCode(line);
  return line;
}

std::string number(int value) {
  return std::to_string(value);
}

// An ordinary horse: race header, ten past races with short trip comments.
Fields plainHorse(int race, int horse) {
  Fields f{{1, "SA"},         {2, "20260315"},
           {3, number(race)}, {4, number(horse)},
           {6, "1320"},       {7, "D"},
           {8, "C"},          {10, "25000"},
           {12, "30000"},     {13, "HORSE " + number(horse)},
           {15, "G"},         {17, "122"},
           {46, "12"},        {47, "3"},
           {48, "2"},         {49, "1"},
           {66, "8"},         {70, "45000"},
           {83, "SMITH J"},   {87, "1"},
           {93, "4"},         {97, "SA"},
           {101, "2"},        {105, "FT"},
           {140, "20210402"}, {144, "BU"},
           {145, "SA"},       {195, number(race)},
           {201, "118.5"},    {1140, number(horse)},
           {1141, "5-2"},     {1142, "Purse $30000."}};
  for (int k = 0; k < 10; ++k) {
    f[206 + k] = "20260201";
    f[226 + k] = k % 2 ? "SA" : "DMR";
    f[256 + k] = "1760";
    f[316 + k] = "wide";
    f[556 + k] = number(k + 1);
    f[826 + k] = "SMITH J";
  }
  return f;
}

// Trip comments of 100 characters: any per-comment copy would show.
Fields longCommentHorse(int race, int horse) {
  Fields f = plainHorse(race, horse);
  for (int k = 0; k < 10; ++k)
    f[316 + k] = std::string(60, 'x') + " checked at the start then carried wide  ";
  for (int i = 0; i < 9; ++i) f[1142 + i] = std::string(60, 'c') + " WAGERING THIS RACE";
  return f;
}

// Fields far longer than their slots, kept and ignored ones alike.
Fields overlongHorse(int race, int horse) {
  Fields f = plainHorse(race, horse);
  f[13] = std::string(4000, 'N');
  f[500] = std::string(4000, 'z');
  f[1142] = std::string(2000, 'c');
  return f;
}

Fields quotedHorse(int race, int horse) {
  Fields f = plainHorse(race, horse);
  f[13] = "\"LATE, RUN\"";
  f[83] = "\"SMITH, J\"";
  f[1142] = "\"Purse $30,000, for three-year-olds\"";
  return f;
}

// Every third line scratched ("s"); the race has more lines than 64 horses.
Fields scratchedHorse(int race, int horse) {
  Fields f = plainHorse(race, horse);
  if (horse % 3 == 0) f[5] = "s";
  return f;
}

struct CardCase {
  const char* name;
  std::function<Fields(int, int)> horse;
  int linesPerRace;
  const char* lineEnd;
};

std::string cardText(const CardCase& c, int races) {
  std::string text;
  for (int race = 1; race <= races; ++race) {
    for (int horse = 1; horse <= c.linesPerRace; ++horse) text += cardLine(c.horse(race, horse)) + c.lineEnd;
  }
  return text;
}

struct Counts {
  int64_t toFirstRace = 0;  // constructing the reader and reading race 1
  int64_t afterFirstRace = 0;
  int races = 0;
  int lastHorseCount = 0;
  bool clean = false;
};

// The field layouts are built once per program, on first use; build them
// before counting so that the first file counted does not pay for them.
void buildSharedLayouts() {
  cardFieldLayout();
  resultsFieldLayout();
}

Counts countCardReading(const std::string& text) {
  buildSharedLayouts();
  std::istringstream in(text);
  auto race = std::make_unique<Race>();
  Counts counts;
  const int64_t start = allocationCount();
  CardReader reader(in, "alloc.TCF");
  if (reader.next(*race)) ++counts.races;
  const int64_t first = allocationCount();
  while (reader.next(*race)) ++counts.races;
  counts.afterFirstRace = allocationCount() - first;
  counts.toFirstRace = first - start;
  counts.lastHorseCount = race->card.horseCount;
  counts.clean = !reader.invalid() && !reader.readError();
  return counts;
}

TEST(ReaderAllocation, CardReaderAllocatesNothingPerLineOrField) {
  const CardCase cases[] = {
      {"plain", plainHorse, 10, "\n"},
      {"long trip comments", longCommentHorse, 10, "\n"},
      {"overlong fields", overlongHorse, 6, "\n"},
      {"quoted commas, CR LF and blank lines", quotedHorse, 10, "\r\n\r\n"},
      {"scratches and more than 64 horses", scratchedHorse, 100, "\n"},
  };
  for (const CardCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Counts small = countCardReading(cardText(c, 2));
    const Counts large = countCardReading(cardText(c, 20));
    // The files must read cleanly to the end, or the counts prove nothing.
    ASSERT_TRUE(small.clean && large.clean);
    ASSERT_EQ(small.races, 2);
    ASSERT_EQ(large.races, 20);
    const int expectedHorses =
        c.horse(1, 3)[5].empty() ? c.linesPerRace : c.linesPerRace - c.linesPerRace / 3;
    EXPECT_EQ(large.lastHorseCount, std::min(expectedHorses, kMaxHorses));

    EXPECT_EQ(large.afterFirstRace, small.afterFirstRace);
    EXPECT_LE(large.afterFirstRace, kMaxAllocationsAfterFirstRace);
    EXPECT_EQ(large.toFirstRace, small.toFirstRace);
    EXPECT_LE(large.toFirstRace, kMaxAllocationsToFirstRace);
  }
}

// Results lines: one per starter, wagers in fields 78-86, payoffs in 96-104.
Fields plainStarter(int race, int starter) {
  Fields f{{1, "SA"},
           {2, "20260315"},
           {3, number(race)},
           {5, "D"},
           {17, "FT"},
           {18, "1"},
           {20, "HORSE " + number(starter)},
           {37, "4.50"},
           {49, number(starter)},
           {75, "7.00"},
           {76, "4.20"},
           {77, "3.00"},
           {78, "EXACTA"},
           {79, "TRIFECTA"},
           {80, "DAILY DOUBLE"},
           {81, "PICK THREE"},
           {96, "45.60"},
           {97, "120.80"},
           {98, "33.00"},
           {99, "88.10"}};
  return f;
}

Fields overlongStarter(int race, int starter) {
  Fields f = plainStarter(race, starter);
  f[20] = std::string(3000, 'N');
  f[82] = std::string(3000, 'W');
  f[60] = std::string(3000, 'z');
  return f;
}

Fields quotedStarter(int race, int starter) {
  Fields f = plainStarter(race, starter);
  f[20] = "\"LATE, RUN\"";
  f[79] = "\"PICK, SIX\"";
  return f;
}

struct ResultsCase {
  const char* name;
  std::function<Fields(int, int)> starter;
  int linesPerRace;
  const char* lineEnd;
};

std::string resultsText(const ResultsCase& c, int races) {
  std::string text;
  for (int race = 1; race <= races; ++race) {
    for (int starter = 1; starter <= c.linesPerRace; ++starter) {
      text += joinFields(c.starter(race, starter), 110) + c.lineEnd;
    }
  }
  return text;
}

Counts countResultsReading(const std::string& text) {
  buildSharedLayouts();
  std::istringstream in(text);
  RaceResult result{};
  Counts counts;
  const int64_t start = allocationCount();
  ResultsReader reader(in, "alloc.XRD");
  if (reader.next(result)) ++counts.races;
  const int64_t first = allocationCount();
  while (reader.next(result)) ++counts.races;
  counts.afterFirstRace = allocationCount() - first;
  counts.toFirstRace = first - start;
  counts.lastHorseCount = result.finisherCount;
  counts.clean = !reader.readError();
  return counts;
}

TEST(ReaderAllocation, ResultsReaderAllocatesNothingPerLineOrField) {
  const ResultsCase cases[] = {
      {"plain", plainStarter, 10, "\n"},
      {"overlong fields", overlongStarter, 10, "\n"},
      {"quoted commas, CR LF and blank lines", quotedStarter, 10, "\r\n\r\n"},
      {"more starters than the record holds", plainStarter, 80, "\n"},
  };
  for (const ResultsCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Counts small = countResultsReading(resultsText(c, 2));
    const Counts large = countResultsReading(resultsText(c, 20));
    ASSERT_TRUE(small.clean && large.clean);
    ASSERT_EQ(small.races, 2);
    ASSERT_EQ(large.races, 20);
    EXPECT_EQ(large.lastHorseCount, std::min(c.linesPerRace, kMaxFinishers));

    EXPECT_EQ(large.afterFirstRace, small.afterFirstRace);
    EXPECT_LE(large.afterFirstRace, kMaxAllocationsAfterFirstRace);
    EXPECT_EQ(large.toFirstRace, small.toFirstRace);
    EXPECT_LE(large.toFirstRace, kMaxAllocationsToFirstRace);
  }
}

#ifdef STRIDEWELL_HAVE_GEN
// Realistic files: one generated day against four days read as one file.
TEST(ReaderAllocation, GeneratedDaysCostTheSameAsOneDay) {
  gen::SampleOptions options;
  options.days = 4;
  const auto days = gen::generateSampleDays(options);
  ASSERT_EQ(days.size(), 4u);
  std::string allCards;
  std::string allResults;
  for (const auto& day : days) {
    allCards += day.cardText;
    allResults += day.resultsText;
  }

  const Counts oneCard = countCardReading(days[0].cardText);
  const Counts fourCards = countCardReading(allCards);
  ASSERT_TRUE(oneCard.clean && fourCards.clean);
  ASSERT_GT(oneCard.races, 1);
  ASSERT_GT(fourCards.races, oneCard.races);
  EXPECT_EQ(fourCards.afterFirstRace, oneCard.afterFirstRace);
  EXPECT_LE(fourCards.afterFirstRace, kMaxAllocationsAfterFirstRace);

  const Counts oneResults = countResultsReading(days[0].resultsText);
  const Counts fourResults = countResultsReading(allResults);
  ASSERT_GT(oneResults.races, 1);
  ASSERT_GT(fourResults.races, oneResults.races);
  EXPECT_EQ(fourResults.afterFirstRace, oneResults.afterFirstRace);
  EXPECT_LE(fourResults.afterFirstRace, kMaxAllocationsAfterFirstRace);
}
#endif

}  // namespace
}  // namespace stridewell
