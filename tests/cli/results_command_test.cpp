// `stridewell results` end to end on results files built here: finish
// order, payoffs, exotics, the overflow warning and bad files.
#include "cli/results_command.h"

#include <gtest/gtest.h>

#include "cli_test_support.h"

namespace stridewell::cli {
namespace {

using test::FieldLine;
using test::linesWith;
using test::lineWith;
using test::runCommand;
using test::TempFile;

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

}  // namespace
}  // namespace stridewell::cli
