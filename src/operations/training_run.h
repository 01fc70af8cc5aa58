// The Train command and the training thread it leaves running: the checks
// of what the last preparation left in TRAINDATA, the starting weights, and
// a TrainingSession that owns the thread, the running flag, the stop
// request and the latest status. The command line waits on a session; the
// desktop program polls it from its timer and stops it from its menu.
#pragma once

#include <atomic>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "model/pattern_record.h"
#include "model/record_trainer.h"
#include "model/sim_model.h"
#include "model/sim_trainer.h"

namespace stridewell {

class UserInteraction;

enum class TrainInfoRead { kOk, kCannotOpen, kDamaged };

// Reads and checks TVARS.DAT. A file shorter than a TrainInfo, texts
// without their NUL, an empty target path or SIM name, passes of 0 or
// fewer or a negative pattern count are refused as damaged, with `problem`
// naming the file and what is wrong with it. Bytes after the TrainInfo are
// ignored.
TrainInfoRead readTrainInfo(const std::filesystem::path& file, TrainInfo& info, std::string& problem);

struct TrainCommandOptions {
  int passesOverride = 0;  // > 0: this many passes instead of the prepared count ("Train More")
  bool askFirst = true;    // the "Train?" question
};

enum class TrainStart {
  kReady,              // the job is set and the model holds its starting weights
  kDeclined,           // "Train?" was answered No
  kNoTrainingData,     // no SIMPAT.DAT
  kNoTrainInfo,        // no TVARS.DAT
  kDamagedTrainInfo,   // TVARS.DAT refused by readTrainInfo
  kNoPatterns,         // the preparation holds no pattern to train on
  kCannotSave,         // the weights could not be saved where the run saves them
  kCannotLoadWeights,  // train.SIM exists but does not load
  kUnusableModel,      // the model lacks the program's shape or training state
};

struct TrainPreparation {
  TrainStart start = TrainStart::kUnusableModel;
  TrainingJob job;
};

// Steps 1-4 of the Train command on the user-interface thread: asks
// "Train?", checks the pattern file and the train information (a
// preparation without a pattern is refused), makes sure both weights files
// can be written (a trial write of a file of their size beside each, then
// removed, so that a full disk or an unwritable folder shows before the
// first pass rather than after the last), and loads the train weights file
// into `model` (or, when there is none, starts from random weights and
// saves them there). Every refusal is shown through `ui` and leaves `model`
// unused; only kReady may start a thread.
// Everything is written through `fileSystem`, the run's saves too.
TrainPreparation prepareTraining(const std::filesystem::path& trainDataFolder, SimModel& model,
                                 UserInteraction& ui, const TrainCommandOptions& options,
                                 FileSystem& fileSystem = realFileSystem());

// Whether a file of `size` bytes can be written beside `target` and put in
// its place: a temporary file in the target's folder is written and removed.
// False, with `problem` naming the file and the system's reason, when it
// cannot, or when `target` is a folder.
bool trialWrite(const std::filesystem::path& target, size_t size, std::string& problem,
                FileSystem& fileSystem = realFileSystem());

// Brings the training records up to date after a run: the preparation's
// record beside train.SIM gains the passes done (counted from 0 again after
// a fresh random start), the last pass's error and the time `now`, and the
// SIM being trained gets a copy beside its weights (a new SIM's weights
// have no report card yet). Nothing is written when the run saved no
// weights or made no pass. A record is a help only: false, with `problem`,
// when one could not be written, and the run stands as it is.
bool recordTraining(const TrainingJob& job, const TrainingOutcome& outcome, std::time_t now,
                    std::string& problem);

// Makes the record trainer for a run on the training thread.
using RecordTrainerFactory =
    std::function<std::unique_ptr<RecordTrainer>(SimModel& model, const std::atomic<int>& stopRequest)>;

// One training run at a time. Methods are for the thread that owns the
// session (the user-interface thread); running(), status() and
// requestStop() may be called from any thread.
class TrainingSession {
 public:
  TrainingSession() = default;
  // Asks a running thread to stop and waits for it (it saves first).
  ~TrainingSession();
  TrainingSession(const TrainingSession&) = delete;
  TrainingSession& operator=(const TrainingSession&) = delete;

  // Starts the training thread at lowered priority. From then on the thread
  // alone uses `model` until join() returns; `model` must outlive that.
  // False when a run is already going (or its thread was not joined), or
  // the thread cannot be made.
  bool start(SimModel& model, TrainingJob job, RecordTrainerFactory makeTrainer);

  // The training-running flag: set before the thread starts, cleared by the
  // thread as its last act.
  bool running() const { return running_.load(); }
  // "&Stop Training!": the thread saves and ends after its current choice.
  void requestStop() { stopRequest_.store(1); }
  // The latest status, and how many statuses have been given so far (a
  // poller shows the text when the count moved).
  TrainingStatus status() const;
  uint64_t statusCount() const;

  // Waits for the thread and returns how the run ended; an empty outcome
  // (failed, no problem) when no run was started.
  TrainingOutcome join();

 private:
  void setStatus(const TrainingStatus& status);

  std::atomic<bool> running_{false};
  std::atomic<int> stopRequest_{0};
  mutable std::mutex statusMutex_;
  TrainingStatus status_;
  uint64_t statusCount_ = 0;
  TrainingOutcome outcome_;  // written by the thread, read after join
  std::thread thread_;
};

}  // namespace stridewell
