// The archive tools as the program drives them: the real unzip and zip on
// real archives, their exit-code rules (unzip may end with 1, zip must end
// with 0), corrupt and encrypted archives, tools missing, and file names
// that a shell or the tools' own wildcards would misread.
#include "base/archive_tools.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/archive_test_support.h"
#include "support/scoped_environment.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using test::TempFolder;

TEST(ArchiveTools, RunHiddenReportsHowTheProgramEnded) {
  int exitCode = 99;
  std::string output;
  EXPECT_TRUE(runHidden({"sh", "-c", "echo quiet; echo complaint >&2; exit 3"}, {}, exitCode, &output));
  EXPECT_EQ(exitCode, 3);
  EXPECT_EQ(output, "quiet\ncomplaint\n");  // both streams collected, neither shown

  EXPECT_TRUE(runHidden({"true"}, {}, exitCode));
  EXPECT_EQ(exitCode, 0);

  EXPECT_FALSE(runHidden({"stridewell-no-such-tool"}, {}, exitCode, &output));
  EXPECT_EQ(exitCode, -1);
  EXPECT_NE(output.find("stridewell-no-such-tool"), std::string::npos) << output;

  EXPECT_FALSE(runHidden({"sh", "-c", "kill -9 $$"}, {}, exitCode, &output));
  EXPECT_EQ(exitCode, -1);

  TempFolder temp;
  EXPECT_TRUE(runHidden({"sh", "-c", "pwd"}, temp.path().string(), exitCode, &output));
  EXPECT_EQ(output, fs::canonical(temp.path()).string() + "\n");
}

TEST(ArchiveTools, ToolsAreLookedForInTheProgramFolderFirst) {
  TempFolder temp;
  const fs::path programFolder = temp.path() / "program";
  EXPECT_EQ(archiveToolPath(programFolder.string(), "unzip"), findProgram("unzip"));
  test::writeTool(programFolder, "unzip", false, 0);
  EXPECT_EQ(archiveToolPath(programFolder.string(), "unzip"), (programFolder / "unzip").string());
  EXPECT_EQ(archiveToolPath(programFolder.string(), "zip"), findProgram("zip"));
  // A file that is not executable is no tool.
  test::writeFile(programFolder / "zip", "not a program");
  EXPECT_EQ(archiveToolPath(programFolder.string(), "zip"), findProgram("zip"));
}

TEST(ArchiveTools, UnzipPutsEveryMemberInTheDestinationWithoutFolders) {
  TempFolder temp;
  const fs::path archive = temp.path() / "ABC1234M.ZIP";
  // One member stored with its folder name.
  fs::create_directories(temp.path() / "inner" / "deep");
  test::writeFile(temp.path() / "inner" / "deep" / "OTHER.TXT", "other\n");
  test::writeFile(temp.path() / "inner" / "ABC1234.TCF", "card\n");
  ASSERT_TRUE(test::runZip({"-rq", archive.string(), "inner"}, temp.path().string()));
  const fs::path destination = temp.path() / "UNZIP";
  fs::create_directories(destination);
  test::writeFile(destination / "ABC1234.TCF", "stale\n");  // replaced

  UnzipOutcome outcome;
  ASSERT_TRUE(unzipArchive({}, temp.path().string(), "ABC1234M.ZIP", destination.string(), &outcome))
      << outcome.problem;
  std::sort(outcome.files.begin(), outcome.files.end());
  EXPECT_EQ(outcome.files, (Names{"ABC1234.TCF", "OTHER.TXT"}));
  EXPECT_EQ(test::namesIn(destination), (Names{"ABC1234.TCF", "OTHER.TXT"}));  // no private folder left
  EXPECT_EQ(test::readFile(destination / "ABC1234.TCF"), "card\n");
  EXPECT_EQ(test::readFile(destination / "OTHER.TXT"), "other\n");
}

