// The generated files must read back cleanly through the core readers, pair
// race by race, be byte-for-byte reproducible, and look like a real day of
// racing (checked statistically over many days).
#include "sample_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "gen_test_support.h"
#include "race/card_values.h"
#include "race/check_code.h"
#include "race/past_race.h"

namespace stridewell::gen {
namespace {

using test::readCardText;
using test::readResultsText;
using test::separatorCommas;
using test::splitFields;
using test::splitLines;

struct Case {
  const char* label;
  uint64_t seed;
  const char* track;
  int year, month, day;
  int days;
  bool simulcasts;
  const char* firstBaseName;
};

SampleOptions optionsOf(const Case& c) {
  SampleOptions options;
  options.seed = c.seed;
  options.track = c.track;
  options.year = c.year;
  options.month = c.month;
  options.day = c.day;
  options.days = c.days;
  options.simulcasts = c.simulcasts;
  return options;
}

const Case kCases[] = {
    {"three days at SAX", 42, "SAX", 2026, 3, 15, 3, true, "SAX0315"},
    {"two-letter code", 7, "SA", 2026, 6, 5, 2, true, "SAX0605"},
    {"small track over new year", 1, "BEU", 2026, 12, 30, 3, true, "BEU1230"},
    {"unknown lower-case track", 99, "abc", 2027, 2, 27, 2, false, "ABC0227"},
    {"FP becomes FMP", 5, "FP", 2026, 9, 1, 1, true, "FMP0901"},
};

// The card's lines grouped by race key (fields 1-3), in file order.
struct CardRace {
  std::string track, date, number;
  int lines = 0;
  int running = 0;  // lines without the scratch mark
  int firstLine = 0;
  int lastLine = 0;
};

std::vector<CardRace> cardRaces(const std::string& cardText) {
  std::vector<CardRace> races;
  int lineNumber = 0;
  for (const std::string& line : splitLines(cardText)) {
    ++lineNumber;
    const auto f = splitFields(line);
    if (races.empty() || races.back().track != f[1] || races.back().date != f[2] ||
        races.back().number != f[3]) {
      races.push_back({f[1], f[2], f[3], 0, 0, lineNumber, lineNumber});
    }
    CardRace& race = races.back();
    ++race.lines;
    race.lastLine = lineNumber;
    if (f[5] != "S" && f[5] != "s") ++race.running;
  }
  return races;
}

TEST(SampleGenerator, ReadsBackThroughTheReadersAndPairsRaceByRace) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.label);
    const std::vector<SampleDay> days = generateSampleDays(optionsOf(c));
    ASSERT_EQ(days.size(), static_cast<size_t>(c.days));
    EXPECT_EQ(days.front().baseName, c.firstBaseName);
    for (const SampleDay& day : days) {
      SCOPED_TRACE(day.baseName);
      ASSERT_EQ(day.baseName.size(), 7u);
      for (int i = 0; i < 3; ++i) EXPECT_TRUE(std::isupper(static_cast<unsigned char>(day.baseName[i])));
      for (int i = 3; i < 7; ++i) EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(day.baseName[i])));

      const auto card = readCardText(day.cardText);
      EXPECT_EQ(card.invalidLine, 0);
      EXPECT_FALSE(card.readError);
      EXPECT_FALSE(card.tooManyHorses);
      EXPECT_EQ(card.problem, "");

      const std::vector<CardRace> expected = cardRaces(day.cardText);
      ASSERT_EQ(card.races.size(), expected.size());
      for (size_t r = 0; r < expected.size(); ++r) {
        EXPECT_EQ(card.races[r]->text.raceNumber, std::stoi(expected[r].number));
        EXPECT_EQ(card.races[r]->card.horseCount, expected[r].running);
      }

      const auto results = readResultsText(day.resultsText);
      EXPECT_EQ(results.size(), card.races.size());
      std::set<const RaceResult*> used;
      for (const auto& race : card.races) {
        SCOPED_TRACE("race " + std::to_string(race->text.raceNumber));
        const RaceResult* match = nullptr;
        for (const auto& result : results) {
          if (sameTrack(result->track, race->text.cardTrack) && result->date == race->card.date &&
              result->raceNumber == race->text.raceNumber) {
            match = result.get();
          }
        }
        ASSERT_NE(match, nullptr) << "no result for this card race";
        EXPECT_TRUE(used.insert(match).second) << "two card races share one result";
        ASSERT_EQ(match->finisherCount, race->card.horseCount);
        std::vector<int> positions;
        for (int k = 0; k < match->finisherCount; ++k) {
          const FinisherEntry& finisher = match->finishers[k];
          positions.push_back(finisher.finishPosition);
          int named = 0;
          for (int h = 0; h < race->card.horseCount; ++h) {
            named += equalsIgnoreCase(finisher.name, race->card.horses[h].name);
          }
          EXPECT_EQ(named, 1) << finisher.name << " must name exactly one running horse of the card";
        }
        std::sort(positions.begin(), positions.end());
        for (int k = 0; k < static_cast<int>(positions.size()); ++k) EXPECT_EQ(positions[k], k + 1);
      }
    }
  }
}

