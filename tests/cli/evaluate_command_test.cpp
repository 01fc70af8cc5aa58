// `stridewell evaluate` in-process, with the Workspace and the settings in a
// temporary folder: the printed card, the criteria, what it leaves alone,
// usage errors, missing and damaged datasets and SIMs.
#include "cli/evaluate_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/dataset_command.h"
#include "cli/pl_command.h"
#include "cli_test_support.h"
#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "scored_run_test_fixture.h"
#include "support/isolated_user.h"

namespace stridewell::cli {
namespace {

namespace fs = std::filesystem;
using test::countAfter;
using test::linesWith;
using test::lineWith;
using test::runCommand;

const fs::path kExamples = fs::path(STRIDEWELL_SOURCE_DIR) / "examples";

class EvaluateCommandTest : public test::ScoredRunTest {};

TEST_F(EvaluateCommandTest, PrintsTheCardOverTheRacesThePlRunAnalyses) {
  makeSimAndDataset();
  const test::CommandRun r = runCommand(EvaluateCommand(), {"spring", "--sim", "fresh", "-j", "2"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out.rfind("DataSet:   Spring\nSIM Model: FRESH\n\nRaces counted:", 0), 0u) << r.out;
  const int races = countAfter(r.out, "Races counted:");
  EXPECT_GT(races, 0);
  EXPECT_GT(countAfter(r.out, "Horses counted:"), 5 * races - 1);
  for (const char* header :
       {"Calibration: SIM\n", "Calibration: Morning line\n", "Calibration: Final odds\n"}) {
    EXPECT_NE(r.out.find(header), std::string::npos) << header;
  }

  // The same races as the profit/loss run: its count is the last line.
  const test::CommandRun pl = runCommand(PlCommand(), {"Spring", "--sim", "FRESH", "--short"});
  ASSERT_EQ(pl.status, kExitOk) << pl.err;
  std::istringstream lines(pl.out);
  std::string last;
  for (std::string line; std::getline(lines, line);) last = line;
  EXPECT_EQ(std::stoi(last), races) << last;

  // Criteria narrow the races and are named in the header.
  const test::CommandRun dry =
      runCommand(EvaluateCommand(), {"Spring", "--sim", "FRESH", "--condition", "dry", "--classes", "1-23"});
  EXPECT_EQ(dry.status, kExitOk) << dry.err;
  EXPECT_NE(dry.out.find("Dry tracks only.\n"), std::string::npos) << dry.out;
  EXPECT_LE(countAfter(dry.out, "Races counted:"), races);
}

TEST_F(EvaluateCommandTest, RemembersNothing) {
  makeSimAndDataset();
  const std::string before = settings();
  ASSERT_EQ(runCommand(EvaluateCommand(), {"Spring", "--sim", "FRESH"}).status, kExitOk);
  EXPECT_EQ(settings(), before);
  EXPECT_TRUE(fs::is_empty(user_.workspace() / "TEMP")) << "a file left in TEMP";
}

TEST_F(EvaluateCommandTest, CriteriaThatMatchNothing) {
  makeSimAndDataset();
  const test::CommandRun r = runCommand(EvaluateCommand(), {"Spring", "--sim", "FRESH", "--track", "ZZZ"});
  EXPECT_EQ(r.status, kExitBadInput);
  EXPECT_NE(r.out.find("Races counted:    0\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.err, "stridewell evaluate: error: no race of 'Spring' meets the criteria and can be counted\n");
}

TEST_F(EvaluateCommandTest, UsageErrors) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{}, "stridewell evaluate: error: give the dataset to evaluate"},
      {{"One", "Two"}, "give the dataset to evaluate"},
      {{"Spring", "--distance", "far"},
       "stridewell evaluate: error: --distance must be all, routes, sprints or custom, not 'far'"},
      {{"Spring", "--distances", "9f"}, "stridewell evaluate: error: --distances: no distance '9f'"},
      {{"Spring", "--distance", "all", "--distances", "6f"}, "--distances needs --distance custom"},
      {{"Spring", "--classes", "12-8"}, "stridewell evaluate: error: --classes takes class numbers"},
      {{"Spring", "--class", "custom"}, "stridewell evaluate: error: Custom class list is empty"},
      {{"Spring", "--distance", "custom"}, "stridewell evaluate: error: Custom distance list is empty"},
      {{"Spring", "--track", "ABCD"}, "--track needs a track code of up to 3 characters"},
      {{"Spring", "--threads", "0"},
       "stridewell evaluate: error: --threads takes a number from 1 to 64, not '0'"},
      {{"Spring", "--short"}, "unknown option '--short'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const test::CommandRun r = runCommand(EvaluateCommand(), c.args);
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

TEST_F(EvaluateCommandTest, MissingAndDamagedDatasetsAndSims) {
  const test::CommandRun none = runCommand(EvaluateCommand(), {"Spring"});
  EXPECT_EQ(none.status, kExitCannotOpen);
  EXPECT_EQ(none.err, "stridewell evaluate: error: there is no dataset 'Spring'\n");

  makeSimAndDataset();
  const test::CommandRun noSim = runCommand(EvaluateCommand(), {"Spring", "--sim", "Nothing"});
  EXPECT_EQ(noSim.status, kExitCannotOpen);
  EXPECT_NE(noSim.err.find("stridewell evaluate: error: Error loading SIM data"), std::string::npos)
      << noSim.err;
  EXPECT_EQ(noSim.out, "");

  std::ofstream(user_.workspace() / "SIM" / "SHORT.SIM", std::ios::binary) << "not weights";
  EXPECT_EQ(runCommand(EvaluateCommand(), {"Spring", "--sim", "SHORT"}).status, kExitBadInput);

  // The dataset cut short inside its last race: the races before it are
  // judged, with a warning, and the status says the input was damaged.
  const test::CommandRun whole = runCommand(EvaluateCommand(), {"Spring", "--sim", "FRESH"});
  ASSERT_EQ(whole.status, kExitOk);
  const fs::path dataset = user_.workspace() / "DATASETS" / "Spring.DSI";
  ASSERT_TRUE(fs::exists(dataset));
  fs::resize_file(dataset, fs::file_size(dataset) - 100);
  const test::CommandRun cut = runCommand(EvaluateCommand(), {"Spring", "--sim", "FRESH"});
  EXPECT_EQ(cut.status, kExitBadInput);
  EXPECT_NE(cut.err.find("the report covers the races before it"), std::string::npos) << cut.err;
  EXPECT_EQ(countAfter(cut.out, "Races counted:") + countAfter(cut.out, "Races left out:"),
            countAfter(whole.out, "Races counted:") + countAfter(whole.out, "Races left out:") - 1);
}

TEST_F(EvaluateCommandTest, CombinedChancesFittedOnAnotherDataset) {
  makeSimAndDataset();
  ASSERT_EQ(runCommand(DatasetCommand(), {"create", "Autumn", (kExamples / "plain").string()}).status, 0);
  const test::CommandRun r = runCommand(EvaluateCommand(), {"Spring", "--sim", "FRESH", "--fit", "autumn"});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_NE(r.out.find("\nCombined: exp(a ln SIM + b ln final odds), fitted on Autumn\n"), std::string::npos)
      << r.out;
  // The same races on both sides: every counted race has final odds here.
  EXPECT_EQ(countAfter(r.out, "Races fitted:"), countAfter(r.out, "Races counted:"));
  EXPECT_EQ(countAfter(r.out, "Races judged:"), countAfter(r.out, "Races counted:"));
  for (const char* label : {"a (SIM)", "b (final odds)", "Delta R2"})
    EXPECT_EQ(linesWith(r.out, label).size(), 1u);
  // Fitted and judged on the same races the mix cannot do worse than the
  // final odds alone, which it contains (a = 0, b = 1).
  const std::string delta = lineWith(r.out, "Delta R2");
  EXPECT_GE(std::stod(delta.substr(std::string("Delta R2").size())), 0.0) << delta;

  const test::CommandRun missing =
      runCommand(EvaluateCommand(), {"Spring", "--sim", "FRESH", "--fit", "Winter"});
  EXPECT_EQ(missing.status, kExitCannotOpen);
  EXPECT_EQ(missing.err, "stridewell evaluate: error: there is no dataset 'Winter' to fit on\n");
  EXPECT_EQ(missing.out, "");

  // A dataset without races: the card is printed, the fit is not.
  std::ofstream(user_.workspace() / "DATASETS" / "Empty.DSI", std::ios::binary).flush();
  const test::CommandRun empty =
      runCommand(EvaluateCommand(), {"Spring", "--sim", "FRESH", "--fit", "Empty"});
  EXPECT_EQ(empty.status, kExitBadInput);
  EXPECT_NE(empty.out.find("Not fitted: no races to fit on.\n"), std::string::npos) << empty.out;
  EXPECT_EQ(
      empty.err,
      "stridewell evaluate: error: the combined chances cannot be fitted on 'Empty': no races to fit on\n");
}

TEST_F(EvaluateCommandTest, HelpExplainsEachFigure) {
  const test::CommandRun r = runCommand(EvaluateCommand(), {"--help"});
  EXPECT_EQ(r.status, kExitOk);
  for (const char* words : {"Usage: stridewell evaluate", "Log loss", "Brier", "Pseudo-R2", "calibration",
                            "left out of that source's", "--classes", "--fit", "Delta R2", "Exit status"}) {
    EXPECT_NE(r.out.find(words), std::string::npos) << words;
  }
}

}  // namespace
}  // namespace stridewell::cli
