// `stridewell train` in-process with a Workspace of its own: nothing
// prepared, a declined question, a run from random weights and a second one
// that trains more, with the fast trainer too, and wrong command lines.
#include "cli/train_command.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "cli_test_support.h"
#include "model/pattern_record.h"
#include "support/isolated_user.h"
#include "support/scoped_environment.h"

namespace stridewell::cli {
namespace {

namespace fs = std::filesystem;
using test::runCommand;

class TrainCommandTest : public ::testing::Test {
 protected:
  fs::path trainData() const { return user_.workspace() / "TRAINDATA"; }
  fs::path target() const { return user_.workspace() / "SIM" / "Alpha.SIM"; }

  // What `stridewell prep` leaves: two races of 5 and 6 horses (or none).
  void prepare(int32_t passes, int records = 2, const fs::path& targetPath = {}) {
    fs::create_directories(trainData());
    fs::create_directories(target().parent_path());
    std::vector<PatternRecord> patterns(static_cast<size_t>(records));
    for (int r = 0; r < records; ++r) {
      patterns[r].horseCount = 5 + r;
      for (int k = 0; k < patterns[r].horseCount; ++k) {
        for (int i = 0; i < 85; ++i)
          patterns[r].horses[k].inputs[i] = static_cast<float>((k * 85 + i) % 7) * 0.3f - 0.9f;
        patterns[r].horses[k].finishPosition = patterns[r].horseCount - k;
      }
    }
    std::ofstream(trainData() / "SIMPAT.DAT", std::ios::binary)
        .write(reinterpret_cast<const char*>(patterns.data()), sizeof(PatternRecord) * patterns.size());
    TrainInfo info{};
    const fs::path to = targetPath.empty() ? target() : targetPath;
    std::strncpy(info.targetPath, to.c_str(), sizeof info.targetPath - 1);
    std::strncpy(info.simName, "Alpha", sizeof info.simName - 1);
    info.passes = passes;
    info.patternCount = records;
    std::ofstream(trainData() / "TVARS.DAT", std::ios::binary)
        .write(reinterpret_cast<const char*>(&info), sizeof info);
  }

