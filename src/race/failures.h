// Failures: the recent bad races of a horse that count against it. Bad
// races run since its latest good race count unless they were out of its
// class or have an excuse; a big class drop is never excused.
#pragma once

#include <cstdint>

#include "race/race_card.h"

namespace stridewell {

// Whether the bad past race j (0 = most recent) has an excuse: a layoff
// around it, trouble, a wide post in a route, a filly or mare against
// males, a three-year-old against older horses, or a surface on which the
// horse has never run a good race. `today` is the date of today's race.
bool excused(const HorseEntry& horse, int j, int32_t today);

// The number of failures among the past races before the first good one.
uint8_t failureCount(const HorseEntry& horse, const RaceCard& card);

}  // namespace stridewell
