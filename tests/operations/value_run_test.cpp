// The value betting run: a race's record from its scores and result (the
// SIM's shares, the combined chances recomputed here in their power form,
// dead heats and the races left out); the run over the sample days, the
// same report and curve for a shuffled dataset and for any number of
// threads; Cancel; and the curve file, which a failing disk never leaves
// half-written.
#include "operations/value_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/workspace.h"
#include "datasets/build_pair.h"
#include "datasets/dataset_file.h"
#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "operations/create_run.h"
#include "race/card_values.h"
#include "race/criteria_choices.h"
#include "race/race.h"
#include "report_races.h"
#include "support/faulty_file_system.h"
#include "support/recording_interaction.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using test::RecordingInteraction;
using test::RecordingProgress;

const fs::path kSource = STRIDEWELL_SOURCE_DIR;

// A field of `odds.size()` horses, all tied to finishers in slot order;
// finish[i] is slot i's finish and payoff[i] its win payoff.
struct Field {
  std::vector<float> odds;
  std::vector<int> finish;
  std::vector<float> payoff;
};

void fill(const Field& spec, RaceProfile& profile, RaceResult& result) {
  clearRecord(profile);
  clearRecord(result);
  profile.horseCount = static_cast<uint8_t>(spec.odds.size());
  std::memcpy(result.track, "SAX", 4);
  result.date = packDate("20260315");
  result.raceNumber = 4;
  result.finisherCount = static_cast<uint8_t>(spec.odds.size());
  for (size_t i = 0; i < spec.odds.size(); ++i) {
    FinisherEntry& finisher = result.finishers[i];
    finisher.cardIndex = static_cast<uint8_t>(i);
    finisher.finishPosition = static_cast<uint8_t>(spec.finish[i]);
    finisher.odds = spec.odds[i];
    finisher.winPayoff = spec.payoff[i];
  }
}

TEST(ValueRaceOfTest, SharesOddsPayoffsAndTheRacesLeftOut) {
  const std::vector<double> scores = {4, 3, 1, 1, 1};  // shares .4, .3, .1, .1, .1
  const Field plain{{1.5f, 2, 8, 9, 12}, {2, 1, 3, 4, 5}, {0, 6.2f, 0, 0, 0}};
  RaceProfile profile;
  RaceResult result;
  fill(plain, profile, result);
  std::optional<ValueRace> race = valueRaceOf(profile, result, scores, nullptr);
  ASSERT_TRUE(race);
  EXPECT_EQ(race->track, "SAX");
  EXPECT_EQ(race->raceNumber, 4);
  EXPECT_EQ(race->date, packDate("20260315"));
  ASSERT_EQ(race->horses.size(), 5u);
  for (size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(race->horses[i].chance, scores[i] / 10, 1e-12);
    EXPECT_FLOAT_EQ(static_cast<float>(race->horses[i].odds), plain.odds[i]);
    EXPECT_EQ(race->horses[i].won, i == 1);
  }
  EXPECT_FLOAT_EQ(static_cast<float>(race->horses[1].winPayoff), 6.2f);

  // A dead heat: both winners, each with the payoff the results give it.
  Field deadHeat = plain;
  deadHeat.finish = {1, 1, 3, 4, 5};
  deadHeat.payoff = {2.6f, 3.1f, 0, 0, 0};
  fill(deadHeat, profile, result);
  race = valueRaceOf(profile, result, scores, nullptr);
  ASSERT_TRUE(race);
  EXPECT_TRUE(race->horses[0].won && race->horses[1].won);
  EXPECT_FLOAT_EQ(static_cast<float>(race->horses[0].winPayoff), 2.6f);

  // A horse without odds is kept (it is never bet) unless the chances are
  // combined, which need the public's opinion of every horse.
  Field noOdds = plain;
  noOdds.odds[3] = 0;
  fill(noOdds, profile, result);
  race = valueRaceOf(profile, result, scores, nullptr);
  ASSERT_TRUE(race);
  EXPECT_EQ(race->horses[3].odds, 0.0);
  LogitFit fit;
  fit.ok = true;
  fit.a = 0.5;
  fit.b = 0.9;
  EXPECT_FALSE(valueRaceOf(profile, result, scores, &fit));

  struct LeftOut {
    const char* what;
    Field field;
    std::vector<double> scores;
    int untie = -1;  // a finisher moved off the field
  };
  const LeftOut cases[] = {
      {"no winner", {{2, 2, 2, 2, 2}, {2, 3, 4, 5, 6}, {0, 0, 0, 0, 0}}, scores},
      {"four horses", {{2, 2, 2, 2}, {1, 2, 3, 4}, {6, 0, 0, 0}}, {1, 1, 1, 1}},
      {"a score of 0", plain, {4, 3, 0, 1, 1}},
      {"a score that is not finite", plain, {4, NAN, 1, 1, 1}},
      {"a horse without a finisher", plain, scores, 2},
  };
  for (const LeftOut& c : cases) {
    SCOPED_TRACE(c.what);
    fill(c.field, profile, result);
    if (c.untie >= 0) result.finishers[c.untie].cardIndex = 40;
    EXPECT_FALSE(valueRaceOf(profile, result, c.scores, nullptr));
  }
}