TEST(ArchiveTools, ExitCodeRules) {
  struct Case {
    const char* tool;
    int exitCode;
    bool succeeds;
  };
  const Case kCases[] = {
      {"unzip", 0, true},  {"unzip", 1, true},  // warnings only
      {"unzip", 2, false}, {"unzip", 11, false},
      {"zip", 0, true},    {"zip", 12, false},  // "nothing to do" is no success for us
      {"zip", 1, false},
  };
  for (const Case& c : kCases) {
    TempFolder temp;
    const fs::path programFolder = temp.path() / "program";
    // The stand-in does the real work, then ends with the code under test.
    test::writeTool(programFolder, c.tool, true, c.exitCode);
    const fs::path archive = temp.path() / "ABC1234M.ZIP";
    test::makeArchive(archive, {{"ABC1234.TCF", "card\n"}});
    const fs::path destination = temp.path() / "UNZIP";
    fs::create_directories(destination);
    const std::string label = std::string(c.tool) + " ending with " + std::to_string(c.exitCode);
    if (std::string(c.tool) == "unzip") {
      UnzipOutcome outcome;
      EXPECT_EQ(unzipArchive(programFolder.string(), temp.path().string(), "ABC1234M.ZIP",
                             destination.string(), &outcome),
                c.succeeds)
          << label;
      // A failed unpack leaves nothing in the destination, even what the
      // tool did unpack.
      EXPECT_EQ(test::namesIn(destination), c.succeeds ? Names{"ABC1234.TCF"} : Names{}) << label;
      if (!c.succeeds) {
        EXPECT_NE(outcome.problem.find("code " + std::to_string(c.exitCode)), std::string::npos)
            << outcome.problem;
        EXPECT_NE(outcome.problem.find(archive.string()), std::string::npos) << outcome.problem;
      }
    } else {
      test::writeFile(temp.path() / "NEW1234.TCF", "new\n");
      std::string problem;
      EXPECT_EQ(zipIntoArchive(programFolder.string(), (temp.path() / "NEW1234.TCF").string(),
                               archive.string(), &problem),
                c.succeeds)
          << label;
      if (!c.succeeds) {
        EXPECT_NE(problem.find("code " + std::to_string(c.exitCode)), std::string::npos) << problem;
      }
    }
  }
}

TEST(ArchiveTools, BadArchivesFailAndLeaveNothingBehind) {
  TempFolder temp;
  const fs::path destination = temp.path() / "UNZIP";
  fs::create_directories(destination);

  // A good archive whose compressed data is then damaged: unzip finds the
  // member, writes some of it and fails its CRC.
  std::string big;
  for (int i = 0; big.size() < 200000; ++i) {
    big += "line " + std::to_string(i * 7919 % 100003) + " of the card\n";
  }
  test::makeArchive(temp.path() / "DMG1234M.ZIP", {{"DMG1234.TCF", big}});
  std::string damaged = test::readFile(temp.path() / "DMG1234M.ZIP");
  for (size_t i = 200; i < 400; ++i) damaged[i] = static_cast<char>(damaged[i] ^ 0x5a);
  test::writeFile(temp.path() / "DMG1234M.ZIP", damaged);

  test::writeFile(temp.path() / "BAD1234M.ZIP", "this is not an archive");
  test::makeArchive(temp.path() / "CUT1234M.ZIP", {{"CUT1234.TCF", big}});
  const std::string whole = test::readFile(temp.path() / "CUT1234M.ZIP");
  test::writeFile(temp.path() / "CUT1234M.ZIP", whole.substr(0, whole.size() / 2));
  ASSERT_TRUE(test::runZip({"-jq", "-P", "secret", (temp.path() / "ENC1234M.ZIP").string(),
                            (temp.path() / "BAD1234M.ZIP").string()}));
  test::writeFile(temp.path() / "EMPTY12M.ZIP", "");
  fs::create_directory(temp.path() / "DIR1234M.ZIP");

  for (const char* name : {"DMG1234M.ZIP", "BAD1234M.ZIP", "CUT1234M.ZIP", "ENC1234M.ZIP", "EMPTY12M.ZIP",
                           "DIR1234M.ZIP", "MISSING.ZIP"}) {
    UnzipOutcome outcome;
    EXPECT_FALSE(unzipArchive({}, temp.path().string(), name, destination.string(), &outcome)) << name;
    EXPECT_NE(outcome.problem.find(name), std::string::npos) << outcome.problem;
    EXPECT_TRUE(outcome.files.empty()) << name;
    EXPECT_EQ(test::namesIn(destination), Names{}) << name;
  }
}

