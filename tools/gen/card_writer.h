// Writes a simulated day as a card file: one line per horse (scratched ones
// included, marked "S" in field 5), fields laid out as the card reader
// expects them, 1495 separating commas, two filler characters and the line's
// check code, CR LF line ends.
#pragma once

#include <string>

#include "race_model.h"

namespace stridewell::gen {

inline constexpr int kCardFieldCount = 1495;

// The whole card file. When `badCheckLine` is a line number (1-based) that
// line gets a wrong check code; every other line stays correct.
std::string writeCard(const RaceDay& day, int badCheckLine = 0);

// One complete card line (check code included, no line end).
std::string cardLine(const RaceDay& day, const SimulatedRace& race, const Horse& horse);

// The same line with its check code spoiled so that the check fails.
std::string spoilCheckCode(const std::string& line);

}  // namespace stridewell::gen
