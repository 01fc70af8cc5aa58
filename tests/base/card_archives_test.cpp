// Opening card and results files plain or from their archives: the plain
// file first (by its name on disk in any case), else the archive unpacked
// into UNZIP; and every way that can fail ending without a stream and
// without ever taking an old copy in UNZIP for the file.
#include "base/card_archives.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/workspace.h"
#include "support/archive_test_support.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using test::readStream;
using test::TempFolder;
using test::writeFile;

class CardArchivesTest : public ::testing::Test {
 protected:
  CardArchivesTest() : workspace_(test::makeWorkspace(temp_.path() / "home")) {
    cards_ = temp_.path() / "cards";
    fs::create_directories(cards_);
  }

  std::string card(const std::string& name) const { return (cards_ / name).string(); }
  fs::path unzipFolder() const { return workspace_.unzip; }

  TempFolder temp_;
  Workspace workspace_;
  fs::path cards_;
};

TEST_F(CardArchivesTest, ThePlainFileComesFirst) {
  writeFile(cards_ / "ABC1234.TCF", "plain\n");
  test::makeArchive(cards_ / "ABC1234M.ZIP", {{"ABC1234.TCF", "archived\n"}});
  OpenedFile opened = openCardFile(card("ABC1234.TCF"), workspace_);
  ASSERT_TRUE(opened) << opened.problem;
  EXPECT_EQ(readStream(*opened.stream), "plain\n");
  EXPECT_EQ(opened.path, card("ABC1234.TCF"));
  EXPECT_FALSE(opened.fromArchive());
  EXPECT_EQ(test::namesIn(unzipFolder()), Names{});  // nothing unpacked
}

TEST_F(CardArchivesTest, OnlyTheArchiveIsUnpackedIntoUnzip) {
  test::makeArchive(cards_ / "ABC1234M.ZIP", {{"ABC1234.TCF", "archived\n"}});
  // Named by the plain file or by the archive itself.
  for (const char* name : {"ABC1234.TCF", "ABC1234M.ZIP", "abc1234.tcf"}) {
    OpenedFile opened = openCardFile(card(name), workspace_);
    ASSERT_TRUE(opened) << name << ": " << opened.problem;
    EXPECT_EQ(readStream(*opened.stream), "archived\n") << name;
    EXPECT_EQ(opened.path, (unzipFolder() / "ABC1234.TCF").string()) << name;
    EXPECT_EQ(opened.archivePath, card("ABC1234M.ZIP")) << name;
    EXPECT_EQ(test::namesIn(unzipFolder()), Names{"ABC1234.TCF"}) << name;
  }
  // Once the file is done with, its copy goes.
  EXPECT_EQ(test::namesIn(unzipFolder()), Names{});
  EXPECT_EQ(test::namesIn(cards_), Names{"ABC1234M.ZIP"});  // the card folder is left alone
}

TEST_F(CardArchivesTest, NamesOnDiskInAnyCase) {
  writeFile(cards_ / "abc1234.tcf", "lower plain\n");
  test::makeArchive(cards_ / "def5678m.zip", {{"def5678.tcf", "lower archive\n"}});
  OpenedFile plain = openCardFile(card("ABC1234.TCF"), workspace_);
  ASSERT_TRUE(plain) << plain.problem;
  EXPECT_EQ(readStream(*plain.stream), "lower plain\n");
  EXPECT_EQ(plain.path, card("abc1234.tcf"));

  OpenedFile archived = openCardFile(card("DEF5678.TCF"), workspace_);
  ASSERT_TRUE(archived) << archived.problem;
  EXPECT_EQ(readStream(*archived.stream), "lower archive\n");
  // The copy keeps the member's name, so that storing it back replaces it.
  EXPECT_EQ(archived.path, (unzipFolder() / "def5678.tcf").string());
  EXPECT_EQ(archived.archivePath, card("def5678m.zip"));
}

TEST_F(CardArchivesTest, ResultsFilesUseTheirOwnArchives) {
  test::makeArchive(cards_ / "ABC1234X.ZIP", {{"ABC1234.XRD", "results\n"}});
  test::makeArchive(cards_ / "ABC1234M.ZIP", {{"ABC1234.TCF", "card\n"}});
  OpenedFile results = openResultsFile(card("ABC1234.XRD"), workspace_);
  ASSERT_TRUE(results) << results.problem;
  EXPECT_EQ(readStream(*results.stream), "results\n");
  OpenedFile viaArchive = openResultsFile(card("ABC1234X.ZIP"), workspace_);
  ASSERT_TRUE(viaArchive) << viaArchive.problem;
  EXPECT_EQ(readStream(*viaArchive.stream), "results\n");
  // A card's archive holds no results file, nor the other way round.
  EXPECT_FALSE(openResultsFile(card("ABC1234.TCF"), workspace_));
  EXPECT_FALSE(openCardFile(card("ABC1234.XRD"), workspace_));
}

