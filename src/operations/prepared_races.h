// Reading a dataset for a run that scores its races (the profit/loss run,
// the report card): races come one at a time, each already prepared as
// prepareRace says and the others skipped, while the percent of the file
// read goes to the progress sink and Cancel is checked after every race
// read. Call from one thread.
#pragma once

#include <array>
#include <fstream>
#include <functional>
#include <istream>
#include <string>
#include <vector>

#include "datasets/dataset_file.h"
#include "operations/profit_loss_run.h"
#include "patterns/race_scoring.h"
#include "race/race_criteria.h"

namespace stridewell {

class ProgressSink;
class SimModel;
class UserInteraction;

// Opens the dataset file at `path` for reading through `buffer` (sized
// here, and to outlive the stream); false, after the error "Error opening
// dataset" and the path, when it cannot be opened.
bool openDatasetFile(std::ifstream& dataset, std::vector<char>& buffer, const std::string& path,
                     UserInteraction& ui);

class PreparedRaces {
 public:
  // Reads `dataset` from its present position to its end; `datasetFile`
  // names it in the damage message.
  PreparedRaces(std::istream& dataset, const std::string& datasetFile, const RaceCriteria& criteria,
                const ProfitLossOptions& options, ProgressSink& progress);

  // The next race prepareRace keeps, in `race`; false at the end of the
  // dataset, at a damaged race, or when the progress sink was cancelled.
  bool next(Race& race);

  bool cancelled() const { return cancelled_; }
  // Reading stopped at a damaged race; problem() names the file and race.
  bool damaged() const { return reader_.damaged(); }
  std::string problem() const { return reader_.problem(); }

 private:
  struct Extent {
    double base = 0;  // the stream position reading started at
    double size = 0;  // bytes from there to the end; 0 when unknown
  };
  static Extent measure(std::istream& dataset);

  Extent extent_;  // measured before the reader starts reading
  DatasetReader reader_;
  const RaceCriteria& criteria_;
  const ProfitLossOptions& options_;
  ProgressSink& progress_;
  int lastPercent_ = -1;
  bool cancelled_ = false;
};

// A race whose horses were scored one by one (scoreRaceHorses).
struct ScoredField {
  RaceProfile profile;
  RaceResult result;
  std::array<double, kMostScoredHorses> scores{};
  bool scored = false;  // false when the field could not be scored
};

// Reads `dataset` from its position to its end, scores the horses of every
// race prepareRace keeps on several threads (`model`, loaded, is one of
// their SIMs) and hands each race to `judge` in dataset order on the
// caller's thread, so what it adds up is the same for any number of
// threads. False when `progress` was cancelled. A dataset ending in a
// damaged race is judged up to that race, with a warning naming it (and
// `damaged`, when given, set).
bool scorePreparedRaces(const RaceCriteria& criteria, std::istream& dataset, const std::string& datasetFile,
                        SimModel& model, const ProfitLossOptions& options, UserInteraction& ui,
                        ProgressSink& progress, bool* damaged,
                        const std::function<void(const ScoredField&)>& judge);

}  // namespace stridewell
