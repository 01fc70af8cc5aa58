#include "datasets/dataset_management.h"

#include <unistd.h>

#include <cstdio>

#include "app/file_moves.h"
#include "app/interaction.h"
#include "app/workspace.h"
#include "datasets/append_journal.h"
#include "datasets/dataset_name.h"

namespace stridewell {

namespace {

// A name as listed: what the program's lists can show, untrimmed (a file
// " x.DSI" put there by hand is still that dataset), but never one that
// could lead out of DATASETS.
bool isListedName(std::string_view name) { return !name.empty() && !hasForbiddenNameCharacter(name); }

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool sameDatasetName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  }
  return true;
}

bool deleteDataset(const Workspace& workspace, std::string_view name) {
  if (!isListedName(name)) return false;
  const std::string path = datasetPath(workspace, name);
  // Settles a journal of a killed append, which would otherwise outlive the
  // dataset and later cut back a new dataset of the same name.
  recoverInterruptedAppend(path);
  return ::unlink(path.c_str()) == 0;
}

DeleteOutcome deleteDatasets(const Workspace& workspace, const std::vector<std::string>& names, UserInteraction& ui,
                             int* deleted) {
  if (deleted != nullptr) *deleted = 0;
  if (names.empty() || !ui.query(kDeleteQuery)) return DeleteOutcome::kDeclined;
  for (const std::string& name : names) {
    if (deleteDataset(workspace, name) && deleted != nullptr) ++*deleted;
  }
  return DeleteOutcome::kDeleted;
}

DatasetField checkRenameName(std::string_view newText, UserInteraction& ui) {
  switch (checkDatasetName(newText)) {
    case DatasetNameFault::kEmpty:
      ui.error(kRenameBlank);
      return DatasetField::kName;
    case DatasetNameFault::kForbiddenCharacter:
      ui.error(kRenameForbidden);
      return DatasetField::kName;
    case DatasetNameFault::kNone:
      break;
  }
  return DatasetField::kNone;
}

RenameOutcome renameDataset(const Workspace& workspace, std::string_view oldName, std::string_view newText,
                            UserInteraction& ui) {
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
  if (!isListedName(oldName) || !recoverInterruptedAppend(oldPath) || !recoverInterruptedAppend(newPath) ||
      !moveWithoutReplacing(oldPath, newPath)) {
    ui.error(kRenameFailed);
    return RenameOutcome::kFailed;
  }
  return RenameOutcome::kRenamed;
}

}  // namespace stridewell
