// Whole training runs over pattern files on disk, with the literal trainer
// and races of 5-6 horses: the statuses of a file below one block and of
// exactly two blocks, records straddling a block trained as if the file
// were read at once, stop in pass 3 of 25, fewer and more records than the
// train information says, a pass that fails and a save that fails. Runs the
// read-ahead thread: part of the ThreadSanitizer run.
#include "model/sim_trainer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "model/sim_shape.h"
#include "model/training_arithmetic.h"
#include "model_test_support.h"
#include "pattern_test_support.h"
#include "support/faulty_file_system.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using test::makeRecords;
using test::parameterBits;
using test::readFile;
using test::recordBytes;

// What a run should leave: the same primitives in the order a pass is
// defined, on records held in memory.
std::vector<uint64_t> referenceWeights(const std::vector<PatternRecord>& records, int32_t expected,
                                       int passes) {
  SimModel model(true);
  EXPECT_EQ(defineSimShape(model), kSimUnits);
  std::atomic<int> noStop{0};
  auto trainer = makeLiteralTrainer(model, noStop);
  for (int pass = 1; pass <= passes; ++pass) {
    model.startEpoch(pass == 1);
    double tss = 0;
    for (size_t r = 0; r < records.size(); ++r) {
      EXPECT_TRUE(trainer->trainRecords(&records[r], 1, tss));
      if (static_cast<int32_t>(r + 1) == expected)
        model.quickpropUpdate(kTrainingEpsilon, kTrainingGrowthLimit);
    }
  }
  return parameterBits(model);
}

std::vector<uint64_t> weightsIn(const fs::path& file) {
  SimModel model(true);
  EXPECT_EQ(defineSimShape(model), kSimUnits);
  EXPECT_TRUE(model.loadWeights(file)) << file;
  return parameterBits(model);
}

// Sets the stop request on its `stopOnCall`-th batch, then trains it (the
// literal trainer then stops after its first choice).
class StoppingTrainer final : public RecordTrainer {
 public:
  StoppingTrainer(RecordTrainer& inner, std::atomic<int>& stop, int stopOnCall)
      : inner_(inner), stop_(stop), stopOnCall_(stopOnCall) {}
  bool trainRecords(const PatternRecord* records, size_t count, double& tss) override {
    if (++calls_ == stopOnCall_) stop_.store(1);
    return inner_.trainRecords(records, count, tss);
  }

 private:
  RecordTrainer& inner_;
  std::atomic<int>& stop_;
  int stopOnCall_;
  int calls_ = 0;
};

class SimTrainerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(defineSimShape(model_), kSimUnits);
    log_.attachTo(model_);
    job_.patternFile = folder_.path() / "SIMPAT.DAT";
    job_.trainWeightsFile = folder_.path() / "train.SIM";
    job_.targetWeightsFile = folder_.path() / "Alpha.SIM";
    job_.simName = "Alpha";
  }

  void writePatterns(const std::vector<PatternRecord>& records, const std::string& extra = {}) {
    test::writeFile(job_.patternFile, recordBytes(records) + extra);
  }

  TrainingOutcome run(RecordTrainer* trainer = nullptr) {
    std::unique_ptr<RecordTrainer> literal = makeLiteralTrainer(model_, stop_);
    return runTraining(model_, trainer ? *trainer : *literal, job_, stop_,
                       [this](const TrainingStatus& status) {
                         statuses_.push_back(status.text);
                         if (onStatus_) onStatus_(status);
                       });
  }

  std::string pass(int number, int percent) const {
    return passStatusText(job_.simName, number, job_.passes, percent);
  }

  test::TempFolder folder_;
  SimModel model_{true};
  test::MessageLog log_;
  TrainingJob job_;
  std::atomic<int> stop_{0};
  std::vector<std::string> statuses_;
  std::function<void(const TrainingStatus&)> onStatus_;
};

TEST_F(SimTrainerTest, FileBelowOneBlockIsReadAsTheTail) {
  const auto records = makeRecords(3);
  writePatterns(records);
  job_.passes = 3;
  job_.patternCount = 3;
  const TrainingOutcome outcome = run();
  EXPECT_EQ(outcome.end, TrainingEnd::kCompleted);
  EXPECT_EQ(outcome.passesDone, 3);
  EXPECT_TRUE(outcome.saved);
  EXPECT_EQ(statuses_, (std::vector<std::string>{pass(1, 0), pass(2, 0), pass(3, 0),
                                                 "Stridewell 5 - Training COMPLETE (3 passes)[SIM=Alpha]"}));
  EXPECT_EQ(pass(2, 0), "Stridewell 5: Training Alpha [pass 2 of 3 (0%)]");
  const auto expected = referenceWeights(records, 3, 3);
  EXPECT_EQ(parameterBits(model_), expected);
  EXPECT_EQ(weightsIn(job_.trainWeightsFile), expected);
  EXPECT_EQ(weightsIn(job_.targetWeightsFile), expected);

  ASSERT_FALSE(log_.lines.empty());
  EXPECT_EQ(log_.lines.front(), "Begin training (npasses=3, npatterns=3)");
  int epochs = 0;
  for (const std::string& line : log_.lines) epochs += line.rfind("[E]pass=", 0) == 0;
  EXPECT_EQ(epochs, 3);
}

