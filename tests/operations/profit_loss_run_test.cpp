// The profit/loss run: what each race goes through before it is scored,
// the race loop over hand-made and sample datasets (criteria on the
// recorded condition, auto scratch, cancel, a damaged end, any number of
// threads giving the same report), the errors that stop a run early and
// the report file that cannot be written.
#include "operations/profit_loss_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/segment_breakdown.h"
#include "analysis/strategy_totals.h"
#include "analysis/totals_report.h"
#include "base/interaction.h"
#include "base/workspace.h"
#include "datasets/build_pair.h"
#include "datasets/dataset_file.h"
#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "operations/create_run.h"
#include "patterns/race_scoring.h"
#include "race/card_values.h"
#include "race/criteria_choices.h"
#include "race/race.h"
#include "report_races.h"
#include "support/recording_interaction.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using test::RecordingInteraction;
using test::RecordingProgress;

const fs::path kSource = STRIDEWELL_SOURCE_DIR;

// A net from the fixed seeds: every run of the tests gets the same weights.
std::unique_ptr<SimModel> freshSim() {
  auto model = std::make_unique<SimModel>(true);
  EXPECT_GT(defineSimShape(*model, {}, true), 0);
  return model;
}

std::unique_ptr<SimModel> defaultSim() {
  auto model = std::make_unique<SimModel>(true);
  EXPECT_GT(defineSimShape(*model, {}, true), 0);
  EXPECT_TRUE(model->loadWeights(kSource / "data" / "Default.SIM"));
  return model;
}

RaceCriteria criteriaFor(int conditionItem) {
  CriteriaChoices choices;
  choices.condition = conditionItem;
  return buildCriteria(choices);
}
const RaceCriteria kAllRaces = criteriaFor(0);

void copyName(char (&slot)[30], const std::string& name) {
  std::memset(slot, 0, sizeof slot);
  std::memcpy(slot, name.data(), std::min(name.size(), sizeof slot - 1));
}

// A race with `horses` horses that differ in form, all but `absent` among
// the finishers (in reverse card order), with straight payoffs, odds and
// every exotic pool.
struct HandRace {
  int horses = 6;
  int absent = -1;
  uint8_t condition = kDry;
  uint8_t cardSurface = RaceCard::kDirt;
  uint8_t resultSurface = RaceCard::kDirt;
};

std::unique_ptr<Race> handRace(const HandRace& spec) {
  auto race = std::make_unique<Race>();
  clearRecord(race->card);
  clearRecord(race->profile);
  clearRecord(race->result);
  race->card.horseCount = static_cast<uint8_t>(spec.horses);
  race->card.surface = spec.cardSurface;
  race->profile.horseCount = static_cast<uint8_t>(spec.horses);
  race->profile.surface = spec.cardSurface;
  race->profile.distanceYards = 1320;
  race->profile.sprintRoute = RaceProfile::kSprint;
  race->result.condition = spec.condition;
  race->result.surface = spec.resultSurface;
  race->result.exactaPayoff = 40;
  race->result.quinellaPayoff = 20;
  race->result.trifectaPayoff = 150;
  race->result.superfectaPayoff = 600;
  for (int i = 0; i < spec.horses; ++i) {
    const std::string name = "Horse " + std::string(1, static_cast<char>('A' + i));
    HorseEntry& entry = race->card.horses[i];
    copyName(entry.name, name);
    entry.morningLine = static_cast<float>(2 + i);
    entry.postPosition = static_cast<uint8_t>(i + 1);
    HorseProfile& horse = race->profile.horses[i];
    copyName(horse.name, name);
    horse.morningLine = static_cast<float>(2 + i);
    horse.postPosition = static_cast<uint8_t>(i + 1);
    horse.age = 4;
    horse.weight = 120;
    horse.dryRateAverage = static_cast<float>(60 + 7 * ((i * 5) % spec.horses));
    horse.bestRate = horse.dryRateAverage + 5;
    horse.earlySpeed = static_cast<uint8_t>(i % 9);
    horse.pastRaceCount = 5;
    horse.avgSpeedRating10 = static_cast<int16_t>(700 + 30 * ((i * 3) % spec.horses));
    horse.recordBlocks[0] = RecordBlock{10, static_cast<uint8_t>(5 + 4 * i), 10, 10};
  }
  int place = 0;
  for (int i = spec.horses - 1; i >= 0; --i) {
    if (i == spec.absent) continue;
    FinisherEntry& finisher = race->result.finishers[place];
    std::string upper = "HORSE " + std::string(1, static_cast<char>('A' + i));
    copyName(finisher.name, upper);
    finisher.cardIndex = static_cast<uint8_t>(i);
    finisher.finishPosition = static_cast<uint8_t>(place + 1);
    finisher.odds = 1.5f + static_cast<float>(i);
    finisher.winPayoff = place == 0 ? 7.2f : 0;
    finisher.placePayoff = place <= 1 ? 4.4f : 0;
    finisher.showPayoff = place <= 2 ? 3.1f : 0;
    ++place;
  }
  race->result.finisherCount = static_cast<uint8_t>(place);
  return race;
}

