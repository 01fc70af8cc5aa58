// `stridewell train` in-process with a Workspace of its own: nothing
// prepared, a declined question, a run from random weights and a second one
// that trains more, with the fast trainer too, and wrong command lines.
#include "cli/train_command.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli_test_support.h"
#include "model/pattern_record.h"
#include "support/isolated_user.h"

namespace stridewell::cli {
namespace {

namespace fs = std::filesystem;
using test::runCommand;

class TrainCommandTest : public ::testing::Test {
 protected:
  fs::path trainData() const { return user_.workspace() / "TRAINDATA"; }
  fs::path target() const { return user_.workspace() / "SIM" / "Alpha.SIM"; }

  // What `stridewell prep` leaves: two races of 5 and 6 horses.
  void prepare(int32_t passes) {
    fs::create_directories(trainData());
    fs::create_directories(target().parent_path());
    std::vector<PatternRecord> records(2);
    for (int r = 0; r < 2; ++r) {
      records[r].horseCount = 5 + r;
      for (int k = 0; k < records[r].horseCount; ++k) {
        for (int i = 0; i < 85; ++i)
          records[r].horses[k].inputs[i] = static_cast<float>((k * 85 + i) % 7) * 0.3f - 0.9f;
        records[r].horses[k].finishPosition = records[r].horseCount - k;
      }
    }
    std::ofstream(trainData() / "SIMPAT.DAT", std::ios::binary)
        .write(reinterpret_cast<const char*>(records.data()), sizeof(PatternRecord) * records.size());
    TrainInfo info{};
    std::strncpy(info.targetPath, target().c_str(), sizeof info.targetPath - 1);
    std::strncpy(info.simName, "Alpha", sizeof info.simName - 1);
    info.passes = passes;
    info.patternCount = 2;
    std::ofstream(trainData() / "TVARS.DAT", std::ios::binary)
        .write(reinterpret_cast<const char*>(&info), sizeof info);
  }

  stridewell::test::IsolatedUser user_;
};

TEST_F(TrainCommandTest, NothingPrepared) {
  const test::CommandRun run = runCommand(TrainCommand(), {"--yes"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("stridewell train: error: No training data - do prep first"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(trainData() / "train.SIM"));
}

TEST_F(TrainCommandTest, DeclinedQuestionTrainsNothing) {
  prepare(2);
  const test::CommandRun run = runCommand(TrainCommand(), {"--no"});
  EXPECT_EQ(run.status, 1);
  EXPECT_FALSE(fs::exists(trainData() / "train.SIM"));
  EXPECT_FALSE(fs::exists(target()));
}

TEST_F(TrainCommandTest, TrainThenTrainMore) {
  prepare(2);
  const test::CommandRun first = runCommand(TrainCommand(), {"--yes", "--literal"});
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_NE(first.err.find("stridewell train: warning: No SIM data file; using random start point"), std::string::npos)
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
