// Training shared by a group of processes, played by threads of this test
// (test::InProcessGroup): how the pattern file is shared out, a reader that
// reads only a share, and whole runs whose saved weights must be the bits a
// process alone saves, for any count of processes and threads, with the
// update anywhere in the file; a stop in one process stops all and saves
// once, a failure in one saves nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "in_process_group.h"
#include "model/pattern_block_reader.h"
#include "model/pattern_share.h"
#include "model/record_trainer.h"
#include "model/sim_shape.h"
#include "model/sim_trainer.h"
#include "model_test_support.h"
#include "pattern_test_support.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using test::makeRecords;
using test::parameterBits;
using test::recordBytes;

constexpr uint64_t kRecordBytes = sizeof(PatternRecord);

TEST(PatternShare, EveryRecordOnceInRankOrderAtWholeSteps) {
  struct Case {
    int64_t records;
    uint64_t extraBytes;  // a piece of a record at the end of the file
    int64_t expected;
    int ranks;
    int64_t step;
  };
  const Case cases[] = {
      {20, 0, 20, 1, 1}, {20, 0, 20, 3, 1}, {20, 0, 20, 3, 4},  {20, 100, 15, 3, 4},
      {20, 0, 25, 2, 1}, {3, 0, 3, 5, 1},   {7, 0, 3, 5, 2},    {1000, 0, 997, 7, 8},
      {0, 50, 4, 3, 1},  {20, 0, 0, 3, 1},  {17, 0, 17, 17, 1}, {16, 0, 9, 4, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "records " << c.records << " expected " << c.expected << " ranks "
                                    << c.ranks << " step " << c.step);
    const uint64_t bytes = static_cast<uint64_t>(c.records) * kRecordBytes + c.extraBytes;
    const int64_t before = std::min(c.expected, c.records);
    int64_t nextBefore = 0;
    int64_t nextAfter = before;
    for (int rank = 0; rank < c.ranks; ++rank) {
      const PatternShare share = shareOfPatterns(bytes, c.expected, rank, c.ranks, c.step);
      EXPECT_EQ(share.updates, c.expected > 0 && c.records >= c.expected);
      // Contiguous, in rank order, starting at whole steps of each part.
      EXPECT_EQ(share.beforeUpdate.first, nextBefore);
      EXPECT_EQ(share.afterUpdate.first, nextAfter);
      EXPECT_LE(share.beforeUpdate.first, share.beforeUpdate.end);
      EXPECT_LE(share.afterUpdate.first, share.afterUpdate.end);
      if (share.beforeUpdate.count() > 0) {
        EXPECT_EQ(share.beforeUpdate.first % c.step, 0);
      }
      if (share.afterUpdate.count() > 0) {
        EXPECT_EQ((share.afterUpdate.first - before) % c.step, 0);
      }
      // No share holds more than one step over an even split.
      const int64_t beforeSteps = (before + c.step - 1) / c.step;
      EXPECT_LE(share.beforeUpdate.count(), (beforeSteps / c.ranks + 1) * c.step);
      nextBefore = share.beforeUpdate.end;
      nextAfter = share.afterUpdate.end;

      std::vector<ByteRange> expectedBytes;
      for (const RecordRun& run : {share.beforeUpdate, share.afterUpdate}) {
        if (run.count() > 0)
          expectedBytes.push_back({static_cast<uint64_t>(run.first) * kRecordBytes,
                                   static_cast<uint64_t>(run.end) * kRecordBytes});
      }
      EXPECT_EQ(share.bytes(), expectedBytes);
    }
    EXPECT_EQ(nextBefore, before);
    EXPECT_EQ(nextAfter, c.records);
  }
}

// Collects what a pass hands over.
class CollectingSink final : public PatternBlockSink {
 public:
  bool blockReached(int64_t block, int64_t blockCount) override {
    blocks.push_back(block);
    blockCount_ = blockCount;
    return true;
  }
  bool feed(std::span<const std::byte> bytes) override {
    received.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return true;
  }
  std::vector<int64_t> blocks;
  int64_t blockCount_ = 0;
  std::string received;
};

