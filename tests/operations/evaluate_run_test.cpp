// The report card over a dataset: hand-made races whose public figures are
// worked out by hand and whose SIM figures are recomputed here from the
// SIM's own scores, the races left out, the same card for any number of
// threads, cancel, a damaged end and the errors that stop a run.
#include "operations/evaluate_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/auto_scratch.h"
#include "base/workspace.h"
#include "datasets/build_pair.h"
#include "datasets/dataset_file.h"
#include "model/sim_model.h"
#include "model/sim_record.h"
#include "model/sim_shape.h"
#include "operations/create_run.h"
#include "patterns/race_scoring.h"
#include "race/card_values.h"
#include "race/criteria_choices.h"
#include "race/race.h"
#include "support/faulty_file_system.h"
#include "support/recording_interaction.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using test::RecordingInteraction;
using test::RecordingProgress;

const fs::path kSource = STRIDEWELL_SOURCE_DIR;
const RaceCriteria kAllRaces = buildCriteria(CriteriaChoices{});

std::unique_ptr<SimModel> freshSim() {
  auto model = std::make_unique<SimModel>(true);
  EXPECT_GT(defineSimShape(*model, {}, true), 0);
  return model;
}

void copyName(char (&slot)[30], const std::string& name) {
  std::memset(slot, 0, sizeof slot);
  std::memcpy(slot, name.data(), std::min(name.size(), sizeof slot - 1));
}

// A race whose horses differ in form. finish[i] is card horse i's official
// finish (-1: did not run, so no finisher), morningLine[i] its line and
// odds[i] its final odds.
struct HandRace {
  std::vector<int> finish;
  std::vector<float> morningLine;
  std::vector<float> odds;
};

std::unique_ptr<Race> handRace(const HandRace& spec) {
  auto race = std::make_unique<Race>();
  clearRecord(race->card);
  clearRecord(race->profile);
  clearRecord(race->result);
  const int horses = static_cast<int>(spec.finish.size());
  race->card.horseCount = static_cast<uint8_t>(horses);
  race->profile.horseCount = static_cast<uint8_t>(horses);
  race->profile.distanceYards = 1320;
  race->profile.sprintRoute = RaceProfile::kSprint;
  race->result.condition = kDry;
  int finishers = 0;
  for (int i = 0; i < horses; ++i) {
    const std::string name = "Horse " + std::string(1, static_cast<char>('A' + i));
    HorseEntry& entry = race->card.horses[i];
    copyName(entry.name, name);
    entry.morningLine = spec.morningLine[static_cast<size_t>(i)];
    HorseProfile& horse = race->profile.horses[i];
    copyName(horse.name, name);
    horse.morningLine = spec.morningLine[static_cast<size_t>(i)];
    horse.postPosition = static_cast<uint8_t>(i + 1);
    horse.age = 4;
    horse.weight = 120;
    horse.dryRateAverage = static_cast<float>(60 + 7 * ((i * 5) % horses));
    horse.bestRate = horse.dryRateAverage + 5;
    horse.earlySpeed = static_cast<uint8_t>(i % 9);
    horse.pastRaceCount = 5;
    horse.avgSpeedRating10 = static_cast<int16_t>(700 + 30 * ((i * 3) % horses));
    horse.recordBlocks[0] = RecordBlock{10, static_cast<uint8_t>(5 + 4 * i), 10, 10};
    if (spec.finish[static_cast<size_t>(i)] < 0) continue;
    FinisherEntry& finisher = race->result.finishers[finishers++];
    copyName(finisher.name, name);
    finisher.cardIndex = static_cast<uint8_t>(i);
    finisher.finishPosition = static_cast<uint8_t>(spec.finish[static_cast<size_t>(i)]);
    finisher.odds = spec.odds[static_cast<size_t>(i)];
  }
  race->result.finisherCount = static_cast<uint8_t>(finishers);
  return race;
}

// Slot 0 wins; lines 1, 4, 9, 9, 9 imply .5, .2, .1, .1, .1 (sum 1); odds
// all 4, so every horse has 1/5.
const HandRace kFirst{{1, 2, 3, 4, 5}, {1, 4, 9, 9, 9}, {4, 4, 4, 4, 4}};
// Slot 5 did not run (auto scratch leaves five); slot 3 wins; slot 0 has
// no morning line, so the race is left out of the morning line's figures.
const HandRace kSecond{{5, 4, 2, 1, 3, -1}, {0, 2, 2, 2, 2, 2}, {4, 4, 4, 4, 4, 4}};
// Four horses: too few to score.
const HandRace kSmall{{1, 2, 3, 4}, {2, 2, 2, 2}, {3, 3, 3, 3}};
// No finisher is first (finishes unknown).
const HandRace kNoWinner{{0, 0, 0, 0, 0}, {2, 2, 2, 2, 2}, {3, 3, 3, 3, 3}};

