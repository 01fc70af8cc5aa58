// `stridewell simmap` in-process, with the settings file and the Workspace
// moved into a temporary folder through XDG_CONFIG_HOME and STRIDEWELL_HOME:
// the table of a map, every kind of edit and what reaches the settings
// file, and the refusals that must leave the file alone.
#include "cli/simmap_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/settings_store.h"
#include "base/workspace.h"
#include "cli_test_support.h"
#include "support/temp_folder.h"

namespace stridewell::cli {
namespace {

namespace fs = std::filesystem;
using test::lineWith;
using test::runCommand;

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> found;
  for (std::string word; in >> word;) found.push_back(word);
  return found;
}

class SimMapCommandTest : public ::testing::Test {
 protected:
  SimMapCommandTest()
      : config_("XDG_CONFIG_HOME", (root_.path() / "config").string()),
        home_("STRIDEWELL_HOME", (root_.path() / "work").string()) {
    fs::create_directories(simFolder());
    // The Default SIM is looked for beside the program first, then here; a
    // copy here keeps the tests independent of the test program's folder.
    addSim("Default.SIM");
  }

  std::string settingsFile() const { return SettingsStore::defaultFile(); }
  std::string simFolder() const { return workspaceAt("", defaultWorkspaceBase()).sim; }
  void addSim(const std::string& fileName) const { std::ofstream(simFolder() + "/" + fileName) << "weights"; }
  SimMap storedMap(int number) const { return loadSimMap(SettingsStore(settingsFile()), number); }

  test::CommandRun run(const std::vector<std::string>& args) const { return runCommand(command_, args); }

  // The words of the table row of rule `rule` in `out`.
  static std::vector<std::string> row(const std::string& out, int rule) {
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
      const std::vector<std::string> cells = words(line);
      if (cells.size() >= 2 && cells[0] == std::to_string(rule) && (cells[1] == "yes" || cells[1] == "no")) {
        return cells;
      }
    }
    return {};
  }

  stridewell::test::TempFolder root_;
  ScopedEnv config_;
  ScopedEnv home_;
  SimMapCommand command_;
};

using Row = std::vector<std::string>;

TEST_F(SimMapCommandTest, AFreshMapShowsRuleOneOnWithDefaultForEveryRace) {
  const test::CommandRun shown = run({});
  EXPECT_EQ(shown.status, kExitOk) << shown.err;
  EXPECT_EQ(shown.err, "");
  EXPECT_EQ(shown.out.substr(0, shown.out.find('\n')), "SI Map 1 (the map handicapping uses)");
  EXPECT_EQ(words(lineWith(shown.out, "Rule")),
            Row({"Rule", "On", "SIM", "Track", "Distance", "Class", "Surface", "Condition"}));
  EXPECT_EQ(row(shown.out, 1), Row({"1", "yes", "Default", "any", "All", "All", "All", "All"}));
  for (int rule = 2; rule <= 10; ++rule) {
    EXPECT_EQ(row(shown.out, rule),
              Row({std::to_string(rule), "no", "Default", "any", "All", "All", "All", "All"}));
  }
  EXPECT_EQ(shown.out.find("has no weights file"), std::string::npos);
  // Showing writes nothing.
  EXPECT_FALSE(fs::exists(settingsFile()));
}

TEST_F(SimMapCommandTest, WithoutANumberTheMapInUseIsShown) {
  {
    SettingsStore store(settingsFile());
    ASSERT_TRUE(store.write("SIMAP_NAME", "SI Map 4"));
    SimMap fourth = defaultSimMap();
    fourth.comment = "the fourth";
    ASSERT_TRUE(saveSimMap(store, 3, fourth));
  }
  const test::CommandRun inUse = run({});
  EXPECT_EQ(inUse.out.substr(0, inUse.out.find('\n')), "SI Map 4 (the map handicapping uses)");
  EXPECT_NE(inUse.out.find("\nComment: the fourth\n"), std::string::npos) << inUse.out;

  const test::CommandRun other = run({"2"});
  EXPECT_EQ(other.out.substr(0, other.out.find('\n')), "SI Map 2");
}

