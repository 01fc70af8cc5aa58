// `stridewell value` in-process, with the Workspace and the settings in a
// temporary folder: the report and its curve file, the combined chances,
// usage errors, missing datasets and a curve file that cannot be written.
#include "cli/value_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/dataset_command.h"
#include "cli_test_support.h"
#include "support/isolated_user.h"

namespace stridewell::cli {
namespace {

namespace fs = std::filesystem;
using test::countAfter;
using test::lineWith;
using test::runCommand;

const fs::path kExamples = fs::path(STRIDEWELL_SOURCE_DIR) / "examples";

class ValueCommandTest : public ::testing::Test {
 protected:
  // The dataset "Spring" of the sample days, and the shipped SIM as "DEF"
  // in the SIM folder, which every run below names.
  void makeDataset() {
    fs::create_directories(user_.workspace() / "SIM");
    fs::copy_file(fs::path(STRIDEWELL_SOURCE_DIR) / "data" / "Default.SIM",
                  user_.workspace() / "SIM" / "DEF.SIM");
    const test::CommandRun created =
        runCommand(DatasetCommand(), {"create", "Spring", (kExamples / "plain").string()});
    ASSERT_EQ(created.status, 0) << created.err;
  }

  std::vector<std::string> entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  stridewell::test::IsolatedUser user_;
};

TEST_F(ValueCommandTest, ReportAndCurveFile) {
  makeDataset();
  const fs::path curve = user_.workspace() / "curve.csv";
  const test::CommandRun r =
      runCommand(ValueCommand(), {"spring", "--sim", "def", "-j", "2", "--kelly", "0.5", "--bankroll",
                                  "250.50", "--curve", curve.string()});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out.rfind("DataSet:   Spring\nSIM Model: DEF\n\nChances:          the SIM's win shares", 0), 0u)
      << r.out;
  EXPECT_NE(r.out.find("Staking:          0.50 of the Kelly stake, from a bankroll of $250.50\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("Bankroll:         $250.50 at the start"), std::string::npos);
  const int betRaces = countAfter(r.out, "Races with bets:");
  ASSERT_GT(betRaces, 0) << r.out;
  std::ifstream in(curve);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), static_cast<size_t>(betRaces) + 1);
  EXPECT_EQ(lines[0], "date,track,race,bets,staked,returned,bankroll");
  // The last bankroll of the file is the report's.
  std::string end = lineWith(r.out, "Bankroll:");
  end = end.substr(end.rfind('$') + 1);
  end = end.substr(0, end.find(' '));
  end.erase(std::remove(end.begin(), end.end(), ','), end.end());
  EXPECT_EQ(lines.back().substr(lines.back().rfind(',') + 1), end);

  // The combined chances, fitted on the same races here.
  const test::CommandRun fit = runCommand(ValueCommand(), {"Spring", "--sim", "DEF", "--fit", "SPRING"});
  ASSERT_EQ(fit.status, kExitOk) << fit.err;
  EXPECT_NE(fit.out.find("Chances:          combined, exp(a ln SIM + b ln final odds), fitted on Spring\n"),
            std::string::npos)
      << fit.out;

  // Criteria that match nothing: the report, and status 1.
  const test::CommandRun none = runCommand(ValueCommand(), {"Spring", "--sim", "DEF", "--track", "ZZZ"});
  EXPECT_EQ(none.status, kExitBadInput);
  EXPECT_EQ(none.err, "stridewell value: error: no race of 'Spring' meets the criteria and can be played\n");
  EXPECT_NE(none.out.find("Races:            0 with chances"), std::string::npos);
}

TEST_F(ValueCommandTest, UsageErrors) {
  struct Case {
    std::vector<std::string> args;
    const char* message;  // the start of standard error
  };
  const Case cases[] = {
      {{}, "stridewell value: error: give the dataset to bet on\n"},
      {{"Spring", "--kelly", "0"},
       "stridewell value: error: --kelly takes a fraction above 0 and at most 1, not '0'\n"},
      {{"Spring", "--kelly", "1.01"},
       "stridewell value: error: --kelly takes a fraction above 0 and at most 1"},
      {{"Spring", "--kelly=-0.5"}, "stridewell value: error: --kelly takes a fraction above 0 and at most 1"},
      {{"Spring", "--kelly", "quarter"}, "stridewell value: error: --kelly takes a fraction"},
      {{"Spring", "--margin=-0.1"},
       "stridewell value: error: --margin takes a number from 0 to 100, not '-0.1'\n"},
      {{"Spring", "--bankroll", "0"},
       "stridewell value: error: --bankroll takes an amount of dollars above 0"},
      {{"Spring", "--bankroll", "0.004"},
       "stridewell value: error: --bankroll takes an amount of dollars above 0"},
      {{"Spring", "--bankroll=-100"}, "stridewell value: error: --bankroll takes an amount"},
      {{"Spring", "--bankroll", "1e5"}, "stridewell value: error: --bankroll takes an amount"},
      {{"Spring", "-j", "0"}, "stridewell value: error: --threads takes a number from 1 to 64"},
      {{"Spring", "--curve="}, "stridewell value: error: --curve needs a file name\n"},
      {{"Spring", "--class", "bogus"}, "stridewell value: error: "},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const std::string& arg : c.args) shown += arg + " ";
    SCOPED_TRACE(shown);
    const test::CommandRun r = runCommand(ValueCommand(), c.args);
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind(c.message, 0), 0u) << r.err;
  }
  // Nothing was made on the way: no Workspace folders for a usage error.
  EXPECT_FALSE(fs::exists(user_.workspace() / "DATASETS"));
}

TEST_F(ValueCommandTest, MissingDatasetsAndAnUnwritableCurve) {
  makeDataset();
  test::CommandRun r = runCommand(ValueCommand(), {"Autumn"});
  EXPECT_EQ(r.status, kExitCannotOpen);
  EXPECT_EQ(r.err, "stridewell value: error: there is no dataset 'Autumn'\n");
  r = runCommand(ValueCommand(), {"Spring", "--fit", "Autumn"});
  EXPECT_EQ(r.status, kExitCannotOpen);
  EXPECT_EQ(r.err, "stridewell value: error: there is no dataset 'Autumn' to fit on\n");

  // A folder that is not there: refused before any race is read.
  const fs::path nowhere = user_.workspace() / "nowhere" / "curve.csv";
  r = runCommand(ValueCommand(), {"Spring", "--sim", "DEF", "--curve", nowhere.string()});
  EXPECT_EQ(r.status, kExitCannotOpen);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "stridewell value: error: Cannot write " + nowhere.string() + ": No such file or directory\n");

  // A folder in the file's place: the report is printed, the folder stays
  // as it was and nothing is left beside it.
  const fs::path blocked = user_.workspace() / "blocked";
  fs::create_directories(blocked / "inside");
  const std::vector<std::string> before = entries(user_.workspace());
  r = runCommand(ValueCommand(), {"Spring", "--sim", "DEF", "--curve", blocked.string()});
  EXPECT_EQ(r.status, kExitCannotOpen);
  EXPECT_NE(r.out.find("Bankroll:"), std::string::npos);
  EXPECT_EQ(r.err.rfind("stridewell value: error: Cannot write " + blocked.string() + ": ", 0), 0u) << r.err;
  EXPECT_EQ(entries(user_.workspace()), before);
  EXPECT_EQ(entries(blocked), std::vector<std::string>{"inside"});
}

}  // namespace
}  // namespace stridewell::cli