TEST(ArchiveTools, OddNamesReachTheToolsWhole) {
  TempFolder temp;
  // Blanks, quotes, ';', '$' and the tools' wildcard characters.
  const fs::path folder = temp.path() / "it's \"odd\"; $HOME [1] *?";
  fs::create_directories(folder);
  test::makeArchive(folder / "ABC1234M.ZIP", {{"ABC1234.TCF", "the right one\n"}});
  // Read as a pattern, "A?C1234M.ZIP" would take in this archive too.
  test::makeArchive(folder / "AXC1234M.ZIP", {{"WRONG.TCF", "wrong\n"}});
  fs::copy_file(folder / "ABC1234M.ZIP", folder / "A?C1234M.ZIP");
  const fs::path destination = temp.path() / "UN ZIP; [x]";
  fs::create_directories(destination);

  UnzipOutcome outcome;
  ASSERT_TRUE(unzipArchive({}, folder.string(), "A?C1234M.ZIP", destination.string(), &outcome))
      << outcome.problem;
  EXPECT_EQ(outcome.files, Names{"ABC1234.TCF"});
  EXPECT_EQ(test::namesIn(destination), Names{"ABC1234.TCF"});

  // zip stores a file of such a name under that name, in an archive of such a name.
  const fs::path file = folder / "Q?1 \"x\";.TCF";
  test::writeFile(file, "odd\n");
  test::writeFile(folder / "QX1 \"x\";.TCF", "not this\n");
  std::string problem;
  const fs::path archive = folder / "new [1].ZIP";
  ASSERT_TRUE(zipIntoArchive({}, file.string(), archive.string(), &problem)) << problem;
  EXPECT_EQ(test::archiveMembers(archive), Names{"Q?1 \"x\";.TCF"});
}

TEST(ArchiveTools, ZipReplacesTheMemberOfTheSameName) {
  TempFolder temp;
  const fs::path archive = temp.path() / "ABC1234M.ZIP";
  test::makeArchive(archive, {{"ABC1234.TCF", "old\n"}, {"README", "kept\n"}});
  const fs::path edited = temp.path() / "copy" / "ABC1234.TCF";
  fs::create_directories(edited.parent_path());
  test::writeFile(edited, "new\n");
  std::string problem;
  ASSERT_TRUE(zipIntoArchive({}, edited.string(), archive.string(), &problem)) << problem;
  std::vector<std::string> members = test::archiveMembers(archive);
  std::sort(members.begin(), members.end());
  EXPECT_EQ(members, (Names{"ABC1234.TCF", "README"}));

  const fs::path destination = temp.path() / "UNZIP";
  fs::create_directories(destination);
  ASSERT_TRUE(unzipArchive({}, {}, archive.string(), destination.string()));
  EXPECT_EQ(test::readFile(destination / "ABC1234.TCF"), "new\n");
}

TEST(ArchiveTools, AFailedZipLeavesTheArchiveAsItWas) {
  TempFolder temp;
  const fs::path archive = temp.path() / "ABC1234M.ZIP";
  test::makeArchive(archive, {{"ABC1234.TCF", "old\n"}});
  const std::string before = test::readFile(archive);
  // Random bytes do not compress: the new archive outgrows the limit.
  std::string noise;
  unsigned state = 12345;
  for (int i = 0; i < 300000; ++i) {
    state = state * 1103515245 + 12345;
    noise += static_cast<char>(state >> 16);
  }
  const fs::path file = temp.path() / "ABC1234.TCF";
  test::writeFile(file, noise);
  std::string problem;
  {
    test::FileSizeLimit limit(100000);
    EXPECT_FALSE(zipIntoArchive({}, file.string(), archive.string(), &problem));
  }
  EXPECT_NE(problem.find(archive.string()), std::string::npos) << problem;
  EXPECT_EQ(test::readFile(archive), before);
  EXPECT_EQ(test::namesIn(temp.path()), (Names{"ABC1234.TCF", "ABC1234M.ZIP"}));  // no temporary left
}

TEST(ArchiveTools, MissingToolsAreNamed) {
  TempFolder temp;
  fs::create_directories(temp.path() / "empty");
  const test::ScopedEnvironment path("PATH", (temp.path() / "empty").c_str());
  test::writeFile(temp.path() / "ABC1234M.ZIP", "x");
  UnzipOutcome outcome;
  EXPECT_FALSE(unzipArchive((temp.path() / "program").string(), temp.path().string(), "ABC1234M.ZIP",
                            temp.path().string(), &outcome));
  EXPECT_NE(outcome.problem.find("unzip"), std::string::npos) << outcome.problem;
  EXPECT_NE(outcome.problem.find("PATH"), std::string::npos) << outcome.problem;
  std::string problem;
  EXPECT_FALSE(zipIntoArchive({}, (temp.path() / "ABC1234M.ZIP").string(), (temp.path() / "N.ZIP").string(),
                              &problem));
  EXPECT_NE(problem.find("zip"), std::string::npos) << problem;
}

}  // namespace
}  // namespace stridewell