std::string datasetOf(const std::vector<const Race*>& races) {
  std::ostringstream out(std::ios::binary);
  for (const Race* race : races) EXPECT_TRUE(writeDatasetRace(out, *race));
  return out.str();
}

struct LoopRun {
  int analyzed = 0;
  std::string report;
  std::string comma;
  std::vector<std::string> warnings;
  std::vector<int> percents;
};

LoopRun runLoop(const std::string& bytes, SimModel& model, const RaceCriteria& criteria,
                ProfitLossOptions options = {}, int cancelAfter = 0) {
  std::istringstream dataset(bytes, std::ios::binary);
  std::ostringstream report, comma;
  RecordingInteraction ui;
  RecordingProgress progress(cancelAfter);
  LoopRun run;
  run.analyzed = runRaceLoop(criteria, dataset, "TEST.DSI", report, &comma, model, options, ui, progress);
  run.report = report.str();
  run.comma = comma.str();
  run.warnings = ui.warnings();
  run.percents = progress.percents();
  return run;
}

// The #bets column of a strategy's line in a report.
int betsOf(const std::string& report, const std::string& name) {
  std::istringstream in(report);
  for (std::string line; std::getline(in, line);) {
    const std::string padded = name + std::string(20 - name.size(), ' ');
    if (line.size() > 26 && line.compare(0, 20, padded) == 0) {
      return std::stoi(line.substr(21, 5));
    }
  }
  ADD_FAILURE() << "no line for " << name;
  return -1;
}

// --- Preparing a race ---

struct PrepareCase {
  const char* what;
  int conditionItem;  // 0 all, 1 wet only, 2 dry only
  uint8_t raceCondition;
  bool forceDry;
  bool kept;
  uint8_t scoredCondition;
};

TEST(PrepareRaceTest, CriteriaSeeTheRecordedConditionAndScoringGetsDry) {
  const PrepareCase cases[] = {
      {"any track, wet race", 0, kWet, true, true, kDry},
      {"dry only, wet race", 2, kWet, true, false, kWet},
      {"dry only, dry race", 2, kDry, true, true, kDry},
      {"wet only, wet race: scored as dry", 1, kWet, true, true, kDry},
      {"wet only, dry race", 1, kDry, true, false, kDry},
      {"wet only, wet race, not forced dry", 1, kWet, false, true, kWet},
  };
  for (const PrepareCase& c : cases) {
    SCOPED_TRACE(c.what);
    HandRace spec;
    spec.condition = c.raceCondition;
    auto race = handRace(spec);
    ProfitLossOptions options;
    options.forceDry = c.forceDry;
    EXPECT_EQ(prepareRace(*race, criteriaFor(c.conditionItem), options), c.kept);
    EXPECT_EQ(race->result.condition, c.scoredCondition);
  }
}

TEST(PrepareRaceTest, SkipTurfToDirt) {
  struct Case {
    uint8_t card, result;
    bool skipOn, kept;
  };
  const Case cases[] = {
      {RaceCard::kTurf, RaceCard::kDirt, true, false},
      {RaceCard::kOtherSurface, RaceCard::kDirt, true, false},
      {RaceCard::kTurf, RaceCard::kTurf, true, true},
      {RaceCard::kDirt, RaceCard::kDirt, true, true},
      {RaceCard::kDirt, RaceCard::kTurf, true, true},
      {RaceCard::kTurf, RaceCard::kDirt, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "card " << int(c.card) << " run " << int(c.result) << " skip "
                                    << c.skipOn);
    HandRace spec;
    spec.cardSurface = c.card;
    spec.resultSurface = c.result;
    auto race = handRace(spec);
    ProfitLossOptions options;
    options.skipTurfToDirt = c.skipOn;
    EXPECT_EQ(prepareRace(*race, kAllRaces, options), c.kept);
  }
}

