#include "race/day_numbers.h"

#include <gtest/gtest.h>

#include "form_builders.h"

namespace stridewell {
namespace {

using test::date;

TEST(DayNumbers, CountsFromTheFirstOfJanuary1960) {
  struct Case {
    int32_t packed;
    int expected;
  };
  const Case cases[] = {
      {date(1960, 1, 1), 0},       {date(1960, 1, 2), 1},
      {date(1960, 3, 1), 31 + 29},  // 1960 is a leap year
      {date(1961, 1, 1), 366},     {date(1964, 1, 1), 366 + 3 * 365},
      {date(2000, 3, 1), 14670},                             // 40 years with 10 leap days, then 31 + 29
      {date(2024, 3, 15), 23450},  {date(1959, 12, 31), 0},  // before the count starts
  };
  for (const Case& c : cases) EXPECT_EQ(dayNumber(c.packed), c.expected) << std::hex << c.packed;
}

TEST(DayNumbers, EveryYearDivisibleByFourHasAFebruary29) {
  // 2100 is no leap year on the calendar, but the count keeps the simple rule.
  EXPECT_NE(dayNumber(date(2100, 2, 29)), 0);
  EXPECT_EQ(dayNumber(date(2100, 3, 1)) - dayNumber(date(2100, 2, 28)), 2);
  EXPECT_EQ(dayNumber(date(2023, 3, 1)) - dayNumber(date(2023, 2, 28)), 1);
}

TEST(DayNumbers, DatesThatDoNotExistGiveNoDate) {
  const int32_t impossible[] = {date(2024, 0, 10),
                                date(2024, 13, 1),
                                date(2024, 255, 1),
                                date(2024, 4, 0),
                                date(2024, 4, 31),
                                date(2023, 2, 29),
                                date(2024, 2, 30),
                                date(2024, 1, 255),
                                0,
                                -1};
  for (int32_t packed : impossible) EXPECT_EQ(dayNumber(packed), 0) << std::hex << packed;
  // The largest year a packed date can hold still gives a finite count.
  EXPECT_GT(dayNumber(date(65535, 12, 31)), 0);
}

TEST(DayNumbers, DaysBetweenIsSymmetricAndZeroWithoutADate) {
  EXPECT_EQ(daysBetween(date(2024, 3, 15), date(2024, 2, 4)), 40);
  EXPECT_EQ(daysBetween(date(2024, 2, 4), date(2024, 3, 15)), 40);
  EXPECT_EQ(daysBetween(date(2023, 12, 31), date(2024, 1, 1)), 1);
  EXPECT_EQ(daysBetween(0, date(2024, 3, 15)), 0);
  EXPECT_EQ(daysBetween(date(2024, 3, 15), date(2024, 13, 1)), 0);
  EXPECT_EQ(daysBetween(date(1950, 1, 1), date(2024, 3, 15)), 0);
}

}  // namespace
}  // namespace stridewell
