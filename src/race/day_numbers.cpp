#include "race/day_numbers.h"

#include <cstdlib>

#include "race/card_values.h"

namespace stridewell {

namespace {

constexpr int kMonthDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

}  // namespace

int dayNumber(int32_t packedDate) {
  const int year = packedYear(packedDate);
  const int month = packedMonth(packedDate);
  const int day = packedDay(packedDate);
  if (year < 1960 || month < 1 || month > 12) return 0;
  const bool leap = year % 4 == 0;
  const int monthLength = month == 2 && !leap ? 28 : kMonthDays[month - 1];
  if (day < 1 || day > monthLength) return 0;
  // Whole years first: 1960 is a leap year, so the leap years before `year`
  // are 1960, 1964, ... up to year - 1.
  const int years = year - 1960;
  int days = years * 365 + (years + 3) / 4;
  for (int m = 1; m < month; ++m) days += m == 2 && !leap ? 28 : kMonthDays[m - 1];
  return days + day - 1;
}

int daysBetween(int32_t a, int32_t b) {
  const int first = dayNumber(a);
  const int second = dayNumber(b);
  if (first == 0 || second == 0) return 0;
  return std::abs(first - second);
}

}  // namespace stridewell