TEST(PrepareRaceTest, MorningLineOddsComeFromEachFinishersCardHorse) {
  HandRace spec;
  spec.absent = 2;
  auto race = handRace(spec);
  // A finisher tied to no horse of the field has no morning line.
  race->result.finishers[4].cardIndex = 9;
  ProfitLossOptions options;
  options.morningLineOdds = true;
  options.autoScratch = false;
  ASSERT_TRUE(prepareRace(*race, kAllRaces, options));
  // The records are packed: figures are copied out before they are compared.
  for (int j = 0; j < 4; ++j) {
    const int slot = race->result.finishers[j].cardIndex;
    const float odds = race->result.finishers[j].odds;
    EXPECT_EQ(odds, static_cast<float>(2 + slot)) << "finisher " << j;
  }
  const float unknown = race->result.finishers[4].odds;
  EXPECT_EQ(unknown, 0.0f);
  // Payoffs are left alone.
  const float payoff = race->result.finishers[0].winPayoff;
  EXPECT_EQ(payoff, 7.2f);
}

// --- The race loop ---

TEST(RaceLoopTest, DryTracksOnlyTestsTheRecordedCondition) {
  HandRace wet, dry;
  wet.condition = kWet;
  auto wet1 = handRace(wet), dryRace = handRace(dry), wet2 = handRace(wet);
  const std::string bytes = datasetOf({wet1.get(), dryRace.get(), wet2.get()});
  auto model = freshSim();
  struct Case {
    int conditionItem;
    int analyzed;
  };
  for (const Case& c : {Case{0, 3}, Case{1, 2}, Case{2, 1}}) {
    SCOPED_TRACE(c.conditionItem);
    const LoopRun run = runLoop(bytes, *model, criteriaFor(c.conditionItem));
    EXPECT_EQ(run.analyzed, c.analyzed);
    EXPECT_EQ(betsOf(run.report, "WIN"), c.analyzed);
    EXPECT_EQ(betsOf(run.report, "EXACTA"), c.analyzed);
  }
}

TEST(RaceLoopTest, AutoScratchDropsAHorseThatDidNotRun) {
  auto model = freshSim();
  // The horse the SIM likes best is the one that did not run: left in, it
  // is a pick without a finisher and the race cannot be bet on.
  auto whole = handRace(HandRace{});
  RacePrediction prediction;
  ASSERT_EQ(scoreRace(prediction, *model, whole->profile, kDry), kPredictedPlaces);
  HandRace spec;
  spec.absent = prediction.entries[0].horse;
  auto race = handRace(spec);
  const std::string bytes = datasetOf({race.get()});

  ProfitLossOptions without;
  without.autoScratch = false;
  EXPECT_EQ(runLoop(bytes, *model, kAllRaces, without).analyzed, 0);
  const LoopRun scratched = runLoop(bytes, *model, kAllRaces);
  EXPECT_EQ(scratched.analyzed, 1);
  EXPECT_EQ(betsOf(scratched.report, "WIN"), 1);
}

TEST(RaceLoopTest, EmptyDatasetGivesTheFullTableOfZeros) {
  auto model = freshSim();
  for (const bool shortReport : {false, true}) {
    ProfitLossOptions options;
    options.shortReport = shortReport;
    const LoopRun run = runLoop("", *model, kAllRaces, options);
    EXPECT_EQ(run.analyzed, 0);
    std::istringstream in(run.report);
    std::string line;
    ASSERT_TRUE(std::getline(in, line));
    EXPECT_EQ(line.rfind("BetType ", 0), 0u);
    int lines = 0;
    while (std::getline(in, line)) {
      ++lines;
      EXPECT_EQ(line.substr(20), "     0     0   0.00%  $     0.00 $     0.00    0.00%") << line;
    }
    EXPECT_EQ(lines, shortReport ? kShortStrategyCount : kStrategyCount);
    EXPECT_EQ(std::count(run.comma.begin(), run.comma.end(), '\n'), lines + 1);
  }
}

