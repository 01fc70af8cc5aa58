// Readable texts for the values the race records keep in coded form: packed
// dates, distance codes, class codes, restriction letters, medication and
// past-race flag bits, odds and money. Shared by every subcommand that prints
// races; pure functions of their arguments, safe on any value a record holds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "race/race_card.h"

namespace stridewell::cli {

// "YYYY-MM-DD" of a packed date; "-" for 0 (no date).
std::string dateText(int32_t packedDate);

// The distance in whole yards that a distance code stands for, or -1 when the
// code holds none (0, not finite, or absurdly long).
long distanceYards(float distanceCode);

// "6 furlongs", "5 1/2 furlongs", "1 mile", "1 1/16 miles", "1 mile 70 yards",
// "2 miles"; "-" when there is no distance.
std::string distanceText(float distanceCode);
// The same for narrow columns: "6f", "5 1/2f", "1m", "1 1/16m", "1m70y", "2m".
std::string shortDistanceText(float distanceCode);

// "dirt", "turf" or "synthetic" (any other surface letter).
std::string surfaceText(uint8_t surface);

// "Claiming $25,000", "Maiden Special Weight", "Allowance, purse $45,000",
// "Grade II Stakes" ...
std::string classText(ClassCode raceClass);
// "Clm 25000", "MSW", "Alw 45000", "G2", "Stk" ...
std::string shortClassText(ClassCode raceClass);

// The three-letter age and sex restriction in words, e.g. "BUM" gives
// "3-year-olds and up, fillies and mares". Empty for an empty code; a code
// with an unknown age letter is shown as it is.
std::string restrictionText(std::string_view code);

// "L", "B", "LB" or "" from HorseEntry::medication.
std::string medicationText(uint8_t medication);

// Odds to 1 the way tracks print them: 2.5 gives "5-2", 1.6 "8-5", 3 "3-1";
// odds that no small fraction fits are printed with two decimals; "-" for 0.
std::string oddsText(float odds);

// Whole dollars with thousands separators: "$25,000", "-$1,200".
std::string moneyText(int64_t dollars);

// A payoff or odds with two decimals, "" for 0 (nothing paid).
std::string payoffText(float amount);

// Beaten lengths without trailing zeros: "0", "0.25", "1.5", "12".
std::string lengthsText(float lengths);
// "position/lengths" at one call, "-" when the call has no position.
std::string callText(CallPosition call);

// Letters for PastRace::flags: F restricted to females, O open to older
// horses, ! trouble in the trip comment. The turf bit is shown as surface.
std::string pastRaceFlagsText(uint8_t flags);

// "wet", "dry", or "-" when the result does not say.
std::string conditionText(uint8_t condition);

// A track code with its name, "SAX Santa Anita", or the code alone when the
// name is not known.
std::string trackText(std::string_view code);

}  // namespace stridewell::cli
