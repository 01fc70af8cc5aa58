// How one card line becomes the race header and a horse: read through the
// card reader from lines built field by field.
#include "race/card_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "card_line_builder.h"
#include "race/card_values.h"

namespace stridewell {
namespace {

using test::CardLineBuilder;
using test::horseLine;
using test::joinLines;
using test::readCard;
using test::val;

// The one horse of a one-line race.
HorseEntry onlyHorse(const CardLineBuilder& line, Race* raceOut = nullptr) {
  const auto outcome = readCard(line.build() + "\n");
  EXPECT_FALSE(outcome.invalid);
  EXPECT_EQ(outcome.races.size(), 1u);
  if (outcome.races.empty()) return HorseEntry{};
  const Race& race = outcome.races[0];
  EXPECT_EQ(+race.card.horseCount, 1);
  if (raceOut) *raceOut = race;
  return race.card.horses[0];
}

TEST(CardLine, RaceHeaderComesFromTheFirstLine) {
  CardLineBuilder first = horseLine("sa", "20240315", "5", "FIRST");
  first.set(5, "S");  // scratched: adds no horse, but still sets the header
  first.set(6, "1320").set(7, "t").set(8, "C").set(10, "12500").set(12, "20000");
  first.set(144, "BUF").set(145, "SA").set(195, "7");
  first.set(1142, "FIRST COMMENT");
  CardLineBuilder second = horseLine("SA", "20240315", "5", "SECOND");
  second.set(6, "1870").set(7, "D").set(8, "A").set(10, "1").set(12, "2");
  second.set(144, "AOC").set(145, "AQU").set(195, "9");
  second.set(1142, "SECOND COMMENT");

  const auto outcome = readCard(joinLines({first.build(), second.build()}));
  ASSERT_EQ(outcome.races.size(), 1u);
  const Race& race = outcome.races[0];
  const RaceCard& card = race.card;
  EXPECT_EQ(+card.horseCount, 1);
  EXPECT_STREQ(card.horses[0].name, "SECOND");
  EXPECT_EQ(+card.hostRaceNumber, 7);
  EXPECT_STREQ(card.hostTrack, "SAX");
  EXPECT_EQ(val(card.date), (2024 << 16) | (15 << 8) | 3);
  EXPECT_FLOAT_EQ(val(card.distance), 6.0f);
  EXPECT_EQ(+card.raceClass.type, ClassCode::kClaiming);
  EXPECT_EQ(val(card.raceClass.amount), 12500);
  EXPECT_EQ(+card.surface, RaceCard::kTurf);
  for (uint8_t b : card.reserved) EXPECT_EQ(b, 0);

  const RaceCardText& text = race.text;
  EXPECT_STREQ(text.cardTrack, "saX");  // normalised, case kept
  EXPECT_EQ(text.raceNumber, 5);
  EXPECT_STREQ(text.restriction, "BUF");
  EXPECT_STREQ(text.commentLines[0], "FIRST COMMENT");
}

TEST(CardLine, CommentLinesLoseTheWageringSuffix) {
  struct Case {
    std::string field;
    std::string stored;
  };
  const Case cases[] = {
      {"NO SHOW WAGERING THIS RACE", "NO SHOW"},
      {"WAGERING THIS RACE", "WAGERING THIS RACE"},    // no leading blank: kept whole
      {"  WAGERING THIS RACE", "WAGERING THIS RACE"},  // leading blanks are trimmed first
      {"NO SHOW WAGERING THIS RACE.", "NO SHOW WAGERING THIS RACE."},
      {"no show wagering this race", "no show wagering this race"},  // exact text only
      {"A  WAGERING THIS RACE", "A "},                               // one blank belongs to the suffix
      {"PURSE $20000", "PURSE $20000"},
      {"\"PURSE $20,000\"", "PURSE $20,000"},        // a quoted comma stays in the field
      {std::string(70, 'C'), std::string(64, 'C')},  // cut to the slot
  };
  for (int line = 0; line < kCommentLines; ++line) {
    for (const Case& c : cases) {
      CardLineBuilder builder = horseLine("SA", "20240315", "1", "H");
      builder.set(1142 + line, c.field);
      Race race;
      onlyHorse(builder, &race);
      EXPECT_EQ(std::string(race.text.commentLines[line]), c.stored)
          << "comment line " << line << " \"" << c.field << "\"";
      for (int other = 0; other < kCommentLines; ++other) {
        if (other != line) {
          EXPECT_STREQ(race.text.commentLines[other], "");
        }
      }
    }
  }
}

TEST(CardLine, HorseMembers) {
  CardLineBuilder line = horseLine("SA", "20240315", "1", "  FLYING   FOX  ");
  line.set(4, "7").set(17, "118").set(83, "J SMITH").set(1141, "4.5").set(1140, "1A");
  line.set(46, "10").set(47, "3").set(48, "2").set(49, "1");     // lifetimeRecord
  line.set(51, "3").set(52, "1").set(53, "2").set(54, "0");      // distanceRecord
  line.set(56, "8").set(57, "1");                                // trackRecord
  line.set(61, "0").set(62, "5");                                // turfRecord: no starts
  line.set(76, "200").set(77, "1");                              // wetRecord
  line.set(186, "6").set(187, "1").set(188, "5").set(189, "6");  // dirtRecord
  line.set(196, "201").set(197, "1");                            // allWeatherRecord
  // Blocks A and B: field 66 is read through six characters for startsThisYear,
  // through eight for the sum.
  line.set(66, "0000012").set(67, "2").set(68, "0").set(69, "4").set(70, "150000");
  line.set(71, "0000034").set(72, "3").set(73, "23").set(74, "0").set(75, "-5");
  line.set(201, "123.5").set(135, "1.25").set(142, "99.5").set(143, "101.75");
  line.set(1032, "-3.5").set(1033, "7").set(137, "-12").set(139, "70000");
  line.set(171, "21.5").set(172, "45").set(175, "18.25").set(176, "40.5");

  Race race;
  const HorseEntry h = onlyHorse(line, &race);
  EXPECT_STREQ(h.name, "FLYING   FOX");
  EXPECT_EQ(+h.postPosition, 7);
  EXPECT_EQ(+h.weight, 118);
  EXPECT_STREQ(h.jockey, "J SMITH");
  EXPECT_FLOAT_EQ(val(h.morningLine), 4.5f);
  EXPECT_EQ(val(h.startsThisYear), 1);
  EXPECT_EQ(val(h.startsLastYear), 3);
  EXPECT_EQ(val(h.earningsThisYear), 150000);
  EXPECT_EQ(val(h.earningsLastYear), -5);
  EXPECT_FLOAT_EQ(val(h.primePower), 123.5f);
  EXPECT_FLOAT_EQ(val(h.bestSpeedPastYear), 1.25f);
  EXPECT_FLOAT_EQ(val(h.avgCompetitiveLevel), 99.5f);
  EXPECT_FLOAT_EQ(val(h.currentClass), 101.75f);
  EXPECT_FLOAT_EQ(val(h.recentEarlyPace), -3.5f);
  EXPECT_FLOAT_EQ(val(h.recentLatePace), 7.0f);
  EXPECT_EQ(val(h.cardDaysSinceLastRace), -12);
  EXPECT_EQ(val(h.bestSpeedLifetime), 70000 - 65536);
  EXPECT_FLOAT_EQ(val(h.trainerWinPercent), 21.5f);
  EXPECT_FLOAT_EQ(val(h.trainerInMoneyPercent), 45.0f);
  EXPECT_FLOAT_EQ(val(h.jockeyWinPercent), 18.25f);
  EXPECT_FLOAT_EQ(val(h.jockeyInMoneyPercent), 40.5f);
  for (uint8_t b : h.reserved) EXPECT_EQ(b, 0);

  struct BlockCase {
    const char* what;
    RecordBlock block;
    RecordBlock expected;
  };
  const BlockCase blocks[] = {
      {"lifetimeRecord", h.lifetimeRecord, {10, 30, 20, 10}},
      {"distanceRecord", h.distanceRecord, {3, 33, 67, 0}},
      {"trackRecord", h.trackRecord, {8, 13, 0, 0}},
      {"turfRecord", h.turfRecord, {0, 0, 0, 0}},
      {"wetRecord", h.wetRecord, {200, 1, 0, 0}},
      {"dirtRecord", h.dirtRecord, {6, 17, 83, 100}},
      {"allWeatherRecord", h.allWeatherRecord, {201, 0, 0, 0}},
      // 12 + 34 starts; 5 wins (10.9%), 23 seconds (50%), 4 thirds (8.7%)
      {"twoYearRecord", h.twoYearRecord, {46, 11, 50, 9}},
  };
  for (const BlockCase& c : blocks) {
    EXPECT_EQ(val(c.block.starts), val(c.expected.starts)) << c.what;
    EXPECT_EQ(+c.block.winPercent, +c.expected.winPercent) << c.what;
    EXPECT_EQ(+c.block.secondPercent, +c.expected.secondPercent) << c.what;
    EXPECT_EQ(+c.block.thirdPercent, +c.expected.thirdPercent) << c.what;
  }

  const HorseListEntry& entry = race.text.horseList[0];
  EXPECT_STREQ(entry.programNumber, "1A");
  EXPECT_FLOAT_EQ(entry.morningLine, 4.5f);
}

TEST(CardLine, LongFieldsAreTrimmedThenCut) {
  struct Case {
    std::string field;
    std::string name;
  };
  const Case cases[] = {
      // 26 letters and three blanks fill the 29 characters; the blanks stay.
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ   END", "ABCDEFGHIJKLMNOPQRSTUVWXYZ   "},
      {std::string(40, ' ') + "NAME", "NAME"},
      {"NAME" + std::string(40, ' '), "NAME"},
      {std::string(100, 'N'), std::string(29, 'N')},
  };
  for (const Case& c : cases) {
    const HorseEntry h = onlyHorse(horseLine("SA", "20240315", "1", c.field));
    EXPECT_EQ(std::string(h.name), c.name) << "field \"" << c.field << "\"";
  }
}

TEST(CardLine, Medication) {
  struct Case {
    const char* field;
    int bits;
  };
  const Case cases[] = {{"1", HorseEntry::kLasix},
                        {"2", HorseEntry::kBute},
                        {"3", HorseEntry::kLasix | HorseEntry::kBute},
                        {"0", 0},
                        {"", 0},
                        {"4", 0},
                        {"L", 0}};
  for (const Case& c : cases) {
    const HorseEntry h = onlyHorse(horseLine("SA", "20240315", "1", "H").set(87, c.field));
    EXPECT_EQ(+h.medication, c.bits) << "field 87 \"" << c.field << "\"";
  }
}

TEST(CardLine, AgeAndSexCode) {
  struct Case {
    const char* sex;
    const char* foaled;
    int age;
    char code;
    const char* ageSex;
  };
  // The race is run in 2024.
  const Case cases[] = {
      {"F", "20200501", 4, 'f', "4f"}, {"F", "20190101", 5, 'm', "5m"},
      {"m", "20210101", 3, 'f', "3f"},  // upper-cased; a young mare is a filly
      {"M", "20180101", 6, 'm', "6m"}, {"G", "20220101", 2, 'g', "2g"},
      {"g", "20170101", 7, 'g', "7g"}, {"R", "20170101", 7, 'g', "7g"},
      {"C", "20200101", 4, 'c', "4c"}, {"C", "20190101", 5, 'h', "5h"},
      {"H", "20200101", 4, 'c', "4c"}, {"H", "20120101", 12, 'h', "12h"},
      {"", "20190101", 5, 'h', "5h"},  {"Filly", "20200101", 4, 'f', "4f"},  // the first letter decides
      {"X", "", 0, 'c', "c"},                                                // no foaling date: age 0
      {"F", "", 0, 'f', "f"},          {"F", "2021", 3, 'f', "3f"},          // only the year counts
  };
  for (const Case& c : cases) {
    Race race;
    const HorseEntry h =
        onlyHorse(horseLine("SA", "20240315", "1", "H").set(15, c.sex).set(140, c.foaled), &race);
    EXPECT_EQ(+h.age, c.age) << c.sex << " " << c.foaled;
    EXPECT_EQ(h.sexCode, c.code) << c.sex << " " << c.foaled;
    EXPECT_STREQ(race.text.horseList[0].ageSex, c.ageSex) << c.sex << " " << c.foaled;
  }
}

TEST(CardLine, RateEntries) {
  CardLineBuilder line = horseLine("SA", "20240315", "1", "H");
  line.set(101, "1320").set(93, "110").set(105, "sy");  // 12.0, wet
  line.set(102, "100").set(94, "1.5").set(106, "FT");   // divisor below 2
  line.set(103, "-900").set(95, "-4").set(107, "MY");   // signs dropped
  const HorseEntry h = onlyHorse(line);
  struct Case {
    float rate;
    uint8_t condition;
  };
  const Case expected[] = {{12.0f, kWet}, {0.0f, kDry}, {225.0f, kWet}, {0.0f, kDry}};
  for (int k = 0; k < 4; ++k) {
    EXPECT_FLOAT_EQ(val(h.rateEntries[k].rate), expected[k].rate) << "entry " << k;
    EXPECT_EQ(+h.rateEntries[k].condition, expected[k].condition) << "entry " << k;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(&h.rateEntries[4]);
  for (size_t i = 0; i < 8 * sizeof(RateEntry); ++i) EXPECT_EQ(bytes[i], 0) << "entries 4-11, byte " << i;
}

TEST(CardLine, PastRaceCountAndHostTrackCounts) {
  CardLineBuilder line = horseLine("SA", "20240315", "1", "H");
  line.set(145, "SA");  // host track SAX
  // Past-race track slots: 0 "sa", 1 "SAX", 2 empty, 3 "AQU", 4 "SANTA"
  // (cut to SAN), 5 "SA", 6-9 empty.
  line.set(226, "sa").set(227, "SAX").set(229, "AQU").set(230, "SANTA").set(231, "SA");
  line.set(206, "20240101").set(207, "20231201").set(208, "20231101").set(209, "20231001");
  line.set(210, "20230901").set(211, "20230801");
  // Rate tracks: two at the host track.
  line.set(97, "SA").set(98, "sax").set(99, "FP").set(100, "SAR");
  const HorseEntry h = onlyHorse(line);
  EXPECT_EQ(+h.pastRaceCount, 5);         // non-empty slots, wherever they are
  EXPECT_EQ(+h.pastRacesAtHostTrack, 3);  // all ten slots count, slot 5 too
  EXPECT_EQ(+h.ratesAtHostTrack, 2);
  // The first pastRaceCount past races are filled, the rest stay zero.
  EXPECT_EQ(val(h.pastRaces[0].date), packDate("20240101"));
  EXPECT_EQ(val(h.pastRaces[2].date), packDate("20231101"));  // slot 2's track is empty
  EXPECT_EQ(val(h.pastRaces[4].date), packDate("20230901"));
  const auto* rest = reinterpret_cast<const unsigned char*>(&h.pastRaces[5]);
  for (size_t i = 0; i < 5 * sizeof(PastRace); ++i) ASSERT_EQ(rest[i], 0) << "past races 5-9, byte " << i;
}

TEST(CardLine, HostTrackCountsIgnoreCase) {
  CardLineBuilder line = horseLine("SA", "20240315", "1", "H");
  line.set(145, "aqu");
  line.set(226, "AQU").set(227, "Aqu").set(228, "AQ");
  line.set(97, "AQU").set(98, "aQu").set(99, "AQUX").set(100, "AQ");
  const HorseEntry h = onlyHorse(line);
  EXPECT_EQ(+h.pastRacesAtHostTrack, 2);
  EXPECT_EQ(+h.ratesAtHostTrack, 3);  // AQUX is cut to AQU
}

TEST(CardLine, JockeyGoodRaces) {
  CardLineBuilder line = horseLine("SA", "20240315", "1", "H");
  line.set(83, "J SMITH");
  struct Past {
    const char* track;
    const char* jockey;
    const char* yards;
    const char* finish;
    const char* lengths;
  };
  const Past pasts[] = {
      {"SA", "j smith", "1320", "1", "0"},     // won: good, same jockey ignoring case
      {"SA", "J SMITH", "1320", "5", "1.5"},   // close in a sprint: good
      {"SA", "J SMITH", "1320", "5", "4"},     // beaten 4: not good
      {"SA", "A JONES", "1320", "1", "0"},     // another jockey
      {"SA", "J SMITH", "1870", "4", "2.75"},  // close in a route: good
      {"", "J SMITH", "1320", "1", "0"},       // beyond pastRaceCount
  };
  for (int k = 0; k < 6; ++k) {
    line.set(226 + k, pasts[k].track).set(826 + k, pasts[k].jockey).set(256 + k, pasts[k].yards);
    line.set(556 + k, pasts[k].finish).set(616 + k, pasts[k].lengths);
  }
  const HorseEntry h = onlyHorse(line);
  EXPECT_EQ(+h.pastRaceCount, 5);
  EXPECT_EQ(+h.jockeyGoodRaces, 3);
}

TEST(CardLine, ScratchMarks) {
  struct Case {
    const char* field5;
    bool runs;
  };
  const Case cases[] = {{"S", false}, {"s", false}, {" s ", false}, {"\"S\"", false},
                        {"", true},   {"SC", true}, {"N", true},    {"X", true}};
  for (const Case& c : cases) {
    CardLineBuilder scratched = horseLine("SA", "20240315", "1", "MAYBE");
    scratched.set(5, c.field5);
    const CardLineBuilder running = horseLine("SA", "20240315", "1", "RUNS");
    const auto outcome = readCard(joinLines({scratched.build(), running.build()}));
    ASSERT_EQ(outcome.races.size(), 1u) << c.field5;
    EXPECT_EQ(+outcome.races[0].card.horseCount, c.runs ? 2 : 1) << "field 5 \"" << c.field5 << "\"";
  }
}

}  // namespace
}  // namespace stridewell
