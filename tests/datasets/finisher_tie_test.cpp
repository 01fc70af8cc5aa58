#include "datasets/finisher_tie.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "race/race.h"

namespace stridewell {
namespace {

void setName(char (&slot)[30], const std::string& name) {
  std::memset(slot, 0, sizeof slot);
  std::memcpy(slot, name.data(), std::min(name.size(), sizeof slot - 1));
}

std::unique_ptr<RaceCard> cardWith(const std::vector<std::string>& names) {
  auto card = std::make_unique<RaceCard>();
  clearRecord(*card);
  card->horseCount = static_cast<uint8_t>(names.size());
  for (size_t i = 0; i < names.size(); ++i) setName(card->horses[i].name, names[i]);
  return card;
}

RaceResult resultWith(const std::vector<std::string>& names) {
  RaceResult result;
  clearRecord(result);
  result.finisherCount = static_cast<uint8_t>(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    setName(result.finishers[i].name, names[i]);
    result.finishers[i].cardIndex = 99;  // shows whether it was written
  }
  return result;
}

TEST(FinisherTie, FindsTheFirstHorseOfTheNameIgnoringCase) {
  const auto card = cardWith({"Alpha Star", "BRAVO", "charlie's dream", "BRAVO", ""});
  struct Case {
    const char* finisher;
    int slot;
  } const cases[] = {
      {"Alpha Star", 0},      {"ALPHA STAR", 0},
      {"alpha star", 0},      {"bravo", 1},  // the first of two horses of that name
      {"CHARLIE'S DREAM", 2}, {"", 4},       // an empty name is a name like any other
      {"ALPHA STAR ", -1},    {"ALPHA", -1},
      {"ALPHA  STAR", -1},    {"DELTA", -1},
  };
  for (const Case& c : cases) {
    char name[30];
    setName(name, c.finisher);
    EXPECT_EQ(findHorseByName(*card, name), c.slot) << '"' << c.finisher << '"';
  }
}

TEST(FinisherTie, LooksOnlyAtTheCardsHorses) {
  auto card = cardWith({"ONE", "TWO", "THREE"});
  card->horseCount = 2;  // slot 2 still holds a name, but is no horse of this race
  char name[30];
  setName(name, "THREE");
  EXPECT_EQ(findHorseByName(*card, name), -1);
}

TEST(FinisherTie, NamesFillingTheirWholeSlotCompareWithoutReadingPastIt) {
  auto card = cardWith({"X"});
  std::memset(card->horses[0].name, 'A', sizeof card->horses[0].name);  // no NUL
  card->horses[0].startsThisYear = 0x4141;  // not NUL: a read past the name would see a longer name
  char name[30];
  std::memset(name, 'a', sizeof name);
  EXPECT_EQ(findHorseByName(*card, name), 0);
  name[29] = 'B';
  EXPECT_EQ(findHorseByName(*card, name), -1);
}

TEST(FinisherTie, SetsEveryCardIndex) {
  const auto card = cardWith({"ONE", "TWO", "THREE", "FOUR"});
  RaceResult result = resultWith({"three", "One", "FOUR", "two"});
  ASSERT_TRUE(tieFinishersToHorses(*card, result));
  const int expected[] = {2, 0, 3, 1};
  for (int j = 0; j < 4; ++j) EXPECT_EQ(+result.finishers[j].cardIndex, expected[j]) << j;
  EXPECT_EQ(+result.finishers[4].cardIndex, 0) << "beyond the finishers nothing is touched";
}

TEST(FinisherTie, OneUnknownFinisherLeavesTheResultAsItWas) {
  const auto card = cardWith({"ONE", "TWO", "THREE"});
  for (int unknownAt = 0; unknownAt < 3; ++unknownAt) {
    std::vector<std::string> names = {"ONE", "TWO", "THREE"};
    names[unknownAt] = "STRANGER";
    RaceResult result = resultWith(names);
    const RaceResult before = result;
    EXPECT_FALSE(tieFinishersToHorses(*card, result)) << unknownAt;
    EXPECT_EQ(std::memcmp(&result, &before, sizeof result), 0) << unknownAt;
  }
}

TEST(FinisherTie, DamagedCountsStayWithinTheRecords) {
  auto card = cardWith({"ONE"});
  card->horseCount = 255;
  RaceResult result = resultWith({"ONE"});
  result.finisherCount = 255;
  // Finishers 1..62 have empty names, which match no horse slot named ONE
  // but do match the empty slots beyond it: every finisher ties.
  EXPECT_TRUE(tieFinishersToHorses(*card, result));
  EXPECT_EQ(+result.finishers[0].cardIndex, 0);
  EXPECT_EQ(+result.finishers[62].cardIndex, 1);
}

}  // namespace
}  // namespace stridewell
