// `stridewell scratch` end to end: the listing, scratching and unscratching
// by race and program number (plain cards and archives), and the refusals
// that leave the card untouched.
#include "cli/scratch_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli_test_support.h"
#include "support/archive_test_support.h"
#include "support/scoped_environment.h"
#include "support/temp_folder.h"

namespace stridewell::cli {
namespace {

namespace fs = std::filesystem;
using test::FieldLine;
using test::lineWith;
using test::runCommand;

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> found;
  for (std::string word; in >> word;) found.push_back(word);
  return found;
}

std::string horse(const std::string& race, const std::string& mark, const std::string& program,
                  const std::string& name) {
  FieldLine line;
  line.set(1, "SA").set(2, "20260315").set(3, race).set(5, mark).set(6, "1320").set(7, "D").set(8, "C");
  line.set(13, name).set(1140, program);
  return line.cardLine();
}

std::string cardText() {
  return test::joinLines({
      horse("1", "", "1", "Little Castle"),
      horse("1", "s", "1A", "Dancer"),
      horse("1", "", "3", "Xavier"),
      horse("2", "S", "", "No Number"),
      horse("2", "", "4", "Four"),
  });
}

class ScratchCommandTest : public ::testing::Test {
 protected:
  ScratchCommandTest() : home_("STRIDEWELL_HOME", (temp_.path() / "home").c_str()) {
    path_ = (temp_.path() / "SAX0315.TCF").string();
    stridewell::test::writeFile(path_, cardText());
  }

  // Status words of the listing, per horse name.
  std::vector<std::string> row(const std::string& output, const std::string& name) {
    return words(lineWith(output, name));
  }

  stridewell::test::TempFolder temp_;
  stridewell::test::ScopedEnvironment home_;
  std::string path_;
};

TEST_F(ScratchCommandTest, ListsEveryHorseWithItsStatus) {
  const test::CommandRun r = runCommand(ScratchCommand(), {path_});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("5 horses, 2 scratched"), std::string::npos) << r.out;
  EXPECT_EQ(row(r.out, "Little Castle"), (std::vector<std::string>{"1", "1", "Little", "Castle", "runs"}));
  EXPECT_EQ(row(r.out, "Dancer"), (std::vector<std::string>{"1", "1A", "Dancer", "scratched"}));
  EXPECT_EQ(row(r.out, "No Number"), (std::vector<std::string>{"2", "No", "Number", "scratched,", "fixed"}));
  EXPECT_EQ(row(r.out, "Four"), (std::vector<std::string>{"2", "4", "Four", "runs"}));
}

