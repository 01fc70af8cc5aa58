#include "operations/value_run.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <span>
#include <sstream>

#include "analysis/scoring_crew.h"
#include "base/interaction.h"
#include "base/replacement_file.h"
#include "model/sim_model.h"
#include "operations/evaluate_run.h"
#include "operations/prepared_races.h"
#include "patterns/race_scoring.h"

namespace stridewell {
namespace {

// The track code as the report and the comma file show it: up to three
// visible characters, any other byte (or a comma) as '?'.
std::string trackCode(const RaceResult& result) {
  std::string code;
  for (size_t i = 0; i < 3 && result.track[i] != '\0'; ++i) {
    const auto c = static_cast<unsigned char>(result.track[i]);
    code += (c > ' ' && c < 0x7f && c != ',') ? static_cast<char>(c) : '?';
  }
  return code;
}

std::string fitText(const LogitFit& fit) {
  char line[160];
  std::snprintf(line, sizeof line, "a = %.4f +/- %.4f, b = %.4f +/- %.4f, %d races", fit.a, fit.errorA, fit.b,
                fit.errorB, fit.races);
  return line;
}

}  // namespace

std::optional<ValueRace> valueRaceOf(const RaceProfile& profile, const RaceResult& result,
                                     std::span<const double> scores, const LogitFit* fit) {
  const int field = profile.horseCount;
  if (field < kFewestScoredHorses || field > kMostScoredHorses || scores.size() < static_cast<size_t>(field))
    return std::nullopt;
  ValueRace race;
  race.date = result.date;
  race.track = trackCode(result);
  race.raceNumber = result.raceNumber;
  race.horses.resize(static_cast<size_t>(field));
  std::array<bool, kMostScoredHorses> tied{};
  bool winner = false;
  const int finishers = std::min<int>(result.finisherCount, kMaxFinishers);
  for (int j = 0; j < finishers; ++j) {
    const FinisherEntry& finisher = result.finishers[j];
    const int slot = finisher.cardIndex;
    if (slot >= field || tied[static_cast<size_t>(slot)]) continue;
    tied[static_cast<size_t>(slot)] = true;
    ValueHorse& horse = race.horses[static_cast<size_t>(slot)];
    const float odds = finisher.odds;
    const float payoff = finisher.winPayoff;
    horse.odds = std::isfinite(odds) && odds > 0 ? odds : 0.0;
    horse.winPayoff = std::isfinite(payoff) && payoff > 0 ? payoff : 0.0;
    // Every horse of a dead heat is a winner, paid as the results say.
    horse.won = finisher.finishPosition == 1;
    winner = winner || horse.won;
  }
  if (!winner) return std::nullopt;
  double total = 0;
  for (int slot = 0; slot < field; ++slot) {
    const double score = scores[static_cast<size_t>(slot)];
    if (!tied[static_cast<size_t>(slot)] || !(score > 0) || !std::isfinite(score)) return std::nullopt;
    total += score;
  }
  if (fit == nullptr) {
    for (int slot = 0; slot < field; ++slot)
      race.horses[static_cast<size_t>(slot)].chance = scores[static_cast<size_t>(slot)] / total;
    return race;
  }
  // The combined chances need the public's opinion of every horse.
  LogitRace features;
  double oddsTotal = 0;
  for (const ValueHorse& horse : race.horses) {
    if (!(horse.odds > 0)) return std::nullopt;
    oddsTotal += 1 / (horse.odds + 1);
  }
  for (int slot = 0; slot < field; ++slot) {
    const ValueHorse& horse = race.horses[static_cast<size_t>(slot)];
    features.first.push_back(std::log(scores[static_cast<size_t>(slot)] / total));
    features.second.push_back(std::log(1 / (horse.odds + 1) / oddsTotal));
  }
  const std::vector<double> chances = combinedChances(*fit, features);
  if (chances.size() != race.horses.size()) return std::nullopt;
  for (size_t i = 0; i < chances.size(); ++i) race.horses[i].chance = chances[i];
  return race;
}

bool collectValueRaces(const RaceCriteria& criteria, std::istream& dataset, const std::string& datasetFile,
                       SimModel& model, const ProfitLossOptions& options, const LogitFit* fit,
                       UserInteraction& ui, ProgressSink& progress, std::vector<ValueRace>& races,
                       int& leftOut, bool* damaged) {
  // Kept in dataset order; the caller puts them in date order.
  return scorePreparedRaces(criteria, dataset, datasetFile, model, options, ui, progress, damaged,
                            [&races, &leftOut, fit](const ScoredField& field) {
                              std::optional<ValueRace> entry;
                              if (field.scored)
                                entry = valueRaceOf(field.profile, field.result, field.scores, fit);
                              if (entry) {
                                races.push_back(std::move(*entry));
                              } else {
                                ++leftOut;
                              }
                            });
}

ValueOutcome runValueBetting(const ValueRequest& request, SimModel& model, std::ostream& report,
                             UserInteraction& ui, ProgressSink& progress, FileSystem& fileSystem) {
  ValueOutcome outcome;
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
  // Made before the long part of the run, so that a folder that cannot
  // take the file is known at once.
  std::unique_ptr<ReplacementFile> curve;
  if (!request.curvePath.empty()) {
    curve = std::make_unique<ReplacementFile>(request.curvePath, fileSystem);
    if (!curve->ok()) {
      ui.error("Cannot write " + request.curvePath + ": " + curve->error().message());
      return outcome;
    }
  }

  if (outcome.fitAsked) {
    progress.setText("Fitting the combined chances...");
    bool fitDamaged = false;
    if (!fitCombinedChances(request.criteria, fitDataset, request.fitDatasetPath, model, request.options, ui,
                            progress, outcome.fit, &fitDamaged)) {
      outcome.status = ValueStatus::kCancelled;
      return outcome;
    }
    outcome.datasetDamaged = fitDamaged;
  }

  if (outcome.fitAsked && !outcome.fit.ok) {
    writeProfitLossHeader(report, request.datasetName, request.simName, request.criteria,
                          ProfitLossOptions{});
    report << "Chances:          combined, cannot be fitted on " << request.fitDatasetName << ": "
           << outcome.fit.problem << "\n";
    outcome.status = ValueStatus::kNoFit;
    return outcome;
  }

  progress.setText("Betting the races...");
  std::vector<ValueRace> races;
  int leftOut = 0;
  bool damaged = false;
  if (!collectValueRaces(request.criteria, dataset, request.datasetPath, model, request.options,
                         outcome.fitAsked ? &outcome.fit : nullptr, ui, progress, races, leftOut, &damaged)) {
    outcome.status = ValueStatus::kCancelled;
    return outcome;
  }
  outcome.datasetDamaged = outcome.datasetDamaged || damaged;
  sortRacesByDate(races);
  outcome.summary = playValueRaces(races, request.rules);
  outcome.summary.racesLeftOut = leftOut;

  // Written only now: a cancelled run writes nothing.
  writeProfitLossHeader(report, request.datasetName, request.simName, request.criteria, ProfitLossOptions{});
  if (outcome.fitAsked) {
    report << "Chances:          combined, exp(a ln SIM + b ln final odds), fitted on "
           << request.fitDatasetName << "\n                  " << fitText(outcome.fit) << "\n";
  } else {
    report << "Chances:          the SIM's win shares (each horse's score over the field's)\n";
  }
  writeValueReport(report, outcome.summary, request.rules);
  outcome.status = ValueStatus::kDone;

  if (curve) {
    std::ostringstream lines;
    writeBankrollCurve(lines, outcome.summary);
    curve->write(lines.str());
    if (!curve->replaceTarget()) {
      ui.error("Cannot write " + request.curvePath + ": " + curve->error().message());
      outcome.curveFailed = true;
    }
  }
  return outcome;
}

}  // namespace stridewell
