// Class comparisons behind the failure count: the level of a class amount,
// whether one class is at least as high as another, and which moves down
// the class ladder are big enough to explain a bad race.
#pragma once

#include <cstdint>

#include "race/race_card.h"

namespace stridewell {

// 1 for 40,000 and up, down to 17 for anything below 1,500.
int classLevel(int32_t amount);

// Class a is at least as high as class b (true when either is unknown).
bool classAtLeast(const ClassCode& a, const ClassCode& b);

// Running at class `to` after a race at `from` is a drop of two levels or
// more within a race type, or a plain step down between race types.
bool majorClassDrop(const ClassCode& from, const ClassCode& to);

}  // namespace stridewell