TEST_F(SimTrainerTest, TwoWholeBlocksWithARecordAcrossTheBoundary) {
  // 31 records end 2,980 bytes short of 131,072; record 15 spans bytes
  // 61,980-66,112, across the first block's end. The bytes after the last
  // whole record are left over and never trained on.
  std::vector<PatternRecord> records;
  for (uint32_t i = 0; i < 31; ++i) records.push_back(test::makeRecord(5, 100 + i));
  writePatterns(records, std::string(2980, '\xFF'));
  ASSERT_EQ(fs::file_size(job_.patternFile), 131072u);
  job_.passes = 1;
  job_.patternCount = 31;
  const TrainingOutcome outcome = run();
  EXPECT_EQ(outcome.end, TrainingEnd::kCompleted);
  EXPECT_EQ(statuses_, (std::vector<std::string>{pass(1, 0), pass(1, 50), pass(1, 100),
                                                 "Stridewell 5 - Training COMPLETE (1 passes)[SIM=Alpha]"}));
  EXPECT_EQ(weightsIn(job_.targetWeightsFile), referenceWeights(records, 31, 1));
}

TEST_F(SimTrainerTest, StopInPassThreeKeepsTheFirstTwoPasses) {
  const auto records = makeRecords(3);
  writePatterns(records);
  job_.patternCount = 3;

  // The unstopped two-pass run, in its own folder.
  test::TempFolder otherFolder;
  TrainingJob twoPasses = job_;
  twoPasses.passes = 2;
  twoPasses.trainWeightsFile = otherFolder.path() / "train.SIM";
  twoPasses.targetWeightsFile = otherFolder.path() / "Alpha.SIM";
  {
    SimModel other(true);
    ASSERT_EQ(defineSimShape(other), kSimUnits);
    std::atomic<int> noStop{0};
    auto literal = makeLiteralTrainer(other, noStop);
    ASSERT_EQ(runTraining(other, *literal, twoPasses, noStop, {}).end, TrainingEnd::kCompleted);
  }

  job_.passes = 25;
  auto literal = makeLiteralTrainer(model_, stop_);
  // One batch per pass here: the third is in pass 3.
  StoppingTrainer stopping(*literal, stop_, 3);
  const TrainingOutcome outcome = run(&stopping);
  EXPECT_EQ(outcome.end, TrainingEnd::kStopped);
  EXPECT_EQ(outcome.passesDone, 2);
  EXPECT_TRUE(outcome.saved);
  ASSERT_FALSE(statuses_.empty());
  EXPECT_EQ(statuses_.back(), "Stridewell 5 - Training stopped by user.");
  EXPECT_EQ(statuses_[statuses_.size() - 2], pass(3, 0));
  const std::string saved = readFile(twoPasses.targetWeightsFile);
  ASSERT_EQ(saved.size(), kSimWeightsFileBytes);
  EXPECT_TRUE(readFile(job_.trainWeightsFile) == saved);
  EXPECT_TRUE(readFile(job_.targetWeightsFile) == saved);
}

TEST_F(SimTrainerTest, StopAtAStatusBeforeAnyTraining) {
  writePatterns(makeRecords(3));
  job_.passes = 5;
  job_.patternCount = 3;
  const auto start = parameterBits(model_);
  onStatus_ = [this](const TrainingStatus& status) {
    if (status.pass == 1) stop_.store(1);
  };
  const TrainingOutcome outcome = run();
  EXPECT_EQ(outcome.end, TrainingEnd::kStopped);
  EXPECT_EQ(outcome.passesDone, 0);
  EXPECT_EQ(statuses_.back(), "Stridewell 5 - Training stopped by user.");
  EXPECT_EQ(weightsIn(job_.trainWeightsFile), start);
}

