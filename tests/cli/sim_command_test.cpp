// `stridewell sim` in-process, with the Workspace in a temporary folder:
// the list, deleting and renaming after a Yes, and the refusals.
#include "cli/sim_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli_test_support.h"
#include "support/isolated_user.h"

namespace stridewell::cli {
namespace {

namespace fs = std::filesystem;
using test::runCommand;

class SimCommandTest : public ::testing::Test {
 protected:
  SimCommandTest() { fs::create_directories(user_.workspace() / "SIM"); }

  fs::path sim(const std::string& file) const { return user_.workspace() / "SIM" / file; }
  void addSim(const std::string& file) { std::ofstream(sim(file)) << "weights of " << file; }
  std::string contents(const std::string& file) const {
    std::ifstream in(sim(file), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  stridewell::test::IsolatedUser user_;
};

TEST_F(SimCommandTest, List) {
  EXPECT_EQ(runCommand(SimCommand(), {"list"}).out, "Default\n");
  addSim("beta.SIM");
  addSim("Alpha.SIM");
  const test::CommandRun listed = runCommand(SimCommand(), {"list"});
  EXPECT_EQ(listed.status, 0);
  EXPECT_EQ(listed.out, "Default\nAlpha\nbeta\n");
}

// What `sim info` shows: the file's size and time of change always, the
// training record when there is one, and "No training record" otherwise;
// the long list adds the record's dataset and passes after the name.
TEST_F(SimCommandTest, InfoAndLongList) {
  std::ofstream(sim("Alpha.SIM"), std::ios::binary) << std::string(1000, 'w');
  addSim("beta.SIM");
  std::ofstream(sim("Alpha.INFO"))
      << "stridewell-sim-record 1\nsim=Alpha\ndataset=Spring\ncriteria=Sprints only.\n"
         "pressure=25\npasses=30\ntrained=2026-12-09 06:40 UTC\nfuture-key=7\n";
  fs::last_write_time(sim("Alpha.SIM"), fs::file_time_type::clock::now());

  const test::CommandRun alpha = runCommand(SimCommand(), {"info", "alpha"});
  EXPECT_EQ(alpha.status, 0) << alpha.err;
  for (const char* line : {"SIM:                    Alpha\n", "Size:                   1,000 bytes\n",
                           "Trained on dataset:     Spring\n", "Criteria:               Sprints only.\n",
                           "Learning pressure:      High (25 passes a run)\n", "Passes trained:         30\n",
                           "Last report card:       none\n"}) {
    EXPECT_NE(alpha.out.find(line), std::string::npos) << line << alpha.out;
  }
  EXPECT_NE(alpha.out.find("Weights file:           " + sim("Alpha.SIM").string() + "\n"), std::string::npos)
      << alpha.out;

  const test::CommandRun beta = runCommand(SimCommand(), {"info", "beta"});
  EXPECT_EQ(beta.status, 0);
  // "weights of beta.SIM": 19 bytes.
  EXPECT_NE(beta.out.find("Size:                   19 bytes\n"), std::string::npos) << beta.out;
  EXPECT_NE(beta.out.find("Changed:                20"), std::string::npos) << beta.out;
  EXPECT_NE(beta.out.find("\nNo training record\n"), std::string::npos) << beta.out;

  const test::CommandRun unknown = runCommand(SimCommand(), {"info", "Gamma"});
  EXPECT_EQ(unknown.status, kExitBadInput);
  EXPECT_EQ(unknown.out, "");
  EXPECT_NE(unknown.err.find("there is no SIM 'Gamma'"), std::string::npos) << unknown.err;
  EXPECT_EQ(runCommand(SimCommand(), {"info"}).status, kExitUsage);
  EXPECT_EQ(runCommand(SimCommand(), {"info", "a", "b"}).status, kExitUsage);
  EXPECT_EQ(runCommand(SimCommand(), {"--long", "delete", "Alpha"}).status, kExitUsage);
  EXPECT_TRUE(fs::exists(sim("Alpha.SIM")));

  // The record's file is no SIM of the list.
  EXPECT_EQ(runCommand(SimCommand(), {"list"}).out, "Default\nAlpha\nbeta\n");
  const test::CommandRun table = runCommand(SimCommand(), {"list", "--long"});
  EXPECT_EQ(table.status, 0);
  std::vector<std::string> lines;
  for (size_t at = 0; at < table.out.size();) {
    const size_t end = table.out.find('\n', at);
    lines.push_back(table.out.substr(at, end - at));
    at = end + 1;
  }
  ASSERT_EQ(lines.size(), 4u) << table.out;
  EXPECT_EQ(lines[0].rfind("Name     Size        Changed", 0), 0u) << table.out;
  EXPECT_EQ(lines[1].rfind("Default  ", 0), 0u) << table.out;
  EXPECT_EQ(lines[2].rfind("Alpha    1000 bytes", 0), 0u) << table.out;
  EXPECT_TRUE(lines[2].ends_with("  dataset Spring, 30 passes")) << table.out;
  EXPECT_EQ(lines[3].rfind("beta     19 bytes", 0), 0u) << table.out;
  EXPECT_TRUE(lines[3].ends_with("  -")) << table.out;
}

TEST_F(SimCommandTest, DeleteAfterAYes) {
  addSim("Alpha.SIM");
  const test::CommandRun refused = runCommand(SimCommand(), {"delete", "Alpha"});
  EXPECT_EQ(refused.status, kExitDeclined);
  EXPECT_NE(refused.err.find("Query: Delete SIM \"Alpha\"; are you sure?"), std::string::npos) << refused.err;
  EXPECT_TRUE(fs::exists(sim("Alpha.SIM")));
  // Typed in another letter case, the listed SIM is meant.
  const test::CommandRun deleted = runCommand(SimCommand(), {"--yes", "delete", "alpha"});
  EXPECT_EQ(deleted.status, 0) << deleted.err;
  EXPECT_FALSE(fs::exists(sim("Alpha.SIM")));
  const test::CommandRun missing = runCommand(SimCommand(), {"--yes", "delete", "Alpha"});
  EXPECT_EQ(missing.status, kExitUsage);
  EXPECT_NE(missing.err.find("there is no SIM 'Alpha'"), std::string::npos) << missing.err;
}

// Deleting a SIM that SI Map rules name says which before it asks; No
// keeps the SIM.
TEST_F(SimCommandTest, DeleteNamesTheMapRulesThatUseTheSim) {
  addSim("Alpha.SIM");
  fs::create_directories(user_.settingsFile().parent_path());
  std::ofstream(user_.settingsFile()) << "[SI Map 2]\n3ON=y\n3NN=Alpha\n[SI Map 5]\n1NN=alpha\n";
  const test::CommandRun refused = runCommand(SimCommand(), {"--no", "delete", "Alpha"});
  EXPECT_EQ(refused.status, kExitDeclined);
  EXPECT_NE(refused.err.find("SIM \"Alpha\" is named by SI Map 2 rule 3, SI Map 5 rule 1."),
            std::string::npos)
      << refused.err;
  EXPECT_NE(refused.err.find("Delete SIM \"Alpha\"; are you sure?"), std::string::npos) << refused.err;
  EXPECT_TRUE(fs::exists(sim("Alpha.SIM")));
  const test::CommandRun deleted = runCommand(SimCommand(), {"--yes", "delete", "Alpha"});
  EXPECT_EQ(deleted.status, kExitOk) << deleted.err;
  EXPECT_NE(deleted.err.find("SI Map 2 rule 3"), std::string::npos) << deleted.err;
  EXPECT_FALSE(fs::exists(sim("Alpha.SIM")));
}

TEST_F(SimCommandTest, Rename) {
  addSim("Alpha.SIM");
  addSim("Beta.SIM");
  const test::CommandRun taken = runCommand(SimCommand(), {"--yes", "rename", "Alpha", "Beta"});
  EXPECT_EQ(taken.status, kExitCannotOpen);
  EXPECT_NE(taken.err.find("stridewell sim: error: Rename failed.\n"), std::string::npos) << taken.err;
  EXPECT_NE(taken.err.find("Beta.SIM: File exists"), std::string::npos) << taken.err;
  EXPECT_EQ(contents("Alpha.SIM"), "weights of Alpha.SIM");
  EXPECT_EQ(contents("Beta.SIM"), "weights of Beta.SIM");

  const test::CommandRun bad = runCommand(SimCommand(), {"--yes", "rename", "Alpha", "a/b"});
  EXPECT_EQ(bad.status, kExitUsage);
  EXPECT_NE(bad.err.find("SIM name cannot contain"), std::string::npos) << bad.err;

  const test::CommandRun renamed = runCommand(SimCommand(), {"--yes", "rename", "Alpha", " Gamma "});
  EXPECT_EQ(renamed.status, 0) << renamed.err;
  EXPECT_NE(renamed.err.find("Rename SIM \"Alpha\" to \"Gamma\"; are you sure?"), std::string::npos);
  EXPECT_EQ(contents("Gamma.SIM"), "weights of Alpha.SIM");
  EXPECT_FALSE(fs::exists(sim("Alpha.SIM")));
}

TEST_F(SimCommandTest, UsageErrors) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"frob"}, {"list", "x"}, {"delete"}, {"rename", "x"}, {"--yes", "--no", "list"}}) {
    EXPECT_EQ(runCommand(SimCommand(), args).status, kExitUsage) << (args.empty() ? "" : args[0]);
  }
}

}  // namespace
}  // namespace stridewell::cli
