// The handicap run on real card files: report names, the report's opening,
// the invalid-file ending, every message of the run, archives, and the
// reports of a shipped sample day in single-SIM and SI Map mode compared
// with stored reports (reviewed line by line against the report formats).
#include "operations/handicap_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "base/workspace.h"
#include "handicap/sim_rule_builder.h"
#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "patterns/race_scoring.h"
#include "race/card_line_builder.h"
#include "race/card_reader.h"
#include "support/faulty_file_system.h"
#include "support/recording_interaction.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using test::RecordingInteraction;

const fs::path kExamples = fs::path(STRIDEWELL_SOURCE_DIR) / "examples";
const fs::path kExpected = fs::path(STRIDEWELL_SOURCE_DIR) / "tests" / "handicap" / "data";

std::string fileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void writeFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// The stored report, after writing `actual` over it when
// STRIDEWELL_UPDATE_EXPECTED is set (review the difference before keeping it).
std::string expectedReport(const std::string& name, const std::string& actual) {
  if (std::getenv("STRIDEWELL_UPDATE_EXPECTED") != nullptr) writeFile(kExpected / name, actual);
  return fileText(kExpected / name);
}

class HandicapRunTest : public ::testing::Test {
 protected:
  HandicapRunTest() : model_(true) {
    workspace_ = workspaceAt((folder_.path() / "program").string(), (folder_.path() / "home").string());
    fs::create_directories(workspace_.programFolder);
    EXPECT_TRUE(createWorkspaceFolders(workspace_, ui_));
    // The SIM every test uses: the weights a freshly defined network gets.
    const int32_t hidden[] = {kSimHiddenUnits};
    EXPECT_GT(model_.defineNet(kSimInputs, kSimOutputs, hidden, "", true), 0);
    simPath_ = (fs::path(workspace_.sim) / "FRESH.SIM").string();
    EXPECT_TRUE(model_.saveWeights(simPath_));
    setup_.simName = "FRESH";
    setup_.simPath = simPath_;
  }

  HandicapRun run(const std::vector<std::string>& inputs) {
    NoProgress progress;
    return runHandicap(setup_, model_, inputs, workspace_, ui_, progress);
  }

  void mapRule(int index, uint8_t conditionFlags, const std::string& simPath, const std::string& name) {
    setup_.simMap[index] = test::everyRaceRule(conditionFlags, name, simPath);
  }

  test::TempFolder folder_;
  Workspace workspace_;
  RecordingInteraction ui_;
  SimModel model_;
  std::string simPath_;
  HandicapSetup setup_;
};

TEST_F(HandicapRunTest, ReportNames) {
  const auto predict = [&](const char* name) { return joinPath(workspace_.predict, name); };
  EXPECT_EQ(reportPathFor("/cards/ABC.TCF", workspace_), predict("ABC.TXT"));
  EXPECT_EQ(reportPathFor("/cards/SAX0313.TCF", workspace_), predict("SAX0313.TXT"));
  EXPECT_EQ(reportPathFor("/cards/sax0313.tcf", workspace_), predict("SAX0313.TXT"));
  EXPECT_EQ(reportPathFor("/cards/SAX0316M.ZIP", workspace_), predict("SAX0316.TXT"));
  EXPECT_EQ(reportPathFor("/cards/my.day.TCF", workspace_), predict("MY.DAY.TXT"));
  EXPECT_EQ(reportPathFor("/cards/card.txt", workspace_), predict("card.TXT"));  // not a card name: as given
  EXPECT_EQ(reportPathFor("noextension", workspace_), predict("noextension.TXT"));
}

TEST_F(HandicapRunTest, SingleSimSampleDayMatchesTheStoredReport) {
  const HandicapRun result = run({(kExamples / "plain" / "SAX0313.TCF").string()});
  ASSERT_TRUE(result.simLoaded);
  ASSERT_EQ(result.files.size(), 1u);
  EXPECT_EQ(result.files[0].outcome, HandicapOutcome::kDone);
  EXPECT_EQ(result.files[0].races, 9);
  EXPECT_TRUE(ui_.empty());
  const std::string report = fileText(result.files[0].reportPath);
  EXPECT_EQ(report.rfind("SIM In Use: FRESH\n\n", 0), 0u);
  EXPECT_EQ(report, expectedReport("SAX0313_single.TXT", report));
}

