// The early-speed rating: 0 (never near the lead) to 8 (always on it), read
// from the first call of the horse's most recent past races. Today's race
// type picks the sprint or the route reading of those calls.
#pragma once

#include <cstdint>

#include "race/race_card.h"

namespace stridewell {

uint8_t earlySpeedRating(const HorseEntry& horse, bool sprintToday);

}  // namespace stridewell
