// Deleting, renaming, splitting and combining datasets in a real DATASETS
// folder: which races land where and in which order, every refusal and its
// message, and that cancel, failure and a damaged source never leave a
// partial dataset or change a source.
#include "operations/dataset_management.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/workspace.h"
#include "datasets/append_journal.h"
#include "datasets/dataset_file.h"
#include "datasets/dataset_name.h"
#include "operations/dataset_combine.h"
#include "operations/dataset_split.h"
#include "race/race.h"
#include "support/faulty_file_system.h"
#include "support/recording_interaction.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using test::RecordingInteraction;
using test::RecordingProgress;
using Kind = RecordingInteraction::Kind;
using Call = RecordingInteraction::Call;

// A race that carries its id in its first horse's name, with something in
// all three records and in a far horse slot, so a copy that lost or mixed up
// bytes shows.
std::unique_ptr<Race> raceWithId(int id) {
  auto race = std::make_unique<Race>();
  std::memset(static_cast<void*>(race.get()), 0, sizeof(Race));
  race->card.hostRaceNumber = static_cast<uint8_t>(id % 12 + 1);
  std::memcpy(race->card.hostTrack, "AQU", 3);
  race->card.horseCount = 2;
  const std::string name = "Horse " + std::to_string(id);
  std::memcpy(race->card.horses[0].name, name.data(), name.size());
  race->card.horses[5 + id % 50].age = static_cast<uint8_t>(id % 200 + 1);
  reinterpret_cast<unsigned char*>(&race->profile)[100 + id % 1000] =
      static_cast<unsigned char>(id % 255 + 1);
  race->result.raceNumber = race->card.hostRaceNumber;
  std::memcpy(race->result.track, "AQU", 3);
  return race;
}

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<int> ids(int first, int last) {
  std::vector<int> all;
  for (int id = first; id <= last; ++id) all.push_back(id);
  return all;
}

class DatasetManagementTest : public ::testing::Test {
 protected:
  DatasetManagementTest() : workspace_(workspaceAt("", folder_.path().string())) {
    fs::create_directories(workspace_.datasets);
  }

  fs::path pathOf(const std::string& name) const { return datasetPath(workspace_, name); }

  // Writes dataset `name` with the races of `raceIds`; `cutBytes` > 0 then
  // appends that many bytes of a further race, the way a copy cut short ends.
  void makeDataset(const std::string& name, const std::vector<int>& raceIds, size_t cutBytes = 0) {
    std::ofstream out(pathOf(name), std::ios::binary | std::ios::trunc);
    for (int id : raceIds) ASSERT_TRUE(writeDatasetRace(out, *raceWithId(id)));
    if (cutBytes > 0) {
      std::ostringstream extra(std::ios::binary);
      ASSERT_TRUE(writeDatasetRace(extra, *raceWithId(999)));
      out.write(extra.str().data(), static_cast<std::streamsize>(cutBytes));
    }
    ASSERT_TRUE(out.good());
  }

  // The ids of the races of a dataset, in file order, checking each race
  // whole against the race of that id.
  std::vector<int> raceIdsOf(const std::string& name) const {
    std::ifstream in(pathOf(name), std::ios::binary);
    EXPECT_TRUE(in.is_open()) << name;
    DatasetReader reader(in, name);
    auto race = std::make_unique<Race>();
    std::vector<int> found;
    while (reader.next(*race)) {
      const int id = std::atoi(race->card.horses[0].name + 6);
      const auto expected = raceWithId(id);
      EXPECT_EQ(std::memcmp(&race->card, &expected->card, sizeof race->card), 0) << name << " race " << id;
      EXPECT_EQ(std::memcmp(&race->profile, &expected->profile, sizeof race->profile), 0)
          << name << " race " << id;
      EXPECT_EQ(std::memcmp(&race->result, &expected->result, sizeof race->result), 0)
          << name << " race " << id;
      found.push_back(id);
    }
    EXPECT_FALSE(reader.damaged()) << reader.problem();
    return found;
  }

