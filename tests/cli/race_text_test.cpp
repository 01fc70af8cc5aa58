// The readable texts of coded race values. Distance and class cases start
// from the card's own text (yards, type letters) and go through the core's
// conversions, as a card does on its way to the screen.
#include "cli/race_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "cli/text_format.h"
#include "race/card_values.h"
#include "race/past_race.h"

namespace stridewell::cli {
namespace {

TEST(RaceTextTest, DistanceFromCardYards) {
  struct Case {
    const char* yards;
    const char* text;
    const char* shortText;
  };
  const Case cases[] = {
      {"1320", "6 furlongs", "6f"},  // the most common sprint
      {"1210", "5 1/2 furlongs", "5 1/2f"},
      {"990", "4 1/2 furlongs", "4 1/2f"},
      {"1650", "7 1/2 furlongs", "7 1/2f"},
      {"1300", "5 furlongs 200 yards", "5f200y"},
      {"1760", "1 mile", "1m"},
      {"1870", "1 1/16 miles", "1 1/16m"},  // 1760 + 110
      {"1980", "1 1/8 miles", "1 1/8m"},
      {"1830", "1 mile 70 yards", "1m70y"},
      {"2200", "1 1/4 miles", "1 1/4m"},
      {"2640", "1 1/2 miles", "1 1/2m"},
      {"3300", "1 7/8 miles", "1 7/8m"},  // still a positive code: 1.875 miles
      {"3520", "2 miles", "2m"},          // beyond 1.9 miles: a negative code
      {"4400", "2 1/2 miles", "2 1/2m"},
      {"-1320", "6 furlongs", "6f"},  // the card's sign is dropped
      {"0", "-", "-"},
      {"", "-", "-"},
  };
  for (const Case& c : cases) {
    const float code = distanceCode(c.yards);
    EXPECT_EQ(distanceText(code), c.text) << c.yards << " yards, code " << code;
    EXPECT_EQ(shortDistanceText(code), c.shortText) << c.yards << " yards, code " << code;
  }
}

TEST(RaceTextTest, DistanceFromStoredCodes) {
  struct Case {
    float code;
    const char* text;
  };
  const Case cases[] = {
      {6.0f, "6 furlongs"},
      {1.0625f, "1 1/16 miles"},
      {-2.0f, "2 miles"},
      {1.0f, "1 mile"},
      {1.5f, "1 1/2 miles"},        // below 1.9 a code is miles (no race is under 418 yards)
      {1.9f, "1 mile 1584 yards"},  // 1.9 miles is still a positive code, and no sixteenth
      {2.0f, "2 furlongs"},
      {-1.9375f, "1 15/16 miles"},
      // Codes no card gives, as a damaged dataset might hold them.
      {std::numeric_limits<float>::quiet_NaN(), "-"},
      {std::numeric_limits<float>::infinity(), "-"},
      {1e30f, "-"},
      {-1e30f, "-"},
  };
  for (const Case& c : cases) EXPECT_EQ(distanceText(c.code), c.text) << "code " << c.code;
}

TEST(RaceTextTest, ClassFromCardLetters) {
  struct Case {
    const char* type;
    const char* claim;
    const char* purse;
    const char* text;
    const char* shortText;
  };
  const Case cases[] = {
      {"C", "25000", "30000", "Claiming $25,000", "Clm 25000"},
      {"c", "5000", "", "Claiming $5,000", "Clm 5000"},
      {"M", "40000", "", "Maiden Claiming $40,000", "MCl 40000"},
      {"S", "", "50000", "Maiden Special Weight", "MSW"},
      {"A", "", "62000", "Allowance, purse $62,000", "Alw 62000"},
      {"R", "", "1250000", "Allowance, purse $1,250,000", "Alw 1250000"},
      {"G1", "", "500000", "Grade I Stakes", "G1"},
      {"G2", "", "", "Grade II Stakes", "G2"},
      {"G3", "", "", "Grade III Stakes", "G3"},
      {"G", "", "", "Stakes", "Stk"},  // no grade digit: ungraded
      {"N", "", "150000", "Stakes", "Stk"},
      {"T", "", "5000", "Maiden", "Mdn"},  // the small-purse form of N and T
      {"X", "10000", "10000", "class not given", "-"},
      {"", "", "", "class not given", "-"},
  };
  for (const Case& c : cases) {
    const ClassCode code = decodeClass(c.type, c.claim, c.purse);
    EXPECT_EQ(classText(code), c.text) << "type '" << c.type << "'";
    EXPECT_EQ(shortClassText(code), c.shortText) << "type '" << c.type << "'";
  }
}

TEST(RaceTextTest, RestrictionInWords) {
  struct Case {
    const char* code;
    const char* text;
  };
  const Case cases[] = {
      {"BUM", "3-year-olds and up, fillies and mares"},
      {"AOF", "2-year-olds, fillies"},
      {"AOC", "2-year-olds, colts and geldings"},
      {"BO", "3-year-olds"},
      {"CUN", "4-year-olds and up"},
      {"DOM", "5-year-olds, fillies and mares"},
      {"EOF", "3- and 4-year-olds, fillies"},
      {"FUM", "4- and 5-year-olds and up, fillies and mares"},
      {"GOC", "3-, 4- and 5-year-olds, colts and geldings"},
      {"HUM", "all ages, fillies and mares"},
      {"H", "all ages"},
      {"buf", "3-year-olds and up, fillies"},  // letters in any case
      {"", ""},
      {"ZOM", "restriction ZOM"},  // unknown age group: shown as it is
  };
  for (const Case& c : cases) EXPECT_EQ(restrictionText(c.code), c.text) << "code '" << c.code << "'";
}

TEST(RaceTextTest, Dates) {
  struct Case {
    int32_t packed;
    const char* text;
  };
  const Case cases[] = {
      {packDate("20260315"), "2026-03-15"},
      {packDate("19991231"), "1999-12-31"},
      {(2026 << 16) | (1 << 8) | 12, "2026-12-01"},  // day in the second byte, month in the low one
      {0, "-"},
  };
  for (const Case& c : cases) EXPECT_EQ(dateText(c.packed), c.text) << "packed " << c.packed;
}

TEST(RaceTextTest, MorningLineOdds) {
  struct Case {
    float odds;
    const char* text;
  };
  const Case cases[] = {
      {2.5f, "5-2"},
      {1.6f, "8-5"},
      {3.0f, "3-1"},
      {0.4f, "2-5"},
      {1.5f, "3-2"},
      {4.5f, "9-2"},
      {1.2f, "6-5"},
      {0.5f, "1-2"},
      {30.0f, "30-1"},
      {0.0f, "-"},
      {12.3f, "12.30"},  // no quote over 1, 2
                         // or 5 fits
      {0.05f, "0.05"},
  };
  for (const Case& c : cases) EXPECT_EQ(oddsText(c.odds), c.text) << "odds " << c.odds;
}

TEST(RaceTextTest, Money) {
  struct Case {
    int64_t dollars;
    const char* text;
  };
  const Case cases[] = {
      {0, "$0"},
      {999, "$999"},
      {1000, "$1,000"},
      {25000, "$25,000"},
      {1234567, "$1,234,567"},
      {-1200, "-$1,200"},
      {std::numeric_limits<int64_t>::min(), "-$9,223,372,036,854,775,808"},
  };
  for (const Case& c : cases) EXPECT_EQ(moneyText(c.dollars), c.text) << c.dollars;
}

TEST(RaceTextTest, CallsAsPositionAndLengths) {
  struct Case {
    const char* position;
    const char* lengths;
    const char* text;
  };
  const Case cases[] = {
      {"2", "1.5", "2/1.5"},   {"1", "0", "1/0"}, {"10", "12.75", "10/12.75"},
      {"3", "0.25", "3/0.25"},  // a neck
      {"4", "0.13", "4/0.08"},  // the card's 0.13 is kept as 0.08
      {"5", "0.1", "5/0.02"},   // a nose
      {"0", "3", "-"},          // no position at this call
      {"", "", "-"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(callText(callPosition(c.position, c.lengths)), c.text) << c.position << "/" << c.lengths;
  }
}

TEST(RaceTextTest, FlagAndMedicationLetters) {
  EXPECT_EQ(pastRaceFlagsText(PastRace::kFemalesOnly | PastRace::kOpenToOlder | PastRace::kTrouble), "FO!");
  EXPECT_EQ(pastRaceFlagsText(PastRace::kTrouble), "!");
  EXPECT_EQ(pastRaceFlagsText(PastRace::kTurf), "");  // turf is shown as the surface
  EXPECT_EQ(pastRaceFlagsText(0), "");

  EXPECT_EQ(medicationText(0), "");
  EXPECT_EQ(medicationText(HorseEntry::kLasix), "L");
  EXPECT_EQ(medicationText(HorseEntry::kBute), "B");
  EXPECT_EQ(medicationText(HorseEntry::kLasix | HorseEntry::kBute), "LB");
}

TEST(RaceTextTest, TracksSurfacesConditions) {
  EXPECT_EQ(trackText("SAX"), "SAX Santa Anita");
  EXPECT_EQ(trackText("SA"), "SA Santa Anita");
  EXPECT_EQ(trackText("ZZZ"), "ZZZ");  // not in the table: the code alone, not "ZZZ ZZZ"
  EXPECT_EQ(trackText(""), "-");

  EXPECT_EQ(surfaceText(surfaceCode("D")), "dirt");
  EXPECT_EQ(surfaceText(surfaceCode("t")), "turf");
  EXPECT_EQ(surfaceText(surfaceCode("A")), "synthetic");

  EXPECT_EQ(conditionText(conditionCode("SY")), "wet");
  EXPECT_EQ(conditionText(conditionCode("my")), "wet");
  EXPECT_EQ(conditionText(conditionCode("FT")), "dry");
  EXPECT_EQ(conditionText(0), "-");
}

TEST(TextTableTest, LongCellsAreCutSoColumnsStayInPlace) {
  const TextTable table(2, {{"Name", 5}, {"Odds", 5, true}, {"Note", 4}});
  std::ostringstream out;
  table.writeHeader(out);
  table.writeRow(out, {"Abcdefghij", "2.5", "x"});
  table.writeRow(out, {"Ab"});  // missing cells are blank, trailing blanks dropped
  EXPECT_EQ(out.str(),
            "  Name   Odds Note\n"
            "  Abcde   2.5 x\n"
            "  Ab\n");
}

TEST(TextFormatTest, FormatsTextOfAnyLength) {
  EXPECT_EQ(formatText("%d-%s", 5, "2"), "5-2");
  const std::string longText(5000, 'x');
  EXPECT_EQ(formatText("<%s>", longText.c_str()).size(), longText.size() + 2);
  EXPECT_EQ(formatText("%s", ""), "");
}

}  // namespace
}  // namespace stridewell::cli