TEST_F(ScratchCommandTest, SetsAndClearsByRaceAndProgramNumber) {
  const test::CommandRun r =
      runCommand(ScratchCommand(), {path_, "--set", "1:1,3", "--clear", "1:1a", "--set=2:4"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("race 1 #1 Little Castle: scratched\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("race 1 #1A Dancer: no longer scratched\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("race 2 #4 Four: scratched\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Wrote " + path_), std::string::npos) << r.out;

  // The card now reads so, and only the marks changed.
  EXPECT_EQ(stridewell::test::readFile(path_), test::joinLines({
                                                   horse("1", "\"S\"", "1", "Little Castle"),
                                                   horse("1", "", "1A", "Dancer"),
                                                   horse("1", "\"S\"", "3", "Xavier"),
                                                   horse("2", "\"S\"", "", "No Number"),
                                                   horse("2", "\"S\"", "4", "Four"),
                                               }));
  const test::CommandRun listed = runCommand(ScratchCommand(), {path_});
  EXPECT_EQ(row(listed.out, "Dancer").back(), "runs");
  EXPECT_EQ(row(listed.out, "Xavier").back(), "scratched");
}

TEST_F(ScratchCommandTest, NothingToChangeWritesNothing) {
  const fs::file_time_type before = fs::last_write_time(path_);
  const test::CommandRun r = runCommand(ScratchCommand(), {path_, "--set", "1:1A", "--clear", "1:1"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("race 1 #1A Dancer: already scratched"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Nothing to change"), std::string::npos) << r.out;
  EXPECT_EQ(stridewell::test::readFile(path_), cardText());
  EXPECT_EQ(fs::last_write_time(path_), before);
}

TEST_F(ScratchCommandTest, RefusalsLeaveTheCardAlone) {
  const std::string invalid = (temp_.path() / "BAD0315.TCF").string();
  std::string broken = horse("1", "", "1", "Broken");
  broken[broken.find("Broken")] = 'b';
  stridewell::test::writeFile(invalid, broken + "\n");
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* message;
  };
  const Case kCases[] = {
      {{path_, "--set", "1:9"}, 2, "there is no race 1 #9"},
      {{path_, "--set", "3:1"}, 2, "there is no race 3 #1"},
      {{path_, "--set", "1:1", "--clear", "1:1"}, 2, "both to be scratched and cleared"},
      {{path_, "--set", "1:1,9"}, 2, "there is no race 1 #9"},  // one bad name stops all
      {{path_, "--set", "x:1"}, 2, "expected RACE:PROG"},
      {{path_, "--set", "1"}, 2, "expected RACE:PROG"},
      {{path_, "--set", "0:1"}, 2, "expected RACE:PROG"},
      {{path_, "--set", "1:"}, 2, "a program number is missing"},
      {{path_, "--set", "1:1,,3"}, 2, "a program number is missing"},
      {{path_, path_}, 2, "give one card file"},
      {{}, 2, "no card file given"},
      {{(temp_.path() / "NON0315.TCF").string(), "--set", "1:1"},
       2,
       "stridewell scratch: error: Cannot open"},
      {{invalid, "--set", "1:1"}, 1, "stridewell scratch: error: File is invalid.\n"},
  };
  for (const Case& c : kCases) {
    const test::CommandRun r = runCommand(ScratchCommand(), c.args);
    const std::string label = ::testing::PrintToString(c.args);
    EXPECT_EQ(r.status, c.status) << label << "\n" << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << label << "\n" << r.err;
    EXPECT_EQ(stridewell::test::readFile(path_), cardText()) << label;
  }
}

TEST_F(ScratchCommandTest, CardsInArchives) {
  const fs::path archive = temp_.path() / "SAX0316M.ZIP";
  stridewell::test::makeArchive(archive, {{"SAX0316.TCF", cardText()}});
  // The archive itself or the card it holds may be named.
  const test::CommandRun set = runCommand(ScratchCommand(), {archive.string(), "--set", "2:4"});
  EXPECT_EQ(set.status, 0) << set.err;
  EXPECT_NE(set.out.find("Wrote " + archive.string()), std::string::npos) << set.out;
  EXPECT_FALSE(fs::exists(temp_.path() / "SAX0316.TCF"));  // no plain file appears
  EXPECT_EQ(stridewell::test::archiveMembers(archive), std::vector<std::string>{"SAX0316.TCF"});

  const test::CommandRun listed = runCommand(ScratchCommand(), {(temp_.path() / "SAX0316.TCF").string()});
  EXPECT_EQ(listed.status, 0) << listed.err;
  EXPECT_NE(listed.out.find("(in " + archive.string() + ")"), std::string::npos) << listed.out;
  EXPECT_EQ(row(listed.out, "Four").back(), "scratched");

  stridewell::test::writeFile(temp_.path() / "BAD0316M.ZIP", "not an archive");
  const test::CommandRun corrupt = runCommand(ScratchCommand(), {(temp_.path() / "BAD0316.TCF").string()});
  EXPECT_EQ(corrupt.status, 2);
  EXPECT_NE(corrupt.err.find("BAD0316M.ZIP"), std::string::npos) << corrupt.err;
}

}  // namespace
}  // namespace stridewell::cli
