#include "operations/training_run.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <system_error>

#include "base/interaction.h"
#include "base/replacement_file.h"
#include "base/text_case.h"
#include "model/sim_record.h"
#include "model/sim_shape.h"

namespace stridewell {
namespace {

bool hasTerminator(const char* text, size_t capacity) {
  return std::memchr(text, '\0', capacity) != nullptr;
}

// Training is background work: on Linux a thread has its own nice value,
// so only this thread (and the helpers it starts) yields to the rest.
void lowerThisThreadsPriority() {
#ifdef __linux__
  const auto threadId = static_cast<id_t>(::syscall(SYS_gettid));
  (void)::setpriority(PRIO_PROCESS, threadId, 10);
#endif
}

}  // namespace

TrainInfoRead readTrainInfo(const std::filesystem::path& file, TrainInfo& info, std::string& problem) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    problem = "Cannot open " + file.string();
    return TrainInfoRead::kCannotOpen;
  }
  TrainInfo read{};
  in.read(reinterpret_cast<char*>(&read), sizeof read);
  std::string fault;
  if (in.gcount() != static_cast<std::streamsize>(sizeof read)) {
    fault = "it holds " + std::to_string(in.gcount()) + " of " + std::to_string(sizeof read) + " bytes";
  } else if (!hasTerminator(read.targetPath, sizeof read.targetPath)) {
    fault = "the target path has no end";
  } else if (!hasTerminator(read.simName, sizeof read.simName)) {
    fault = "the SIM name has no end";
  } else if (read.targetPath[0] == '\0') {
    fault = "the target path is empty";
  } else if (read.simName[0] == '\0') {
    fault = "the SIM name is empty";
  } else if (read.passes <= 0) {
    fault = "the number of passes is " + std::to_string(read.passes);
  } else if (read.patternCount < 0) {
    fault = "the pattern count is " + std::to_string(read.patternCount);
  }
  if (!fault.empty()) {
    problem = "Train info file " + file.string() + " is damaged (" + fault + ") - do prep first";
    return TrainInfoRead::kDamaged;
  }
  info = read;
  return TrainInfoRead::kOk;
}

bool trialWrite(const std::filesystem::path& target, size_t size, std::string& problem,
                FileSystem& fileSystem) {
  std::error_code ignored;
  if (std::filesystem::is_directory(target, ignored)) {
    problem = "Cannot save " + target.string() + ": it is a folder";
    return false;
  }
  // The same kind of temporary file the save itself writes and renames;
  // unlinked again when `trial` goes.
  ReplacementFile trial(target.string(), fileSystem);
  trial.write(std::string(size, '\0'));
  if (trial.ok()) return true;
  problem = "Cannot save " + target.string() + " (" + trial.problem() + ")";
  return false;
}

TrainPreparation prepareTraining(const std::filesystem::path& trainDataFolder, SimModel& model,
                                 UserInteraction& ui, const TrainCommandOptions& options,
                                 FileSystem& fileSystem) {
  TrainPreparation result;
  if (options.askFirst && !ui.query("Train?")) {
    result.start = TrainStart::kDeclined;
    return result;
  }

  TrainingJob& job = result.job;
  job.patternFile = trainDataFolder / kPatternFileName;
  job.trainWeightsFile = trainDataFolder / kTrainWeightsFileName;
  job.fileSystem = &fileSystem;
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(job.patternFile, ignored)) {
    ui.error("No training data - do prep first");
    result.start = TrainStart::kNoTrainingData;
    return result;
  }

  TrainInfo info{};
  std::string problem;
  switch (readTrainInfo(trainDataFolder / kTrainInfoFileName, info, problem)) {
    case TrainInfoRead::kOk:
      break;
    case TrainInfoRead::kCannotOpen:
      ui.error("No train info file - do prep first");
      result.start = TrainStart::kNoTrainInfo;
      return result;
    case TrainInfoRead::kDamaged:
      ui.error(problem);
      result.start = TrainStart::kDamagedTrainInfo;
      return result;
  }
  job.targetWeightsFile = info.targetPath;
  job.simName = info.simName;
  job.passes = options.passesOverride > 0 ? options.passesOverride : info.passes;
  job.patternCount = info.patternCount;
  // Passes over no pattern change nothing but would report a finished SIM.
  const auto patternBytes = std::filesystem::file_size(job.patternFile, ignored);
  if (info.patternCount == 0 || patternBytes == static_cast<std::uintmax_t>(-1) ||
      patternBytes < sizeof(PatternRecord)) {
    ui.error("The preparation holds no pattern to train on (" + job.patternFile.string() + " holds " +
             std::to_string(patternBytes == static_cast<std::uintmax_t>(-1) ? 0 : patternBytes) +
             " bytes, the train information counts " + std::to_string(info.patternCount) +
             " patterns) - do prep first with races that give patterns");
    result.start = TrainStart::kNoPatterns;
    return result;
  }

  if (!model.hasTrainingState() || !hasSimShape(model)) {
    ui.error("Error during SIM init");
    result.start = TrainStart::kUnusableModel;
    return result;
  }
  // Both saves at the end of the run, tried now.
  for (const std::filesystem::path& file : {job.trainWeightsFile, job.targetWeightsFile}) {
    if (!trialWrite(file, kSimWeightsFileBytes, problem, fileSystem)) {
      ui.error(problem + " - nothing was trained");
      result.start = TrainStart::kCannotSave;
      return result;
    }
  }
  if (std::filesystem::exists(job.trainWeightsFile, ignored)) {
    if (!model.loadWeights(job.trainWeightsFile)) {
      ui.error("Error loading SIM data\n" + model.loadProblem());
      result.start = TrainStart::kCannotLoadWeights;
      return result;
    }
  } else {
    job.freshStart = true;
    model.seedFromClock();
    model.randomizeWeights();
    // A failed save here costs only the random start of a later "Train
    // More"; the end of the run saves again and reports its own failure.
    (void)model.saveWeights(job.trainWeightsFile, fileSystem);
    ui.warning("No SIM data file; using random start point");
  }
  result.start = TrainStart::kReady;
  return result;
}

