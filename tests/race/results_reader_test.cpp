#include "race/results_reader.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "card_line_builder.h"
#include "race/card_values.h"

namespace stridewell {
namespace {

using test::joinLines;
using test::readResults;
using test::ResultsLineBuilder;
using test::starterLine;
using test::val;

float payoffAt(const RaceResult& result, size_t offset) {
  float value;
  std::memcpy(&value, reinterpret_cast<const char*>(&result) + offset, sizeof value);
  return value;
}

RaceResult onlyRace(const std::string& text) {
  const auto outcome = readResults(text);
  EXPECT_EQ(outcome.races.size(), 1u);
  return outcome.races.empty() ? RaceResult{} : outcome.races[0];
}

TEST(ResultsReader, HeaderAndFinisherMembers) {
  ResultsLineBuilder line = starterLine("sa", "20240315", "7", "  FLYING FOX  ");
  line.set(5, "t").set(17, "MY").set(18, "9").set(37, "4.5").set(49, "2");
  line.set(75, "").set(76, "5.20").set(77, "3.40");
  const RaceResult r = onlyRace(joinLines({line.build()}));
  for (uint8_t b : r.reserved) EXPECT_EQ(b, 0);
  EXPECT_EQ(+r.raceNumber, 7);
  EXPECT_STREQ(r.track, "saX");
  EXPECT_EQ(val(r.date), (2024 << 16) | (15 << 8) | 3);
  EXPECT_EQ(+r.surface, 1);
  EXPECT_EQ(+r.condition, kWet);
  EXPECT_EQ(+r.finisherCount, 1);
  const FinisherEntry& f = r.finishers[0];
  EXPECT_EQ(+f.finishPosition, 2);
  EXPECT_EQ(+f.postPosition, 9);
  EXPECT_FLOAT_EQ(val(f.winPayoff), 0.0f);
  EXPECT_FLOAT_EQ(val(f.placePayoff), 5.2f);
  EXPECT_FLOAT_EQ(val(f.showPayoff), 3.4f);
  EXPECT_STREQ(f.name, "FLYING FOX");
  EXPECT_FLOAT_EQ(val(f.odds), 4.5f);
  EXPECT_EQ(+f.cardIndex, 0);
  for (uint8_t b : f.reserved) EXPECT_EQ(b, 0);
  const auto* rest = reinterpret_cast<const unsigned char*>(&r.finishers[1]);
  for (size_t i = 0; i < sizeof(RaceResult) - offsetof(RaceResult, finishers) - sizeof(FinisherEntry); ++i) {
    ASSERT_EQ(rest[i], 0) << "unused finisher bytes, byte " << i;
  }
}

TEST(ResultsReader, SurfaceAndCondition) {
  struct Case {
    const char* surface;
    const char* condition;
    int surfaceCode;
    int conditionCode;
  };
  const Case cases[] = {{"D", "FT", 0, kDry},
                        {"d", "sy", 0, kWet},
                        {"T", "GD", 1, kDry},
                        {"A", "", 2, kDry},
                        {"", "My", 2, kWet}};
  for (const Case& c : cases) {
    const RaceResult r =
        onlyRace(starterLine("SA", "20240315", "1", "H").set(5, c.surface).set(17, c.condition).build());
    EXPECT_EQ(+r.surface, c.surfaceCode) << c.surface;
    EXPECT_EQ(+r.condition, c.conditionCode) << c.condition;
  }
}

TEST(ResultsReader, FinishPosition) {
  struct Case {
    const char* field;
    int stored;
  };
  // Text that is no number ("3rd", "-1") makes the line no results line;
  // see LinesThatCannotBeResultsLinesAreSkipped.
  const Case cases[] = {{"1", 1},   {"90", 90}, {"91", 0}, {"99", 0}, {"255", 0},
                        {"256", 0}, {"300", 0}, {"", 0},   {"0", 0},  {"07", 7}};
  for (const Case& c : cases) {
    const RaceResult r = onlyRace(starterLine("SA", "20240315", "1", "H").set(49, c.field).build());
    EXPECT_EQ(+r.finishers[0].finishPosition, c.stored) << "field 49 \"" << c.field << "\"";
  }
}

TEST(ResultsReader, EveryWagerName) {
  struct Case {
    const char* name;
    size_t member;  // offset of the payoff member, 0: none
  };
  const Case cases[] = {
      {"EXACTA", offsetof(RaceResult, exactaPayoff)},
      {"EXACTOR", offsetof(RaceResult, exactaPayoff)},
      {"PERFECTA", offsetof(RaceResult, exactaPayoff)},
      {"QUINELLA", offsetof(RaceResult, quinellaPayoff)},
      {"TRIFECTA", offsetof(RaceResult, trifectaPayoff)},
      {"TRIPLE", offsetof(RaceResult, trifectaPayoff)},
      {"TRIACTOR", offsetof(RaceResult, trifectaPayoff)},
      {"SUPERFECTA", offsetof(RaceResult, superfectaPayoff)},
      {"DAILY DOUBLE", offsetof(RaceResult, dailyDoublePayoff)},
      {"PICK THREE", offsetof(RaceResult, pickThreePayoff)},
      {"PICK FOUR", offsetof(RaceResult, pickFourPayoff)},
      {"PICK SIX", offsetof(RaceResult, pickSixPayoff)},
      {" EXACTA ", offsetof(RaceResult, exactaPayoff)},  // blanks are trimmed off the field
      {"Exacta", 0},                                     // names are case-sensitive
      {"exacta", 0},
      {"EXACTA BOX", 0},  // the whole field must match
      {"DAILY  DOUBLE", 0},
      {"PICK 3", 0},
      {"", 0},
  };
  const size_t members[] = {
      offsetof(RaceResult, exactaPayoff),      offsetof(RaceResult, quinellaPayoff),
      offsetof(RaceResult, trifectaPayoff),    offsetof(RaceResult, superfectaPayoff),
      offsetof(RaceResult, dailyDoublePayoff), offsetof(RaceResult, pickThreePayoff),
      offsetof(RaceResult, pickFourPayoff),    offsetof(RaceResult, pickSixPayoff),
  };
  for (int slot : {0, 4, 8}) {
    for (const Case& c : cases) {
      const RaceResult r = onlyRace(
          starterLine("SA", "20240315", "1", "H").set(78 + slot, c.name).set(96 + slot, "123.40").build());
      for (size_t member : members) {
        EXPECT_FLOAT_EQ(payoffAt(r, member), member == c.member ? 123.4f : 0.0f)
            << "wager \"" << c.name << "\" in slot " << slot << ", member at " << member;
      }
    }
  }
}

TEST(ResultsReader, FirstNonZeroPayoffWins) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> slots;  // name and amount of slots 0..
    float exacta;
    float trifecta;
  };
  const Case cases[] = {
      {"empty amount leaves 0; a later slot fills it",
       {{"EXACTA", ""}, {"TRIFECTA", "88"}, {"EXACTOR", "42.40"}},
       42.4f,
       88.0f},
      {"zero amount leaves 0; a later slot fills it",
       {{"EXACTA", "0"}, {"PERFECTA", "0.00"}, {"EXACTA", "7"}},
       7.0f,
       0.0f},
      {"first non-zero wins",
       {{"TRIFECTA", "100"}, {"TRIPLE", "200"}, {"EXACTA", "5"}, {"EXACTA", "6"}},
       5.0f,
       100.0f},
      {"mixed case matches nothing", {{"Exacta", "10"}, {"EXACTA", "11"}}, 11.0f, 0.0f},
      {"amount without a wager name", {{"", "10"}}, 0.0f, 0.0f},
  };
  for (const Case& c : cases) {
    ResultsLineBuilder line = starterLine("SA", "20240315", "1", "H");
    for (size_t i = 0; i < c.slots.size(); ++i) {
      line.set(78 + static_cast<int>(i), c.slots[i].first).set(96 + static_cast<int>(i), c.slots[i].second);
    }
    const RaceResult r = onlyRace(line.build());
    EXPECT_FLOAT_EQ(val(r.exactaPayoff), c.exacta) << c.what;
    EXPECT_FLOAT_EQ(val(r.trifectaPayoff), c.trifecta) << c.what;
  }
}