TEST_F(HandicapRunTest, SiMapSampleDayMatchesTheStoredReport) {
  // Sprints by FRESH, routes dry by FRESH and wet by OTHER (other weights).
  SimModel other(true);
  const int32_t hidden[] = {kSimHiddenUnits};
  ASSERT_GT(other.defineNet(kSimInputs, kSimOutputs, hidden, "", true), 0);
  other.randomizeWeights();
  const std::string otherPath = (fs::path(workspace_.sim) / "OTHER.SIM").string();
  ASSERT_TRUE(other.saveWeights(otherPath));
  setup_.mapMode = true;
  mapRule(0, RaceCriteria::kAllConditions, simPath_, "FRESH");
  setup_.simMap[0].criteria.distanceFlags = RaceCriteria::kSprintsOnly;
  mapRule(1, RaceCriteria::kWetOnly, otherPath, "OTHER");
  mapRule(2, RaceCriteria::kAllConditions, simPath_, "FRESH");
  const HandicapRun result = run({(kExamples / "plain" / "SAX0313.TCF").string()});
  ASSERT_EQ(result.files.size(), 1u);
  const std::string report = fileText(result.files[0].reportPath);
  EXPECT_EQ(report.rfind("13-MAR-26 Race 1 at Santa Anita\n", 0), 0u);  // no SIM line in map mode
  EXPECT_EQ(report, expectedReport("SAX0313_map.TXT", report));
}

TEST_F(HandicapRunTest, ZippedCardIsHandicappedFromItsArchive) {
  const HandicapRun result = run({(kExamples / "zipped" / "SAX0316M.ZIP").string()});
  ASSERT_EQ(result.files.size(), 1u);
  EXPECT_EQ(result.files[0].outcome, HandicapOutcome::kDone);
  EXPECT_GT(result.files[0].races, 0);
  EXPECT_EQ(result.files[0].reportPath, joinPath(workspace_.predict, "SAX0316.TXT"));
  EXPECT_NE(fileText(result.files[0].reportPath).find("16-MAR-26 Race 1 at Santa Anita"), std::string::npos);
}

TEST_F(HandicapRunTest, InvalidFileKeepsEarlierRacesAndEndsWithTheInvalidLine) {
  const std::string bad = (kExamples / "bad" / "SAX0313.TCF").string();
  const HandicapRun result = run({bad, (kExamples / "plain" / "SAX0314.TCF").string()});
  ASSERT_EQ(result.files.size(), 2u);
  EXPECT_EQ(result.files[0].outcome, HandicapOutcome::kInvalid);
  EXPECT_EQ(result.files[1].outcome, HandicapOutcome::kDone);  // the run went on
  const std::string report = fileText(result.files[0].reportPath);
  const std::string ending = "\n\n**** FILE IS INVALID ****\n";
  ASSERT_GE(report.size(), ending.size());
  EXPECT_EQ(report.substr(report.size() - ending.size()), ending);
  EXPECT_GT(result.files[0].races, 0);
  EXPECT_NE(report.find("Race 1 at Santa Anita"), std::string::npos);
  ASSERT_EQ(ui_.warnings().size(), 1u);
  EXPECT_EQ(ui_.warnings()[0].rfind("File " + bad + " is NOT VALID!\n", 0), 0u) << ui_.warnings()[0];
}

