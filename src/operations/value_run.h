// The value betting run over a dataset: the races the profit/loss run
// would analyse (the same criteria test, force dry and auto scratch) are
// scored on several threads, each turned into a compact record of its
// field's chances, odds and payoffs, and once all are read the records are
// played in date order (analysis/value_betting.h). The chances are the
// SIM's win shares, or the combined chances fitted on another dataset as
// the report card fits them. The report is the same for any number of
// threads. Call from one thread.
#pragma once

#include <istream>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "analysis/combined_chances.h"
#include "analysis/value_betting.h"
#include "base/file_system.h"
#include "operations/profit_loss_run.h"
#include "race/race.h"
#include "race/race_criteria.h"

namespace stridewell {

class ProgressSink;
class SimModel;
class UserInteraction;

// The record of one prepared race whose horses have `scores` (one per
// field slot, as scoreRaceHorses gives them); nothing when the race cannot
// be played: a field the SIM cannot score (5 to 64 horses), a horse not
// tied to a finisher, no winner, a score that is not positive, or, with
// `fit`, a horse without final odds. With `fit` the chances are the
// combined chances, else each horse's score over the field's sum.
std::optional<ValueRace> valueRaceOf(const RaceProfile& profile, const RaceResult& result,
                                     std::span<const double> scores, const LogitFit* fit);

// Reads `dataset` from its position to its end as evaluateRaces does and
// adds the record of every race that can be played to `races` (in dataset
// order); `leftOut` counts the races that met the criteria but cannot be.
// False when cancelled. A damaged end is warned of and sets `damaged`.
bool collectValueRaces(const RaceCriteria& criteria, std::istream& dataset, const std::string& datasetFile,
                       SimModel& model, const ProfitLossOptions& options, const LogitFit* fit,
                       UserInteraction& ui, ProgressSink& progress, std::vector<ValueRace>& races,
                       int& leftOut, bool* damaged = nullptr);

struct ValueRequest {
  std::string datasetName;
  std::string datasetPath;
  std::string simName;
  std::string simPath;  // the SIM's weights file
  RaceCriteria criteria{};
  ProfitLossOptions options;  // autoScratch and forceDry as the profit/loss run has them
  // The dataset the combined chances are fitted on; the SIM's win shares
  // when the path is empty.
  std::string fitDatasetName;
  std::string fitDatasetPath;
  StakingRules rules;
  // Where the bankroll curve goes as comma lines; none when empty.
  std::string curvePath;
};

enum class ValueStatus {
  kDone,       // the report is written (and the curve file, when asked)
  kCancelled,  // nothing was written
  kFailed,     // an error was shown; nothing was written
  // The combined chances could not be fitted; the report says why and no
  // race was played.
  kNoFit,
};

struct ValueOutcome {
  ValueStatus status = ValueStatus::kFailed;
  ValueSummary summary;
  bool simLoaded = false;
  bool datasetDamaged = false;  // a dataset ended in a damaged race
  bool fitAsked = false;
  LogitFit fit;
  bool curveFailed = false;  // kDone, but the curve file could not be written
};

// The whole run: loads the SIM's weights into `model` (defined beforehand)
// ("Error loading SIM data"), opens the dataset and the one to fit on
// ("Error opening dataset") and makes the curve's new file beside
// `request.curvePath` ("Cannot write" with the file and the system's
// reason), each failure an error that stops the run before any race is
// read. Then the fit, the races and the report: the profit/loss run's
// header (dataset, SIM, criteria), the chances used and the figures. The
// curve file is written through `fileSystem` as a new file renamed into
// place; one that cannot be completed is an error that leaves the old file
// as it was (the status stays kDone, with curveFailed set).
ValueOutcome runValueBetting(const ValueRequest& request, SimModel& model, std::ostream& report,
                             UserInteraction& ui, ProgressSink& progress,
                             FileSystem& fileSystem = realFileSystem());

}  // namespace stridewell
