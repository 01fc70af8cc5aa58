// Preparing a SIM: the checks on the request in their order, and the run's
// files in TRAINDATA (train.SIM, SIMPAT.DAT, TVARS.DAT) when it completes,
// is cancelled or fails, with the messages the user sees.
#include "operations/prep_sim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "base/workspace.h"
#include "model/pattern_record.h"
#include "model/sim_model.h"
#include "model/sim_record.h"
#include "model/sim_shape.h"
#include "patterns/pattern_races.h"
#include "patterns/pattern_writer.h"
#include "race/criteria_choices.h"
#include "race/criteria_text.h"
#include "support/faulty_file_system.h"
#include "support/recording_interaction.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using Kind = test::RecordingInteraction::Kind;
using test::raceWithFinishers;
using test::RecordingInteraction;
using test::RecordingProgress;

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

class PrepSimTest : public ::testing::Test {
 protected:
  PrepSimTest() {
    fs::create_directories(folder_.path() / "program");
    workspace_ = workspaceAt((folder_.path() / "program").string(), (folder_.path() / "work").string());
    EXPECT_TRUE(createWorkspaceFolders(workspace_, ui_));
    // The shipped SIM beside the program; its bytes do not matter here.
    writeBytes(fs::path(workspace_.programFolder) / "Default.SIM", std::string(kSimWeightsFileBytes, '\0'));
  }

  fs::path train(const char* file) const { return fs::path(workspace_.trainData) / file; }
  fs::path simFile(const std::string& name) const { return fs::path(workspace_.sim) / (name + ".SIM"); }

  void writeDataset(const std::string& name, const std::vector<std::unique_ptr<Race>>& races) {
    test::writeDatasetFile(fs::path(workspace_.datasets) / (name + ".DSI"), races);
  }

  // A SIM in the SIM folder whose weights are drawn from `seed`.
  void writeSim(const std::string& name, uint32_t seed) {
    SimModel model(true);
    MwcRandom random;
    random.z = seed;
    model.setRandom(random);
    ASSERT_GT(defineSimShape(model), 0);
    ASSERT_TRUE(model.saveWeights(simFile(name)));
  }

  // The previous preparation: three files with known contents.
  void writeOldPreparation() {
    writeBytes(train("train.SIM"), "old weights");
    writeBytes(train("SIMPAT.DAT"), "old patterns");
    writeBytes(train("TVARS.DAT"), "old train info");
  }

  PrepRequest request(const std::string& simName) const {
    PrepRequest r;
    r.dataset = "Races";
    r.simName = simName;
    r.random = randomFromSeed(1234);
    r.criteria = buildCriteria(CriteriaChoices{});  // "All" everywhere
    return r;
  }

  PrepResult run(const PrepRequest& r, ProgressSink& progress, SettingsStore* settings = nullptr,
                 FileSystem& fileSystem = realFileSystem()) {
    SimModel model(true);
    return runPrep(r, workspace_, model, ui_, progress, settings, fileSystem);
  }

  std::vector<std::string> trainDataFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(workspace_.trainData))
      names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  test::TempFolder folder_;
  Workspace workspace_;
  RecordingInteraction ui_;
};

