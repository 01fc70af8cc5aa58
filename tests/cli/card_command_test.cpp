// `stridewell card` end to end on card files built here field by field: the
// races and horses that reach the output, the past-race lines, race
// selection, and the exit status and message of every kind of bad file.
#include "cli/card_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

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

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> found;
  for (std::string word; in >> word;) found.push_back(word);
  return found;
}

// Race 1 at Santa Anita (written "SA"): 6 furlongs on dirt, claiming $25,000,
// 3-year-olds and up, fillies and mares.
FieldLine race1Line(std::string post, std::string name) {
  FieldLine line;
  line.set(1, "SA").set(2, "20260315").set(3, "1").set(4, post).set(5, "").set(6, "1320").set(7, "D");
  line.set(8, "C").set(10, "25000").set(12, "30000").set(13, name).set(144, "BUM");
  line.set(1142, "Daily Double WAGERING THIS RACE");
  return line;
}

// Race 2: 1 1/16 miles on turf, Grade II, run at Gulfstream Park as its race 5.
FieldLine race2Line(std::string post, std::string name) {
  FieldLine line;
  line.set(1, "SA").set(2, "20260315").set(3, "2").set(4, post).set(6, "1870").set(7, "T");
  line.set(8, "G2").set(12, "250000").set(13, name).set(145, "GP").set(195, "5");
  return line;
}

// A filly of 4 (foaled 2022) with L and B, 120 lb, 5-2 on the morning line,
// and one past race: 20 Feb 2026, 6 furlongs on turf, claiming $20,000, a
// field of 10 from post 3, 2nd by 1 1/2 at the start, 2nd by 1 at the first
// call, 1st by a half at the stretch, won; speed 88; fillies-and-mares race
// open to 3-year-olds and up; bumped at the start. Today's jockey rode her.
std::string swiftArrow() {
  FieldLine line = race1Line("1", "Swift Arrow");
  line.set(15, "F").set(140, "20220401").set(17, "120").set(87, "3").set(1141, "2.5");
  line.set(1140, "1A").set(83, "J. Smith").set(201, "112.4").set(143, "98.6");
  line.set(66, "4").set(70, "20000").set(71, "6").set(75, "10000");
  line.set(206, "20260220").set(226, "SA").set(256, "1320").set(266, "T").set(276, "10").set(286, "3");
  line.set(516, "2").set(576, "1.5").set(526, "2").set(586, "1").set(546, "1").set(606, "0.5");
  line.set(556, "1").set(616, "0");
  line.set(706, "88").set(836, "C").set(486, "20000").set(846, "BUF").set(316, "Bumped start");
  line.set(826, "J. SMITH");
  return line.cardLine();
}

std::string cardText() {
  return test::joinLines({
      swiftArrow(),
      race1Line("2", "Scratched Sam").set(5, "s").cardLine(),
      race1Line("3", "Late Bloomer").set(15, "G").set(1141, "8").set(1140, "3").cardLine(),
      race2Line("1", "Rocket Man").set(15, "C").set(140, "20230101").set(1141, "1.6").cardLine(),
      race2Line("2", "Turf Queen").set(15, "M").set(140, "20200101").set(1141, "4.5").cardLine(),
  });
}

