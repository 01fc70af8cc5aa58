#include "operations/prep_sim.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>
#include <vector>

#include "base/interaction.h"
#include "base/replacement_file.h"
#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "base/workspace.h"
#include "datasets/dataset_name.h"
#include "model/pattern_record.h"
#include "model/sim_list.h"
#include "model/sim_model.h"
#include "model/sim_name_rules.h"
#include "model/sim_record.h"
#include "model/sim_shape.h"
#include "patterns/pattern_writer.h"
#include "race/card_values.h"
#include "race/criteria_text.h"

namespace stridewell {
namespace {

// The dataset is read sequentially; a larger buffer than the stream's
// default keeps the reads few.
constexpr size_t kDatasetBufferBytes = 32768;

std::string targetWeightsPath(const Workspace& workspace, const std::string& simName) {
  return joinPath(workspace.sim, simName + std::string(kSimFileExtension));
}

// The train information keeps both texts in 260-byte fields with their NUL.
bool fitsTrainInfo(const Workspace& workspace, const std::string& simName) {
  return targetWeightsPath(workspace, simName).size() < sizeof(TrainInfo::targetPath) &&
         simName.size() < sizeof(TrainInfo::simName);
}

// Whether the SIM folder holds a SIM file of this name: name + ".SIM" with
// the name compared ignoring case, as the SIM list shows and finds them.
bool simFolderHasSim(const Workspace& workspace, const std::string& simName) {
  const SimList list = fillSimList(workspace.sim, false);
  for (int i = 0; i < list.count; ++i) {
    if (equalsIgnoreCase(list.items[static_cast<size_t>(i)], simName)) return true;
  }
  return false;
}

template <typename Discard>
PrepResult failAfterRun(PrepResult result, const Discard& discard) {
  discard();
  result.outcome = PrepOutcome::kFailed;
  return result;
}

// Why a run over `dataset` wrote no pattern.
std::string noPatternReason(const std::string& dataset, const PatternRun& run) {
  const std::string name = "dataset " + dataset;
  if (!run.damage.empty() && run.races == 0) return run.damage + ".";
  if (run.racesRead == 0) return "The " + name + " holds no race.";
  if (run.races == 0) {
    return "No race of the " + name + " met the criteria with a known track condition (" +
           std::to_string(run.racesRead) + (run.racesRead == 1 ? " race read)." : " races read).");
  }
  std::string reason = "No race of the " + name + " that met the criteria gave a pattern (" +
                       std::to_string(run.races) + (run.races == 1 ? " race" : " races") +
                       " met them; a race needs 5 to 12 finishers).";
  if (!run.damage.empty()) reason += " " + run.damage + ".";
  return reason;
}

bool startingWeights(const PrepRequest& request, const Workspace& workspace, SimModel& model) {
  if (!model.defined() || !hasSimShape(model)) {
    if (defineSimShape(model) == 0) return false;
  }
  if (!request.startSim.empty()) return model.loadWeights(simWeightsPath(workspace, request.startSim));
  if (request.random) {
    model.setRandom(*request.random);
  } else {
    model.seedFromClock();
  }
  model.randomizeWeights();
  return true;
}

// Splits the report header's lines of the criteria.
std::vector<std::string> criteriaLines(const RaceCriteria& criteria) {
  std::vector<std::string> lines;
  const std::string text = describeCriteria(criteria);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace

SimRecord preparationRecord(const PrepRequest& request, const std::string& simName, int64_t patterns,
                            int races, std::time_t now) {
  SimRecord record;
  record.simName = simName;
  record.dataset = request.dataset;
  record.criteria = criteriaLines(request.criteria);
  record.criteriaKnown = true;
  record.passesPerRun = request.passes;
  record.startSim = request.startSim;
  record.startKnown = true;
  record.patterns = patterns;
  record.races = races;
  record.preparedWhen = recordTimeText(now);
  return record;
}

std::string prepCaption(std::string_view simName) {
  return "Prep: " + std::string(simName);
}

MwcRandom randomFromSeed(uint32_t seed) {
  MwcRandom random;
  random.z = seed;
  random.w = ~seed;
  return random;
}

PrepCheck checkPrepRequest(const PrepRequest& request, const Workspace& workspace, UserInteraction& ui) {
  const std::string name = trimSimName(request.simName);
  const std::string problem = simNameProblem(name, SimNameUse::kPrep, workspace.programFolder);
  if (!problem.empty()) {
    ui.error(problem);
    return PrepCheck::kBadName;
  }
  if (!fitsTrainInfo(workspace, name)) {
    ui.error(kSimNameTooLong);
    return PrepCheck::kBadName;
  }
  if (request.startSim == name) {
    ui.error(kSameStartAndTarget);
    return PrepCheck::kSameAsStart;
  }
  if (simFolderHasSim(workspace, name) && !ui.query(kOverwriteSimQuery)) return PrepCheck::kDeclined;
  return PrepCheck::kAccepted;
}

PrepResult runPrep(const PrepRequest& request, const Workspace& workspace, SimModel& model,
                   UserInteraction& ui, ProgressSink& progress, SettingsStore* settings,
                   FileSystem& fileSystem) {
  PrepResult result;
  const std::string name = trimSimName(request.simName);
  // The request should have passed checkPrepRequest; a name that could
  // lead out of the SIM folder or not fit the train information is refused
  // here too, before anything is touched.
  if (const std::string problem = simNameProblem(name, SimNameUse::kPrep, workspace.programFolder);
      !problem.empty()) {
    ui.error(problem);
    return result;
  }
  if (!fitsTrainInfo(workspace, name)) {
    ui.error(kSimNameTooLong);
    return result;
  }
  if (settings != nullptr) settings->write(setting::kTrainDataset, request.dataset);

  // The dataset is opened before the starting weights are saved, so that a
  // dataset that cannot be read leaves the previous preparation whole.
  std::vector<char> buffer(kDatasetBufferBytes);
  std::ifstream dataset;
  dataset.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  const std::string datasetFile = datasetPath(workspace, request.dataset);
  int openError = ENOENT;
  if (checkDatasetName(request.dataset) == DatasetNameFault::kNone) {
    errno = 0;
    dataset.open(datasetFile, std::ios::binary);
    openError = errno != 0 ? errno : EIO;
  }
  if (!dataset.is_open()) {
    ui.error(std::string(kPrepDatasetOpenFailed) + "\n" + datasetFile + ": " + std::strerror(openError));
    return result;
  }

  if (!startingWeights(request, workspace, model)) {
    // A start SIM that did not load says why (its file, and the bad value
    // of a damaged one).
    const std::string problem = request.startSim.empty() ? std::string() : model.loadProblem();
    ui.error(problem.empty() ? std::string(kPrepInitFailed) : std::string(kPrepInitFailed) + "\n" + problem);
    if (!request.startSim.empty() && model.loadFault() == SimModel::LoadFault::kDamaged) {
      result.outcome = PrepOutcome::kDamagedStart;
    }
    return result;
  }
  // Each file is written beside its target and put in place only once a
  // whole preparation exists: a run that ends early or yields no pattern
  // leaves the previous preparation as it was until then.
  const std::string trainWeights = joinPath(workspace.trainData, kTrainWeightsFileName);
  ReplacementFile weights(trainWeights, fileSystem);
  weights.write(model.weightsFileBytes());
  if (!weights.ok()) {
    ui.error(std::string(kPrepSaveFailed) + "\n" + weights.problem());
    return result;
  }

  progress.setText(kPrepProgressText);
  const std::string patternPath = joinPath(workspace.trainData, kPatternFileName);
  ReplacementFile patterns(patternPath, fileSystem);
  const PatternRun run = writePatterns(request.criteria, dataset, datasetFile, patterns, ui, progress);
  dataset.close();
  result.races = run.races;
  const std::string recordPath = simRecordPath(trainWeights);
  const auto discard = [&] {
    fileSystem.remove(trainWeights);
    fileSystem.remove(patternPath);
    fileSystem.remove(recordPath);
  };
  if (run.patterns < 0) {
    if (run.cancelled) ui.notice(kPrepAbortedCaption, kPrepAborted);
    discard();
    result.outcome = run.cancelled ? PrepOutcome::kCancelled : PrepOutcome::kFailed;
    return result;
  }
  if (run.patterns == 0) {
    // Nothing to train on: the previous preparation stays whole, and the
    // user learns why this one gave nothing.
    ui.error(noPatternReason(request.dataset, run) +
             " Nothing was prepared; TRAINDATA keeps the previous preparation.");
    result.outcome = PrepOutcome::kNoPatterns;
    result.damagedDataset = !run.damage.empty();
    return result;
  }

  TrainInfo info;
  std::memset(static_cast<void*>(&info), 0, sizeof info);
  const std::string target = targetWeightsPath(workspace, name);
  std::memcpy(info.targetPath, target.data(), target.size());
  std::memcpy(info.simName, name.data(), name.size());
  info.passes = request.passes;
  info.patternCount = static_cast<int32_t>(run.patterns);
  ReplacementFile infoFile(joinPath(workspace.trainData, kTrainInfoFileName), fileSystem);
  infoFile.write(std::string_view(reinterpret_cast<const char*>(&info), sizeof info));
  if (!infoFile.ok()) {
    ui.error(std::string(kTrainInfoFailed) + "\n" + infoFile.problem());
    return failAfterRun(result, discard);
  }

  // What the SIM learns from, for its training record; the passes count up
  // from here as training runs.
  ReplacementFile recordFile(recordPath, fileSystem);
  recordFile.write(
      simRecordText(preparationRecord(request, name, run.patterns, run.races, std::time(nullptr))));

  // In place: the old patterns go first, so that a run killed between the
  // renames leaves no pattern file and training asks for a new preparation;
  // the new patterns come last, after the weights and the train information
  // they belong with.
  fileSystem.remove(patternPath);
  fileSystem.remove(recordPath);
  if (!weights.replaceTarget()) {
    ui.error(std::string(kPrepSaveFailed) + "\n" + weights.problem());
    return failAfterRun(result, discard);
  }
  // Without its train information the new patterns and weights are no
  // matched set: they go too, so training never runs them against the
  // count and target of an earlier preparation.
  if (!infoFile.replaceTarget()) {
    ui.error(std::string(kTrainInfoFailed) + "\n" + infoFile.problem());
    return failAfterRun(result, discard);
  }
  if (!patterns.replaceTarget()) {
    ui.error(std::string(kPatternFileWriteFailed) + "\n" + patterns.problem());
    return failAfterRun(result, discard);
  }
  // The record only describes the preparation: without it training goes on
  // and the SIM simply has no record.
  if (!recordFile.replaceTarget()) {
    fileSystem.remove(recordPath);
    ui.warning("The training record could not be written (" + recordFile.problem() +
               "); the SIM will have no record of its dataset and criteria.");
  }
  if (!run.damage.empty()) ui.warning(run.damage + "; the patterns cover the races before it.");
  result.outcome = PrepOutcome::kDone;
  result.patterns = run.patterns;
  result.damagedDataset = !run.damage.empty();
  ui.notice(kPrepCompleteCaption,
            std::to_string(run.patterns) + " patterns (" + std::to_string(run.races) + " races)");
  return result;
}

}  // namespace stridewell
