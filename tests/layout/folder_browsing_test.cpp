// The card-folder browser's file-system side: the starting places offered
// in place of drives, which place holds a folder, the way up, and the walk
// that finds the folder of the newest card file (hidden folders, links,
// ties, cancelling), and what a path typed into the browser stands for.
#include "layout/folder_browsing.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using Places = std::vector<std::string>;

TEST(StartingPlaces, RootHomeAndMountedVolumes) {
  const std::string mounts =
      "/dev/sda1 / ext4 rw 0 0\n"
      "proc /proc proc rw 0 0\n"
      "tmpfs /run/user/1000 tmpfs rw 0 0\n"
      "/dev/sda2 /boot ext4 rw 0 0\n"
      "/dev/sdb1 /media/u/CARD\\040DISK vfat rw 0 0\n"
      "/dev/sdc1 /mnt/data/ ext4 rw 0 0\n"
      "//server/share /mnt/share cifs rw 0 0\n"
      "/dev/sdd1 /run/media/u/STICK exfat rw 0 0\n"
      "/dev/sdc1 /mnt/data ext4 rw 0 0\n"
      "garbage\n";
  EXPECT_EQ(startingPlacesFrom(mounts, "/home/u"),
            (Places{"/", "/home/u", "/media/u/CARD DISK", "/mnt/data", "/run/media/u/STICK"}));
  EXPECT_EQ(startingPlacesFrom("", ""), (Places{"/"}));
  EXPECT_EQ(startingPlacesFrom("", "/"), (Places{"/"}));
  EXPECT_EQ(startingPlaces().front(), "/");
}

