// The scratch editor's work: items read from a card (plain or archived),
// locked items, the field-5 rewrite, the round trip through the card reader,
// and saving that never loses the original: a failing zip, an unwritable
// folder, a full disk, a card changed behind the editor's back.
#include "operations/scratch_edit.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/card_archives.h"
#include "base/workspace.h"
#include "race/card_line_builder.h"
#include "race/card_reader.h"
#include "race/check_code.h"
#include "support/archive_test_support.h"
#include "support/recording_interaction.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using test::RecordingInteraction;
using test::TempFolder;

struct Horse {
  std::string race;
  std::string mark;  // field 5 as written in the file
  std::string program;
  std::string name;
};

std::string lineOf(const Horse& horse) {
  test::CardLineBuilder line = test::horseLine("SA", "20260313", horse.race, horse.name);
  line.set(4, "\"1,2\"").set(5, horse.mark).set(6, "1320").set(7, "D").set(8, "C").set(1140, horse.program);
  line.set(150, "in the checked part").set(1200, "beyond it");
  return line.build();
}

// Race 1 with four horses, race 2 with one horse without a program number
// and one with; CR LF endings on some lines, a blank line, and a last line
// without an end.
const std::vector<Horse> kHorses = {
    {"1", "", "1", "Little Castle"}, {"1", "s", "1A", "Dancer"},  {"1", "\"S\"", "2", "Crimson"},
    {"1", "x", "3", "Xavier"},       {"2", "s", "", "No Number"}, {"2", "", "4", "Four"},
};

std::string cardText(const std::vector<Horse>& horses) {
  std::string text;
  for (size_t i = 0; i < horses.size(); ++i) {
    text += lineOf(horses[i]);
    if (i + 1 == horses.size()) break;
    text += i % 2 == 0 ? "\r\n" : "\n";
    if (i == 2) text += "\n";  // a blank line
  }
  return text;
}

// What the reader makes of a card: per race, the names of the horses that run.
std::vector<Names> runners(const std::string& text) {
  std::istringstream in(text);
  CardReader reader(in, "card");
  auto race = std::make_unique<Race>();
  std::vector<Names> races;
  while (reader.next(*race)) {
    Names names;
    for (int i = 0; i < race->card.horseCount; ++i) names.emplace_back(race->card.horses[i].name);
    races.push_back(names);
  }
  EXPECT_FALSE(reader.invalid()) << reader.problem();
  return races;
}

std::string firstLine(const std::string& text) {
  return text.substr(0, text.find('\n'));
}

class ScratchEditTest : public ::testing::Test {
 protected:
  ScratchEditTest() {
    cards_ = temp_.path() / "cards";
    fs::create_directories(cards_);
    workspace_ = test::makeWorkspace(temp_.path() / "home");
  }

  std::string card(const std::string& name) const { return (cards_ / name).string(); }

  // Loads, applies `changes` (item index, scratched) and saves; returns
  // whether the save succeeded.
  bool edit(const std::string& path, const std::vector<std::pair<size_t, bool>>& changes) {
    ScratchCard scratch;
    if (!loadScratchCard(path, workspace_, ui_, scratch)) return false;
    for (const auto& [index, scratched] : changes) {
      EXPECT_TRUE(setScratched(scratch, index, scratched)) << index;
    }
    return saveScratchCard(scratch, workspace_, ui_);
  }

  TempFolder temp_;
  fs::path cards_;
  Workspace workspace_;
  RecordingInteraction ui_;
};

TEST(ScratchItemText, Layout) {
  struct Case {
    const char* race;
    const char* program;
    const char* name;
    const char* text;
  };
  const Case kCases[] = {
      {"1", "1A", "DANCER", "R1   1A DANCER"},  // R1, three blanks, 1A, a blank, DANCER
      {"10", "1", "X", "R10   1 X"},
      {"1", "", "NO NUMBER", "R1      NO NUMBER"},
      {"123", "1234", "LONG", "R123 1234 LONG"},  // nothing is cut
      {"", "", "", "R       "},
  };
  for (const Case& c : kCases) EXPECT_EQ(scratchItemText(c.race, c.program, c.name), c.text) << c.name;
}