TEST(ResultsReader, PayoffsAcrossLinesOfARace) {
  const auto outcome = readResults(joinLines({
      starterLine("SA", "20240315", "1", "A")
          .set(78, "EXACTA")
          .set(96, "0")
          .set(79, "QUINELLA")
          .set(97, "9")
          .build(),
      starterLine("SA", "20240315", "1", "B")
          .set(78, "EXACTA")
          .set(96, "31.2")
          .set(79, "QUINELLA")
          .set(97, "15")
          .build(),
      starterLine("SA", "20240315", "1", "C").set(78, "EXACTA").set(96, "99").build(),
      starterLine("SA", "20240315", "2", "D").build(),
  }));
  ASSERT_EQ(outcome.races.size(), 2u);
  EXPECT_FLOAT_EQ(val(outcome.races[0].exactaPayoff), 31.2f);   // zero on line 1, filled on line 2
  EXPECT_FLOAT_EQ(val(outcome.races[0].quinellaPayoff), 9.0f);  // set on line 1, kept
  EXPECT_FLOAT_EQ(val(outcome.races[1].exactaPayoff), 0.0f);    // a new race starts from zero
  EXPECT_FLOAT_EQ(val(outcome.races[1].quinellaPayoff), 0.0f);
}

TEST(ResultsReader, ShortLinesLeaveLaterSlotsAsTheyWere) {
  const auto outcome = readResults(joinLines({
      starterLine("SA", "20240315", "1", "A")
          .set(49, "1")
          .set(75, "6.40")
          .set(78, "EXACTA")
          .set(96, "20")
          .build(),
      starterLine("SA", "20240315", "1", "B", 49).set(49, "2").build(),  // ends at field 49
      starterLine("SA", "20240315", "2", "C", 30).build(),
  }));
  ASSERT_EQ(outcome.races.size(), 2u);
  EXPECT_FLOAT_EQ(val(outcome.races[0].finishers[1].winPayoff), 6.4f);  // field 75 kept from line A
  EXPECT_EQ(+outcome.races[0].finishers[1].finishPosition, 2);
  EXPECT_EQ(+outcome.races[1].finishers[0].finishPosition, 2);  // field 49 kept from line B
  EXPECT_FLOAT_EQ(val(outcome.races[1].exactaPayoff), 20.0f);   // fields 78 and 96 kept too
}

