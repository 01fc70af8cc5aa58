// Day arithmetic on packed dates (year << 16 | day << 8 | month), counted
// the way the form factors count them: from 1 January 1960, with a 29-day
// February in every year divisible by four.
#pragma once

#include <cstdint>

namespace stridewell {

// Days from 1 January 1960 (which itself gives 0) to a packed date; 0 for
// years before 1960 and for dates that do not exist (month outside 1-12,
// day 0 or beyond the month). Callers treat 0 as no date.
int dayNumber(int32_t packedDate);

// Absolute difference of the day numbers; 0 when either date is missing.
int daysBetween(int32_t a, int32_t b);

}  // namespace stridewell