// The warning of an invalid card names the file and the line that failed,
// as the card reader finds them.
TEST_F(HandicapRunTest, InvalidCardWarningNamesTheBadLine) {
  std::vector<std::string> lines;
  for (int h = 1; h <= 6; ++h) {
    test::CardLineBuilder line = test::horseLine("SAX", "20260320", "1", "HORSE " + std::to_string(h));
    line.set(4, std::to_string(h)).set(6, "1320");
    lines.push_back(line.build());
  }
  std::string broken = test::horseLine("SAX", "20260320", "2", "BROKEN").set(4, "1").set(6, "1320").build();
  broken[broken.find("BROKEN")] = 'C';  // the check code no longer fits
  lines.push_back(broken);
  const fs::path card = folder_.path() / "SAX0320.TCF";
  writeFile(card, test::joinLines(lines));
  const HandicapRun result = run({card.string()});
  ASSERT_EQ(result.files.size(), 1u);
  EXPECT_EQ(result.files[0].outcome, HandicapOutcome::kInvalid);
  ASSERT_EQ(ui_.warnings().size(), 1u);
  const std::string warning = ui_.warnings()[0];
  EXPECT_EQ(warning.rfind("File " + card.string() + " is NOT VALID!\n" + card.string() + ": line 7 ", 0), 0u)
      << warning;
}

TEST_F(HandicapRunTest, MissingInputIsReportedAndTheRunGoesOn) {
  const std::string missing = (folder_.path() / "NONE0101.TCF").string();
  const HandicapRun result = run({missing, (kExamples / "plain" / "SAX0314.TCF").string()});
  ASSERT_EQ(result.files.size(), 2u);
  EXPECT_EQ(result.files[0].outcome, HandicapOutcome::kCannotOpen);
  EXPECT_EQ(result.files[0].races, 0);
  EXPECT_FALSE(fs::exists(result.files[0].reportPath));  // no report of a card never read
  EXPECT_EQ(result.files[1].outcome, HandicapOutcome::kDone);
  ASSERT_EQ(ui_.errors().size(), 1u);
  EXPECT_EQ(ui_.errors()[0].rfind("Cannot open input file '" + missing + "': ", 0), 0u) << ui_.errors()[0];
}

// An input that cannot be opened is reported with the system's reason and
// never replaces the report an earlier run left; the run goes on.
TEST_F(HandicapRunTest, InputThatCannotBeOpenedLeavesTheEarlierReport) {
  fs::create_directories(folder_.path() / "SAX0401.TCF");
  struct Case {
    const char* what;
    std::string input;
    std::string reason;
  };
  const Case cases[] = {
      {"a mistyped name", (folder_.path() / "NONE0101.TCF").string(), std::strerror(ENOENT)},
      {"a folder", (folder_.path() / "SAX0401.TCF").string(), std::strerror(EISDIR)},
      {"a dash", "-", std::strerror(ENOENT)},
  };
  for (const Case& c : cases) {
    ui_.clear();
    const std::string reportPath = reportPathFor(c.input, workspace_);
    writeFile(reportPath, "the report of an earlier run\n");
    const HandicapRun result = run({c.input, (kExamples / "plain" / "SAX0314.TCF").string()});
    ASSERT_EQ(result.files.size(), 2u) << c.what;
    EXPECT_EQ(result.files[0].outcome, HandicapOutcome::kCannotOpen) << c.what;
    EXPECT_EQ(result.files[0].races, 0) << c.what;
    EXPECT_EQ(fileText(reportPath), "the report of an earlier run\n") << c.what;
    EXPECT_EQ(result.files[1].outcome, HandicapOutcome::kDone) << c.what;
    ASSERT_EQ(ui_.errors().size(), 1u) << c.what;
    const std::string expected = "Cannot open input file '" + c.input + "': " + c.reason;
    EXPECT_EQ(ui_.errors()[0].substr(0, expected.size()), expected) << c.what;
    // Nothing of the failed file is left beside the reports.
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(workspace_.predict))
      files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 2u) << c.what;  // the earlier report and SAX0314.TXT
    fs::remove(reportPath);
  }
}