TEST(ResultsReader, KeyIgnoresCaseAndPadding) {
  const auto outcome = readResults(joinLines({
      starterLine("sa", "20240315", "1", "A").build(),
      starterLine("SA", "20240315", "1", "B").build(),
      starterLine("SAX", "20240315", "1", "C").build(),
      starterLine("SA", "20240315", "2", "D").build(),
      starterLine("SA", "20240316", "2", "E").build(),
  }));
  ASSERT_EQ(outcome.races.size(), 3u);
  EXPECT_EQ(+outcome.races[0].finisherCount, 3);
  EXPECT_STREQ(outcome.races[0].finishers[2].name, "C");
  EXPECT_STREQ(outcome.races[0].track, "saX");  // from the race's first line
  EXPECT_EQ(+outcome.races[1].finisherCount, 1);
  EXPECT_EQ(+outcome.races[1].raceNumber, 2);
  EXPECT_EQ(+outcome.races[2].finisherCount, 1);
}

TEST(ResultsReader, LineEndVariants) {
  const std::string a = starterLine("SA", "20240315", "1", "A").build();
  const std::string b = starterLine("SA", "20240315", "1", "B").build();
  const std::string c = starterLine("SA", "20240315", "2", "C").build();
  struct Case {
    const char* what;
    std::string text;
    size_t races;
    int lastRaceFinishers;
  };
  const Case cases[] = {
      {"LF", a + "\n" + b + "\n" + c + "\n", 2, 1},
      {"no trailing line end: the last race is still handed over", a + "\n" + b + "\n" + c, 2, 1},
      {"CR LF and blank lines", a + "\r\n\r\n" + b + "\r\n\n\n" + c + "\r\n", 2, 1},
      {"leading line end", "\n" + a + "\n" + b + "\n" + c, 2, 1},
      {"a single line without line end", a, 1, 1},
      {"empty file", "", 0, 0},
      {"only line ends", "\n\r\n\n", 0, 0},
      {"CR", a + "\r" + b + "\r" + c + "\r", 2, 1},
      {"CR and blank lines, no last line end", "\r" + a + "\r\r" + b + "\r" + c, 2, 1},
      {"CR, CR LF and LF mixed", a + "\r\n" + b + "\r" + c + "\n", 2, 1},
  };
  for (const Case& cs : cases) {
    const auto outcome = readResults(cs.text);
    ASSERT_EQ(outcome.races.size(), cs.races) << cs.what;
    EXPECT_EQ(outcome.skippedLineCount, 0) << cs.what;
    if (cs.races > 0) {
      EXPECT_EQ(+outcome.races.back().finisherCount, cs.lastRaceFinishers) << cs.what;
    }
  }
}