TEST(ValueRaceOfTest, CombinedChancesAreSharePowersOfBothOpinions) {
  // exp(a ln s + b ln q) is s^a q^b; normalised over the field it is the
  // combined chance, computed here without logs.
  const std::vector<double> scores = {5, 2, 2, 0.5, 0.5};
  const Field field{{1, 3, 4, 10, 20}, {3, 1, 2, 4, 5}, {0, 8, 0, 0, 0}};
  RaceProfile profile;
  RaceResult result;
  fill(field, profile, result);
  LogitFit fit;
  fit.ok = true;
  fit.a = 0.45;
  fit.b = 0.92;
  const std::optional<ValueRace> race = valueRaceOf(profile, result, scores, &fit);
  ASSERT_TRUE(race);
  double sTotal = 0, qTotal = 0;
  for (size_t i = 0; i < 5; ++i) {
    sTotal += scores[i];
    qTotal += 1 / (field.odds[i] + 1.0);
  }
  std::vector<double> power;
  double total = 0;
  for (size_t i = 0; i < 5; ++i) {
    power.push_back(std::pow(scores[i] / sTotal, fit.a) *
                    std::pow(1 / (field.odds[i] + 1.0) / qTotal, fit.b));
    total += power.back();
  }
  double sum = 0;
  for (size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(race->horses[i].chance, power[i] / total, 1e-12);
    sum += race->horses[i].chance;
  }
  EXPECT_NEAR(sum, 1.0, 1e-12);
}

// The races of the shipped sample days, three times over so that the run
// takes several batches.
std::vector<std::unique_ptr<Race>> sampleRaces() {
  test::TempFolder folder;
  const Workspace workspace = workspaceAt(folder.path().string(), folder.path().string());
  const std::string plain = (kSource / "examples" / "plain").string();
  std::ostringstream once(std::ios::binary);
  for (const FilePair& pair : pairCardFolder(plain).pairs) {
    buildPair([&](const Race& race) { return writeDatasetRace(once, race); }, plain, pair, workspace);
  }
  std::vector<std::unique_ptr<Race>> races;
  for (int copy = 0; copy < 3; ++copy) {
    std::istringstream in(once.str(), std::ios::binary);
    DatasetReader reader(in, "samples");
    for (auto race = std::make_unique<Race>(); reader.next(*race); race = std::make_unique<Race>()) {
      races.push_back(std::move(race));
    }
  }
  return races;
}