TEST_F(PrepSimTest, ChecksInOrder) {
  writeSim("Alpha", 1);
  writeSim("Beta", 2);
  struct Case {
    const char* name;
    const char* simName;
    const char* startSim;
    std::vector<bool> answers;
    PrepCheck expected;
    std::vector<RecordingInteraction::Call> calls;
  };
  const std::string forbidden = "SIM name cannot contain any of the following characters: ?*<\">/\\:|";
  const std::string reserved = "The SIM name you have chosen is reserved.  Please pick another.";
  const std::string overwrite = "A SIM with that name already exists; over-write?";
  const Case cases[] = {
      {"blank", "  \t ", "", {}, PrepCheck::kBadName, {{Kind::kError, "ERROR", "SIM name cannot be blank."}}},
      {"colon", "a:b", "", {}, PrepCheck::kBadName, {{Kind::kError, "ERROR", forbidden}}},
      // The character check comes before the reserved check.
      {"reserved and forbidden",
       "Default|",
       "",
       {},
       PrepCheck::kBadName,
       {{Kind::kError, "ERROR", forbidden}}},
      {"Default", "Default", "", {}, PrepCheck::kBadName, {{Kind::kError, "ERROR", reserved}}},
      {"default, trimmed", "  default ", "", {}, PrepCheck::kBadName, {{Kind::kError, "ERROR", reserved}}},
      {"same as start",
       " Alpha",
       "Alpha",
       {},
       PrepCheck::kSameAsStart,
       {{Kind::kError, "ERROR", "Starting point and target SIM cannot be identical."}}},
      // The identity test is case-sensitive; the existing Alpha is still
      // one that a SIM named alpha would be taken for, so the user is asked.
      {"alpha from Alpha",
       "alpha",
       "Alpha",
       {true},
       PrepCheck::kAccepted,
       {{Kind::kQuery, "Query", overwrite}}},
      {"existing, No", "Beta", "", {false}, PrepCheck::kDeclined, {{Kind::kQuery, "Query", overwrite}}},
      {"existing, Yes",
       "Beta",
       "Default",
       {true},
       PrepCheck::kAccepted,
       {{Kind::kQuery, "Query", overwrite}}},
      {"new name", "Gamma", "", {}, PrepCheck::kAccepted, {}},
  };
  for (const Case& c : cases) {
    ui_.clear();
    for (bool answer : c.answers) ui_.queueAnswers({answer});
    PrepRequest r = request(c.simName);
    r.startSim = c.startSim;
    EXPECT_EQ(checkPrepRequest(r, workspace_, ui_), c.expected) << c.name;
    EXPECT_EQ(ui_.calls(), c.calls) << c.name;
  }

  // The target path in the SIM folder must fit the train information's
  // 260 bytes with its NUL.
  const size_t room = 259 - (workspace_.sim.size() + 1) - 4;
  ui_.clear();
  EXPECT_EQ(checkPrepRequest(request(std::string(room, 'n')), workspace_, ui_), PrepCheck::kAccepted);
  EXPECT_EQ(checkPrepRequest(request(std::string(room + 1, 'n')), workspace_, ui_), PrepCheck::kBadName);
  EXPECT_EQ(ui_.errors(), std::vector<std::string>{"SIM name is too long."});
}

