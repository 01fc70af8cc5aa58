// The text that tells a report's reader which races a RaceCriteria let
// through: one line per restricting group, and compact descriptions of the
// custom distance and class lists. Pure functions; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "race/race_criteria.h"

namespace stridewell {

// The header lines of a report, in the order distance, class, surface,
// condition, track; a group that lets everything through writes nothing,
// so an unrestricted filter gives "". Every line ends in "\n".
std::string describeCriteria(const RaceCriteria& criteria);

// "Distance: " and the checked distances, runs of neighbouring entries
// written first - last and joined by "; ", or "Distance: Any\n" when all
// are checked ("Distance: \n" when none is). A long list is broken once,
// before the item that would take the text past 60 characters.
std::string describeDistanceChecks(const RaceCriteria& criteria);

// One line each for the maiden bands, maiden special weight, the claiming
// bands, the allowance bands and the stakes kinds that are checked; "" when
// nothing is.
std::string describeClassChecks(const RaceCriteria& criteria);

// The ten-bit mask of describePriceBands for six band flags (bit i = the
// i-th band of a class, under $10,000 first). The bands between $10,000 and
// $50,000 take two bits each so that neighbouring bands run together.
uint16_t priceBandMask(unsigned bandFlags);

// `label` + ": " + the checked price ranges, neighbouring bands merged
// ("$0-$20,000", "Under $10,000; $20,000-$30,000"), or label + ": Any
// price" when the mask is full. No line end. Bits above the tenth are
// ignored; a lone bit other than the first or last (which no band mask has)
// reads as its own boundary label.
std::string describePriceBands(std::string_view label, uint16_t mask);

}  // namespace stridewell