TEST_F(HandicapRunTest, CardWithNoRaceIsReported) {
  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      {"an empty file", ""},
      {"blank lines", "\n\n\n"},
  };
  for (const Case& c : cases) {
    ui_.clear();
    const fs::path card = folder_.path() / "SAX0402.TCF";
    writeFile(card, c.text);
    const HandicapRun result = run({card.string()});
    ASSERT_EQ(result.files.size(), 1u) << c.what;
    EXPECT_EQ(result.files[0].races, 0) << c.what;
    EXPECT_EQ(result.files[0].outcome, HandicapOutcome::kNoRace) << c.what;
    EXPECT_EQ(ui_.warnings(), std::vector<std::string>{"File " + card.string() + " holds no race."})
        << c.what;
  }
}

// A rule whose SIM is gone leaves its races unscored; the run says which
// and why once it has finished, and a map whose SIMs all load says nothing.
TEST_F(HandicapRunTest, RacesLeftUnscoredByAMissingSimAreListed) {
  const std::string gone = (fs::path(workspace_.sim) / "GONE.SIM").string();
  setup_.mapMode = true;
  mapRule(0, RaceCriteria::kDryOnly, simPath_, "FRESH");
  mapRule(1, RaceCriteria::kWetOnly, gone, "GONE");
  const std::string card = (kExamples / "plain" / "SAX0314.TCF").string();
  const HandicapRun result = run({card});
  ASSERT_EQ(result.files.size(), 1u);
  const HandicappedFile& file = result.files[0];
  ASSERT_GT(file.races, 0);
  // Every race that was not skipped lost its wet-track order, and only that.
  const std::string report = fileText(file.reportPath);
  size_t errors = 0;
  for (size_t at = report.find("ERROR LOADING SIM: GONE"); at != std::string::npos;
       at = report.find("ERROR LOADING SIM: GONE", at + 1)) {
    ++errors;
  }
  ASSERT_GT(errors, 0u);
  ASSERT_EQ(file.unscored.size(), errors);
  for (const UnscoredRace& race : file.unscored) {
    EXPECT_EQ(race.trackAssumed, "wet");
    EXPECT_EQ(race.simName, "GONE");
    EXPECT_NE(race.reason.find(gone), std::string::npos) << race.reason;
    EXPECT_NE(race.reason.find(std::strerror(ENOENT)), std::string::npos) << race.reason;
  }
  ASSERT_EQ(ui_.warnings().size(), 1u);
  const std::string warning = ui_.warnings()[0];
  EXPECT_EQ(warning, unscoredRacesWarning(result));
  EXPECT_NE(warning.find("NOT scored"), std::string::npos) << warning;
  EXPECT_NE(warning.find("\nSAX0314.TCF race " + std::to_string(file.unscored[0].raceNumber) +
                         " (wet track): SIM GONE: "),
            std::string::npos)
      << warning;

  ui_.clear();
  mapRule(1, RaceCriteria::kWetOnly, simPath_, "FRESH");
  const HandicapRun scored = run({card});
  ASSERT_EQ(scored.files.size(), 1u);
  EXPECT_TRUE(scored.files[0].unscored.empty());
  EXPECT_TRUE(ui_.warnings().empty());
}

TEST_F(HandicapRunTest, ReportThatCannotBeCreated) {
  fs::remove_all(workspace_.predict);
  writeFile(workspace_.predict, "a file where the folder should be");
  const HandicapRun result = run({(kExamples / "plain" / "SAX0314.TCF").string()});
  ASSERT_EQ(result.files.size(), 1u);
  EXPECT_EQ(result.files[0].outcome, HandicapOutcome::kCannotCreate);
  // The message names the file and why it cannot be made.
  EXPECT_EQ(ui_.errors(),
            std::vector<std::string>{"Cannot create file '" + joinPath(workspace_.predict, "SAX0314.TXT") +
                                     "'.\n" + "Cannot create a temporary file in " + workspace_.predict +
                                     ": " + std::strerror(ENOTDIR)});
}