// The races of the shipped sample days, three times over so that the run
// takes several batches.
std::string sampleDataset() {
  test::TempFolder folder;
  const Workspace workspace = workspaceAt(folder.path().string(), folder.path().string());
  const std::string plain = (kSource / "examples" / "plain").string();
  std::ostringstream once(std::ios::binary);
  for (const FilePair& pair : pairCardFolder(plain).pairs) {
    buildPair([&](const Race& race) { return writeDatasetRace(once, race); }, plain, pair, workspace);
  }
  EXPECT_GT(once.str().size(), 0u);
  return once.str() + once.str() + once.str();
}

TEST(RaceLoopTest, SameReportForAnyThreadCount) {
  const std::string bytes = sampleDataset();
  auto model = defaultSim();
  ProfitLossOptions options;
  options.threads = 1;
  const LoopRun one = runLoop(bytes, *model, kAllRaces, options);
  EXPECT_GT(one.analyzed, 64);
  EXPECT_EQ(betsOf(one.report, "WIN"), one.analyzed);
  EXPECT_EQ(one.percents.back(), 100);
  EXPECT_TRUE(std::is_sorted(one.percents.begin(), one.percents.end()));
  for (const int threads : {2, 3}) {
    SCOPED_TRACE(threads);
    options.threads = threads;
    const LoopRun many = runLoop(bytes, *model, kAllRaces, options);
    EXPECT_EQ(many.analyzed, one.analyzed);
    EXPECT_EQ(many.report, one.report);
    EXPECT_EQ(many.comma, one.comma);
  }
}

// The figures of a breakdown report's "Total" line, or of a strategy's
// line in the full report, as the words after the label without their "$"
// and "%" signs.
std::vector<std::string> lineFigures(const std::string& report, const std::string& label) {
  std::istringstream in(report);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string first;
    words >> first;
    if (first != label) continue;
    std::vector<std::string> figures;
    for (std::string word; words >> word;) {
      std::erase_if(word, [](char c) { return c == '$' || c == '%'; });
      if (!word.empty()) figures.push_back(word);
    }
    return figures;
  }
  ADD_FAILURE() << "no line for " << label << " in\n" << report;
  return {};
}

TEST(RaceLoopTest, BreakdownIsTheSameForAnyThreadCountAndAddsUpToTheTable) {
  const std::string bytes = sampleDataset();
  auto model = defaultSim();
  ProfitLossOptions options;
  options.threads = 2;
  const LoopRun full = runLoop(bytes, *model, kAllRaces, options);

  options.breakdown = BreakdownChoice{SegmentKey::kOdds, kDefaultBreakdownStrategy};
  options.threads = 1;
  const LoopRun one = runLoop(bytes, *model, kAllRaces, options);
  options.threads = 3;
  const LoopRun three = runLoop(bytes, *model, kAllRaces, options);
  EXPECT_EQ(one.analyzed, full.analyzed);
  EXPECT_EQ(three.report, one.report);
  EXPECT_EQ(three.comma, one.comma);
  EXPECT_EQ(one.report.find("BetType"), std::string::npos) << "the breakdown replaces the table";
  // Bets, hits, hit rate, money bet and money returned of the total are the
  // WIN line's.
  const std::vector<std::string> total = lineFigures(one.report, "Total");
  const std::vector<std::string> win = lineFigures(full.report, "WIN");
  ASSERT_EQ(total.size(), 7u);
  ASSERT_EQ(win.size(), 6u);
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(total[i], win[i]) << "figure " << i;
  // One comma line per segment under the comma header.
  const size_t segments = static_cast<size_t>(std::count(one.report.begin(), one.report.end(), '\n')) - 2;
  EXPECT_EQ(static_cast<size_t>(std::count(one.comma.begin(), one.comma.end(), '\n')), segments + 1);
  EXPECT_GE(segments, 2u) << one.report;
}

