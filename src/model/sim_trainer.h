// The training thread's work: pass after pass over the pattern file, each
// ending with one quickprop update, then the weights saved to the train
// weights file and to the target SIM. Reports its progress as the status
// texts the main window shows in its title, and stops (saving) as soon as
// the stop request turns non-zero. Runs on the thread that calls run(); it
// alone uses the model meanwhile.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "base/file_system.h"
#include "base/program_name.h"
#include "model/record_trainer.h"
#include "model/shared_work_training.h"
#include "model/sim_model.h"
#include "model/training_group.h"

namespace stridewell {

// A process's share of the pattern file is cut at multiples of this many
// records, so that the fast trainer's groups of records never straddle two
// processes.
inline constexpr int64_t kShareStepRecords = kRecordGroupSize;

// What to train, from the train information of the last preparation.
struct TrainingJob {
  std::filesystem::path patternFile;        // SIMPAT.DAT
  std::filesystem::path trainWeightsFile;   // train.SIM: the start, and the last saved state
  std::filesystem::path targetWeightsFile;  // the SIM being trained
  std::string simName;
  int32_t passes = 0;
  int32_t patternCount = 0;                    // records the update of a pass waits for
  bool freshStart = false;                     // train.SIM was missing and the run starts from random weights
  FileSystem* fileSystem = &realFileSystem();  // the weights files are saved through it
  // The processes that share the run, each training its share of the
  // pattern file; the first of them alone saves. Null: this process alone.
  TrainingGroup* group = nullptr;
};

// One status of the run: the text for the window title and, while passes
// run, the pass (1-based) and its percentage read.
struct TrainingStatus {
  std::string text;
  int pass = 0;
  int percent = 0;
  bool finished = false;
};

enum class TrainingEnd { kCompleted, kStopped, kFailed };

struct TrainingOutcome {
  TrainingEnd end = TrainingEnd::kFailed;
  int passesDone = 0;  // passes read to their end
  // The error "tss" of the last pass that ended in its update; none when no
  // pass did.
  std::optional<double> lastPassError;
  bool saved = false;   // both weights files written (by the first process of a group)
  std::string problem;  // why a pass failed or a save did not happen, naming the file
  // Why the SIM's training record could not be brought up to date (the
  // weights are saved all the same); empty when it was.
  std::string recordProblem;
};

using TrainingStatusCallback = std::function<void(const TrainingStatus&)>;

// The run itself. `stopRequest` is read after every five-horse choice and at
// every status update. Nothing is saved when a pass fails; otherwise the
// train weights file and then the target are saved once, at the end. In a
// group every process runs this with the same job and the same starting
// weights; a stop or a failure in one ends the run in all, and a failure
// anywhere leaves everything unsaved.
TrainingOutcome runTraining(SimModel& model, RecordTrainer& trainer, const TrainingJob& job,
                            const std::atomic<int>& stopRequest, const TrainingStatusCallback& status);

// The status texts.
std::string passStatusText(const std::string& simName, int pass, int passes, int percent);
std::string stoppedStatusText();
std::string failedStatusText();
std::string completeStatusText(int passes, const std::string& simName);
std::string saveFailedStatusText(const std::filesystem::path& file);

}  // namespace stridewell