TEST_F(HandicapRunTest, SimThatCannotBeLoadedStopsTheRun) {
  writeFile(simPath_, std::string(68999, '\0'));  // one byte short
  const HandicapRun result = run({(kExamples / "plain" / "SAX0314.TCF").string()});
  EXPECT_FALSE(result.simLoaded);
  EXPECT_TRUE(result.files.empty());
  EXPECT_EQ(ui_.errors(), std::vector<std::string>{"Error loading SIM\n" + simPath_ +
                                                   " holds 68999 bytes of the 69000 a weights file needs"});
  EXPECT_FALSE(fs::exists(joinPath(workspace_.predict, "SAX0314.TXT")));
}

TEST_F(HandicapRunTest, SimThatCannotBeOpenedIsNamedWithTheReason) {
  setup_.simName = "GONE";
  setup_.simPath = (fs::path(workspace_.sim) / "GONE.SIM").string();
  const HandicapRun result = run({(kExamples / "plain" / "SAX0314.TCF").string()});
  EXPECT_FALSE(result.simLoaded);
  EXPECT_EQ(ui_.errors(), std::vector<std::string>{"Error loading SIM\nCannot open " + setup_.simPath + ": " +
                                                   std::strerror(ENOENT)});
}

TEST_F(HandicapRunTest, TooManyHorsesWarnsOnceAfterTheFile) {
  std::vector<std::string> lines;
  for (int h = 1; h <= 66; ++h) {
    test::CardLineBuilder line = test::horseLine("SAX", "20260320", "1", "HORSE " + std::to_string(h));
    line.set(4, std::to_string(h)).set(6, "1320");
    lines.push_back(line.build());
  }
  const fs::path card = folder_.path() / "SAX0320.TCF";
  writeFile(card, test::joinLines(lines));
  // Scoring 64 horses takes 915 million choices: a map that matches no race
  // keeps this test to the reading and the warning.
  setup_.mapMode = true;
  mapRule(0, RaceCriteria::kAllConditions, simPath_, "FRESH");
  setup_.simMap[0].criteria.surfaceFlags = RaceCriteria::kTurfOnly;
  const HandicapRun result = run({card.string()});
  ASSERT_EQ(result.files.size(), 1u);
  EXPECT_TRUE(result.files[0].tooManyHorses);
  EXPECT_EQ(result.files[0].races, 1);
  EXPECT_EQ(ui_.warnings(),
            std::vector<std::string>{
                "File SAX0320.TCF has races that contain more than 64 horses (some horses ignored)"});
}

TEST_F(HandicapRunTest, UnzipFolderIsEmptiedFirstAndCancelStopsBetweenFiles) {
  writeFile(fs::path(workspace_.unzip) / "LEFT0101.TCF", "left by an earlier run");
  test::RecordingProgress progress(1);  // Cancel once the first file starts
  const std::string day = (kExamples / "plain" / "SAX0314.TCF").string();
  const HandicapRun result = runHandicap(setup_, model_, {day, day, day}, workspace_, ui_, progress);
  EXPECT_FALSE(fs::exists(fs::path(workspace_.unzip) / "LEFT0101.TCF"));
  EXPECT_TRUE(result.cancelled);
  EXPECT_EQ(result.files.size(), 1u);
}

