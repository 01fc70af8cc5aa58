#include "handicap/report_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace stridewell {
namespace {

TEST(ReportText, ClassText) {
  struct Case {
    ClassCode raceClass;
    const char* expected;
  };
  const Case cases[] = {
      {{ClassCode::kMaiden, -1}, "M"},
      {{ClassCode::kMaiden, -2}, "MSW"},
      {{ClassCode::kMaiden, 40000}, "M40000"},
      {{ClassCode::kClaiming, 25000}, "C25000"},
      {{ClassCode::kAllowance, 62000}, "A62000"},
      {{ClassCode::kStakes, 2}, "S"},
      {{ClassCode::kNone, 0}, ""},
      {{9, 100}, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(classText(c.raceClass), c.expected) << c.expected;
}

TEST(ReportText, RaceTypeText) {
  struct Case {
    ClassCode raceClass;
    const char* expected;
  };
  const Case cases[] = {
      {{ClassCode::kMaiden, -2}, "MdnSpWgt"},
      {{ClassCode::kMaiden, -1}, "Maiden"},
      {{ClassCode::kMaiden, 40000}, "Maiden [$40,000]"},
      {{ClassCode::kClaiming, 25000}, "Claiming [$25,000]"},
      {{ClassCode::kClaiming, 5000}, "Claiming [$5,000]"},
      {{ClassCode::kClaiming, 800}, "Claiming [$800]"},
      {{ClassCode::kAllowance, 1250000}, "Allowance [$1,250,000]"},
      {{ClassCode::kStakes, 1}, "Stakes [Grade I]"},
      {{ClassCode::kStakes, 2}, "Stakes [Grade II]"},
      {{ClassCode::kStakes, 3}, "Stakes [Grade III]"},
      {{ClassCode::kStakes, 100000}, "Stakes [Non-Graded]"},
      {{ClassCode::kStakes, 0}, "Stakes [Non-Graded]"},
      {{ClassCode::kNone, 0}, ""},
      // A negative claiming price keeps its sign inside the money text.
      {{ClassCode::kClaiming, -5}, "Claiming [$-5]"},
  };
  for (const Case& c : cases) EXPECT_EQ(raceTypeText(c.raceClass), c.expected) << c.expected;
}

TEST(ReportText, MoneyTextPutsCommasBeforeThousandsAndMillions) {
  EXPECT_EQ(moneyText(""), "$");
  EXPECT_EQ(moneyText("999"), "$999");
  EXPECT_EQ(moneyText("1000"), "$1,000");
  EXPECT_EQ(moneyText("25000"), "$25,000");
  EXPECT_EQ(moneyText("250000"), "$250,000");
  EXPECT_EQ(moneyText("1250000"), "$1,250,000");
  EXPECT_EQ(moneyText("999999999"), "$999,999,999");
  EXPECT_EQ(moneyText("1000000000"), "$1000000000");  // ten digits stay as they are
}

TEST(ReportText, DateText) {
  EXPECT_EQ(dateText((2024 << 16) | (15 << 8) | 3), "15-MAR-24");
  EXPECT_EQ(dateText((2009 << 16) | (1 << 8) | 12), "1-DEC-09");
  EXPECT_EQ(dateText((2000 << 16) | (29 << 8) | 2), "29-FEB-00");
  EXPECT_EQ(dateText(0), "");
  EXPECT_EQ(dateText((2024 << 16) | (15 << 8) | 13), "15-\?\?\?-24");  // no such month
}

TEST(ReportText, FractionText) {
  struct Case {
    double value;
    const char* expected;
  };
  const Case cases[] = {
      {0.0, ""},           {6.0, "6"},        {5.5, "5+1/2"}, {1.0625, "1+1/16"},
      {0.3, "30/100"},     {1.25, "1+1/4"},   {0.75, "3/4"},  {1.015625, "1+1/64"},
      {1.0227, "1+2/100"}, {1.04, "1+4/100"}, {4.5, "4+1/2"}, {2.0, "2"},
  };
  for (const Case& c : cases) EXPECT_EQ(fractionText(c.value), c.expected) << c.value;
}

TEST(ReportText, DistanceFromYards) {
  struct Case {
    int yards;
    const char* expected;
  };
  const Case cases[] = {
      {1320, "6 furlongs"},   {1210, "5+1/2 furlongs"}, {1650, "7+1/2 furlongs"}, {1760, "1 mile"},
      {1870, "1+1/16 miles"}, {1830, "1+4/100 miles"},  {1800, "1+2/100 miles"},  {2640, "1+1/2 miles"},
      {3520, "2 miles"},      {3960, "2+1/4 miles"},
  };
  for (const Case& c : cases) EXPECT_EQ(reportDistanceText(c.yards), c.expected) << c.yards;
}

TEST(ReportText, Restriction) {
  struct Case {
    const char* code;
    const char* expected;
  };
  const Case cases[] = {
      {"", ""},
      {"BO", "3 yr olds only"},
      {"BU", "3 yr olds and up"},
      {"BUM", "3 yr olds and up (Fillies & Mares only)"},
      {"AOF", "2 yr olds only (Fillies only)"},
      {"GOC", "3, 4 & 5 yr olds only (Colts & Geldings only)"},
      {"HU", "All ages"},  // all ages takes no "and up"
      {"HUF", "All ages (Fillies only)"},
      {"ZUF", " and up (Fillies only)"},  // an unknown age letter gives no age text
      {"E", "3 & 4 yr olds"},
  };
  for (const Case& c : cases) EXPECT_EQ(restrictionReportText(c.code), c.expected) << c.code;
}

TEST(ReportText, CommentsWrapBeforeTheyPass75Characters) {
  const std::string forty(40, 'a');
  const std::string thirty(30, 'b');
  const std::string six(6, 'c');
  // 30 + 40 fits (the separator is not counted) and makes a line of 72;
  // 6 + 72 = 78 passes 75, so the third comment starts a new line.
  const std::vector<std::string> lines = wrapComments({forty, "", thirty, six});
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], forty + ", " + thirty);
  EXPECT_EQ(lines[1], six);
  // 3 + 72 = 75 is not more than 75: it joins, and the line runs to 77.
  const std::string three(3, 'd');
  EXPECT_EQ(wrapComments({forty, thirty, three}),
            (std::vector<std::string>{forty + ", " + thirty + ", " + three}));
  EXPECT_TRUE(wrapComments({"", ""}).empty());
}

}  // namespace
}  // namespace stridewell
