#include "operations/dataset_combine.h"

#include <algorithm>
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

constexpr std::string_view kNoticeCaption = "Combine Datasets";
constexpr std::string_view kNewBlank = "New dataset name cannot be blank.";
constexpr std::string_view kNewForbidden =
    "New dataset name cannot contain any of the following characters: ?*<\">/\\:|";
constexpr std::string_view kNewIsSource = "New dataset cannot have the same name as a source dataset.";
constexpr std::string_view kOverWrite = "DataSet with that name already exists; over-write?";
constexpr std::string_view kCannotCreate = "Cannot create dataset.";

// The dialog's checks 1 and 2 on the trimmed name. Any selected source
// equal to the new name ignoring case is refused, not only the first list
// entry of that name: on a case-sensitive disk "abc" and "ABC" are both
// datasets, and writing over the selected one would change a source.
std::optional<std::string> judgeName(const std::string& name, const std::vector<std::string>& sources) {
  if (name.empty()) return std::string(kNewBlank);
  if (hasForbiddenNameCharacter(name)) return std::string(kNewForbidden);
  // Names no dataset file can have (".", "x.DSI", control characters, too long).
  if (const DatasetNameFault fault = checkDatasetName(name); fault != DatasetNameFault::kNone) {
    return datasetNameRefusal(fault, "New dataset name");
  }
  for (const std::string& source : sources) {
    if (sameDatasetName(source, name)) return std::string(kNewIsSource);
  }
  return std::nullopt;
}

}  // namespace

DatasetField checkCombineName(const Workspace& workspace, std::string_view newText,
                              const std::vector<std::string>& sources, UserInteraction& ui, bool* declined) {
  if (declined != nullptr) *declined = false;
  const std::string name = trimDatasetName(newText);
  if (const std::optional<std::string> refusal = judgeName(name, sources)) {
    ui.error(*refusal);
    return DatasetField::kName;
  }
  if (datasetExists(workspace, name) && !ui.query(kOverWrite)) {
    if (declined != nullptr) *declined = true;
    return DatasetField::kName;
  }
  return DatasetField::kNone;
}

std::vector<std::string> inDatasetListOrder(const Workspace& workspace,
                                            const std::vector<std::string>& names) {
  std::vector<std::string> ordered;
  const auto wanted = [&names](const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  const auto taken = [&ordered](const std::string& name) {
    return std::find(ordered.begin(), ordered.end(), name) != ordered.end();
  };
  for (const std::string& listed : listDatasets(workspace)) {
    if (wanted(listed)) ordered.push_back(listed);
  }
  for (const std::string& name : names) {
    if (!taken(name)) ordered.push_back(name);
  }
  return ordered;
}

CombineResult combineDatasets(const Workspace& workspace, const std::vector<std::string>& sources,
                              std::string_view newText, UserInteraction& ui, ProgressSink& progress,
                              FileSystem& fileSystem) {
  CombineResult result;
  const std::string name = trimDatasetName(newText);
  if (const std::optional<std::string> refusal = judgeName(name, sources)) {
    ui.error(*refusal);
    return result;
  }
  if (sources.empty()) return result;
  result.sources = inDatasetListOrder(workspace, sources);

  NewDatasetFile output(workspace, name, fileSystem);
  if (!output.ok()) {
    ui.error(std::string(kCannotCreate) + "\n" + output.problem());
    result.outcome = DatasetRunOutcome::kCannotOpen;
    return result;
  }
  auto race = std::make_unique<Race>();
  for (const std::string& source : result.sources) {
    progress.setText(source);
    const std::string sourcePath = datasetPath(workspace, source);
    DatasetSource input;
    if (source.empty() || hasForbiddenNameCharacter(source) || !recoverInterruptedAppend(sourcePath) ||
        !input.open(sourcePath)) {
      const std::string detail =
          !input.problem().empty()
              ? input.problem()
              : sourcePath + ": " + std::make_error_code(std::errc::invalid_argument).message();
      ui.error("Error opening dataset '" + source + "'.\n" + detail);
      result.outcome = DatasetRunOutcome::kCannotOpen;
      return result;
    }
    int lastPercent = -1;
    DatasetReader reader(input.stream(), sourcePath);
    while (reader.next(*race)) {
      const int percent = input.percentAt(reader.position());
      if (percent != lastPercent) {
        progress.setPercent(percent);
        lastPercent = percent;
      }
      if (progress.cancelled()) {
        ui.notice(kNoticeCaption, kUserAborted);
        result.outcome = DatasetRunOutcome::kCancelled;
        return result;
      }
      ++result.races;
      if (!output.write(*race)) {
        ui.error(std::string(kWriteFailed) + "\n" + output.problem());
        result.outcome = DatasetRunOutcome::kWriteFailed;
        return result;
      }
    }
    if (reader.damaged()) {
      result.damage.push_back(reader.problem());
      ui.warning(result.damage.back());
    }
  }
  if (!output.commit()) {
    ui.error(std::string(kWriteFailed) + "\n" + output.problem());
    result.outcome = DatasetRunOutcome::kWriteFailed;
    return result;
  }
  result.outcome = DatasetRunOutcome::kDone;
  ui.notice(kNoticeCaption, std::to_string(result.sources.size()) + " datasets successfully combined.\n\n" +
                                "Resultant dataset contains " + std::to_string(result.races) + " races.");
  return result;
}

}  // namespace stridewell
