// Dataset names (trimming, the nine forbidden characters), the dataset's
// path, the listing of the DATASETS folder and the existence test.
#include "datasets/dataset_name.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/workspace.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;

void touch(const fs::path& path, const std::string& bytes = "x") {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

Workspace workspaceIn(const fs::path& datasets) {
  Workspace workspace;
  workspace.datasets = datasets.string();
  return workspace;
}

TEST(DatasetName, TrimmingAndTheNameRules) {
  struct Case {
    std::string text;
    std::string trimmed;
    DatasetNameFault fault;
  };
  const Case cases[] = {
      {"Train", "Train", DatasetNameFault::kNone},
      {"  Train 2024\t", "Train 2024", DatasetNameFault::kNone},
      {"\r\n\v\f Big one \n", "Big one", DatasetNameFault::kNone},
      {"a.b-c_d (1)", "a.b-c_d (1)", DatasetNameFault::kNone},
      {"", "", DatasetNameFault::kEmpty},
      {"   ", "", DatasetNameFault::kEmpty},
      {" \t\r\n ", "", DatasetNameFault::kEmpty},
      {"a?b", "a?b", DatasetNameFault::kForbiddenCharacter},
      {"a*b", "a*b", DatasetNameFault::kForbiddenCharacter},
      {"a<b", "a<b", DatasetNameFault::kForbiddenCharacter},
      {"a\"b", "a\"b", DatasetNameFault::kForbiddenCharacter},
      {"a>b", "a>b", DatasetNameFault::kForbiddenCharacter},
      {"a/b", "a/b", DatasetNameFault::kForbiddenCharacter},
      {"a\\b", "a\\b", DatasetNameFault::kForbiddenCharacter},
      {"a:b", "a:b", DatasetNameFault::kForbiddenCharacter},
      {"a|b", "a|b", DatasetNameFault::kForbiddenCharacter},
      {" ../up ", "../up", DatasetNameFault::kForbiddenCharacter},
      {"|", "|", DatasetNameFault::kForbiddenCharacter},
      // Names that are folders, or that no dataset file could carry.
      {".", ".", DatasetNameFault::kDotName},
      {" .. ", "..", DatasetNameFault::kDotName},
      {"...", "...", DatasetNameFault::kNone},
      {"..x", "..x", DatasetNameFault::kNone},
      {"x.DSI", "x.DSI", DatasetNameFault::kExtension},
      {"x.dsi ", "x.dsi", DatasetNameFault::kExtension},
      {".Dsi", ".Dsi", DatasetNameFault::kExtension},
      {"x.DSIx", "x.DSIx", DatasetNameFault::kNone},
      {"x.DS", "x.DS", DatasetNameFault::kNone},
      {"a\tb", "a\tb", DatasetNameFault::kControlCharacter},
      {"a\nb", "a\nb", DatasetNameFault::kControlCharacter},
      {std::string("a\0b", 3), std::string("a\0b", 3), DatasetNameFault::kControlCharacter},
      {"a\x1f", "a\x1f", DatasetNameFault::kControlCharacter},
      {"a\x7f", "a\x7f", DatasetNameFault::kControlCharacter},
      {"caf\xc3\xa9", "caf\xc3\xa9", DatasetNameFault::kNone},
      {std::string(238, 'n'), std::string(238, 'n'), DatasetNameFault::kNone},
      {std::string(239, 'n'), std::string(239, 'n'), DatasetNameFault::kTooLong},
      {std::string(236, 'n') + "\xc3\xa9", std::string(236, 'n') + "\xc3\xa9", DatasetNameFault::kNone},
      {std::string(237, 'n') + "\xc3\xa9", std::string(237, 'n') + "\xc3\xa9", DatasetNameFault::kTooLong},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("name \"" + c.text + "\"");
    EXPECT_EQ(trimDatasetName(c.text), c.trimmed);
    EXPECT_EQ(checkDatasetName(c.text), c.fault);
  }
}

TEST(DatasetName, ExactlyTheNineCharactersAreForbidden) {
  int forbidden = 0;
  for (int c = 1; c < 256; ++c) {
    const std::string name = std::string("a") + static_cast<char>(c) + "b";
    if (hasForbiddenNameCharacter(name)) ++forbidden;
  }
  EXPECT_EQ(forbidden, 9);
  EXPECT_EQ(kForbiddenNameCharacters.size(), 9u);
}

TEST(DatasetName, PathIsTheNameWithItsExtensionInDatasets) {
  struct Case {
    std::string folder;
    std::string name;
    std::string path;
  };
  const Case cases[] = {
      {"/home/u/ws/DATASETS", "Train", "/home/u/ws/DATASETS/Train.DSI"},
      {"/home/u/ws/DATASETS/", "Train", "/home/u/ws/DATASETS/Train.DSI"},
      {"/w/DATASETS", "two words", "/w/DATASETS/two words.DSI"},
  };
  for (const auto& c : cases) {
    Workspace workspace;
    workspace.datasets = c.folder;
    EXPECT_EQ(datasetPath(workspace, c.name), c.path);
  }
}

TEST(DatasetList, DatasetFilesOnlySortedIgnoringCase) {
  test::TempFolder temp;
  const fs::path folder = temp.path() / "DATASETS";
  fs::create_directories(folder);
  for (const char* file : {"cherry.DSI", "Banana.DSI", "apple.DSI", "Apple.DSI", "x y.DSI"})
    touch(folder / file);
  // Not datasets: another extension or letter case, a longer ending, no
  // name, a folder, a dangling link.
  for (const char* file : {"lower.dsi", "Mixed.Dsi", "notes.txt", "old.DSI.bak", "DSI", ".DSI"}) {
    touch(folder / file);
  }
  fs::create_directories(folder / "folder.DSI");
  fs::create_symlink(folder / "missing-target", folder / "dangling.DSI");
  // A link to a dataset file is a dataset.
  touch(temp.path() / "elsewhere");
  fs::create_symlink(temp.path() / "elsewhere", folder / "linked.DSI");

  EXPECT_EQ(listDatasets(workspaceIn(folder)),
            (std::vector<std::string>{"Apple", "apple", "Banana", "cherry", "linked", "x y"}));
}

TEST(DatasetList, EmptyOrMissingFolderGivesNoNames) {
  test::TempFolder temp;
  EXPECT_TRUE(listDatasets(workspaceIn(temp.path())).empty());
  EXPECT_TRUE(listDatasets(workspaceIn(temp.path() / "absent")).empty());
  EXPECT_TRUE(listDatasets(Workspace{}).empty()) << "an empty folder path is not the current folder";
  EXPECT_EQ(kNoDatasetsPlaceholder, "<No datasets have been created.>");
}

TEST(DatasetExists, OnlyAReadableRegularFile) {
  test::TempFolder temp;
  const fs::path folder = temp.path();
  const Workspace workspace = workspaceIn(folder);
  touch(folder / "Here.DSI", "");
  fs::create_directories(folder / "Folder.DSI");
  touch(folder / "lower.dsi");
  ASSERT_EQ(::mkfifo((folder / "Pipe.DSI").c_str(), 0600), 0);

  EXPECT_TRUE(datasetExists(workspace, "Here")) << "an empty dataset still exists";
  EXPECT_FALSE(datasetExists(workspace, "Absent"));
  EXPECT_FALSE(datasetExists(workspace, "Folder"));
  EXPECT_FALSE(datasetExists(workspace, "Pipe")) << "and must not hang waiting for a writer";
  EXPECT_FALSE(datasetExists(workspace, "lower")) << "the program's files end in .DSI exactly";

  if (::geteuid() != 0) {  // root reads anything
    touch(folder / "Locked.DSI");
    fs::permissions(folder / "Locked.DSI", fs::perms::none);
    EXPECT_FALSE(datasetExists(workspace, "Locked"));
  }
}

}  // namespace
}  // namespace stridewell
