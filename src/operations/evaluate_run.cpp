#include "operations/evaluate_run.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <span>
#include <vector>

#include "analysis/scoring_crew.h"
#include "base/interaction.h"
#include "datasets/dataset_file.h"
#include "model/sim_model.h"
#include "model/sim_record.h"
#include "operations/prepared_races.h"
#include "patterns/race_scoring.h"
#include "race/race.h"

namespace stridewell {
namespace {

// Judges one scored race; false when it cannot be counted.
bool addToCard(const ScoredField& race, ReportCard& card, std::vector<LogitRace>* logitRaces) {
  if (!race.scored) return false;
  const int field = race.profile.horseCount;
  if (field < kFewestScoredHorses || field > kMostScoredHorses) return false;
  std::array<double, kMostScoredHorses> line{};
  std::array<double, kMostScoredHorses> odds{};
  std::array<bool, kMostScoredHorses> tied{};
  int winner = -1;
  const int finishers = std::min<int>(race.result.finisherCount, kMaxFinishers);
  for (int j = 0; j < finishers; ++j) {
    const FinisherEntry& finisher = race.result.finishers[j];
    const int slot = finisher.cardIndex;
    if (slot >= field || tied[static_cast<size_t>(slot)]) continue;
    tied[static_cast<size_t>(slot)] = true;
    odds[static_cast<size_t>(slot)] = impliedChance(finisher.odds);
    // A dead heat counts the first winner listed.
    if (finisher.finishPosition == 1 && winner < 0) winner = slot;
  }
  for (int slot = 0; slot < field; ++slot) {
    // A horse the result does not cover leaves the field's chances unknown.
    if (!tied[static_cast<size_t>(slot)]) return false;
    line[static_cast<size_t>(slot)] = impliedChance(race.profile.horses[slot].morningLine);
  }
  if (winner < 0) return false;
  const auto count = static_cast<size_t>(field);
  if (!addRaceToCard(card, std::span(race.scores).first(count), std::span(line).first(count),
                     std::span(odds).first(count), winner)) {
    return false;
  }
  if (logitRaces != nullptr &&
      std::all_of(odds.begin(), odds.begin() + field, [](double p) { return p > 0; })) {
    LogitRace entry;
    entry.winner = winner;
    double simTotal = 0, oddsTotal = 0;
    for (size_t i = 0; i < count; ++i) {
      simTotal += race.scores[i];
      oddsTotal += odds[i];
    }
    for (size_t i = 0; i < count; ++i) {
      entry.first.push_back(std::log(race.scores[i] / simTotal));
      entry.second.push_back(std::log(odds[i] / oddsTotal));
    }
    logitRaces->push_back(std::move(entry));
  }
  return true;
}

}  // namespace

bool evaluateRaces(const RaceCriteria& criteria, std::istream& dataset, const std::string& datasetFile,
                   SimModel& model, const ProfitLossOptions& options, UserInteraction& ui,
                   ProgressSink& progress, ReportCard& card, bool* damaged,
                   std::vector<LogitRace>* logitRaces) {
  // Judged in dataset order: the sums then add up the same way whatever
  // thread scored which race.
  return scorePreparedRaces(criteria, dataset, datasetFile, model, options, ui, progress, damaged,
                            [&card, logitRaces](const ScoredField& field) {
                              if (!addToCard(field, card, logitRaces)) ++card.racesLeftOut;
                            });
}

bool fitCombinedChances(const RaceCriteria& criteria, std::istream& dataset, const std::string& datasetFile,
                        SimModel& model, const ProfitLossOptions& options, UserInteraction& ui,
                        ProgressSink& progress, LogitFit& fit, bool* damaged) {
  std::vector<LogitRace> logitRaces;
  ReportCard card;
  if (!evaluateRaces(criteria, dataset, datasetFile, model, options, ui, progress, card, damaged,
                     &logitRaces))
    return false;
  fit = fitLogit(logitRaces);
  return true;
}

EvaluateOutcome runEvaluation(const EvaluateRequest& request, SimModel& model, std::ostream& report,
                              UserInteraction& ui, ProgressSink& progress) {
  EvaluateOutcome outcome;
  if (!model.loadWeights(request.simPath)) {
    ui.error("Error loading SIM data\n" + model.loadProblem());
    return outcome;
  }
  outcome.simLoaded = true;
  std::vector<char> buffer, fitBuffer;
  std::ifstream dataset, fitDataset;
  if (!openDatasetFile(dataset, buffer, request.datasetPath, ui)) return outcome;
  outcome.fitAsked = !request.fitDatasetPath.empty();
  if (outcome.fitAsked && !openDatasetFile(fitDataset, fitBuffer, request.fitDatasetPath, ui)) return outcome;

  std::vector<LogitRace> logitRaces;
  if (outcome.fitAsked) {
    progress.setText("Fitting the combined chances...");
    bool fitDamaged = false;
    if (!fitCombinedChances(request.criteria, fitDataset, request.fitDatasetPath, model, request.options, ui,
                            progress, outcome.fit, &fitDamaged)) {
      outcome.status = EvaluateStatus::kCancelled;
      return outcome;
    }
    outcome.datasetDamaged = fitDamaged;
  }
  progress.setText("Evaluating the SIM...");
  bool damaged = false;
  if (!evaluateRaces(request.criteria, dataset, request.datasetPath, model, request.options, ui, progress,
                     outcome.card, &damaged, outcome.fitAsked ? &logitRaces : nullptr)) {
    outcome.card = ReportCard{};
    outcome.status = EvaluateStatus::kCancelled;
    return outcome;
  }
  outcome.datasetDamaged = outcome.datasetDamaged || damaged;
  if (outcome.fitAsked) outcome.combined = judgeCombined(outcome.fit, logitRaces);
  writeProfitLossHeader(report, request.datasetName, request.simName, request.criteria, ProfitLossOptions{});
  writeReportCard(report, outcome.card);
  if (outcome.fitAsked) writeCombinedSection(report, request.fitDatasetName, outcome.fit, outcome.combined);
  outcome.status = EvaluateStatus::kDone;
  return outcome;
}

CardRecording recordReportCard(const std::string& simPath, const std::string& programFolder,
                               const std::string& datasetName, const ReportCard& card, std::time_t now,
                               std::string& problem, FileSystem& fileSystem) {
  if (card.races <= 0) return CardRecording::kNotRecorded;
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path simFolder = fs::path(simPath).parent_path();
  const fs::path beside = simFolder.empty() ? fs::path(".") : simFolder;
  if (!programFolder.empty() && fs::equivalent(beside, fs::path(programFolder), error)) {
    return CardRecording::kNotRecorded;
  }
  const std::string path = simRecordPath(simPath);
  SimRecord record;
  // A damaged record is replaced: it told nothing anyway.
  (void)readSimRecord(path, record);
  if (record.simName.empty()) record.simName = fs::path(simPath).stem().string();
  SimCardHeadline headline;
  headline.dataset = datasetName;
  headline.when = recordTimeText(now);
  headline.races = card.races;
  headline.topPickRate = static_cast<double>(card.topPickWon) / card.races;
  headline.top3Rate = static_cast<double>(card.winnerInTop3) / card.races;
  const SourceCard& sim = card.sources[static_cast<size_t>(ChanceSource::kSim)];
  headline.simLogLoss = sim.logLoss();
  headline.simPseudoR2 = sim.pseudoR2();
  const SourceCard& odds = card.sources[static_cast<size_t>(ChanceSource::kFinalOdds)];
  if (odds.races > 0) headline.oddsPseudoR2 = odds.pseudoR2();
  record.card = headline;
  return writeSimRecord(path, record, problem, fileSystem) ? CardRecording::kRecorded
                                                           : CardRecording::kFailed;
}

}  // namespace stridewell
