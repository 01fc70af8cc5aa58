// `stridewell results` end to end on results files built here: finish
// order, payoffs, exotics, the overflow warning and bad files.
#include "cli/results_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli_test_support.h"
#include "support/isolated_user.h"

namespace stridewell::cli {
namespace {

using test::FieldLine;
using test::linesWith;
using test::lineWith;
using test::runCommand;
using test::TempFile;
namespace fs = std::filesystem;

const fs::path kExamples = fs::path(STRIDEWELL_SOURCE_DIR) / "examples";

std::string fileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

FieldLine starter(std::string race, std::string name, std::string position, std::string odds) {
  FieldLine line;
  line.set(1, "SA").set(2, "20260315").set(3, race).set(5, "D").set(17, "SY");
  line.set(20, name).set(49, position).set(37, odds);
  return line;
}

// Race 1 on a sloppy (wet) dirt track, starters listed out of finish order.
// The exacta and trifecta paid; the superfecta slot holds 0.
std::string resultsText() {
  auto exotics = [](FieldLine line) {
    line.set(78, "EXACTA").set(96, "45.60").set(79, "TRIFECTA").set(97, "312.40");
    line.set(80, "SUPERFECTA").set(98, "0");
    return line;
  };
  return test::joinLines({
      exotics(starter("1", "Show Pony", "3", "6.10")).set(77, "3.80").resultsLine(),
      exotics(starter("1", "Swift Arrow", "1", "2.50"))
          .set(75, "7.00")
          .set(76, "4.20")
          .set(77, "3.00")
          .resultsLine(),
      exotics(starter("1", "Runner Up", "2", "4.00")).set(76, "5.40").set(77, "3.60").resultsLine(),
      exotics(starter("1", "Also Ran", "95", "30.00")).resultsLine(),  // beyond 90: position unknown
      starter("2", "Rocket Man", "1", "1.60")
          .set(17, "FT")
          .set(5, "T")
          .set(75, "5.20")
          .set(78, "DAILY DOUBLE")
          .set(96, "22.00")
          .resultsLine(),
  });
}

TEST(ResultsCommandTest, FinishersInFinishOrderWithPayoffs) {
  const TempFile file("SAX0315.XRD", resultsText());
  const test::CommandRun r = runCommand(ResultsCommand(), {file.path()});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");

  EXPECT_EQ(lineWith(r.out, "Race 1"), "SAX Santa Anita  2026-03-15  Race 1  dirt, wet track");
  EXPECT_EQ(lineWith(r.out, "Race 2"), "SAX Santa Anita  2026-03-15  Race 2  turf, dry track");

  const size_t winner = r.out.find("Swift Arrow");
  const size_t second = r.out.find("Runner Up");
  const size_t third = r.out.find("Show Pony");
  const size_t unplaced = r.out.find("Also Ran");
  EXPECT_LT(winner, second);
  EXPECT_LT(second, third);
  EXPECT_LT(third, unplaced);  // an unknown position comes last

  const std::string winnerRow = lineWith(r.out, "Swift Arrow");
  EXPECT_EQ(winnerRow.substr(0, 6), "    1 ");
  for (const char* token : {" 2.50 ", " 7.00 ", " 4.20 ", " 3.00"}) {
    EXPECT_NE(winnerRow.find(token), std::string::npos) << "'" << token << "' in\n" << winnerRow;
  }
  EXPECT_EQ(lineWith(r.out, "Also Ran").substr(0, 6), "    - ");

  // Only the exotics that paid; the daily double belongs to race 2.
  EXPECT_EQ(lineWith(r.out, "Exacta"), "  Exacta 45.60  Trifecta 312.40");
  EXPECT_EQ(r.out.find("Superfecta"), std::string::npos);
  EXPECT_EQ(lineWith(r.out, "Daily Double"), "  Daily Double 22.00");
  EXPECT_LT(r.out.find("Rocket Man"), r.out.find("Daily Double"));

  EXPECT_NE(r.out.find(file.path() + ": 2 races read\n"), std::string::npos) << r.out;
}

TEST(ResultsCommandTest, RaceOptionPicksOneRace) {
  const TempFile file("SAX0315.XRD", resultsText());
  const test::CommandRun r = runCommand(ResultsCommand(), {"--race=2", file.path()});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.find("Swift Arrow"), std::string::npos);
  EXPECT_NE(r.out.find("Rocket Man"), std::string::npos);
  EXPECT_NE(r.out.find(": 2 races read, 1 shown\n"), std::string::npos) << r.out;
}

TEST(ResultsCommandTest, StartersBeyondWhatTheRecordHoldsAreReported) {
  std::vector<std::string> lines;
  for (int i = 1; i <= 65; ++i) {
    lines.push_back(starter("4", "Starter " + std::to_string(i), std::to_string(i), "9").resultsLine());
  }
  lines.push_back(starter("5", "Next Race", "1", "2").resultsLine());
  const TempFile file("BIG.XRD", test::joinLines(lines));
  const test::CommandRun r = runCommand(ResultsCommand(), {file.path()});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "stridewell results: warning: " + file.path() +
                       ": race 4 of SAX 2026-03-15 has 2 more lines than the 63 starters a result holds;"
                       " they were left out\n");
  EXPECT_EQ(linesWith(r.out, " Starter 63 ").size(), 1u);
  EXPECT_EQ(linesWith(r.out, " Starter 64 ").size(), 0u);
  EXPECT_EQ(linesWith(r.out, " Next Race ").size(), 1u);  // the next race is whole
}

TEST(ResultsCommandTest, FileThatCannotBeOpened) {
  const std::string missing = ::testing::TempDir() + "no-such-results.XRD";
  const test::CommandRun r = runCommand(ResultsCommand(), {missing});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("stridewell results: error: Cannot open " + missing, 0), 0u) << r.err;
  EXPECT_EQ(r.out, "");
}

