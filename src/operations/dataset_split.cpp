#include "operations/dataset_split.h"

#include <memory>
#include <optional>

#include "base/interaction.h"
#include "base/workspace.h"
#include "datasets/append_journal.h"
#include "datasets/dataset_file.h"
#include "datasets/dataset_name.h"
#include "datasets/dataset_source.h"
#include "datasets/new_dataset_file.h"
#include "race/race.h"

namespace stridewell {

namespace {

constexpr std::string_view kNoticeCaption = "Split Dataset";
constexpr std::string_view kTrainBlank = "Train dataset name cannot be blank.";
constexpr std::string_view kTestBlank = "Test dataset name cannot be blank.";
constexpr std::string_view kTrainForbidden =
    "Train dataset name cannot contain any of the following characters: ?*<\">/\\:|";
constexpr std::string_view kTestForbidden =
    "Test dataset name cannot contain any of the following characters: ?*<\">/\\:|";
constexpr std::string_view kSameNames = "Train and Test dataset cannot have the same name.";
constexpr std::string_view kCannotOpen = "Error opening/creating dataset.";

struct Refusal {
  DatasetField field;
  std::string text;
};

// The dialog's checks 2 to 6 and ours on the source, on trimmed names.
std::optional<Refusal> judgeNames(std::string_view source, const std::string& train,
                                  const std::string& test) {
  if (train.empty()) return Refusal{DatasetField::kTrain, std::string(kTrainBlank)};
  if (test.empty()) return Refusal{DatasetField::kTest, std::string(kTestBlank)};
  if (hasForbiddenNameCharacter(train)) return Refusal{DatasetField::kTrain, std::string(kTrainForbidden)};
  if (hasForbiddenNameCharacter(test)) return Refusal{DatasetField::kTest, std::string(kTestForbidden)};
  // Names no dataset file can have (".", "x.DSI", control characters, too long).
  if (const DatasetNameFault fault = checkDatasetName(train); fault != DatasetNameFault::kNone) {
    return Refusal{DatasetField::kTrain, datasetNameRefusal(fault, "Train dataset name")};
  }
  if (const DatasetNameFault fault = checkDatasetName(test); fault != DatasetNameFault::kNone) {
    return Refusal{DatasetField::kTest, datasetNameRefusal(fault, "Test dataset name")};
  }
  if (sameDatasetName(train, test)) return Refusal{DatasetField::kTest, std::string(kSameNames)};
  if (sameDatasetName(train, source)) return Refusal{DatasetField::kTrain, std::string(kTrainIsSource)};
  if (sameDatasetName(test, source)) return Refusal{DatasetField::kTest, std::string(kTestIsSource)};
  return std::nullopt;
}

std::string percentText(int percent) {
  return std::to_string(percent) + "% complete";
}

}  // namespace

int splitStepFor(std::string_view entry) {
  for (const SplitAllocation& allocation : kSplitAllocations) {
    if (allocation.entry == entry) return allocation.step;
  }
  return 0;
}

DatasetField checkSplitNames(const Workspace& workspace, std::string_view source, std::string_view trainText,
                             std::string_view testText, UserInteraction& ui, bool* declined) {
  if (declined != nullptr) *declined = false;
  const std::string train = trimDatasetName(trainText);
  const std::string test = trimDatasetName(testText);
  if (const std::optional<Refusal> refusal = judgeNames(source, train, test)) {
    ui.error(refusal->text);
    return refusal->field;
  }
  const bool trainExists = datasetExists(workspace, train);
  const bool testExists = datasetExists(workspace, test);
  if (trainExists || testExists) {
    std::string question;
    if (trainExists) question += "Train dataset \"" + train + "\" already exists.\n";
    if (testExists) question += "Test dataset \"" + test + "\" already exists.\n";
    question += "Over-write?";
    if (!ui.query(question)) {
      if (declined != nullptr) *declined = true;
      return trainExists ? DatasetField::kTrain : DatasetField::kTest;
    }
  }
  return DatasetField::kNone;
}

SplitResult splitDataset(const Workspace& workspace, std::string_view source, std::string_view trainText,
                         std::string_view testText, int step, UserInteraction& ui, ProgressSink& progress,
                         FileSystem& fileSystem) {
  SplitResult result;
  const std::string train = trimDatasetName(trainText);
  const std::string test = trimDatasetName(testText);
  if (const std::optional<Refusal> refusal = judgeNames(source, train, test)) {
    ui.error(refusal->text);
    return result;
  }
  if (step < 1) return result;

  const std::string sourcePath = datasetPath(workspace, source);
  DatasetSource input;
  // An append to the source that was killed part-way is rolled back first,
  // as whenever a dataset is opened.
  const bool sourceOpen = !source.empty() && !hasForbiddenNameCharacter(source) &&
                          recoverInterruptedAppend(sourcePath) && input.open(sourcePath);
  NewDatasetFile trainFile(workspace, train, fileSystem);
  NewDatasetFile testFile(workspace, test, fileSystem);
  if (!sourceOpen || !trainFile.ok() || !testFile.ok()) {
    // The temporary files go with their objects: nothing is left behind.
    std::string detail = !sourceOpen       ? input.problem()
                         : !trainFile.ok() ? trainFile.problem()
                                           : testFile.problem();
    if (detail.empty())
      detail = sourcePath + ": " + std::make_error_code(std::errc::invalid_argument).message();
    ui.error(std::string(kCannotOpen) + "\n" + detail);
    result.outcome = DatasetRunOutcome::kCannotOpen;
    return result;
  }

  progress.setText("");
  int lastPercent = -1;
  auto race = std::make_unique<Race>();
  DatasetReader reader(input.stream(), sourcePath);
  while (reader.next(*race)) {
    const int percent = input.percentAt(reader.position());
    if (percent != lastPercent) {
      progress.setText(percentText(percent));
      progress.setPercent(percent);
      lastPercent = percent;
    }
    if (progress.cancelled()) {
      ui.notice(kNoticeCaption, kUserAborted);
      result.outcome = DatasetRunOutcome::kCancelled;
      return result;
    }
    ++result.races;
    const bool toTest = result.races % step == 0;
    if (NewDatasetFile& output = toTest ? testFile : trainFile; !output.write(*race)) {
      ui.error(std::string(kWriteFailed) + "\n" + output.problem());
      result.outcome = DatasetRunOutcome::kWriteFailed;
      return result;
    }
    ++(toTest ? result.testRaces : result.trainRaces);
  }
  if (reader.damaged()) {
    result.damage = reader.problem();
    ui.warning(result.damage);
  }
  if (!trainFile.commit()) {
    ui.error(std::string(kWriteFailed) + "\n" + trainFile.problem());
    result.outcome = DatasetRunOutcome::kWriteFailed;
    return result;
  }
  if (!testFile.commit()) {
    // The train dataset is already in place; a half-made split must not
    // look like a whole one.
    deleteDataset(workspace, train);
    ui.error(std::string(kWriteFailed) + "\n" + testFile.problem());
    result.outcome = DatasetRunOutcome::kWriteFailed;
    return result;
  }
  result.outcome = DatasetRunOutcome::kDone;
  ui.notice(kNoticeCaption, "Dataset successfully split.\n\nSource dataset contains " +
                                std::to_string(result.races) + " races.\n\nTrain dataset received " +
                                std::to_string(result.trainRaces) + " races.\nTest dataset received " +
                                std::to_string(result.testRaces) + " races.");
  return result;
}

}  // namespace stridewell
