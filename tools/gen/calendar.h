// Civil dates for the generator: day numbers (days since 1970-01-01, so that
// gaps between races are plain subtraction), weekdays and the YYYYMMDD text
// the card and results files carry.
#pragma once

#include <cstdint>
#include <string>

namespace stridewell::gen {

struct CivilDate {
  int year;
  int month;  // 1-12
  int day;    // 1-31
};

int64_t dayNumber(const CivilDate& date);
CivilDate civilDate(int64_t dayNumber);
// 0 Sunday .. 6 Saturday.
int weekday(int64_t dayNumber);
bool isValidDate(int year, int month, int day);
int daysInMonth(int year, int month);
// Eight digits YYYYMMDD.
std::string dateDigits(const CivilDate& date);

}  // namespace stridewell::gen