// Files that hold no results line are no results files: nothing is made up
// from them, and the exit status says so.
TEST(ResultsCommandTest, FileWithoutAResultsLineIsInvalid) {
  std::string randomBytes;
  for (int i = 0; i < 20000; ++i) randomBytes += static_cast<char>((i * 7919 + i / 13) % 256);
  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      {"random bytes", randomBytes},
      {"a card file", fileText(kExamples / "plain" / "SAX0313.TCF")},
      {"an archive", fileText(kExamples / "zipped" / "SAX0316X.ZIP")},
      {"empty", ""},
  };
  for (const Case& c : cases) {
    const TempFile file("NOT.XRD", c.text);
    const test::CommandRun r = runCommand(ResultsCommand(), {file.path()});
    EXPECT_EQ(r.status, kExitBadInput) << c.what;
    EXPECT_EQ(r.out.find("Race "), std::string::npos) << c.what << "\n" << r.out;
    EXPECT_NE(r.out.find(file.path() + ": 0 races read"), std::string::npos) << c.what << "\n" << r.out;
    EXPECT_NE(r.err.find("stridewell results: error: " + file.path() + ": not a results file"),
              std::string::npos)
        << c.what << "\n"
        << r.err;
  }
}

TEST(ResultsCommandTest, JunkLinesAreReportedAndTheRaceStaysWhole) {
  std::vector<std::string> lines = {
      starter("1", "Swift Arrow", "1", "2.50").resultsLine(),
      std::string(1 << 20, 'j'),  // a megabyte of junk
      starter("1", "Runner Up", "2", "4.00").resultsLine(),
      starter("1", "Show Pony", "3rd", "6.10").resultsLine(),
      starter("1", "Also Ran", "4", "30.00").resultsLine(),
  };
  const TempFile file("JUNK.XRD", test::joinLines(lines));
  const test::CommandRun r = runCommand(ResultsCommand(), {file.path()});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(linesWith(r.out, "Race 1").size(), 1u) << r.out;
  EXPECT_NE(r.out.find("Also Ran"), std::string::npos);
  EXPECT_EQ(r.out.find("Show Pony"), std::string::npos);
  EXPECT_NE(r.out.find(file.path() + ": 1 race read, 2 lines skipped\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.err,
            "stridewell results: warning: " + file.path() +
                ": line 2: 1 field; a results line has at least 20; the line was skipped\n"
                "stridewell results: warning: " +
                file.path() +
                ": line 4: finish position \"3rd\" is not a number from 0 to 999; the line was skipped\n");
}

TEST(ResultsCommandTest, RaceThatIsNotThereIsReported) {
  const TempFile file("SAX0315.XRD", resultsText());
  const test::CommandRun r = runCommand(ResultsCommand(), {"--race=7", file.path()});
  EXPECT_EQ(r.status, kExitBadInput);
  EXPECT_EQ(r.err, "stridewell results: error: " + file.path() + ": race 7 was not found\n");
  EXPECT_NE(r.out.find(": 2 races read, 0 shown\n"), std::string::npos) << r.out;
}

TEST(ResultsCommandTest, EveryKindOfLineEndReadsTheSame) {
  test::expectSameOutputForEveryLineEnd(ResultsCommand(), resultsText(), "ENDS.XRD");
}

class ResultsArchiveTest : public ::testing::Test {
 protected:
  ResultsArchiveTest() {
    fs::create_directories(folder_);
    fs::copy_file(kExamples / "zipped" / "SAX0316X.ZIP", folder_ / "SAX0316X.ZIP");
  }
  std::vector<std::string> unzipped() const {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(user_.workspace() / "UNZIP", ignored)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  stridewell::test::IsolatedUser user_;
  fs::path folder_ = user_.root() / "cards";
};

TEST_F(ResultsArchiveTest, ArchivesAreReadAsTheFileTheyHold) {
  for (const char* name : {"SAX0316X.ZIP", "SAX0316.XRD", "sax0316x.zip"}) {
    const test::CommandRun r = runCommand(ResultsCommand(), {(folder_ / name).string()});
    EXPECT_EQ(r.status, 0) << name << ": " << r.err;
    EXPECT_EQ(r.err, "") << name;
    EXPECT_NE(r.out.find("SAX Santa Anita  2026-03-16  Race 1 "), std::string::npos) << name << "\n" << r.out;
    EXPECT_NE(r.out.find("SAX0316.XRD (in " + (folder_ / "SAX0316X.ZIP").string() + ")"), std::string::npos)
        << name << "\n"
        << r.out.substr(0, 200);
    EXPECT_EQ(unzipped(), std::vector<std::string>{}) << name << ": UNZIP is emptied after use";
  }
}

TEST_F(ResultsArchiveTest, AFileNamedZipThatIsNoArchive) {
  struct Case {
    const char* name;
    std::string contents;
  };
  const Case cases[] = {
      {"ABC1234X.ZIP", starter("1", "Swift Arrow", "1", "2.50").resultsLine() + "\n"},
      {"notes.zip", "just text\n"},
  };
  for (const Case& c : cases) {
    writeText(folder_ / c.name, c.contents);
    const std::string path = (folder_ / c.name).string();
    const test::CommandRun r = runCommand(ResultsCommand(), {path});
    EXPECT_EQ(r.status, kExitBadInput) << c.name;
    EXPECT_EQ(r.err, "stridewell results: error: " + path + " is not a zip archive\n") << c.name;
    EXPECT_EQ(r.out, "") << c.name;
  }
}

}  // namespace
}  // namespace stridewell::cli
