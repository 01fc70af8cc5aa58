// The Train command's checks (missing, damaged and short files, the random
// start, "Train More" from the saved train weights) and the session that
// runs the thread: start, poll, stop and join. The session tests run a
// training thread: part of the ThreadSanitizer run.
#include "operations/training_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "model/model_test_support.h"
#include "model/pattern_test_support.h"
#include "model/sim_record.h"
#include "model/sim_shape.h"
#include "support/faulty_file_system.h"
#include "support/recording_interaction.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using test::makeRecords;
using test::makeTrainInfo;
using test::parameterBits;
using test::RecordingInteraction;
using test::trainInfoBytes;

TEST(TrainInfoFile, DamagedFilesAreRefused) {
  const TrainInfo good = makeTrainInfo("/sims/Alpha.SIM", "Alpha", 25, 120);
  auto changed = [&](auto change) {
    TrainInfo info = good;
    change(info);
    return trainInfoBytes(info);
  };
  struct Case {
    const char* name;
    std::string bytes;
    TrainInfoRead result;
    const char* fault;  // part of the message
  };
  const Case cases[] = {
      {"as prepared", trainInfoBytes(good), TrainInfoRead::kOk, ""},
      {"bytes after it are ignored", trainInfoBytes(good) + "junk", TrainInfoRead::kOk, ""},
      {"empty", "", TrainInfoRead::kDamaged, "it holds 0 of 528 bytes"},
      {"short", trainInfoBytes(good).substr(0, 527), TrainInfoRead::kDamaged, "it holds 527 of 528 bytes"},
      {"path without its end",
       changed([](TrainInfo& i) { std::memset(i.targetPath, 'A', sizeof i.targetPath); }),
       TrainInfoRead::kDamaged, "the target path has no end"},
      {"name without its end", changed([](TrainInfo& i) { std::memset(i.simName, 'B', sizeof i.simName); }),
       TrainInfoRead::kDamaged, "the SIM name has no end"},
      {"empty path", changed([](TrainInfo& i) { i.targetPath[0] = '\0'; }), TrainInfoRead::kDamaged,
       "the target path is empty"},
      {"empty name", changed([](TrainInfo& i) { i.simName[0] = '\0'; }), TrainInfoRead::kDamaged,
       "the SIM name is empty"},
      {"no passes", changed([](TrainInfo& i) { i.passes = 0; }), TrainInfoRead::kDamaged,
       "the number of passes is 0"},
      {"negative passes", changed([](TrainInfo& i) { i.passes = -25; }), TrainInfoRead::kDamaged,
       "the number of passes is -25"},
      {"negative count", changed([](TrainInfo& i) { i.patternCount = -1; }), TrainInfoRead::kDamaged,
       "the pattern count is -1"},
      {"no patterns is allowed", changed([](TrainInfo& i) { i.patternCount = 0; }), TrainInfoRead::kOk, ""},
  };
  test::TempFolder folder;
  const fs::path file = folder.path() / "TVARS.DAT";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::writeFile(file, c.bytes);
    TrainInfo info{};
    std::string problem;
    EXPECT_EQ(readTrainInfo(file, info, problem), c.result);
    if (c.result == TrainInfoRead::kOk) {
      EXPECT_STREQ(info.simName, "Alpha");
      EXPECT_STREQ(info.targetPath, "/sims/Alpha.SIM");
      EXPECT_EQ(info.passes, 25);
    } else {
      EXPECT_EQ(problem,
                "Train info file " + file.string() + " is damaged (" + c.fault + ") - do prep first");
    }
  }
  TrainInfo info{};
  std::string problem;
  EXPECT_EQ(readTrainInfo(folder.path() / "missing", info, problem), TrainInfoRead::kCannotOpen);
}

class TrainingRunTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(defineSimShape(model_), kSimUnits); }

  fs::path trainData() const { return folder_.path(); }
  fs::path target() const { return folder_.path() / "Alpha.SIM"; }
  fs::path trainWeights() const { return folder_.path() / "train.SIM"; }

  void prepare(int records = 2, int passes = 2) {
    test::writeFile(trainData() / "SIMPAT.DAT", test::recordBytes(makeRecords(records)));
    test::writeFile(trainData() / "TVARS.DAT",
                    trainInfoBytes(makeTrainInfo(target().string(), "Alpha", passes, records)));
  }

  TrainPreparation prepareTraining(TrainCommandOptions options = {}) {
    return stridewell::prepareTraining(trainData(), model_, ui_, options);
  }

  test::TempFolder folder_;
  SimModel model_{true};
  RecordingInteraction ui_;
};

TEST_F(TrainingRunTest, RefusalsNameTheirCause) {
  using Kind = RecordingInteraction::Kind;
  struct Case {
    const char* name;
    bool patterns, trainInfo;
    std::string trainWeights;  // "" = none
    bool answer;
    TrainStart start;
    std::vector<RecordingInteraction::Call> calls;
  };
  const std::string damaged = "Train info file " + (folder_.path() / "TVARS.DAT").string() +
                              " is damaged (it holds 10 of 528 bytes) - do prep first";
  const Case cases[] = {
      {"declined", true, true, "", false, TrainStart::kDeclined, {{Kind::kQuery, "Query", "Train?"}}},
      {"no pattern file",
       false,
       true,
       "",
       true,
       TrainStart::kNoTrainingData,
       {{Kind::kQuery, "Query", "Train?"}, {Kind::kError, "ERROR", "No training data - do prep first"}}},
      {"no train info",
       true,
       false,
       "",
       true,
       TrainStart::kNoTrainInfo,
       {{Kind::kQuery, "Query", "Train?"}, {Kind::kError, "ERROR", "No train info file - do prep first"}}},
      {"short train info",
       true,
       true,
       "",
       true,
       TrainStart::kDamagedTrainInfo,
       {{Kind::kQuery, "Query", "Train?"}, {Kind::kError, "ERROR", damaged}}},
      {"short train weights",
       true,
       true,
       std::string(68999, '\0'),
       true,
       TrainStart::kCannotLoadWeights,
       {{Kind::kQuery, "Query", "Train?"},
        {Kind::kError, "ERROR",
         "Error loading SIM data\n" + (folder_.path() / "train.SIM").string() +
             " holds 68999 bytes of the 69000 a weights file needs"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<fs::path> old;
    for (const auto& entry : fs::directory_iterator(folder_.path())) old.push_back(entry.path());
    for (const fs::path& path : old) fs::remove(path);
    if (c.patterns) test::writeFile(trainData() / "SIMPAT.DAT", test::recordBytes(makeRecords(1)));
    if (c.trainInfo) {
      const std::string info = trainInfoBytes(makeTrainInfo(target().string(), "Alpha", 5, 1));
      test::writeFile(trainData() / "TVARS.DAT",
                      c.start == TrainStart::kDamagedTrainInfo ? info.substr(0, 10) : info);
    }
    if (!c.trainWeights.empty()) test::writeFile(trainWeights(), c.trainWeights);
    ui_.clear();
    ui_.queueAnswers({c.answer});
    const auto before = parameterBits(model_);
    EXPECT_EQ(prepareTraining().start, c.start);
    EXPECT_EQ(ui_.calls(), c.calls);
    EXPECT_EQ(parameterBits(model_), before);
  }
}

// A preparation without a pattern, weights files that could not be saved
// at the end and a train.SIM whose values are not all numbers are refused
// before any pass, with the reason, and leave the model and the files as
// they were.
TEST_F(TrainingRunTest, RefusedBeforeTheFirstPass) {
  std::string good;
  {
    SimModel start(true);
    ASSERT_EQ(defineSimShape(start), kSimUnits);
    ASSERT_TRUE(start.saveWeights(folder_.path() / "good.SIM"));
    good = test::readFile(folder_.path() / "good.SIM");
  }
  const auto withValue = [&](size_t index, double value) {
    std::string bytes = good;
    std::memcpy(bytes.data() + index * sizeof value, &value, sizeof value);
    return bytes;
  };
  const fs::path trainSim = trainWeights();
  const fs::path simFolder = folder_.path() / "SIM";
  struct Case {
    const char* name;
    int records;                    // in SIMPAT.DAT
    int count;                      // in TVARS.DAT
    std::string trainWeightsBytes;  // "" = none
    fs::path targetPath;
    std::function<void()> arrange;
    TrainStart start;
    std::string error;
  };
  const fs::path inFolder = simFolder / "Alpha.SIM";
  const Case cases[] = {
      {"no pattern counted or stored", 0, 0, "", inFolder, [] {}, TrainStart::kNoPatterns,
       "The preparation holds no pattern to train on (" + (trainData() / "SIMPAT.DAT").string() +
           " holds 0 bytes, the train information counts 0 patterns) - do prep first with races that give "
           "patterns"},
      {"patterns stored but none counted", 2, 0, "", inFolder, [] {}, TrainStart::kNoPatterns,
       "The preparation holds no pattern to train on (" + (trainData() / "SIMPAT.DAT").string() +
           " holds 8264 bytes, the train information counts 0 patterns) - do prep first with races that give "
           "patterns"},
      {"counted but the file is empty", 0, 3, "", inFolder, [] {}, TrainStart::kNoPatterns,
       "The preparation holds no pattern to train on (" + (trainData() / "SIMPAT.DAT").string() +
           " holds 0 bytes, the train information counts 3 patterns) - do prep first with races that give "
           "patterns"},
      {"SIM folder is a file", 2, 2, "", simFolder / "Alpha.SIM",
       [&] {
         fs::remove(simFolder);
         test::writeFile(simFolder, "not a folder");
       },
       TrainStart::kCannotSave,
       "Cannot save " + (simFolder / "Alpha.SIM").string() + " (Cannot create a temporary file in " +
           simFolder.string() + ": Not a directory) - nothing was trained"},
      {"SIM folder missing", 2, 2, "", folder_.path() / "gone" / "Alpha.SIM", [] {}, TrainStart::kCannotSave,
       "Cannot save " + (folder_.path() / "gone" / "Alpha.SIM").string() +
           " (Cannot create a temporary file in " + (folder_.path() / "gone").string() +
           ": No such file or directory) - nothing was trained"},
      {"target is a folder", 2, 2, "", inFolder, [&] { fs::create_directories(inFolder); },
       TrainStart::kCannotSave,
       "Cannot save " + inFolder.string() + ": it is a folder - nothing was trained"},
      {"train.SIM is a folder", 2, 2, "", inFolder, [&] { fs::create_directories(trainSim); },
       TrainStart::kCannotSave,
       "Cannot save " + trainSim.string() + ": it is a folder - nothing was trained"},
      {"train.SIM starts with NaN", 2, 2, withValue(0, std::nan("")), inFolder, [] {},
       TrainStart::kCannotLoadWeights,
       "Error loading SIM data\n" + trainSim.string() +
           " is damaged: value 0 of its 8625 (at byte 0, the bias of hidden unit 1) is NaN (not a number)"},
      {"train.SIM ends with +inf", 2, 2, withValue(8624, HUGE_VAL), inFolder, [] {},
       TrainStart::kCannotLoadWeights,
       "Error loading SIM data\n" + trainSim.string() +
           " is damaged: value 8624 of its 8625 (at byte 68992, the weight from hidden unit 20 to output "
           "unit "
           "5) is +infinity"},
      {"train.SIM has -inf in the middle", 2, 2, withValue(4000, -HUGE_VAL), inFolder, [] {},
       TrainStart::kCannotLoadWeights,
       "Error loading SIM data\n" + trainSim.string() +
           " is damaged: value 4000 of its 8625 (at byte 32000, the weight from input 166 to hidden unit 10) "
           "is "
           "-infinity"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(folder_.path());
    fs::create_directories(simFolder);
    test::writeFile(trainData() / "SIMPAT.DAT", test::recordBytes(makeRecords(c.records)));
    test::writeFile(trainData() / "TVARS.DAT",
                    trainInfoBytes(makeTrainInfo(c.targetPath.string(), "Alpha", 2, c.count)));
    if (!c.trainWeightsBytes.empty()) test::writeFile(trainSim, c.trainWeightsBytes);
    c.arrange();
    ui_.clear();
    const auto before = parameterBits(model_);
    EXPECT_EQ(prepareTraining({0, false}).start, c.start);
    EXPECT_EQ(ui_.errors(), std::vector<std::string>{c.error});
    EXPECT_EQ(parameterBits(model_), before);
    // Nothing written: no random start, and no trial file left behind.
    if (c.trainWeightsBytes.empty() && !fs::is_directory(trainSim)) {
      EXPECT_FALSE(fs::exists(trainSim));
    }
    std::vector<std::string> hidden;
    for (const auto& entry : fs::recursive_directory_iterator(folder_.path())) {
      if (entry.path().filename().string().front() == '.') hidden.push_back(entry.path().string());
    }
    EXPECT_EQ(hidden, std::vector<std::string>{});
  }
}

// The trial saves meet a full disk before the first pass, not after the
// last: nothing is trained and nothing is left behind. The run itself saves
// through the same file system.
TEST_F(TrainingRunTest, AFullDiskShowsBeforeTraining) {
  prepare();
  test::FaultyFileSystem fullDisk;
  fullDisk.failWritesFrom(1);
  const auto before = parameterBits(model_);
  const TrainPreparation refused =
      stridewell::prepareTraining(trainData(), model_, ui_, {0, false}, fullDisk);
  EXPECT_EQ(refused.start, TrainStart::kCannotSave);
  ASSERT_EQ(ui_.errors().size(), 1u);
  EXPECT_TRUE(ui_.errors()[0].starts_with("Cannot save " + trainWeights().string() + " (Cannot write " +
                                          (trainData() / ".train.SIM.").string()))
      << ui_.errors()[0];
  EXPECT_TRUE(ui_.errors()[0].ends_with(": No space left on device) - nothing was trained"))
      << ui_.errors()[0];
  EXPECT_EQ(parameterBits(model_), before);
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(trainData())) files.push_back(entry.path().filename());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"SIMPAT.DAT", "TVARS.DAT"}));

  test::FaultyFileSystem disk;
  const TrainPreparation ready = stridewell::prepareTraining(trainData(), model_, ui_, {0, false}, disk);
  ASSERT_EQ(ready.start, TrainStart::kReady);
  EXPECT_EQ(ready.job.fileSystem, &disk);
  EXPECT_GT(disk.writeCalls(), 2) << "the trial writes and the random start go through it";
}

