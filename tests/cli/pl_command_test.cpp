// `stridewell pl` in-process, with the Workspace and the settings in a
// temporary folder: the printed report and its comma copy, the settings it
// remembers, the custom-list checks and the usage errors.
#include "cli/pl_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/strategy_totals.h"
#include "cli/dataset_command.h"
#include "cli_test_support.h"
#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "scored_run_test_fixture.h"
#include "support/isolated_user.h"

namespace stridewell::cli {
namespace {

namespace fs = std::filesystem;
using test::runCommand;

class PlCommandTest : public test::ScoredRunTest {};

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST_F(PlCommandTest, PrintsTheReportWritesTheCommaCopyAndRemembers) {
  makeSimAndDataset();
  const std::string csv = (user_.root() / "table.csv").string();
  const test::CommandRun r = runCommand(
      PlCommand(), {"spring", "--sim", "fresh", "--short", "--morning-line", "--csv", csv, "-j", "2"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  // The listed spellings of the dataset and SIM head the report.
  EXPECT_EQ(r.out.rfind("DataSet:   Spring\n"
                        "SIM Model: FRESH\n"
                        "Short report format.\n"
                        "All odds indicate Morning Line Odds instead of Actual Track Odds.\n"
                        "\n"
                        "BetType ",
                        0),
            0u)
      << r.out;
  const std::vector<std::string> lines = linesOf(r.out);
  ASSERT_EQ(lines.size(), 5u + 1 + kShortStrategyCount + 2);
  EXPECT_EQ(lines[lines.size() - 2], "");
  EXPECT_NE(lines.back().find(" races analyzed."), std::string::npos);
  const int analyzed = std::stoi(lines.back());
  EXPECT_GT(analyzed, 0);
  EXPECT_LE(analyzed, 28);
  // WIN is played on every race analysed (the sample results have every payoff).
  ASSERT_GT(lines.size(), 6u);
  EXPECT_EQ(lines[6].rfind("WIN                 ", 0), 0u) << lines[6];
  EXPECT_EQ(std::stoi(lines[6].substr(21, 5)), analyzed);

  std::ifstream in(csv);
  const std::string comma((std::istreambuf_iterator<char>(in)), {});
  const std::vector<std::string> commaLines = linesOf(comma);
  ASSERT_EQ(commaLines.size(), 1u + kShortStrategyCount);
  EXPECT_EQ(commaLines[0], "BetType,#bets,#hits,hit%,$Bet,$Payout,Profit(%)");
  EXPECT_EQ(commaLines[1].rfind("WIN                 ,", 0), 0u);

  for (const char* setting : {"AUTOSCRATCH=y", "FORCEDRY=y", "SKIPTURF2DIRT=n", "USEMODDS=y", "SHORTREPORT=y",
                              "CLIPBOARD=y", "NNTEST=FRESH", "DATASET_TEST=Spring"}) {
    EXPECT_NE(settings().find(setting), std::string::npos) << setting << " in\n" << settings();
  }
  // The report file in TEMP lives only for the run.
  EXPECT_FALSE(fs::exists(user_.workspace() / "TEMP" / "bets.txt"));

  // The next run takes the remembered SIM; the criteria narrow the races.
  const test::CommandRun dry =
      runCommand(PlCommand(), {"Spring", "--condition", "dry", "--classes", "8-13,14"});
  EXPECT_EQ(dry.status, 0) << dry.err;
  EXPECT_NE(dry.out.find("SIM Model: FRESH\n"), std::string::npos);
  EXPECT_NE(dry.out.find("Dry tracks only.\n"), std::string::npos) << dry.out;
  EXPECT_LE(std::stoi(linesOf(dry.out).back()), analyzed);
  EXPECT_NE(settings().find("SHORTREPORT=n"), std::string::npos);
  EXPECT_NE(settings().find("CLIPBOARD=n"), std::string::npos);
}

TEST_F(PlCommandTest, EmptyCustomListsStopBeforeAnythingIsRemembered) {
  struct Case {
    std::vector<std::string> args;
    std::string error;
  };
  const Case cases[] = {
      {{"Spring", "--class", "custom"},
       "stridewell pl: error: Custom class list is empty (no checked items).\n"},
      {{"Spring", "--distance", "custom"},
       "stridewell pl: error: Custom distance list is empty (no checked items).\n"},
      // The class list is checked first.
      {{"Spring", "--distance", "CUSTOM", "--class", "Custom"},
       "stridewell pl: error: Custom class list is empty (no checked items).\n"},
      {{"Spring", "--classes", " , "},
       "stridewell pl: error: Custom class list is empty (no checked items).\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[2]);
    const test::CommandRun r = runCommand(PlCommand(), c.args);
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_EQ(r.err, c.error);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(settings().find("AUTOSCRATCH"), std::string::npos);
  }
}

TEST_F(PlCommandTest, UsageErrors) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{}, "give the dataset to analyse"},
      {{"One", "Two"}, "give the dataset to analyse"},
      {{"Spring", "--distance", "far"}, "--distance must be all, routes, sprints or custom, not 'far'"},
      {{"Spring", "--surface", "sand"}, "--surface must be all, turf, dirt or synthetic, not 'sand'"},
      {{"Spring", "--distances", "9f"}, "--distances: no distance '9f'"},
      {{"Spring", "--distance", "all", "--distances", "6f"}, "--distances needs --distance custom"},
      {{"Spring", "--classes", "0"}, "--classes takes class numbers from 1 to 23"},
      {{"Spring", "--classes", "12-8"}, "not '12-8'"},
      {{"Spring", "--classes", "24"}, "not '24'"},
      {{"Spring", "--class", "stakes", "--classes", "20"}, "--classes needs --class custom"},
      {{"Spring", "--track", "ABCD"}, "--track needs a track code of up to 3 characters"},
      {{"Spring", "--threads", "0"}, "--threads takes a number from 1 to 64, not '0'"},
      {{"Spring", "--threads", "two"}, "--threads takes a number from 1 to 64"},
      {{"Spring", "--strategy", "WIN"}, "--strategy names the strategy --by breaks down; give --by too"},
      {{"Spring", "--by", "weather"},
       "--by takes odds, field, surface, distance, class, track or month, not 'weather'"},
      {{"Spring", "--by", "odds", "--strategy", "WIN_9TO1"},
       "there is no strategy 'WIN_9TO1'; 'stridewell pl --strategies' lists them"},
      {{"Spring", "--by", "month", "--short"}, "--short and --by cannot be used together"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const test::CommandRun r = runCommand(PlCommand(), c.args);
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

TEST_F(PlCommandTest, BreakdownAgreesWithTheFullReport) {
  makeSimAndDataset();
  const test::CommandRun full = runCommand(PlCommand(), {"Spring", "--sim", "FRESH"});
  ASSERT_EQ(full.status, 0) << full.err;
  const std::string csv = (user_.root() / "segments.csv").string();
  struct Case {
    std::vector<std::string> args;
    std::string strategy;  // as the report names it
    std::string key;
  };
  const Case cases[] = {
      {{"--by", "odds"}, "WIN", "odds band"},
      {{"--by", "ODDS", "--strategy", "bwin", "-j", "3"}, "BWIN", "odds band"},
      {{"--by", "field", "--strategy", "EXACTA"}, "EXACTA", "field size"},
      {{"--by", "distance", "--strategy", "PLACE"}, "PLACE", "distance group"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.strategy + " by " + c.key);
    std::vector<std::string> args = {"Spring", "--comma", csv};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const test::CommandRun r = runCommand(PlCommand(), args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(
        r.out.rfind(
            "DataSet:   Spring\nSIM Model: FRESH\nBreakdown of " + c.strategy + " by " + c.key + ".\n", 0),
        0u)
        << r.out;
    const std::vector<std::string> lines = linesOf(r.out);
    auto at = std::find_if(lines.begin(), lines.end(),
                           [](const std::string& l) { return l.rfind("Segment ", 0) == 0; });
    auto total = std::find_if(lines.begin(), lines.end(),
                              [](const std::string& l) { return l.rfind("Total ", 0) == 0; });
    ASSERT_NE(at, lines.end()) << r.out;
    ASSERT_NE(total, lines.end()) << r.out;
    const long segments = total - at - 1;
    EXPECT_GE(segments, 1);
    // The total's races bet and hits are the strategy's in the full report.
    const std::vector<std::string> fullLines = linesOf(full.out);
    auto line = std::find_if(fullLines.begin(), fullLines.end(), [&](const std::string& l) {
      return l.rfind(c.strategy + std::string(21 - c.strategy.size(), ' '), 0) == 0;
    });
    ASSERT_NE(line, fullLines.end());
    EXPECT_EQ(total->substr(23, 11), line->substr(21, 11)) << *total << "\n" << *line;
    EXPECT_EQ(lines.back(), fullLines.back());

    std::ifstream in(csv);
    const std::vector<std::string> comma = linesOf(std::string(std::istreambuf_iterator<char>(in), {}));
    ASSERT_EQ(static_cast<long>(comma.size()), segments + 1);
    EXPECT_EQ(comma[0], "Segment,#bets,#hits,hit%,$Bet,$Returned,$Net,ROI(%)");
  }

  const test::CommandRun names = runCommand(PlCommand(), {"--strategies"});
  EXPECT_EQ(names.status, 0);
  const std::vector<std::string> listed = linesOf(names.out);
  ASSERT_EQ(listed.size(), static_cast<size_t>(kStrategyCount));
  EXPECT_EQ(listed.front(), "WIN");
  EXPECT_EQ(listed.back(), strategyName(kStrategyCount - 1));
}

TEST_F(PlCommandTest, MissingDatasetsAndSims) {
  const test::CommandRun none = runCommand(PlCommand(), {"Spring"});
  EXPECT_EQ(none.status, kExitCannotOpen);
  EXPECT_NE(none.err.find("No datasets exist."), std::string::npos) << none.err;
  // The options were remembered all the same, as the dialog does.
  EXPECT_NE(settings().find("AUTOSCRATCH=y"), std::string::npos);

  makeSimAndDataset();
  const test::CommandRun other = runCommand(PlCommand(), {"Autumn", "--sim", "FRESH"});
  EXPECT_EQ(other.status, kExitCannotOpen);
  EXPECT_NE(other.err.find("there is no dataset 'Autumn'"), std::string::npos) << other.err;

  const test::CommandRun noSim = runCommand(PlCommand(), {"Spring", "--sim", "Nothing"});
  EXPECT_EQ(noSim.status, kExitCannotOpen);
  EXPECT_NE(noSim.err.find("stridewell pl: error: Error loading SIM data"), std::string::npos) << noSim.err;
  EXPECT_EQ(noSim.out, "");
}

// A SIM that fails to load does not become the next run's choice: the run
// without --sim keeps using the last SIM that worked.
TEST_F(PlCommandTest, SimThatFailsToLoadIsNotRemembered) {
  makeSimAndDataset();
  ASSERT_EQ(runCommand(PlCommand(), {"Spring", "--sim", "FRESH", "--short"}).status, kExitOk);
  std::ofstream(user_.workspace() / "SIM" / "SHORT.SIM", std::ios::binary) << "not weights";
  const struct {
    const char* what;
    const char* sim;
    int status;
  } kCases[] = {{"no such SIM", "Nothing", kExitCannotOpen}, {"a damaged SIM", "SHORT", kExitBadInput}};
  for (const auto& c : kCases) {
    EXPECT_EQ(runCommand(PlCommand(), {"Spring", "--sim", c.sim, "--short"}).status, c.status) << c.what;
    EXPECT_NE(settings().find("NNTEST=FRESH"), std::string::npos) << c.what << ":\n" << settings();
    const test::CommandRun plain = runCommand(PlCommand(), {"Spring", "--short"});
    EXPECT_EQ(plain.status, kExitOk) << c.what << ": " << plain.err;
    EXPECT_NE(plain.out.find("SIM Model: FRESH\n"), std::string::npos) << c.what;
  }
}

}  // namespace
}  // namespace stridewell::cli
