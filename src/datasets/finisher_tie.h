// Ties the finishers of a race result to the horses of its card by name, so
// that a stored race knows which card horse each finisher was. A name
// matches when it equals a horse's name ignoring ASCII letter case; the
// first such horse wins. Pure functions over the records, safe from any
// thread.
#pragma once

#include "race/race_card.h"
#include "race/race_result.h"

namespace stridewell {

// The slot of the first horse of `card` named `name` (ignoring case), or -1.
// Both names are read up to their NUL or their record width, whichever
// comes first, so a damaged record cannot be read past.
int findHorseByName(const RaceCard& card, const char (&name)[30]);

// Sets every finisher's cardIndex to its horse's slot and returns true; when
// some finisher's name is on no horse of the card, returns false and leaves
// `result` untouched: such a race is not stored.
bool tieFinishersToHorses(const RaceCard& card, RaceResult& result);

}  // namespace stridewell