TEST(ResultsReader, SixtyFourthAndLaterLinesAreDropped) {
  std::vector<std::string> lines;
  for (int i = 1; i <= 66; ++i)
    lines.push_back(starterLine("SA", "20240315", "1", std::string("S").append(std::to_string(i))).build());
  for (int i = 1; i <= 2; ++i)
    lines.push_back(starterLine("SA", "20240315", "2", std::string("T").append(std::to_string(i))).build());
  const auto outcome = readResults(joinLines(lines));
  ASSERT_EQ(outcome.races.size(), 2u);
  EXPECT_EQ(+outcome.races[0].finisherCount, 63);
  EXPECT_STREQ(outcome.races[0].finishers[62].name, "S63");
  EXPECT_EQ(outcome.droppedLines[0], 3);
  EXPECT_EQ(+outcome.races[1].finisherCount, 2);
  EXPECT_EQ(outcome.droppedLines[1], 0);
  const auto& spare = outcome.races[0].spare;
  for (uint8_t b : spare) EXPECT_EQ(b, 0);
}

TEST(ResultsReader, LongLinesAndFields) {
  // 200 fields: those after 104 are read and ignored.
  ResultsLineBuilder wide = starterLine("SA", "20240315", "1", "WIDE", 200);
  wide.set(78, "EXACTA").set(96, "10").set(150, "PICK SIX").set(199, "999");
  const RaceResult r = onlyRace(wide.build() + "\n");
  EXPECT_STREQ(r.finishers[0].name, "WIDE");
  EXPECT_FLOAT_EQ(val(r.exactaPayoff), 10.0f);
  EXPECT_FLOAT_EQ(val(r.pickSixPayoff), 0.0f);

  // Overlong texts are cut to their slots.
  const RaceResult cut = onlyRace(starterLine("SANTA ANITA", "20240315", "1", std::string(60, 'N'))
                                      .set(78, std::string(54, 'E') + "EXACTA")
                                      .set(96, "10")
                                      .build());
  EXPECT_STREQ(cut.track, "SAN");
  EXPECT_FLOAT_EQ(val(cut.exactaPayoff), 0.0f);  // the name was cut before it reached EXACTA
  EXPECT_EQ(std::string(cut.finishers[0].name), std::string(29, 'N'));
}

TEST(ResultsReader, EachRaceStartsFromZero) {
  const std::string text = joinLines({
      starterLine("SA", "20240315", "1", "A").set(78, "EXACTA").set(96, "12").set(75, "8").build(),
      starterLine("SA", "20240315", "1", "B").build(),
      starterLine("SA", "20240315", "2", "C").set(78, "").set(96, "").set(75, "").build(),
  });
  const auto clean = readResults(text, 0);
  const auto dirty = readResults(text, 0xA5);
  ASSERT_EQ(clean.races.size(), 2u);
  ASSERT_EQ(dirty.races.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(std::memcmp(&clean.races[i], &dirty.races[i], sizeof(RaceResult)), 0) << "race " << i;
  }
  EXPECT_EQ(+clean.races[1].finisherCount, 1);
  EXPECT_FLOAT_EQ(val(clean.races[1].exactaPayoff), 0.0f);
}