TEST(SampleGenerator, LinesHaveTheFormTheReadersExpect) {
  SampleOptions options;
  options.seed = 314;
  options.days = 4;
  for (const SampleDay& day : generateSampleDays(options)) {
    SCOPED_TRACE(day.baseName);
    bool crlf = false;
    const std::vector<std::string> cardLines = splitLines(day.cardText, &crlf);
    EXPECT_TRUE(crlf) << "card lines end in CR LF";
    int lineNumber = 0;
    for (const std::string& line : cardLines) {
      ++lineNumber;
      SCOPED_TRACE("card line " + std::to_string(lineNumber));
      EXPECT_GE(separatorCommas(line), kCheckCodeComma);
      EXPECT_TRUE(checkCardLine(line));
      EXPECT_LT(line.size(), kRawLineCapacity) << "the whole line must fit the reader's raw line";
      const auto f = splitFields(line);
      // Text fields are quoted, numbers bare, unused fields empty.
      EXPECT_NE(line.find("\"" + f[13] + "\""), std::string::npos) << "horse name in quotes";
      EXPECT_EQ(line.rfind("\"" + f[1] + "\",", 0), 0u) << "track first, quoted";
      EXPECT_FALSE(f[13].empty());
      EXPECT_LE(f[13].size(), 18u);
      EXPECT_EQ(f[9], "");
      for (int field = 1142; field <= 1150; ++field) EXPECT_LE(f[field].size(), 64u);
      for (int field = 1151; field <= kCheckCodeComma; ++field) ASSERT_EQ(f[field], "") << "field " << field;
    }

    const std::vector<std::string> resultLines = splitLines(day.resultsText, &crlf);
    EXPECT_TRUE(crlf) << "results lines end in CR LF";
    const std::set<std::string> wagerNames = {
        "EXACTA",     "EXACTOR",      "PERFECTA",   "QUINELLA",  "TRIFECTA",  "TRIPLE",  "TRIACTOR",
        "SUPERFECTA", "DAILY DOUBLE", "PICK THREE", "PICK FOUR", "PICK FIVE", "PICK SIX"};
    for (const std::string& line : resultLines) {
      const auto f = splitFields(line);
      for (int slot = 0; slot < 9; ++slot) {
        if (f[78 + slot].empty()) {
          EXPECT_EQ(f[96 + slot], "");
          continue;
        }
        EXPECT_TRUE(wagerNames.count(f[78 + slot])) << f[78 + slot];
        EXPECT_GE(std::stod(f[96 + slot]), 2.10);
      }
    }
  }
}

TEST(SampleGenerator, SameOptionsSameBytesOtherOptionsOtherBytes) {
  SampleOptions options;
  options.seed = 42;
  options.days = 3;
  const auto first = generateSampleDays(options);
  const auto again = generateSampleDays(options);
  ASSERT_EQ(first.size(), again.size());
  for (size_t d = 0; d < first.size(); ++d) {
    EXPECT_EQ(first[d].baseName, again[d].baseName);
    EXPECT_TRUE(first[d].cardText == again[d].cardText) << "card of day " << d;
    EXPECT_TRUE(first[d].resultsText == again[d].resultsText) << "results of day " << d;
  }
  // The days of one run differ from each other.
  EXPECT_NE(first[0].cardText, first[1].cardText);

  SampleOptions otherSeed = options;
  otherSeed.seed = 43;
  EXPECT_NE(generateSampleDays(otherSeed)[0].cardText, first[0].cardText);
  SampleOptions otherTrack = options;
  otherTrack.track = "DMR";
  EXPECT_NE(generateSampleDays(otherTrack)[0].resultsText, first[0].resultsText);

  // A day depends on its date, not on the day the run started from.
  SampleOptions later = options;
  later.day = 16;
  later.days = 1;
  const auto single = generateSampleDays(later);
  EXPECT_EQ(single[0].baseName, "SAX0316");
  EXPECT_TRUE(single[0].cardText == first[1].cardText);
}

TEST(SampleGenerator, WithoutSimulcastsEveryRaceIsRunAtTheCardTrack) {
  // Over many days some races are simulcasts; turned off, none is, and the
  // other races stay as they were.
  SampleOptions options;
  options.seed = 8;
  options.days = 30;
  int simulcasts = 0;
  int unchangedDays = 0;
  const auto with = generateSampleDays(options);
  options.simulcasts = false;
  const auto without = generateSampleDays(options);
  for (size_t d = 0; d < with.size(); ++d) {
    const auto cardWith = readCardText(with[d].cardText);
    const auto cardWithout = readCardText(without[d].cardText);
    ASSERT_EQ(cardWith.races.size(), cardWithout.races.size());
    for (size_t r = 0; r < cardWith.races.size(); ++r) {
      const Race& race = *cardWith.races[r];
      const bool simulcast = !sameTrack(race.card.hostTrack, race.text.cardTrack) ||
                             race.card.hostRaceNumber != race.text.raceNumber;
      simulcasts += simulcast;
      const Race& plain = *cardWithout.races[r];
      EXPECT_TRUE(sameTrack(plain.card.hostTrack, plain.text.cardTrack));
      EXPECT_EQ(plain.card.hostRaceNumber, plain.text.raceNumber);
    }
    unchangedDays += with[d].cardText == without[d].cardText;
  }
  EXPECT_GT(simulcasts, 0);
  EXPECT_GT(unchangedDays, 15) << "days without a simulcast must not change";
}

