// The handicap list's rules: one entry per file name whatever its folder or
// letter case, at most 64 entries, removal by position; the texts the
// dialog shows; the map entry to map name; and which folder the single
// SIM's weights come from.
#include "operations/handicap_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/workspace.h"
#include "model/sim_list.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;

TEST(HandicapList, RefusesASecondFileOfTheSameNameFromAnyFolder) {
  HandicapList list;
  EXPECT_EQ(list.add("SAX0313.TCF", "/cards/a"), HandicapListAdd::kAdded);
  EXPECT_EQ(list.add("SAX0313.TCF", "/cards/b"), HandicapListAdd::kDuplicate);
  EXPECT_EQ(list.add("sax0313.tcf", "/cards/a"), HandicapListAdd::kDuplicate);
  EXPECT_EQ(list.add("SAX0314.TCF", "/cards/b"), HandicapListAdd::kAdded);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list.entries()[0], (HandicapListEntry{"SAX0313.TCF", "/cards/a"}));
  EXPECT_EQ(list.paths(), (std::vector<std::string>{"/cards/a/SAX0313.TCF", "/cards/b/SAX0314.TCF"}));
}

TEST(HandicapList, HoldsSixtyFourFilesAndReportsDuplicatesEvenWhenFull) {
  HandicapList list;
  for (int i = 0; i < 64; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "ABC%04d.TCF", i);
    ASSERT_EQ(list.add(name, "/c"), HandicapListAdd::kAdded) << name;
  }
  EXPECT_TRUE(list.full());
  EXPECT_EQ(list.add("XYZ0001.TCF", "/c"), HandicapListAdd::kFull);
  // A duplicate is named as such, so the user is told why it was refused.
  EXPECT_EQ(list.add("abc0005.tcf", "/d"), HandicapListAdd::kDuplicate);
  EXPECT_EQ(list.size(), 64u);
  ASSERT_TRUE(list.remove(63));
  EXPECT_EQ(list.add("XYZ0001.TCF", "/c"), HandicapListAdd::kAdded);
}

TEST(HandicapList, RemovesByPositionKeepingTheOrder) {
  HandicapList list;
  list.add("A.TCF", "/1");
  list.add("B.TCF", "/2");
  list.add("C.TCF", "/3");
  EXPECT_FALSE(list.remove(3));
  EXPECT_EQ(list.size(), 3u);
  EXPECT_TRUE(list.remove(1));
  EXPECT_EQ(list.paths(), (std::vector<std::string>{"/1/A.TCF", "/3/C.TCF"}));
  // A removed name may be added again.
  EXPECT_EQ(list.add("b.tcf", "/4"), HandicapListAdd::kAdded);
  list.clear();
  EXPECT_TRUE(list.empty());
}

TEST(HandicapListTexts, LineSummaryAndDuplicateWarning) {
  EXPECT_EQ(handicapListLine({"SAX0313.TCF", "/home/u/cards"}), "SAX0313.TCF  /home/u/cards");
  // The count is right-aligned in two places after two blanks.
  EXPECT_EQ(handicapSummaryText(0), "Total files:   0");
  EXPECT_EQ(handicapSummaryText(7), "Total files:   7");
  EXPECT_EQ(handicapSummaryText(64), "Total files:  64");
  EXPECT_EQ(duplicateFileText("SAX0313.TCF"), "SAX0313.TCF is already in list (duplicate ignored)");
}

TEST(HandicapListTexts, OneWarningNamesTheDuplicatesOfAnAddOfMany) {
  const std::vector<std::string> seven{"A1.TCF", "A2.TCF", "A3.TCF", "A4.TCF", "A5.TCF", "A6.TCF", "A7.TCF"};
  const struct {
    size_t count;
    const char* text;
  } cases[] = {
      {1, "A1.TCF is already in list (duplicate ignored)"},
      {2, "A1.TCF and A2.TCF are already in list (duplicates ignored)"},
      {3, "A1.TCF, A2.TCF and A3.TCF are already in list (duplicates ignored)"},
      {5, "A1.TCF, A2.TCF, A3.TCF, A4.TCF and A5.TCF are already in list (duplicates ignored)"},
      {6, "A1.TCF, A2.TCF, A3.TCF, A4.TCF, A5.TCF and 1 more are already in list (duplicates ignored)"},
      {7, "A1.TCF, A2.TCF, A3.TCF, A4.TCF, A5.TCF and 2 more are already in list (duplicates ignored)"},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> names(seven.begin(), seven.begin() + static_cast<std::ptrdiff_t>(c.count));
    EXPECT_EQ(duplicateFilesText(names), c.text) << c.count;
  }
}

TEST(HandicapListTexts, MapEntryNamesItsSiMap) {
  const struct {
    int entry;
    const char* name;
  } cases[] = {{0, "SI Map 1"}, {2, "SI Map 3"}, {4, "SI Map 5"}, {-1, "SI Map 1"}, {5, "SI Map 1"}};
  for (const auto& c : cases) EXPECT_EQ(simMapNameForEntry(c.entry), c.name) << c.entry;
}

TEST(SingleSimPath, DefaultFromTheProgramFolderOthersFromTheSimFolder) {
  test::TempFolder folder;
  const Workspace workspace =
      workspaceAt((folder.path() / "program").string(), (folder.path() / "home").string());
  fs::create_directories(workspace.programFolder);
  fs::create_directories(workspace.sim);
  std::ofstream(fs::path(workspace.programFolder) / "Default.SIM") << "w";
  // A SIM of the same name in the program folder must not take the place
  // of the SIM folder's file the user picked.
  std::ofstream(fs::path(workspace.programFolder) / "Alpha.SIM") << "w";
  std::ofstream(fs::path(workspace.sim) / "Alpha.SIM") << "w";
  std::ofstream(fs::path(workspace.sim) / "beta.sim") << "w";

  const SimList list = fillSimList(workspace.sim, true);
  ASSERT_EQ(list.items, (std::vector<std::string>{"Default", "Alpha", "beta"}));
  EXPECT_EQ(singleSimPath(list, 0, workspace), workspace.programFolder + "/Default.SIM");
  EXPECT_EQ(singleSimPath(list, 1, workspace), workspace.sim + "/Alpha.SIM");
  EXPECT_EQ(singleSimPath(list, 2, workspace), workspace.sim + "/beta.sim");
  EXPECT_EQ(singleSimPath(list, 3, workspace), "");
  EXPECT_EQ(singleSimPath(list, -1, workspace), "");

  const SimList empty = fillSimList((folder.path() / "none").string(), false);
  ASSERT_EQ(empty.count, 0);
  EXPECT_EQ(singleSimPath(empty, 0, workspace), "");  // the placeholder is no SIM
}

}  // namespace
}  // namespace stridewell