TEST_F(SimMapCommandTest, ARuleEditReachesTheSettingsFileAndTheTable) {
  addSim("Alpha.sim");
  addSim("beta.SIM");
  const test::CommandRun edited =
      run({"2", "--rule", "3", "--enable", "--sim", "ALPHA", "--track", " aq ", "--distance", "route",
           "--class", "mdnspwgt", "--surface", "TURF", "--condition", "Wet"});
  ASSERT_EQ(edited.status, kExitOk) << edited.err;
  EXPECT_EQ(row(edited.out, 3), Row({"3", "yes", "Alpha", "aq", "Route", "MdnSpWgt", "Turf", "Wet"}));

  SimMap expected = defaultSimMap();
  // The SIM as the list spells it; indexes as the drop-downs count.
  expected.rules[2] = {true, "aq", 1, 1, 1, 2, "Alpha"};
  EXPECT_EQ(storedMap(1), expected);
  EXPECT_EQ(storedMap(0), defaultSimMap());

  // A later edit changes only what it names.
  ASSERT_EQ(run({"2", "-r", "3", "--disable", "--class", "Stakes", "--track", ""}).status, kExitOk);
  expected.rules[2].enabled = false;
  expected.rules[2].raceClass = 5;
  expected.rules[2].track = "";
  EXPECT_EQ(storedMap(1), expected);
}

TEST_F(SimMapCommandTest, EveryItemOfEveryDropDownCanBeChosen) {
  const struct {
    const char* option;
    const char* item;
    int SimMapRule::*field;
    int index;
  } cases[] = {
      {"--distance", "All", &SimMapRule::distance, 0},     {"--distance", "Route", &SimMapRule::distance, 1},
      {"--distance", "Sprint", &SimMapRule::distance, 2},  {"--surface", "All", &SimMapRule::surface, 0},
      {"--surface", "Turf", &SimMapRule::surface, 1},      {"--surface", "Dirt", &SimMapRule::surface, 2},
      {"--surface", "Synth", &SimMapRule::surface, 3},     {"--condition", "All", &SimMapRule::condition, 0},
      {"--condition", "Wet", &SimMapRule::condition, 1},   {"--condition", "Dry", &SimMapRule::condition, 2},
      {"--class", "All", &SimMapRule::raceClass, 0},       {"--class", "Maiden", &SimMapRule::raceClass, 1},
      {"--class", "MdnSpWgt", &SimMapRule::raceClass, 2},  {"--class", "Claiming", &SimMapRule::raceClass, 3},
      {"--class", "Allowance", &SimMapRule::raceClass, 4}, {"--class", "Stakes", &SimMapRule::raceClass, 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.option) + " " + c.item);
    // Start each time from an index the case does not expect.
    SimMap start = defaultSimMap();
    start.rules[6].*c.field = c.index == 0 ? 1 : 0;
    {
      SettingsStore store(settingsFile());
      ASSERT_TRUE(saveSimMap(store, 4, start));
    }
    const test::CommandRun edited = run({"5", "--rule", "7", c.option, c.item});
    ASSERT_EQ(edited.status, kExitOk) << edited.err;
    EXPECT_EQ(storedMap(4).rules[6].*c.field, c.index);
    const Row cells = row(edited.out, 7);
    ASSERT_EQ(cells.size(), 8u);
    EXPECT_NE(std::find(cells.begin(), cells.end(), c.item), cells.end());
  }
}

TEST_F(SimMapCommandTest, ResetComesFirstThenTheOtherChanges) {
  addSim("Alpha.SIM");
  ASSERT_EQ(run({"1", "--rule", "1", "--disable", "--comment", "old"}).status, kExitOk);
  ASSERT_EQ(run({"1", "--rule", "5", "--enable", "--sim", "Alpha", "--condition", "Dry"}).status, kExitOk);
  ASSERT_NE(storedMap(0), defaultSimMap());

  ASSERT_EQ(run({"1", "--reset"}).status, kExitOk);
  EXPECT_EQ(storedMap(0), defaultSimMap());

  ASSERT_EQ(run({"1", "--rule", "5", "--enable", "--reset", "--comment", "new"}).status, kExitOk);
  SimMap expected = defaultSimMap();
  expected.comment = "new";
  expected.rules[4].enabled = true;
  EXPECT_EQ(storedMap(0), expected);
}

TEST_F(SimMapCommandTest, AnyCommentIsStoredAsGivenAndShownPrintable) {
  const std::string comment = "Turf = [A]; sprints\tB\nline two \\n";
  const test::CommandRun set = run({"3", "--comment", comment});
  ASSERT_EQ(set.status, kExitOk) << set.err;
  EXPECT_EQ(storedMap(2).comment, comment);
  EXPECT_NE(set.out.find("\nComment: Turf = [A]; sprints?B?line two \\n\n"), std::string::npos) << set.out;
}

