// Dataset names and where datasets live: a dataset is the file
// DATASETS/<name>.DSI of the Workspace, and its name is what the user typed,
// trimmed, free of the nine characters that no file name may hold on every
// system the program has run on. Plain functions; safe on any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace stridewell {

struct Workspace;

// The extension every dataset file gets, exactly in this letter case.
inline constexpr std::string_view kDatasetExtension = ".DSI";

// The nine characters a dataset name must not hold, in the order the
// refusal messages list them.
inline constexpr std::string_view kForbiddenNameCharacters = "?*<\">/\\:|";

// The single entry of a dataset list when there is no dataset.
inline constexpr std::string_view kNoDatasetsPlaceholder = "<No datasets have been created.>";

// The longest name, in bytes: the files written beside a dataset while it
// is made (".<name>.DSI.new-<pid>", "<name>.DSI.journal") must fit the
// file system's 255-byte limit on a file name too.
inline constexpr size_t kMaxDatasetNameBytes = 238;

enum class DatasetNameFault {
  kNone,
  kEmpty,               // nothing left after trimming
  kForbiddenCharacter,  // holds one of kForbiddenNameCharacters
  kDotName,             // "." or "..", which are folders, not files
  kExtension,           // ends in ".DSI" in any letter case
  kControlCharacter,    // a byte below 32, or 127
  kTooLong,             // more than kMaxDatasetNameBytes
};

// `text` without leading and trailing white space (space, tab, line ends,
// vertical tab, form feed).
std::string trimDatasetName(std::string_view text);

// Judges a name as the dialogs do, after trimming it: empty first, then the
// forbidden characters, then the names no dataset file can have. The caller
// words the blank refusal, which differs between commands ("New name cannot
// be blank."); datasetNameRefusal words the others.
DatasetNameFault checkDatasetName(std::string_view text);

// The refusal of a name with `fault` (not kNone), starting with `subject`:
// "DataSet name cannot contain any of the following characters: ...",
// "Train dataset name is too long ...".
std::string datasetNameRefusal(DatasetNameFault fault, std::string_view subject);

bool hasForbiddenNameCharacter(std::string_view name);

// The dataset's file: the DATASETS folder joined with name + ".DSI". The
// name is used as given; check it first.
std::string datasetPath(const Workspace& workspace, std::string_view name);

// The names of the datasets in DATASETS: every regular file (or link to one)
// whose name ends in ".DSI", that ending removed, sorted ignoring letter
// case (ties in byte order), as the program's lists show them. The ending
// must match exactly: the program writes ".DSI" and opens name + ".DSI", so
// a "x.dsi" would be listed under a name that could not be opened. A file
// named just ".DSI" and folders are skipped. An unreadable or missing folder
// gives an empty list; callers show kNoDatasetsPlaceholder then.
std::vector<std::string> listDatasets(const Workspace& workspace);

// Whether the dataset's file is a regular file that can be opened for
// reading.
bool datasetExists(const Workspace& workspace, std::string_view name);

// Whether the two names are the same dataset name ignoring letter case (the
// program's lists and checks ignore case, and a case-insensitive disk
// would hold both in one file).
bool sameDatasetName(std::string_view a, std::string_view b);

}  // namespace stridewell
