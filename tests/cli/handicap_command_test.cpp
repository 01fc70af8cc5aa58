// `stridewell handicap` in-process, with the Workspace and the settings in a
// temporary folder: the reports it writes and prints, the settings it
// remembers, and its exit statuses and messages.
#include "cli/handicap_command.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
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

}  // namespace
}  // namespace stridewell::cli
