// Turning one card line, held in its field slots, into the race records:
// the race header from the first line of a race, a horse from every line.
#pragma once

#include "race/field_slots.h"
#include "race/race.h"

namespace stridewell {

// The field slots every card reader keeps.
const FieldLayout& cardFieldLayout();

// Clears the card, profile and texts of `race` and fills the header and the
// race texts from the line. The result record is left alone.
void startRace(const FieldSlots& line, Race& race);

// Adds the line's horse in the next free slot. False (nothing added) when
// the race already holds 64 horses.
bool addHorse(const FieldSlots& line, Race& race);

// True when field 5 marks the horse as not running.
bool isScratched(const FieldSlots& line);

}  // namespace stridewell
