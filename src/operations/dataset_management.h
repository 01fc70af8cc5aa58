// Deleting and renaming whole datasets, and what the dataset commands share:
// the field a refusal sends the user back to and how a copying run ended.
// Every check shows its message through the UserInteraction with the
// program's fixed texts; the desktop dialogs and the command line call these
// same functions, so both refuse and ask alike. Main thread of a command.
#pragma once

#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/file_system.h"
#include "datasets/dataset_name.h"

namespace stridewell {

class UserInteraction;
struct Workspace;

// The edit field a refused dialog puts the focus on; kNone when accepted.
enum class DatasetField { kNone, kName, kTrain, kTest };

// How a split or a combine ended.
enum class DatasetRunOutcome {
  kDone,
  kRefused,     // the names did not pass the checks (message shown); nothing touched
  kCannotOpen,  // an input or output could not be opened or created
  kCancelled,
  kWriteFailed,
};

inline constexpr std::string_view kDeleteQuery = "Delete selected datasets; are you sure?";
inline constexpr std::string_view kRenameBlank = "New name cannot be blank.";
inline constexpr std::string_view kRenameForbidden =
    "DataSet name cannot contain any of the following characters: ?*<\">/\\:|";
inline constexpr std::string_view kRenameFailed = "Rename failed.";
inline constexpr std::string_view kWriteFailed = "Error while writing dataset (disk probably full).";
inline constexpr std::string_view kUserAborted = "User aborted.";

// Deletes the file of one dataset. A name that is empty or holds a
// forbidden character is not acted on, so "../x" never reaches outside
// DATASETS. False when there was nothing to delete or the delete failed;
// `error` then receives the system's reason, when given.
bool deleteDataset(const Workspace& workspace, std::string_view name, std::error_code* error = nullptr);

// deleteDataset, telling the user when it fails: "Cannot delete dataset
// 'name'." with the file and the system's reason.
bool deleteDatasetOrSay(const Workspace& workspace, std::string_view name, UserInteraction& ui);

enum class DeleteOutcome { kDeclined, kDeleted };

// The Delete command after its button: first every name that is not a
// dataset gets "There is no dataset 'name'."; then, when any name is one,
// asks kDeleteQuery and on Yes deletes them in the order given (the list's
// order), saying why for each that cannot be deleted. With no names nothing
// is asked and kDeclined is answered (the dialog's button is disabled
// then). `deleted` receives how many files went and `missing` how many names
// were not datasets, when given.
DeleteOutcome deleteDatasets(const Workspace& workspace, const std::vector<std::string>& names,
                             UserInteraction& ui, int* deleted = nullptr, int* missing = nullptr);

// The Rename dialog's button: the new name (trimmed) must not be blank and
// must not hold a forbidden character. Shows the refusal and answers kName,
// else kNone.
DatasetField checkRenameName(std::string_view newText, UserInteraction& ui);

enum class RenameOutcome { kRefused, kDeclined, kRenamed, kFailed };

// The rename itself: checks the new name as checkRenameName does, asks
// "Rename DataSet \"old\" to \"new\"; are you sure?" and on Yes moves
// old.DSI to new.DSI. An existing file of the new name is never replaced:
// the move is one renameat2 with RENAME_NOREPLACE, or, on a file system
// without it, a hard link under the new name followed by removing the old
// one. When the new name is taken, the old dataset is missing or the move
// fails otherwise: "Rename failed.", both files as they were.
RenameOutcome renameDataset(const Workspace& workspace, std::string_view oldName, std::string_view newText,
                            UserInteraction& ui, FileSystem& fileSystem = realFileSystem());

}  // namespace stridewell
