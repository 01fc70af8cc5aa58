#include "race/card_values.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "card_line_builder.h"

namespace stridewell {
namespace {

using test::val;

TEST(CardValues, NormalizeTrackCode) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"FP", "FMP"},  // the one renamed track
      {"fp", "fpX"},  // the rename is case-sensitive; the padding is not
      {"Fp", "FpX"},  {"SA", "SAX"},   {"sa", "saX"}, {"AQU", "AQU"}, {"AQUEDUCT", "AQU"},  // cut to three
      {"FPX", "FPX"}, {"FPXY", "FPX"}, {"A", "A"},    {"", ""},
  };
  for (const Case& c : cases) {
    char code[16] = {};
    std::strcpy(code, c.in);
    normalizeTrackCode(code);
    EXPECT_STREQ(code, c.out) << "code \"" << c.in << "\"";
  }
}

TEST(CardValues, SameTrackPadsAndIgnoresCase) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  };
  // FP against FMP is padding only; the FP rename belongs to normalizeTrackCode.
  const Case cases[] = {
      {"SA", "SAX", true},  {"sa", "SAX", true},  {"SAX", "sax", true},
      {"sa", "SA", true},   {"SA", "SAR", false}, {"AQU", "aqu", true},
      {"AQU", "AQ", false}, {"FP", "FMP", false}, {"SAX", "SAXX", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sameTrack(c.a, c.b), c.same) << c.a << " vs " << c.b;
    EXPECT_EQ(sameTrack(c.b, c.a), c.same) << c.b << " vs " << c.a;
  }
}

TEST(CardValues, TrackName) {
  struct Case {
    const char* code;
    const char* name;
  };
  const Case cases[] = {
      {"SA", "Santa Anita"},
      {"SAX", "Santa Anita"},
      {"AKS", "Ak-Sar-Ben"},  // first of the table
      {"FNO", "Fresno"},      // last of the table
      {"FMP", "Fairmount Park"},
      {"FP", "Fairplex"},  // padded to FPX; no FP rename here
      {"CD", "Churchill Downs"},
      {"SPT", "Sportsman's Park"},
      {"HOU", "Sam Houston Race Park"},
      {"sa", "sa"},  // the search is case-sensitive
      {"aqu", "aqu"},
      {"ZZZ", "ZZZ"},  // unknown: the code itself
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(trackName(c.code), c.name) << "code \"" << c.code << "\"";
  }
}