TEST_F(HandicapRunTest, TablesLeaveTheReportAsItIsAndHoldEveryHorse) {
  setup_.keepTables = true;
  const std::string card = (kExamples / "plain" / "SAX0313.TCF").string();
  const HandicapRun result = run({card});
  ASSERT_EQ(result.files.size(), 1u);
  EXPECT_TRUE(ui_.empty());
  EXPECT_EQ(fileText(result.files[0].reportPath), fileText(kExpected / "SAX0313_single.TXT"));
  const std::vector<RaceTable>& tables = result.files[0].tables;
  ASSERT_EQ(tables.size(), 9u);

  // Each race scored again here, horse by horse.
  std::ifstream in(card, std::ios::binary);
  CardReader reader(in, card);
  auto race = std::make_unique<Race>();
  size_t index = 0;
  while (reader.next(*race)) {
    ASSERT_LT(index, tables.size());
    const RaceTable& table = tables[index++];
    SCOPED_TRACE("race " + std::to_string(race->text.raceNumber));
    EXPECT_EQ(table.cardFile, "SAX0313.TCF");
    EXPECT_EQ(table.track, "SAX");
    EXPECT_EQ(table.raceNumber, race->text.raceNumber);
    EXPECT_EQ(table.simName, "FRESH");
    EXPECT_EQ(table.trackAssumed, "");
    EXPECT_EQ(table.note, "");
    std::vector<double> scores(kMostScoredHorses);
    ASSERT_TRUE(scoreRaceHorses(model_, race->profile, scores));
    const int n = race->profile.horseCount;
    ASSERT_EQ(table.horses.size(), static_cast<size_t>(n));
    double total = 0;
    for (int h = 0; h < n; ++h) total += scores[h];
    double percents = 0;
    for (int h = 0; h < n; ++h) {
      const HorseFigures& horse = table.horses[h];
      EXPECT_EQ(horse.name, std::string(race->profile.horses[h].name));
      EXPECT_EQ(horse.post, race->profile.horses[h].postPosition);
      EXPECT_NEAR(horse.winPercent, 100 * scores[h] / total, 1e-9) << h;
      EXPECT_NEAR(horse.fairOdds, total / scores[h] - 1, 1e-9) << h;
      EXPECT_EQ(horse.morningLine, race->text.horseList[h].morningLine) << h;
      percents += horse.winPercent;
    }
    EXPECT_NEAR(percents, 100, 1e-9);
    ASSERT_EQ(table.exactas.size(), 5u);
    ASSERT_EQ(table.trifectas.size(), 5u);
    // The likeliest exacta is led by the SIM's top pick, as in the report.
    size_t top = 0;
    for (size_t h = 1; h < table.horses.size(); ++h) {
      if (table.horses[h].winPercent > table.horses[top].winPercent) top = h;
    }
    EXPECT_EQ(table.exactas[0].horses[0], table.horses[top].program);
  }
  EXPECT_EQ(index, tables.size());
}

TEST_F(HandicapRunTest, TablesOfRacesWithoutFigures) {
  // Race 1 has 4 horses, race 2 has 5.
  std::vector<std::string> lines;
  for (int race = 1; race <= 2; ++race) {
    for (int h = 1; h <= race + 3; ++h) {
      test::CardLineBuilder line =
          test::horseLine("SAX", "20260320", std::to_string(race), "HORSE " + std::to_string(h));
      line.set(4, std::to_string(h)).set(6, "1320");
      lines.push_back(line.build());
    }
  }
  const fs::path card = folder_.path() / "SAX0320.TCF";
  writeFile(card, test::joinLines(lines));
  setup_.keepTables = true;
  HandicapRun result = run({card.string()});
  ASSERT_EQ(result.files.size(), 1u);
  ASSERT_EQ(result.files[0].tables.size(), 2u);
  EXPECT_EQ(result.files[0].tables[0].note, kTooFewHorsesNote);
  EXPECT_EQ(result.files[0].tables[0].horses.size(), 4u);
  EXPECT_EQ(result.files[0].tables[1].note, "");
  EXPECT_EQ(result.files[0].tables[1].horses.size(), 5u);

  // Under an SI Map whose dry SIM is missing: the dry table says so, the wet
  // one has its figures from the SIM that loaded.
  const std::string gone = (fs::path(workspace_.sim) / "GONE.SIM").string();
  setup_.mapMode = true;
  mapRule(0, RaceCriteria::kDryOnly, gone, "GONE");
  mapRule(1, RaceCriteria::kWetOnly, simPath_, "FRESH");
  result = run({card.string()});
  ASSERT_EQ(result.files.size(), 1u);
  const std::vector<RaceTable>& tables = result.files[0].tables;
  ASSERT_EQ(tables.size(), 3u);
  EXPECT_EQ(tables[0].note, kTooFewHorsesNote);
  EXPECT_EQ(tables[1].trackAssumed, "dry");
  EXPECT_EQ(tables[1].simName, "GONE");
  EXPECT_EQ(tables[1].note, kSimNotLoadedNote);
  EXPECT_EQ(tables[1].horses.size(), 5u);
  EXPECT_TRUE(tables[1].exactas.empty());
  EXPECT_EQ(tables[2].trackAssumed, "wet");
  EXPECT_EQ(tables[2].simName, "FRESH");
  EXPECT_EQ(tables[2].note, "");
  EXPECT_EQ(tables[2].exactas.size(), 5u);

  // A map that matches no race.
  setup_.simMap[0].enabled = false;
  setup_.simMap[1].enabled = false;
  result = run({card.string()});
  ASSERT_EQ(result.files[0].tables.size(), 2u);
  EXPECT_EQ(result.files[0].tables[1].note, kNoRuleNote);
}