  // Every entry of DATASETS, hidden ones included, with its bytes.
  std::vector<std::pair<std::string, std::string>> folderState() const {
    std::vector<std::pair<std::string, std::string>> state;
    for (const auto& entry : fs::directory_iterator(workspace_.datasets)) {
      state.emplace_back(entry.path().filename().string(), readBytes(entry.path()));
    }
    std::sort(state.begin(), state.end());
    return state;
  }

  test::TempFolder folder_;
  Workspace workspace_;
};

// --- split -------------------------------------------------------------

TEST_F(DatasetManagementTest, SplitAllocationListAsTheDialogShowsIt) {
  const std::vector<std::pair<std::string, int>> expected{{"50%", 2},  {"33%", 3}, {"25%", 4}, {"20%", 5},
                                                          {"10%", 10}, {"5%", 20}, {"1%", 100}};
  ASSERT_EQ(kSplitAllocations.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(kSplitAllocations[i].entry, expected[i].first);
    EXPECT_EQ(splitStepFor(expected[i].first), expected[i].second);
  }
  EXPECT_EQ(kSplitAllocations[kDefaultSplitAllocation].entry, "10%");
  EXPECT_EQ(splitStepFor("15%"), 0);
}

TEST_F(DatasetManagementTest, SplitSendsEveryNthRaceToTest) {
  struct Case {
    int races;
    const char* allocation;
    std::vector<int> test;  // worked out by hand: ordinals that are multiples of the step
  };
  const std::vector<Case> cases{
      {25, "10%", {10, 20}}, {25, "50%", {2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24}},
      {7, "33%", {3, 6}},    {9, "10%", {}},  // fewer races than the step: empty test dataset, still created
      {0, "10%", {}},                         // empty source: two empty datasets
      {100, "1%", {100}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.races) + " races at " + c.allocation);
    fs::remove_all(workspace_.datasets);
    fs::create_directories(workspace_.datasets);
    makeDataset("Source", ids(1, c.races));
    const std::string sourceBytes = readBytes(pathOf("Source"));
    std::vector<int> train;
    for (int id = 1; id <= c.races; ++id) {
      if (std::find(c.test.begin(), c.test.end(), id) == c.test.end()) train.push_back(id);
    }

    RecordingInteraction ui;
    RecordingProgress progress;
    ASSERT_EQ(checkSplitNames(workspace_, "Source", " Train ", "Test", ui), DatasetField::kNone);
    const SplitResult result =
        splitDataset(workspace_, "Source", " Train ", "Test", splitStepFor(c.allocation), ui, progress);

    EXPECT_EQ(result.outcome, DatasetRunOutcome::kDone);
    EXPECT_EQ(raceIdsOf("Train"), train);
    EXPECT_EQ(raceIdsOf("Test"), c.test);
    EXPECT_EQ(readBytes(pathOf("Source")), sourceBytes);
    const std::string notice = "Dataset successfully split.\n\nSource dataset contains " +
                               std::to_string(c.races) + " races.\n\nTrain dataset received " +
                               std::to_string(train.size()) + " races.\nTest dataset received " +
                               std::to_string(c.test.size()) + " races.";
    EXPECT_EQ(ui.calls(), (std::vector<Call>{{Kind::kNotice, "Split Dataset", notice}}));
    EXPECT_EQ(listDatasets(workspace_), (std::vector<std::string>{"Source", "Test", "Train"}));
    if (c.races > 0) {
      // Percent shown only when it changes, ending at 100 with the bar.
      const std::vector<int> percents = progress.percents();
      ASSERT_FALSE(percents.empty());
      EXPECT_EQ(percents.back(), 100);
      EXPECT_TRUE(std::adjacent_find(percents.begin(), percents.end()) == percents.end());
      EXPECT_EQ(progress.texts().back(), "100% complete");
    }
  }
}