TEST(CardValues, PackDate) {
  struct Case {
    const char* text;
    int32_t packed;
  };
  const Case cases[] = {
      {"20240315", (2024 << 16) | (15 << 8) | 3},
      {"19991231", (1999 << 16) | (31 << 8) | 12},
      {"20000101", (2000 << 16) | (1 << 8) | 1},
      {"2024", 2024 << 16},
      {"202403", (2024 << 16) | 3},
      {"", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(packDate(c.text), c.packed) << "date \"" << c.text << "\"";
  }
  const int32_t date = packDate("20240315");
  EXPECT_EQ(packedYear(date), 2024);
  EXPECT_EQ(packedMonth(date), 3);
  EXPECT_EQ(packedDay(date), 15);
}

TEST(CardValues, DistanceCode) {
  struct Case {
    const char* yards;
    float code;
  };
  const Case cases[] = {
      {"1320", 6.0f},  // six furlongs
      {"1100", 5.0f},
      {"1759", 1759.0f / 220.0f},
      {"1760", 1.0f},     // a mile: miles from here on
      {"1870", 1.0625f},  // a mile and seventy yards
      {"1980", 1.125f},
      {"3344", 1.9f},  // exactly 1.9 miles stays positive
      {"3345", -(3345.0f / 1760.0f)},
      {"3520", -2.0f},  // two miles: beyond 1.9, negated
      {"-1320", 6.0f},  // the sign of the yards is dropped
      {"-3520", -2.0f},
      {"0", 0.0f},
      {"", 0.0f},
  };
  for (const Case& c : cases) {
    EXPECT_FLOAT_EQ(distanceCode(c.yards), c.code) << "yards \"" << c.yards << "\"";
  }
}

TEST(CardValues, DecodeClassEveryRow) {
  struct Case {
    const char* type;
    const char* claim;
    const char* purse;
    uint8_t classType;
    int32_t amount;
  };
  const Case cases[] = {
      {"A", "5000", "32000", ClassCode::kAllowance, 32000},
      {"a", "5000", "32000", ClassCode::kAllowance, 32000},
      {"R", "5000", "25000", ClassCode::kAllowance, 25000},
      {"r", "", "", ClassCode::kAllowance, 0},
      {"C", "12500", "20000", ClassCode::kClaiming, 12500},
      {"c", "8000", "", ClassCode::kClaiming, 8000},
      {"G1", "", "500000", ClassCode::kStakes, 1},
      {"G2", "", "", ClassCode::kStakes, 2},
      {"g3", "", "", ClassCode::kStakes, 3},
      {"G", "", "", ClassCode::kStakes, 100000},
      {"G4", "", "", ClassCode::kStakes, 100000},
      {"GX", "", "", ClassCode::kStakes, 100000},
      {"M", "40000", "30000", ClassCode::kMaiden, 40000},
      {"m", "", "30000", ClassCode::kMaiden, 0},
      {"N", "", "10001", ClassCode::kStakes, 100000},
      {"N", "", "10000", ClassCode::kMaiden, -1},
      {"T", "", "50000", ClassCode::kStakes, 100000},
      {"t", "", "", ClassCode::kMaiden, -1},
      {"S", "9999", "9999", ClassCode::kMaiden, -2},
      {"s", "", "", ClassCode::kMaiden, -2},
      {"X", "1", "2", ClassCode::kNone, 0},
      {"1", "1", "2", ClassCode::kNone, 0},
      {"", "1", "2", ClassCode::kNone, 0},
  };
  for (const Case& c : cases) {
    const ClassCode code = decodeClass(c.type, c.claim, c.purse);
    EXPECT_EQ(val(code.type), c.classType) << "type \"" << c.type << "\"";
    EXPECT_EQ(val(code.amount), c.amount) << "type \"" << c.type << "\"";
  }
}

TEST(CardValues, RecordBlockRoundsPercentages) {
  struct Case {
    const char* starts;
    const char* wins;
    const char* seconds;
    const char* thirds;
    RecordBlock expected;
  };
  const Case cases[] = {
      {"10", "3", "2", "1", {10, 30, 20, 10}}, {"3", "1", "2", "0", {3, 33, 67, 0}},  // 33.3 down, 66.7 up
      {"8", "1", "0", "0", {8, 13, 0, 0}},                                            // 12.5 rounds up
      {"200", "1", "0", "0", {200, 1, 0, 0}},                                         // 0.5 rounds up
      {"201", "1", "0", "0", {201, 0, 0, 0}},                                         // 0.4975 rounds down
      {"6", "1", "5", "6", {6, 17, 83, 100}},  {"0", "5", "5", "5", {0, 0, 0, 0}},    // no starts: all zero
      {"65536", "1", "1", "1", {0, 0, 0, 0}},                                         // zero as 16 bits
      {"", "", "", "", {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    const RecordBlock block = recordBlock(c.starts, c.wins, c.seconds, c.thirds);
    EXPECT_EQ(val(block.starts), val(c.expected.starts)) << "starts " << c.starts;
    EXPECT_EQ(+block.winPercent, +c.expected.winPercent) << "starts " << c.starts;
    EXPECT_EQ(+block.secondPercent, +c.expected.secondPercent) << "starts " << c.starts;
    EXPECT_EQ(+block.thirdPercent, +c.expected.thirdPercent) << "starts " << c.starts;
  }
}

TEST(CardValues, Ratio) {
  struct Case {
    const char* dividend;
    const char* divisor;
    float expected;
  };
  const Case cases[] = {
      {"1320", "110", 12.0f}, {"-1320", "-110", 12.0f},  // both taken without sign
      {"10", "2", 5.0f},                                 // 2 is not below 2
      {"10", "-2", 5.0f},     {"10", "1.99", 0.0f},      // below 2
      {"10", "-1.5", 0.0f},   {"10", "", 0.0f},         {"10", "abc", 0.0f},
      {"", "5", 0.0f},        {"7.5", "2.5", 3.0f},
  };
  for (const Case& c : cases) {
    EXPECT_FLOAT_EQ(ratio(c.dividend, c.divisor), c.expected) << c.dividend << " / " << c.divisor;
  }
}

TEST(CardValues, ConditionAndSurfaceCodes) {
  struct Case {
    const char* text;
    uint8_t code;
  };
  const Case conditions[] = {
      {"SY", kWet}, {"sy", kWet},  {"My", kWet}, {"MY", kWet},  {"FT", kDry},
      {"GD", kDry}, {"SYX", kDry}, {"S", kDry},  {"SLY", kDry}, {"", kDry},
  };
  for (const Case& c : conditions) {
    EXPECT_EQ(conditionCode(c.text), c.code) << "condition \"" << c.text << "\"";
  }
  const Case surfaces[] = {
      {"D", RaceCard::kDirt},         {"d", RaceCard::kDirt},        {"dirt", RaceCard::kDirt},
      {"T", RaceCard::kTurf},         {"t", RaceCard::kTurf},        {"A", RaceCard::kOtherSurface},
      {"X", RaceCard::kOtherSurface}, {"", RaceCard::kOtherSurface},
  };
  for (const Case& c : surfaces) {
    EXPECT_EQ(surfaceCode(c.text), c.code) << "surface \"" << c.text << "\"";
  }
}

}  // namespace
}  // namespace stridewell
