// Merges the races of one card file with the races of its results file, the
// heart of building a dataset: a plain loop over the two readers that hands
// every race with a tied result to a callback in card order. It writes and
// shows nothing; the caller stores the races and words the outcome.
#pragma once

#include <functional>

#include "race/card_reader.h"
#include "race/race.h"
#include "race/results_reader.h"

namespace stridewell {

struct MergeOutcome {
  int racesWritten = 0;  // races the callback accepted
  // Card races met by a result of the same number whose finishers could
  // not all be found among the card's horses.
  int racesNotTied = 0;
  // Card races dropped for want of a result: race number 0, another track
  // than the result in hand, no result of their number, or left over.
  int cardRacesWithoutResult = 0;
  // Results dropped for want of a card race: race number 0, no card race of
  // their number, or left over.
  int resultsWithoutCardRace = 0;
  bool cardFileInvalid = false;  // a card line failed its check
  int cardInvalidLine = 0;       // 1-based, 0 when none failed
  bool cardReadError = false;    // a stream failed while being read (not just ended)
  bool resultsReadError = false;
  bool stopped = false;  // the callback returned false; counts cover only what was read
};

// Called with each race to store: its card, profile and text as read, and
// its result with every finisher's card index set. Returns false to stop
// the merge (a failed write, a cancel); that race then counts as not written.
using MergedRaceSink = std::function<bool(const Race&)>;

// Merges `cards` with `results`, both freshly opened. `work` holds the card
// race and the result in hand (the card reader fills its card, profile and
// text, the results reader its result) and is left holding whatever was
// read last.
//
// The decisions, always between the card race in hand and the result in
// hand ("card number" and "card track" are the race's host race number and
// host track, the fields the results file is keyed by):
//   1. card number 0, or card track not the result's track (ASCII case
//      ignored): the card race is dropped and the next one read. So a
//      results file of another track drops every card race.
//   2. otherwise result number 0: the result is dropped.
//   3. card number below the result's: the card race is dropped (no result).
//   4. card number above the result's: the result is dropped (no card race).
//   5. equal: finishers are tied to horses by name; a race whose every
//      finisher is on the card goes to the callback, any other is dropped;
//      both are then used up.
// Both files are therefore walked once, forwards: only races that meet in
// ascending order are stored (results 1, 2, 3, 5, 4 against cards 1-9 store
// 1, 2, 3 and 5), and the date is never compared: the file names pair the
// days. The merge ends when either reader runs out; whatever the other
// still holds is dropped. A card file that fails its line check ends like
// one that ran out, after the races completed before the bad line, and is
// reported invalid. Once the merge has ended both readers are read to their
// end, so that the card file's verdict covers the whole file and the counts
// cover every race; when the callback stops the merge they are not.
MergeOutcome mergeRaces(CardReader& cards, ResultsReader& results, Race& work, const MergedRaceSink& emit);

}  // namespace stridewell