TEST_F(DatasetManagementTest, SplitRefusesBadNamesInOrder) {
  struct Case {
    const char* train;
    const char* test;
    const char* text;
    DatasetField field;
  };
  const std::vector<Case> cases{
      {"  ", "", "Train dataset name cannot be blank.", DatasetField::kTrain},
      {"a", " \t", "Test dataset name cannot be blank.", DatasetField::kTest},
      {"a/b", "c:d", "Train dataset name cannot contain any of the following characters: ?*<\">/\\:|",
       DatasetField::kTrain},
      {"a", "c|d", "Test dataset name cannot contain any of the following characters: ?*<\">/\\:|",
       DatasetField::kTest},
      {"Same", " sAME ", "Train and Test dataset cannot have the same name.", DatasetField::kTest},
      {"source", "Test", "Train dataset cannot have the same name as the source dataset.",
       DatasetField::kTrain},
      {"Train", "SOURCE ", "Test dataset cannot have the same name as the source dataset.",
       DatasetField::kTest},
  };
  makeDataset("Source", ids(1, 5));
  const auto before = folderState();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.train) + " / " + c.test);
    RecordingInteraction ui;
    EXPECT_EQ(checkSplitNames(workspace_, "Source", c.train, c.test, ui), c.field);
    EXPECT_EQ(ui.calls(), (std::vector<Call>{{Kind::kError, "ERROR", c.text}}));
    // The run refuses by itself too: a caller that skipped the dialog's
    // checks still never writes over the source.
    RecordingInteraction runUi;
    RecordingProgress progress;
    EXPECT_EQ(splitDataset(workspace_, "Source", c.train, c.test, 10, runUi, progress).outcome,
              DatasetRunOutcome::kRefused);
    EXPECT_EQ(runUi.errors(), (std::vector<std::string>{c.text}));
    EXPECT_EQ(folderState(), before);
  }
}

TEST_F(DatasetManagementTest, SplitAsksBeforeOverWritingAndFocusesTheRightField) {
  struct Case {
    bool trainExists;
    bool testExists;
    bool answer;
    const char* query;
    DatasetField field;
  };
  const std::vector<Case> cases{
      {true, true, false,
       "Train dataset \"Tr\" already exists.\nTest dataset \"Te\" already exists.\nOver-write?",
       DatasetField::kTrain},
      {false, true, false, "Test dataset \"Te\" already exists.\nOver-write?", DatasetField::kTest},
      {true, false, false, "Train dataset \"Tr\" already exists.\nOver-write?", DatasetField::kTrain},
      {true, true, true,
       "Train dataset \"Tr\" already exists.\nTest dataset \"Te\" already exists.\nOver-write?",
       DatasetField::kNone},
  };
  makeDataset("Source", ids(1, 3));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.query);
    fs::remove(pathOf("Tr"));
    fs::remove(pathOf("Te"));
    if (c.trainExists) makeDataset("Tr", {50});
    if (c.testExists) makeDataset("Te", {60});
    RecordingInteraction ui;
    ui.queueAnswers({c.answer});
    EXPECT_EQ(checkSplitNames(workspace_, "Source", "Tr", "Te", ui), c.field);
    EXPECT_EQ(ui.queries(), (std::vector<std::string>{c.query}));
    EXPECT_EQ(ui.calls().size(), 1u);
  }
  // Over-writing after Yes replaces both outputs.
  RecordingInteraction ui;
  RecordingProgress progress;
  EXPECT_EQ(splitDataset(workspace_, "Source", "Tr", "Te", 2, ui, progress).outcome,
            DatasetRunOutcome::kDone);
  EXPECT_EQ(raceIdsOf("Tr"), (std::vector<int>{1, 3}));
  EXPECT_EQ(raceIdsOf("Te"), (std::vector<int>{2}));
}

TEST_F(DatasetManagementTest, SplitCancelledLeavesNothingAndKeepsAnOverWrittenDataset) {
  makeDataset("Source", ids(1, 25));
  makeDataset("Train", {77});  // the user agreed to over-write it, then cancelled
  const auto before = folderState();
  RecordingInteraction ui;
  RecordingProgress progress(5);  // Cancel while the fifth percent is showing
  const SplitResult result = splitDataset(workspace_, "Source", "Train", "Test", 10, ui, progress);
  EXPECT_EQ(result.outcome, DatasetRunOutcome::kCancelled);
  EXPECT_EQ(result.races, 4);
  EXPECT_EQ(ui.calls(), (std::vector<Call>{{Kind::kNotice, "Split Dataset", "User aborted."}}));
  EXPECT_EQ(folderState(), before);
}

