// Past performances: the ten most recent races of a horse as the card lists
// them, with the calls, the trouble keywords of the trip comment, and the
// sprint and good-race tests the form factors are built on.
#pragma once

#include <string_view>

#include "race/race_card.h"

namespace stridewell {

class FieldSlots;

CallPosition callPosition(std::string_view positionText, std::string_view lengthsText);

// Fills past race k (0 = most recent) from the card line in `fields`.
void fillPastRace(int k, const FieldSlots& fields, PastRace& pastRace);

// True when the lower-cased trip comment names a kind of trouble.
bool hasTroubleKeyword(std::string_view tripComment);

// Seven furlongs or less (or no distance at all) is a sprint.
bool isSprint(float distanceCode);

// Finished in the first three, or close enough: 2 lengths in a sprint, 3 in a route.
bool goodRace(const PastRace& pastRace);

}  // namespace stridewell
