// Folder listings for the file pickers: archives shown under their plain
// names and counted once with their plain files, names in any case shown
// upper case, hidden entries and non-files left out, and each table held to
// 2,000 names whatever the folder holds.
#include "base/card_folder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/archive_test_support.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using test::TempFolder;
using test::writeFile;

TEST(CardFolder, ListsEachFileOnceUnderItsPlainName) {
  TempFolder temp;
  const fs::path& folder = temp.path();
  for (const char* name :
       {"ABC1234.TCF", "ABC1234M.ZIP",                   // a plain card and its archive
        "abc5678m.zip",                                  // an archive only, lower case
        "def0001.tcf", "DEF0001M.ZIP",                   // plain lower case, archive upper
        "XYZ0001X.ZIP", "xyz0001.xrd",                   // results, both forms
        "XYZ0002X.ZIP",                                  // results archive only
        "ABC123M.ZIP", "ABC1234Q.ZIP", "ABC1234MX.ZIP",  // not archives of ours
        "notes.txt", "ABC1234", ".hidden.TCF", ".HID1234M.ZIP", ".XYZ0003.XRD"}) {  // hidden
    writeFile(folder / name, "x");
  }
  for (const char* name : {"2026", "Sub Folder", "FOLDER1.TCF", ".git"}) fs::create_directory(folder / name);
  ASSERT_EQ(::mkfifo((folder / "PIP1234.TCF").c_str(), 0644), 0);  // would block whoever opens it
  fs::create_symlink(folder / "2026", folder / "linked");
  fs::create_symlink(folder / "missing.TCF", folder / "DNG1234.TCF");  // dangling
  fs::create_symlink(folder / "ABC1234.TCF", folder / "LNK1234.TCF");

  const CardFolderList list = listCardFolder(folder.string());
  EXPECT_EQ(list.problem, "");
  EXPECT_FALSE(list.cut);
  EXPECT_EQ(list.cardFiles, (Names{"ABC1234.TCF", "ABC5678.TCF", "DEF0001.TCF", "LNK1234.TCF"}));
  EXPECT_EQ(list.resultsFiles, (Names{"XYZ0001.XRD", "XYZ0002.XRD"}));
  // Folders keep their names as on disk: they are joined to the path.
  EXPECT_EQ(list.subfolders, (Names{"2026", "FOLDER1.TCF", "Sub Folder", "linked"}));

  // A final '/' makes no difference.
  const CardFolderList again = listCardFolder(folder.string() + "/");
  EXPECT_EQ(again.cardFiles, list.cardFiles);
  EXPECT_EQ(again.subfolders, list.subfolders);
}

// An empty file, made as cheaply as the system allows: the test below makes
// thousands.
void touch(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  ASSERT_GE(fd, 0) << path;
  ::close(fd);
}

TEST(CardFolder, TablesStopAtTwoThousand) {
  TempFolder temp;
  const fs::path& folder = temp.path();
  char name[32];
  // 2,005 card names: 1,995 plain files, ten of them also as archives
  // (which must not take a second place), and ten archives alone.
  for (int i = 0; i < 1995; ++i) {
    std::snprintf(name, sizeof name, "ABC%04d.TCF", i);
    touch(folder / name);
  }
  for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 1995, 1996, 1997, 1998, 1999, 2000, 2001, 2002, 2003, 2004}) {
    std::snprintf(name, sizeof name, "abc%04dm.zip", i);
    touch(folder / name);
  }
  for (const char* results : {"XYZ0001.XRD", "XYZ0002X.ZIP"}) touch(folder / results);
  for (int i = 0; i < 2001; ++i) fs::create_directory(folder / ("d" + std::to_string(10000 + i)));

  const CardFolderList list = listCardFolder(folder.string());
  EXPECT_EQ(list.problem, "");
  EXPECT_TRUE(list.cut);
  ASSERT_EQ(list.cardFiles.size(), kMaxFolderListEntries);
  // The first names in order are kept, whatever order the system lists.
  EXPECT_EQ(list.cardFiles.front(), "ABC0000.TCF");
  EXPECT_EQ(list.cardFiles[1995], "ABC1995.TCF");  // an archive alone
  EXPECT_EQ(list.cardFiles.back(), "ABC1999.TCF");
  // A full table keeps no other from filling.
  EXPECT_EQ(list.resultsFiles, (Names{"XYZ0001.XRD", "XYZ0002.XRD"}));
  ASSERT_EQ(list.subfolders.size(), kMaxFolderListEntries);
  EXPECT_EQ(list.subfolders.front(), "d10000");
  EXPECT_EQ(list.subfolders.back(), "d11999");
}

TEST(CardFolder, UnreadableFolderIsNamed) {
  TempFolder temp;
  const std::string missing = (temp.path() / "no such folder").string();
  const CardFolderList list = listCardFolder(missing);
  EXPECT_NE(list.problem.find(missing), std::string::npos) << list.problem;
  EXPECT_TRUE(list.cardFiles.empty());
  EXPECT_TRUE(list.subfolders.empty());

  writeFile(temp.path() / "ABC1234.TCF", "x");
  const CardFolderList notAFolder = listCardFolder((temp.path() / "ABC1234.TCF").string());
  EXPECT_FALSE(notAFolder.problem.empty());
}

}  // namespace
}  // namespace stridewell