TEST(PatternBlockReaderShare, ReadsItsRangesAsIfTheyWereTheFile) {
  test::TempFolder folder;
  const fs::path file = folder.path() / "SIMPAT.DAT";
  const std::string bytes = recordBytes(makeRecords(40));  // 2 blocks and a tail
  test::writeFile(file, bytes);
  auto slice = [&](uint64_t first, uint64_t end) {
    return bytes.substr(first * kRecordBytes, (end - first) * kRecordBytes);
  };
  struct Case {
    std::vector<ByteRange> ranges;
    std::string expected;
  };
  const Case cases[] = {
      {{}, {}},  // an empty share
      {{{0, 40 * kRecordBytes}}, bytes},
      // Ranges that cross block boundaries, and a block made of two ranges.
      {{{3 * kRecordBytes, 20 * kRecordBytes}, {25 * kRecordBytes, 40 * kRecordBytes}},
       slice(3, 20) + slice(25, 40)},
      {{{30 * kRecordBytes, 31 * kRecordBytes}}, slice(30, 31)},
      {{{10 * kRecordBytes, 12 * kRecordBytes}, {0, 2 * kRecordBytes}}, slice(10, 12) + slice(0, 2)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.ranges.size() << " ranges, " << c.expected.size() << " bytes");
    PatternBlockReader reader(file);
    reader.readOnly(c.ranges);
    for (int pass = 1; pass <= 2; ++pass) {
      CollectingSink sink;
      std::string problem;
      ASSERT_EQ(reader.readPass(sink, problem), PassEnd::kNormal) << problem;
      EXPECT_TRUE(sink.received == c.expected) << "pass " << pass;
      EXPECT_EQ(sink.blockCount_ * static_cast<int64_t>(kPatternBlockBytes),
                static_cast<int64_t>(c.expected.size() / kPatternBlockBytes * kPatternBlockBytes));
    }
  }

  // A share past the end of the file (the file shrank) fails the pass.
  PatternBlockReader reader(file);
  reader.readOnly({{35 * kRecordBytes, 45 * kRecordBytes}});
  CollectingSink sink;
  std::string problem;
  EXPECT_EQ(reader.readPass(sink, problem), PassEnd::kFailed);
  EXPECT_NE(problem.find(file.string()), std::string::npos) << problem;
  EXPECT_NE(problem.find("ended early"), std::string::npos) << problem;
}

class GroupTrainingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SimModel start(true);
    ASSERT_EQ(defineSimShape(start), kSimUnits);
    startWeights_ = folder_.path() / "start.SIM";
    ASSERT_TRUE(start.saveWeights(startWeights_));
    job_.patternFile = folder_.path() / "SIMPAT.DAT";
    job_.simName = "Alpha";
  }

  TrainingJob jobFor(const std::string& run, int rank) const {
    TrainingJob job = job_;
    job.trainWeightsFile = folder_.path() / (run + "-train-" + std::to_string(rank) + ".SIM");
    job.targetWeightsFile = folder_.path() / (run + "-target-" + std::to_string(rank) + ".SIM");
    return job;
  }

  // The run of a process alone: what every group must save.
  std::vector<uint64_t> aloneWeights() {
    SimModel model(true);
    EXPECT_EQ(defineSimShape(model), kSimUnits);
    EXPECT_TRUE(model.loadWeights(startWeights_));
    std::atomic<int> stop{0};
    auto trainer = makeFastTrainer(model, stop, 1);
    const TrainingJob job = jobFor("alone", 0);
    const TrainingOutcome outcome = runTraining(model, *trainer, job, stop, {});
    EXPECT_EQ(outcome.end, TrainingEnd::kCompleted);
    EXPECT_TRUE(outcome.saved);
    return parameterBits(model);
  }

  struct Member {
    std::unique_ptr<SimModel> model;
    std::atomic<int> stop{0};
    TrainingJob job;
    TrainingOutcome outcome;
  };

  // Every member of a group of `ranks` runs the job on its own thread.
  // `onStatus` sees each member's statuses and may set its stop request.
  std::vector<std::unique_ptr<Member>> runGroup(
      test::InProcessGroup& group, int ranks, int threads, const std::string& run,
      const std::function<void(int, const TrainingStatus&, std::atomic<int>&)>& onStatus = {}) {
    std::vector<std::unique_ptr<Member>> members;
    for (int rank = 0; rank < ranks; ++rank) {
      auto member = std::make_unique<Member>();
      member->model = std::make_unique<SimModel>(true);
      EXPECT_EQ(defineSimShape(*member->model), kSimUnits);
      EXPECT_TRUE(member->model->loadWeights(startWeights_));
      member->job = jobFor(run, rank);
      member->job.group = &group.member(rank);
      if (adjustJob_) adjustJob_(rank, member->job);
      members.push_back(std::move(member));
    }
    std::vector<std::thread> processes;
    for (int rank = 0; rank < ranks; ++rank) {
      processes.emplace_back([&, rank] {
        Member& m = *members[static_cast<size_t>(rank)];
        auto trainer = makeFastTrainer(*m.model, m.stop, threads, m.job.group);
        m.outcome = runTraining(*m.model, *trainer, m.job, m.stop, [&, rank](const TrainingStatus& status) {
          if (onStatus) onStatus(rank, status, m.stop);
        });
      });
    }
    for (std::thread& process : processes) process.join();
    return members;
  }

  test::TempFolder folder_;
  fs::path startWeights_;
  TrainingJob job_;
  std::function<void(int, TrainingJob&)> adjustJob_;
};

