#include "operations/sim_management.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "base/file_moves.h"
#include "base/interaction.h"
#include "base/text_case.h"
#include "base/workspace.h"
#include "model/sim_map.h"
#include "model/sim_name_rules.h"
#include "model/sim_record.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;

// The SIM files of `folder` whose name is `name` with an extension ".SIM"
// in any letter case (so the list can show them), the exact ".SIM" first.
std::vector<std::string> simFilesNamed(const std::string& folder, std::string_view name,
                                       bool nameIgnoringCase) {
  std::vector<std::string> found;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    const std::string fileName = it->path().filename().string();
    if (fileName.size() != name.size() + kSimFileExtension.size()) continue;
    const std::string_view stem = std::string_view(fileName).substr(0, name.size());
    const std::string_view extension = std::string_view(fileName).substr(name.size());
    if (!equalsIgnoreCase(extension, kSimFileExtension)) continue;
    if (nameIgnoringCase ? equalsIgnoreCase(stem, name) : stem == name) found.push_back(fileName);
  }
  std::stable_partition(found.begin(), found.end(),
                        [](const std::string& file) { return file.ends_with(kSimFileExtension); });
  return found;
}

bool isManagedName(const Workspace& workspace, std::string_view name) {
  const SimList list = managedSimList(workspace);
  return std::find(list.items.begin(), list.items.begin() + list.count, name) !=
         list.items.begin() + list.count;
}

// The training record follows its SIM to the new name (and says the new
// name). The SIM is renamed already, so a record that cannot follow is
// only lost, never in the way; any record the new name had was an orphan.
void moveSimRecord(const std::string& oldWeights, const std::string& newWeights, const std::string& newName,
                   FileSystem& fileSystem) {
  const std::string oldRecord = simRecordPath(oldWeights);
  const std::string newRecord = simRecordPath(newWeights);
  SimRecord record;
  switch (readSimRecord(oldRecord, record)) {
    case SimRecordRead::kRead: {
      record.simName = newName;
      std::string ignored;
      if (writeSimRecord(newRecord, record, ignored, fileSystem)) {
        // On a disk blind to letter case a change of case names one file.
        std::error_code sameError;
        if (!fs::equivalent(oldRecord, newRecord, sameError)) fileSystem.remove(oldRecord);
      } else {
        fileSystem.remove(newRecord);
      }
      break;
    }
    case SimRecordRead::kDamaged:
      if (fileSystem.rename(oldRecord, newRecord)) fileSystem.remove(newRecord);
      break;
    case SimRecordRead::kMissing:
      fileSystem.remove(newRecord);
      break;
  }
}

}  // namespace

SimList managedSimList(const Workspace& workspace) {
  SimList listed = fillSimList(workspace.sim, false);
  SimList managed;
  for (int i = 0; i < listed.count; ++i) {
    std::string& name = listed.items[static_cast<size_t>(i)];
    if (!isReservedSimName(workspace.programFolder, name)) managed.items.push_back(std::move(name));
  }
  managed.count = static_cast<int>(managed.items.size());
  if (managed.items.empty()) managed.items.emplace_back(kNoSimsPlaceholder);
  return managed;
}

std::string deleteSimQuestion(std::string_view name) {
  return "Delete SIM \"" + std::string(name) + "\"; are you sure?";
}

std::string deleteSimQuestion(std::string_view name, const std::vector<std::string>& rulesUsing) {
  if (rulesUsing.empty()) return deleteSimQuestion(name);
  std::string text = "SIM \"" + std::string(name) + "\" is named by ";
  for (size_t i = 0; i < rulesUsing.size(); ++i) text += (i == 0 ? "" : ", ") + rulesUsing[i];
  text += ". Races those rules pick will NOT be scored once it is gone.\n";
  return text + deleteSimQuestion(name);
}

std::string renameSimQuestion(std::string_view oldName, std::string_view newName) {
  return "Rename SIM \"" + std::string(oldName) + "\" to \"" + std::string(newName) + "\"; are you sure?";
}

SimDeleteOutcome deleteSim(const Workspace& workspace, std::string_view name, UserInteraction& ui,
                           const SettingsStore* maps) {
  if (!isManagedName(workspace, name)) return SimDeleteOutcome::kNotListed;
  const std::vector<std::string> rulesUsing =
      maps != nullptr ? simMapRulesUsing(*maps, name) : std::vector<std::string>{};
  if (!ui.query(deleteSimQuestion(name, rulesUsing))) return SimDeleteOutcome::kDeclined;
  const std::vector<std::string> files = simFilesNamed(workspace.sim, name, false);
  const std::string path = joinPath(workspace.sim, files.empty() ? std::string(name) : files.front());
  if (files.empty() || ::unlink(path.c_str()) != 0) {
    const std::error_code error = files.empty() ? std::make_error_code(std::errc::no_such_file_or_directory)
                                                : std::error_code(errno, std::generic_category());
    ui.error("Cannot delete SIM '" + std::string(name) + "'.\n" + path + ": " + error.message());
    return SimDeleteOutcome::kFailed;
  }
  // The SIM's training record goes with it; a record left behind would be
  // taken for that of a later SIM of the same name.
  (void)::unlink(simRecordPath(path).c_str());
  return SimDeleteOutcome::kDeleted;
}

std::string checkSimRenameName(const Workspace& workspace, std::string_view newText) {
  return simNameProblem(newText, SimNameUse::kRename, workspace.programFolder);
}

SimRenameOutcome renameSim(const Workspace& workspace, std::string_view oldName, std::string_view newText,
                           UserInteraction& ui, FileSystem& fileSystem) {
  if (!isManagedName(workspace, oldName)) return SimRenameOutcome::kNotListed;
  if (const std::string problem = checkSimRenameName(workspace, newText); !problem.empty()) {
    ui.error(problem);
    return SimRenameOutcome::kRefused;
  }
  const std::string newName = trimSimName(newText);
  if (!ui.query(renameSimQuestion(oldName, newName))) return SimRenameOutcome::kDeclined;

  const std::vector<std::string> oldFiles = simFilesNamed(workspace.sim, oldName, false);
  bool taken = oldFiles.empty();
  if (!taken) {
    // A SIM whose name differs only in letter case would sit beside the
    // renamed one in every list and be found in its place; on a
    // case-blind disk the move would replace it. Only the SIM being
    // renamed may hold the new name that way (a change of case).
    for (const std::string& file : simFilesNamed(workspace.sim, newName, true)) {
      if (file != oldFiles.front()) taken = true;
    }
  }
  const std::string newPath = joinPath(workspace.sim, newName + std::string(kSimFileExtension));
  const std::string oldPath =
      joinPath(workspace.sim, oldFiles.empty() ? std::string(oldName) : oldFiles.front());
  std::error_code error =
      std::make_error_code(oldFiles.empty() ? std::errc::no_such_file_or_directory : std::errc::file_exists);
  if (taken || !moveWithoutReplacing(oldPath, newPath, &error, fileSystem)) {
    ui.error(std::string(kSimRenameFailed) + "\n" + moveFailureDetail(oldPath, newPath, error));
    return SimRenameOutcome::kFailed;
  }
  moveSimRecord(oldPath, newPath, newName, fileSystem);
  return SimRenameOutcome::kRenamed;
}

}  // namespace stridewell
