// Deleting and renaming the SIMs of the SIM folder: which SIMs can be
// chosen, the questions and refusals, and that a rename never replaces a
// SIM.
#include "operations/sim_management.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/settings_store.h"
#include "base/workspace.h"
#include "model/sim_map.h"
#include "model/sim_record.h"
#include "support/faulty_file_system.h"
#include "support/recording_interaction.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using Kind = test::RecordingInteraction::Kind;
using Call = test::RecordingInteraction::Call;

class SimManagementTest : public ::testing::Test {
 protected:
  SimManagementTest() {
    fs::create_directories(folder_.path() / "program");
    workspace_ = workspaceAt((folder_.path() / "program").string(), (folder_.path() / "work").string());
    EXPECT_TRUE(createWorkspaceFolders(workspace_, ui_));
    put(fs::path(workspace_.programFolder) / "Default.SIM", "shipped");
  }

  static void put(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  fs::path sim(const std::string& file) const { return fs::path(workspace_.sim) / file; }
  void addSim(const std::string& file) { put(sim(file), "weights of " + file); }

  std::vector<std::string> simFolder() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(workspace_.sim)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  test::TempFolder folder_;
  Workspace workspace_;
  test::RecordingInteraction ui_;
};

TEST_F(SimManagementTest, ListLeavesOutTheProgramFoldersSims) {
  SimList empty = managedSimList(workspace_);
  EXPECT_EQ(empty.count, 0);
  EXPECT_EQ(empty.items, std::vector<std::string>{"<No SIM models have been created.>"});

  // A Default.SIM in the SIM folder is shadowed by the shipped one.
  addSim("Default.SIM");
  addSim("beta.SIM");
  addSim("Alpha.sim");
  const SimList list = managedSimList(workspace_);
  EXPECT_EQ(list.count, 2);
  EXPECT_EQ(list.items, (std::vector<std::string>{"Alpha", "beta"}));
  EXPECT_EQ(list.fixedEntries, 0);
}

TEST_F(SimManagementTest, Delete) {
  addSim("Alpha.SIM");
  addSim("lower.sim");
  addSim("Default.SIM");
  struct Case {
    const char* name;
    bool answer;
    SimDeleteOutcome expected;
    std::vector<Call> calls;
    std::vector<std::string> left;
  };
  const Case cases[] = {
      {"Alpha",
       false,
       SimDeleteOutcome::kDeclined,
       {{Kind::kQuery, "Query", "Delete SIM \"Alpha\"; are you sure?"}},
       {"Alpha.SIM", "Default.SIM", "lower.sim"}},
      {"Default", true, SimDeleteOutcome::kNotListed, {}, {"Alpha.SIM", "Default.SIM", "lower.sim"}},
      {"alpha", true, SimDeleteOutcome::kNotListed, {}, {"Alpha.SIM", "Default.SIM", "lower.sim"}},
      {"Alpha",
       true,
       SimDeleteOutcome::kDeleted,
       {{Kind::kQuery, "Query", "Delete SIM \"Alpha\"; are you sure?"}},
       {"Default.SIM", "lower.sim"}},
      // Listed with its extension in lower case: that file goes.
      {"lower",
       true,
       SimDeleteOutcome::kDeleted,
       {{Kind::kQuery, "Query", "Delete SIM \"lower\"; are you sure?"}},
       {"Default.SIM"}},
  };
  for (const Case& c : cases) {
    ui_.clear();
    ui_.setDefaultAnswer(c.answer);
    EXPECT_EQ(deleteSim(workspace_, c.name, ui_), c.expected) << c.name;
    EXPECT_EQ(ui_.calls(), c.calls) << c.name;
    EXPECT_EQ(simFolder(), c.left) << c.name;
  }
  EXPECT_EQ(contents(fs::path(workspace_.programFolder) / "Default.SIM"), "shipped");
}

// With the SI Maps at hand, the question first names the rules that use
// the SIM; No keeps it.
TEST_F(SimManagementTest, DeleteWarnsOfTheMapRulesUsingTheSim) {
  addSim("Alpha.SIM");
  addSim("Beta.SIM");
  SettingsStore store((folder_.path() / "settings.conf").string());
  SimMap map = defaultSimMap();
  map.rules[1].sim = "Alpha";
  map.rules[1].enabled = true;
  map.rules[3].sim = "Alpha";
  ASSERT_TRUE(saveSimMap(store, 2, map));
  struct Case {
    const char* name;
    bool answer;
    SimDeleteOutcome expected;
    std::string question;
    bool kept;
  };
  const Case cases[] = {
      {"Alpha", false, SimDeleteOutcome::kDeclined,
       "SIM \"Alpha\" is named by SI Map 3 rule 2, SI Map 3 rule 4 (off). Races those rules pick will NOT be "
       "scored once it is gone.\nDelete SIM \"Alpha\"; are you sure?",
       true},
      {"Beta", true, SimDeleteOutcome::kDeleted, "Delete SIM \"Beta\"; are you sure?", false},
      {"Alpha", true, SimDeleteOutcome::kDeleted,
       "SIM \"Alpha\" is named by SI Map 3 rule 2, SI Map 3 rule 4 (off). Races those rules pick will NOT be "
       "scored once it is gone.\nDelete SIM \"Alpha\"; are you sure?",
       false},
  };
  for (const Case& c : cases) {
    ui_.clear();
    ui_.setDefaultAnswer(c.answer);
    EXPECT_EQ(deleteSim(workspace_, c.name, ui_, &store), c.expected) << c.name;
    EXPECT_EQ(ui_.queries(), std::vector<std::string>{c.question}) << c.name;
    EXPECT_EQ(fs::exists(sim(std::string(c.name) + ".SIM")), c.kept) << c.name;
  }
}

TEST_F(SimManagementTest, RenameRefusals) {
  addSim("Alpha.SIM");
  const std::string forbidden = "SIM name cannot contain any of the following characters: ?*<\">/\\:|";
  const std::string reserved = "The SIM name you have chosen is reserved.  Please pick another.";
  struct Case {
    const char* oldName;
    const char* newText;
    SimRenameOutcome expected;
    std::vector<Call> calls;
  };
  const Case cases[] = {
      {"Alpha", "  ", SimRenameOutcome::kRefused, {{Kind::kError, "ERROR", "New name cannot be blank."}}},
      {"Alpha", "../Beta", SimRenameOutcome::kRefused, {{Kind::kError, "ERROR", forbidden}}},
      {"Alpha", " Default ", SimRenameOutcome::kRefused, {{Kind::kError, "ERROR", reserved}}},
      {"Alpha", "default", SimRenameOutcome::kRefused, {{Kind::kError, "ERROR", reserved}}},
      {"Default", "Beta", SimRenameOutcome::kNotListed, {}},
      {"Nothing", "Beta", SimRenameOutcome::kNotListed, {}},
      {"Alpha",
       "Beta",
       SimRenameOutcome::kDeclined,
       {{Kind::kQuery, "Query", "Rename SIM \"Alpha\" to \"Beta\"; are you sure?"}}},
  };
  for (const Case& c : cases) {
    ui_.clear();
    ui_.setDefaultAnswer(false);
    EXPECT_EQ(renameSim(workspace_, c.oldName, c.newText, ui_), c.expected) << c.newText;
    EXPECT_EQ(ui_.calls(), c.calls) << c.newText;
    EXPECT_EQ(simFolder(), std::vector<std::string>{"Alpha.SIM"}) << c.newText;
  }
}

TEST_F(SimManagementTest, RenameNeverReplacesASim) {
  addSim("Alpha.SIM");
  addSim("Beta.SIM");
  for (const char* newName : {"Beta", "beta", "BETA"}) {
    ui_.clear();
    ui_.setDefaultAnswer(true);
    EXPECT_EQ(renameSim(workspace_, "Alpha", newName, ui_), SimRenameOutcome::kFailed) << newName;
    // The refusal names both files and the reason.
    EXPECT_EQ(ui_.errors(),
              std::vector<std::string>{"Rename failed.\n" + sim("Alpha.SIM").string() + " -> " +
                                       sim(std::string(newName) + ".SIM").string() + ": File exists"})
        << newName;
    EXPECT_EQ(simFolder(), (std::vector<std::string>{"Alpha.SIM", "Beta.SIM"})) << newName;
    EXPECT_EQ(contents(sim("Alpha.SIM")), "weights of Alpha.SIM");
    EXPECT_EQ(contents(sim("Beta.SIM")), "weights of Beta.SIM");
  }
}

// A move the file system refuses leaves both names as they were and says why.
TEST_F(SimManagementTest, RenameThatTheFileSystemRefusesChangesNothing) {
  addSim("Alpha.SIM");
  for (const int error : {EACCES, EXDEV, EROFS}) {
    const std::string reason = std::generic_category().message(error);
    SCOPED_TRACE(reason);
    test::FaultyFileSystem faulty;
    faulty.failRename(error);
    ui_.clear();
    ui_.setDefaultAnswer(true);
    EXPECT_EQ(renameSim(workspace_, "Alpha", "Gamma", ui_, faulty), SimRenameOutcome::kFailed);
    EXPECT_EQ(ui_.errors(), std::vector<std::string>{"Rename failed.\n" + sim("Alpha.SIM").string() + " -> " +
                                                     sim("Gamma.SIM").string() + ": " + reason});
    EXPECT_EQ(simFolder(), std::vector<std::string>{"Alpha.SIM"});
    EXPECT_EQ(contents(sim("Alpha.SIM")), "weights of Alpha.SIM");
  }
}

TEST_F(SimManagementTest, RenameMovesTheFile) {
  addSim("Alpha.SIM");
  addSim("lower.sim");
  ui_.setDefaultAnswer(true);
  EXPECT_EQ(renameSim(workspace_, "Alpha", "  Gamma Sprint\t", ui_), SimRenameOutcome::kRenamed);
  EXPECT_EQ(ui_.queries(),
            std::vector<std::string>{"Rename SIM \"Alpha\" to \"Gamma Sprint\"; are you sure?"});
  EXPECT_EQ(contents(sim("Gamma Sprint.SIM")), "weights of Alpha.SIM");
  // A change of letter case only, and a file listed with ".sim".
  EXPECT_EQ(renameSim(workspace_, "Gamma Sprint", "gamma sprint", ui_), SimRenameOutcome::kRenamed);
  EXPECT_EQ(renameSim(workspace_, "lower", "Upper", ui_), SimRenameOutcome::kRenamed);
  EXPECT_EQ(simFolder(), (std::vector<std::string>{"Upper.SIM", "gamma sprint.SIM"}));
  EXPECT_EQ(contents(sim("Upper.SIM")), "weights of lower.sim");
  EXPECT_TRUE(ui_.errors().empty());
}

// A SIM's training record follows its renames, says the new name, and goes
// with the SIM; a record a new name had before belonged to no SIM.
TEST_F(SimManagementTest, RecordsFollowRenameAndGoWithDelete) {
  addSim("Alpha.SIM");
  addSim("Beta.SIM");
  addSim("Eps.SIM");
  SimRecord record;
  record.simName = "Alpha";
  record.dataset = "Spring";
  record.passesTrained = 25;
  std::string problem;
  ASSERT_TRUE(writeSimRecord(sim("Alpha.INFO").string(), record, problem));
  put(sim("Gamma.INFO"), "stridewell-sim-record 1\nsim=Gamma\ndataset=Stale\n");
  put(sim("Beta.INFO"), "not a record");
  put(sim("Zeta.INFO"), "stridewell-sim-record 1\nsim=Zeta\n");
  ui_.setDefaultAnswer(true);

  ASSERT_EQ(renameSim(workspace_, "Alpha", "Gamma", ui_), SimRenameOutcome::kRenamed);
  SimRecord moved;
  ASSERT_EQ(readSimRecord(sim("Gamma.INFO").string(), moved), SimRecordRead::kRead);
  EXPECT_EQ(moved.simName, "Gamma");
  EXPECT_EQ(moved.dataset, "Spring");
  EXPECT_EQ(moved.passesTrained, 25);
  // A damaged record moves as it is; a SIM without one leaves the new name without one.
  ASSERT_EQ(renameSim(workspace_, "Beta", "Delta", ui_), SimRenameOutcome::kRenamed);
  EXPECT_EQ(contents(sim("Delta.INFO")), "not a record");
  ASSERT_EQ(renameSim(workspace_, "Eps", "Zeta", ui_), SimRenameOutcome::kRenamed);
  EXPECT_EQ(simFolder(),
            (std::vector<std::string>{"Delta.INFO", "Delta.SIM", "Gamma.INFO", "Gamma.SIM", "Zeta.SIM"}));
  // A refused rename touches no record.
  EXPECT_EQ(renameSim(workspace_, "Gamma", "Delta", ui_), SimRenameOutcome::kFailed);
  EXPECT_EQ(contents(sim("Delta.INFO")), "not a record");
  ASSERT_EQ(readSimRecord(sim("Gamma.INFO").string(), moved), SimRecordRead::kRead);

  EXPECT_EQ(deleteSim(workspace_, "Gamma", ui_), SimDeleteOutcome::kDeleted);
  EXPECT_EQ(deleteSim(workspace_, "Delta", ui_), SimDeleteOutcome::kDeleted);
  EXPECT_EQ(simFolder(), std::vector<std::string>{"Zeta.SIM"});
}

}  // namespace
}  // namespace stridewell