TEST_F(GroupTrainingTest, AnyCountOfProcessesAndThreadsSavesTheBitsOfOneProcess) {
  struct Case {
    int records;
    int32_t expected;  // where the update falls
    int passes;
  };
  const Case cases[] = {
      {20, 20, 3},  // the usual file
      {20, 13, 3},  // records after the update go to the next pass's history
      {20, 25, 2},  // too few records: no update at all
      {3, 3, 3},    // more processes than records
  };
  for (const Case& c : cases) {
    test::writeFile(job_.patternFile, recordBytes(makeRecords(c.records, 7)));
    job_.patternCount = c.expected;
    job_.passes = c.passes;
    const std::vector<uint64_t> alone = aloneWeights();
    for (const int ranks : {1, 2, 3, 5}) {
      for (const int threads : {1, 2}) {
        SCOPED_TRACE(testing::Message() << c.records << " records, update after " << c.expected << ", "
                                        << ranks << " processes of " << threads << " threads");
        const std::string run = "g" + std::to_string(ranks) + "t" + std::to_string(threads);
        test::InProcessGroup group(ranks);
        const auto members = runGroup(group, ranks, threads, run);
        for (int rank = 0; rank < ranks; ++rank) {
          const Member& m = *members[static_cast<size_t>(rank)];
          EXPECT_EQ(m.outcome.end, TrainingEnd::kCompleted) << "rank " << rank << ": " << m.outcome.problem;
          EXPECT_EQ(m.outcome.passesDone, c.passes);
          EXPECT_TRUE(parameterBits(*m.model) == alone) << "rank " << rank;
          // Only the first process saves.
          EXPECT_EQ(m.outcome.saved, rank == 0);
          EXPECT_EQ(fs::exists(m.job.targetWeightsFile), rank == 0) << m.job.targetWeightsFile;
          EXPECT_EQ(fs::exists(m.job.trainWeightsFile), rank == 0) << m.job.trainWeightsFile;
        }
        SimModel saved(true);
        ASSERT_EQ(defineSimShape(saved), kSimUnits);
        ASSERT_TRUE(saved.loadWeights(members[0]->job.targetWeightsFile));
        EXPECT_TRUE(parameterBits(saved) == alone);
        EXPECT_EQ(group.tellers(), 0);
      }
    }
  }
}

