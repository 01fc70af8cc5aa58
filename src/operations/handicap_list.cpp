#include "operations/handicap_list.h"

#include <algorithm>
#include <cstdio>

#include "base/card_archives.h"
#include "base/text_case.h"
#include "base/workspace.h"
#include "model/sim_list.h"
#include "model/sim_map.h"

namespace stridewell {

HandicapListAdd HandicapList::add(std::string fileName, std::string folder) {
  for (const HandicapListEntry& entry : entries_) {
    if (equalsIgnoreCase(entry.fileName, fileName)) return HandicapListAdd::kDuplicate;
  }
  if (full()) return HandicapListAdd::kFull;
  entries_.push_back({std::move(fileName), std::move(folder)});
  return HandicapListAdd::kAdded;
}

bool HandicapList::remove(size_t index) {
  if (index >= entries_.size()) return false;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
  return true;
}

std::vector<std::string> HandicapList::paths() const {
  std::vector<std::string> paths;
  paths.reserve(entries_.size());
  for (const HandicapListEntry& entry : entries_) paths.push_back(joinPath(entry.folder, entry.fileName));
  return paths;
}

std::string handicapListLine(const HandicapListEntry& entry) {
  return entry.fileName + "  " + entry.folder;
}

std::string handicapSummaryText(size_t count) {
  char text[40];
  std::snprintf(text, sizeof text, "Total files:  %2zu", count);
  return text;
}

std::string duplicateFileText(std::string_view fileName) {
  return std::string(fileName) + " is already in list (duplicate ignored)";
}

std::string duplicateFilesText(const std::vector<std::string>& fileNames) {
  if (fileNames.size() == 1) return duplicateFileText(fileNames.front());
  constexpr size_t kNamesShown = 5;
  const size_t shown = std::min(fileNames.size(), kNamesShown);
  std::string text;
  for (size_t i = 0; i < shown; ++i) {
    if (i > 0) text += i + 1 == shown && fileNames.size() <= kNamesShown ? " and " : ", ";
    text += fileNames[i];
  }
  if (fileNames.size() > kNamesShown)
    text += " and " + std::to_string(fileNames.size() - kNamesShown) + " more";
  return text + " are already in list (duplicates ignored)";
}

std::string_view simMapNameForEntry(int entry) {
  return simMapName(entry >= 0 && entry < kSimMapCount ? entry : 0);
}

std::string singleSimPath(const SimList& list, int index, const Workspace& workspace) {
  if (list.count == 0 || index < 0 || static_cast<size_t>(index) >= list.items.size()) return {};
  const std::string& name = list.items[static_cast<size_t>(index)];
  if (index < list.fixedEntries) return simWeightsPath(workspace, name);
  const std::string onDisk = findFileIgnoringCase(workspace.sim, name + ".SIM");
  return joinPath(workspace.sim, onDisk.empty() ? name + ".SIM" : onDisk);
}

}  // namespace stridewell