std::string datasetOf(const std::vector<const Race*>& races) {
  std::ostringstream out(std::ios::binary);
  for (const Race* race : races) EXPECT_TRUE(writeDatasetRace(out, *race));
  return out.str();
}

struct CardRun {
  bool finished = false;
  ReportCard card;
  std::string text;
  std::vector<std::string> warnings;
};

CardRun runCard(const std::string& bytes, SimModel& model, int threads = 1, int cancelAfter = 0) {
  std::istringstream dataset(bytes, std::ios::binary);
  RecordingInteraction ui;
  RecordingProgress progress(cancelAfter);
  ProfitLossOptions options;
  options.threads = threads;
  CardRun run;
  run.finished = evaluateRaces(kAllRaces, dataset, "TEST.DSI", model, options, ui, progress, run.card);
  std::ostringstream text;
  writeReportCard(text, run.card);
  run.text = text.str();
  run.warnings = ui.warnings();
  return run;
}

// The SIM's chances of a race's field, scored here after the same auto
// scratch.
std::vector<double> simChances(const HandRace& spec, SimModel& model) {
  auto race = handRace(spec);
  autoScratch(race->card, race->profile, race->result);
  std::array<double, kMostScoredHorses> scores{};
  EXPECT_TRUE(scoreRaceHorses(model, race->profile, scores));
  const auto field = static_cast<size_t>(race->profile.horseCount);
  double total = 0;
  for (size_t i = 0; i < field; ++i) total += scores[i];
  std::vector<double> chances;
  for (size_t i = 0; i < field; ++i) chances.push_back(scores[i] / total);
  return chances;
}

TEST(EvaluateRacesTest, HandRacesFigureByFigure) {
  auto first = handRace(kFirst), second = handRace(kSecond), small = handRace(kSmall),
       noWinner = handRace(kNoWinner);
  auto model = freshSim();
  const CardRun run = runCard(datasetOf({first.get(), small.get(), second.get(), noWinner.get()}), *model);
  ASSERT_TRUE(run.finished);
  const ReportCard& card = run.card;
  EXPECT_EQ(card.races, 2);
  EXPECT_EQ(card.horses, 10);  // five and five, the scratched horse dropped
  EXPECT_EQ(card.racesLeftOut, 2);

  const double ln2 = std::log(2.0), ln5 = std::log(5.0);
  const SourceCard& line = card.sources[static_cast<size_t>(ChanceSource::kMorningLine)];
  EXPECT_EQ(line.races, 1);
  EXPECT_EQ(line.racesWithoutChance, 1);
  EXPECT_NEAR(line.logLoss(), ln2, 1e-6);  // -ln .5
  // Brier: (.5 - 1)^2 + .2^2 + 3 x .1^2 = .25 + .04 + .03 = .32
  EXPECT_NEAR(line.brier(), 0.32, 1e-6);
  EXPECT_NEAR(line.pseudoR2(), 1 - ln2 / ln5, 1e-6);  // .5693234
  EXPECT_EQ(line.bins[8].actual, 1);                  // the .5 horse won

  // The final odds give every horse 1/5: no better than an even guess.
  const SourceCard& odds = card.sources[static_cast<size_t>(ChanceSource::kFinalOdds)];
  EXPECT_EQ(odds.races, 2);
  EXPECT_NEAR(odds.logLoss(), ln5, 1e-6);
  EXPECT_NEAR(odds.brier(), 0.8, 1e-6);  // .8^2 + 4 x .2^2
  EXPECT_NEAR(odds.pseudoR2(), 0.0, 1e-6);
  EXPECT_EQ(odds.bins[5].horses, 10);
  EXPECT_NEAR(odds.bins[5].expected, 2.0, 1e-6);
  EXPECT_EQ(odds.bins[5].actual, 2);

  // The SIM's figures from its own scores of the two fields.
  const std::vector<double> a = simChances(kFirst, *model), b = simChances(kSecond, *model);
  const SourceCard& sim = card.sources[static_cast<size_t>(ChanceSource::kSim)];
  EXPECT_EQ(sim.races, 2);
  EXPECT_NEAR(sim.logLoss(), -(std::log(a[0]) + std::log(b[3])) / 2, 1e-9);
  EXPECT_NEAR(sim.pseudoR2(), 1 - (std::log(a[0]) + std::log(b[3])) / (-2 * ln5), 1e-9);
  double brier = 0;
  for (size_t i = 0; i < 5; ++i) {
    brier += (a[i] - (i == 0)) * (a[i] - (i == 0)) + (b[i] - (i == 3)) * (b[i] - (i == 3));
  }
  EXPECT_NEAR(sim.brier(), brier / 2, 1e-9);
  auto ahead = [](const std::vector<double>& p, size_t winner) {
    int count = 0;
    for (size_t i = 0; i < p.size(); ++i) count += p[i] > p[winner] || (p[i] == p[winner] && i < winner);
    return count;
  };
  EXPECT_EQ(card.topPickWon, (ahead(a, 0) == 0) + (ahead(b, 3) == 0));
  EXPECT_EQ(card.winnerInTop3, (ahead(a, 0) < 3) + (ahead(b, 3) < 3));
}

