// The small texts of the handicap report: class codes, dates, distances as
// whole numbers and fractions, dollar amounts, the race-type and age/sex
// restriction wording, and the comment lines wrapped to the report's width.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "race/race_card.h"

namespace stridewell {

// "M", "MSW", "M<price>", "C<price>", "A<purse>", "S", or "" for no class.
std::string classText(ClassCode raceClass);

// "15-MAR-24"; "" when day, month and year are all 0.
std::string dateText(int32_t packedDate);

// 6 -> "6", 5.5 -> "5+1/2", 1.0625 -> "1+1/16", 0.3 -> "30/100", 0 -> "".
std::string fractionText(double value);

// "$" and the digits with thousands commas (4 to 9 digits): "25000" -> "$25,000".
std::string moneyText(std::string_view digits);

// "Claiming [$25,000]", "MdnSpWgt", "Stakes [Grade II]", ... from classText.
std::string raceTypeText(ClassCode raceClass);

// "6 furlongs", "1+1/16 miles", "1 mile" for a distance in yards.
std::string reportDistanceText(int yards);

// "3 yr olds and up (Fillies & Mares only)" from the restriction letters.
std::string restrictionReportText(std::string_view restriction);

// The non-empty comment lines joined with ", " into lines of at most 75
// characters where the comments allow it.
std::vector<std::string> wrapComments(const std::vector<std::string_view>& comments);

}  // namespace stridewell
