// The class rating the encoding gives a race class (0-100): a band per race
// type, raised within the band by the price or purse. Pure functions.
#pragma once

#include <cstdint>

#include "race/race_card.h"

namespace stridewell {

// 0 for no amount; up to 50,000 (negative amounts included) 18 minus the
// class level, so 1 to 17; above 50,000 one more per full 10,000, at most 24.
int priceLevel(int32_t amount);

// Maiden 15 + price level (10 for an unpriced maiden, 40 for maiden special
// weight), claiming 45 + price level, allowance 70 + price level, stakes
// 100, anything else 0.
int classRating(const ClassCode& raceClass);

}  // namespace stridewell