TEST_F(CardArchivesTest, FailuresEndWithoutAStreamAndNameTheFile) {
  writeFile(cards_ / "BAD1234M.ZIP", "not an archive");
  test::makeArchive(cards_ / "OTH1234M.ZIP", {{"OTHER.TCF", "other\n"}});
  test::makeArchive(cards_ / "AB1234M.ZIP", {{"AB1234.TCF", "short\n"}});
  test::makeArchive(cards_ / "ABC1234M.ZIP", {{"ABC1234.TCF", "seven\n"}});
  // An archive may store a link: it must not be followed out of UNZIP.
  fs::create_directories(temp_.path() / "links");
  fs::create_symlink("/etc/hostname", temp_.path() / "links" / "LNK1234.TCF");
  ASSERT_TRUE(test::runZip(
      {"-jqy", (cards_ / "LNK1234M.ZIP").string(), (temp_.path() / "links" / "LNK1234.TCF").string()}));

  struct Case {
    const char* name;
    const char* mentions;  // besides the path
  };
  const Case kCases[] = {
      {"NON1234.TCF", "NON1234M.ZIP"},   // neither the file nor its archive
      {"BAD1234.TCF", "BAD1234M.ZIP"},   // a corrupt archive
      {"OTH1234.TCF", "does not hold"},  // an archive without the file
      {"AB1234.TCF", "AB1234.TCF"},      // a short base name has no archive form
      {"ABC12345.TCF", "ABC12345.TCF"},  // nor a long one: ABC1234M.ZIP holds another file
      {"LNK1234.TCF", "does not hold"}, {"ABC1234.txt", "ABC1234.txt"},  // not a card file name
  };
  for (const Case& c : kCases) {
    OpenedFile opened = openCardFile(card(c.name), workspace_);
    EXPECT_FALSE(opened) << c.name;
    EXPECT_EQ(opened.path, "") << c.name;
    EXPECT_NE(opened.problem.find(c.mentions), std::string::npos) << c.name << ": " << opened.problem;
  }
  // Whatever a failed open unpacked is gone again.
  EXPECT_EQ(test::namesIn(unzipFolder()), Names{});
}

TEST_F(CardArchivesTest, AFileNamedLikeAnArchiveThatIsNotOneIsSaidToBeNone) {
  struct Case {
    const char* name;
    std::string contents;
  };
  const Case kCases[] = {
      {"TXT1234M.ZIP", "SA,20240315,1,a card line perhaps\n"},
      {"EMP1234M.ZIP", ""},
      {"PKX1234M.ZIP", "PK"},
      {"notes.zip", "any text"},  // named as no card's archive is
      {"RAR1234M.ZIP", "Rar!\x1a\x07\x00"},
  };
  for (const Case& c : kCases) {
    writeFile(cards_ / c.name, c.contents);
    OpenedFile opened = openCardFile(card(c.name), workspace_);
    EXPECT_FALSE(opened) << c.name;
    EXPECT_EQ(opened.problem, card(c.name) + " is not a zip archive") << c.name;
    EXPECT_TRUE(opened.notAnArchive) << c.name;
  }
  // The test itself, on real archives, one of them empty.
  test::makeArchive(cards_ / "ABC1234M.ZIP", {{"ABC1234.TCF", "archived\n"}});
  std::string problem;
  EXPECT_EQ(checkZipArchive(card("ABC1234M.ZIP"), problem), ZipCheck::kZipArchive) << problem;
  writeFile(cards_ / "EMPTY.ZIP", std::string("PK\x05\x06", 4) + std::string(18, '\0'));
  EXPECT_EQ(checkZipArchive(card("EMPTY.ZIP"), problem), ZipCheck::kZipArchive) << problem;
  EXPECT_EQ(checkZipArchive(card("NONE.ZIP"), problem), ZipCheck::kUnreadable);
  EXPECT_NE(problem.find("NONE.ZIP"), std::string::npos) << problem;
  // A real archive under a name that says nothing of what it holds.
  fs::copy_file(cards_ / "ABC1234M.ZIP", cards_ / "cards.zip");
  OpenedFile unnamed = openCardFile(card("cards.zip"), workspace_);
  EXPECT_FALSE(unnamed);
  EXPECT_FALSE(unnamed.notAnArchive);
  EXPECT_NE(unnamed.problem.find("named like ABC1234M.ZIP"), std::string::npos) << unnamed.problem;
}

