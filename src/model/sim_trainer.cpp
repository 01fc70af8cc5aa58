#include "model/sim_trainer.h"

#include <cstdio>
#include <memory>
#include <system_error>

#include "model/pattern_block_reader.h"
#include "model/pattern_share.h"
#include "model/pattern_stream.h"

namespace stridewell {

std::string passStatusText(const std::string& simName, int pass, int passes, int percent) {
  return std::string(kProgramName) + ": Training " + simName + " [pass " + std::to_string(pass) + " of " +
         std::to_string(passes) + " (" + std::to_string(percent) + "%)]";
}

std::string stoppedStatusText() {
  return programTitle("Training stopped by user.");
}

std::string failedStatusText() {
  return programTitle("Training FAILED!!!");
}

std::string completeStatusText(int passes, const std::string& simName) {
  return programTitle("Training COMPLETE (" + std::to_string(passes) + " passes)[SIM=" + simName + "]");
}

std::string saveFailedStatusText(const std::filesystem::path& file) {
  return failedStatusText() + " Cannot save " + file.string();
}

namespace {

class SimTrainer final : public PatternBlockSink {
 public:
  SimTrainer(SimModel& model, RecordTrainer& trainer, const TrainingJob& job,
             const std::atomic<int>& stopRequest, const TrainingStatusCallback& status)
      : model_(model),
        job_(job),
        stop_(stopRequest),
        status_(status),
        stream_(model, trainer, job.patternCount),
        reader_(job.patternFile) {}

  TrainingOutcome run() {
    char message[96];
    std::snprintf(message, sizeof message, "Begin training (npasses=%d, npatterns=%ld)", job_.passes,
                  static_cast<long>(job_.patternCount));
    model_.logMessage(message);

    TrainingOutcome outcome;
    outcome.end = TrainingEnd::kCompleted;
    if (job_.group != nullptr && !takeShare(outcome.problem))
      return endInGroup(outcome, TrainingEnd::kFailed);
    for (int pass = 1; pass <= job_.passes; ++pass) {
      if (stopRequested()) {
        outcome.end = TrainingEnd::kStopped;
        break;
      }
      pass_ = pass;
      passStarted_ = false;
      PassEnd end = reader_.readPass(*this, outcome.problem);
      // An empty file feeds nothing; its passes still start (and show).
      if (end == PassEnd::kNormal && !passStarted_ && !startPass()) end = PassEnd::kStopped;
      if (end == PassEnd::kFailed) {
        model_.logMessage(outcome.problem);
        if (job_.group != nullptr) return endInGroup(outcome, TrainingEnd::kFailed);
        outcome.end = TrainingEnd::kFailed;
        show({failedStatusText(), pass_, lastPercent_, true});
        return outcome;
      }
      if (end == PassEnd::kStopped) {
        outcome.end = TrainingEnd::kStopped;
        break;
      }
      ++outcome.passesDone;
      if (stream_.updated()) outcome.lastPassError = stream_.tss();
    }
    if (job_.group != nullptr) return endInGroup(outcome, outcome.end);
    return save(outcome);
  }

  bool blockReached(int64_t block, int64_t blockCount) override {
    if (!passStarted_ && !startPass()) return false;
    showPass(static_cast<int>(100 * block / blockCount));
    return !stopRequested() && !toldToStop();
  }

  bool feed(std::span<const std::byte> bytes) override {
    if (!passStarted_ && !startPass()) return false;
    return stream_.feed(bytes);
  }

 private:
  bool stopRequested() const { return stop_.load(std::memory_order_relaxed) != 0; }

  // Whether another process of the group stopped or failed.
  bool toldToStop() const {
    return job_.group != nullptr && job_.group->toldByOthers() != GroupState::kGoing;
  }

  // This process's share of the pattern file, from its size now (every
  // process of a group sees the same file).
  bool takeShare(std::string& problem) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(job_.patternFile, error);
    if (error) {
      problem = "Cannot get the size of " + job_.patternFile.string() + ": " + error.message();
      return false;
    }
    const PatternShare share =
        shareOfPatterns(size, job_.patternCount, job_.group->rank(), job_.group->size(), kShareStepRecords);
    reader_.readOnly(share.bytes());
    stream_.setUpdatePoint(share.updates ? share.beforeUpdate.count() : PatternStream::kNoUpdate);
    return true;
  }

