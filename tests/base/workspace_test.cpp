// The program's folders: where the Workspace goes, creating it (and failing
// clearly when a name is taken), the start-up clean-up that must remove
// exactly the scratch files, path joining and the file-name wildcards.
#include "base/workspace.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "support/recording_interaction.h"
#include "support/scoped_environment.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using test::RecordingInteraction;
using test::ScopedEnvironment;
using test::TempFolder;

void touch(const fs::path& path) {
  std::ofstream(path) << "x";
}

std::vector<std::string> folderNames(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Runs `body` with the current folder set to `folder`.
template <typename Body>
void inFolder(const fs::path& folder, Body body) {
  const fs::path before = fs::current_path();
  fs::current_path(folder);
  body();
  fs::current_path(before);
}

TEST(Workspace, JoinPathPutsOneSlashBetween) {
  struct Case {
    std::string folder;
    std::string name;
    std::string joined;
  };
  const Case kCases[] = {
      {"", "ABC1234.TCF", "ABC1234.TCF"},        {"/ws", "PREDICT", "/ws/PREDICT"},
      {"/ws/", "PREDICT", "/ws/PREDICT"},        {"/ws", "/SIMPAT.DAT", "/ws/SIMPAT.DAT"},
      {"/ws/", "/SIMPAT.DAT", "/ws/SIMPAT.DAT"}, {"/", "tmp", "/tmp"},
      {"relative", "x", "relative/x"},           {"/a b/c;d", "e'f", "/a b/c;d/e'f"},
      {"C:\\CARDS", "X.TCF", "C:\\CARDS/X.TCF"},  // a backslash is part of a name here
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(joinPath(c.folder, c.name), c.joined) << '"' << c.folder << "\" + \"" << c.name << '"';
  }
}

TEST(Workspace, FilePatternsIgnoreLetterCase) {
  struct Case {
    const char* name;
    const char* pattern;
    bool matches;
  };
  const Case kCases[] = {
      {"SAX0315.TXT", "*.TXT", true},
      {"sax0315.txt", "*.TXT", true},  // what a user or another tool left in lower case goes too
      {"Sax0315.Txt", "*.TXT", true},
      {".TXT", "*.TXT", true},
      {"SAX0315.TXT.BAK", "*.TXT", false},
      {"SAX0315TXT", "*.TXT", false},
      {"SAX0315.TX", "*.TXT", false},
      {"README", "*.*", true},  // "*.*" is every name
      {"a.b.c", "*.*", true},
      {".hidden", "*", true},
      {"ABC", "ABC.*", true},
      {"ABC.ZIP", "ABC.*", true},
      {"ABCD", "ABC.*", false},
      {"ABC1234M.ZIP", "???????M.ZIP", true},
      {"abc1234m.zip", "???????M.ZIP", true},
      {"ABC123M.ZIP", "???????M.ZIP", false},
      {"ABC12345M.ZIP", "???????M.ZIP", false},
      {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*a*a*c", false},
      {"x", "", false},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(matchesFilePattern(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
  }
}

TEST(Workspace, DeleteMatchingFilesRemovesOnlyMatchingFiles) {
  TempFolder temp;
  const fs::path folder = temp.path() / "PREDICT";
  const fs::path outside = temp.path() / "outside";
  fs::create_directories(folder / "KEEP.TXT");  // a folder, even with a matching name
  fs::create_directories(outside);
  touch(outside / "target.txt");
  for (const char* name : {"A.TXT", "b.txt", "C.Txt", "notes.md", "D.TXT.BAK", "E.TXTX"})
    touch(folder / name);
  fs::create_symlink(outside / "target.txt", folder / "LINK.TXT");

  EXPECT_EQ(deleteMatchingFiles(folder.string(), "*.TXT"), 4);
  EXPECT_EQ(folderNames(folder), (std::vector<std::string>{"D.TXT.BAK", "E.TXTX", "KEEP.TXT", "notes.md"}));
  EXPECT_TRUE(fs::exists(outside / "target.txt")) << "a link is removed, not what it points to";
  EXPECT_EQ(deleteMatchingFiles(folder.string(), "*.TXT"), 0);
  EXPECT_EQ(deleteMatchingFiles((temp.path() / "missing").string(), "*"), 0);
}

TEST(Workspace, AnEmptyFolderNameIsNeverTakenAsTheCurrentFolder) {
  TempFolder temp;
  touch(temp.path() / "USER.TXT");
  fs::create_directories(temp.path() / "sub");
  touch(temp.path() / "sub" / "x");
  inFolder(temp.path(), [] {
    EXPECT_EQ(deleteMatchingFiles("", "*.TXT"), 0);
    Workspace empty;
    clearScratchFolders(empty);
  });
  EXPECT_TRUE(fs::exists(temp.path() / "USER.TXT"));
  EXPECT_TRUE(fs::exists(temp.path() / "sub" / "x"));
}

TEST(Workspace, StartUpClearsReportsAndUnpackedFilesAndNothingElse) {
  TempFolder temp;
  const Workspace workspace = workspaceAt("/opt/stridewell", temp.path().string());
  RecordingInteraction ui;
  ASSERT_TRUE(createWorkspaceFolders(workspace, ui));
  const fs::path predict = workspace.predict;
  const fs::path unzip = workspace.unzip;
  const fs::path outside = temp.path() / "cards";
  fs::create_directories(outside / "deep");
  touch(outside / "SAX0315.TCF");
  touch(outside / "deep" / "kept");

  for (const char* name : {"SAX0315.TXT", "old.txt", "SAX0315.DAT", "notes"}) touch(predict / name);
  fs::create_directories(predict / "ARCHIVE");
  touch(predict / "ARCHIVE" / "OLD.TXT");
  for (const char* name : {"SAX0315.TCF", "SAX0315.XRD", ".hidden", "NOEXT"}) touch(unzip / name);
  fs::create_directories(unzip / "nested" / "deeper");
  touch(unzip / "nested" / "deeper" / "X.TCF");
  fs::create_symlink(outside, unzip / "linked-folder");
  fs::create_symlink(outside / "SAX0315.TCF", unzip / "linked-file.TCF");
  touch(workspace.sim + "/MINE.SIM");
  touch(workspace.datasets + "/MINE.DSI");
  touch(workspace.temp + "/bets.txt");

  clearScratchFolders(workspace);
  EXPECT_EQ(folderNames(predict), (std::vector<std::string>{"ARCHIVE", "SAX0315.DAT", "notes"}));
  EXPECT_TRUE(fs::exists(predict / "ARCHIVE" / "OLD.TXT"));
  EXPECT_TRUE(folderNames(unzip).empty());
  // What the links pointed at is the user's: untouched.
  EXPECT_TRUE(fs::exists(outside / "SAX0315.TCF"));
  EXPECT_TRUE(fs::exists(outside / "deep" / "kept"));
  EXPECT_TRUE(fs::exists(workspace.sim + "/MINE.SIM"));
  EXPECT_TRUE(fs::exists(workspace.datasets + "/MINE.DSI"));
  EXPECT_TRUE(fs::exists(workspace.temp + "/bets.txt"));
  EXPECT_TRUE(ui.empty());
}

TEST(Workspace, FoldersAreMadeInOrderAndANameTakenByAFileStopsThem) {
  const std::vector<std::string> order = {"PREDICT", "DATASETS", "SIM", "UNZIP", "TRAINDATA", "TEMP"};
  for (size_t blocked = 0; blocked < order.size(); ++blocked) {
    TempFolder temp;
    const fs::path base = temp.path() / "ws";
    fs::create_directories(base);
    touch(base / order[blocked]);
    RecordingInteraction ui;
    EXPECT_FALSE(createWorkspaceFolders(workspaceAt("", base.string()), ui)) << order[blocked];
    const std::vector<RecordingInteraction::Call> expected = {
        {RecordingInteraction::Kind::kError, "ERROR",
         "Cannot create folder " + (base / order[blocked]).string() + ": Not a directory"}};
    EXPECT_EQ(ui.calls(), expected) << order[blocked];
    for (size_t i = 0; i < order.size(); ++i) {
      if (i == blocked) continue;
      EXPECT_EQ(fs::is_directory(base / order[i]), i < blocked)
          << order[i] << " with " << order[blocked] << " blocked";
    }
  }
}

TEST(Workspace, TheBaseIsMadeWithItsParentsAndExistingFoldersAreFine) {
  TempFolder temp;
  const fs::path base = temp.path() / "home" / ".local" / "share" / "stridewell";
  const Workspace workspace = workspaceAt("/usr/bin", base.string());
  RecordingInteraction ui;
  ASSERT_TRUE(createWorkspaceFolders(workspace, ui));
  for (const std::string* folder : {&workspace.predict, &workspace.datasets, &workspace.sim, &workspace.unzip,
                                    &workspace.trainData, &workspace.temp}) {
    EXPECT_TRUE(fs::is_directory(*folder)) << *folder;
  }
  // Again, with the SIM folder a link to a folder elsewhere: all fine.
  fs::remove(workspace.sim);
  fs::create_directories(temp.path() / "sims");
  fs::create_symlink(temp.path() / "sims", workspace.sim);
  EXPECT_TRUE(createWorkspaceFolders(workspace, ui));
  EXPECT_TRUE(ui.empty()) << ui.calls().front();

  // A plain file where a parent should be is named in the message.
  TempFolder other;
  touch(other.path() / "home");
  const fs::path blockedBase = other.path() / "home" / "stridewell";
  EXPECT_FALSE(createWorkspaceFolders(workspaceAt("", blockedBase.string()), ui));
  EXPECT_EQ(ui.errors(), std::vector<std::string>{"Cannot create folder " + (other.path() / "home").string() +
                                                  ": Not a directory"});

  // Without a base there is nothing sensible to make.
  ui.clear();
  EXPECT_FALSE(createWorkspaceFolders(workspaceAt("", ""), ui));
  ASSERT_EQ(ui.errors().size(), 1u);
  EXPECT_NE(ui.errors().front().find("STRIDEWELL_HOME"), std::string::npos) << ui.errors().front();
}

TEST(Workspace, MakeFolder) {
  TempFolder temp;
  touch(temp.path() / "file");
  struct Case {
    fs::path path;
    bool made;
    const char* reason;  // the system's reason the message ends with
  };
  const Case kCases[] = {
      {temp.path() / "new", true, ""},
      {temp.path() / "new", true, ""},  // existing: fine
      {temp.path() / "file", false, "Not a directory"},
      {temp.path() / "missing" / "child", false, "No such file or directory"},  // one level only
      {"", false, "No such file or directory"},
  };
  for (const Case& c : kCases) {
    RecordingInteraction ui;
    EXPECT_EQ(makeFolder(c.path.string(), ui), c.made) << c.path;
    if (c.made) {
      EXPECT_TRUE(ui.empty()) << c.path;
      EXPECT_TRUE(fs::is_directory(c.path));
    } else {
      EXPECT_EQ(ui.errors(),
                std::vector<std::string>{"Cannot create folder " + c.path.string() + ": " + c.reason});
    }
  }
}

TEST(Workspace, TheBaseComesFromTheEnvironment) {
  const std::string here = fs::current_path().string();
  struct Case {
    const char* own;
    const char* dataHome;
    const char* home;
    std::string base;
  };
  const Case kCases[] = {
      {"/srv/stridewell", "/data", "/home/u", "/srv/stridewell"},
      {"ws", "/data", "/home/u", here + "/ws"},  // made absolute: other programs get these paths
      {"", "/data", "/home/u", "/data/stridewell"},
      {nullptr, "/data", "/home/u", "/data/stridewell"},
      {nullptr, "data", "/home/u", "/home/u/.local/share/stridewell"},  // relative: ignored
      {nullptr, nullptr, "/home/u", "/home/u/.local/share/stridewell"},
      {nullptr, "", "/home/u/", "/home/u/.local/share/stridewell"},
  };
  for (const Case& c : kCases) {
    ScopedEnvironment own("STRIDEWELL_HOME", c.own);
    ScopedEnvironment dataHome("XDG_DATA_HOME", c.dataHome);
    ScopedEnvironment home("HOME", c.home);
    EXPECT_EQ(defaultWorkspaceBase(), c.base)
        << (c.own ? c.own : "-") << " " << (c.dataHome ? c.dataHome : "-");
  }
  {
    ScopedEnvironment home("HOME", "/home/u");
    EXPECT_EQ(setting::defaultFolder(), "/home/u");
    EXPECT_EQ(homeFolder(), "/home/u");
  }
  {
    // Without HOME the password entry still gives a home folder.
    ScopedEnvironment home("HOME", nullptr);
    EXPECT_FALSE(homeFolder().empty());
  }
}

TEST(Workspace, PathsHangFromTheBaseAndTheProgramFolderHoldsTheProgram) {
  const Workspace workspace = workspaceAt("/opt/sw", "/home/u/.local/share/stridewell");
  EXPECT_EQ(workspace.programFolder, "/opt/sw");
  EXPECT_EQ(workspace.base, "/home/u/.local/share/stridewell");
  EXPECT_EQ(workspace.sim, "/home/u/.local/share/stridewell/SIM");
  EXPECT_EQ(workspace.predict, "/home/u/.local/share/stridewell/PREDICT");
  EXPECT_EQ(workspace.datasets, "/home/u/.local/share/stridewell/DATASETS");
  EXPECT_EQ(workspace.unzip, "/home/u/.local/share/stridewell/UNZIP");
  EXPECT_EQ(workspace.trainData, "/home/u/.local/share/stridewell/TRAINDATA");
  EXPECT_EQ(workspace.temp, "/home/u/.local/share/stridewell/TEMP");

  const std::string folder = programFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.front(), '/');
  EXPECT_NE(folder.back(), '/');
  EXPECT_TRUE(fs::is_regular_file(fs::path(folder) / "base_tests")) << folder;
}

TEST(Workspace, ShippedFilesAreBesideTheProgramElseInTheInstalledShareFolder) {
  // Fake trees under one root: "bin" is the executable's folder; "sim" puts
  // a Default.SIM there, "dir" a folder of that name (no SIM).
  struct Case {
    const char* name;
    std::vector<std::string> sims;     // folders (from the root) holding Default.SIM
    std::vector<std::string> folders;  // folders (from the root) with a folder called Default.SIM
    const char* want;                  // from the root
  };
  const std::vector<Case> cases = {
      {"build tree: the SIM beside the program", {"bin"}, {}, "bin"},
      {"installed: PREFIX/share/stridewell", {"share/stridewell"}, {}, "share/stridewell"},
      {"both: beside the program wins", {"bin", "share/stridewell"}, {}, "bin"},
      {"neither: the program's own folder", {}, {}, "bin"},
      {"a folder named Default.SIM is no SIM", {}, {"share/stridewell"}, "bin"},
      {"only PREFIX/share counts, not a share folder beside", {"bin/share/stridewell"}, {}, "bin"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder temp;
    const fs::path root = temp.path();
    fs::create_directories(root / "bin");
    for (const std::string& folder : c.sims) {
      fs::create_directories(root / folder);
      touch(root / folder / "Default.SIM");
    }
    for (const std::string& folder : c.folders) fs::create_directories(root / folder / "Default.SIM");
    const std::string want = (root / c.want).string();
    EXPECT_EQ(shippedFilesFolder((root / "bin").string()), want);
    EXPECT_EQ(workspaceAt((root / "bin").string(), "/home/u/sw").programFolder, want);
  }
  EXPECT_EQ(shippedFilesFolder(""), "");
}

TEST(SettingKeys, AFreshUserStartsMaximisedWithTheFirstMapAndTheHomeFolder) {
  TempFolder temp;
  ScopedEnvironment home("HOME", "/home/fresh");
  const SettingsStore store((temp.path() / "none.conf").string());
  EXPECT_TRUE(store.readFlag(kSettingsSection, setting::kMaximize, setting::kMaximizeDefault));
  EXPECT_EQ(store.read(setting::kSimMapName, setting::kSimMapNameDefault), "SI Map 1");
  EXPECT_EQ(store.read(setting::kImportFolder, setting::defaultFolder()), "/home/fresh");
  EXPECT_EQ(store.read(setting::kDatasetFolder, setting::defaultFolder()), "/home/fresh");
  EXPECT_TRUE(store.readFlag(kSettingsSection, setting::kSingleSim, setting::kSingleSimDefault));
  EXPECT_FALSE(store.readFlag(kSettingsSection, setting::kUseMaps, setting::kUseMapsDefault));
  EXPECT_FALSE(store.readFlag(kSettingsSection, setting::kDryOnly, setting::kDryOnlyDefault));
  EXPECT_EQ(store.read(setting::kSimName, setting::kSimNameDefault), "Default");
}

}  // namespace
}  // namespace stridewell