TEST_F(TrainingRunTest, RandomStartIsSavedAndAnnounced) {
  prepare(2, 10);
  ui_.queueAnswers({true});
  const auto fixedSeedWeights = parameterBits(model_);
  const TrainPreparation prepared = prepareTraining();
  ASSERT_EQ(prepared.start, TrainStart::kReady);
  EXPECT_EQ(ui_.warnings(), std::vector<std::string>{"No SIM data file; using random start point"});
  // Reseeded from the clock, then saved where the run will start from.
  EXPECT_NE(parameterBits(model_), fixedSeedWeights);
  SimModel saved(true);
  ASSERT_EQ(defineSimShape(saved, trainWeights()), kSimUnits);
  EXPECT_EQ(parameterBits(saved), parameterBits(model_));

  EXPECT_EQ(prepared.job.passes, 10);
  EXPECT_EQ(prepared.job.patternCount, 2);
  EXPECT_EQ(prepared.job.simName, "Alpha");
  EXPECT_EQ(prepared.job.targetWeightsFile, target());
  EXPECT_EQ(prepared.job.patternFile, trainData() / "SIMPAT.DAT");
  EXPECT_EQ(prepared.job.trainWeightsFile, trainWeights());

  const TrainPreparation more = prepareTraining({3, false});
  EXPECT_EQ(more.job.passes, 3);
}