TEST_F(DatasetManagementTest, SplitOfADamagedSourceCopiesTheSoundRacesAndSaysWhere) {
  makeDataset("Source", ids(1, 12), 40);  // race 13 cut off inside its card
  const std::string sourceBytes = readBytes(pathOf("Source"));
  RecordingInteraction ui;
  RecordingProgress progress;
  const SplitResult result = splitDataset(workspace_, "Source", "Train", "Test", 10, ui, progress);
  EXPECT_EQ(result.outcome, DatasetRunOutcome::kDone);
  EXPECT_EQ(raceIdsOf("Train"), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12}));
  EXPECT_EQ(raceIdsOf("Test"), (std::vector<int>{10}));
  EXPECT_EQ(readBytes(pathOf("Source")), sourceBytes);
  ASSERT_EQ(ui.warnings().size(), 1u);
  EXPECT_NE(ui.warnings()[0].find(pathOf("Source").string()), std::string::npos) << ui.warnings()[0];
  EXPECT_NE(ui.warnings()[0].find("race 13"), std::string::npos) << ui.warnings()[0];
  const std::vector<Call> calls = ui.calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].text,
            "Dataset successfully split.\n\nSource dataset contains 12 races.\n\n"
            "Train dataset received 11 races.\nTest dataset received 1 races.");
}

TEST_F(DatasetManagementTest, SplitThatCannotOpenItsSourceCreatesNothing) {
  const auto before = folderState();
  RecordingInteraction ui;
  RecordingProgress progress;
  EXPECT_EQ(splitDataset(workspace_, "Missing", "Train", "Test", 10, ui, progress).outcome,
            DatasetRunOutcome::kCannotOpen);
  EXPECT_EQ(ui.calls(), (std::vector<Call>{{Kind::kError, "ERROR",
                                            "Error opening/creating dataset.\n" + pathOf("Missing").string() +
                                                ": No such file or directory"}}));
  EXPECT_EQ(folderState(), before);
}

// A write that fails part-way (the disk fills up during the first block)
// deletes both outputs.
TEST_F(DatasetManagementTest, SplitOrCombineThatCannotWriteLeavesNoDataset) {
  makeDataset("Source", ids(1, 400));
  makeDataset("Other", ids(500, 510));
  const auto before = folderState();
  for (const bool split : {true, false}) {
    SCOPED_TRACE(split ? "split" : "combine");
    test::FaultyFileSystem fullDisk;
    fullDisk.shortenWrite(1);
    fullDisk.failWritesFrom(2, EFBIG);
    RecordingInteraction ui;
    RecordingProgress progress;
    const DatasetRunOutcome outcome =
        split ? splitDataset(workspace_, "Source", "Train", "Test", 2, ui, progress, fullDisk).outcome
              : combineDatasets(workspace_, {"Other", "Source"}, "New", ui, progress, fullDisk).outcome;
    // The message names the hidden file being written and the system's reason.
    const std::string hidden = "DATASETS/." + std::string(split ? "T" : "New");
    const std::vector<Call> calls = ui.calls();
    EXPECT_EQ(outcome, DatasetRunOutcome::kWriteFailed);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].kind, Kind::kError);
    EXPECT_TRUE(calls[0].text.starts_with("Error while writing dataset (disk probably full).\n"))
        << calls[0].text;
    EXPECT_NE(calls[0].text.find(hidden), std::string::npos) << calls[0].text;
    EXPECT_TRUE(calls[0].text.ends_with(".new-" + std::to_string(::getpid()) + ": File too large"))
        << calls[0].text;
    EXPECT_EQ(folderState(), before);
  }
}

// --- combine -----------------------------------------------------------