TEST_F(PrepSimTest, CompleteRunLeavesAMatchedSet) {
  writeOldPreparation();
  std::vector<std::unique_ptr<Race>> races;
  races.push_back(raceWithFinishers(8, 2, 0, 2));  // a pattern
  races.push_back(raceWithFinishers(4, 1, 1));     // counted, no pattern
  races.push_back(raceWithFinishers(6, 0, 2));     // no condition: skipped
  races.push_back(raceWithFinishers(5, 1, 3));     // a pattern
  writeDataset("Races", races);
  SettingsStore settings((folder_.path() / "settings.conf").string());

  PrepRequest r = request("  Gamma ");
  r.passes = 10;
  RecordingProgress progress;
  const PrepResult result = run(r, progress, &settings);
  EXPECT_EQ(result.outcome, PrepOutcome::kDone);
  EXPECT_EQ(
      ui_.calls(),
      (std::vector<RecordingInteraction::Call>{{Kind::kNotice, "Prep complete", "2 patterns (3 races)"}}));
  EXPECT_EQ(progress.texts(), std::vector<std::string>{"Preprocessing..."});
  EXPECT_EQ(settings.read(setting::kTrainDataset, ""), "Races");
  EXPECT_EQ(trainDataFiles(),
            (std::vector<std::string>{"SIMPAT.DAT", "TVARS.DAT", "train.INFO", "train.SIM"}));

  // The training record: what the SIM learns from, no pass yet.
  SimRecord record;
  ASSERT_EQ(readSimRecord(train("train.INFO").string(), record), SimRecordRead::kRead);
  EXPECT_EQ(record.simName, "Gamma");
  EXPECT_EQ(record.dataset, "Races");
  EXPECT_TRUE(record.criteriaKnown);
  EXPECT_EQ(record.criteria, std::vector<std::string>{});  // "All" everywhere
  EXPECT_EQ(record.passesPerRun, 10);
  EXPECT_TRUE(record.startKnown);
  EXPECT_EQ(record.startSim, "");
  EXPECT_EQ(record.patterns, 2);
  EXPECT_EQ(record.races, 3);
  EXPECT_EQ(record.passesTrained, 0);
  EXPECT_FALSE(record.preparedWhen.empty());

  // TVARS.DAT: target path (0), name (260), passes (520), patterns (524).
  const std::string info = readBytes(train("TVARS.DAT"));
  ASSERT_EQ(info.size(), 528u);
  const std::string target = workspace_.sim + "/Gamma.SIM";
  EXPECT_EQ(info.substr(0, target.size()), target);
  EXPECT_EQ(info.substr(target.size(), 260 - target.size()), std::string(260 - target.size(), '\0'));
  EXPECT_EQ(info.substr(260, 6), std::string("Gamma\0", 6));
  EXPECT_EQ(info.substr(266, 254), std::string(254, '\0'));
  EXPECT_EQ(info.substr(520, 8), std::string("\x0a\0\0\0\x02\0\0\0", 8));

  std::string patterns;
  for (int index : {0, 3}) {
    PatternRecord record;
    ASSERT_EQ(buildPattern(races[index]->profile, races[index]->result, record), PatternBuild::kBuilt);
    patterns.append(reinterpret_cast<const char*>(&record), sizeof record);
  }
  EXPECT_EQ(readBytes(train("SIMPAT.DAT")), patterns);

  // The starting weights come from the seed: the first value drawn is the
  // first hidden unit's bias, within 3 / sqrt(426) of 0.
  const std::string weights = readBytes(train("train.SIM"));
  ASSERT_EQ(weights.size(), kSimWeightsFileBytes);
  MwcRandom random;
  random.z = 1234;
  random.w = ~1234u;
  const double range = 3.0 / std::sqrt(426.0);
  const double firstBias = random.next() * MwcRandom::kUnitScale * range * 2 - range;
  double stored = 0;
  std::memcpy(&stored, weights.data(), sizeof stored);
  EXPECT_EQ(stored, firstBias);

  // The same seed gives the same file; the target SIM itself is not made.
  ui_.clear();
  ASSERT_EQ(run(r, progress).outcome, PrepOutcome::kDone);
  EXPECT_EQ(readBytes(train("train.SIM")), weights);
  EXPECT_FALSE(fs::exists(simFile("Gamma")));
}

TEST_F(PrepSimTest, StartsFromTheChosenSim) {
  writeSim("Alpha", 77);
  std::vector<std::unique_ptr<Race>> races;
  races.push_back(raceWithFinishers(6, 2));
  writeDataset("Races", races);
  PrepRequest r = request("Beta");
  r.startSim = "Alpha";
  CriteriaChoices choices;
  choices.condition = 2;  // dry tracks only
  r.criteria = buildCriteria(choices);
  NoProgress progress;
  ASSERT_EQ(run(r, progress).outcome, PrepOutcome::kDone) << (ui_.errors().empty() ? "" : ui_.errors()[0]);
  EXPECT_EQ(readBytes(train("train.SIM")), readBytes(simFile("Alpha")));
  // The record names the start and the criteria as a report header does.
  SimRecord record;
  ASSERT_EQ(readSimRecord(train("train.INFO").string(), record), SimRecordRead::kRead);
  EXPECT_EQ(record.startSim, "Alpha");
  std::string header;
  for (const std::string& line : record.criteria) header += line + "\n";
  EXPECT_EQ(header, describeCriteria(r.criteria));
  EXPECT_EQ(record.criteria.size(), 1u) << header;
}