TEST_F(GroupTrainingTest, StopInOneProcessStopsAllAndTheFirstSavesThePassesDone) {
  test::writeFile(job_.patternFile, recordBytes(makeRecords(40, 3)));
  job_.patternCount = 40;
  job_.passes = 2;
  const std::vector<uint64_t> twoPasses = aloneWeights();
  job_.passes = 6;
  // Stopped where each process may be: before pass 3 starts, or inside
  // its share (its second block) of pass 3.
  struct Case {
    int stopper;
    int percentAtStop;
  };
  for (const Case c : {Case{1, 0}, Case{0, 0}, Case{2, 0}}) {
    SCOPED_TRACE(testing::Message() << "rank " << c.stopper << " stops");
    test::InProcessGroup group(3);
    const auto members = runGroup(
        group, 3, 1, "stop" + std::to_string(c.stopper),
        [&](int rank, const TrainingStatus& status, std::atomic<int>& stop) {
          if (rank == c.stopper && !status.finished && status.pass == 3 && status.percent >= c.percentAtStop)
            stop.store(1);
        });
    for (int rank = 0; rank < 3; ++rank) {
      const Member& m = *members[static_cast<size_t>(rank)];
      EXPECT_EQ(m.outcome.end, TrainingEnd::kStopped) << "rank " << rank << ": " << m.outcome.problem;
      EXPECT_TRUE(parameterBits(*m.model) == twoPasses) << "rank " << rank;
      EXPECT_EQ(m.outcome.saved, rank == 0);
    }
    EXPECT_EQ(members[0]->outcome.passesDone, 2);
    EXPECT_EQ(group.tellers(), 1);
    EXPECT_EQ(group.collectives(0), group.collectives(1));
    EXPECT_EQ(group.collectives(0), group.collectives(2));
  }
}

TEST_F(GroupTrainingTest, StopInsideAShareMidPassKeepsTheWholePasses) {
  // 60 records: each of 3 processes reads 20, its share spanning two blocks.
  test::writeFile(job_.patternFile, recordBytes(makeRecords(60, 5)));
  job_.patternCount = 60;
  job_.passes = 1;
  const std::vector<uint64_t> onePass = aloneWeights();
  job_.passes = 4;
  test::InProcessGroup group(3);
  const auto members =
      runGroup(group, 3, 2, "midpass", [](int rank, const TrainingStatus& status, std::atomic<int>& stop) {
        if (rank == 2 && !status.finished && status.pass == 2 && status.percent > 0) stop.store(1);
      });
  for (int rank = 0; rank < 3; ++rank) {
    const Member& m = *members[static_cast<size_t>(rank)];
    EXPECT_EQ(m.outcome.end, TrainingEnd::kStopped) << "rank " << rank << ": " << m.outcome.problem;
    EXPECT_TRUE(parameterBits(*m.model) == onePass) << "rank " << rank;
  }
  EXPECT_TRUE(members[0]->outcome.saved);
  EXPECT_EQ(members[0]->outcome.passesDone, 1);
}

TEST_F(GroupTrainingTest, FailureInOneProcessSavesNothingAnywhere) {
  test::writeFile(job_.patternFile, recordBytes(makeRecords(20, 9)));
  job_.patternCount = 20;
  job_.passes = 3;
  // The third process cannot find its copy of the pattern file.
  adjustJob_ = [this](int rank, TrainingJob& job) {
    if (rank == 2) job.patternFile = folder_.path() / "missing" / "SIMPAT.DAT";
  };
  test::InProcessGroup group(3);
  const auto members = runGroup(group, 3, 1, "fail");
  for (int rank = 0; rank < 3; ++rank) {
    const Member& m = *members[static_cast<size_t>(rank)];
    EXPECT_EQ(m.outcome.end, TrainingEnd::kFailed) << "rank " << rank;
    EXPECT_FALSE(m.outcome.saved);
    EXPECT_FALSE(fs::exists(m.job.targetWeightsFile));
    EXPECT_FALSE(fs::exists(m.job.trainWeightsFile));
  }
  EXPECT_NE(members[2]->outcome.problem.find("missing"), std::string::npos) << members[2]->outcome.problem;
  EXPECT_NE(members[0]->outcome.problem.find("Another process"), std::string::npos)
      << members[0]->outcome.problem;
}

}  // namespace
}  // namespace stridewell