std::string bytesOf(const std::vector<const Race*>& races) {
  std::ostringstream out(std::ios::binary);
  for (const Race* race : races) EXPECT_TRUE(writeDatasetRace(out, *race));
  return out.str();
}

struct ValueRun {
  ValueOutcome outcome;
  std::string report;
  std::string curve;
  std::vector<std::string> errors;
};

class ValueRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::copy_file(kSource / "data" / "Default.SIM", folder_.path() / "Default.SIM"));
    model_ = std::make_unique<SimModel>(true);
    ASSERT_GT(defineSimShape(*model_, {}, true), 0);
    request_.datasetName = "Spring";
    request_.datasetPath = (folder_.path() / "Spring.DSI").string();
    request_.simName = "Default";
    request_.simPath = (folder_.path() / "Default.SIM").string();
    request_.criteria = buildCriteria(CriteriaChoices{});
    request_.curvePath = (folder_.path() / "curve.csv").string();
  }

  void writeDataset(const std::string& bytes) const {
    std::ofstream(request_.datasetPath, std::ios::binary | std::ios::trunc) << bytes;
  }

  ValueRun run(int threads = 1, int cancelAfter = 0, FileSystem& disk = realFileSystem()) {
    ValueRequest request = request_;
    request.options.threads = threads;
    RecordingInteraction ui;
    RecordingProgress progress(cancelAfter);
    std::ostringstream report;
    ValueRun result;
    result.outcome = runValueBetting(request, *model_, report, ui, progress, disk);
    result.report = report.str();
    result.curve = test::readFile(request.curvePath);
    result.errors = ui.errors();
    return result;
  }

  test::TempFolder folder_;
  std::unique_ptr<SimModel> model_;
  ValueRequest request_;
};

TEST_F(ValueRunTest, ShuffledDatasetAndAnyThreadCountGiveTheSameRun) {
  const std::vector<std::unique_ptr<Race>> races = sampleRaces();
  ASSERT_GT(races.size(), 20u);
  std::vector<const Race*> inOrder;
  for (const auto& race : races) inOrder.push_back(race.get());
  // Every third race from the last backwards, then the others from the
  // first on: days and race numbers out of order throughout.
  std::vector<const Race*> shuffled;
  for (size_t i = inOrder.size(); i-- > 0;) {
    if (i % 3 == 0) shuffled.push_back(inOrder[i]);
  }
  for (size_t i = 0; i < inOrder.size(); ++i) {
    if (i % 3 != 0) shuffled.push_back(inOrder[i]);
  }

  writeDataset(bytesOf(inOrder));
  const ValueRun sorted = run(1);
  ASSERT_EQ(sorted.outcome.status, ValueStatus::kDone) << sorted.report;
  const ValueSummary& s = sorted.outcome.summary;
  ASSERT_GT(s.bets, 0) << sorted.report;
  // The curve file has a line per race with bets, in date order.
  std::vector<std::string> lines;
  std::istringstream curve(sorted.curve);
  for (std::string line; std::getline(curve, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), s.curve.size() + 1);
  EXPECT_EQ(lines[0], "date,track,race,bets,staked,returned,bankroll");
  EXPECT_TRUE(std::is_sorted(lines.begin() + 1, lines.end(), [](const std::string& a, const std::string& b) {
    return a.substr(0, 10) < b.substr(0, 10);
  }));
  // The money adds up: the last bankroll is the first plus the net.
  EXPECT_EQ(s.finalBankroll, s.startBankroll + s.returned - s.staked);
  EXPECT_EQ(s.curve.back().bankroll, s.finalBankroll);
  EXPECT_NE(sorted.report.find("Races:            " + std::to_string(s.races) + " with chances"),
            std::string::npos);

  writeDataset(bytesOf(shuffled));
  for (const int threads : {1, 3}) {
    SCOPED_TRACE(threads);
    const ValueRun other = run(threads);
    ASSERT_EQ(other.outcome.status, ValueStatus::kDone);
    EXPECT_EQ(other.report, sorted.report);
    EXPECT_EQ(other.curve, sorted.curve);
  }
}

