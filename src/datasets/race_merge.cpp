#include "datasets/race_merge.h"

#include <cstring>
#include <string_view>

#include "base/text_case.h"
#include "datasets/finisher_tie.h"

namespace stridewell {
namespace {

std::string_view trackText(const char (&track)[4]) {
  return {track, ::strnlen(track, sizeof track)};
}

enum class Decision { kDropCard, kDropResult, kMatch };

// Both tracks come normalised from their readers (a two-letter code already
// carries its "X"), so a plain comparison ignoring case is the whole test.
Decision decide(const RaceCard& card, const RaceResult& result) {
  if (card.hostRaceNumber == 0 || !equalsIgnoreCase(trackText(card.hostTrack), trackText(result.track))) {
    return Decision::kDropCard;
  }
  if (result.raceNumber == 0) return Decision::kDropResult;
  if (card.hostRaceNumber < result.raceNumber) return Decision::kDropCard;
  if (card.hostRaceNumber > result.raceNumber) return Decision::kDropResult;
  return Decision::kMatch;
}

}  // namespace

MergeOutcome mergeRaces(CardReader& cards, ResultsReader& results, Race& work, const MergedRaceSink& emit) {
  MergeOutcome outcome;
  bool haveCard = false;
  bool haveResult = false;
  while ((haveCard || (haveCard = cards.next(work))) &&
         (haveResult || (haveResult = results.next(work.result)))) {
    const Decision decision = decide(work.card, work.result);
    if (decision == Decision::kDropCard) {
      haveCard = false;
      ++outcome.cardRacesWithoutResult;
    } else if (decision == Decision::kDropResult) {
      haveResult = false;
      ++outcome.resultsWithoutCardRace;
    } else {
      if (!tieFinishersToHorses(work.card, work.result)) {
        ++outcome.racesNotTied;
      } else if (emit(work)) {
        ++outcome.racesWritten;
      } else {
        outcome.stopped = true;
        break;
      }
      haveCard = false;
      haveResult = false;
    }
  }
  if (!outcome.stopped) {
    // One reader has run out; the other's races are dropped, but the card
    // file is still read to its end so that a bad line after the last
    // merged race still marks it invalid.
    if (haveCard) ++outcome.cardRacesWithoutResult;
    while (cards.next(work)) ++outcome.cardRacesWithoutResult;
    if (haveResult) ++outcome.resultsWithoutCardRace;
    while (results.next(work.result)) ++outcome.resultsWithoutCardRace;
  }
  outcome.cardFileInvalid = cards.invalid();
  outcome.cardInvalidLine = cards.invalidLine();
  outcome.cardReadError = cards.readError();
  outcome.resultsReadError = results.readError();
  return outcome;
}

}  // namespace stridewell
