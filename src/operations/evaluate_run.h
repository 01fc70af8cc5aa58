// The SIM report card over a dataset: the races the profit/loss run would
// analyse (the same criteria test, force dry and auto scratch) are scored
// horse by horse on several threads and judged in dataset order on the
// caller's thread, so the card is the same for any number of threads. A
// race counts when its field can be scored (5 to 64 horses), every horse
// of the field is tied to a finisher and one of them won. Call from one
// thread.
#pragma once

#include <ctime>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/combined_chances.h"
#include "analysis/report_card.h"
#include "base/file_system.h"
#include "operations/profit_loss_run.h"
#include "race/race_criteria.h"

namespace stridewell {

class ProgressSink;
class SimModel;
class UserInteraction;

// Reads `dataset` from its position to its end, reporting the percent read
// and stopping when `progress` is cancelled. Every race prepareRace keeps
// is scored with `model` (loaded; one of the threads' SIMs) and added to
// `card`. False when cancelled (`card` then partly filled). A dataset
// ending in a damaged race is judged up to that race, with a warning
// naming it (and `damaged`, when given, set). `logitRaces`, when given,
// receives every counted race that has final odds for its whole field,
// as the log of the SIM's and of the odds' chances.
bool evaluateRaces(const RaceCriteria& criteria, std::istream& dataset, const std::string& datasetFile,
                   SimModel& model, const ProfitLossOptions& options, UserInteraction& ui,
                   ProgressSink& progress, ReportCard& card, bool* damaged = nullptr,
                   std::vector<LogitRace>* logitRaces = nullptr);

// The combined chances fitted on the races of `dataset` that evaluateRaces
// counts and that have final odds for the whole field, as the report
// card's --fit makes them (`fit.ok` false, with its problem, when they
// cannot be fitted). False when cancelled; `damaged` as evaluateRaces.
bool fitCombinedChances(const RaceCriteria& criteria, std::istream& dataset, const std::string& datasetFile,
                        SimModel& model, const ProfitLossOptions& options, UserInteraction& ui,
                        ProgressSink& progress, LogitFit& fit, bool* damaged = nullptr);

struct EvaluateRequest {
  std::string datasetName;
  std::string datasetPath;
  std::string simName;
  std::string simPath;  // the SIM's weights file
  RaceCriteria criteria{};
  ProfitLossOptions options;  // autoScratch and forceDry as the profit/loss run has them
  // The dataset the combined chances are fitted on (the same SIM and
  // criteria); no combined chances when the path is empty.
  std::string fitDatasetName;
  std::string fitDatasetPath;
};

enum class EvaluateStatus {
  kDone,       // the report is written
  kCancelled,  // nothing was written
  kFailed,     // an error was shown; nothing was written
};

struct EvaluateOutcome {
  EvaluateStatus status = EvaluateStatus::kFailed;
  ReportCard card;
  bool datasetDamaged = false;  // kDone, but a dataset ended in a damaged race
  bool simLoaded = false;
  bool fitAsked = false;  // the request named a dataset to fit on
  LogitFit fit;           // fit.ok false, with its problem, when it could not be made
  CombinedJudgement combined;
};

// The whole run: loads the SIM's weights into `model` (defined beforehand)
// ("Error loading SIM data") and opens the dataset ("Error opening
// dataset"), each failure an error that stops the run; with a dataset to
// fit on, that is opened too, its races fitted first; then the races, and
// on kDone the report goes to `report`: the profit/loss run's header
// (dataset, SIM, criteria), the card and, with a fit, the combined
// chances (or why they could not be fitted).
EvaluateOutcome runEvaluation(const EvaluateRequest& request, SimModel& model, std::ostream& report,
                              UserInteraction& ui, ProgressSink& progress);

enum class CardRecording {
  kRecorded,
  kNotRecorded,  // no race counted, or a SIM of the program folder
  kFailed,       // the record could not be written
};

// Keeps the card's headline (dataset, time `now`, races, hit rates, the
// SIM's log loss and pseudo-R2, the final odds' pseudo-R2) in the training
// record beside the SIM's weights file, keeping the record's other facts.
// SIMs beside the program (`programFolder`, the shipped Default) are never
// written to. `problem` says why on kFailed.
CardRecording recordReportCard(const std::string& simPath, const std::string& programFolder,
                               const std::string& datasetName, const ReportCard& card, std::time_t now,
                               std::string& problem, FileSystem& fileSystem = realFileSystem());

}  // namespace stridewell
