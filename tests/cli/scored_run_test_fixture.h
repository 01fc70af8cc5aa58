// A Workspace and settings of their own for the commands that score a
// dataset's races: a SIM of fresh random weights ("FRESH") and the dataset
// "Spring" of the example days.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "cli/dataset_command.h"
#include "cli_test_support.h"
#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "support/isolated_user.h"

namespace stridewell::cli::test {

class ScoredRunTest : public ::testing::Test {
 protected:
  void makeSimAndDataset() {
    namespace fs = std::filesystem;
    fs::create_directories(user_.workspace() / "SIM");
    SimModel model(true);
    ASSERT_GT(defineSimShape(model, {}, true), 0);
    ASSERT_TRUE(model.saveWeights(user_.workspace() / "SIM" / "FRESH.SIM"));
    const fs::path examples = fs::path(STRIDEWELL_SOURCE_DIR) / "examples" / "plain";
    const CommandRun created = runCommand(DatasetCommand(), {"create", "Spring", examples.string()});
    ASSERT_EQ(created.status, 0) << created.err;
  }

  // The settings file as it stands.
  std::string settings() {
    std::ifstream in(user_.settingsFile());
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  stridewell::test::IsolatedUser user_;
};

}  // namespace stridewell::cli::test