TEST_F(SimMapCommandTest, RefusalsExplainAndLeaveTheSettingsAlone) {
  addSim("Alpha.SIM");
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"6"}, "the map is a number from 1 to 5, not '6'"},
      {{"0"}, "the map is a number from 1 to 5, not '0'"},
      {{"one"}, "the map is a number from 1 to 5, not 'one'"},
      {{"1", "2"}, "name one map"},
      {{"1", "--rule", "11", "--enable"}, "--rule needs a rule number from 1 to 10, not '11'"},
      {{"1", "--rule", "0", "--enable"}, "--rule needs a rule number from 1 to 10, not '0'"},
      {{"1", "--rule", "x", "--enable"}, "--rule needs a rule number from 1 to 10, not 'x'"},
      {{"1", "--enable"}, "say which rule to change with --rule R"},
      {{"1", "--sim", "Alpha"}, "say which rule to change with --rule R"},
      {{"1", "--rule", "2"}, "--rule 2 without a change"},
      {{"--rule", "2", "--enable"}, "name the map to change (1 to 5)"},
      {{"--reset"}, "name the map to change (1 to 5)"},
      {{"--comment", "x"}, "name the map to change (1 to 5)"},
      {{"1", "--rule", "2", "--enable", "--disable"}, "--enable and --disable exclude each other"},
      {{"1", "--rule", "2", "--distance", "Mile"}, "--distance must be all, routes or sprints, not 'Mile'"},
      {{"1", "--rule", "2", "--class", "Maiden Allowance"},
       "--class must be all, maiden-claiming, maiden-special-weight, claiming, allowance or stakes, not "
       "'Maiden Allowance'"},
      // A rule has no custom list.
      {{"1", "--rule", "2", "--class", "custom"}, "--class must be all, maiden-claiming"},
      {{"1", "--rule", "2", "--surface", "grass"},
       "--surface must be all, turf, dirt or synthetic, not 'grass'"},
      {{"1", "--rule", "2", "--condition", "Sloppy"}, "--condition must be all, wet or dry, not 'Sloppy'"},
      {{"1", "--rule", "2", "--sim", "Ghost"}, "there is no SIM named 'Ghost'; the SIMs are: Default, Alpha"},
      {{"1", "--rule", "2", "--sim", ""}, "there is no SIM named ''"},
      {{"1", "--rule", "2", "--track", "ABCD"},
       "--track needs a track code of up to 3 characters, not 'ABCD'"},
      {{"1", "--rule", "2", "--track", "A B"}, "--track needs a track code of up to 3 characters, not 'A B'"},
      {{"1", "--rule", "2", "--track", "A\nB"},
       "--track needs a track code of up to 3 characters, not 'A?B'"},
      {{"1", "--rule", "2", "--enable", "--track", "ABCD"}, "--track needs"},  // nothing half-applied
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const test::CommandRun refused = run(c.args);
    EXPECT_EQ(refused.status, kExitUsage);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find(std::string("stridewell simmap: error: ") + c.message), std::string::npos)
        << refused.err;
    EXPECT_FALSE(fs::exists(settingsFile()));
  }
}

TEST_F(SimMapCommandTest, EnabledRulesWhoseSimIsGoneAreNamed) {
  {
    // As a map made before the SIMs were deleted: the command itself
    // accepts only SIMs of the list.
    SettingsStore store(settingsFile());
    SimMap map = defaultSimMap();
    map.rules[1] = {true, "", 0, 0, 0, 0, "Ghost"};
    map.rules[2] = {false, "", 0, 0, 0, 0, "Phantom"};
    ASSERT_TRUE(saveSimMap(store, 0, map));
  }
  const test::CommandRun shown = run({"1"});
  EXPECT_EQ(shown.status, kExitOk);
  EXPECT_EQ(test::linesWith(shown.out, "has no weights file"),
            std::vector<std::string>(
                {"  Rule 2: SIM 'Ghost' has no weights file; races it takes are not scored."}));
}

TEST_F(SimMapCommandTest, StoredValuesNobodyCanPickAreShownAsInvalid) {
  {
    SettingsStore store(settingsFile());
    ASSERT_TRUE(store.write("SI Map 2", "4DISTANCE", "7"));
    ASSERT_TRUE(store.write("SI Map 2", "4CLASS", "-1"));
  }
  const test::CommandRun shown = run({"2"});
  EXPECT_NE(lineWith(shown.out, "invalid (7)").find("invalid (-1)"), std::string::npos) << shown.out;
}

TEST_F(SimMapCommandTest, ADamagedSettingsFileIsReportedAndReadsAsDefaults) {
  fs::create_directories(fs::path(settingsFile()).parent_path());
  std::ofstream(settingsFile(), std::ios::binary) << "[SI Map 1\n1ON=n\n\x01\x02garbage\n";
  const test::CommandRun shown = run({"1"});
  EXPECT_EQ(shown.status, kExitOk);
  EXPECT_NE(shown.err.find("stridewell simmap: warning: "), std::string::npos) << shown.err;
  EXPECT_NE(shown.err.find(settingsFile()), std::string::npos) << shown.err;
  EXPECT_EQ(row(shown.out, 1), Row({"1", "yes", "Default", "any", "All", "All", "All", "All"}));
}

}  // namespace
}  // namespace stridewell::cli
