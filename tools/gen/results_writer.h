// Writes a simulated day as a results file: one line per starter in finish
// order, with the race key of the card (track, date, race number) so that
// every race pairs with its card race, the starter's odds and payoffs, and
// the race's wagers with their winning combinations and payoffs.
#pragma once

#include <string>

#include "race_model.h"

namespace stridewell::gen {

// Field layout of a results line:
//  1 track, 2 date, 3 race number, 4 distance (yards), 5 surface as run,
//  6 race type, 7 claiming price, 8 purse, 9 age/sex restriction,
//  10 starters, 11 winner's time (seconds), 12 surface as carded,
//  13 weather, 17 track condition, 18 post position, 19 program number,
//  20 horse, 21 jockey, 22 weight, 23 medication, 24 age, 25 sex,
//  37 final odds (to 1), 38 "*" for the favourite, 49 finish position,
//  51 lengths behind the winner, 52-55 positions at the start, first and
//  second calls and the stretch, 56-59 lengths behind at those calls,
//  60 trip comment, 75-77 win, place and show payoffs ($2),
//  78-86 wager names, 87-95 winning combinations, 96-104 payoffs ($2),
//  105-113 pool totals (dollars).
inline constexpr int kResultsFieldCount = 113;

std::string writeResults(const RaceDay& day);

}  // namespace stridewell::gen