TEST(WithScratchMark, OnlyFieldFiveChanges) {
  struct Case {
    const char* mark;
    bool scratched;
    const char* written;
  };
  const Case kCases[] = {
      {"", true, "\"S\""},
      {"", false, ""},
      {"S", false, ""},  // unchecking clears the mark
      {"\"S\"", false, ""},
      {"s", true, "\"S\""},
      {"\"s\"", true, "\"S\""},
      {"s", false, ""},
      {"X", false, "X"},  // any other mark stays, upper case
      {"x", false, "X"},
      {"\"x\"", false, "\"X\""},
      {" ", false, " "},
      {"SX", false, ""},  // holds an S: cleared
      {"X", true, "\"S\""},
      {"\"a,s\"", false, ""},  // a quoted comma in the mark
      {"\"a,b\"", false, "\"A,B\""},
  };
  for (const Case& c : kCases) {
    const std::string before = lineOf({"1", c.mark, "1A", "Dancer"});
    const std::string expected = lineOf({"1", c.written, "1A", "Dancer"});
    const std::string after = withScratchMark(before, c.scratched);
    EXPECT_EQ(after, expected) << "mark '" << c.mark << "' " << (c.scratched ? "checked" : "unchecked");
    EXPECT_TRUE(checkCardLine(after)) << c.mark;
  }
  // Lines without a fifth field end are left alone.
  for (const char* line : {"", "a,b,c", "a,b,c,d,e", "a,\"b,c,d,e,f\""}) {
    EXPECT_EQ(withScratchMark(line, true), line);
  }
}

TEST_F(ScratchEditTest, LoadsOneItemPerHorseLine) {
  test::writeFile(cards_ / "ABC1234.TCF", cardText(kHorses));
  ScratchCard scratch;
  ASSERT_TRUE(loadScratchCard(card("ABC1234.TCF"), workspace_, ui_, scratch));
  EXPECT_TRUE(ui_.empty());
  EXPECT_EQ(scratch.sourcePath, card("ABC1234.TCF"));
  EXPECT_EQ(scratch.archivePath, "");
  ASSERT_EQ(scratch.items.size(), kHorses.size());
  const bool kScratched[] = {false, true, true, false, true, false};
  for (size_t i = 0; i < kHorses.size(); ++i) {
    const ScratchItem& item = scratch.items[i];
    EXPECT_EQ(item.raceNumber, kHorses[i].race) << i;
    EXPECT_EQ(item.programNumber, kHorses[i].program) << i;
    EXPECT_EQ(item.horseName, kHorses[i].name) << i;
    EXPECT_EQ(item.text, scratchItemText(kHorses[i].race, kHorses[i].program, kHorses[i].name)) << i;
    EXPECT_EQ(item.scratched, kScratched[i]) << i;
    // Only the horse without a program number is locked.
    EXPECT_EQ(item.locked, i == 4) << i;
  }
  EXPECT_FALSE(setScratched(scratch, 4, false));  // locked
  EXPECT_TRUE(scratch.items[4].scratched);
  EXPECT_FALSE(setScratched(scratch, 6, true));  // no such item
  EXPECT_TRUE(setScratched(scratch, 0, true));
  EXPECT_TRUE(scratch.items[0].scratched);
}

TEST_F(ScratchEditTest, WithoutProgramNumbersNothingIsLocked) {
  test::writeFile(cards_ / "ABC1234.TCF",
                  lineOf({"1", "", "", "One"}) + "\n" + lineOf({"1", "S", "", "Two"}) + "\n");
  ScratchCard scratch;
  ASSERT_TRUE(loadScratchCard(card("ABC1234.TCF"), workspace_, ui_, scratch));
  ASSERT_EQ(scratch.items.size(), 2u);
  EXPECT_FALSE(scratch.items[0].locked);
  EXPECT_FALSE(scratch.items[1].locked);
  EXPECT_TRUE(setScratched(scratch, 1, false));
}