// A line that cannot be a starter's line is skipped and noted with its line
// number and the reason; the race around it stays whole.
TEST(ResultsReader, LinesThatCannotBeResultsLinesAreSkipped) {
  auto withField = [](int field, std::string text) {
    return starterLine("SA", "20240315", "1", "BAD").set(field, std::move(text)).build();
  };
  std::string commaJunk;
  for (int i = 0; i < 100000; ++i) commaJunk += "junk text,";
  std::string binary;
  for (int i = 0; binary.size() < 4000; ++i) {
    const char c = static_cast<char>(0x21 + (i * 37) % 200);
    if (c != ',' && c != '"') binary += c;
  }
  struct Case {
    std::string line;
    std::string reason;  // the start of the reason given
  };
  const Case cases[] = {
      {"SA,20240315,1,,D", "5 fields; a results line has at least 20"},
      {"no commas at all", "1 field; a results line has at least 20"},
      {std::string(1 << 20, 'x'), "1 field;"},
      {commaJunk, "more than 500 fields"},
      {binary, "1 field;"},
      {starterLine("SA", "20240315", "1", "WIDE", 501).build(), "more than 500 fields"},
      {test::horseLine("SA", "20240315", "1", "CARD").build(), "more than 500 fields"},  // a card line
      {withField(1, ""), "track code \"\" is not two or three letters"},
      {withField(1, "S"), "track code \"S\""},
      {withField(1, "S1"), "track code \"S1X\""},
      {withField(1, "123"), "track code \"123\""},
      {withField(1, "A\x01\xff"), "track code \"A??\""},
      {withField(3, "100"), "race number \"100\" is not a number from 0 to 99"},
      {withField(3, "1A"), "race number \"1A\""},
      {withField(3, "-1"), "race number \"-1\""},
      {withField(49, "3rd"), "finish position \"3rd\" is not a number from 0 to 999"},
      {withField(49, "-1"), "finish position \"-1\""},
      {withField(49, "1.5"), "finish position \"1.5\""},
      {withField(49, "1000"), "finish position \"1000\""},
      {withField(37, "abc"), "odds \"abc\" are not a number from 0 to 99999.99"},
      {withField(37, "-2"), "odds \"-2\""},
      {withField(37, "1e5"), "odds \"1e5\""},
      {withField(37, "2.5.1"), "odds \"2.5.1\""},
      {withField(37, "."), "odds \".\""},
      {withField(37, "100000"), "odds \"100000\""},
  };
  const std::string first = starterLine("SA", "20240315", "1", "FIRST").set(49, "1").build();
  const std::string last = starterLine("SA", "20240315", "1", "LAST").set(49, "2").build();
  for (const Case& c : cases) {
    const std::string what = c.line.substr(0, 60);
    const auto outcome = readResults(joinLines({first, c.line, last}));
    ASSERT_EQ(outcome.races.size(), 1u) << what;
    ASSERT_EQ(+outcome.races[0].finisherCount, 2) << what;
    EXPECT_STREQ(outcome.races[0].finishers[1].name, "LAST") << what;
    ASSERT_EQ(outcome.skippedLineCount, 1) << what;
    ASSERT_EQ(outcome.skippedLines.size(), 1u) << what;
    EXPECT_EQ(outcome.skippedLines[0].line, 2) << what;
    EXPECT_EQ(outcome.skippedLines[0].reason.rfind(c.reason, 0), 0u)
        << what << "\nreason: " << outcome.skippedLines[0].reason;
    EXPECT_FALSE(outcome.noResultsLine) << what;
  }
}

