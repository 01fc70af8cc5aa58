// The create run on generated card and results files: what a new dataset
// holds, the run's messages, append with cancel and failure, and a run
// killed part-way that must leave the dataset as it was.
#include "operations/create_run.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/workspace.h"
#include "datasets/append_journal.h"
#include "datasets/dataset_file.h"
#include "datasets/dataset_name.h"
#include "race/card_reader.h"
#include "sample_generator.h"
#include "support/faulty_file_system.h"
#include "support/recording_interaction.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;
using test::RecordingInteraction;
using Kind = RecordingInteraction::Kind;

std::string fileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// A progress sink that takes its time, so that a run can be caught part-way.
class SlowProgress final : public ProgressSink {
 public:
  void setText(std::string_view) override {}
  void setPercent(int) override { std::this_thread::sleep_for(std::chrono::milliseconds(100)); }
  bool cancelled() const override { return false; }
};

class CreateRunTest : public ::testing::Test {
 protected:
  CreateRunTest() {
    workspace_ = workspaceAt((folder_.path() / "program").string(), (folder_.path() / "home").string());
    EXPECT_TRUE(createWorkspaceFolders(workspace_, ui_));
  }

  // Writes `days` generated days from `month`/`day` into `folder`; returns
  // how many card races they hold.
  int writeDays(const fs::path& folder, int month, int day, int days, int badCheckLine = 0) {
    fs::create_directories(folder);
    gen::SampleOptions options;
    options.month = month;
    options.day = day;
    options.days = days;
    options.simulcasts = false;  // every race has its result under the card's own track
    options.badCheckLine = badCheckLine;
    int races = 0;
    for (const gen::SampleDay& sample : gen::generateSampleDays(options)) {
      std::ofstream(folder / (sample.baseName + ".TCF"), std::ios::binary) << sample.cardText;
      std::ofstream(folder / (sample.baseName + ".XRD"), std::ios::binary) << sample.resultsText;
      std::istringstream card(sample.cardText);
      CardReader reader(card, sample.baseName);
      auto race = std::make_unique<Race>();
      while (reader.next(*race)) ++races;
    }
    return races;
  }

  CreateOutcome create(const std::string& name, bool append, const fs::path& data, ProgressSink& progress) {
    const FolderPairing pairing = pairCardFolder(data.string());
    return createDataset(name, append, data.string(), pairing.pairs, workspace_, ui_, progress);
  }

  fs::path datasetFile(const std::string& name) { return datasetPath(workspace_, name); }

  test::TempFolder folder_;
  Workspace workspace_;
  RecordingInteraction ui_;
  NoProgress noProgress_;
};

TEST_F(CreateRunTest, NewDatasetHoldsEveryRaceWithItsResult) {
  const fs::path data = folder_.path() / "data";
  const int races = writeDays(data, 3, 15, 3);
  ASSERT_GT(races, 20);
  const CreateOutcome outcome = create("Spring", false, data, noProgress_);
  EXPECT_EQ(outcome.status, CreateStatus::kDone);
  EXPECT_EQ(outcome.races, races);
  EXPECT_EQ(
      ui_.calls(),
      (std::vector<RecordingInteraction::Call>{
          {Kind::kNotice, "Spring", "DataSet complete.  " + std::to_string(races) + " races written."}}));
  // Read back: every race, every finisher pointing at its own horse.
  std::ifstream in(datasetFile("Spring"), std::ios::binary);
  DatasetReader reader(in, "Spring.DSI");
  auto race = std::make_unique<Race>();
  int read = 0;
  while (reader.next(*race)) {
    ++read;
    ASSERT_GT(+race->result.finisherCount, 0);
    for (int j = 0; j < race->result.finisherCount; ++j) {
      const FinisherEntry& finisher = race->result.finishers[j];
      ASSERT_LT(+finisher.cardIndex, +race->card.horseCount);
      EXPECT_STRCASEEQ(finisher.name, race->card.horses[finisher.cardIndex].name);
    }
  }
  EXPECT_FALSE(reader.damaged());
  EXPECT_EQ(read, races);
  EXPECT_EQ(listDatasets(workspace_), std::vector<std::string>{"Spring"});
}

