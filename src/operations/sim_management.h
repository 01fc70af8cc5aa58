// Deleting and renaming the SIMs of the Workspace's SIM folder, on file
// names only, for the dialogs and the command line alike: every refusal and
// question goes through the UserInteraction with the program's fixed texts.
// Main thread of a command.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"
#include "model/sim_list.h"

namespace stridewell {

class SettingsStore;
class UserInteraction;
struct Workspace;

inline constexpr std::string_view kSimRenameFailed = "Rename failed.";

// The drop-down of both dialogs: fillSimList of the SIM folder without
// "Default", less names reserved by the program folder; the placeholder
// alone (count 0) when nothing is left.
// The SIMs a user may manage are those the SIM folder lists, less any whose
// name a SIM of the program folder holds ("Default" and the like), which
// can be neither chosen nor taken by a rename.
SimList managedSimList(const Workspace& workspace);

// "Delete SIM \"name\"; are you sure?" and its rename twin.
std::string deleteSimQuestion(std::string_view name);
// The same question after a warning naming the SI Map rules that use the
// SIM (simMapRulesUsing); the plain question when `rulesUsing` is empty.
std::string deleteSimQuestion(std::string_view name, const std::vector<std::string>& rulesUsing);
std::string renameSimQuestion(std::string_view oldName, std::string_view newName);

enum class SimDeleteOutcome {
  kNotListed,  // not a name of managedSimList (nothing asked)
  kDeclined,
  kDeleted,
  kFailed,  // Yes was answered but the file stayed; no message is shown
};

// The Delete SIM command after its button: `name` must be an item of
// managedSimList exactly as listed. Asks, then removes the listed file.
// With `maps` (the settings holding the SI Maps) the question first names
// the map rules that would be left without their SIM.
SimDeleteOutcome deleteSim(const Workspace& workspace, std::string_view name, UserInteraction& ui,
                           const SettingsStore* maps = nullptr);

// The Rename dialog's check of the new name as typed: the message to show
// (blank, characters, reserved) or empty.
std::string checkSimRenameName(const Workspace& workspace, std::string_view newText);

enum class SimRenameOutcome {
  kNotListed,  // the old name is not an item of managedSimList (nothing asked)
  kRefused,    // the new name failed its check; message shown
  kDeclined,
  kRenamed,
  kFailed,  // "Rename failed." shown; both files as they were
};

// The Rename SIM command: checks the new name (trimmed), asks, and moves
// the old file to new name + ".SIM". A SIM is never replaced: the move
// fails when the SIM folder holds a SIM of the new name (letter case
// ignored, as the lists ignore it, unless it is the SIM being renamed), and
// the move itself refuses an existing target.
SimRenameOutcome renameSim(const Workspace& workspace, std::string_view oldName, std::string_view newText,
                           UserInteraction& ui, FileSystem& fileSystem = realFileSystem());

}  // namespace stridewell
