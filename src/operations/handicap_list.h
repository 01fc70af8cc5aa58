// The handicap list of the Handicap Races dialog: up to 64 card files, each
// a file name and the folder it was picked from, in the order they will be
// handicapped. A file name may be on the list once only, whatever its folder
// or letter case, because its report in PREDICT is named after it and a
// second file of that name would overwrite the first one's report. Plain
// values; the dialog keeps one list per process between openings.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "operations/handicap_run.h"

namespace stridewell {

struct SimList;

struct HandicapListEntry {
  std::string fileName;  // as listed: ABC1234.TCF (an archive is listed under its card's name)
  std::string folder;

  bool operator==(const HandicapListEntry&) const = default;
};

enum class HandicapListAdd { kAdded, kDuplicate, kFull };

class HandicapList {
 public:
  // Appends the file unless a file of that name (letter case ignored) is
  // already listed or the list holds kMostHandicapFiles entries.
  HandicapListAdd add(std::string fileName, std::string folder);
  // False, nothing changed, for an index out of range.
  bool remove(size_t index);
  void clear() { entries_.clear(); }

  const std::vector<HandicapListEntry>& entries() const { return entries_; }
  size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  bool full() const { return entries_.size() >= static_cast<size_t>(kMostHandicapFiles); }

  // Folder joined with file name, in list order: the run's input paths.
  std::vector<std::string> paths() const;

 private:
  std::vector<HandicapListEntry> entries_;
};

// The line the dialog shows: file name, two blanks, folder.
std::string handicapListLine(const HandicapListEntry& entry);
// "Total files:  %2d".
std::string handicapSummaryText(size_t count);
// "%s is already in list (duplicate ignored)".
std::string duplicateFileText(std::string_view fileName);
// The one warning for the duplicates of an add of many files: for one file
// the text above; for more, the first five names, "and N more" beyond them,
// and "are already in list (duplicates ignored)".
std::string duplicateFilesText(const std::vector<std::string>& fileNames);

// The SI Map named by the map drop-down's entry 0-4 ("1" is "SI Map 1");
// an index outside that range is taken as the first map.
std::string_view simMapNameForEntry(int entry);

// The weights file of SIM list item `index`: items before the list's fixed
// entries are SIMs of the program folder ("Default"), the others files of
// the SIM folder, found whatever the letter case of their extension. Empty
// for the placeholder or an index out of range.
std::string singleSimPath(const SimList& list, int index, const Workspace& workspace);

}  // namespace stridewell