TEST_F(CreateRunTest, ProgressCaptionNamesTheKindOfRunAndTheTrimmedName) {
  EXPECT_EQ(createRunCaption("Spring", false), "Creating DataSet: Spring");
  EXPECT_EQ(createRunCaption("Spring", true), "Appending DataSet: Spring");
  const fs::path data = folder_.path() / "data";
  writeDays(data, 3, 15, 1);
  test::RecordingProgress progress;
  ASSERT_EQ(create("  Spring ", false, data, progress).status, CreateStatus::kDone);
  // The caption comes first, then one text per pair.
  ASSERT_FALSE(progress.texts().empty());
  EXPECT_EQ(progress.texts().front(), "Creating DataSet: Spring");
}

TEST_F(CreateRunTest, InvalidCardIsCountedAndItsEarlierRacesKept) {
  const fs::path data = folder_.path() / "data";
  writeDays(data, 3, 15, 2, 40);  // the first day's card fails at line 40
  const CreateOutcome outcome = create("Spoilt", false, data, noProgress_);
  EXPECT_EQ(outcome.status, CreateStatus::kDone);
  EXPECT_EQ(outcome.invalidFiles, 1);
  EXPECT_EQ(ui_.warnings(),
            std::vector<std::string>{"1 invalid data files have been detected (and ignored)."});
  EXPECT_GT(outcome.races, 0);
}

TEST_F(CreateRunTest, SkippedResultsLinesAreReportedPerFileAndLeaveTheRacesWhole) {
  const fs::path clean = folder_.path() / "clean";
  const fs::path junk = folder_.path() / "junk";
  writeDays(clean, 3, 15, 2);
  writeDays(junk, 3, 15, 2);
  const FolderPairing pairing = pairCardFolder(junk.string());
  ASSERT_EQ(pairing.pairs.size(), 2u);
  // Two lines of junk inside the first race of the first day's results.
  const fs::path results = junk / pairing.pairs[0].resultsName;
  std::string text = fileBytes(results);
  size_t at = 0;
  for (int line = 0; line < 3; ++line) at = text.find("\r\n", at) + 2;
  text.insert(at, std::string(100000, 'x') + "\r\n" +
                      "SA,20260315,1,,D,,,,,,,,,,,,,,,NOBODY,,,,,,,,,,,,,,,,,9-2\r\n");
  std::ofstream(results, std::ios::binary) << text;

  ASSERT_EQ(create("Clean", false, clean, noProgress_).status, CreateStatus::kDone);
  ui_.clear();
  const CreateOutcome outcome = create("Junk", false, junk, noProgress_);
  EXPECT_EQ(outcome.status, CreateStatus::kDone);
  EXPECT_EQ(outcome.invalidFiles, 0);
  ASSERT_EQ(outcome.skippedLines.size(), 1u);
  EXPECT_EQ(outcome.skippedLines[0].count, 2);
  EXPECT_EQ(ui_.warnings(),
            std::vector<std::string>{"Lines that are not results lines were skipped:\n" +
                                     pairing.pairs[0].resultsName +
                                     ": 2 lines, the first at line 4: 1 field; a results line "
                                     "has at least 20"});
  // The dataset is what it is without the junk.
  EXPECT_EQ(fileBytes(datasetFile("Junk")), fileBytes(datasetFile("Clean")));
}

TEST_F(CreateRunTest, AResultsFileWithoutResultsLinesIsAnInvalidFile) {
  const fs::path data = folder_.path() / "data";
  writeDays(data, 3, 15, 2);
  const FolderPairing pairing = pairCardFolder(data.string());
  ASSERT_EQ(pairing.pairs.size(), 2u);
  // The second day's results file holds its card instead.
  fs::copy_file(data / pairing.pairs[1].cardName, data / pairing.pairs[1].resultsName,
                fs::copy_options::overwrite_existing);
  const CreateOutcome outcome = create("Mixed", false, data, noProgress_);
  EXPECT_EQ(outcome.status, CreateStatus::kDone);
  EXPECT_EQ(outcome.invalidFiles, 1);
  ASSERT_FALSE(ui_.warnings().empty());
  EXPECT_EQ(ui_.warnings()[0], "1 invalid data files have been detected (and ignored).");
  EXPECT_GT(outcome.races, 0);
}