TEST(RaceLoopTest, RacesHandedBackBreakDownToEveryStrategysLine) {
  const std::string bytes = sampleDataset();
  auto model = defaultSim();
  std::istringstream dataset(bytes, std::ios::binary);
  std::ostringstream report;
  RecordingInteraction ui;
  RecordingProgress progress;
  StrategyTotalsTable totals{};
  std::vector<SettledRace> settled;
  const int analyzed = runRaceLoop(kAllRaces, dataset, "TEST.DSI", report, nullptr, *model, {}, ui, progress,
                                   nullptr, &totals, &settled);
  ASSERT_GT(analyzed, 0);
  EXPECT_EQ(settled.size(), static_cast<size_t>(analyzed));
  const std::string text = report.str();
  for (int i = 0; i < kStrategyCount; ++i) {
    for (int k = 0; k < kSegmentKeyCount; ++k) {
      const auto key = static_cast<SegmentKey>(k);
      const SegmentBreakdown breakdown = breakDown(settled, key, i);
      // The total printed as a line of the full table is that table's line.
      const std::string line = totalsLine(strategyName(i), breakdown.total);
      EXPECT_NE(text.find(line), std::string::npos) << segmentKeyWord(key) << ": " << line;
      int bets = 0;
      for (const SegmentRow& row : breakdown.rows) bets += row.totals.betCount;
      EXPECT_EQ(bets, totals[static_cast<size_t>(i)].betCount)
          << strategyName(i) << " by " << segmentKeyWord(key);
    }
  }
}

TEST(RaceLoopTest, CancelGivesMinusOneAndNoTable) {
  const std::string bytes = sampleDataset();
  auto model = freshSim();
  for (const int threads : {1, 2}) {
    ProfitLossOptions options;
    options.threads = threads;
    const LoopRun run = runLoop(bytes, *model, kAllRaces, options, 3);
    EXPECT_EQ(run.analyzed, -1);
    EXPECT_EQ(run.report, "");
    EXPECT_EQ(run.comma, "");
    // Cancelled after the third percent step, long before the end.
    EXPECT_LT(run.percents.back(), 50);
  }
}

// Cancel pressed while a batch is being scored: the sink turns cancelled
// at its `after`th question, past the questions asked while reading.
class CancelOnQuestion final : public ProgressSink {
 public:
  explicit CancelOnQuestion(int after) : after_(after) {}
  void setText(std::string_view) override {}
  void setPercent(int) override {}
  bool cancelled() const override { return ++asked_ >= after_; }
  int asked() const { return asked_; }

 private:
  int after_;
  mutable int asked_ = 0;
};

TEST(RaceLoopTest, CancelWhileScoring) {
  const std::string bytes = sampleDataset();
  auto model = freshSim();
  for (const int threads : {1, 2}) {
    SCOPED_TRACE(threads);
    ProfitLossOptions options;
    options.threads = threads;
    std::istringstream dataset(bytes, std::ios::binary);
    std::ostringstream report;
    RecordingInteraction ui;
    // 64 races are read (one question each) before the first batch is scored.
    CancelOnQuestion progress(66);
    EXPECT_EQ(runRaceLoop(kAllRaces, dataset, "TEST.DSI", report, nullptr, *model, options, ui, progress),
              -1);
    EXPECT_EQ(report.str(), "");
    EXPECT_EQ(progress.asked(), 66);
  }
}

TEST(RaceLoopTest, DamagedLastRaceEndsTheRunWithTheRacesBeforeIt) {
  auto first = handRace(HandRace{}), second = handRace(HandRace{7});
  const std::string sound = datasetOf({first.get(), second.get()});
  auto model = freshSim();
  const LoopRun whole = runLoop(sound, *model, kAllRaces);
  ASSERT_EQ(whole.analyzed, 2);
  EXPECT_TRUE(whole.warnings.empty());
  // A third race cut off part-way, as by a full disk.
  const std::string third = datasetOf({first.get()});
  for (const size_t keep : {size_t{3}, third.size() / 2, third.size() - 1}) {
    SCOPED_TRACE(keep);
    const LoopRun cut = runLoop(sound + third.substr(0, keep), *model, kAllRaces);
    EXPECT_EQ(cut.analyzed, 2);
    EXPECT_EQ(cut.report, whole.report);
    ASSERT_EQ(cut.warnings.size(), 1u);
    EXPECT_NE(cut.warnings[0].find("TEST.DSI"), std::string::npos) << cut.warnings[0];
    EXPECT_NE(cut.warnings[0].find("the report covers the races before it"), std::string::npos);
  }
}

// --- The whole run ---

class ProfitLossRunTest : public ::testing::Test {
 protected:
  ProfitLossRunTest() {
    auto model = freshSim();
    EXPECT_TRUE(model->saveWeights(folder_.path() / "FRESH.SIM"));
    request_.datasetName = "Spring";
    request_.datasetPath = (folder_.path() / "Spring.DSI").string();
    request_.simName = "FRESH";
    request_.simPath = (folder_.path() / "FRESH.SIM").string();
    request_.criteria = kAllRaces;
    reportPath_ = (folder_.path() / "bets.txt").string();
  }

