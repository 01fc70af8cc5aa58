// The grouping of lines into races on its own, with the reader's part
// played by a script: field 4 of each line says what the reader makes of
// it. Lines in a row with the same key (fields 1 to 3, ignoring case) make
// one race; lines passed over neither join nor split a race; a stop ends the
// file and drops the race in progress; the line that starts a race is
// applied at the start of the next call.
#include "race/race_grouping.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "race/field_slots.h"
#include "race/line_scanner.h"

namespace stridewell {
namespace {

struct Grouped {
  std::vector<std::string> races;  // the line numbers of each race, "1 2 | 3"
  int checkedLines = 0;
  bool done = false;
};

Grouped group(const std::string& text) {
  static const FieldLayout layout{{1, 1, 7, true}, {2, 2, 12}, {3, 3, 6}, {4, 4, 6}};
  std::istringstream in(text);
  FieldSlots slots(layout);
  LineScanner scanner(in, slots, 0);
  RaceGrouping grouping;
  Grouped grouped;
  std::string race;
  const auto checkLine = [&] {
    ++grouped.checkedLines;
    if (slots[4] == "pass") return LineVerdict::kPassOver;
    if (slots[4] == "stop") return LineVerdict::kStop;
    return LineVerdict::kRaceLine;
  };
  const auto applyLine = [&](bool startsRace) {
    if (startsRace) race = "new";
    race += " " + std::to_string(scanner.lineNumber());
  };
  // The line number the scanner stands at when a race is handed over tells
  // that the line starting the next race has been read, not applied.
  const auto finishRace = [&] {
    grouped.races.push_back(race + " @" + std::to_string(scanner.lineNumber()));
  };
  // Calls go on after the first false: nothing may be yielded after it.
  for (int call = 0; call < 20; ++call) grouping.next(scanner, slots, checkLine, applyLine, finishRace);
  grouped.done = grouping.done();
  return grouped;
}

TEST(RaceGrouping, LinesInARowWithOneKeyMakeOneRace) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> races;
    int checkedLines;
  };
  const Case kCases[] = {
      {"empty file", "", {}, 0},
      {"one line", "SAR,20240315,1,x", {"new 1 @1"}, 1},
      {"key ignores case, a two-letter track's X and what is beyond three letters",
       "sa,20240315,1,x\nSAX,20240315,1,x\nSaxony,20240315,1,x\n",
       {"new 1 2 3 @3"},
       3},
      {"each key part starts a race",
       "SAR,20240315,1,x\nSAR,20240315,2,x\nSAR,20240316,2,x\nAQU,20240316,2,x\n",
       {"new 1 @2", "new 2 @3", "new 3 @4", "new 4 @4"},
       4},
      {"a key seen before starts a race again",
       "SAR,20240315,1,x\nSAR,20240315,2,x\nSAR,20240315,1,x\n",
       {"new 1 @2", "new 2 @3", "new 3 @3"},
       3},
      {"passed-over lines neither join nor split a race",
       "SAR,20240315,1,x\nAQU,20240315,9,pass\nSAR,20240315,1,x\n\nSAR,20240315,2,pass\nSAR,20240315,2,x\n",
       {"new 1 3 @6", "new 6 @6"},
       5},
      {"only passed-over lines", "SAR,20240315,1,pass\nSAR,20240315,1,pass\n", {}, 2},
      {"a stop drops the race in progress, not the ones before",
       "SAR,20240315,1,x\nSAR,20240315,2,x\nSAR,20240315,2,stop\nSAR,20240315,3,x\n",
       {"new 1 @2"},
       3},
      {"a stop on the first line", "SAR,20240315,1,stop\nSAR,20240315,1,x\n", {}, 1},
      {"a line end first holds no line to check", "\nSAR,20240315,1,x\n", {"new 2 @2"}, 1},
      {"a key longer than its slots is cut before it is compared",
       "SARATOGA,20240315123456,1234567,x\nSAR,202403151234,123456,x\n",
       {"new 1 2 @2"},
       2},
  };
  for (const Case& c : kCases) {
    const Grouped grouped = group(c.text);
    EXPECT_EQ(grouped.races, c.races) << c.name;
    EXPECT_EQ(grouped.checkedLines, c.checkedLines) << c.name;
    EXPECT_TRUE(grouped.done) << c.name;
  }
}

TEST(RaceGrouping, NextAfterTheEndOrAStopKeepsReturningFalse) {
  for (const std::string text : {"SAR,20240315,1,x\n", "SAR,20240315,1,x\nSAR,20240315,2,stop\n"}) {
    std::istringstream in(text);
    static const FieldLayout layout{{1, 1, 7, true}, {2, 2, 12}, {3, 3, 6}, {4, 4, 6}};
    FieldSlots slots(layout);
    LineScanner scanner(in, slots, 0);
    RaceGrouping grouping;
    int applied = 0;
    int finished = 0;
    const auto checkLine = [&] { return slots[4] == "stop" ? LineVerdict::kStop : LineVerdict::kRaceLine; };
    const auto applyLine = [&](bool) { ++applied; };
    const auto finishRace = [&] { ++finished; };
    const bool stops = text.find("stop") != std::string::npos;
    EXPECT_EQ(grouping.next(scanner, slots, checkLine, applyLine, finishRace), !stops) << text;
    for (int call = 0; call < 3; ++call) {
      EXPECT_FALSE(grouping.next(scanner, slots, checkLine, applyLine, finishRace)) << text;
    }
    EXPECT_EQ(applied, 1) << text;
    EXPECT_EQ(finished, stops ? 0 : 1) << text;
  }
}

}  // namespace
}  // namespace stridewell