TEST_F(CreateRunTest, CancelledCreateLeavesNoFileAndAnOverwrittenDatasetIntact) {
  const fs::path data = folder_.path() / "data";
  writeDays(data, 3, 15, 3);
  test::RecordingProgress cancelSecond(2);  // Cancel while the second pair is due
  EXPECT_EQ(create("Fresh", false, data, cancelSecond).status, CreateStatus::kCancelled);
  EXPECT_FALSE(fs::exists(datasetFile("Fresh")));
  EXPECT_EQ(ui_.calls(),
            (std::vector<RecordingInteraction::Call>{{Kind::kNotice, "Create DataSet", "User Aborted."}}));
  // Nothing half-written is left in the folder either.
  EXPECT_TRUE(fs::is_empty(workspace_.datasets));

  ASSERT_EQ(create("Kept", false, data, noProgress_).status, CreateStatus::kDone);
  const std::string before = fileBytes(datasetFile("Kept"));
  test::RecordingProgress cancelAgain(2);
  EXPECT_EQ(create("Kept", false, data, cancelAgain).status, CreateStatus::kCancelled);
  EXPECT_EQ(fileBytes(datasetFile("Kept")), before);
}

TEST_F(CreateRunTest, AppendAddsRacesAndAppendThenCancelChangesNothing) {
  const fs::path march = folder_.path() / "march";
  const fs::path april = folder_.path() / "april";
  const int marchRaces = writeDays(march, 3, 15, 2);
  const int aprilRaces = writeDays(april, 4, 10, 3);
  ASSERT_EQ(create("Year", false, march, noProgress_).races, marchRaces);
  const std::string before = fileBytes(datasetFile("Year"));

  test::RecordingProgress cancelSecond(2);  // the first April pair is appended, then Cancel
  EXPECT_EQ(create("Year", true, april, cancelSecond).status, CreateStatus::kCancelled);
  EXPECT_EQ(fileBytes(datasetFile("Year")), before);
  EXPECT_FALSE(fs::exists(appendJournalPath(datasetFile("Year").string())));

  const CreateOutcome appended = create("Year", true, april, noProgress_);
  EXPECT_EQ(appended.races, aprilRaces);
  EXPECT_EQ(fileBytes(datasetFile("Year")).substr(0, before.size()), before);
  EXPECT_FALSE(fs::exists(appendJournalPath(datasetFile("Year").string())));
}

// Faults while appending: the dataset stays byte for byte as it was, the
// journal goes, and the message names the dataset and the system's reason.
// A failed flush to disk fails the append too: the journal that could undo
// it would otherwise cut the races back at the next listing.
TEST_F(CreateRunTest, AppendThatMeetsAFaultLeavesTheDatasetAsItWas) {
  const fs::path march = folder_.path() / "march";
  const fs::path april = folder_.path() / "april";
  writeDays(march, 3, 15, 1);
  writeDays(april, 4, 10, 3);
  ASSERT_EQ(create("Year", false, march, noProgress_).status, CreateStatus::kDone);
  const fs::path path = datasetFile("Year");
  const std::string before = fileBytes(path);
  const FolderPairing pairing = pairCardFolder(april.string());
  struct Case {
    const char* name;
    std::function<void(test::FaultyFileSystem&)> arrange;
    CreateStatus status;
    std::string message;
  };
  const std::string written = "Error during dataset creation (disk probably full)\n" + path.string() + ": ";
  const Case cases[] = {
      {"cannot open", [](auto& disk) { disk.failCreate(EACCES); }, CreateStatus::kNotOpened,
       "Cannot create/open dataset file.\n" + path.string() + ": Permission denied"},
      {"full disk", [](auto& disk) { disk.failWritesFrom(1); }, CreateStatus::kFailed,
       written + "No space left on device"},
      {"short write, then full disk",
       [](auto& disk) {
         disk.shortenWrite(1);
         disk.failWritesFrom(2);
       },
       CreateStatus::kFailed, written + "No space left on device"},
      {"full disk at the last block", [](auto& disk) { disk.failWritesFrom(2, EFBIG); },
       CreateStatus::kFailed, written + "File too large"},
      {"failed flush to disk", [](auto& disk) { disk.failSync(EIO); }, CreateStatus::kFailed,
       written + "Input/output error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ui_.clear();
    test::FaultyFileSystem faulty;
    c.arrange(faulty);
    const CreateOutcome outcome = createDataset("Year", true, april.string(), pairing.pairs, workspace_, ui_,
                                                noProgress_, DuplicateRaces::kKeep, faulty);
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_EQ(ui_.calls(), (std::vector<RecordingInteraction::Call>{{Kind::kError, "ERROR", c.message}}));
    EXPECT_TRUE(fileBytes(path) == before) << "the dataset changed";
    EXPECT_FALSE(fs::exists(appendJournalPath(path.string())));
    // Nothing is left for the listing to roll back either.
    EXPECT_EQ(listDatasets(workspace_), std::vector<std::string>{"Year"});
    EXPECT_TRUE(fileBytes(path) == before) << "the dataset changed";
  }

  // A write cut short is resumed: the append is the one made without faults.
  ASSERT_EQ(create("Whole", false, march, noProgress_).status, CreateStatus::kDone);
  ASSERT_EQ(create("Whole", true, april, noProgress_).status, CreateStatus::kDone);
  test::FaultyFileSystem shortOnce;
  shortOnce.shortenWrite(1);
  ui_.clear();
  EXPECT_EQ(createDataset("Year", true, april.string(), pairing.pairs, workspace_, ui_, noProgress_,
                          DuplicateRaces::kKeep, shortOnce)
                .status,
            CreateStatus::kDone);
  EXPECT_GT(shortOnce.writeCalls(), 2);
  EXPECT_TRUE(fileBytes(path) == fileBytes(datasetFile("Whole"))) << "the append differs";
  EXPECT_FALSE(fs::exists(appendJournalPath(path.string())));
}

TEST_F(CreateRunTest, AppendKilledPartWayIsRolledBackWhenTheDatasetIsNextListed) {
  const fs::path march = folder_.path() / "march";
  const fs::path april = folder_.path() / "april";
  writeDays(march, 3, 15, 1);
  writeDays(april, 4, 1, 8);
  ASSERT_EQ(create("Killed", false, march, noProgress_).status, CreateStatus::kDone);
  const fs::path path = datasetFile("Killed");
  const std::string before = fileBytes(path);

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    RecordingInteraction quiet;
    SlowProgress slow;
    const FolderPairing pairing = pairCardFolder(april.string());
    createDataset("Killed", true, april.string(), pairing.pairs, workspace_, quiet, slow);
    ::_exit(0);
  }
  // Wait until some April races are in the file, then pull the plug.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (fs::file_size(path) <= before.size() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the append finished before it could be killed";
  ASSERT_GT(fs::file_size(path), before.size());
  ASSERT_TRUE(fs::exists(appendJournalPath(path.string())));

  EXPECT_EQ(listDatasets(workspace_), std::vector<std::string>{"Killed"});
  EXPECT_EQ(fileBytes(path), before);
  EXPECT_FALSE(fs::exists(appendJournalPath(path.string())));
}