TEST_F(ScratchEditTest, CardsThatCannotBeEdited) {
  std::string broken = lineOf({"1", "", "2", "Second"});
  broken[broken.find("Second")] = 'Z';  // the name lies in the checked part
  test::writeFile(cards_ / "BAD1234.TCF", lineOf({"1", "", "1", "First"}) + "\n\n" + broken + "\n");
  test::writeFile(cards_ / "LNG1234.TCF", lineOf({"1", "", "1", "First"}) + "\n" +
                                              std::string(kMaxScratchLineLength + 1, 'x') + "\n");
  struct Case {
    const char* name;
    const char* firstLine;
    const char* mentions;
  };
  const Case kCases[] = {
      {"BAD1234.TCF", "File is invalid.", "BAD1234.TCF line 3"},
      {"LNG1234.TCF", "File is invalid.", "LNG1234.TCF line 2"},
      {"NON1234.TCF", "Cannot open", "NON1234.TCF"},
  };
  for (const Case& c : kCases) {
    RecordingInteraction ui;
    ScratchCard scratch;
    EXPECT_FALSE(loadScratchCard(card(c.name), workspace_, ui, scratch)) << c.name;
    ASSERT_EQ(ui.errors().size(), 1u) << c.name;
    const std::string error = ui.errors()[0];
    EXPECT_EQ(firstLine(error).substr(0, std::string(c.firstLine).size()), c.firstLine) << error;
    EXPECT_NE(error.find(c.mentions), std::string::npos) << error;
    EXPECT_TRUE(scratch.items.empty()) << c.name;
    // Whether the card opened at all tells "cannot open" from "invalid".
    EXPECT_EQ(scratch.sourcePath.empty(), std::string(c.firstLine) == "Cannot open") << c.name;
  }
}

TEST_F(ScratchEditTest, SavingAPlainCardChangesOnlyFieldFive) {
  const fs::path path = cards_ / "ABC1234.TCF";
  test::writeFile(path, cardText(kHorses));
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  // Scratch 1, leave 1A ("s") checked, clear 2, leave 3 ("x") and the locked horse.
  ASSERT_TRUE(edit(path.string(), {{0, true}, {2, false}})) << ::testing::PrintToString(ui_.errors());
  EXPECT_TRUE(ui_.empty());

  // Line for line what a card with these marks looks like: the blank line
  // gone, CR LF kept, a line end after the last line.
  const std::vector<Horse> expected = {
      {"1", "\"S\"", "1", "Little Castle"},
      {"1", "\"S\"", "1A", "Dancer"},
      {"1", "", "2", "Crimson"},
      {"1", "X", "3", "Xavier"},
      {"2", "\"S\"", "", "No Number"},
      {"2", "", "4", "Four"},
  };
  std::string expectedText;
  for (size_t i = 0; i < expected.size(); ++i) {
    expectedText += lineOf(expected[i]) + (i % 2 == 0 && i + 1 < expected.size() ? "\r\n" : "\n");
  }
  const std::string saved = test::readFile(path);
  EXPECT_EQ(saved, expectedText);
  EXPECT_EQ(runners(saved), (std::vector<Names>{{"Crimson", "Xavier"}, {"Four"}}));
  // The new file keeps the old one's permissions; no temporary is left.
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(test::namesIn(cards_), Names{"ABC1234.TCF"});

  // Loaded again, the items show what was saved; a second round trip with
  // no change leaves the bytes alone.
  ScratchCard again;
  ASSERT_TRUE(loadScratchCard(path.string(), workspace_, ui_, again));
  const bool kScratched[] = {true, true, false, false, true, false};
  for (size_t i = 0; i < again.items.size(); ++i) EXPECT_EQ(again.items[i].scratched, kScratched[i]) << i;
  ASSERT_TRUE(saveScratchCard(again, workspace_, ui_));
  EXPECT_EQ(test::readFile(path), expectedText);
}