TEST(CardCommandTest, ShowsEveryRaceAndRunnerOfTheCard) {
  const TempFile file("SAX0315.TCF", cardText());
  const test::CommandRun r = runCommand(CardCommand(), {file.path()});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");

  // Race 1: header from its first line, the wagering note cut from the comment.
  EXPECT_NE(r.out.find("SAX Santa Anita  2026-03-15  Race 1\n"
                       "6 furlongs, dirt, Claiming $25,000, 3-year-olds and up, fillies and mares\n"
                       "  Daily Double\n"),
            std::string::npos)
      << r.out;
  // Race 2 is a simulcast from Gulfstream.
  EXPECT_NE(r.out.find("SAX Santa Anita  2026-03-15  Race 2\n"
                       "1 1/16 miles, turf, Grade II Stakes\n"
                       "Simulcast: run at GPX Gulfstream Park as race 5\n"),
            std::string::npos)
      << r.out;

  // The scratched horse is not a runner.
  EXPECT_EQ(r.out.find("Scratched Sam"), std::string::npos);
  for (const char* name : {"Swift Arrow", "Late Bloomer", "Rocket Man", "Turf Queen"}) {
    EXPECT_EQ(linesWith(r.out, name).size(), 1u) << name;
  }
  // Runners keep their order and races theirs.
  EXPECT_LT(r.out.find("Swift Arrow"), r.out.find("Late Bloomer"));
  EXPECT_LT(r.out.find("Late Bloomer"), r.out.find("Race 2"));
  EXPECT_LT(r.out.find("Race 2"), r.out.find("Rocket Man"));

  // Column by column: post, program, name, age/sex, weight, medication,
  // morning line, jockey, good races with this jockey (she won her past race
  // under him), past races, starts and earnings of both records, PrimePower,
  // current class.
  EXPECT_EQ(words(lineWith(r.out, "Swift Arrow")),
            (std::vector<std::string>{"1", "1A", "Swift", "Arrow", "4f", "120", "LB", "5-2", "J.", "Smith",
                                      "1", "1", "4", "$20,000", "6", "$10,000", "112.4", "98.6"}));

  // No foaling date: the sex letter alone; a gelding at 8-1.
  // No weight, medication, jockey, records or ratings on the line: blanks,
  // dashes and zeros, not another column's value.
  EXPECT_EQ(words(lineWith(r.out, "Late Bloomer")),
            (std::vector<std::string>{"3", "3", "Late", "Bloomer", "g", "-", "8-1", "0", "0", "0", "$0", "0",
                                      "$0", "-", "-"}));
  // A 'M' six-year-old is a mare, a 'C' three-year-old a colt.
  EXPECT_NE(lineWith(r.out, "Turf Queen").find(" 6m "), std::string::npos);
  EXPECT_NE(lineWith(r.out, "Rocket Man").find(" 3c "), std::string::npos);
  EXPECT_NE(lineWith(r.out, "Rocket Man").find(" 8-5 "), std::string::npos);

  // Without --past no past-race lines.
  EXPECT_EQ(r.out.find("2026-02-20"), std::string::npos);
  EXPECT_NE(r.out.find(file.path() + ": 2 races read\n"), std::string::npos) << r.out;
}

TEST(CardCommandTest, PastRacesUnderTheirHorse) {
  const TempFile file("SAX0315.TCF", cardText());
  const test::CommandRun r = runCommand(CardCommand(), {"--past", file.path()});
  EXPECT_EQ(r.status, 0);
  // Date, distance, surface, class, field size, post; for a sprint the start
  // and first calls, then stretch and finish; speed rating; flags.
  EXPECT_EQ(words(lineWith(r.out, "2026-02-20")),
            (std::vector<std::string>{"2026-02-20", "6f", "turf", "Clm", "20000", "10", "3", "2/1.5", "2/1",
                                      "1/0.5", "1/0", "88", "FO!"}));
  EXPECT_LT(r.out.find("Swift Arrow"), r.out.find("2026-02-20"));
  EXPECT_LT(r.out.find("2026-02-20"), r.out.find("Late Bloomer"));
  EXPECT_EQ(linesWith(r.out, "Call1").size(), 2u);  // the past-race header, once per race
}

TEST(CardCommandTest, FormFactorsOfEveryHorse) {
  const TempFile file("SAX0315.TCF", cardText());
  const test::CommandRun r = runCommand(CardCommand(), {"--form", file.path()});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("  Form factors, for a sprint of 1320 yards:\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  Form factors, for a route of 1870 yards:\n"), std::string::npos) << r.out;
  // Swift Arrow's one past race, 23 days before today, a six-furlong win:
  // a good race of today's kind; early speed 1 + 1 (second at the start)
  // + 1 (within 2 lengths) = 3; earnings of both records over 4 + 6 starts;
  // speed 88; first call 2nd; won at claiming $20,000.
  const std::vector<std::string> rows = linesWith(r.out, "Swift Arrow");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(words(rows[1]),
            (std::vector<std::string>{"1",     "Swift", "Arrow",  "23",  "1", "1", "1",   "0",
                                      "3",     "88.0",  "$3,000", "-",   "-", "-", "2.0", "1.0",
                                      "1-0-0", "Clm",   "20000",  "(1)", "-", "-"}));
  // No past races: zeros and dashes, early speed 0 in a sprint.
  EXPECT_EQ(words(linesWith(r.out, "Late Bloomer").at(1)),
            (std::vector<std::string>{"3",  "Late", "Bloomer", "0", "0", "0", "0",     "0", "0", "-",
                                      "$0", "-",    "-",       "-", "-", "-", "0-0-0", "-", "-", "-"}));
}