TEST_F(TrainingRunTest, UnusableModelIsRefused) {
  prepare();
  SimModel forwardOnly(true);
  ASSERT_EQ(defineSimShape(forwardOnly, {}, true), kSimUnits);
  EXPECT_EQ(stridewell::prepareTraining(trainData(), forwardOnly, ui_, {0, false}).start,
            TrainStart::kUnusableModel);
  EXPECT_EQ(ui_.errors(), std::vector<std::string>{"Error during SIM init"});
}

RecordTrainerFactory literalFactory() {
  return [](SimModel& model, const std::atomic<int>& stop) { return makeLiteralTrainer(model, stop); };
}

// Polls as the main window's timer would, for at most a minute.
template <typename Predicate>
bool waitFor(Predicate done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

TEST_F(TrainingRunTest, TrainMoreStartsFromTheSavedTrainWeights) {
  prepare(2, 2);
  TrainPreparation prepared = prepareTraining({0, false});
  ASSERT_EQ(prepared.start, TrainStart::kReady);
  const auto start = parameterBits(model_);
  TrainingSession session;
  ASSERT_TRUE(session.start(model_, prepared.job, literalFactory()));
  ASSERT_TRUE(waitFor([&] { return !session.running(); }));
  const TrainingOutcome first = session.join();
  EXPECT_EQ(first.end, TrainingEnd::kCompleted);
  EXPECT_EQ(session.status().text, "Stridewell 5 - Training COMPLETE (2 passes)[SIM=Alpha]");
  const auto afterFirst = parameterBits(model_);
  EXPECT_NE(afterFirst, start);

  // A fresh model, as after a restart: the second run loads where the first ended.
  SimModel again(true);
  ASSERT_EQ(defineSimShape(again), kSimUnits);
  ui_.clear();
  prepared = stridewell::prepareTraining(trainData(), again, ui_, {1, false});
  ASSERT_EQ(prepared.start, TrainStart::kReady);
  EXPECT_TRUE(ui_.empty());
  EXPECT_EQ(parameterBits(again), afterFirst);
  ASSERT_TRUE(session.start(again, prepared.job, literalFactory()));
  EXPECT_EQ(session.join().end, TrainingEnd::kCompleted);
  EXPECT_EQ(session.status().text, "Stridewell 5 - Training COMPLETE (1 passes)[SIM=Alpha]");
  EXPECT_NE(parameterBits(again), afterFirst);
}

// The record of the preparation counts the passes over every run and gives
// the SIM a copy; the error kept is the one the last pass logged.
TEST_F(TrainingRunTest, TrainingRecordsAddUpOverTrainMore) {
  prepare(2, 2);
  SimRecord prepared;
  prepared.simName = "Alpha";
  prepared.dataset = "Spring";
  prepared.criteriaKnown = true;
  prepared.passesPerRun = 2;
  std::string problem;
  ASSERT_TRUE(writeSimRecord((trainData() / "train.INFO").string(), prepared, problem));
  // A card of the SIM's earlier weights says nothing of the new ones.
  SimRecord oldTarget = prepared;
  oldTarget.card = SimCardHeadline{"Old", "then", 10, 0.5, 0.7, 1.9, 0.1, 0.2};
  ASSERT_TRUE(writeSimRecord((trainData() / "Alpha.INFO").string(), oldTarget, problem));

  std::vector<std::string> logged;
  std::mutex loggedMutex;
  model_.setMessageCallback([&](const std::string& text) {
    std::lock_guard lock(loggedMutex);
    logged.push_back(text);
  });
  TrainPreparation job = prepareTraining({0, false});
  ASSERT_EQ(job.start, TrainStart::kReady);
  EXPECT_TRUE(job.job.freshStart);  // no train.SIM yet: a random start
  TrainingSession session;
  ASSERT_TRUE(session.start(model_, job.job, literalFactory()));
  const TrainingOutcome outcome = session.join();
  ASSERT_EQ(outcome.end, TrainingEnd::kCompleted);
  EXPECT_EQ(outcome.recordProblem, "");
  model_.setMessageCallback(nullptr);

  SimRecord target;
  ASSERT_EQ(readSimRecord((trainData() / "Alpha.INFO").string(), target), SimRecordRead::kRead);
  EXPECT_EQ(target.dataset, "Spring");
  EXPECT_EQ(target.passesTrained, 2);
  EXPECT_FALSE(target.card);
  EXPECT_FALSE(target.trainedWhen.empty());
  ASSERT_TRUE(target.finalError);
  double loggedError = -1;
  for (const std::string& line : logged) {
    if (line.rfind("[E]pass=2 tss=", 0) == 0) loggedError = std::stod(line.substr(14));
  }
  ASSERT_GE(loggedError, 0) << "no pass 2 in the log";
  EXPECT_NEAR(*target.finalError, loggedError, 1e-5 * loggedError);  // %g keeps six digits

  // Train More from the saved weights: the passes add up in both records.
  SimModel again(true);
  ASSERT_EQ(defineSimShape(again), kSimUnits);
  job = stridewell::prepareTraining(trainData(), again, ui_, {3, false});
  ASSERT_EQ(job.start, TrainStart::kReady);
  EXPECT_FALSE(job.job.freshStart);
  ASSERT_TRUE(session.start(again, job.job, literalFactory()));
  ASSERT_EQ(session.join().end, TrainingEnd::kCompleted);
  for (const char* file : {"Alpha.INFO", "train.INFO"}) {
    SimRecord read;
    ASSERT_EQ(readSimRecord((trainData() / file).string(), read), SimRecordRead::kRead) << file;
    EXPECT_EQ(read.passesTrained, 5) << file;
    EXPECT_EQ(read.dataset, "Spring") << file;
  }
}

TEST(TrainingRecord, OnlyARunThatSavedItsPassesIsRecorded) {
  test::TempFolder folder;
  TrainingJob job;
  job.trainWeightsFile = folder.path() / "train.SIM";
  job.targetWeightsFile = folder.path() / "Alpha.SIM";
  job.simName = "Alpha";
  const auto trainRecord = (folder.path() / "train.INFO").string();
  const auto targetRecord = (folder.path() / "Alpha.INFO").string();
  struct Case {
    const char* name;
    int passesBefore;  // in train.INFO; -1: none there
    const char* recordSim;
    bool freshStart;
    bool saved;
    int passesDone;
    int passesAfter;  // in Alpha.INFO; -1: not written
  };
  const Case cases[] = {
      {"first run", -1, "", false, true, 3, 3},
      {"train more", 4, "Alpha", false, true, 3, 7},
      {"train more, name in other case", 4, "ALPHA", false, true, 1, 5},
      {"after a fresh random start", 4, "Alpha", true, true, 3, 3},
      {"another SIM's record", 4, "Beta", false, true, 3, 3},
      {"weights not saved", 4, "Alpha", false, false, 3, -1},
      {"stopped before a whole pass", 4, "Alpha", false, true, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(trainRecord);
    fs::remove(targetRecord);
    if (c.passesBefore >= 0) {
      SimRecord before;
      before.simName = c.recordSim;
      before.dataset = "Spring";
      before.passesTrained = c.passesBefore;
      std::string problem;
      ASSERT_TRUE(writeSimRecord(trainRecord, before, problem));
    }
    job.freshStart = c.freshStart;
    TrainingOutcome outcome;
    outcome.end = TrainingEnd::kCompleted;
    outcome.saved = c.saved;
    outcome.passesDone = c.passesDone;
    outcome.lastPassError = 12.5;
    std::string problem;
    EXPECT_TRUE(recordTraining(job, outcome, 86400, problem)) << problem;
    SimRecord after;
    if (c.passesAfter < 0) {
      EXPECT_EQ(readSimRecord(targetRecord, after), SimRecordRead::kMissing);
      continue;
    }
    ASSERT_EQ(readSimRecord(targetRecord, after), SimRecordRead::kRead);
    EXPECT_EQ(after.passesTrained, c.passesAfter);
    EXPECT_EQ(after.simName, "Alpha");
    EXPECT_EQ(after.trainedWhen, "1970-01-02 00:00 UTC");
    // Only a record of this SIM's preparation lends its dataset.
    const bool same = std::string(c.recordSim) == "Alpha" || std::string(c.recordSim) == "ALPHA";
    EXPECT_EQ(after.dataset, same ? "Spring" : "");
  }

  // A full disk: the run stands, the caller learns which file failed.
  test::FaultyFileSystem full;
  full.failWritesFrom(1, ENOSPC);
  job.fileSystem = &full;
  TrainingOutcome outcome;
  outcome.saved = true;
  outcome.passesDone = 1;
  std::string problem;
  EXPECT_FALSE(recordTraining(job, outcome, 0, problem));
  EXPECT_NE(problem.find("Alpha.INFO"), std::string::npos) << problem;
}

TEST(TrainingSession, StopFromAnotherThreadSavesAndEnds) {
  test::TempFolder folder;
  SimModel model(true);
  ASSERT_EQ(defineSimShape(model), kSimUnits);
  test::writeFile(folder.path() / "SIMPAT.DAT", test::recordBytes(makeRecords(2)));
  TrainingJob job;
  job.patternFile = folder.path() / "SIMPAT.DAT";
  job.trainWeightsFile = folder.path() / "train.SIM";
  job.targetWeightsFile = folder.path() / "Alpha.SIM";
  job.simName = "Alpha";
  job.passes = 1000000;  // far more than the test waits for
  job.patternCount = 2;

  TrainingSession session;
  ASSERT_TRUE(session.start(model, job, literalFactory()));
  EXPECT_TRUE(session.running());
  EXPECT_FALSE(session.start(model, job, literalFactory()));  // one run at a time
  // Wait until pass 3 shows, then stop as the menu command would.
  ASSERT_TRUE(waitFor([&] { return session.status().pass >= 3; }));
  session.requestStop();
  ASSERT_TRUE(waitFor([&] { return !session.running(); }));
  const TrainingOutcome outcome = session.join();
  EXPECT_EQ(outcome.end, TrainingEnd::kStopped);
  EXPECT_GE(outcome.passesDone, 2);
  EXPECT_TRUE(outcome.saved);
  EXPECT_EQ(session.status().text, "Stridewell 5 - Training stopped by user.");
  EXPECT_TRUE(session.status().finished);
  EXPECT_GE(session.statusCount(), 4u);
  EXPECT_TRUE(fs::exists(job.targetWeightsFile));
  EXPECT_EQ(session.join().end, TrainingEnd::kFailed);  // nothing left to join
}

TEST(TrainingSession, DestroyingARunningSessionStopsIt) {
  test::TempFolder folder;
  SimModel model(true);
  ASSERT_EQ(defineSimShape(model), kSimUnits);
  test::writeFile(folder.path() / "SIMPAT.DAT", test::recordBytes(makeRecords(2)));
  TrainingJob job;
  job.patternFile = folder.path() / "SIMPAT.DAT";
  job.trainWeightsFile = folder.path() / "train.SIM";
  job.targetWeightsFile = folder.path() / "Alpha.SIM";
  job.simName = "Alpha";
  job.passes = 1000000;
  job.patternCount = 2;
  {
    TrainingSession session;
    ASSERT_TRUE(session.start(model, job, literalFactory()));
  }
  EXPECT_TRUE(fs::exists(job.trainWeightsFile));
}

TEST(TrainingSession, MissingTrainerFailsTheRun) {
  SimModel model(true);
  ASSERT_EQ(defineSimShape(model), kSimUnits);
  TrainingSession session;
  TrainingJob job;
  job.simName = "Alpha";
  job.passes = 1;
  ASSERT_TRUE(session.start(
      model, job, [](SimModel&, const std::atomic<int>&) { return std::unique_ptr<RecordTrainer>(); }));
  const TrainingOutcome outcome = session.join();
  EXPECT_EQ(outcome.end, TrainingEnd::kFailed);
  EXPECT_FALSE(outcome.saved);
  EXPECT_EQ(session.status().text, "Stridewell 5 - Training FAILED!!!");
}

}  // namespace
}  // namespace stridewell