TEST_F(CreateRunTest, BuildChecksAndTheirMessages) {
  const fs::path data = folder_.path() / "data";
  writeDays(data, 3, 15, 1);
  ASSERT_EQ(create("There", false, data, noProgress_).status, CreateStatus::kDone);
  ui_.clear();

  EXPECT_FALSE(checkCreateRequest("   ", false, workspace_, ui_));
  EXPECT_FALSE(checkCreateRequest("a/b", false, workspace_, ui_));
  EXPECT_FALSE(checkCreateRequest("Missing", true, workspace_, ui_));
  EXPECT_EQ(ui_.errors(), (std::vector<std::string>{
                              "You must specify a name for the DataSet",
                              "DataSet name cannot contain any of the following characters: ?*<\">/\\:|",
                              "DataSet does not exist (Append on)"}));
  ui_.queueAnswers({false, true});
  EXPECT_FALSE(checkCreateRequest(" There ", false, workspace_, ui_));
  EXPECT_TRUE(checkCreateRequest("There", false, workspace_, ui_));
  EXPECT_EQ(ui_.queries(),
            (std::vector<std::string>(2, "DataSet with that name already exists; over-write?")));
  EXPECT_TRUE(checkCreateRequest("There", true, workspace_, ui_));
  EXPECT_TRUE(checkCreateRequest("New", false, workspace_, ui_));
}

TEST_F(CreateRunTest, DatasetThatCannotBeOpened) {
  fs::remove_all(workspace_.datasets);
  std::ofstream(workspace_.datasets) << "a file where the folder should be";
  const fs::path data = folder_.path() / "data";
  writeDays(data, 3, 15, 1);
  EXPECT_EQ(create("Nowhere", false, data, noProgress_).status, CreateStatus::kNotOpened);
  // The hidden file the run writes first, under a path that is not a folder.
  EXPECT_EQ(ui_.errors(), std::vector<std::string>{"Cannot create/open dataset file.\n" +
                                                   workspace_.datasets + "/.Nowhere.DSI.new-" +
                                                   std::to_string(::getpid()) + ": Not a directory"});
}

}  // namespace
}  // namespace stridewell
