// Training patterns from dataset races: one fixed-size PatternRecord per
// race whose result has 5 to 12 usable finishers, each finisher encoded
// from the card horse its result entry names and standardised against the
// other finishers only. writePatterns reads a whole dataset, keeps the
// races that meet the criteria and writes their records. Runs on the
// caller's thread.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

#include "model/pattern_record.h"
#include "race/race_criteria.h"
#include "race/race_profile.h"
#include "race/race_result.h"

namespace stridewell {

class ProgressSink;
class ReplacementFile;
class UserInteraction;

inline constexpr std::string_view kCannotCreatePatternFile = "Cannot create SIM pattern file";
inline constexpr std::string_view kPatternFileWriteFailed =
    "Error creating SIM pattern file (disk probably full)";
inline constexpr std::string_view kInternalError = "INTERNAL";

enum class PatternBuild {
  kBuilt,
  kNoPattern,  // too few or too many finishers, an unusable finish or card slot
  kInternal,   // the encoding did not give one value per input
};

// Builds the race's record: slots 0 to n-1 hold the result's finishers in
// result order, slots n to 11 and every other unused byte are zero, so the
// same race always gives the same bytes. No pattern when n is below 5 or
// above 12, when a finish position is 0 or above 64, or when a finisher's
// cardIndex names no horse of the profile (a damaged race; reading that
// slot would be meaningless or out of bounds).
PatternBuild buildPattern(const RaceProfile& profile, const RaceResult& result, PatternRecord& record);

struct PatternRun {
  int64_t patterns = -1;  // records written, or -1 when the run failed or was cancelled
  int races = 0;          // races that met the criteria and had a track condition
  int racesRead = 0;      // sound races read from the dataset, whatever the criteria
  bool cancelled = false;
  std::string damage;  // the reader's sentence when the dataset ended in a damaged race
};

// Reads `dataset` (opened in binary mode, read from its start) race by
// race and appends the pattern of every race that meets `criteria` and
// whose result has a non-zero track condition to `out`; such a race counts
// in `races` whether or not it gives a pattern. Before each race's filter
// the progress gets the whole percent of the stream consumed and Cancel is
// asked. Shows kCannotCreatePatternFile when `out` was not created,
// kPatternFileWriteFailed when a write fails and kInternalError for a bad
// encoding (that race is then skipped). `out` is left for the caller to
// put in place or discard; a damaged race ends reading like the end of the
// file. `datasetFile` names the file in the damage sentence.
PatternRun writePatterns(const RaceCriteria& criteria, std::istream& dataset, const std::string& datasetFile,
                         ReplacementFile& out, UserInteraction& ui, ProgressSink& progress);

}  // namespace stridewell
