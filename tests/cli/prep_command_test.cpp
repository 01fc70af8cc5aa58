// `stridewell prep` in-process, with the Workspace and the settings in a
// temporary folder: the choices reaching the preparation, a seed repeating
// it exactly, the over-write question, and usage errors.
#include "cli/prep_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "cli_test_support.h"
#include "patterns/pattern_races.h"
#include "support/isolated_user.h"

namespace stridewell::cli {
namespace {

namespace fs = std::filesystem;
using test::runCommand;

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PrepCommandTest : public ::testing::Test {
 protected:
  PrepCommandTest() {
    fs::create_directories(user_.workspace() / "DATASETS");
    fs::create_directories(user_.workspace() / "SIM");
    // Two wet races (4 and 5 finishers) and two dry ones (8 and 6).
    std::vector<std::unique_ptr<Race>> races;
    races.push_back(stridewell::test::raceWithFinishers(8, 2));
    races.push_back(stridewell::test::raceWithFinishers(4, 1, 1));
    races.push_back(stridewell::test::raceWithFinishers(5, 1, 2));
    races.push_back(stridewell::test::raceWithFinishers(6, 2, 3));
    stridewell::test::writeDatasetFile(user_.workspace() / "DATASETS" / "Races.DSI", races);
  }

  fs::path train(const char* file) const { return user_.workspace() / "TRAINDATA" / file; }
  fs::path sim(const char* file) const { return user_.workspace() / "SIM" / file; }

  stridewell::test::IsolatedUser user_;
};

TEST_F(PrepCommandTest, ChoicesReachThePreparation) {
  struct Case {
    std::vector<std::string> args;
    std::string complete;  // empty: no race gave a pattern, refused
    char passes;
  };
  const Case cases[] = {
      {{"Races", "Gamma"}, "Prep complete: 3 patterns (4 races)\n", 25},
      {{"races", "Gamma", "--condition", "wet", "--pressure", "low"},
       "Prep complete: 1 patterns (2 races)\n",
       5},
      {{"Races", "Gamma", "--condition", "Dry tracks only", "--pressure", "very-high"},
       "Prep complete: 2 patterns (2 races)\n",
       50},
      {{"Races", "Gamma", "--pressure", "medium", "--class", "maiden-special-weight"}, "", 10},
      {{"Races", "Gamma", "--track", "AQ"}, "", 25},
  };
  for (const Case& c : cases) {
    const std::string before = readBytes(train("TVARS.DAT"));
    const test::CommandRun run = runCommand(PrepCommand(), c.args);
    EXPECT_EQ(run.out, c.complete) << c.args.back();
    if (c.complete.empty()) {
      // The previous preparation stays as it was.
      EXPECT_EQ(run.status, kExitBadInput) << run.err;
      EXPECT_NE(run.err.find("No race of the dataset Races met the criteria"), std::string::npos) << run.err;
      EXPECT_EQ(readBytes(train("TVARS.DAT")), before);
      continue;
    }
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string info = readBytes(train("TVARS.DAT"));
    ASSERT_EQ(info.size(), 528u);
    EXPECT_EQ(info[520], c.passes);
    EXPECT_EQ(info.substr(260, 6), std::string("Gamma\0", 6));
  }
  // The dataset as the list spells it is offered next time.
  const SettingsStore settings(user_.settingsFile().string());
  EXPECT_EQ(settings.read(setting::kTrainDataset, ""), "Races");
}

// A run that gives no pattern is refused (exit 1) and keeps the previous
// preparation byte for byte; so does a cancelled question (exit 3).
TEST_F(PrepCommandTest, NoPatternKeepsThePreviousPreparation) {
  ASSERT_EQ(runCommand(PrepCommand(), {"Races", "Gamma", "--seed", "7"}).status, 0);
  const std::string weights = readBytes(train("train.SIM"));
  const std::string patterns = readBytes(train("SIMPAT.DAT"));
  const std::string info = readBytes(train("TVARS.DAT"));
  ASSERT_FALSE(patterns.empty());
  std::ofstream(user_.workspace() / "DATASETS" / "Empty.DSI").close();
  std::ofstream(user_.workspace() / "DATASETS" / "Junk.DSI") << std::string(40, '\xff');
  std::ofstream(sim("Delta.SIM")) << "trained";
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  };
  const Case cases[] = {
      {{"Empty", "Gamma"}, kExitBadInput, "The dataset Empty holds no race."},
      {{"Junk", "Gamma"}, kExitBadInput, "Junk.DSI: race 1 is damaged"},
      {{"Races", "Gamma", "--track", "ZZZ"}, kExitBadInput, "No race of the dataset Races met the criteria"},
      {{"--no", "Races", "Delta"}, kExitDeclined, "A SIM with that name already exists; over-write?"},
  };
  for (const Case& c : cases) {
    const test::CommandRun run = runCommand(PrepCommand(), c.args);
    EXPECT_EQ(run.status, c.status) << c.args[0] << ": " << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.args[0] << ": " << run.err;
    EXPECT_EQ(run.out.find("Prep complete"), std::string::npos) << c.args[0];
    EXPECT_TRUE(readBytes(train("train.SIM")) == weights) << c.args[0];
    EXPECT_TRUE(readBytes(train("SIMPAT.DAT")) == patterns) << c.args[0];
    EXPECT_TRUE(readBytes(train("TVARS.DAT")) == info) << c.args[0];
  }
}

// A dataset damaged after some sound races still gives its patterns, but
// the status says the preparation does not cover the whole dataset.
TEST_F(PrepCommandTest, DamagedDatasetPreparesTheRacesBeforeTheDamage) {
  const fs::path dataset = user_.workspace() / "DATASETS" / "Races.DSI";
  fs::resize_file(dataset, fs::file_size(dataset) - 1);
  const test::CommandRun run = runCommand(PrepCommand(), {"Races", "Gamma"});
  EXPECT_EQ(run.status, kExitBadInput) << run.err;
  EXPECT_EQ(run.out, "Prep complete: 2 patterns (3 races)\n");
  EXPECT_NE(run.err.find("race 4 is damaged"), std::string::npos) << run.err;
  EXPECT_EQ(readBytes(train("TVARS.DAT")).size(), 528u);
}

TEST_F(PrepCommandTest, SeedRepeatsTheStartingWeights) {
  ASSERT_EQ(runCommand(PrepCommand(), {"Races", "Gamma", "--seed", "42"}).status, 0);
  const std::string first = readBytes(train("train.SIM"));
  ASSERT_EQ(runCommand(PrepCommand(), {"Races", "Gamma", "--seed", "42"}).status, 0);
  EXPECT_EQ(readBytes(train("train.SIM")), first);
  ASSERT_EQ(runCommand(PrepCommand(), {"Races", "Gamma", "--seed", "4294967295"}).status, 0);
  EXPECT_NE(readBytes(train("train.SIM")), first);
}

TEST_F(PrepCommandTest, ExistingSimNeedsAYes) {
  std::ofstream(sim("Gamma.SIM")) << "trained";
  const test::CommandRun refused = runCommand(PrepCommand(), {"Races", "gamma"});
  EXPECT_EQ(refused.status, kExitDeclined);
  EXPECT_NE(refused.err.find("A SIM with that name already exists; over-write?"), std::string::npos)
      << refused.err;
  EXPECT_FALSE(fs::exists(train("TVARS.DAT")));
  const test::CommandRun accepted = runCommand(PrepCommand(), {"--yes", "Races", "Gamma"});
  EXPECT_EQ(accepted.status, 0) << accepted.err;
  EXPECT_EQ(readBytes(sim("Gamma.SIM")), "trained");  // training replaces it, not prep
}

TEST_F(PrepCommandTest, UsageErrorsAndRefusals) {
  std::ofstream(sim("Alpha.SIM")) << "weights";
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{}, "give the dataset and the name of the SIM"},
      {{"Races"}, "give the dataset and the name of the SIM"},
      {{"Nothing", "Gamma"}, "there is no dataset 'Nothing'"},
      {{"Races", "a:b"},
       "stridewell prep: error: SIM name cannot contain any of the following characters: ?*<\">/\\:|"},
      {{"Races", "  "}, "stridewell prep: error: SIM name cannot be blank."},
      {{"Races", "Alpha", "--start", "Alpha"},
       "stridewell prep: error: Starting point and target SIM cannot be identical."},
      {{"Races", "Gamma", "--start", "Nobody"}, "there is no SIM named 'Nobody'"},
      {{"Races", "Gamma", "--pressure", "extreme"}, "--pressure must be low, medium, high or very-high"},
      {{"Races", "Gamma", "--class", "Claiming"}, ""},  // valid: checked to run below
      {{"Races", "Gamma", "--distance", "long"}, "--distance must be all, routes or sprints"},
      {{"Races", "Gamma", "--surface", "grass"}, "--surface must be all, turf, dirt or synthetic"},
      {{"Races", "Gamma", "--condition", "muddy"}, "--condition must be all, wet or dry"},
      {{"Races", "Gamma", "--track", "ABCD"}, "--track needs a track code of up to 3 characters"},
      {{"Races", "Gamma", "--seed", "-1"}, "--seed takes a whole number"},
      {{"Races", "Gamma", "--seed", "4294967296"}, "--seed takes a whole number"},
      {{"Races", "Gamma", "--seed", "12x"}, "--seed takes a whole number"},
      {{"Races", "Gamma", "--seed", "5", "--start", "Alpha"}, "--seed is for a random start"},
      {{"--yes", "--no", "Races", "Gamma"}, "--yes and --no cannot be given together"},
  };
  for (const Case& c : cases) {
    const test::CommandRun run = runCommand(PrepCommand(), c.args);
    const std::string shown = c.args.empty() ? "(none)" : c.args.back();
    if (c.message.empty()) {
      // Accepted and run: no race of the test's dataset is a claiming race.
      EXPECT_EQ(run.status, kExitBadInput) << shown << run.err;
      EXPECT_NE(run.err.find("No race of the dataset Races met the criteria"), std::string::npos) << run.err;
      continue;
    }
    EXPECT_EQ(run.status, kExitUsage) << shown;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << shown << ": " << run.err;
    EXPECT_EQ(run.out, "") << shown;
  }
}

}  // namespace
}  // namespace stridewell::cli