TEST_F(HandicapRunTest, TablesAreWrittenWholeOrNotAtAll) {
  setup_.keepTables = true;
  const HandicapRun result = run({(kExamples / "plain" / "SAX0314.TCF").string()});
  ASSERT_FALSE(result.files[0].tables.empty());
  const HandicapTableOptions options;
  std::ostringstream csv;
  writeHandicapCsv(result.files[0].tables, csv);
  std::ostringstream json;
  writeHandicapJson(result.files[0].tables, options, json);
  const fs::path csvPath = folder_.path() / "out" / "day.csv";
  const fs::path jsonPath = folder_.path() / "out" / "day.json";
  fs::create_directories(csvPath.parent_path());
  ASSERT_TRUE(writeHandicapTables(result, options, HandicapTableFormat::kCsv, csvPath.string(), ui_));
  ASSERT_TRUE(writeHandicapTables(result, options, HandicapTableFormat::kJson, jsonPath.string(), ui_));
  EXPECT_EQ(fileText(csvPath), csv.str());
  EXPECT_EQ(fileText(jsonPath), json.str());
  EXPECT_TRUE(ui_.empty());

  const struct {
    const char* what;
    void (*arrange)(test::FaultyFileSystem&);
    int error;
  } cases[] = {
      {"full disk", [](test::FaultyFileSystem& disk) { disk.failWritesFrom(1); }, ENOSPC},
      {"failed flush", [](test::FaultyFileSystem& disk) { disk.failSync(); }, EIO},
      {"failed rename", [](test::FaultyFileSystem& disk) { disk.failRename(EACCES); }, EACCES},
      {"cannot create", [](test::FaultyFileSystem& disk) { disk.failCreate(EROFS); }, EROFS},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    writeFile(csvPath, "the earlier table\n");
    test::FaultyFileSystem disk;
    c.arrange(disk);
    RecordingInteraction ui;
    EXPECT_FALSE(writeHandicapTables(result, options, HandicapTableFormat::kCsv, csvPath.string(), ui, disk));
    ASSERT_EQ(ui.errors().size(), 1u);
    const std::string error = ui.errors()[0];
    EXPECT_EQ(error.rfind("Cannot create file '" + csvPath.string() + "'.\n", 0), 0u) << error;
    EXPECT_NE(error.find(std::strerror(c.error)), std::string::npos) << error;
    EXPECT_EQ(fileText(csvPath), "the earlier table\n");
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(csvPath.parent_path())) {
      left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"day.csv", "day.json"}));
  }
  // A folder that is not there.
  RecordingInteraction ui;
  const std::string nowhere = (folder_.path() / "missing" / "day.csv").string();
  EXPECT_FALSE(writeHandicapTables(result, options, HandicapTableFormat::kCsv, nowhere, ui));
  ASSERT_EQ(ui.errors().size(), 1u);
  EXPECT_EQ(ui.errors()[0].rfind("Cannot create file '" + nowhere + "'.\n", 0), 0u);
  EXPECT_NE(ui.errors()[0].find(std::strerror(ENOENT)), std::string::npos) << ui.errors()[0];
  EXPECT_FALSE(fs::exists(nowhere));
}

}  // namespace
}  // namespace stridewell