  void writeDataset(const std::string& bytes) {
    std::ofstream(request_.datasetPath, std::ios::binary) << bytes;
  }

  std::string report() {
    std::ifstream in(reportPath_);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  test::TempFolder folder_;
  ProfitLossRequest request_;
  std::string reportPath_;
  RecordingInteraction ui_;
};

TEST_F(ProfitLossRunTest, EmptyDatasetReport) {
  writeDataset("");
  request_.options.shortReport = true;
  request_.options.morningLineOdds = true;
  request_.criteria = criteriaFor(2);
  auto model = freshSim();
  RecordingProgress progress;
  const ProfitLossOutcome outcome = runProfitLoss(request_, *model, reportPath_, nullptr, ui_, progress);
  EXPECT_EQ(outcome.status, ProfitLossStatus::kDone);
  EXPECT_EQ(outcome.racesAnalyzed, 0);
  EXPECT_TRUE(ui_.empty());
  const std::string text = report();
  const std::string header =
      "DataSet:   Spring\n"
      "SIM Model: FRESH\n"
      "Dry tracks only.\n"
      "Short report format.\n"
      "All odds indicate Morning Line Odds instead of Actual Track Odds.\n"
      "\n"
      "BetType ";
  EXPECT_EQ(text.rfind(header, 0), 0u) << text;
  const std::string closing = "\n0 races analyzed.\n";
  ASSERT_GE(text.size(), closing.size());
  EXPECT_EQ(text.substr(text.size() - closing.size()), closing);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6 + 1 + kShortStrategyCount + 2);
}

TEST_F(ProfitLossRunTest, CancelRemovesTheReport) {
  writeDataset(sampleDataset());
  auto model = freshSim();
  RecordingProgress progress(1);
  const ProfitLossOutcome outcome = runProfitLoss(request_, *model, reportPath_, nullptr, ui_, progress);
  EXPECT_EQ(outcome.status, ProfitLossStatus::kCancelled);
  EXPECT_FALSE(fs::exists(reportPath_));
  EXPECT_TRUE(ui_.empty());
}

TEST_F(ProfitLossRunTest, TotalsHandedBackAreTheOnesReported) {
  writeDataset(sampleDataset());
  auto model = freshSim();
  RecordingProgress progress;
  StrategyTotalsTable totals{};
  const ProfitLossOutcome outcome =
      runProfitLoss(request_, *model, reportPath_, nullptr, ui_, progress, &totals);
  ASSERT_EQ(outcome.status, ProfitLossStatus::kDone);
  ASSERT_GT(outcome.racesAnalyzed, 0);
  // Every strategy's report line is the line of the table handed back.
  const std::string text = report();
  int played = 0;
  for (int i = 0; i < kStrategyCount; ++i) {
    const std::string line = totalsLine(strategyName(i), totals[static_cast<size_t>(i)]);
    EXPECT_NE(text.find(line), std::string::npos) << line;
    if (totals[static_cast<size_t>(i)].betCount > 0) ++played;
  }
  EXPECT_GT(played, 0);

  // A cancelled run leaves the table as it was.
  StrategyTotalsTable untouched{};
  untouched[0].betCount = 77;
  RecordingProgress cancelling(1);
  auto again = freshSim();
  EXPECT_EQ(runProfitLoss(request_, *again, reportPath_, nullptr, ui_, cancelling, &untouched).status,
            ProfitLossStatus::kCancelled);
  EXPECT_EQ(untouched[0].betCount, 77);
  EXPECT_EQ(untouched[1].betCount, 0);
}

