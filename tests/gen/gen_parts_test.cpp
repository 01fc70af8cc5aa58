// The generator's small parts whose faults would be hard to see in the
// files: calendar arithmetic, the random source, and number formatting.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "calendar.h"
#include "field_line.h"
#include "random_source.h"

namespace stridewell::gen {
namespace {

TEST(Calendar, DayNumbersRoundTripAndKnownWeekdays) {
  struct Known {
    CivilDate date;
    int weekday;  // 0 Sunday
  };
  const Known kKnown[] = {
      {{1970, 1, 1}, 4},   {{2000, 2, 29}, 2}, {{2026, 3, 15}, 0},
      {{2026, 12, 31}, 4}, {{1960, 1, 1}, 5},  {{2100, 3, 1}, 1},
  };
  for (const Known& k : kKnown) {
    EXPECT_EQ(weekday(dayNumber(k.date)), k.weekday) << dateDigits(k.date);
  }
  EXPECT_EQ(dayNumber({1970, 1, 1}), 0);
  EXPECT_EQ(dayNumber({2026, 3, 15}) - dayNumber({2026, 2, 28}), 15);
  for (int64_t day = dayNumber({1959, 12, 1}); day < dayNumber({2201, 1, 1}); day += 37) {
    const CivilDate date = civilDate(day);
    ASSERT_TRUE(isValidDate(date.year, date.month, date.day)) << day;
    ASSERT_EQ(dayNumber(date), day);
  }
}

TEST(Calendar, ValidDates) {
  struct Case {
    int year, month, day;
    bool valid;
  };
  const Case kCases[] = {
      {2024, 2, 29, true},  {2026, 2, 29, false}, {2000, 2, 29, true},  {1900, 2, 29, false},
      {2026, 4, 31, false}, {2026, 12, 31, true}, {2026, 13, 1, false}, {2026, 1, 0, false},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(isValidDate(c.year, c.month, c.day), c.valid) << c.year << "-" << c.month << "-" << c.day;
  }
  EXPECT_EQ(dateDigits({2026, 3, 5}), "20260305");
}

TEST(RandomSource, IntegersStayInRangeAndCoverIt) {
  RandomSource random(17);
  std::set<int> seen;
  for (int i = 0; i < 5000; ++i) {
    const int value = random.between(-3, 4);
    ASSERT_GE(value, -3);
    ASSERT_LE(value, 4);
    seen.insert(value);
  }
  EXPECT_EQ(seen.size(), 8u);
  EXPECT_EQ(random.between(5, 5), 5);
  for (int i = 0; i < 1000; ++i) {
    const double u = random.uniform();
    ASSERT_GE(u, 0.0);
    ASSERT_LT(u, 1.0);
  }
}

TEST(RandomSource, NormalDeviatesHaveUnitSpread) {
  RandomSource random(23);
  const int n = 200000;
  double sum = 0, squares = 0;
  for (int i = 0; i < n; ++i) {
    const double x = random.normal();
    sum += x;
    squares += x * x;
  }
  const double mean = sum / n;
  EXPECT_NEAR(mean, 0.0, 0.01);
  EXPECT_NEAR(std::sqrt(squares / n - mean * mean), 1.0, 0.01);
}

TEST(RandomSource, SequencesDependOnlyOnTheSeed) {
  RandomSource a(99), b(99), c(100);
  bool differs = false;
  for (int i = 0; i < 100; ++i) {
    const uint64_t x = a.next();
    ASSERT_EQ(x, b.next());
    differs |= x != c.next();
  }
  EXPECT_TRUE(differs);
  // A forked stream does not depend on how far its parent has gone.
  RandomSource fresh(99);
  EXPECT_EQ(a.fork(5).next(), fresh.fork(5).next());
  EXPECT_NE(fresh.fork(5).next(), fresh.fork(6).next());
}

TEST(RandomSource, WeightedDrawsFollowTheWeights) {
  RandomSource random(5);
  int counts[3] = {};
  for (int i = 0; i < 30000; ++i) ++counts[random.weighted({1.0, 0.0, 3.0})];
  EXPECT_EQ(counts[1], 0);
  EXPECT_NEAR(counts[2] / 30000.0, 0.75, 0.02);
}

TEST(FieldLine, NumbersAreWrittenFromScaledIntegers) {
  struct Case {
    int64_t scaled;
    int decimals;
    const char* fixed;
    const char* trimmed;
  };
  const Case kCases[] = {
      {6985, 2, "69.85", "69.85"}, {5, 2, "0.05", "0.05"},  {10, 2, "0.10", "0.1"},
      {500, 2, "5.00", "5"},       {550, 2, "5.50", "5.5"}, {-3, 1, "-0.3", "-0.3"},
      {25, 1, "2.5", "2.5"},       {7, 0, "7", "7"},        {0, 2, "0.00", "0"},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(fixedText(c.scaled, c.decimals), c.fixed);
    EXPECT_EQ(trimmedText(c.scaled, c.decimals), c.trimmed);
  }
}

TEST(FieldLine, TextIsQuotedAndCannotBreakTheLine) {
  FieldLine line;
  line.text(1, "SA");
  line.number(3, 7);
  line.text(4, "");  // stays empty
  line.text(5, "Bumped, \"wide\"\r\n");
  EXPECT_EQ(line.joined(6), "\"SA\",,7,,\"Bumped, wide\",");
  EXPECT_EQ(line.joinedWithTrailingComma(2), "\"SA\",,");
}

}  // namespace
}  // namespace stridewell::gen
