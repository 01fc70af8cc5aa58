#include "operations/profit_loss_run.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <system_error>
#include <thread>
#include <vector>

#include "analysis/auto_scratch.h"
#include "analysis/race_analysis.h"
#include "analysis/scoring_crew.h"
#include "analysis/strategy_totals.h"
#include "analysis/totals_report.h"
#include "base/interaction.h"
#include "base/replacement_file.h"
#include "datasets/dataset_file.h"
#include "model/sim_model.h"
#include "operations/prepared_races.h"
#include "race/card_values.h"
#include "race/criteria_text.h"

namespace stridewell {
namespace {

// Races read ahead and scored together. Enough to keep every thread busy
// while a large field is scored, few enough that Cancel and the progress
// bar stay close to the work.
constexpr size_t kBatchRaces = 64;

// More threads than this would only share the same few cores.
constexpr int kMostThreads = 64;

void useMorningLineOdds(const RaceCard& card, RaceResult& result) {
  const int finishers = std::min<int>(result.finisherCount, kMaxFinishers);
  const int horses = std::min<int>(card.horseCount, kMaxHorses);
  for (int j = 0; j < finishers; ++j) {
    const int slot = result.finishers[j].cardIndex;
    // A finisher tied to no horse of the card has no morning line: its odds
    // count as unknown rather than keeping the track's.
    result.finishers[j].odds = slot < horses ? card.horses[slot].morningLine : 0.0f;
  }
}

void removeFile(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
}

}  // namespace

int scoringThreads(int requested) {
  if (requested <= 0) requested = static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(requested, 1, kMostThreads);
}

bool prepareRace(Race& race, const RaceCriteria& criteria, const ProfitLossOptions& options) {
  if (!matchesCriteria(criteria, race.profile, race.result)) return false;
  // After the criteria test, which judges the condition the race was run on.
  if (options.forceDry) race.result.condition = kDry;
  if (options.skipTurfToDirt && race.card.surface != RaceCard::kDirt &&
      race.result.surface == RaceCard::kDirt) {
    return false;
  }
  if (options.morningLineOdds) useMorningLineOdds(race.card, race.result);
  if (options.autoScratch) autoScratch(race.card, race.profile, race.result);
  return true;
}

void writeProfitLossHeader(std::ostream& report, std::string_view datasetName, std::string_view simName,
                           const RaceCriteria& criteria, const ProfitLossOptions& options) {
  report << "DataSet:   " << datasetName << '\n';
  report << "SIM Model: " << simName << '\n';
  report << describeCriteria(criteria);
  if (options.shortReport) report << "Short report format.\n";
  if (options.morningLineOdds)
    report << "All odds indicate Morning Line Odds instead of Actual Track Odds.\n";
  if (options.breakdown)
    report << breakdownHeading(options.breakdown->key, options.breakdown->strategy, options.morningLineOdds);
  report << '\n';
}

int runRaceLoop(const RaceCriteria& criteria, std::istream& dataset, const std::string& datasetFile,
                std::ostream& report, std::ostream* comma, SimModel& model, const ProfitLossOptions& options,
                UserInteraction& ui, ProgressSink& progress, bool* damaged, StrategyTotalsTable* totalsOut,
                std::vector<SettledRace>* settledOut) {
  auto totals = std::make_unique<StrategyTotalsTable>();
  clearTotals(*totals);

  PreparedRaces races(dataset, datasetFile, criteria, options, progress);
  auto race = std::make_unique<Race>();
  std::vector<PendingRace> batch(kBatchRaces);
  ScoringCrew crew(model, scoringThreads(options.threads));
  auto analysis = std::make_unique<RaceAnalysis>();
  // Kept only for a breakdown: a race's analysis and a few facts of it.
  std::vector<SettledRace> settled;
  const bool keepRaces = options.breakdown.has_value() || settledOut != nullptr;
  int analyzed = 0;
  bool more = true;
  while (more) {
    size_t pending = 0;
    while (pending < batch.size()) {
      if (!races.next(*race)) {
        if (races.cancelled()) return -1;
        more = false;
        break;
      }
      PendingRace& next = batch[pending++];
      next.profile = race->profile;
      next.result = race->result;
      next.prediction = RacePrediction{};
    }
    if (!crew.score(std::span(batch).first(pending), progress)) return -1;
    // Settled in dataset order: the float totals then add up the same way
    // whatever thread scored which race.
    for (size_t i = 0; i < pending; ++i) {
      *analysis = RaceAnalysis{};
      if (!buildRaceAnalysis(batch[i].prediction, batch[i].profile, batch[i].result, *analysis)) continue;
      settleAllStrategies(*analysis, options.shortReport, *totals);
      if (keepRaces) settled.push_back({*analysis, segmentFacts(batch[i].profile)});
      ++analyzed;
    }
  }
  if (races.damaged()) ui.warning(races.problem() + "; the report covers the races before it.");
  if (damaged != nullptr) *damaged = races.damaged();
  if (options.breakdown) {
    writeBreakdownReport(report, breakDown(settled, options.breakdown->key, options.breakdown->strategy),
                         comma);
  } else {
    writeTotalsReport(report, *totals, options.shortReport, comma);
  }
  if (totalsOut != nullptr) *totalsOut = *totals;
  if (settledOut != nullptr) *settledOut = std::move(settled);
  return analyzed;
}

ProfitLossOutcome runProfitLoss(const ProfitLossRequest& request, SimModel& model,
                                const std::string& reportPath, std::ostream* comma, UserInteraction& ui,
                                ProgressSink& progress, StrategyTotalsTable* totals, FileSystem& fileSystem,
                                std::vector<SettledRace>* settled) {
  ProfitLossOutcome outcome;
  if (!model.loadWeights(request.simPath)) {
    ui.error("Error loading SIM data\n" + model.loadProblem());
    return outcome;
  }
  outcome.simLoaded = true;
  std::vector<char> buffer;
  std::ifstream dataset;
  if (!openDatasetFile(dataset, buffer, request.datasetPath, ui)) return outcome;
  ReplacementFile reportFile(reportPath, fileSystem);
  if (!reportFile.ok()) {
    ui.error("Cannot create temp file\n" + reportPath + ": " + reportFile.error().message());
    return outcome;
  }

  progress.setText("Performing Profit/Loss Analysis...");
  std::ostringstream report;
  writeProfitLossHeader(report, request.datasetName, request.simName, request.criteria, request.options);
  const int analyzed = runRaceLoop(request.criteria, dataset, request.datasetPath, report, comma, model,
                                   request.options, ui, progress, &outcome.datasetDamaged, totals, settled);
  if (analyzed < 0) {
    removeFile(reportPath);
    outcome.status = ProfitLossStatus::kCancelled;
    return outcome;
  }
  char closing[48];
  std::snprintf(closing, sizeof closing, "\n%d races analyzed.\n", analyzed);
  report << closing;
  reportFile.write(report.view());
  if (!reportFile.replaceTarget()) {
    ui.error("Cannot write temp file\n" + reportPath + ": " + reportFile.error().message());
    return outcome;
  }
  outcome.status = ProfitLossStatus::kDone;
  outcome.racesAnalyzed = analyzed;
  return outcome;
}

}  // namespace stridewell