TEST_F(SimTrainerTest, RecordCountDifferentFromTheTrainInfo) {
  const auto records = makeRecords(3);
  struct Case {
    const char* name;
    int32_t expected;
  };
  const Case cases[] = {
      {"fewer records than expected: no update ever", 5},
      {"more records: update at the counted one, the rest into the next history", 2},
      {"as expected", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SimModel model(true);
    ASSERT_EQ(defineSimShape(model), kSimUnits);
    const auto start = parameterBits(model);
    writePatterns(records);
    job_.passes = 2;
    job_.patternCount = c.expected;
    std::atomic<int> noStop{0};
    auto literal = makeLiteralTrainer(model, noStop);
    EXPECT_EQ(runTraining(model, *literal, job_, noStop, {}).end, TrainingEnd::kCompleted);
    const auto trained = parameterBits(model);
    EXPECT_EQ(trained, referenceWeights(records, c.expected, 2));
    EXPECT_EQ(trained == start, c.expected > 3);
  }
  // The extra record really counts: it changes the second pass's step.
  EXPECT_NE(referenceWeights(records, 2, 2),
            referenceWeights(std::vector(records.begin(), records.begin() + 2), 2, 2));
}

TEST_F(SimTrainerTest, FailedPassSavesNothing) {
  writePatterns(makeRecords(2));
  test::writeFile(job_.trainWeightsFile, "previous contents");
  job_.passes = 4;
  job_.patternCount = 2;
  // Pass 1 has the file open already; pass 2 cannot open it.
  onStatus_ = [this](const TrainingStatus& status) {
    if (status.pass == 1) fs::remove(job_.patternFile);
  };
  const TrainingOutcome outcome = run();
  EXPECT_EQ(outcome.end, TrainingEnd::kFailed);
  EXPECT_EQ(outcome.passesDone, 1);
  EXPECT_FALSE(outcome.saved);
  EXPECT_NE(outcome.problem.find("Cannot open " + job_.patternFile.string()), std::string::npos)
      << outcome.problem;
  EXPECT_EQ(statuses_.back(), "Stridewell 5 - Training FAILED!!!");
  EXPECT_EQ(readFile(job_.trainWeightsFile), "previous contents");
  EXPECT_FALSE(fs::exists(job_.targetWeightsFile));
}

TEST_F(SimTrainerTest, FailedSaveIsReportedAndKeepsTheOldFiles) {
  writePatterns(makeRecords(2));
  job_.passes = 1;
  job_.patternCount = 2;
  // Old weights files, as a previous run left them.
  ASSERT_TRUE(model_.saveWeights(job_.trainWeightsFile));
  ASSERT_TRUE(model_.saveWeights(job_.targetWeightsFile));
  const std::string old = readFile(job_.trainWeightsFile);

  TrainingOutcome outcome;
  {
    // Room for less than a weights file: the first write of the first save
    // is cut short, and every write after it fails: both saves fail part-way.
    test::FaultyFileSystem fullDisk;
    fullDisk.shortenWrite(1);
    fullDisk.failWritesFrom(2, EFBIG);
    job_.fileSystem = &fullDisk;
    outcome = run();
    job_.fileSystem = &realFileSystem();
  }
  EXPECT_EQ(outcome.end, TrainingEnd::kCompleted);
  EXPECT_FALSE(outcome.saved);
  EXPECT_EQ(statuses_.back(),
            "Stridewell 5 - Training FAILED!!! Cannot save " + job_.trainWeightsFile.string());
  EXPECT_NE(outcome.problem.find(job_.trainWeightsFile.string()), std::string::npos) << outcome.problem;
  EXPECT_NE(outcome.problem.find(job_.targetWeightsFile.string()), std::string::npos) << outcome.problem;
  EXPECT_TRUE(readFile(job_.trainWeightsFile) == old);
  EXPECT_TRUE(readFile(job_.targetWeightsFile) == old);
  // No temporary files left beside them.
  size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder_.path())) ++entries;
  EXPECT_EQ(entries, 3u);
}

TEST_F(SimTrainerTest, TargetInAMissingFolderIsReported) {
  writePatterns(makeRecords(2));
  job_.passes = 1;
  job_.patternCount = 2;
  job_.targetWeightsFile = folder_.path() / "no such folder" / "Alpha.SIM";
  const TrainingOutcome outcome = run();
  EXPECT_FALSE(outcome.saved);
  EXPECT_EQ(statuses_.back(),
            "Stridewell 5 - Training FAILED!!! Cannot save " + job_.targetWeightsFile.string());
  // The trained weights still reach the train weights file.
  EXPECT_EQ(weightsIn(job_.trainWeightsFile), parameterBits(model_));
}

}  // namespace
}  // namespace stridewell