TEST(StartingPlaces, ThePlaceHoldingAFolderIsTheLongestThatContainsIt) {
  const Places places{"/", "/home/u", "/media/u/STICK"};
  const struct {
    const char* folder;
    int place;
  } cases[] = {
      {"/", 0},
      {"/home/u", 1},
      {"/home/u/", 1},
      {"/home/u/cards/2024", 1},
      {"/home/uv", 0},  // a name that only begins like the home folder
      {"/media/u/STICK/cards", 2},
      {"/usr/share", 0},
      {"relative/path", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(placeHolding(places, c.folder), c.place) << c.folder;
}

TEST(ParentFolder, OneLevelUpAndNothingAboveTheRoot) {
  const struct {
    const char* folder;
    const char* parent;
  } cases[] = {
      {"/a/b", "/a"}, {"/a/b/", "/a"}, {"/a", "/"}, {"/", ""}, {"//", ""}, {"a/b", "a"}, {"a", ""}, {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(parentFolder(c.folder), c.parent) << c.folder;
}

TEST(NearestExistingFolder, TheFolderOrTheNearestParentLeft) {
  test::TempFolder folder;
  const std::string base = folder.path().string();
  fs::create_directories(folder.path() / "kept");
  std::ofstream(folder.path() / "file") << "x";
  const struct {
    std::string folder;
    std::string shown;
  } cases[] = {
      {base + "/kept", base + "/kept"},
      {base + "/kept/gone/deeper", base + "/kept"},  // removed since it was shown
      {base + "/file", base},                        // a file is not a folder
      {base + "/file/below", base},
      {"", "/"},
      {"/", "/"},
  };
  for (const auto& c : cases) EXPECT_EQ(nearestExistingFolder(c.folder), c.shown) << c.folder;
}

TEST(ResolveTypedPath, FoldersAndCardFilesInTheFormsUsersTypeOrPaste) {
  test::TempFolder folder;
  const std::string base = folder.path().string();
  const std::string spaced = base + "/Rennen M\xC3\xA4rz 2026";  // a blank and a non-ASCII letter
  fs::create_directories(spaced);
  fs::create_directories(folder.path() / "cards");
  for (const char* name : {"SAX0313.TCF", "sax0314.tcf", "SAX0316M.ZIP", "SAX0313.XRD", "NOTES.TXT"}) {
    std::ofstream(folder.path() / "cards" / name) << "x";
  }
  const std::string cards = base + "/cards";
  const std::string home = base;
  const struct {
    std::string text;
    std::string folder;
    std::string fileName;
  } cases[] = {
      {cards, cards, ""},
      {"  " + cards + "//  ", cards, ""},  // blanks around and a final slash
      {"'" + cards + "'", cards, ""},      // as a shell quotes it
      {"\"" + spaced + "\"", spaced, ""},
      {"file://" + base + "/Rennen%20M%C3%A4rz%202026", spaced, ""},  // as a file manager copies it
      {"file://localhost" + cards, cards, ""},
      {"~/cards", cards, ""},
      {"~", home, ""},
      {"cards", cards, ""},  // relative to the folder shown (base)
      {cards + "/../cards/./", cards, ""},
      {cards + "/SAX0313.TCF", cards, "SAX0313.TCF"},
      {cards + "/sax0314.tcf", cards, "SAX0314.TCF"},   // listed in upper case
      {cards + "/SAX0316M.ZIP", cards, "SAX0316.TCF"},  // an archive under its card's name
      {cards + "/SAX0313.XRD", cards, "SAX0313.XRD"},
      {"", "", ""},  // nothing typed: nothing to show, nothing wrong
  };
  for (const auto& c : cases) {
    const TypedPath typed = resolveTypedPath(c.text, base, home);
    EXPECT_EQ(typed.folder, c.folder) << c.text;
    EXPECT_EQ(typed.fileName, c.fileName) << c.text;
    EXPECT_EQ(typed.problem, "") << c.text;
  }
}

TEST(ResolveTypedPath, WhatCannotBeShownSaysWhyAndNamesThePath) {
  test::TempFolder folder;
  const std::string base = folder.path().string();
  std::ofstream(folder.path() / "NOTES.TXT") << "x";
  std::ofstream(folder.path() / "SAX0313.TCF") << "x";
  const struct {
    std::string text;
    std::string problem;
  } cases[] = {
      {base + "/gone", "Cannot open " + base + "/gone: No such file or directory"},
      {base + "/SAX0313.TCF/below", "Cannot open " + base + "/SAX0313.TCF/below: Not a directory"},
      {base + "/NOTES.TXT", base + "/NOTES.TXT is neither a folder nor a card or results file"},
      {"/dev/null", "/dev/null is neither a folder nor a card or results file"},
  };
  for (const auto& c : cases) {
    const TypedPath typed = resolveTypedPath(c.text, base, base);
    EXPECT_EQ(typed.problem, c.problem) << c.text;
    EXPECT_EQ(typed.folder, "") << c.text;
    EXPECT_EQ(typed.fileName, "") << c.text;
  }
  // A folder that cannot be read (not for root, who reads everything).
  const fs::path locked = folder.path() / "locked";
  fs::create_directories(locked);
  fs::permissions(locked, fs::perms::none);
  if (::geteuid() != 0) {
    const TypedPath typed = resolveTypedPath(locked.string(), base, base);
    EXPECT_EQ(typed.problem, "Cannot read folder " + locked.string() + ": Permission denied");
    EXPECT_EQ(typed.folder, "");
  }
  fs::permissions(locked, fs::perms::owner_all);
}

class NewestCardSearchTest : public ::testing::Test {
 protected:
  // A file written `age` seconds before a fixed moment.
  void write(const std::string& relative, int age) {
    const fs::path path = folder_.path() / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
    fs::last_write_time(path, base_ - std::chrono::seconds(age));
  }
  std::string root() const { return folder_.path().string(); }
  std::string at(const std::string& relative) const { return (folder_.path() / relative).string(); }

  test::TempFolder folder_;
  fs::file_time_type base_ = fs::file_time_type::clock::now();
};

TEST_F(NewestCardSearchTest, FindsTheFolderOfTheNewestCardOrArchive) {
  write("2023/SAX0101.TCF", 500);
  write("2024/march/SAX0313.TCF", 300);
  write("2024/april/SAX0401M.ZIP", 100);  // an archive counts as its card
  write("2024/april/extra/notes.TCF.txt", 1);
  write("2024/may/SAX0501.XRD", 10);  // results files do not count
  write("2024/may/SAX0502X.ZIP", 10);
  write("2024/may/AB12345M.ZIP", 10);  // not an archive name
  const NewestCardSearch search = findNewestCardFolder(root(), nullptr);
  EXPECT_FALSE(search.cancelled);
  EXPECT_EQ(search.folder, at("2024/april"));
}

TEST_F(NewestCardSearchTest, SkipsHiddenFoldersAndLinksAndKeepsTheFirstOfATie) {
  write("cards/SAX0313.TCF", 100);
  write(".cache/SAX0999.TCF", 1);
  write("cards/.old/SAX0998.TCF", 1);
  write("elsewhere/deep/SAX0997.TCF", 50);
  fs::create_directory_symlink(at("elsewhere/deep"), at("cards/link"));
  // A link back up would make an endless walk if links were followed.
  fs::create_directory_symlink(root(), at("cards/loop"));
  EXPECT_EQ(findNewestCardFolder(root(), nullptr).folder, at("elsewhere/deep"));
  EXPECT_EQ(findNewestCardFolder(at("cards"), nullptr).folder, at("cards"));

  write("tie/a/SAX0001.TCF", 20);
  write("tie/b/SAX0002.TCF", 20);
  const std::string tie = findNewestCardFolder(at("tie"), nullptr).folder;
  EXPECT_TRUE(tie == at("tie/a") || tie == at("tie/b")) << tie;
}

TEST_F(NewestCardSearchTest, NothingFoundAndCancelling) {
  write("a/readme.txt", 1);
  EXPECT_EQ(findNewestCardFolder(root(), nullptr).folder, "");
  EXPECT_EQ(findNewestCardFolder(at("missing"), nullptr).folder, "");

  for (int i = 0; i < 40; ++i) write("many/SAX" + std::to_string(1000 + i) + ".TCF", 40 - i);
  int calls = 0;
  const NewestCardSearch stopped = findNewestCardFolder(root(), [&calls] { return ++calls < 2; });
  EXPECT_TRUE(stopped.cancelled);
  EXPECT_EQ(calls, 2);  // asked every eighth entry, and not again after "stop"

  int asked = 0;
  const NewestCardSearch finished = findNewestCardFolder(root(), [&asked] { return ++asked > 0; });
  EXPECT_FALSE(finished.cancelled);
  EXPECT_EQ(finished.folder, at("many"));
  EXPECT_GE(asked, 40 / 8);
}

}  // namespace
}  // namespace stridewell