TEST_F(ProfitLossRunTest, BreakdownReportNamesStrategyAndKey) {
  writeDataset(sampleDataset());
  request_.options.breakdown = BreakdownChoice{SegmentKey::kOdds, 109};  // BWIN
  request_.options.morningLineOdds = true;
  auto model = freshSim();
  RecordingProgress progress;
  std::ostringstream comma;
  const ProfitLossOutcome outcome = runProfitLoss(request_, *model, reportPath_, &comma, ui_, progress);
  ASSERT_EQ(outcome.status, ProfitLossStatus::kDone);
  const std::string text = report();
  const std::string header =
      "DataSet:   Spring\n"
      "SIM Model: FRESH\n"
      "All odds indicate Morning Line Odds instead of Actual Track Odds.\n"
      "Breakdown of BWIN by odds band.\n"
      "Bands go by the morning-line odds of pick 2; a band holds its lower end.\n"
      "\n"
      "Segment ";
  EXPECT_EQ(text.rfind(header, 0), 0u) << text;
  const std::string closing = "\n" + std::to_string(outcome.racesAnalyzed) + " races analyzed.\n";
  EXPECT_EQ(text.substr(text.size() - closing.size()), closing);
  EXPECT_EQ(comma.str().rfind("Segment,#bets,", 0), 0u) << comma.str();
}

TEST_F(ProfitLossRunTest, ErrorsBeforeTheRun) {
  struct Case {
    const char* what;
    std::string simPath, datasetPath, reportPath;
    std::string error;
  };
  writeDataset("");
  const std::string missing = (folder_.path() / "missing").string();
  const Case cases[] = {
      {"no weights file", missing + "/X.SIM", request_.datasetPath, reportPath_, "Error loading SIM data"},
      {"a short weights file", request_.datasetPath, request_.datasetPath, reportPath_,
       "Error loading SIM data"},
      {"no dataset", request_.simPath, missing + "/X.DSI", reportPath_, "Error opening dataset"},
      {"no TEMP folder", request_.simPath, request_.datasetPath, missing + "/bets.txt",
       "Cannot create temp file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProfitLossRequest request = request_;
    request.simPath = c.simPath;
    request.datasetPath = c.datasetPath;
    auto model = freshSim();
    RecordingInteraction ui;
    RecordingProgress progress;
    const ProfitLossOutcome outcome = runProfitLoss(request, *model, c.reportPath, nullptr, ui, progress);
    EXPECT_EQ(outcome.status, ProfitLossStatus::kFailed);
    ASSERT_EQ(ui.errors().size(), 1u);
    EXPECT_EQ(ui.errors()[0].substr(0, ui.errors()[0].find('\n')), c.error);
    EXPECT_FALSE(fs::exists(c.reportPath));
    EXPECT_TRUE(progress.percents().empty());
  }
}

TEST_F(ProfitLossRunTest, FileFaultsLeaveTheEarlierReportAndNoTemporary) {
  writeDataset(sampleDataset());
  {
    auto model = freshSim();
    RecordingProgress progress;
    ASSERT_EQ(runProfitLoss(request_, *model, reportPath_, nullptr, ui_, progress).status,
              ProfitLossStatus::kDone);
  }
  const std::string newReport = report();
  const std::vector<std::string> entries = {"FRESH.SIM", "Spring.DSI", "bets.txt"};
  struct Case {
    const char* what;
    std::function<void(test::FaultyFileSystem&)> arrange;
    std::string error;  // empty: the run completes
  };
  std::vector<Case> cases;
  for (const test::ReportFileFault& fault : test::reportFileFaults()) {
    cases.push_back({fault.what, fault.arrange,
                     (fault.atCreate ? "Cannot create temp file\n" : "Cannot write temp file\n") +
                         reportPath_ + ": " + fault.reason});
  }
  cases.push_back({"a short write alone is resumed", [](auto& disk) { disk.shortenWrite(1); }, ""});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::ofstream(reportPath_, std::ios::binary | std::ios::trunc) << "the earlier report\n";
    test::FaultyFileSystem disk;
    c.arrange(disk);
    auto model = freshSim();
    RecordingInteraction ui;
    RecordingProgress progress;
    const ProfitLossOutcome outcome =
        runProfitLoss(request_, *model, reportPath_, nullptr, ui, progress, nullptr, disk);
    if (c.error.empty()) {
      EXPECT_EQ(outcome.status, ProfitLossStatus::kDone);
      EXPECT_TRUE(ui.empty());
      EXPECT_EQ(report(), newReport);
    } else {
      EXPECT_EQ(outcome.status, ProfitLossStatus::kFailed);
      EXPECT_EQ(ui.errors(), std::vector<std::string>{c.error});
      EXPECT_EQ(report(), "the earlier report\n");
    }
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_.path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, entries);
  }
}

}  // namespace
}  // namespace stridewell