TEST_F(CardArchivesTest, UnzipIsEmptiedWhenTheUseEnds) {
  test::makeArchive(cards_ / "ABC1234M.ZIP", {{"ABC1234.TCF", "card\n"}, {"README.TXT", "extra\n"}});
  test::makeArchive(cards_ / "ABC1234X.ZIP", {{"ABC1234.XRD", "results\n"}});
  {
    // Card and results of one day open at once, as a dataset build has them.
    OpenedFile cardFile = openCardFile(card("ABC1234.TCF"), workspace_);
    OpenedFile results = openResultsFile(card("ABC1234.XRD"), workspace_);
    ASSERT_TRUE(cardFile) << cardFile.problem;
    ASSERT_TRUE(results) << results.problem;
    EXPECT_EQ(test::namesIn(unzipFolder()), (Names{"ABC1234.TCF", "ABC1234.XRD", "README.TXT"}));
    // Moved on, the file stays until its last owner is done.
    OpenedFile moved = std::move(results);
    EXPECT_EQ(readStream(*moved.stream), "results\n");
    moved = OpenedFile();
    EXPECT_EQ(test::namesIn(unzipFolder()), (Names{"ABC1234.TCF", "README.TXT"}));
    EXPECT_EQ(readStream(*cardFile.stream), "card\n");
  }
  EXPECT_EQ(test::namesIn(unzipFolder()), Names{});
  // Nor does a failed open leave anything: this archive lacks the file asked for.
  test::makeArchive(cards_ / "OTH1234M.ZIP", {{"OTHER.TCF", "other\n"}});
  EXPECT_FALSE(openCardFile(card("OTH1234.TCF"), workspace_));
  EXPECT_EQ(test::namesIn(unzipFolder()), Names{});
}

TEST_F(CardArchivesTest, AnOldCopyInUnzipIsNeverTakenForTheFile) {
  // An earlier run unpacked ABC1234.TCF from another folder's archive.
  writeFile(unzipFolder() / "ABC1234.TCF", "from another folder\n");
  OpenedFile missing = openCardFile(card("ABC1234.TCF"), workspace_);
  EXPECT_FALSE(missing) << "opened " << missing.path;

  writeFile(cards_ / "ABC1234M.ZIP", "corrupt");
  OpenedFile corrupt = openCardFile(card("ABC1234.TCF"), workspace_);
  EXPECT_FALSE(corrupt) << "opened " << corrupt.path;

  fs::remove(cards_ / "ABC1234M.ZIP");
  test::makeArchive(cards_ / "ABC1234M.ZIP", {{"OTHER.TCF", "x\n"}});
  OpenedFile wrongMember = openCardFile(card("ABC1234.TCF"), workspace_);
  EXPECT_FALSE(wrongMember) << "opened " << wrongMember.path;
}

TEST_F(CardArchivesTest, OnlyRegularFilesOpenAsPlainFiles) {
  fs::create_directory(cards_ / "DIR1234.TCF");
  ASSERT_EQ(::mkfifo((cards_ / "PIP1234.TCF").c_str(), 0644), 0);
  // Opening a pipe would wait for a writer for ever; with the archive beside
  // it the archive serves instead.
  test::makeArchive(cards_ / "PIP1234M.ZIP", {{"PIP1234.TCF", "archived\n"}});
  OpenedFile dir = openCardFile(card("DIR1234.TCF"), workspace_);
  EXPECT_FALSE(dir);
  EXPECT_NE(dir.problem.find("DIR1234.TCF"), std::string::npos) << dir.problem;
  OpenedFile pipe = openCardFile(card("PIP1234.TCF"), workspace_);
  ASSERT_TRUE(pipe) << pipe.problem;
  EXPECT_EQ(readStream(*pipe.stream), "archived\n");
}

TEST_F(CardArchivesTest, OddFolderNames) {
  const fs::path folder = temp_.path() / "it's \"odd\"; [1] *?";
  fs::create_directories(folder);
  test::makeArchive(folder / "ABC1234M.ZIP", {{"ABC1234.TCF", "odd folder\n"}});
  OpenedFile opened = openCardFile((folder / "ABC1234.TCF").string(), workspace_);
  ASSERT_TRUE(opened) << opened.problem;
  EXPECT_EQ(readStream(*opened.stream), "odd folder\n");
}

TEST_F(CardArchivesTest, UnzipIsMadeWhenMissing) {
  fs::remove_all(unzipFolder());
  test::makeArchive(cards_ / "ABC1234M.ZIP", {{"ABC1234.TCF", "archived\n"}});
  OpenedFile opened = openCardFile(card("ABC1234.TCF"), workspace_);
  ASSERT_TRUE(opened) << opened.problem;
  EXPECT_EQ(readStream(*opened.stream), "archived\n");
}

}  // namespace
}  // namespace stridewell
