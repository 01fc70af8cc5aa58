// The words of the sample data: trip comments of a running line, and the
// pieces of a race's conditions as the card's comment lines print them.
#pragma once

#include <string>

#include "random_source.h"

namespace stridewell::gen {

// "Drew clear", "Bumped start, late gain" ...: a trouble note, when there
// was trouble, then what the finish says. The comma of a trouble note sits
// inside the quoted field.
std::string tripComment(RandomSource& random, int finish, int fieldSize, bool trouble, bool earlyLeader);

// "FILLIES AND MARES " for the sex letter of a restriction code.
std::string sexWords(char sex);
// "THREE YEAR OLDS AND UPWARD", or "THREE YEARS OLD AND UPWARD" after
// another word, for a restriction code.
std::string ageWords(const std::string& restriction, bool afterWord);
// "ONE MILE AND ONE SIXTEENTH" for 1870 yards.
std::string distanceWords(int yards);

}  // namespace stridewell::gen