TEST(SampleGenerator, RejectsOptionsItCannotUse) {
  struct Bad {
    const char* label;
    void (*spoil)(SampleOptions&);
  };
  const Bad kBad[] = {
      {"one-letter track", [](SampleOptions& o) { o.track = "S"; }},
      {"four-letter track", [](SampleOptions& o) { o.track = "SAXX"; }},
      {"digit in track", [](SampleOptions& o) { o.track = "S1"; }},
      {"30 February", [](SampleOptions& o) { o.month = 2, o.day = 30; }},
      {"month 13", [](SampleOptions& o) { o.month = 13; }},
      {"no days", [](SampleOptions& o) { o.days = 0; }},
      {"a year and a day", [](SampleOptions& o) { o.days = 366; }},
      {"negative line", [](SampleOptions& o) { o.badCheckLine = -1; }},
  };
  for (const Bad& bad : kBad) {
    SampleOptions options;
    bad.spoil(options);
    EXPECT_NE(checkSampleOptions(options), "") << bad.label;
    EXPECT_TRUE(generateSampleDays(options).empty()) << bad.label;
  }
  EXPECT_EQ(checkSampleOptions(SampleOptions{}), "");
}

// A spoiled line makes the reader stop there: it reports that line, and only
// races whose every line and the next race's first line came before it were
// handed over (the race in progress, even if all its lines were read, is
// dropped when the bad line is the next race's first).
TEST(SampleGenerator, BadCheckLineIsReportedAndEarlierRacesSurvive) {
  SampleOptions good;
  good.seed = 11;
  const std::string goodCard = generateSampleDays(good)[0].cardText;
  const std::vector<CardRace> races = cardRaces(goodCard);
  ASSERT_GE(races.size(), 3u);
  const int lastLine = races.back().lastLine;
  struct LineCase {
    const char* label;
    int line;
  };
  const LineCase kLines[] = {
      {"first line", 1},
      {"second line of race 1", 2},
      {"first line of race 2", races[1].firstLine},
      {"last line of race 2", races[1].lastLine},
      {"middle of race 3", (races[2].firstLine + races[2].lastLine + 1) / 2},
      {"last line of the card", lastLine},
  };
  const auto goodRead = readCardText(goodCard);
  for (const LineCase& lc : kLines) {
    SCOPED_TRACE(lc.label);
    SampleOptions options = good;
    options.badCheckLine = lc.line;
    const std::string badCard = generateSampleDays(options)[0].cardText;

    // Only that line differs, and only it fails the check.
    const auto goodLines = splitLines(goodCard);
    const auto badLines = splitLines(badCard);
    ASSERT_EQ(goodLines.size(), badLines.size());
    for (size_t i = 0; i < goodLines.size(); ++i) {
      const bool spoiled = static_cast<int>(i) + 1 == lc.line;
      EXPECT_EQ(goodLines[i] != badLines[i], spoiled) << "line " << i + 1;
      EXPECT_EQ(checkCardLine(badLines[i]), !spoiled) << "line " << i + 1;
    }

    const auto read = readCardText(badCard);
    EXPECT_EQ(read.invalidLine, lc.line);
    EXPECT_NE(read.problem.find("line " + std::to_string(lc.line)), std::string::npos) << read.problem;
    size_t handedOver = 0;
    for (const CardRace& race : races) handedOver += race.lastLine + 1 < lc.line;
    ASSERT_EQ(read.races.size(), handedOver);
    for (size_t r = 0; r < handedOver; ++r) {
      EXPECT_EQ(read.races[r]->text.raceNumber, goodRead.races[r]->text.raceNumber);
      ASSERT_EQ(read.races[r]->card.horseCount, goodRead.races[r]->card.horseCount);
      for (int h = 0; h < read.races[r]->card.horseCount; ++h) {
        EXPECT_STREQ(read.races[r]->card.horses[h].name, goodRead.races[r]->card.horses[h].name);
      }
    }
  }
  // A line beyond the card spoils nothing.
  SampleOptions beyond = good;
  beyond.badCheckLine = lastLine + 1;
  EXPECT_EQ(generateSampleDays(beyond)[0].cardText, goodCard);
}

}  // namespace
}  // namespace stridewell::gen