  stridewell::test::IsolatedUser user_;
};

TEST_F(TrainCommandTest, NothingPrepared) {
  const test::CommandRun run = runCommand(TrainCommand(), {"--yes"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("stridewell train: error: No training data - do prep first"), std::string::npos)
      << run.err;
  EXPECT_FALSE(fs::exists(trainData() / "train.SIM"));
}

TEST_F(TrainCommandTest, DeclinedQuestionTrainsNothing) {
  prepare(2);
  const test::CommandRun run = runCommand(TrainCommand(), {"--no"});
  EXPECT_EQ(run.status, kExitDeclined);
  EXPECT_FALSE(fs::exists(trainData() / "train.SIM"));
  EXPECT_FALSE(fs::exists(target()));
}

TEST_F(TrainCommandTest, TrainThenTrainMore) {
  prepare(2);
  const test::CommandRun first = runCommand(TrainCommand(), {"--yes", "--literal"});
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_NE(first.err.find("stridewell train: warning: No SIM data file; using random start point"),
            std::string::npos)
      << first.err;
  EXPECT_NE(first.out.find("Stridewell 5 - Training COMPLETE (2 passes)[SIM=Alpha]\n"), std::string::npos)
      << first.out;
  ASSERT_TRUE(fs::exists(target()));
  EXPECT_EQ(fs::file_size(target()), 69000u);
  std::ifstream savedTarget(target(), std::ios::binary),
      savedTrain(trainData() / "train.SIM", std::ios::binary);
  const std::string targetBytes{std::istreambuf_iterator<char>(savedTarget), {}};
  const std::string trainBytes{std::istreambuf_iterator<char>(savedTrain), {}};
  EXPECT_TRUE(targetBytes == trainBytes);

  // Train More, with the fast trainer and another pass count: no random start now.
  const test::CommandRun more = runCommand(TrainCommand(), {"--yes", "--passes", "1", "--threads", "2"});
  EXPECT_EQ(more.status, 0) << more.err;
  EXPECT_EQ(more.err.find("random start point"), std::string::npos) << more.err;
  EXPECT_NE(more.out.find("Stridewell 5 - Training COMPLETE (1 passes)[SIM=Alpha]\n"), std::string::npos)
      << more.out;
  std::ifstream again(target(), std::ios::binary);
  const std::string moreBytes{std::istreambuf_iterator<char>(again), {}};
  EXPECT_EQ(moreBytes.size(), 69000u);
  EXPECT_FALSE(moreBytes == targetBytes);
}

TEST_F(TrainCommandTest, AnyThreadCountSavesTheSameSim) {
  // Races of 5 to 10 horses, so that every thread gets work; each run
  // starts from the same train.SIM, made by a first run.
  prepare(2, 6);
  ASSERT_EQ(runCommand(TrainCommand(), {"--yes", "--passes", "1", "--threads", "1"}).status, 0);
  std::ifstream startFile(trainData() / "train.SIM", std::ios::binary);
  const std::string start{std::istreambuf_iterator<char>(startFile), {}};
  ASSERT_EQ(start.size(), 69000u);

  std::string first;
  for (const char* threads : {"1", "2", "3"}) {
    SCOPED_TRACE(std::string("--threads ") + threads);
    std::ofstream(trainData() / "train.SIM", std::ios::binary)
        .write(start.data(), std::streamsize(start.size()));
    const test::CommandRun run = runCommand(TrainCommand(), {"--yes", "--threads", threads});
    ASSERT_EQ(run.status, 0) << run.err;
    std::ifstream saved(target(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(saved), {}};
    ASSERT_EQ(bytes.size(), 69000u);
    EXPECT_FALSE(bytes == start);  // two passes changed the weights
    if (first.empty()) first = bytes;
    EXPECT_TRUE(bytes == first) << "the SIM differs from the one-thread run";
  }
}

TEST_F(TrainCommandTest, DamagedTrainInfoIsRefused) {
  prepare(2);
  fs::resize_file(trainData() / "TVARS.DAT", 100);
  const test::CommandRun run = runCommand(TrainCommand(), {"--yes"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("stridewell train: error: Train info file " + (trainData() / "TVARS.DAT").string() +
                         " is damaged (it holds 100 of 528 bytes) - do prep first"),
            std::string::npos)
      << run.err;
}

TEST_F(TrainCommandTest, EmptyPreparationIsRefused) {
  prepare(2, 0);
  const test::CommandRun run = runCommand(TrainCommand(), {"--yes"});
  EXPECT_EQ(run.status, kExitBadInput);
  EXPECT_NE(run.err.find("stridewell train: error: The preparation holds no pattern to train on"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(run.out.find("COMPLETE"), std::string::npos) << run.out;
  EXPECT_FALSE(fs::exists(trainData() / "train.SIM"));
  EXPECT_FALSE(fs::exists(target()));
}

// A SIM folder that cannot be written shows before the first pass, not
// after the last; a regular file in the path stops even root.
TEST_F(TrainCommandTest, UnwritableSimFolderFailsBeforeTheFirstPass) {
  const fs::path blocker = user_.workspace() / "blocker";
  prepare(20, 2, blocker / "Alpha.SIM");
  std::ofstream(blocker) << "a file where the SIM folder should be";
  const test::CommandRun run = runCommand(TrainCommand(), {"--yes", "--literal"});
  EXPECT_EQ(run.status, kExitCannotOpen);
  EXPECT_NE(run.err.find("stridewell train: error: Cannot save " + (blocker / "Alpha.SIM").string() +
                         " (Cannot create a temporary file in " + blocker.string() +
                         ": Not a directory) - nothing was trained"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(run.out.find("[pass 1 of"), std::string::npos) << run.out;
  EXPECT_FALSE(fs::exists(trainData() / "train.SIM"));
}

// Ctrl-C, SIGTERM and SIGHUP stop a long run at its next check; the weights
// are saved to both files and the status says the user stopped it.
TEST_F(TrainCommandTest, SignalsStopTheRunAndSaveIt) {
  struct Case {
    int signal;
    const char* by;  // in the closing line
  };
  const Case cases[] = {{SIGTERM, " by SIGTERM"}, {SIGHUP, " by SIGHUP"}, {SIGINT, " by Ctrl-C"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.signal);
    fs::remove_all(trainData());
    fs::remove(target());
    prepare(1000000);
    // Waits for the run to catch this signal, then sends it; a run that
    // never catches it gets Ctrl-C instead, so the test ends either way.
    std::thread sender([&c] {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
      for (;;) {
        struct sigaction current {};
        ::sigaction(c.signal, nullptr, &current);
        if (current.sa_handler != SIG_DFL && current.sa_handler != SIG_IGN) break;
        if (std::chrono::steady_clock::now() > deadline) {
          ::kill(::getpid(), SIGINT);
          return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      // A few passes first, so that there is something to keep.
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      ::kill(::getpid(), c.signal);
    });
    const test::CommandRun run = runCommand(TrainCommand(), {"--yes", "--literal"});
    sender.join();
    EXPECT_EQ(run.status, kExitDeclined) << run.err;
    EXPECT_NE(run.out.find("Stridewell 5 - Training stopped by user.\n"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find(std::string("stridewell train: stopped") + c.by + " after "), std::string::npos)
        << run.err;
    ASSERT_TRUE(fs::exists(target()));
    std::ifstream savedTarget(target(), std::ios::binary),
        savedTrain(trainData() / "train.SIM", std::ios::binary);
    const std::string targetBytes{std::istreambuf_iterator<char>(savedTarget), {}};
    const std::string trainBytes{std::istreambuf_iterator<char>(savedTrain), {}};
    EXPECT_EQ(targetBytes.size(), 69000u);
    EXPECT_TRUE(targetBytes == trainBytes);
    // The handler is given back when the command ends.
    struct sigaction after {};
    ::sigaction(c.signal, nullptr, &after);
    EXPECT_EQ(after.sa_handler, SIG_DFL);
  }
}

TEST_F(TrainCommandTest, WrongCommandLines) {
  const std::vector<std::vector<std::string>> cases = {
      {"--passes", "0"},       {"--passes", "x"}, {"--passes", "5x"}, {"--threads", "0"},
      {"--threads", "100000"}, {"extra"},         {"--yes", "--no"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(args.front());
    const test::CommandRun run = runCommand(TrainCommand(), args);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("stridewell train"), std::string::npos) << run.err;
  }
}

}  // namespace
}  // namespace stridewell::cli

namespace stridewell::cli {
namespace {

#if !defined(STRIDEWELL_WITH_MPI)
// Processes that mpirun started from a build without MPI would each train
// the whole file and overwrite one another's SIM: refused before anything.
TEST_F(TrainCommandTest, ProcessesFromMpirunAreRefusedWithoutMpi) {
  prepare(2);
  for (const char* variable : {"OMPI_COMM_WORLD_SIZE", "PMI_SIZE"}) {
    SCOPED_TRACE(variable);
    const stridewell::test::ScopedEnvironment launched(variable, "3");
    const test::CommandRun run = runCommand(TrainCommand(), {"--yes"});
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_NE(run.err.find("built without MPI and cannot share a run between the 3 processes"),
              std::string::npos)
        << run.err;
    EXPECT_FALSE(fs::exists(trainData() / "train.SIM"));
    EXPECT_FALSE(fs::exists(target()));
  }
  // One process started by a launcher is a process alone.
  const stridewell::test::ScopedEnvironment launched("OMPI_COMM_WORLD_SIZE", "1");
  const test::CommandRun run = runCommand(TrainCommand(), {"--yes"});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_TRUE(fs::exists(target()));
}
#endif

}  // namespace
}  // namespace stridewell::cli