TEST_F(PrepSimTest, EmptyDataset) {
  // Nothing to train on: refused, and nothing of TRAINDATA is made.
  writeDataset("Races", {});
  NoProgress progress;
  const PrepResult result = run(request("Empty"), progress);
  EXPECT_EQ(result.outcome, PrepOutcome::kNoPatterns);
  EXPECT_EQ(ui_.texts(Kind::kNotice), std::vector<std::string>{});
  ASSERT_EQ(ui_.errors().size(), 1u);
  EXPECT_EQ(ui_.errors()[0].rfind("The dataset Races holds no race.", 0), 0u) << ui_.errors()[0];
  EXPECT_EQ(trainDataFiles(), std::vector<std::string>{});
}

// A run that yields no pattern leaves the previous preparation byte for
// byte, says why, and leaves no temporary file behind.
TEST_F(PrepSimTest, RunsWithoutAPatternKeepThePreviousPreparation) {
  struct Case {
    const char* name;
    std::vector<int> finishers;  // one race per entry, dry track
    bool cutLastByte;
    const char* track;  // criteria track code, "" for all
    std::string reason;
  };
  const std::string datasetFile = (fs::path(workspace_.datasets) / "Races.DSI").string();
  const Case cases[] = {
      {"empty dataset", {}, false, "", "The dataset Races holds no race."},
      {"damaged at its first race",
       {6},
       true,
       "",
       datasetFile + ": race 1 is damaged (the file ends inside its result); reading stopped there, after 0 "
                     "sound races."},
      {"criteria no race meets",
       {6, 7},
       false,
       "ZZZ",
       "No race of the dataset Races met the criteria with a known track condition (2 races read)."},
      {"races too small to give a pattern",
       {4, 3},
       false,
       "",
       "No race of the dataset Races that met the criteria gave a pattern (2 races met them; a race needs 5 "
       "to 12 finishers)."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeOldPreparation();
    std::vector<std::unique_ptr<Race>> races;
    for (size_t i = 0; i < c.finishers.size(); ++i)
      races.push_back(raceWithFinishers(c.finishers[i], 2, int(i)));
    writeDataset("Races", races);
    if (c.cutLastByte) fs::resize_file(datasetFile, fs::file_size(datasetFile) - 1);
    ui_.clear();
    PrepRequest r = request("Gamma");
    CriteriaChoices choices;
    choices.trackText = c.track;
    r.criteria = buildCriteria(choices);
    NoProgress progress;
    EXPECT_EQ(run(r, progress).outcome, PrepOutcome::kNoPatterns);
    EXPECT_EQ(ui_.errors(), std::vector<std::string>{c.reason + " Nothing was prepared; TRAINDATA keeps the "
                                                                "previous preparation."});
    EXPECT_TRUE(ui_.texts(Kind::kNotice).empty());
    EXPECT_EQ(readBytes(train("train.SIM")), "old weights");
    EXPECT_EQ(readBytes(train("SIMPAT.DAT")), "old patterns");
    EXPECT_EQ(readBytes(train("TVARS.DAT")), "old train info");
    EXPECT_EQ(trainDataFiles(), (std::vector<std::string>{"SIMPAT.DAT", "TVARS.DAT", "train.SIM"}));
  }
}

// A starting SIM whose values are not all finite is refused before
// anything is written, naming the file and the first bad value.
TEST_F(PrepSimTest, DamagedStartingSimIsRefused) {
  std::vector<std::unique_ptr<Race>> races;
  races.push_back(raceWithFinishers(6, 2));
  writeDataset("Races", races);
  writeSim("Alpha", 77);
  const std::string good = readBytes(simFile("Alpha"));
  struct Case {
    const char* name;
    size_t index;
    double value;
    std::string what;
  };
  const Case cases[] = {
      {"NaN first", 0, std::nan(""),
       "value 0 of its 8625 (at byte 0, the bias of hidden unit 1) is NaN (not a number)"},
      {"+inf last", 8624, HUGE_VAL,
       "value 8624 of its 8625 (at byte 68992, the weight from hidden unit 20 to output unit 5) is "
       "+infinity"},
      {"-inf in the middle", 4000, -HUGE_VAL,
       "value 4000 of its 8625 (at byte 32000, the weight from input 166 to hidden unit 10) is -infinity"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = good;
    std::memcpy(bytes.data() + c.index * sizeof(double), &c.value, sizeof(double));
    writeBytes(simFile("Hostile"), bytes);
    writeOldPreparation();
    ui_.clear();
    PrepRequest r = request("Gamma");
    r.startSim = "Hostile";
    NoProgress progress;
    EXPECT_EQ(run(r, progress).outcome, PrepOutcome::kDamagedStart);
    EXPECT_EQ(ui_.errors(), std::vector<std::string>{"Error initializing SIM\n" +
                                                     simFile("Hostile").string() + " is damaged: " + c.what});
    EXPECT_EQ(readBytes(train("train.SIM")), "old weights");
    EXPECT_EQ(readBytes(train("SIMPAT.DAT")), "old patterns");
    EXPECT_EQ(readBytes(train("TVARS.DAT")), "old train info");
  }
}

TEST_F(PrepSimTest, CancelHalfwayRemovesWeightsAndPatterns) {
  writeOldPreparation();
  writeBytes(train("train.INFO"), "old record");  // goes with the weights it describes
  std::vector<std::unique_ptr<Race>> races;
  for (int i = 0; i < 6; ++i) races.push_back(raceWithFinishers(6, 2, i));
  writeDataset("Races", races);
  RecordingProgress progress(3);
  const PrepResult result = run(request("Gamma"), progress);
  EXPECT_EQ(result.outcome, PrepOutcome::kCancelled);
  EXPECT_EQ(ui_.calls(), (std::vector<RecordingInteraction::Call>{{Kind::kNotice, "Prep", "User aborted."}}));
  // The older train information stays; training then finds no patterns.
  EXPECT_EQ(trainDataFiles(), std::vector<std::string>{"TVARS.DAT"});
  EXPECT_EQ(readBytes(train("TVARS.DAT")), "old train info");
}

TEST_F(PrepSimTest, FailuresBeforeTheRunLeaveThePreviousPreparation) {
  writeDataset("Races", {});
  writeBytes(simFile("Short"), "not a weights file");
  struct Case {
    const char* name;
    const char* dataset;
    const char* startSim;
    const char* message;
    std::string reason;  // the second line, naming the file and why
    bool damaged;
  };
  const std::string datasets = workspace_.datasets;
  const Case cases[] = {
      {"missing dataset", "Nothing", "", "Error opening dataset",
       "\n" + datasets + "/Nothing.DSI: No such file or directory", false},
      {"dataset name leading out of DATASETS", "../Races", "", "Error opening dataset",
       "\n" + datasets + "/../Races.DSI: No such file or directory", false},
      {"starting SIM too short", "Races", "Short", "Error initializing SIM",
       "\n" + simFile("Short").string() + " holds 18 bytes of the 69000 a weights file needs", true},
      {"starting SIM missing", "Races", "Gone", "Error initializing SIM",
       "\nCannot open " + simFile("Gone").string() + ": No such file or directory", false},
  };
  for (const Case& c : cases) {
    writeOldPreparation();
    ui_.clear();
    PrepRequest r = request("Gamma");
    r.dataset = c.dataset;
    r.startSim = c.startSim;
    NoProgress progress;
    EXPECT_EQ(run(r, progress).outcome, c.damaged ? PrepOutcome::kDamagedStart : PrepOutcome::kNotStarted)
        << c.name;
    ASSERT_EQ(ui_.errors().size(), 1u) << c.name;
    EXPECT_EQ(ui_.errors()[0].substr(0, ui_.errors()[0].find('\n')), c.message) << c.name;
    EXPECT_NE(ui_.errors()[0].find(c.reason), std::string::npos) << c.name << ": " << ui_.errors()[0];
    EXPECT_EQ(readBytes(train("train.SIM")), "old weights") << c.name;
    EXPECT_EQ(readBytes(train("SIMPAT.DAT")), "old patterns") << c.name;
    EXPECT_EQ(readBytes(train("TVARS.DAT")), "old train info") << c.name;
  }

  // The train weights cannot be saved: TRAINDATA is gone.
  ui_.clear();
  fs::remove_all(workspace_.trainData);
  NoProgress progress;
  EXPECT_EQ(run(request("Gamma"), progress).outcome, PrepOutcome::kNotStarted);
  EXPECT_EQ(ui_.errors(),
            std::vector<std::string>{"Error saving SIM data\nCannot create a temporary file in " +
                                     workspace_.trainData + ": No such file or directory"});
}

TEST_F(PrepSimTest, TrainInfoThatCannotBeWrittenRemovesTheNewFiles) {
  std::vector<std::unique_ptr<Race>> races;
  races.push_back(raceWithFinishers(6, 2));
  writeDataset("Races", races);
  // A folder where TVARS.DAT should go: the file cannot replace it.
  fs::create_directory(train("TVARS.DAT"));
  NoProgress progress;
  EXPECT_EQ(run(request("Gamma"), progress).outcome, PrepOutcome::kFailed);
  EXPECT_EQ(ui_.errors(), std::vector<std::string>{"Cannot create train info file\nCannot replace " +
                                                   train("TVARS.DAT").string() + ": Is a directory"});
  EXPECT_EQ(trainDataFiles(), std::vector<std::string>{"TVARS.DAT"});
  EXPECT_TRUE(fs::is_directory(train("TVARS.DAT")));
}

// A full disk stops the preparation before anything is replaced; a refused
// rename ends it as a failed train information does, with nothing half-made
// left in TRAINDATA. Each message names the file and the system's reason.
TEST_F(PrepSimTest, FileSystemFaultsLeaveNoHalfMadePreparation) {
  std::vector<std::unique_ptr<Race>> races;
  races.push_back(raceWithFinishers(6, 2));
  writeDataset("Races", races);
  struct Case {
    const char* name;
    std::function<void(test::FaultyFileSystem&)> arrange;
    PrepOutcome outcome;
    std::string message;  // how it starts: what failed and the file
    const char* reason;
    std::vector<std::string> left;
  };
  const Case cases[] = {
      {"full disk",
       [](auto& disk) { disk.failWritesFrom(1); },
       PrepOutcome::kNotStarted,
       "Error saving SIM data\nCannot write " + train(".train.SIM.").string(),
       "No space left on device",
       {"SIMPAT.DAT", "TVARS.DAT", "train.SIM"}},
      {"rename refused",
       [](auto& disk) { disk.failRename(EACCES); },
       PrepOutcome::kFailed,
       "Error saving SIM data\nCannot replace " + train("train.SIM").string(),
       "Permission denied",
       {"TVARS.DAT"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeOldPreparation();
    ui_.clear();
    test::FaultyFileSystem faulty;
    c.arrange(faulty);
    NoProgress progress;
    EXPECT_EQ(run(request("Gamma"), progress, nullptr, faulty).outcome, c.outcome);
    ASSERT_EQ(ui_.errors().size(), 1u);
    EXPECT_TRUE(ui_.errors()[0].starts_with(c.message)) << ui_.errors()[0];
    EXPECT_TRUE(ui_.errors()[0].ends_with(std::string(": ") + c.reason)) << ui_.errors()[0];
    EXPECT_EQ(trainDataFiles(), c.left);
    EXPECT_EQ(readBytes(train("TVARS.DAT")), "old train info");
  }
}

TEST_F(PrepSimTest, DamagedDatasetIsUsedUpToTheDamage) {
  std::vector<std::unique_ptr<Race>> races;
  races.push_back(raceWithFinishers(6, 2));
  races.push_back(raceWithFinishers(7, 2, 1));
  writeDataset("Races", races);
  const fs::path file = fs::path(workspace_.datasets) / "Races.DSI";
  fs::resize_file(file, fs::file_size(file) - 1);
  NoProgress progress;
  EXPECT_EQ(run(request("Gamma"), progress).outcome, PrepOutcome::kDone);
  ASSERT_EQ(ui_.warnings().size(), 1u);
  EXPECT_NE(ui_.warnings()[0].find("the patterns cover the races before it."), std::string::npos);
  EXPECT_EQ(ui_.texts(Kind::kNotice), std::vector<std::string>{"1 patterns (1 races)"});
}

}  // namespace
}  // namespace stridewell