TEST(EvaluateRacesTest, LogChancesHandedToTheFit) {
  auto first = handRace(kFirst), second = handRace(kSecond), small = handRace(kSmall);
  // Final odds missing for one horse: counted on the card, not handed on.
  HandRace noOdds = kFirst;
  noOdds.odds[2] = 0;
  auto third = handRace(noOdds);
  auto model = freshSim();
  std::istringstream dataset(datasetOf({first.get(), small.get(), third.get(), second.get()}),
                             std::ios::binary);
  RecordingInteraction ui;
  RecordingProgress progress;
  ReportCard card;
  std::vector<LogitRace> races;
  ASSERT_TRUE(evaluateRaces(kAllRaces, dataset, "TEST.DSI", *model, ProfitLossOptions{}, ui, progress, card,
                            nullptr, &races));
  EXPECT_EQ(card.races, 3);
  ASSERT_EQ(races.size(), 2u);
  const std::vector<double> a = simChances(kFirst, *model), b = simChances(kSecond, *model);
  EXPECT_EQ(races[0].winner, 0);
  EXPECT_EQ(races[1].winner, 3);
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_NEAR(races[0].first[i], std::log(a[i]), 1e-12) << i;
    EXPECT_NEAR(races[1].first[i], std::log(b[i]), 1e-12) << i;
    // Odds of 4 everywhere: 1/5 each.
    EXPECT_NEAR(races[0].second[i], std::log(0.2), 1e-12) << i;
    EXPECT_NEAR(races[1].second[i], std::log(0.2), 1e-12) << i;
  }
}