TEST_F(ValueRunTest, CancelWritesNothing) {
  const std::vector<std::unique_ptr<Race>> races = sampleRaces();
  std::vector<const Race*> all;
  for (const auto& race : races) all.push_back(race.get());
  writeDataset(bytesOf(all));
  test::writeFile(request_.curvePath, "old curve\n");
  for (const int threads : {1, 2}) {
    SCOPED_TRACE(threads);
    const ValueRun cancelled = run(threads, 2);
    EXPECT_EQ(cancelled.outcome.status, ValueStatus::kCancelled);
    EXPECT_EQ(cancelled.report, "");
    EXPECT_EQ(cancelled.curve, "old curve\n");
  }
  EXPECT_EQ(test::folderEntries(folder_.path()),
            (std::vector<std::string>{"Default.SIM", "Spring.DSI", "curve.csv"}));
}

TEST_F(ValueRunTest, ErrorsBeforeTheRunAndAFailingCurveFile) {
  const std::vector<std::unique_ptr<Race>> races = sampleRaces();
  writeDataset(bytesOf({races[0].get(), races[1].get(), races[2].get()}));
  test::writeFile(request_.curvePath, "old curve\n");

  request_.datasetPath = (folder_.path() / "Missing.DSI").string();
  ValueRun missing = run();
  EXPECT_EQ(missing.outcome.status, ValueStatus::kFailed);
  ASSERT_EQ(missing.errors.size(), 1u);
  EXPECT_EQ(missing.errors[0], "Error opening dataset\n" + request_.datasetPath);
  request_.datasetPath = (folder_.path() / "Spring.DSI").string();

  request_.fitDatasetName = "Gone";
  request_.fitDatasetPath = (folder_.path() / "Gone.DSI").string();
  missing = run();
  EXPECT_EQ(missing.outcome.status, ValueStatus::kFailed);
  ASSERT_EQ(missing.errors.size(), 1u);
  EXPECT_EQ(missing.errors[0], "Error opening dataset\n" + request_.fitDatasetPath);
  request_.fitDatasetPath.clear();

  request_.curvePath = (folder_.path() / "no such folder" / "curve.csv").string();
  missing = run();
  EXPECT_EQ(missing.outcome.status, ValueStatus::kFailed);
  EXPECT_EQ(missing.report, "");
  ASSERT_EQ(missing.errors.size(), 1u);
  EXPECT_EQ(missing.errors[0], "Cannot write " + request_.curvePath + ": No such file or directory");
  request_.curvePath = (folder_.path() / "curve.csv").string();

  for (const test::ReportFileFault& fault : test::reportFileFaults()) {
    SCOPED_TRACE(fault.what);
    test::FaultyFileSystem disk;
    fault.arrange(disk);
    const ValueRun failed = run(1, 0, disk);
    ASSERT_EQ(failed.errors.size(), 1u);
    EXPECT_EQ(failed.errors[0], "Cannot write " + request_.curvePath + ": " + fault.reason);
    if (fault.atCreate) {
      // Known before a race is read: no report at all.
      EXPECT_EQ(failed.outcome.status, ValueStatus::kFailed);
      EXPECT_EQ(failed.report, "");
    } else {
      EXPECT_EQ(failed.outcome.status, ValueStatus::kDone);
      EXPECT_TRUE(failed.outcome.curveFailed);
      EXPECT_NE(failed.report.find("Bankroll:"), std::string::npos);
    }
    // The old file whole, and no new file left beside it.
    EXPECT_EQ(failed.curve, "old curve\n");
    EXPECT_EQ(test::folderEntries(folder_.path()),
              (std::vector<std::string>{"Default.SIM", "Spring.DSI", "curve.csv"}));
  }
}

}  // namespace
}  // namespace stridewell