  // The end of this process's part: the others are told when it stops or
  // failed of its own accord, and all agree how the run ends. A failure
  // anywhere saves nothing; otherwise the first process saves.
  TrainingOutcome endInGroup(TrainingOutcome& outcome, TrainingEnd mine) {
    TrainingGroup& group = *job_.group;
    const GroupState state = mine == TrainingEnd::kFailed    ? GroupState::kFailed
                             : mine == TrainingEnd::kStopped ? GroupState::kStopped
                                                             : GroupState::kGoing;
    if (state != GroupState::kGoing && !group.ended() && group.toldByOthers() == GroupState::kGoing)
      group.tellOthers(state);
    const GroupState agreed = group.agree(state);
    if (agreed == GroupState::kFailed) {
      if (mine != TrainingEnd::kFailed)
        outcome.problem = "Another process of the run failed; nothing was saved";
      outcome.end = TrainingEnd::kFailed;
      show({failedStatusText(), pass_, lastPercent_, true});
      return outcome;
    }
    if (agreed == GroupState::kStopped) outcome.end = TrainingEnd::kStopped;
    if (group.rank() != 0) {
      show({outcome.end == TrainingEnd::kStopped ? stoppedStatusText()
                                                 : completeStatusText(job_.passes, job_.simName),
            pass_, lastPercent_, true});
      return outcome;
    }
    return save(outcome);
  }

  TrainingOutcome save(TrainingOutcome& outcome) {
    // Both files even when the first fails: the trained weights then still
    // reach one of them.
    const bool trainSaved = model_.saveWeights(job_.trainWeightsFile, *job_.fileSystem);
    const bool targetSaved = model_.saveWeights(job_.targetWeightsFile, *job_.fileSystem);
    outcome.saved = trainSaved && targetSaved;
    if (!outcome.saved) {
      const std::filesystem::path& unsaved = trainSaved ? job_.targetWeightsFile : job_.trainWeightsFile;
      outcome.problem = "Cannot save the trained weights to " + unsaved.string();
      if (!trainSaved && !targetSaved) outcome.problem += " nor to " + job_.targetWeightsFile.string();
      show({saveFailedStatusText(unsaved), pass_, lastPercent_, true});
    } else if (outcome.end == TrainingEnd::kStopped) {
      show({stoppedStatusText(), pass_, lastPercent_, true});
    } else {
      show({completeStatusText(job_.passes, job_.simName), pass_, lastPercent_, true});
    }
    return outcome;
  }

  // A pass starts before its first block or its first bytes, whichever
  // comes first (a file below one block has only its tail): status at 0 %
  // (which also asks for a stop), then the epoch, its history reset on the
  // run's first pass.
  bool startPass() {
    passStarted_ = true;
    showPass(0);
    if (stopRequested() || toldToStop()) return false;
    return stream_.beginPass(pass_, pass_ == 1);
  }

  // A pass status goes out only when its pass or percentage changed.
  void showPass(int percent) {
    if (pass_ == lastPass_ && percent == lastPercent_) return;
    lastPass_ = pass_;
    lastPercent_ = percent;
    show({passStatusText(job_.simName, pass_, job_.passes, percent), pass_, percent, false});
  }

  void show(const TrainingStatus& status) {
    if (status_) status_(status);
  }

  SimModel& model_;
  const TrainingJob& job_;
  const std::atomic<int>& stop_;
  const TrainingStatusCallback& status_;
  PatternStream stream_;
  PatternBlockReader reader_;
  int pass_ = 0;
  bool passStarted_ = false;
  int lastPass_ = 0;
  int lastPercent_ = -1;
};

}  // namespace

TrainingOutcome runTraining(SimModel& model, RecordTrainer& trainer, const TrainingJob& job,
                            const std::atomic<int>& stopRequest, const TrainingStatusCallback& status) {
  // The trainer holds a carry record and the read buffers: keep it off the
  // caller's stack.
  auto simTrainer = std::make_unique<SimTrainer>(model, trainer, job, stopRequest, status);
  return simTrainer->run();
}

}  // namespace stridewell
