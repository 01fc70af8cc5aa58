// The card reader as a whole: lines grouped into races by their key, races
// yielded one at a time, invalid lines, too many horses.
#include "race/card_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "card_line_builder.h"
#include "race/check_code.h"

namespace stridewell {
namespace {

using test::CardLineBuilder;
using test::horseLine;
using test::joinLines;
using test::readCard;
using test::val;

std::vector<std::string> namesOf(const Race& race) {
  std::vector<std::string> names;
  for (int i = 0; i < race.card.horseCount; ++i) names.emplace_back(race.card.horses[i].name);
  return names;
}

std::string line(const char* track, const char* date, const char* race, const char* name) {
  return horseLine(track, date, race, name).build();
}

TEST(CardReader, GroupsLinesByKeyIgnoringCase) {
  const auto outcome = readCard(joinLines({
      line("sa", "20240315", "1", "A1"),
      line("SA", "20240315", "1", "A2"),   // sa and SA: same race
      line("SAX", "20240315", "1", "A3"),  // SA is SAX once normalised
      line("SA", "20240315", "2", "B1"),
      line("SA", "20240316", "2", "C1"),   // another date
      line("AQU", "20240316", "2", "D1"),  // another track
      line("aqu", "20240316", "2", "D2"),
  }));
  EXPECT_FALSE(outcome.invalid);
  EXPECT_EQ(outcome.problem, "");
  ASSERT_EQ(outcome.races.size(), 4u);
  EXPECT_EQ(namesOf(outcome.races[0]), (std::vector<std::string>{"A1", "A2", "A3"}));
  EXPECT_EQ(namesOf(outcome.races[1]), (std::vector<std::string>{"B1"}));
  EXPECT_EQ(namesOf(outcome.races[2]), (std::vector<std::string>{"C1"}));
  EXPECT_EQ(namesOf(outcome.races[3]), (std::vector<std::string>{"D1", "D2"}));
  EXPECT_EQ(outcome.races[1].text.raceNumber, 2);
  EXPECT_EQ(val(outcome.races[2].card.date), (2024 << 16) | (16 << 8) | 3);
}

TEST(CardReader, KeyChangesOnlyOnTheKey) {
  // A race that comes back after another starts anew: the reader compares
  // with the previous line only.
  const auto outcome = readCard(joinLines({
      line("SA", "20240315", "1", "A1"),
      line("SA", "20240315", "2", "B1"),
      line("SA", "20240315", "1", "A2"),
  }));
  ASSERT_EQ(outcome.races.size(), 3u);
  EXPECT_EQ(namesOf(outcome.races[2]), (std::vector<std::string>{"A2"}));
}

TEST(CardReader, EachRaceStartsFromZero) {
  CardLineBuilder first = horseLine("SA", "20240315", "1", "A1");
  first.set(1142, "COMMENT ONE").set(1143, "COMMENT TWO").set(144, "BUF").set(145, "SA");
  first.set(226, "SA").set(206, "20240101").set(17, "120");
  const std::string text = joinLines({
      first.build(),
      first.set(13, "A2").build(),
      first.set(13, "A3").build(),
      line("SA", "20240315", "2", "B1"),
  });
  // Whatever the working Race held before, each yielded race is the same.
  const auto clean = readCard(text, 0);
  const auto dirty = readCard(text, 0xA5);
  ASSERT_EQ(clean.races.size(), 2u);
  ASSERT_EQ(dirty.races.size(), 2u);
  for (size_t r = 0; r < 2; ++r) {
    EXPECT_EQ(std::memcmp(&clean.races[r].card, &dirty.races[r].card, sizeof(RaceCard)), 0) << "race " << r;
    EXPECT_EQ(std::memcmp(&clean.races[r].text, &dirty.races[r].text, sizeof(RaceCardText)), 0)
        << "race " << r;
    EXPECT_EQ(std::memcmp(&clean.races[r].profile, &dirty.races[r].profile, sizeof(RaceProfile)), 0);
  }
  // Race 2 keeps nothing of race 1: unused horse slots and texts are zero.
  const Race& second = clean.races[1];
  EXPECT_EQ(+second.card.horseCount, 1);
  EXPECT_STREQ(second.text.commentLines[0], "");
  EXPECT_STREQ(second.text.restriction, "");
  const auto* unused = reinterpret_cast<const unsigned char*>(&second.card.horses[1]);
  for (size_t i = 0; i < 63 * sizeof(HorseEntry); ++i) ASSERT_EQ(unused[i], 0) << "byte " << i;
  EXPECT_EQ(second.text.horseList[1].programNumber[0], '\0');
  EXPECT_EQ(+second.card.horses[0].pastRaceCount, 0);
}

TEST(CardReader, SixtyFifthRunningHorseIsLeftOut) {
  std::vector<std::string> lines;
  for (int i = 1; i <= 64; ++i) {
    lines.push_back(line("SA", "20240315", "1", (std::string("H").append(std::to_string(i))).c_str()));
    if (i == 10) lines.push_back(horseLine("SA", "20240315", "1", "SCRATCHED").set(5, "S").build());
  }
  // 64 running horses and one scratched: the race is full but not over-full.
  {
    const auto outcome = readCard(joinLines(lines));
    ASSERT_EQ(outcome.races.size(), 1u);
    EXPECT_EQ(+outcome.races[0].card.horseCount, 64);
    EXPECT_FALSE(outcome.tooManyHorses);
  }
  lines.push_back(horseLine("SA", "20240315", "1", "LATE SCRATCH").set(5, "s").build());
  {
    const auto outcome = readCard(joinLines(lines));
    EXPECT_FALSE(outcome.tooManyHorses) << "a scratched 65th line is no extra horse";
  }
  lines.push_back(line("SA", "20240315", "1", "H65"));
  lines.push_back(line("SA", "20240315", "2", "NEXT"));
  const auto outcome = readCard(joinLines(lines));
  EXPECT_TRUE(outcome.tooManyHorses);
  EXPECT_FALSE(outcome.invalid);
  EXPECT_NE(outcome.problem.find("TEST.TCF"), std::string::npos);
  ASSERT_EQ(outcome.races.size(), 2u);
  EXPECT_EQ(+outcome.races[0].card.horseCount, 64);
  EXPECT_STREQ(outcome.races[0].card.horses[63].name, "H64");
  EXPECT_STREQ(outcome.races[0].card.horses[9].name, "H10");
  EXPECT_STREQ(outcome.races[0].card.horses[10].name, "H11");
  EXPECT_STREQ(outcome.races[0].text.horseList[63].ageSex, "c");
  EXPECT_EQ(namesOf(outcome.races[1]), (std::vector<std::string>{"NEXT"}));
}

TEST(CardReader, InvalidLineStopsTheFile) {
  const std::string r1a = line("SA", "20240315", "1", "A1");
  const std::string r1b = line("SA", "20240315", "1", "A2");
  const std::string r2a = line("SA", "20240315", "2", "B1");
  const std::string r3a = line("SA", "20240315", "3", "C1");
  std::string bad = line("SA", "20240315", "2", "B2");
  bad.back() = static_cast<char>(bad.back() ^ 0x01);  // wrong check code

  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> firstHorses;  // of the races yielded
    int invalidLine;
  };
  const Case cases[] = {
      {"bad line in race 2", r1a + "\n" + r1b + "\n\n" + r2a + "\n" + bad + "\n" + r3a + "\n", {"A1"}, 5},
      {"bad line right after race 1's last line", r1a + "\n" + bad + "\n" + r2a + "\n", {}, 2},
      {"bad first line", bad + "\n" + r1a + "\n", {}, 1},
      {"bad last line without a line end", r1a + "\n" + r2a + "\n" + bad, {"A1"}, 3},
      {"line cut short", r1a + "\n" + r2a + "\n" + r3a.substr(0, 500), {"A1"}, 3},
      {"blank lines and CR LF count", r1a + "\r\n\r\n\r\n" + bad + "\r\n", {}, 4},
      {"a leading line end counts", "\n" + r1a + "\n" + r2a + "\n" + bad + "\n", {"A1"}, 4},
      {"a blank-only line is not empty", r1a + "\n" + r2a + "\n   \n" + r3a + "\n", {"A1"}, 3},
  };
  for (const Case& c : cases) {
    const auto outcome = readCard(c.text);
    EXPECT_TRUE(outcome.invalid) << c.what;
    EXPECT_EQ(outcome.invalidLine, c.invalidLine) << c.what;
    std::vector<std::string> first;
    for (const Race& race : outcome.races) first.emplace_back(race.card.horses[0].name);
    EXPECT_EQ(first, c.firstHorses) << c.what;
    EXPECT_NE(outcome.problem.find("TEST.TCF"), std::string::npos) << c.what;
    EXPECT_NE(outcome.problem.find("line " + std::to_string(c.invalidLine)), std::string::npos)
        << c.what << ": " << outcome.problem;
  }
}

TEST(CardReader, CheckCodeMustLieWithinTheKeptRawLine) {
  // Padding in field 1000 lies outside the checked part, so the code stays
  // the same while the line grows; the raw line keeps 20,479 characters.
  CardLineBuilder builder = horseLine("SA", "20240315", "1", "H");
  const std::string shortLine = builder.build();
  const size_t codeLength = shortLine.size() - builder.unchecked().size();
  ASSERT_GE(codeLength, 3u);
  const size_t fits = kRawLineCapacity - shortLine.size();
  struct Case {
    size_t padding;
    bool valid;
  };
  const Case cases[] = {{fits, true}, {fits + 1, false}, {fits + 2, false}};
  for (const Case& c : cases) {
    builder.set(1000, std::string(c.padding, 'p'));
    const std::string text = builder.build();
    const auto outcome = readCard(text + "\n");
    EXPECT_EQ(outcome.invalid, !c.valid) << "line length " << text.size();
  }
}

// The reader finds the check commas while it reads the fields, over the
// whole line; the check itself sees only the 20,479 characters the raw line
// keeps. Around that edge the reader must judge each line as checkCardLine
// judges the kept part of it.
TEST(CardReader, CheckCommaAroundTheRawLineCapacity) {
  CardLineBuilder builder = horseLine("SA", "20240315", "1", "H");
  const size_t codeComma = builder.unchecked().size() - 1;  // field 1000 empty
  const size_t codeLength = builder.build().size() - builder.unchecked().size() - 2;
  ASSERT_GE(codeLength, 1u);                 // a CRC of 0 would need no code at all
  const size_t last = kRawLineCapacity - 1;  // the last character the raw line keeps
  struct Case {
    const char* what;
    size_t commaAt;  // where padding in field 1000 puts the 1495th separator comma
    bool valid;
  };
  const Case cases[] = {
      {"code ends on the last kept character", last - 2 - codeLength, true},
      {"last code character cut off", last - 1 - codeLength, false},
      {"comma is the last kept character", last, false},
      {"comma is the first character beyond", last + 1, false},
      {"comma far beyond", last + 5000, false},
  };
  for (const Case& c : cases) {
    builder.set(1000, std::string(c.commaAt - codeComma, 'p'));
    const std::string text = builder.build();
    ASSERT_TRUE(checkCardLine(text)) << c.what;  // the whole line carries a correct code
    EXPECT_EQ(checkCardLine(std::string_view(text).substr(0, kRawLineCapacity)), c.valid) << c.what;
    const auto outcome = readCard(text + "\n");
    EXPECT_EQ(outcome.invalid, !c.valid) << c.what;
    EXPECT_EQ(outcome.races.size(), c.valid ? 1u : 0u) << c.what;
  }
}

// What follows the code is outside the check, however long.
TEST(CardReader, ValidLinePaddedBeyondTheCapacityAfterItsCode) {
  for (const size_t padding : {size_t{1}, kRawLineCapacity, 3 * kRawLineCapacity}) {
    const std::string first =
        horseLine("SA", "20240315", "1", "FIRST").build() + ",\"x,y\"," + std::string(padding, 'z');
    const std::string second = horseLine("SA", "20240315", "1", "SECOND").build();
    const auto outcome = readCard(joinLines({first, second}));
    EXPECT_FALSE(outcome.invalid) << "padding " << padding;
    ASSERT_EQ(outcome.races.size(), 1u) << "padding " << padding;
    EXPECT_EQ(namesOf(outcome.races[0]), (std::vector<std::string>{"FIRST", "SECOND"}))
        << "padding " << padding;
  }
}

TEST(CardReader, NextAfterTheEndKeepsReturningFalse) {
  std::istringstream in(joinLines({line("SA", "20240315", "1", "A1")}));
  CardReader reader(in, "X.TCF");
  Race race;
  EXPECT_TRUE(reader.next(race));
  EXPECT_FALSE(reader.next(race));
  EXPECT_FALSE(reader.next(race));
  EXPECT_EQ(reader.racesRead(), 1);
  EXPECT_FALSE(reader.invalid());

  std::string bad = line("SA", "20240315", "2", "B");
  bad.pop_back();
  std::istringstream badIn(joinLines({line("SA", "20240315", "1", "A1"), line("SA", "20240315", "2", "B1"),
                                      bad, line("SA", "20240315", "3", "C1")}));
  CardReader badReader(badIn, "Y.TCF");
  EXPECT_TRUE(badReader.next(race));
  EXPECT_FALSE(badReader.next(race));
  EXPECT_FALSE(badReader.next(race)) << "nothing after an invalid line";
  EXPECT_EQ(badReader.invalidLine(), 3);
}

TEST(CardReader, EmptyAndBlankFiles) {
  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      {"empty file", ""},
      {"one line end", "\n"},
      {"CR LF only", "\r\n"},
      {"line ends and control characters", "\n\n\r\n\x01\x1a\n"},
  };
  for (const Case& c : cases) {
    const auto outcome = readCard(c.text);
    EXPECT_TRUE(outcome.races.empty()) << c.what;
    EXPECT_FALSE(outcome.invalid) << c.what;
    EXPECT_EQ(outcome.problem, "") << c.what;
  }
}

