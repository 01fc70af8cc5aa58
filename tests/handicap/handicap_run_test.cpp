// The handicap run on real card files: report names, the report's opening,
// the invalid-file ending, every message of the run, archives, and the
// reports of a shipped sample day in single-SIM and SI Map mode compared
// with stored reports (reviewed line by line against the report formats).
#include "handicap/handicap_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "app/workspace.h"
#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "race/card_line_builder.h"
#include "support/recording_interaction.h"
#include "sim_rule_builder.h"
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
  EXPECT_EQ(ui_.warnings(), std::vector<std::string>{"File " + bad + " is NOT VALID!"});
}

TEST_F(HandicapRunTest, MissingInputIsReportedAndTheRunGoesOn) {
  const std::string missing = (folder_.path() / "NONE0101.TCF").string();
  const HandicapRun result = run({missing, (kExamples / "plain" / "SAX0314.TCF").string()});
  ASSERT_EQ(result.files.size(), 2u);
  EXPECT_EQ(result.files[0].outcome, HandicapOutcome::kCannotOpen);
  EXPECT_EQ(result.files[0].races, 0);
  EXPECT_EQ(fileText(result.files[0].reportPath), "SIM In Use: FRESH\n\n");
  EXPECT_EQ(result.files[1].outcome, HandicapOutcome::kDone);
  EXPECT_EQ(ui_.errors(), std::vector<std::string>{"Cannot open input file '" + missing + "'."});
}

TEST_F(HandicapRunTest, ReportThatCannotBeCreated) {
  fs::remove_all(workspace_.predict);
  writeFile(workspace_.predict, "a file where the folder should be");
  const HandicapRun result = run({(kExamples / "plain" / "SAX0314.TCF").string()});
  ASSERT_EQ(result.files.size(), 1u);
  EXPECT_EQ(result.files[0].outcome, HandicapOutcome::kCannotCreate);
  EXPECT_EQ(ui_.errors(),
            std::vector<std::string>{"Cannot create file '" + joinPath(workspace_.predict, "SAX0314.TXT") + "'."});
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
            std::vector<std::string>{"File SAX0320.TCF has races that contain more than 64 horses (some horses ignored)"});
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

}  // namespace
}  // namespace stridewell
