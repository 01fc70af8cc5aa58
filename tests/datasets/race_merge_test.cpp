#include "datasets/race_merge.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/text_case.h"
#include "race/card_line_builder.h"
#include "sample_generator.h"

namespace stridewell {
namespace {

using test::horseLine;
using test::joinLines;
using test::starterLine;

constexpr const char* kDate = "20240315";

// A race of a card or a results file: its track and race number as written
// in the file, and its horses (on a card in post order; in a results file
// in finish order).
struct FileRace {
  std::string track;
  std::string number;
  std::vector<std::string> horses;
  std::string date = kDate;
};

std::vector<std::string> horsesOf(const std::string& number) {
  return {"R" + number + " ALPHA", "R" + number + " BRAVO", "R" + number + " CHARLIE",
          "R" + number + " DELTA"};
}

FileRace cardRace(const std::string& track, int number) {
  return {track, std::to_string(number), horsesOf(std::to_string(number))};
}

// The result of cardRace(track, number): the same horses, finishing in the
// reverse of their card order and written in lower case, so that a tied
// race shows card indexes 3, 2, 1, 0.
FileRace resultRace(const std::string& track, int number) {
  FileRace race = cardRace(track, number);
  std::vector<std::string> finishers(race.horses.rbegin(), race.horses.rend());
  for (std::string& name : finishers) {
    for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  }
  race.horses = finishers;
  return race;
}

std::vector<FileRace> cardRaces(const std::string& track, std::vector<int> numbers) {
  std::vector<FileRace> races;
  for (int n : numbers) races.push_back(cardRace(track, n));
  return races;
}
std::vector<FileRace> resultRaces(const std::string& track, std::vector<int> numbers) {
  std::vector<FileRace> races;
  for (int n : numbers) races.push_back(resultRace(track, n));
  return races;
}

// The card lines of `races`. The host track and race number (which the
// merge goes by) are those of the race key.
std::vector<std::string> cardLines(const std::vector<FileRace>& races) {
  std::vector<std::string> lines;
  for (const FileRace& race : races) {
    for (const std::string& horse : race.horses) {
      lines.push_back(horseLine(race.track, race.date, race.number, horse)
                          .set(145, race.track)
                          .set(195, race.number)
                          .build());
    }
  }
  return lines;
}

std::string cardText(const std::vector<FileRace>& races) {
  return joinLines(cardLines(races), "\r\n");
}

std::string resultsText(const std::vector<FileRace>& races) {
  std::vector<std::string> lines;
  for (const FileRace& race : races) {
    int position = 0;
    for (const std::string& horse : race.horses) {
      lines.push_back(
          starterLine(race.track, race.date, race.number, horse).set(49, std::to_string(++position)).build());
    }
  }
  return joinLines(lines, "\r\n");
}

struct MergeRun {
  std::vector<int> written;  // race numbers handed to the sink, in order
  MergeOutcome outcome;
  int sinkCalls = 0;
};

// Merges the two texts; the sink accepts `accept` races and refuses the
// next. Every race the sink sees is checked: its result belongs to its card
// race, and every finisher's card index points at the horse of its name.
MergeRun runMerge(const std::string& card, const std::string& results, int accept = 1000) {
  std::istringstream cardIn(card), resultsIn(results);
  CardReader cards(cardIn, "TEST.TCF");
  ResultsReader resultReader(resultsIn, "TEST.XRD");
  auto work = std::make_unique<Race>();
  MergeRun run;
  run.outcome = mergeRaces(cards, resultReader, *work, [&](const Race& race) {
    ++run.sinkCalls;
    EXPECT_EQ(+race.card.hostRaceNumber, +race.result.raceNumber);
    EXPECT_TRUE(equalsIgnoreCase(race.card.hostTrack, race.result.track));
    EXPECT_GT(race.result.finisherCount, 0);
    for (int j = 0; j < race.result.finisherCount; ++j) {
      const FinisherEntry& finisher = race.result.finishers[j];
      EXPECT_LT(finisher.cardIndex, race.card.horseCount);
      EXPECT_TRUE(equalsIgnoreCase(race.card.horses[finisher.cardIndex].name, finisher.name))
          << "race " << +race.result.raceNumber << " finisher " << j;
    }
    if (run.sinkCalls > accept) return false;
    run.written.push_back(race.result.raceNumber);
    return true;
  });
  return run;
}

struct MergeCase {
  const char* name;
  std::vector<FileRace> cards;
  std::vector<FileRace> results;
  std::vector<int> written;
  int notTied;
  int cardsWithoutResult;
  int resultsWithoutCard;
};

std::vector<MergeCase> mergeCases() {
  std::vector<MergeCase> cases = {
      {"nine of nine",
       cardRaces("SA", {1, 2, 3, 4, 5, 6, 7, 8, 9}),
       resultRaces("SA", {1, 2, 3, 4, 5, 6, 7, 8, 9}),
       {1, 2, 3, 4, 5, 6, 7, 8, 9},
       0,
       0,
       0},
      {"results lack race 4",
       cardRaces("SA", {1, 2, 3, 4, 5, 6, 7, 8, 9}),
       resultRaces("SA", {1, 2, 3, 5, 6, 7, 8, 9}),
       {1, 2, 3, 5, 6, 7, 8, 9},
       0,
       1,
       0},
      // Card 4 goes for want of result 4 (it meets 5); card 6 meets result
      // 4, which goes; then the results are spent and cards 6-9 are left.
      {"results out of order",
       cardRaces("SA", {1, 2, 3, 4, 5, 6, 7, 8, 9}),
       resultRaces("SA", {1, 2, 3, 5, 4}),
       {1, 2, 3, 5},
       0,
       5,
       1},
      // Every card race meets result 1 of another track and goes; the
      // results are never used.
      {"results of another track",
       cardRaces("SA", {1, 2, 3, 4, 5, 6, 7, 8, 9}),
       resultRaces("AQU", {1, 2, 3, 4, 5, 6, 7, 8, 9}),
       {},
       0,
       9,
       9},
      // A two-letter code gets its X in both files, whatever the case.
      {"track codes differ only in case",
       cardRaces("sa", {1, 2}),
       resultRaces("SAX", {1, 2}),
       {1, 2},
       0,
       0,
       0},
      {"more results than card races",
       cardRaces("SA", {1, 2, 3}),
       resultRaces("SA", {1, 2, 3, 4, 5}),
       {1, 2, 3},
       0,
       0,
       2},
      {"more card races than results",
       cardRaces("SA", {1, 2, 3, 4, 5}),
       resultRaces("SA", {1, 2, 3}),
       {1, 2, 3},
       0,
       2,
       0},
      {"results start late", cardRaces("SA", {1, 2, 3, 4}), resultRaces("SA", {3, 4}), {3, 4}, 0, 2, 0},
      {"card starts late", cardRaces("SA", {3, 4}), resultRaces("SA", {1, 2, 3, 4}), {3, 4}, 0, 0, 2},
      {"empty card file", {}, resultRaces("SA", {1, 2, 3}), {}, 0, 0, 3},
      {"empty results file", cardRaces("SA", {1, 2, 3}), {}, {}, 0, 3, 0},
      {"both empty", {}, {}, {}, 0, 0, 0},
  };
  {
    // A result of race 2 from another day meets card race 2 first.
    MergeCase c{
        "the date is not compared", cardRaces("SA", {1, 2}), resultRaces("SA", {1, 2}), {1, 2}, 0, 0, 0};
    c.results[1].date = "20230101";
    cases.push_back(c);
  }
  {
    MergeCase c{"a finisher not on the card",
                cardRaces("SA", {1, 2, 3, 4}),
                resultRaces("SA", {1, 2, 3, 4}),
                {1, 2, 4},
                1,
                0,
                0};
    c.results[2].horses[1] = "R3 BRAVO II";
    cases.push_back(c);
  }
  {
    // Race 2's result names a horse of race 1: a name from the wrong race
    // is as unknown as any other.
    MergeCase c{
        "a finisher of another race", cardRaces("SA", {1, 2}), resultRaces("SA", {1, 2}), {1}, 1, 0, 0};
    c.results[1].horses[0] = "R1 ALPHA";
    cases.push_back(c);
  }
  {
    // A result may name fewer horses than ran; those it names must be on the card.
    MergeCase c{"fewer finishers than horses", cardRaces("SA", {1}), resultRaces("SA", {1}), {1}, 0, 0, 0};
    c.results[0].horses.resize(2);
    cases.push_back(c);
  }
  {
    // Card race number 0 goes whatever the results hold; the result of
    // race 1 then meets card race 2 and goes.
    MergeCase c{
        "card race number empty", cardRaces("SA", {1, 2, 3}), resultRaces("SA", {1, 2, 3}), {2, 3}, 0, 1, 1};
    c.cards[0].number = "";
    cases.push_back(c);
  }
  {
    MergeCase c{"card race number zero", cardRaces("SA", {1, 2}), resultRaces("SA", {0, 1, 2}), {2}, 0, 1, 2};
    c.cards[0].number = "0";
    cases.push_back(c);
  }
  {
    MergeCase c{
        "result race number zero", cardRaces("SA", {1, 2}), resultRaces("SA", {0, 1, 2}), {1, 2}, 0, 0, 1};
    c.results[0].number = "";
    cases.push_back(c);
  }
  {
    // Result 1 of another track stands first: it drops every card race,
    // including the one whose result follows.
    MergeCase c{"a result of another track first",
                cardRaces("SA", {1, 2, 3}),
                resultRaces("SA", {1, 2, 3}),
                {},
                0,
                3,
                3};
    c.results.insert(c.results.begin(), resultRace("AQU", 1));
    c.results.pop_back();
    c.resultsWithoutCard = 3;
    cases.push_back(c);
  }
  {
    // Two results of race 1 (two days): the second meets card race 2 and goes.
    MergeCase c{"a race number repeated in the results",
                cardRaces("SA", {1, 2}),
                resultRaces("SA", {1, 1, 2}),
                {1, 2},
                0,
                0,
                1};
    c.results[1].date = "20240316";
    cases.push_back(c);
  }
  {
    // A card race of another track (a simulcast) goes, and its own result
    // number then meets the next card race.
    MergeCase c{"a card race of another track",
                cardRaces("SA", {1, 2, 3}),
                resultRaces("SA", {1, 2, 3}),
                {1, 3},
                0,
                1,
                1};
    c.cards[1].track = "AQU";
    cases.push_back(c);
  }
  return cases;
}

TEST(RaceMerge, DecidesEachRaceLikeTheHandOff) {
  for (const MergeCase& c : mergeCases()) {
    SCOPED_TRACE(c.name);
    const MergeRun run = runMerge(cardText(c.cards), resultsText(c.results));
    EXPECT_EQ(run.written, c.written);
    EXPECT_EQ(run.outcome.racesWritten, static_cast<int>(c.written.size()));
    EXPECT_EQ(run.outcome.racesNotTied, c.notTied);
    EXPECT_EQ(run.outcome.cardRacesWithoutResult, c.cardsWithoutResult);
    EXPECT_EQ(run.outcome.resultsWithoutCardRace, c.resultsWithoutCard);
    // Every race of either file is accounted for once.
    EXPECT_EQ(run.outcome.racesWritten + run.outcome.racesNotTied + run.outcome.cardRacesWithoutResult,
              static_cast<int>(c.cards.size()));
    EXPECT_EQ(run.outcome.racesWritten + run.outcome.racesNotTied + run.outcome.resultsWithoutCardRace,
              static_cast<int>(c.results.size()));
    EXPECT_FALSE(run.outcome.cardFileInvalid);
    EXPECT_FALSE(run.outcome.stopped);
  }
}

TEST(RaceMerge, WrittenRacesCarryTheirCardIndexes) {
  std::istringstream cardIn(cardText(cardRaces("SA", {1, 2}))),
      resultsIn(resultsText(resultRaces("SA", {1, 2})));
  CardReader cards(cardIn, "TEST.TCF");
  ResultsReader results(resultsIn, "TEST.XRD");
  auto work = std::make_unique<Race>();
  std::vector<std::vector<int>> indexes;
  mergeRaces(cards, results, *work, [&](const Race& race) {
    std::vector<int> raceIndexes;
    for (int j = 0; j < race.result.finisherCount; ++j)
      raceIndexes.push_back(race.result.finishers[j].cardIndex);
    indexes.push_back(raceIndexes);
    return true;
  });
  const std::vector<std::vector<int>> expected = {{3, 2, 1, 0},
                                                  {3, 2, 1, 0}};  // reverse finish, see resultRace
  EXPECT_EQ(indexes, expected);
}

// Card lines of races 1-5 with one line spoilt: it keeps too few separating
// commas to carry a check code.
std::string spoiltCard(int spoiltLine) {
  std::vector<std::string> lines = cardLines(cardRaces("SA", {1, 2, 3, 4, 5}));
  lines.at(spoiltLine - 1) = lines[spoiltLine - 1].substr(0, 200);
  return joinLines(lines, "\r\n");
}

TEST(RaceMerge, ACardThatFailsItsCheckPartWay) {
  struct Case {
    const char* name;
    int spoiltLine;  // 1-based; four lines to a race
    int resultsUpTo;
    std::vector<int> written;
  } const cases[] = {
      // Race 3 is handed over only once the next race's first line has
      // passed its check; a bad first line of race 4 loses race 3 too.
      {"second line of race 4", 14, 5, {1, 2, 3}},
      {"first line of race 4", 13, 5, {1, 2}},
      {"first line of the file", 1, 5, {}},
      // The results run out first; the rest of the card is still read, so
      // the bad line is still found.
      {"after the results end", 18, 2, {1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<int> resultNumbers;
    for (int n = 1; n <= c.resultsUpTo; ++n) resultNumbers.push_back(n);
    const MergeRun run = runMerge(spoiltCard(c.spoiltLine), resultsText(resultRaces("SA", resultNumbers)));
    EXPECT_EQ(run.written, c.written);
    EXPECT_TRUE(run.outcome.cardFileInvalid);
    EXPECT_EQ(run.outcome.cardInvalidLine, c.spoiltLine);
    EXPECT_FALSE(run.outcome.stopped);
  }
}

TEST(RaceMerge, TheSinkCanStopTheMerge) {
  for (int accept : {0, 1, 3}) {
    SCOPED_TRACE(accept);
    // The stop comes before the bad line: the merge does not read on to it.
    const MergeRun run = runMerge(spoiltCard(18), resultsText(resultRaces("SA", {1, 2, 3, 4, 5})), accept);
    EXPECT_TRUE(run.outcome.stopped);
    EXPECT_EQ(run.sinkCalls, accept + 1);
    EXPECT_EQ(run.outcome.racesWritten, accept);
    EXPECT_FALSE(run.outcome.cardFileInvalid);
  }
}

TEST(RaceMerge, GeneratedDaysMergeWhole) {
  gen::SampleOptions options;
  options.seed = 7;
  options.days = 3;
  options.simulcasts = false;
  for (const gen::SampleDay& day : gen::generateSampleDays(options)) {
    SCOPED_TRACE(day.baseName);
    const int cardRaceCount = test::readCard(day.cardText).races.size();
    const int resultCount = test::readResults(day.resultsText).races.size();
    ASSERT_GT(cardRaceCount, 5);
    ASSERT_EQ(resultCount, cardRaceCount);
    const MergeRun run = runMerge(day.cardText, day.resultsText);
    std::vector<int> all;
    for (int n = 1; n <= cardRaceCount; ++n) all.push_back(n);
    EXPECT_EQ(run.written, all);
    EXPECT_EQ(
        run.outcome.racesNotTied + run.outcome.cardRacesWithoutResult + run.outcome.resultsWithoutCardRace,
        0);
  }
}

TEST(RaceMerge, AGeneratedDaySpoiltPartWay) {
  gen::SampleOptions options;
  options.seed = 11;
  options.simulcasts = false;
  options.badCheckLine = 30;
  const auto days = gen::generateSampleDays(options);
  ASSERT_EQ(days.size(), 1u);
  // The races the card reader completes before the bad line are exactly
  // the races that get stored, as every one of them has its result.
  const test::CardOutcome card = test::readCard(days[0].cardText);
  ASSERT_TRUE(card.invalid);
  ASSERT_GT(card.races.size(), 0u);
  std::vector<int> expected;
  for (const Race& race : card.races) expected.push_back(race.card.hostRaceNumber);
  const MergeRun run = runMerge(days[0].cardText, days[0].resultsText);
  EXPECT_EQ(run.written, expected);
  EXPECT_TRUE(run.outcome.cardFileInvalid);
  EXPECT_EQ(run.outcome.cardInvalidLine, card.invalidLine);
}

}  // namespace
}  // namespace stridewell
