// `stridewell handicap` in-process, with the Workspace and the settings in a
// temporary folder: the reports it writes and prints, the settings it
// remembers, and its exit statuses and messages.
#include "cli/handicap_command.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/interrupt_guard.h"
#include "cli_test_support.h"
#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "support/isolated_user.h"

namespace stridewell::cli {
namespace {

namespace fs = std::filesystem;
using test::runCommand;

const fs::path kExamples = fs::path(STRIDEWELL_SOURCE_DIR) / "examples";

class HandicapCommandTest : public ::testing::Test {
 protected:
  HandicapCommandTest() {
    fs::create_directories(user_.workspace() / "SIM");
    SimModel model(true);
    const int32_t hidden[] = {kSimHiddenUnits};
    EXPECT_GT(model.defineNet(kSimInputs, kSimOutputs, hidden, "", true), 0);
    EXPECT_TRUE(model.saveWeights(user_.workspace() / "SIM" / "FRESH.SIM"));
  }

  std::string settings() {
    std::ifstream in(user_.settingsFile());
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path report(const char* name) { return user_.workspace() / "PREDICT" / name; }

  stridewell::test::IsolatedUser user_;
};

TEST_F(HandicapCommandTest, WritesPrintsAndRemembersTheSim) {
  const std::string card = (kExamples / "plain" / "SAX0313.TCF").string();
  const test::CommandRun r = runCommand(HandicapCommand(), {"--sim", "FRESH", card});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  ASSERT_TRUE(fs::exists(report("SAX0313.TXT")));
  EXPECT_EQ(r.out.rfind("== " + report("SAX0313.TXT").string() + " ==\n\nSIM In Use: FRESH\n\n", 0), 0u);
  EXPECT_NE(r.out.find("13-MAR-26 Race 9 at Santa Anita"), std::string::npos);
  EXPECT_NE(settings().find("NN=FRESH"), std::string::npos) << settings();

  // The next run without a choice uses the remembered SIM; --quiet prints nothing.
  const test::CommandRun again = runCommand(HandicapCommand(), {"-q", card});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, "");
  std::ifstream written(report("SAX0313.TXT"));
  std::string first;
  std::getline(written, first);
  EXPECT_EQ(first, "SIM In Use: FRESH");
}

TEST_F(HandicapCommandTest, MapModeHasNoSimLineAndRemembersTheMap) {
  const test::CommandRun r = runCommand(
      HandicapCommand(), {"--map", "3", "--dry-only", (kExamples / "plain" / "SAX0314.TCF").string()});
  EXPECT_EQ(r.out.find("SIM In Use"), std::string::npos);
  // A fresh map scores every race with the Default SIM, which this test's
  // program folder does not have: each race says so, dry track only, and
  // the run ends with the list of races not scored and a failing status.
  EXPECT_NE(r.out.find("\nERROR LOADING SIM: Default\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.status, kExitCannotOpen) << r.err;
  EXPECT_NE(r.err.find("warning: Some races were NOT scored"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("\nSAX0314.TCF race 2 (dry track): SIM Default: Cannot open "), std::string::npos)
      << r.err;
  EXPECT_EQ(r.out.find("WET track"), std::string::npos);
  const std::string stored = settings();
  EXPECT_NE(stored.find("SIMAP_NAME=SI Map 3"), std::string::npos) << stored;
  EXPECT_NE(stored.find("USEMAPS=y"), std::string::npos) << stored;
  EXPECT_NE(stored.find("SINGLENET=n"), std::string::npos) << stored;
  EXPECT_NE(stored.find("DRYONLY=y"), std::string::npos) << stored;
}

TEST_F(HandicapCommandTest, ExitStatuses) {
  const std::string good = (kExamples / "plain" / "SAX0314.TCF").string();
  const std::string bad = (kExamples / "bad" / "SAX0313.TCF").string();
  const test::CommandRun invalid = runCommand(HandicapCommand(), {"--sim", "FRESH", bad, good});
  EXPECT_EQ(invalid.status, kExitBadInput);
  EXPECT_NE(invalid.err.find("File " + bad + " is NOT VALID!"), std::string::npos) << invalid.err;
  EXPECT_NE(invalid.out.find("**** FILE IS INVALID ****"), std::string::npos);

  const std::string missing = (user_.root() / "NONE0101.TCF").string();
  const test::CommandRun cannotOpen = runCommand(HandicapCommand(), {"--sim", "FRESH", missing});
  EXPECT_EQ(cannotOpen.status, kExitCannotOpen);
  EXPECT_NE(cannotOpen.err.find("Cannot open input file '" + missing + "': " + std::strerror(ENOENT)),
            std::string::npos)
      << cannotOpen.err;

  const test::CommandRun noSim = runCommand(HandicapCommand(), {"--sim", "NOPE", good});
  EXPECT_EQ(noSim.status, kExitCannotOpen);
  EXPECT_NE(noSim.err.find("Error loading SIM"), std::string::npos);
  EXPECT_EQ(noSim.out, "");  // nothing handicapped, nothing printed
}

// A typo, a folder or "-" never costs the user a report: the one of an
// earlier run stays, the message names the file and the reason.
TEST_F(HandicapCommandTest, InputThatCannotBeOpenedKeepsTheEarlierReport) {
  const std::string good = (kExamples / "plain" / "SAX0314.TCF").string();
  fs::create_directories(user_.root() / "cards" / "SAX0313.TCF");
  struct Case {
    const char* what;
    std::string input;
    const char* report;
    std::string reason;
  };
  const Case cases[] = {
      {"a mistyped name", (user_.root() / "SAX0331.TCF").string(), "SAX0331.TXT", std::strerror(ENOENT)},
      {"a folder", (user_.root() / "cards" / "SAX0313.TCF").string(), "SAX0313.TXT", std::strerror(EISDIR)},
      {"a dash", "-", "-.TXT", std::strerror(ENOENT)},
  };
  fs::create_directories(user_.workspace() / "PREDICT");
  for (const Case& c : cases) {
    {
      std::ofstream earlier(report(c.report), std::ios::binary);
      earlier << "the report of an earlier run\n";
    }
    const test::CommandRun r = runCommand(HandicapCommand(), {"--sim", "FRESH", c.input, good});
    EXPECT_EQ(r.status, kExitCannotOpen) << c.what;
    EXPECT_NE(r.err.find("Cannot open input file '" + c.input + "': " + c.reason), std::string::npos)
        << c.what << ": " << r.err;
    std::ifstream kept(report(c.report), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "the report of an earlier run\n")
        << c.what;
    // Only what was handicapped is printed.
    EXPECT_EQ(r.out.find("earlier run"), std::string::npos) << c.what;
    EXPECT_NE(r.out.find("14-MAR-26 Race 1 at Santa Anita"), std::string::npos) << c.what;
  }
}

TEST_F(HandicapCommandTest, CardWithNoRaceIsBadInput) {
  const fs::path empty = user_.root() / "SAX0401.TCF";
  std::ofstream(empty, std::ios::binary) << "";
  const test::CommandRun r = runCommand(HandicapCommand(), {"--sim", "FRESH", empty.string()});
  EXPECT_EQ(r.status, kExitBadInput) << r.err;
  EXPECT_NE(r.err.find("File " + empty.string() + " holds no race."), std::string::npos) << r.err;
}

// A SIM that fails to load does not become the choice of the next plain
// run; nor does the mode it came with.
TEST_F(HandicapCommandTest, FailedSimIsNotRemembered) {
  const std::string card = (kExamples / "plain" / "SAX0314.TCF").string();
  ASSERT_EQ(runCommand(HandicapCommand(), {"--sim", "FRESH", card}).status, kExitOk);
  struct Case {
    const char* what;
    std::string sim;
    int status;
  };
  std::ofstream(user_.workspace() / "SIM" / "SHORT.SIM", std::ios::binary) << "not weights";
  const Case cases[] = {{"no such SIM", "NOPE", kExitCannotOpen}, {"a damaged SIM", "SHORT", kExitBadInput}};
  for (const Case& c : cases) {
    const test::CommandRun failed = runCommand(HandicapCommand(), {"--sim", c.sim, card});
    EXPECT_EQ(failed.status, c.status) << c.what;
    EXPECT_NE(settings().find("NN=FRESH"), std::string::npos) << c.what << ": " << settings();
    const test::CommandRun plain = runCommand(HandicapCommand(), {"-q", card});
    EXPECT_EQ(plain.status, kExitOk) << c.what << ": " << plain.err;
  }
  // After a map run, a failed --sim leaves the map mode in place.
  const test::CommandRun mapped = runCommand(HandicapCommand(), {"-q", "--map", "2", card});
  EXPECT_NE(settings().find("USEMAPS=y"), std::string::npos) << settings();
  EXPECT_EQ(runCommand(HandicapCommand(), {"--sim", "NOPE", card}).status, kExitCannotOpen);
  EXPECT_NE(settings().find("USEMAPS=y"), std::string::npos) << settings();
  EXPECT_NE(settings().find("SINGLENET=n"), std::string::npos) << settings();
}

// Ctrl-C stops the run between files: the user's choice, not bad input.
TEST_F(HandicapCommandTest, StoppedRunIsDeclined) {
  const std::string card = (kExamples / "plain" / "SAX0314.TCF").string();
  InterruptGuard outer;  // the run's own guard shares its flag
  ASSERT_TRUE(outer.installed());
  ASSERT_EQ(::raise(SIGINT), 0);
  ASSERT_TRUE(outer.interrupted());
  const test::CommandRun r = runCommand(HandicapCommand(), {"--sim", "FRESH", card});
  EXPECT_EQ(r.status, kExitDeclined) << r.err;
  EXPECT_NE(r.err.find("cancelled"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(report("SAX0314.TXT")));
}

TEST_F(HandicapCommandTest, UsageErrors) {
  const std::string good = (kExamples / "plain" / "SAX0314.TCF").string();
  const std::vector<std::vector<std::string>> wrong = {
      {},
      {"--sim", "FRESH", "--map", "1", good},
      {"--map", "6", good},
      {"--map", "x", good},
      std::vector<std::string>(65, good),
  };
  for (const auto& args : wrong) {
    const test::CommandRun r = runCommand(HandicapCommand(), args);
    EXPECT_EQ(r.status, kExitUsage) << (args.empty() ? "" : args[0]);
    EXPECT_FALSE(r.err.empty());
  }
}

std::string fileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST_F(HandicapCommandTest, CsvAndJsonBesideTheUnchangedPrintout) {
  const std::string card = (kExamples / "plain" / "SAX0313.TCF").string();
  const test::CommandRun plain = runCommand(HandicapCommand(), {"--sim", "FRESH", card});
  ASSERT_EQ(plain.status, 0) << plain.err;
  const std::string plainReport = fileText(report("SAX0313.TXT"));
  const fs::path csv = user_.root() / "day.csv";
  const fs::path json = user_.root() / "day.json";
  const test::CommandRun r = runCommand(
      HandicapCommand(), {"--sim", "FRESH", "--csv", csv.string(), card, "--json", json.string(),
                          "--overlay-margin", "0.5", "--second-exponent", "1", "--third-exponent=0.9"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, plain.out);
  EXPECT_EQ(fileText(report("SAX0313.TXT")), plainReport);

  const std::vector<std::string> lines = linesOf(fileText(csv));
  ASSERT_GT(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("card,track,date,race,", 0), 0u);
  // Race 1's first horse and the printed winner, to the report's two places.
  EXPECT_EQ(lines[1].rfind("SAX0313.TCF,SAX,2026-03-13,1,,FRESH,horse,", 0), 0u) << lines[1];
  const std::string printed = plain.out.substr(plain.out.find("\nWin:"), 80);
  int horses = 0;
  int exactas = 0;
  for (const std::string& line : lines) {
    if (line.find(",horse,") != std::string::npos) ++horses;
    if (line.find(",exacta,") != std::string::npos) ++exactas;
  }
  EXPECT_EQ(exactas, 9 * 5);
  const std::string jsonText = fileText(json);
  int jsonHorses = 0;
  for (size_t at = jsonText.find("{\"program\""); at != std::string::npos;
       at = jsonText.find("{\"program\"", at + 1)) {
    ++jsonHorses;
  }
  EXPECT_EQ(jsonHorses, horses);
  EXPECT_GT(horses, 9 * 5);  // every horse, not only the first five
  EXPECT_EQ(jsonText.rfind(
                "{\n  \"overlay_margin\": 0.5,\n  \"second_exponent\": 1,\n  \"third_exponent\": 0.9,\n", 0),
            0u);
  // Race 1's winner in the printout stands in the CSV with its figures.
  const std::vector<std::string> winRow = linesOf(printed.substr(1));
  ASSERT_FALSE(winRow.empty());
  std::istringstream words(winRow[0]);
  std::string ordinal, post, word, percent;
  words >> ordinal >> post;
  std::vector<std::string> rest;
  while (words >> word) rest.push_back(word);
  bool found = false;
  for (size_t i = 1; i < lines.size() && !found; ++i) {
    const std::string prefix = "SAX0313.TCF,SAX,2026-03-13,1,,FRESH,horse,";
    if (lines[i].rfind(prefix, 0) != 0) continue;
    const std::vector<std::string> fields = [&] {
      std::vector<std::string> f;
      std::istringstream in(lines[i]);
      for (std::string field; std::getline(in, field, ',');) f.push_back(field);
      return f;
    }();
    if (fields.size() < 13 || fields[8] != post) continue;
    found = true;
    char rounded[32];
    std::snprintf(rounded, sizeof rounded, "%.2f", std::stod(fields[11]));
    EXPECT_NE(winRow[0].find(rounded), std::string::npos) << winRow[0] << " / " << lines[i];
  }
  EXPECT_TRUE(found) << printed;
}

TEST_F(HandicapCommandTest, TableThatCannotBeWrittenStillPrintsTheReport) {
  const std::string card = (kExamples / "plain" / "SAX0314.TCF").string();
  const fs::path nowhere = user_.root() / "missing" / "day.csv";
  const fs::path json = user_.root() / "day.json";
  const test::CommandRun r = runCommand(
      HandicapCommand(), {"--sim", "FRESH", "--csv", nowhere.string(), "--json", json.string(), card});
  EXPECT_EQ(r.status, kExitCannotOpen);
  EXPECT_NE(r.err.find("stridewell handicap: error: Cannot create file '" + nowhere.string() + "'."),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find(std::strerror(ENOENT)), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("SIM In Use: FRESH"), std::string::npos);
  EXPECT_FALSE(fs::exists(nowhere));
  EXPECT_TRUE(fs::exists(json));  // the other file is written all the same
}

TEST_F(HandicapCommandTest, NoCardOpenedKeepsAnEarlierTable) {
  const fs::path csv = user_.root() / "day.csv";
  std::ofstream(csv) << "an earlier table\n";
  const std::string missing = (user_.root() / "NONE0101.TCF").string();
  const test::CommandRun r =
      runCommand(HandicapCommand(), {"--sim", "FRESH", "--csv", csv.string(), missing});
  EXPECT_EQ(r.status, kExitCannotOpen) << r.err;
  EXPECT_EQ(fileText(csv), "an earlier table\n");
  // One card of two is enough for a new table.
  const std::string card = (kExamples / "plain" / "SAX0314.TCF").string();
  const test::CommandRun some =
      runCommand(HandicapCommand(), {"--sim", "FRESH", "-q", "--csv", csv.string(), missing, card});
  EXPECT_EQ(some.status, kExitCannotOpen) << some.err;
  EXPECT_EQ(fileText(csv).rfind("card,track,", 0), 0u);
  EXPECT_NE(fileText(csv).find("\nSAX0314.TCF,"), std::string::npos);
}

TEST_F(HandicapCommandTest, StoppedRunWritesNoTable) {
  const std::string card = (kExamples / "plain" / "SAX0314.TCF").string();
  const fs::path csv = user_.root() / "day.csv";
  InterruptGuard outer;
  ASSERT_TRUE(outer.installed());
  ASSERT_EQ(::raise(SIGINT), 0);
  const test::CommandRun r = runCommand(HandicapCommand(), {"--sim", "FRESH", "--csv", csv.string(), card});
  EXPECT_EQ(r.status, kExitDeclined) << r.err;
  EXPECT_FALSE(fs::exists(csv));
}

TEST_F(HandicapCommandTest, TableOptionErrors) {
  const std::string good = (kExamples / "plain" / "SAX0314.TCF").string();
  const std::string csv = (user_.root() / "day.csv").string();
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"--csv", csv, "--overlay-margin", "-1", good},
       "--overlay-margin takes a number from 0 to 100, not '-1'"},
      {{"--csv", csv, "--overlay-margin", "abc", good}, "not 'abc'"},
      {{"--csv", csv, "--overlay-margin", "1e3", good}, "not '1e3'"},
      {{"--csv", csv, "--overlay-margin", "100.5", good}, "not '100.5'"},
      {{"--csv", csv, "--overlay-margin", "0,3", good}, "not '0,3'"},
      {{"--json", csv, "--second-exponent", "0", good},
       "--second-exponent takes a number above 0 to 10, not '0'"},
      {{"--json", csv, "--third-exponent", "10.01", good}, "--third-exponent takes a number above 0 to 10"},
      {{"--third-exponent", ".", "--csv", csv, good}, "not '.'"},
      {{"--overlay-margin", "0.3", good}, "--overlay-margin goes with --csv or --json"},
      {{"--csv", "", good}, "--csv needs a file name"},
      {{"--csv", csv, "--json", "", good}, "--json needs a file name"},
  };
  for (const auto& c : cases) {
    const test::CommandRun r = runCommand(HandicapCommand(), c.args);
    EXPECT_EQ(r.status, kExitUsage) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "") << c.message;
  }
  EXPECT_FALSE(fs::exists(csv));
  EXPECT_FALSE(fs::exists(report("SAX0314.TXT")));
  // The edges are accepted.
  const test::CommandRun edges =
      runCommand(HandicapCommand(), {"--sim", "FRESH", "-q", "--csv", csv, "--overlay-margin", "0",
                                     "--second-exponent", "10", "--third-exponent", "0.01", good});
  EXPECT_EQ(edges.status, 0) << edges.err;
  EXPECT_TRUE(fs::exists(csv));
}

TEST_F(HandicapCommandTest, HelpStatesTheTableRules) {
  const test::CommandRun r = runCommand(HandicapCommand(), {"--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* text :
       {"--csv FILE", "--json FILE", "--overlay-margin M", "--second-exponent A", "--third-exponent B",
        "ML + 1 >= (1 + M) x\n(fair odds + 1), with M = 0.25", "p_j^A", "p_k^B", "A = 0.81", "B = 0.65",
        "Harville", "2 / chance", "5 most likely exactas and trifectas"}) {
    EXPECT_NE(r.out.find(text), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace stridewell::cli
