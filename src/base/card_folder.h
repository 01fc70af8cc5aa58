// Listing a folder of card and results files for the dialogs that pick them
// (handicapping, dataset building): its subfolders, and its card and results
// files with archives shown under the name of the file they hold, so that a
// plain file and its archive count once. Safe from any thread.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace stridewell {

// No table grows beyond this many names.
inline constexpr size_t kMaxFolderListEntries = 2000;

struct CardFolderList {
  // Each table is sorted; when a folder holds more than the limit, the
  // first names in that order are kept.
  std::vector<std::string> subfolders;    // names as on disk, for joining to the folder
  std::vector<std::string> cardFiles;     // plain names, upper case: ABC1234.TCF
  std::vector<std::string> resultsFiles;  // plain names, upper case: ABC1234.XRD
  bool cut = false;                       // some table reached the limit and names were left out
  std::string problem;                    // the folder could not be read (names it); tables empty
};

// Lists `folder` (with or without a final '/'). Hidden entries (names
// starting with '.') are left out, and so is anything that is neither a
// folder nor a regular file (a pipe would hang whoever opens it). Links are
// followed.
CardFolderList listCardFolder(const std::string& folder);

}  // namespace stridewell