TEST_F(ScratchEditTest, SavingKeepsTheFilesOwnLineEnds) {
  // The marks after scratching 1 and clearing 2, as above.
  const std::vector<Horse> expected = {
      {"1", "\"S\"", "1", "Little Castle"},
      {"1", "\"S\"", "1A", "Dancer"},
      {"1", "", "2", "Crimson"},
      {"1", "X", "3", "Xavier"},
      {"2", "\"S\"", "", "No Number"},
      {"2", "", "4", "Four"},
  };
  struct Case {
    const char* what;
    std::vector<std::string> ends;   // after each line, as read
    std::vector<std::string> saved;  // after each line, as written
  };
  const std::vector<std::string> lf(6, "\n"), crlf(6, "\r\n"), cr(6, "\r");
  const Case cases[] = {
      {"LF", lf, lf},
      {"CR LF", crlf, crlf},
      {"CR (old Mac files)", cr, cr},
      {"CR, none after the last line", {"\r", "\r", "\r", "\r", "\r", ""}, cr},
      {"CR, blank lines among them", {"\r\r", "\r", "\r\r\r", "\r", "\r", "\r"}, cr},
      {"CR LF and CR mixed",
       {"\r\n", "\r", "\r\n", "\r", "\r\n", "\r"},
       {"\r\n", "\r", "\r\n", "\r", "\r\n", "\r"}},
  };
  const fs::path path = cards_ / "ABC1234.TCF";
  for (const Case& c : cases) {
    std::string text, expectedText;
    for (size_t i = 0; i < kHorses.size(); ++i) {
      text += lineOf(kHorses[i]) + c.ends[i];
      expectedText += lineOf(expected[i]) + c.saved[i];
    }
    test::writeFile(path, text);
    ScratchCard card;
    ASSERT_TRUE(loadScratchCard(path.string(), workspace_, ui_, card))
        << c.what << ": " << ::testing::PrintToString(ui_.errors());
    ASSERT_EQ(card.items.size(), kHorses.size()) << c.what;
    ASSERT_TRUE(edit(path.string(), {{0, true}, {2, false}}))
        << c.what << ": " << ::testing::PrintToString(ui_.errors());
    EXPECT_EQ(test::readFile(path), expectedText) << c.what;
    EXPECT_EQ(runners(test::readFile(path)), (std::vector<Names>{{"Crimson", "Xavier"}, {"Four"}})) << c.what;
  }
}

TEST_F(ScratchEditTest, SavingAnArchivedCardReZipsIt) {
  const fs::path archive = cards_ / "ABC1234M.ZIP";
  test::makeArchive(archive, {{"ABC1234.TCF", cardText(kHorses)}});
  ScratchCard scratch;
  ASSERT_TRUE(loadScratchCard(card("ABC1234.TCF"), workspace_, ui_, scratch));
  EXPECT_EQ(scratch.archivePath, archive.string());
  ASSERT_TRUE(setScratched(scratch, 5, true));
  ASSERT_TRUE(setScratched(scratch, 1, false));
  ASSERT_TRUE(saveScratchCard(scratch, workspace_, ui_)) << ::testing::PrintToString(ui_.errors());
  EXPECT_TRUE(ui_.empty());

  // The archive still holds one file, now with the new marks; no plain file
  // appeared beside it and no copy stays in UNZIP.
  EXPECT_EQ(test::archiveMembers(archive), Names{"ABC1234.TCF"});
  EXPECT_EQ(test::namesIn(cards_), Names{"ABC1234M.ZIP"});
  EXPECT_EQ(test::namesIn(workspace_.unzip), Names{});
  OpenedFile opened = openCardFile(card("ABC1234.TCF"), workspace_);
  ASSERT_TRUE(opened) << opened.problem;
  EXPECT_EQ(runners(test::readStream(*opened.stream)),
            (std::vector<Names>{{"Little Castle", "Dancer", "Xavier"}, {}}));
}

