// SIM files of the right size whose values are not all numbers, through
// every command that loads a SIM: each refuses it with exit status 1,
// naming the file and the first bad value, and writes nothing from it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "cli/dataset_command.h"
#include "cli/handicap_command.h"
#include "cli/pl_command.h"
#include "cli/prep_command.h"
#include "cli/train_command.h"
#include "cli_test_support.h"
#include "model/pattern_record.h"
#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "support/isolated_user.h"

namespace stridewell::cli {
namespace {

namespace fs = std::filesystem;
using test::runCommand;

const fs::path kExamples = fs::path(STRIDEWELL_SOURCE_DIR) / "examples";

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class DamagedSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(user_.workspace() / "SIM");
    SimModel model(true);
    ASSERT_GT(defineSimShape(model), 0);
    ASSERT_TRUE(model.saveWeights(user_.workspace() / "SIM" / "Good.SIM"));
    good_ = readBytes(user_.workspace() / "SIM" / "Good.SIM");
    ASSERT_EQ(good_.size(), kSimWeightsFileBytes);
    const test::CommandRun created =
        runCommand(DatasetCommand(), {"create", "Spring", (kExamples / "plain").string()});
    ASSERT_EQ(created.status, 0) << created.err;
  }

  std::string withValue(size_t index, double value) const {
    std::string bytes = good_;
    std::memcpy(bytes.data() + index * sizeof value, &value, sizeof value);
    return bytes;
  }

  fs::path trainData() const { return user_.workspace() / "TRAINDATA"; }

  // A preparation of one six-horse race, training toward SIM/Alpha.SIM.
  void prepareTraining() {
    fs::create_directories(trainData());
    PatternRecord record{};
    record.horseCount = 6;
    for (int k = 0; k < 6; ++k) record.horses[k].finishPosition = k + 1;
    std::ofstream(trainData() / "SIMPAT.DAT", std::ios::binary)
        .write(reinterpret_cast<const char*>(&record), sizeof record);
    TrainInfo info{};
    const std::string target = (user_.workspace() / "SIM" / "Alpha.SIM").string();
    std::strncpy(info.targetPath, target.c_str(), sizeof info.targetPath - 1);
    std::strncpy(info.simName, "Alpha", sizeof info.simName - 1);
    info.passes = 2;
    info.patternCount = 1;
    std::ofstream(trainData() / "TVARS.DAT", std::ios::binary)
        .write(reinterpret_cast<const char*>(&info), sizeof info);
  }

  stridewell::test::IsolatedUser user_;
  std::string good_;
};

TEST_F(DamagedSimTest, EveryLoaderRefusesIt) {
  struct Hostile {
    const char* name;
    size_t index;
    double value;
    const char* what;
  };
  const Hostile hostiles[] = {
      {"NaN first", 0, std::nan(""), "value 0 of its 8625 (at byte 0, the bias of hidden unit 1) is NaN"},
      {"+inf last", 8624, HUGE_VAL,
       "value 8624 of its 8625 (at byte 68992, the weight from hidden unit 20 to output unit 5) is "
       "+infinity"},
      {"-inf in the middle", 4000, -HUGE_VAL,
       "value 4000 of its 8625 (at byte 32000, the weight from input 166 to hidden unit 10) is -infinity"},
  };
  const fs::path hostileSim = user_.workspace() / "SIM" / "Hostile.SIM";
  const fs::path trainSim = trainData() / "train.SIM";
  const std::string card = (kExamples / "plain" / "SAX0313.TCF").string();
  struct Loader {
    const char* name;
    fs::path file;  // where the hostile weights go
    std::function<test::CommandRun()> run;
    std::function<void()> nothingWritten;
  };
  const Loader loaders[] = {
      {"handicap --sim", hostileSim,
       [&] {
         return runCommand(HandicapCommand(), {"--sim", "Hostile", card});
       },
       [&] { EXPECT_FALSE(fs::exists(user_.workspace() / "PREDICT" / "SAX0313.TXT")); }},
      {"pl --sim", hostileSim,
       [&] {
         return runCommand(PlCommand(), {"Spring", "--sim", "Hostile"});
       },
       [] {}},
      {"prep --start", hostileSim,
       [&] {
         return runCommand(PrepCommand(), {"Spring", "Gamma", "--start", "Hostile"});
       },
       [&] { EXPECT_FALSE(fs::exists(trainData() / "TVARS.DAT")); }},
      {"train from train.SIM", trainSim,
       [&] {
         prepareTraining();
         return runCommand(TrainCommand(), {"--yes", "--literal"});
       },
       [&] { EXPECT_FALSE(fs::exists(user_.workspace() / "SIM" / "Alpha.SIM")); }},
  };
  for (const Loader& loader : loaders) {
    for (const Hostile& hostile : hostiles) {
      SCOPED_TRACE(std::string(loader.name) + ", " + hostile.name);
      fs::remove_all(trainData());
      fs::remove_all(user_.workspace() / "PREDICT");
      fs::create_directories(loader.file.parent_path());
      std::ofstream(loader.file, std::ios::binary) << withValue(hostile.index, hostile.value);
      const test::CommandRun run = loader.run();
      EXPECT_EQ(run.status, kExitBadInput) << run.err;
      EXPECT_NE(run.err.find(loader.file.string() + " is damaged: " + hostile.what), std::string::npos)
          << run.err;
      EXPECT_EQ(run.out.find("COMPLETE"), std::string::npos) << run.out;
      loader.nothingWritten();
    }
  }
}

}  // namespace
}  // namespace stridewell::cli