TEST_F(DatasetManagementTest, CombineTakesSourcesInListOrderWhateverTheClickOrder) {
  makeDataset("b", ids(1, 3));
  makeDataset("A", ids(10, 12));
  makeDataset("c", ids(20, 21));
  makeDataset("Z", ids(30, 30));  // not selected
  RecordingInteraction ui;
  RecordingProgress progress;
  const std::vector<std::string> clicked{"c", "b", "A"};
  ASSERT_EQ(checkCombineName(workspace_, " All ", clicked, ui), DatasetField::kNone);
  const CombineResult result = combineDatasets(workspace_, clicked, " All ", ui, progress);
  EXPECT_EQ(result.outcome, DatasetRunOutcome::kDone);
  EXPECT_EQ(result.sources, (std::vector<std::string>{"A", "b", "c"}));
  EXPECT_EQ(raceIdsOf("All"), (std::vector<int>{10, 11, 12, 1, 2, 3, 20, 21}));
  EXPECT_EQ(
      ui.calls(),
      (std::vector<Call>{{Kind::kNotice, "Combine Datasets",
                          "3 datasets successfully combined.\n\nResultant dataset contains 8 races."}}));
  // The progress text names each source as it is read.
  EXPECT_EQ(progress.texts(), (std::vector<std::string>{"A", "b", "c"}));
}

TEST_F(DatasetManagementTest, CombiningOneDatasetCopiesItByteForByte) {
  makeDataset("Only", ids(1, 40));
  RecordingInteraction ui;
  RecordingProgress progress;
  EXPECT_EQ(combineDatasets(workspace_, {"Only"}, "Copy", ui, progress).outcome, DatasetRunOutcome::kDone);
  EXPECT_EQ(readBytes(pathOf("Copy")), readBytes(pathOf("Only")));
  EXPECT_EQ(
      ui.calls(),
      (std::vector<Call>{{Kind::kNotice, "Combine Datasets",
                          "1 datasets successfully combined.\n\nResultant dataset contains 40 races."}}));
}

