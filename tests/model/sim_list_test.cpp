// The SIM list and the weights-file rule on real folders: which files are
// SIMs, the order of the list, finding an item by name, and which of two
// folders a name's weights come from.
#include "model/sim_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/workspace.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using Items = std::vector<std::string>;

void touch(const fs::path& path) {
  std::ofstream(path, std::ios::binary) << "weights";
}

TEST(SimList, DefaultThenTheSimFilesInNameOrderIgnoringCase) {
  test::TempFolder folder;
  for (const char* name : {"beta.SIM", "Alpha.SIM", "gamma.sim", "delta.Sim", "notes.txt", "x.SIMX", "SIM",
                           "a.SIM.bak", ".SIM", "Zulu 2.SIM", "zulu 10.SIM"}) {
    touch(folder.path() / name);
  }
  fs::create_directory(folder.path() / "folder.SIM");  // not a file

  const SimList withDefault = fillSimList(folder.path().string(), true);
  EXPECT_EQ(withDefault.items, Items({"Default", "Alpha", "beta", "delta", "gamma", "zulu 10", "Zulu 2"}));
  EXPECT_EQ(withDefault.fixedEntries, 1);
  EXPECT_EQ(withDefault.count, 7);

  const SimList withoutDefault = fillSimList(folder.path().string(), false);
  EXPECT_EQ(withoutDefault.items, Items({"Alpha", "beta", "delta", "gamma", "zulu 10", "Zulu 2"}));
  EXPECT_EQ(withoutDefault.fixedEntries, 0);
  EXPECT_EQ(withoutDefault.count, 6);
}

TEST(SimList, NamesThatDifferOnlyInCaseKeepAFixedOrder) {
  test::TempFolder folder;
  for (const char* name : {"ab.SIM", "Aa.SIM", "AB.SIM", "aC.SIM"}) touch(folder.path() / name);
  EXPECT_EQ(fillSimList(folder.path().string(), false).items, Items({"Aa", "AB", "ab", "aC"}));
}

TEST(SimList, NothingToListGivesThePlaceholderAlone) {
  test::TempFolder folder;
  touch(folder.path() / "readme.txt");
  const struct {
    const char* what;
    std::string folder;
    bool withDefault;
    Items items;
    int count;
  } cases[] = {
      {"empty folder, no Default", folder.path().string(), false, {"<No SIM models have been created.>"}, 0},
      {"missing folder, no Default",
       (folder.path() / "missing").string(),
       false,
       {"<No SIM models have been created.>"},
       0},
      {"no folder given, no Default", "", false, {"<No SIM models have been created.>"}, 0},
      {"empty folder with Default", folder.path().string(), true, {"Default"}, 1},
      {"missing folder with Default", (folder.path() / "missing").string(), true, {"Default"}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const SimList list = fillSimList(c.folder, c.withDefault);
    EXPECT_EQ(list.items, c.items);
    EXPECT_EQ(list.count, c.count);
  }
}

TEST(SimList, SelectingByNameIgnoresCaseAndKeepsTheSelectionWhenNothingMatches) {
  const Items items = {"Default", "Alpha", "beta", "ALPHA"};
  const struct {
    const char* name;
    int selected;
    int expected;
  } cases[] = {
      {"Alpha", 0, 1}, {"alpha", 3, 1}, {"BETA", 0, 2},   {"default", 2, 0},
      {"gamma", 2, 2}, {"Alph", 0, 0},  {"Alpha ", 3, 3}, {"", 1, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(selectSimByName(items, c.name, c.selected), c.expected) << "'" << c.name << "'";
  }
  EXPECT_EQ(selectSimByName({}, "Alpha", 0), 0);
}

class SimWeightsPath : public ::testing::Test {
 protected:
  SimWeightsPath() {
    fs::create_directories(root_.path() / "program");
    fs::create_directories(root_.path() / "work" / "SIM");
    workspace_.programFolder = (root_.path() / "program").string();
    workspace_.sim = (root_.path() / "work" / "SIM").string();
  }
  std::string program(const std::string& name) const { return workspace_.programFolder + "/" + name; }
  std::string sim(const std::string& name) const { return workspace_.sim + "/" + name; }

  test::TempFolder root_;
  Workspace workspace_;
};

TEST_F(SimWeightsPath, TheProgramFolderComesFirst) {
  touch(program("Default.SIM"));
  touch(program("Alpha.SIM"));
  touch(sim("Alpha.SIM"));
  touch(sim("Beta.SIM"));
  EXPECT_EQ(simWeightsPath(workspace_, "Default"), program("Default.SIM"));
  EXPECT_EQ(simWeightsPath(workspace_, "Alpha"), program("Alpha.SIM"));
  EXPECT_EQ(simWeightsPath(workspace_, "Beta"), sim("Beta.SIM"));
}

TEST_F(SimWeightsPath, AMissingSimIsLookedForInTheSimFolder) {
  EXPECT_EQ(simWeightsPath(workspace_, "Ghost"), sim("Ghost.SIM"));
  EXPECT_EQ(simWeightsPath(workspace_, "Default"), sim("Default.SIM"));
}

TEST_F(SimWeightsPath, AFolderNamedLikeASimIsNoSim) {
  fs::create_directory(program("Alpha.SIM"));
  touch(sim("Alpha.SIM"));
  EXPECT_EQ(simWeightsPath(workspace_, "Alpha"), sim("Alpha.SIM"));
}

TEST_F(SimWeightsPath, FilesOnDiskMayDifferInLetterCase) {
  touch(sim("gamma.sim"));  // listed as "gamma"
  touch(sim("Delta.SIM"));
  touch(sim("delta.sim"));
  EXPECT_EQ(simWeightsPath(workspace_, "gamma"), sim("gamma.sim"));
  EXPECT_EQ(simWeightsPath(workspace_, "GAMMA"), sim("gamma.sim"));
  // The exact name wins over one that differs in case.
  EXPECT_EQ(simWeightsPath(workspace_, "Delta"), sim("Delta.SIM"));
}

TEST_F(SimWeightsPath, WithoutAProgramFolderOnlyTheSimFolderCounts) {
  workspace_.programFolder.clear();
  touch(sim("Alpha.SIM"));
  EXPECT_EQ(simWeightsPath(workspace_, "Alpha"), sim("Alpha.SIM"));
}

}  // namespace
}  // namespace stridewell