TEST(CardCommandTest, RaceOptionPicksOneRace) {
  const TempFile file("SAX0315.TCF", cardText());
  const test::CommandRun r = runCommand(CardCommand(), {file.path(), "-r", "2"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.find("Race 1"), std::string::npos);
  EXPECT_EQ(r.out.find("Swift Arrow"), std::string::npos);
  EXPECT_NE(r.out.find("Rocket Man"), std::string::npos);
  EXPECT_NE(r.out.find(": 2 races read, 1 shown\n"), std::string::npos) << r.out;
}

TEST(CardCommandTest, RaceWhoseHorsesAreAllScratched) {
  const TempFile file("X.TCF", test::joinLines({race1Line("1", "Gone").set(5, "S").cardLine()}));
  const test::CommandRun r = runCommand(CardCommand(), {file.path()});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Race 1\n"), std::string::npos);
  EXPECT_NE(r.out.find("(no starters"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(": 1 race read\n"), std::string::npos) << r.out;
}

TEST(CardCommandTest, InvalidLineNamesFileAndLineAndExitsWithOne) {
  // Line 5 (after a blank line 4) is the second line of race 2; a changed
  // letter in the horse's name breaks its check code.
  std::string bad = race2Line("2", "Turf Queen").cardLine();
  bad[bad.find("Turf Queen")] = 'S';
  const std::string text = swiftArrow() + "\n" + race1Line("3", "Late Bloomer").cardLine() + "\n" +
                           race2Line("1", "Rocket Man").cardLine() + "\n\n" + bad + "\n";
  const TempFile file("BAD.TCF", text);

  const test::CommandRun r = runCommand(CardCommand(), {file.path()});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "stridewell card: error: " + file.path() +
                       ": line 5 fails its check code; the file is not valid\n");
  // The race completed before the bad line is shown; the one in progress is not.
  EXPECT_NE(r.out.find("Swift Arrow"), std::string::npos);
  EXPECT_EQ(r.out.find("Rocket Man"), std::string::npos);
  EXPECT_NE(r.out.find(": 1 race read\n"), std::string::npos) << r.out;
}

TEST(CardCommandTest, LineWithoutCheckCodeIsInvalid) {
  // A line cut short of its 1495 separator commas cannot carry a check code.
  const std::string truncated = swiftArrow().substr(0, 500);
  const TempFile file("SHORT.TCF", truncated + "\n");
  const test::CommandRun r = runCommand(CardCommand(), {file.path()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(file.path() + ": line 1 "), std::string::npos) << r.err;
}

TEST(CardCommandTest, FileThatCannotBeOpenedExitsWithTwoAndOthersAreStillRead) {
  const TempFile good("GOOD.TCF", cardText());
  const std::string missing = good.path() + ".missing";
  const test::CommandRun r = runCommand(CardCommand(), {missing, good.path()});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("stridewell card: error: Cannot open " + missing, 0), 0u) << r.err;
  EXPECT_NE(r.out.find("Swift Arrow"), std::string::npos);
  EXPECT_NE(r.out.find(good.path() + ": 2 races read\n"), std::string::npos);
}

TEST(CardCommandTest, FolderIsRefusedLikeAMissingFile) {
  const test::CommandRun r = runCommand(CardCommand(), {::testing::TempDir()});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("Cannot open " + ::testing::TempDir()), std::string::npos) << r.err;
}

TEST(CardCommandTest, TooManyHorsesWarnsButTheFileIsValid) {
  std::vector<std::string> lines;
  for (int i = 1; i <= 66; ++i)
    lines.push_back(race1Line(std::to_string(i), "Horse " + std::to_string(i)).cardLine());
  const TempFile file("BIG.TCF", test::joinLines(lines));
  const test::CommandRun r = runCommand(CardCommand(), {file.path()});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err.find("warning: " + file.path() + ": a race has more than 64 horses"), std::string::npos)
      << r.err;
  EXPECT_EQ(linesWith(r.out, " Horse 64 ").size(), 1u);
  EXPECT_EQ(linesWith(r.out, " Horse 65 ").size(), 0u);
  EXPECT_EQ(linesWith(r.out, " Horse 66 ").size(), 0u);
}