TEST_F(DatasetManagementTest, CombineNameChecks) {
  makeDataset("Alpha", ids(1, 2));
  makeDataset("alpha", ids(3, 4));  // a case-sensitive disk holds both
  makeDataset("Beta", ids(5, 6));
  struct Case {
    const char* name;
    std::vector<std::string> sources;
    std::vector<Call> calls;
    bool answer;
    DatasetField field;
  };
  const Call overWrite{Kind::kQuery, "Query", "DataSet with that name already exists; over-write?"};
  const std::vector<Case> cases{
      {"   ",
       {"Beta"},
       {{Kind::kError, "ERROR", "New dataset name cannot be blank."}},
       false,
       DatasetField::kName},
      {"a*b",
       {"Beta"},
       {{Kind::kError, "ERROR",
         "New dataset name cannot contain any of the following characters: ?*<\">/\\:|"}},
       false,
       DatasetField::kName},
      {" BETA ",
       {"Alpha", "Beta"},
       {{Kind::kError, "ERROR", "New dataset cannot have the same name as a source dataset."}},
       false,
       DatasetField::kName},
      // Any selected source of that name ignoring case, not only the first
      // list entry of that name ("Alpha" comes before "alpha").
      {"alpha",
       {"alpha", "Beta"},
       {{Kind::kError, "ERROR", "New dataset cannot have the same name as a source dataset."}},
       false,
       DatasetField::kName},
      {"Beta", {"Alpha"}, {overWrite}, false, DatasetField::kName},
      {"Beta", {"Alpha"}, {overWrite}, true, DatasetField::kNone},
      {"Gamma", {"Alpha"}, {}, false, DatasetField::kNone},
  };
  const auto before = folderState();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingInteraction ui;
    ui.queueAnswers({c.answer});
    EXPECT_EQ(checkCombineName(workspace_, c.name, c.sources, ui), c.field);
    EXPECT_EQ(ui.calls(), c.calls);
  }
  // The run refuses a source as target by itself as well.
  RecordingInteraction ui;
  RecordingProgress progress;
  EXPECT_EQ(combineDatasets(workspace_, {"alpha"}, "ALPHA", ui, progress).outcome,
            DatasetRunOutcome::kRefused);
  EXPECT_EQ(folderState(), before);
  // A target that matches an unselected dataset replaces it after Yes.
  EXPECT_EQ(combineDatasets(workspace_, {"Alpha", "alpha"}, "Beta", ui, progress).outcome,
            DatasetRunOutcome::kDone);
  EXPECT_EQ(raceIdsOf("Beta"), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(DatasetManagementTest, CombineCancelledHalfWayLeavesNothingAndSourcesUnchanged) {
  makeDataset("A", ids(1, 30));
  makeDataset("B", ids(31, 60));
  makeDataset("Target", {99});  // agreed to over-write
  const auto before = folderState();
  RecordingInteraction ui;
  RecordingProgress progress(40);  // in B: A shows about 30 percents
  const CombineResult result = combineDatasets(workspace_, {"A", "B"}, "Target", ui, progress);
  EXPECT_EQ(result.outcome, DatasetRunOutcome::kCancelled);
  EXPECT_GT(result.races, 30);
  EXPECT_EQ(ui.calls(), (std::vector<Call>{{Kind::kNotice, "Combine Datasets", "User aborted."}}));
  EXPECT_EQ(folderState(), before);
}

TEST_F(DatasetManagementTest, CombineStopsAtASourceItCannotOpen) {
  makeDataset("A", ids(1, 3));
  const auto before = folderState();
  RecordingInteraction ui;
  RecordingProgress progress;
  const CombineResult result = combineDatasets(workspace_, {"A", "Ghost"}, "New", ui, progress);
  EXPECT_EQ(result.outcome, DatasetRunOutcome::kCannotOpen);
  EXPECT_EQ(ui.calls(), (std::vector<Call>{{Kind::kError, "ERROR",
                                            "Error opening dataset 'Ghost'.\n" + pathOf("Ghost").string() +
                                                ": No such file or directory"}}));
  EXPECT_EQ(folderState(), before);
}

TEST_F(DatasetManagementTest, CombineGoesOnPastADamagedSource) {
  makeDataset("A", ids(1, 4), kRaceHeaderBytes + 3);  // a fifth race cut inside its card
  makeDataset("B", ids(5, 6));
  RecordingInteraction ui;
  RecordingProgress progress;
  const CombineResult result = combineDatasets(workspace_, {"A", "B"}, "New", ui, progress);
  EXPECT_EQ(result.outcome, DatasetRunOutcome::kDone);
  EXPECT_EQ(raceIdsOf("New"), (std::vector<int>{1, 2, 3, 4, 5, 6}));
  ASSERT_EQ(result.damage.size(), 1u);
  const std::vector<Call> calls = ui.calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].kind, Kind::kWarning);
  EXPECT_NE(calls[0].text.find(pathOf("A").string()), std::string::npos) << calls[0].text;
  EXPECT_EQ(calls[1].text, "2 datasets successfully combined.\n\nResultant dataset contains 6 races.");
}

// An append to the old target that was killed part-way leaves a journal
// with the old length; the new dataset put in its place must not be cut
// back to that length later.
TEST_F(DatasetManagementTest, OutputOverADatasetWithAKilledAppendKeepsEveryRace) {
  for (const bool split : {true, false}) {
    SCOPED_TRACE(split ? "split" : "combine");
    makeDataset("A", ids(1, 20));
    makeDataset("Target", ids(90, 90));
    {
      AppendJournal journal(pathOf("Target").string());
      ASSERT_TRUE(journal.ok());
    }  // left uncommitted, as a killed append leaves it
    RecordingInteraction ui;
    RecordingProgress progress;
    const DatasetRunOutcome outcome =
        split ? splitDataset(workspace_, "A", "Target", "Rest", 100, ui, progress).outcome
              : combineDatasets(workspace_, {"A"}, "Target", ui, progress).outcome;
    EXPECT_EQ(outcome, DatasetRunOutcome::kDone);
    listDatasets(workspace_);  // where interrupted appends are rolled back
    EXPECT_EQ(raceIdsOf("Target"), ids(1, 20));
  }
}

// --- rename and delete -------------------------------------------------