bool recordTraining(const TrainingJob& job, const TrainingOutcome& outcome, std::time_t now,
                    std::string& problem) {
  if (!outcome.saved || outcome.passesDone <= 0) return true;
  const std::string trainRecordPath = simRecordPath(job.trainWeightsFile.string());
  SimRecord record;
  // A record of another SIM's preparation (left by an older program, say)
  // says nothing about this one.
  if (readSimRecord(trainRecordPath, record) != SimRecordRead::kRead ||
      !equalsIgnoreCase(record.simName, job.simName)) {
    record = SimRecord{};
  }
  record.simName = job.simName;
  if (job.freshStart) record.passesTrained = 0;
  record.passesTrained += outcome.passesDone;
  if (outcome.lastPassError) record.finalError = outcome.lastPassError;
  record.trainedWhen = recordTimeText(now);
  record.card.reset();
  bool written = writeSimRecord(trainRecordPath, record, problem, *job.fileSystem);
  std::string targetProblem;
  if (!writeSimRecord(simRecordPath(job.targetWeightsFile.string()), record, targetProblem,
                      *job.fileSystem)) {
    problem = written ? targetProblem : problem + "; " + targetProblem;
    written = false;
  }
  return written;
}

TrainingSession::~TrainingSession() {
  if (thread_.joinable()) {
    requestStop();
    thread_.join();
  }
}

bool TrainingSession::start(SimModel& model, TrainingJob job, RecordTrainerFactory makeTrainer) {
  if (running_.load() || thread_.joinable()) return false;
  stopRequest_.store(0);
  outcome_ = TrainingOutcome{};
  setStatus({passStatusText(job.simName, 1, job.passes, 0), 1, 0, false});
  running_.store(true);
  std::thread worker;
  try {
    worker = std::thread([this, &model, job = std::move(job), makeTrainer = std::move(makeTrainer)] {
      lowerThisThreadsPriority();
      std::unique_ptr<RecordTrainer> trainer = makeTrainer ? makeTrainer(model, stopRequest_) : nullptr;
      if (trainer) {
        outcome_ = runTraining(model, *trainer, job, stopRequest_,
                               [this](const TrainingStatus& status) { setStatus(status); });
        // The weights are saved and the status says so; the record's fate
        // does not change how the run ended.
        (void)recordTraining(job, outcome_, std::time(nullptr), outcome_.recordProblem);
      } else {
        outcome_.problem = "No trainer for this SIM's shape";
        setStatus({failedStatusText(), 0, 0, true});
      }
      // The trainer's own threads end before the flag says the run is over.
      trainer.reset();
      running_.store(false);
    });
  } catch (const std::system_error&) {
    running_.store(false);
    return false;
  }
  thread_ = std::move(worker);
  return true;
}

TrainingStatus TrainingSession::status() const {
  std::lock_guard lock(statusMutex_);
  return status_;
}

uint64_t TrainingSession::statusCount() const {
  std::lock_guard lock(statusMutex_);
  return statusCount_;
}

void TrainingSession::setStatus(const TrainingStatus& status) {
  std::lock_guard lock(statusMutex_);
  status_ = status;
  ++statusCount_;
}

TrainingOutcome TrainingSession::join() {
  if (!thread_.joinable()) return TrainingOutcome{};
  thread_.join();
  return outcome_;
}

}  // namespace stridewell