TEST(EvaluateRacesTest, CriteriaThatMatchNothingCountNothing) {
  auto first = handRace(kFirst);
  auto model = freshSim();
  CriteriaChoices wet;
  wet.condition = 1;  // wet tracks only; the race was run dry
  std::istringstream dataset(datasetOf({first.get()}), std::ios::binary);
  RecordingInteraction ui;
  RecordingProgress progress;
  ReportCard card;
  ASSERT_TRUE(evaluateRaces(buildCriteria(wet), dataset, "TEST.DSI", *model, ProfitLossOptions{}, ui,
                            progress, card));
  EXPECT_EQ(card.races, 0);
  EXPECT_EQ(card.racesLeftOut, 0);
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

TEST(EvaluateRacesTest, SameCardForAnyThreadCount) {
  const std::string bytes = sampleDataset();
  auto model = std::make_unique<SimModel>(true);
  ASSERT_GT(defineSimShape(*model, {}, true), 0);
  ASSERT_TRUE(model->loadWeights(kSource / "data" / "Default.SIM"));
  const CardRun one = runCard(bytes, *model, 1);
  ASSERT_TRUE(one.finished);
  EXPECT_GT(one.card.races, 64);
  for (const int threads : {2, 3}) {
    SCOPED_TRACE(threads);
    const CardRun many = runCard(bytes, *model, threads);
    ASSERT_TRUE(many.finished);
    EXPECT_EQ(many.text, one.text);
    // Not only to the printed places: the sums are added in the same order.
    for (int s = 0; s < kChanceSourceCount; ++s) {
      EXPECT_EQ(many.card.sources[static_cast<size_t>(s)].winnerLogSum,
                one.card.sources[static_cast<size_t>(s)].winnerLogSum);
      EXPECT_EQ(many.card.sources[static_cast<size_t>(s)].brierSum,
                one.card.sources[static_cast<size_t>(s)].brierSum);
    }
  }
}

TEST(EvaluateRacesTest, CancelStopsTheRun) {
  const std::string bytes = sampleDataset();
  auto model = freshSim();
  for (const int threads : {1, 2}) {
    SCOPED_TRACE(threads);
    EXPECT_FALSE(runCard(bytes, *model, threads, 3).finished);
  }
}

TEST(EvaluateRacesTest, DamagedLastRaceEndsTheRunWithTheRacesBeforeIt) {
  auto first = handRace(kFirst), second = handRace(kSecond);
  const std::string sound = datasetOf({first.get(), second.get()});
  auto model = freshSim();
  const CardRun whole = runCard(sound, *model);
  ASSERT_EQ(whole.card.races, 2);
  EXPECT_TRUE(whole.warnings.empty());
  const std::string third = datasetOf({first.get()});
  for (const size_t keep : {size_t{3}, third.size() / 2, third.size() - 1}) {
    SCOPED_TRACE(keep);
    std::istringstream dataset(sound + third.substr(0, keep), std::ios::binary);
    RecordingInteraction ui;
    RecordingProgress progress;
    ReportCard card;
    bool damaged = false;
    ASSERT_TRUE(evaluateRaces(kAllRaces, dataset, "TEST.DSI", *model, ProfitLossOptions{}, ui, progress, card,
                              &damaged));
    EXPECT_TRUE(damaged);
    std::ostringstream text;
    writeReportCard(text, card);
    EXPECT_EQ(text.str(), whole.text);
    ASSERT_EQ(ui.warnings().size(), 1u);
    EXPECT_NE(ui.warnings()[0].find("TEST.DSI"), std::string::npos) << ui.warnings()[0];
  }
}

TEST(RunEvaluationTest, ReportAndTheErrorsThatStopARun) {
  test::TempFolder folder;
  auto first = handRace(kFirst), second = handRace(kSecond);
  ASSERT_TRUE(freshSim()->saveWeights(folder.path() / "FRESH.SIM"));
  std::ofstream(folder.path() / "Spring.DSI", std::ios::binary) << datasetOf({first.get(), second.get()});
  EvaluateRequest request;
  request.datasetName = "Spring";
  request.datasetPath = (folder.path() / "Spring.DSI").string();
  request.simName = "FRESH";
  request.simPath = (folder.path() / "FRESH.SIM").string();
  request.criteria = kAllRaces;

  auto model = freshSim();
  {
    RecordingInteraction ui;
    RecordingProgress progress;
    std::ostringstream report;
    const EvaluateOutcome outcome = runEvaluation(request, *model, report, ui, progress);
    EXPECT_EQ(outcome.status, EvaluateStatus::kDone);
    EXPECT_EQ(outcome.card.races, 2);
    EXPECT_EQ(report.str().rfind("DataSet:   Spring\nSIM Model: FRESH\n", 0), 0u) << report.str();
    EXPECT_NE(report.str().find("\nRaces counted:    2\n"), std::string::npos) << report.str();
    EXPECT_TRUE(ui.errors().empty());
  }
  struct Case {
    const char* what;
    std::string simPath, datasetPath, error;
  };
  const Case cases[] = {
      {"missing SIM", (folder.path() / "NONE.SIM").string(), request.datasetPath, "Error loading SIM data"},
      {"missing dataset", request.simPath, (folder.path() / "None.DSI").string(), "Error opening dataset"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EvaluateRequest bad = request;
    bad.simPath = c.simPath;
    bad.datasetPath = c.datasetPath;
    RecordingInteraction ui;
    RecordingProgress progress;
    std::ostringstream report;
    const EvaluateOutcome outcome = runEvaluation(bad, *model, report, ui, progress);
    EXPECT_EQ(outcome.status, EvaluateStatus::kFailed);
    EXPECT_EQ(report.str(), "");
    ASSERT_EQ(ui.errors().size(), 1u);
    EXPECT_EQ(ui.errors()[0].rfind(c.error, 0), 0u) << ui.errors()[0];
  }
}

// The card's headline in the SIM's training record, over two races worked
// by hand (fields of two; weights SIM, morning line, final odds):
//   A: SIM 3:1, line 1:1, odds 1:3, the first horse won: SIM gave it 0.75,
//      the odds 0.25; the SIM's top pick won.
//   B: SIM 1:1, line 1:1, odds 1:1, the second won: 0.5 each; the top pick
//      (the first horse on the tie) lost.
// Top pick 1 of 2, winner in the top three 2 of 2. SIM log loss
// (-ln 0.75 - ln 0.5) / 2 = (0.287682 + 0.693147) / 2 = 0.490415; even
// guess L0 = 2 ln 0.5 = -1.386294, so the SIM's pseudo-R2 is
// 1 - 0.980829 / 1.386294 = 0.292481 and the odds' 1 - 2.079442 / 1.386294 = -0.5.
TEST(ReportCardRecord, HeadlineKeptBesideTheSimButNeverBesideTheProgram) {
  ReportCard card;
  const double simA[] = {3, 1}, lineA[] = {1, 1}, oddsA[] = {1, 3};
  const double even[] = {1, 1};
  ASSERT_TRUE(addRaceToCard(card, simA, lineA, oddsA, 0));
  ASSERT_TRUE(addRaceToCard(card, even, even, even, 1));

  test::TempFolder folder;
  const fs::path program = folder.path() / "program";
  const fs::path sims = folder.path() / "SIM";
  fs::create_directories(program);
  fs::create_directories(sims);
  SimRecord trained;
  trained.simName = "Alpha";
  trained.dataset = "Spring";
  trained.passesTrained = 25;
  std::string problem;
  ASSERT_TRUE(writeSimRecord((sims / "Alpha.INFO").string(), trained, problem));

  EXPECT_EQ(
      recordReportCard((sims / "Alpha.SIM").string(), program.string(), "Autumn", card, 86400 * 2, problem),
      CardRecording::kRecorded);
  SimRecord read;
  ASSERT_EQ(readSimRecord((sims / "Alpha.INFO").string(), read), SimRecordRead::kRead);
  EXPECT_EQ(read.dataset, "Spring");  // the training facts stay
  EXPECT_EQ(read.passesTrained, 25);
  ASSERT_TRUE(read.card);
  EXPECT_EQ(read.card->dataset, "Autumn");
  EXPECT_EQ(read.card->when, "1970-01-03 00:00 UTC");
  EXPECT_EQ(read.card->races, 2);
  EXPECT_DOUBLE_EQ(read.card->topPickRate, 0.5);
  EXPECT_DOUBLE_EQ(read.card->top3Rate, 1.0);
  EXPECT_NEAR(read.card->simLogLoss, 0.490415, 1e-6);
  EXPECT_NEAR(read.card->simPseudoR2, 0.292481, 1e-6);
  ASSERT_TRUE(read.card->oddsPseudoR2);
  EXPECT_NEAR(*read.card->oddsPseudoR2, -0.5, 1e-12);

  // A SIM without a record gets one holding the card alone.
  EXPECT_EQ(recordReportCard((sims / "Beta.SIM").string(), program.string(), "Autumn", card, 0, problem),
            CardRecording::kRecorded);
  ASSERT_EQ(readSimRecord((sims / "Beta.INFO").string(), read), SimRecordRead::kRead);
  EXPECT_EQ(read.simName, "Beta");
  EXPECT_EQ(read.passesTrained, 0);
  EXPECT_TRUE(read.card);

  // Nothing beside the program's own SIMs, and nothing for a card of no race.
  EXPECT_EQ(
      recordReportCard((program / "Default.SIM").string(), program.string(), "Autumn", card, 0, problem),
      CardRecording::kNotRecorded);
  EXPECT_FALSE(fs::exists(program / "Default.INFO"));
  EXPECT_EQ(
      recordReportCard((sims / "Gamma.SIM").string(), program.string(), "Autumn", ReportCard{}, 0, problem),
      CardRecording::kNotRecorded);
  EXPECT_FALSE(fs::exists(sims / "Gamma.INFO"));

  // A record that cannot be written is told, the old one left whole.
  test::FaultyFileSystem full;
  full.failWritesFrom(1, ENOSPC);
  problem.clear();
  EXPECT_EQ(
      recordReportCard((sims / "Alpha.SIM").string(), program.string(), "Winter", card, 0, problem, full),
      CardRecording::kFailed);
  EXPECT_NE(problem.find("Alpha.INFO"), std::string::npos) << problem;
  ASSERT_EQ(readSimRecord((sims / "Alpha.INFO").string(), read), SimRecordRead::kRead);
  EXPECT_EQ(read.card->dataset, "Autumn");
}

}  // namespace
}  // namespace stridewell
