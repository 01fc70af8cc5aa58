#include "operations/dataset_management.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

#include "base/file_moves.h"
#include "base/interaction.h"
#include "base/workspace.h"
#include "datasets/append_journal.h"
#include "datasets/dataset_name.h"

namespace stridewell {

namespace {

// A name as listed: what the program's lists can show, untrimmed (a file
// " x.DSI" put there by hand is still that dataset), but never one that
// could lead out of DATASETS.
bool isListedName(std::string_view name) {
  return !name.empty() && !hasForbiddenNameCharacter(name);
}

}  // namespace

bool deleteDataset(const Workspace& workspace, std::string_view name, std::error_code* error) {
  if (!isListedName(name)) {
    if (error != nullptr) *error = std::make_error_code(std::errc::no_such_file_or_directory);
    return false;
  }
  const std::string path = datasetPath(workspace, name);
  // Settles a journal of a killed append, which would otherwise outlive the
  // dataset and later cut back a new dataset of the same name.
  recoverInterruptedAppend(path);
  if (::unlink(path.c_str()) == 0) return true;
  if (error != nullptr) *error = std::error_code(errno, std::generic_category());
  return false;
}

bool deleteDatasetOrSay(const Workspace& workspace, std::string_view name, UserInteraction& ui) {
  std::error_code error;
  if (deleteDataset(workspace, name, &error)) return true;
  ui.error("Cannot delete dataset '" + std::string(name) + "'.\n" + datasetPath(workspace, name) + ": " +
           error.message());
  return false;
}

DeleteOutcome deleteDatasets(const Workspace& workspace, const std::vector<std::string>& names,
                             UserInteraction& ui, int* deleted, int* missing) {
  if (deleted != nullptr) *deleted = 0;
  if (missing != nullptr) *missing = 0;
  if (names.empty()) return DeleteOutcome::kDeclined;
  std::vector<std::string> present;
  for (const std::string& name : names) {
    // Whatever holds the name (a file that cannot be read, a folder) is
    // there to be deleted, or to say why it cannot be.
    struct stat info {};
    if (isListedName(name) && ::lstat(datasetPath(workspace, name).c_str(), &info) == 0) {
      present.push_back(name);
      continue;
    }
    ui.error("There is no dataset '" + name + "'.");
    if (missing != nullptr) ++*missing;
  }
  if (present.empty()) return DeleteOutcome::kDeleted;
  if (!ui.query(kDeleteQuery)) return DeleteOutcome::kDeclined;
  for (const std::string& name : present) {
    if (deleteDatasetOrSay(workspace, name, ui) && deleted != nullptr) ++*deleted;
  }
  return DeleteOutcome::kDeleted;
}

DatasetField checkRenameName(std::string_view newText, UserInteraction& ui) {
  switch (const DatasetNameFault fault = checkDatasetName(newText)) {
    case DatasetNameFault::kNone:
      break;
    case DatasetNameFault::kEmpty:
      ui.error(kRenameBlank);
      return DatasetField::kName;
    default:
      ui.error(datasetNameRefusal(fault, "DataSet name"));
      return DatasetField::kName;
  }
  return DatasetField::kNone;
}

RenameOutcome renameDataset(const Workspace& workspace, std::string_view oldName, std::string_view newText,
                            UserInteraction& ui, FileSystem& fileSystem) {
  if (checkRenameName(newText, ui) != DatasetField::kNone) return RenameOutcome::kRefused;
  const std::string newName = trimDatasetName(newText);
  const std::string question =
      "Rename DataSet \"" + std::string(oldName) + "\" to \"" + newName + "\"; are you sure?";
  if (!ui.query(question)) return RenameOutcome::kDeclined;
  // The old name comes from the list; one that is not a dataset name (from
  // a command line, say) could point outside DATASETS and is not moved.
  const std::string oldPath = datasetPath(workspace, oldName);
  const std::string newPath = datasetPath(workspace, newName);
  // Append journals are kept by path: a killed append of the old dataset is
  // rolled back before its file moves away from its journal, and a stray
  // journal of the new name is cleared before it could cut the moved file.
  std::error_code error = std::make_error_code(std::errc::no_such_file_or_directory);
  if (!isListedName(oldName) || !recoverInterruptedAppend(oldPath) || !recoverInterruptedAppend(newPath) ||
      !moveWithoutReplacing(oldPath, newPath, &error, fileSystem)) {
    ui.error(std::string(kRenameFailed) + "\n" + moveFailureDetail(oldPath, newPath, error));
    return RenameOutcome::kFailed;
  }
  return RenameOutcome::kRenamed;
}

}  // namespace stridewell