// Odd but possible starter lines read as they always did.
TEST(ResultsReader, UnusualLinesThatAreStillResultsLines) {
  struct Case {
    const char* what;
    std::string line;
  };
  const Case cases[] = {
      {"track in lower case", starterLine("sa", "20240315", "1", "H").build()},
      {"three-letter track", starterLine("AQU", "20240315", "1", "H").build()},
      {"FP", starterLine("FP", "20240315", "1", "H").build()},
      {"track written out", starterLine("SANTA ANITA", "20240315", "1", "H").build()},
      {"quoted, padded fields", starterLine("\" SA \"", "20240315", " 12 ", "H").set(37, " 2.50 ").build()},
      {"race 99", starterLine("SA", "20240315", "99", "H").build()},
      {"race 0: the file does not say", starterLine("SA", "20240315", "0", "H").build()},
      {"no race number", starterLine("SA", "20240315", "", "H").build()},
      {"exactly 20 fields", starterLine("SA", "20240315", "1", "H", 20).build()},
      {"exactly 500 fields", starterLine("SA", "20240315", "1", "H", 500).build()},
      {"odds .5", starterLine("SA", "20240315", "1", "H").set(37, ".5").build()},
      {"odds 99999.99", starterLine("SA", "20240315", "1", "H").set(37, "99999.99").build()},
      {"odds 0", starterLine("SA", "20240315", "1", "H").set(37, "0").build()},
      {"finish 999", starterLine("SA", "20240315", "1", "H").set(49, "999").build()},
      {"binary bytes in the name", starterLine("SA", "20240315", "1", "\xff\x01\x80").build()},
  };
  for (const Case& c : cases) {
    const auto outcome = readResults(joinLines({c.line}));
    EXPECT_EQ(outcome.skippedLineCount, 0) << c.what;
    ASSERT_EQ(outcome.races.size(), 1u) << c.what;
    EXPECT_EQ(+outcome.races[0].finisherCount, 1) << c.what;
  }
}

TEST(ResultsReader, AFileWithoutAResultsLineIsNoResultsFile) {
  std::string zipBytes("PK\x03\x04\x14\x00\x00\x00\x08\x00", 10);
  for (int i = 0; i < 3000; ++i) zipBytes += static_cast<char>((i * 131) % 256);
  const std::string card = joinLines({test::horseLine("SA", "20240315", "1", "A").build(),
                                      test::horseLine("SA", "20240315", "2", "B").build()},
                                     "\r\n");
  struct Case {
    const char* what;
    std::string text;
    bool noResultsLine;
  };
  const Case cases[] = {
      {"empty", "", true},
      {"line ends only", "\r\n\r\n", true},
      {"a card file", card, true},
      {"an archive", zipBytes, true},
      {"one results line among junk", "junk\n" + starterLine("SA", "20240315", "1", "H").build() + "\njunk\n",
       false},
  };
  for (const Case& c : cases) {
    const auto outcome = readResults(c.text);
    EXPECT_EQ(outcome.noResultsLine, c.noResultsLine) << c.what;
    if (c.noResultsLine) {
      EXPECT_TRUE(outcome.races.empty()) << c.what;
    }
  }
}

// Fields a line leaves out keep what the previous results line put there;
// a skipped line in between changes nothing of that.
TEST(ResultsReader, ASkippedLineLeavesNoFieldBehind) {
  const std::string text = joinLines({
      starterLine("SA", "20240315", "1", "A").set(75, "6.40").set(78, "EXACTA").set(96, "20").build(),
      starterLine("SA", "20240315", "1", "BAD")
          .set(75, "99.00")
          .set(78, "QUINELLA")
          .set(97, "50")
          .set(37, "x")
          .build(),
      starterLine("SA", "20240315", "1", "B", 49).set(49, "2").build(),  // ends at field 49
  });
  const auto outcome = readResults(text);
  ASSERT_EQ(outcome.races.size(), 1u);
  ASSERT_EQ(+outcome.races[0].finisherCount, 2);
  EXPECT_FLOAT_EQ(val(outcome.races[0].finishers[1].winPayoff), 6.4f);
  EXPECT_FLOAT_EQ(val(outcome.races[0].quinellaPayoff), 0.0f);
  EXPECT_EQ(outcome.skippedLineCount, 1);
}

TEST(ResultsReader, SkippedLinesAreCountedBeyondTheOnesNoted) {
  std::vector<std::string> lines;
  lines.push_back(starterLine("SA", "20240315", "1", "A").build());
  for (int i = 0; i < 30; ++i) lines.push_back("junk " + std::to_string(i));
  const auto outcome = readResults(joinLines(lines, "\r"));
  EXPECT_EQ(outcome.races.size(), 1u);
  EXPECT_EQ(outcome.skippedLineCount, 30);
  ASSERT_EQ(outcome.skippedLines.size(), ResultsReader::kMaxNotedSkips);
  EXPECT_EQ(outcome.skippedLines.front().line, 2);
  EXPECT_EQ(outcome.skippedLines.back().line, 21);
}

}  // namespace
}  // namespace stridewell