TEST(CardCommandTest, ControlCharactersFromTheFileAreNotPrinted) {
  // An escape sequence would recolour or clear the user's terminal.
  const std::string line =
      race1Line("1", "Bad\x1b[2JName").set(1142, "Note\x07\x1b[31m").set(1140, "\t1").cardLine();
  const TempFile file("CTRL.TCF", line + "\n");
  const test::CommandRun r = runCommand(CardCommand(), {file.path()});
  EXPECT_EQ(r.status, 0);
  for (char c : r.out) {
    EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 && c != '\n') << "control character " << int{c};
  }
  EXPECT_NE(r.out.find("Bad?[2JName"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  Note??[31m\n"), std::string::npos) << r.out;
}

TEST(CardCommandTest, EmptyFileHasNoRaces) {
  const TempFile file("EMPTY.TCF", "");
  const test::CommandRun r = runCommand(CardCommand(), {file.path()});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find(": 0 races read\n"), std::string::npos) << r.out;
}

TEST(CardCommandTest, RaceThatIsNotThereIsReported) {
  const TempFile file("SAX0315.TCF", cardText());
  const test::CommandRun r = runCommand(CardCommand(), {file.path(), "-r", "3"});
  EXPECT_EQ(r.status, kExitBadInput);
  EXPECT_EQ(r.err, "stridewell card: error: " + file.path() + ": race 3 was not found\n");
  EXPECT_NE(r.out.find(": 2 races read, 0 shown\n"), std::string::npos) << r.out;
}

TEST(CardCommandTest, EveryKindOfLineEndReadsTheSame) {
  const std::string lf = cardText();
  ASSERT_NE(runCommand(CardCommand(), {TempFile("TWO.TCF", lf).path()}).out.find(": 2 races read\n"),
            std::string::npos);
  test::expectSameOutputForEveryLineEnd(CardCommand(), lf, "ENDS.TCF");
}

class CardArchiveTest : public ::testing::Test {
 protected:
  CardArchiveTest() {
    fs::create_directories(folder_);
    fs::copy_file(kExamples / "zipped" / "SAX0316M.ZIP", folder_ / "SAX0316M.ZIP");
  }
  bool unzipEmpty() const {
    std::error_code ignored;
    return fs::directory_iterator(user_.workspace() / "UNZIP", ignored) == fs::directory_iterator();
  }

  stridewell::test::IsolatedUser user_;
  fs::path folder_ = user_.root() / "cards";
};

TEST_F(CardArchiveTest, ArchivesAreReadAsTheCardTheyHold) {
  for (const char* name : {"SAX0316M.ZIP", "SAX0316.TCF"}) {
    const test::CommandRun r = runCommand(CardCommand(), {(folder_ / name).string(), "--race", "2"});
    EXPECT_EQ(r.status, 0) << name << ": " << r.err;
    EXPECT_EQ(r.err, "") << name;
    EXPECT_NE(r.out.find("SAX Santa Anita  2026-03-16  Race 2\n"), std::string::npos) << name << "\n"
                                                                                      << r.out;
    EXPECT_NE(r.out.find("SAX0316.TCF (in " + (folder_ / "SAX0316M.ZIP").string() + "): "), std::string::npos)
        << name;
    EXPECT_TRUE(unzipEmpty()) << name << ": UNZIP is emptied after use";
  }
}

TEST_F(CardArchiveTest, AFileNamedZipThatIsNoArchive) {
  const fs::path fake = folder_ / "ABC1234M.ZIP";
  std::ofstream(fake, std::ios::binary) << swiftArrow() << "\n";
  const test::CommandRun r = runCommand(CardCommand(), {fake.string()});
  EXPECT_EQ(r.status, kExitBadInput);
  EXPECT_EQ(r.err, "stridewell card: error: " + fake.string() + " is not a zip archive\n");
  EXPECT_EQ(r.err.find("check code"), std::string::npos);
  EXPECT_EQ(r.out, "");
}

}  // namespace
}  // namespace stridewell::cli