TEST(CardReader, LineEndVariants) {
  const std::string a = line("SA", "20240315", "1", "A1");
  const std::string b = line("SA", "20240315", "1", "A2");
  const std::string c = line("SA", "20240315", "2", "B1");
  struct Case {
    const char* what;
    std::string text;
    size_t races;
    int horsesInFirst;
  };
  const Case cases[] = {
      {"LF", a + "\n" + b + "\n" + c + "\n", 2, 2},
      {"CR LF", a + "\r\n" + b + "\r\n" + c + "\r\n", 2, 2},
      {"no final line end", a + "\n" + b + "\n" + c, 2, 2},
      {"blank lines and control characters between lines", a + "\n\n\x01\x02\n" + b + "\n\t\n" + c, 2, 2},
      {"leading line end", "\r\n" + a + "\n" + b + "\n" + c, 2, 2},
      // Old Mac files end their lines with a CR on its own.
      {"CR", a + "\r" + b + "\r" + c + "\r", 2, 2},
      {"CR, blank lines between", a + "\r\r" + b + "\r\r\r" + c, 2, 2},
      {"CR and CR LF mixed", a + "\r" + b + "\r\n" + c + "\r", 2, 2},
  };
  for (const Case& cs : cases) {
    const auto outcome = readCard(cs.text);
    EXPECT_FALSE(outcome.invalid) << cs.what;
    ASSERT_EQ(outcome.races.size(), cs.races) << cs.what;
    EXPECT_EQ(+outcome.races[0].card.horseCount, cs.horsesInFirst) << cs.what;
  }
}

TEST(CardReader, CommaInsideQuotesStaysInTheField) {
  const auto outcome = readCard(joinLines({
      horseLine("SA", "20240315", "1", "\"SMITH, JONES AND CO\"").set(17, "\"1,1\"").build(),
  }));
  ASSERT_EQ(outcome.races.size(), 1u);
  const HorseEntry& h = outcome.races[0].card.horses[0];
  EXPECT_STREQ(h.name, "SMITH, JONES AND CO");
  EXPECT_EQ(+h.weight, 1);  // atoi stops at the comma
}

TEST(CardReader, ReadsSeveralFilesIndependently) {
  const std::string text = joinLines({line("SA", "20240315", "1", "A1")});
  std::istringstream in1(text), in2(text);
  CardReader first(in1, "A.TCF"), second(in2, "B.TCF");
  Race race1, race2;
  // The second file's first line starts a race although its key equals the
  // last key the first reader saw.
  ASSERT_TRUE(first.next(race1));
  ASSERT_TRUE(second.next(race2));
  EXPECT_EQ(+race2.card.horseCount, 1);
  EXPECT_EQ(second.fileName(), "B.TCF");
}

}  // namespace
}  // namespace stridewell