TEST_F(ScratchEditTest, AFailingZipLeavesTheArchiveAsItWas) {
  const fs::path programFolder = temp_.path() / "program";
  test::writeTool(programFolder, "zip", false, 12);
  workspace_.programFolder = programFolder.string();
  const fs::path archive = cards_ / "ABC1234M.ZIP";
  test::makeArchive(archive, {{"ABC1234.TCF", cardText(kHorses)}});
  const std::string before = test::readFile(archive);

  EXPECT_FALSE(edit(card("ABC1234.TCF"), {{0, true}}));
  ASSERT_EQ(ui_.errors().size(), 1u);
  EXPECT_EQ(firstLine(ui_.errors()[0]), "Error during re-zip.");
  EXPECT_NE(ui_.errors()[0].find("code 12"), std::string::npos) << ui_.errors()[0];
  EXPECT_EQ(test::readFile(archive), before);
  EXPECT_EQ(test::namesIn(workspace_.unzip), Names{});
  EXPECT_EQ(test::namesIn(cards_), Names{"ABC1234M.ZIP"});
}

TEST_F(ScratchEditTest, ARealZipFailingInAnUnwritableFolder) {
  const fs::path archive = cards_ / "ABC1234M.ZIP";
  test::makeArchive(archive, {{"ABC1234.TCF", cardText(kHorses)}});
  const std::string before = test::readFile(archive);
  fs::permissions(cards_, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(temp_.path() / "home", fs::perms::all);
  fs::permissions(workspace_.unzip, fs::perms::all);
  const std::optional<std::string> errors = test::runUnprivileged([&] {
    RecordingInteraction ui;
    ScratchCard scratch;
    if (!loadScratchCard(card("ABC1234.TCF"), workspace_, ui, scratch)) return "load: " + ui.errors().at(0);
    setScratched(scratch, 0, true);
    if (saveScratchCard(scratch, workspace_, ui)) return std::string("saved");
    return ui.errors().empty() ? std::string("no message") : ui.errors()[0];
  });
  fs::permissions(cards_, fs::perms::owner_all);
  if (!errors) GTEST_SKIP() << "cannot run as an unprivileged user";
  EXPECT_EQ(firstLine(*errors), "Error during re-zip.") << *errors;
  EXPECT_EQ(test::readFile(archive), before);
  EXPECT_EQ(test::namesIn(cards_), Names{"ABC1234M.ZIP"});
}

TEST_F(ScratchEditTest, AnUnwritableFolderLeavesThePlainCardAsItWas) {
  const fs::path path = cards_ / "ABC1234.TCF";
  const std::string before = cardText(kHorses);
  test::writeFile(path, before);
  fs::permissions(cards_, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  const std::optional<std::string> errors = test::runUnprivileged([&] {
    RecordingInteraction ui;
    ScratchCard scratch;
    if (!loadScratchCard(path.string(), workspace_, ui, scratch)) return "load: " + ui.errors().at(0);
    setScratched(scratch, 0, true);
    if (saveScratchCard(scratch, workspace_, ui)) return std::string("saved");
    return ui.errors().empty() ? std::string("no message") : ui.errors()[0];
  });
  fs::permissions(cards_, fs::perms::owner_all);
  if (!errors) GTEST_SKIP() << "cannot run as an unprivileged user";
  EXPECT_EQ(firstLine(*errors), "Error during save") << *errors;
  EXPECT_NE(errors->find(cards_.string()), std::string::npos) << *errors;
  EXPECT_EQ(test::readFile(path), before);
  EXPECT_EQ(test::namesIn(cards_), Names{"ABC1234.TCF"});
}

TEST_F(ScratchEditTest, AFullDiskLeavesThePlainCardAsItWas) {
  const fs::path path = cards_ / "ABC1234.TCF";
  const std::string before = cardText(kHorses);
  test::writeFile(path, before);
  ScratchCard scratch;
  ASSERT_TRUE(loadScratchCard(path.string(), workspace_, ui_, scratch));
  ASSERT_TRUE(setScratched(scratch, 0, true));
  {
    test::FileSizeLimit limit(before.size() / 2);
    EXPECT_FALSE(saveScratchCard(scratch, workspace_, ui_));
  }
  ASSERT_EQ(ui_.errors().size(), 1u);
  EXPECT_EQ(firstLine(ui_.errors()[0]), "Error during save");
  EXPECT_EQ(test::readFile(path), before);
  EXPECT_EQ(test::namesIn(cards_), Names{"ABC1234.TCF"});
}

TEST_F(ScratchEditTest, ACardChangedSinceLoadingIsNotWritten) {
  const fs::path path = cards_ / "ABC1234.TCF";
  struct Case {
    const char* what;
    std::vector<Horse> horses;
  };
  std::vector<Horse> renamed = kHorses;
  renamed[3].name = "Someone Else";
  std::vector<Horse> longer = kHorses;
  longer.push_back({"2", "", "5", "Late Entry"});
  std::vector<Horse> shorter(kHorses.begin(), kHorses.end() - 1);
  const Case kCases[] = {{"renamed", renamed}, {"longer", longer}, {"shorter", shorter}};
  for (const Case& c : kCases) {
    test::writeFile(path, cardText(kHorses));
    RecordingInteraction ui;
    ScratchCard scratch;
    ASSERT_TRUE(loadScratchCard(path.string(), workspace_, ui, scratch));
    ASSERT_TRUE(setScratched(scratch, 0, true));
    const std::string changed = cardText(c.horses);
    test::writeFile(path, changed);
    EXPECT_FALSE(saveScratchCard(scratch, workspace_, ui)) << c.what;
    ASSERT_EQ(ui.errors().size(), 1u) << c.what;
    EXPECT_EQ(firstLine(ui.errors()[0]), "Error during save") << c.what;
    EXPECT_NE(ui.errors()[0].find("changed"), std::string::npos) << ui.errors()[0];
    EXPECT_EQ(test::readFile(path), changed) << c.what;
    EXPECT_EQ(test::namesIn(cards_), Names{"ABC1234.TCF"}) << c.what;
  }
  // A plain file that appears beside the archive the card came from.
  fs::remove(path);
  test::makeArchive(cards_ / "ABC1234M.ZIP", {{"ABC1234.TCF", cardText(kHorses)}});
  RecordingInteraction ui;
  ScratchCard scratch;
  ASSERT_TRUE(loadScratchCard(path.string(), workspace_, ui, scratch));
  test::writeFile(path, cardText(kHorses));
  EXPECT_FALSE(saveScratchCard(scratch, workspace_, ui));
  EXPECT_EQ(test::readFile(path), cardText(kHorses));
}

TEST_F(ScratchEditTest, ALinkedCardIsSavedThroughTheLink) {
  const fs::path real = temp_.path() / "elsewhere" / "REAL.TCF";
  fs::create_directories(real.parent_path());
  test::writeFile(real, cardText(kHorses));
  fs::create_symlink(real, cards_ / "ABC1234.TCF");
  ASSERT_TRUE(edit(card("ABC1234.TCF"), {{0, true}})) << ::testing::PrintToString(ui_.errors());
  EXPECT_TRUE(fs::is_symlink(cards_ / "ABC1234.TCF"));
  EXPECT_EQ(runners(test::readFile(real))[0], (Names{"Xavier"}));
}

TEST_F(ScratchEditTest, OddNamesAreSafe) {
  const fs::path folder = temp_.path() / "it's \"odd\"; [1] *?";
  fs::create_directories(folder);
  test::makeArchive(folder / "ABC1234M.ZIP", {{"ABC1234.TCF", cardText(kHorses)}});
  ASSERT_TRUE(edit((folder / "ABC1234.TCF").string(), {{0, true}})) << ::testing::PrintToString(ui_.errors());
  EXPECT_EQ(test::namesIn(folder), Names{"ABC1234M.ZIP"});
  OpenedFile opened = openCardFile((folder / "ABC1234.TCF").string(), workspace_);
  ASSERT_TRUE(opened) << opened.problem;
  EXPECT_EQ(runners(test::readStream(*opened.stream))[0], (Names{"Xavier"}));
}

}  // namespace
}  // namespace stridewell