TEST_F(DatasetManagementTest, RenameChecksAsksAndNeverReplaces) {
  struct Case {
    const char* oldName;
    const char* newText;
    bool answer;
    std::vector<Call> calls;
    RenameOutcome outcome;
  };
  const auto ask = [](const char* from, const char* to) {
    return Call{Kind::kQuery, "Query",
                std::string("Rename DataSet \"") + from + "\" to \"" + to + "\"; are you sure?"};
  };
  // The refusal names both files and the system's reason.
  const auto failed = [this](const char* from, const char* to, const char* reason) {
    return Call{Kind::kError, "ERROR",
                "Rename failed.\n" + pathOf(from).string() + " -> " + pathOf(to).string() + ": " + reason};
  };
  const std::vector<Case> cases{
      {"One", "  ", true, {{Kind::kError, "ERROR", "New name cannot be blank."}}, RenameOutcome::kRefused},
      {"One",
       "x?y",
       true,
       {{Kind::kError, "ERROR", "DataSet name cannot contain any of the following characters: ?*<\">/\\:|"}},
       RenameOutcome::kRefused},
      {"One", "Two", true, {ask("One", "Two"), failed("One", "Two", "File exists")}, RenameOutcome::kFailed},
      {"One", "One", true, {ask("One", "One"), failed("One", "One", "File exists")}, RenameOutcome::kFailed},
      {"Ghost",
       "Three",
       true,
       {ask("Ghost", "Three"), failed("Ghost", "Three", "No such file or directory")},
       RenameOutcome::kFailed},
      {"../One",
       "Three",
       true,
       {ask("../One", "Three"), failed("../One", "Three", "No such file or directory")},
       RenameOutcome::kFailed},
      {"One", "Three", false, {ask("One", "Three")}, RenameOutcome::kDeclined},
  };
  makeDataset("One", ids(1, 2));
  makeDataset("Two", ids(3, 4));
  const auto before = folderState();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.oldName) + " -> " + c.newText);
    RecordingInteraction ui;
    ui.queueAnswers({c.answer});
    EXPECT_EQ(renameDataset(workspace_, c.oldName, c.newText, ui), c.outcome);
    EXPECT_EQ(ui.calls(), c.calls);
    EXPECT_EQ(folderState(), before);
  }

  RecordingInteraction ui;
  ui.queueAnswers({true});
  EXPECT_EQ(renameDataset(workspace_, "One", " Three ", ui), RenameOutcome::kRenamed);
  EXPECT_EQ(ui.calls(), (std::vector<Call>{ask("One", "Three")}));
  EXPECT_EQ(listDatasets(workspace_), (std::vector<std::string>{"Three", "Two"}));
  EXPECT_EQ(raceIdsOf("Three"), ids(1, 2));

  RecordingInteraction checkUi;
  EXPECT_EQ(checkRenameName("ok name", checkUi), DatasetField::kNone);
  EXPECT_EQ(checkRenameName("", checkUi), DatasetField::kName);
  EXPECT_EQ(checkUi.errors(), (std::vector<std::string>{"New name cannot be blank."}));
}

// A move the file system refuses leaves both names as they were and says why.
TEST_F(DatasetManagementTest, RenameThatTheFileSystemRefusesChangesNothing) {
  makeDataset("One", ids(1, 2));
  const auto before = folderState();
  for (const int error : {EACCES, EXDEV, EROFS}) {
    const std::string reason = std::generic_category().message(error);
    SCOPED_TRACE(reason);
    test::FaultyFileSystem faulty;
    faulty.failRename(error);
    RecordingInteraction ui;
    ui.queueAnswers({true});
    EXPECT_EQ(renameDataset(workspace_, "One", "Three", ui, faulty), RenameOutcome::kFailed);
    EXPECT_EQ(ui.errors(), std::vector<std::string>{"Rename failed.\n" + pathOf("One").string() + " -> " +
                                                    pathOf("Three").string() + ": " + reason});
    EXPECT_EQ(folderState(), before);
  }
}

TEST_F(DatasetManagementTest, RenameRollsBackAKilledAppendBeforeMoving) {
  makeDataset("Old", ids(1, 5));
  {
    AppendJournal journal(pathOf("Old").string());
    ASSERT_TRUE(journal.ok());
    std::ofstream out(pathOf("Old"), std::ios::binary | std::ios::app);
    writeDatasetRace(out, *raceWithId(6));
  }  // killed before it could finish: race 6 is not part of the dataset
  RecordingInteraction ui;
  ui.queueAnswers({true});
  EXPECT_EQ(renameDataset(workspace_, "Old", "New", ui), RenameOutcome::kRenamed);
  EXPECT_EQ(raceIdsOf("New"), ids(1, 5));
  EXPECT_FALSE(fs::exists(appendJournalPath(pathOf("Old").string())));
  makeDataset("Old", ids(7, 9));  // a new dataset of the old name is not cut back
  listDatasets(workspace_);
  EXPECT_EQ(raceIdsOf("Old"), ids(7, 9));
}

TEST_F(DatasetManagementTest, DeleteRemovesAllSelectedAfterOneQuery) {
  makeDataset("A", {1});
  makeDataset("B", {2});
  makeDataset("C", {3});
  const std::string outside = (folder_.path() / "x.DSI").string();
  std::ofstream(outside) << "not a dataset";

  RecordingInteraction no;
  EXPECT_EQ(deleteDatasets(workspace_, {"A", "C"}, no), DeleteOutcome::kDeclined);
  EXPECT_EQ(no.queries(), (std::vector<std::string>{"Delete selected datasets; are you sure?"}));
  EXPECT_EQ(listDatasets(workspace_), (std::vector<std::string>{"A", "B", "C"}));

  RecordingInteraction nothing;
  EXPECT_EQ(deleteDatasets(workspace_, {}, nothing), DeleteOutcome::kDeclined);
  EXPECT_TRUE(nothing.empty());

  RecordingInteraction yes;
  yes.setDefaultAnswer(true);
  int deleted = -1;
  int missing = -1;
  EXPECT_EQ(deleteDatasets(workspace_, {"A", "C", "Ghost", "../x"}, yes, &deleted, &missing),
            DeleteOutcome::kDeleted);
  // Every name that is not a dataset is told first, then one query for the rest.
  EXPECT_EQ(yes.calls(),
            (std::vector<Call>{{Kind::kError, "ERROR", "There is no dataset 'Ghost'."},
                               {Kind::kError, "ERROR", "There is no dataset '../x'."},
                               {Kind::kQuery, "Query", "Delete selected datasets; are you sure?"}}));
  EXPECT_EQ(deleted, 2);
  EXPECT_EQ(missing, 2);
  EXPECT_EQ(listDatasets(workspace_), (std::vector<std::string>{"B"}));
  EXPECT_TRUE(fs::exists(outside));

  // Names that are all missing: told, and nothing asked.
  RecordingInteraction none;
  none.setDefaultAnswer(true);
  EXPECT_EQ(deleteDatasets(workspace_, {"nope"}, none, &deleted, &missing), DeleteOutcome::kDeleted);
  EXPECT_EQ(none.calls(), (std::vector<Call>{{Kind::kError, "ERROR", "There is no dataset 'nope'."}}));
  EXPECT_EQ(deleted, 0);
  EXPECT_EQ(missing, 1);
  EXPECT_EQ(listDatasets(workspace_), (std::vector<std::string>{"B"}));
}

// A name whose file stays (here a folder holds it, which unlink refuses
// even to root) is reported with the file and the system's reason, and
// never counted as deleted.
TEST_F(DatasetManagementTest, DeleteThatFailsSaysWhichFileAndWhy) {
  fs::create_directory(pathOf("Kept"));
  RecordingInteraction ui;
  ui.setDefaultAnswer(true);
  int deleted = -1;
  EXPECT_EQ(deleteDatasets(workspace_, {"Kept"}, ui, &deleted), DeleteOutcome::kDeleted);
  EXPECT_EQ(deleted, 0);
  EXPECT_EQ(ui.calls(), (std::vector<Call>{{Kind::kQuery, "Query", "Delete selected datasets; are you sure?"},
                                           {Kind::kError, "ERROR",
                                            "Cannot delete dataset 'Kept'.\n" + pathOf("Kept").string() +
                                                ": Is a directory"}}));
  EXPECT_TRUE(fs::is_directory(pathOf("Kept")));
}

}  // namespace
}  // namespace stridewell
