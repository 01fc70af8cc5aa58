// SIM names and their weights files: the list every SIM drop-down shows
// ("Default" from the program folder first, then the SIM folder's files in
// name order), finding an item by name, and the rule that turns a name into
// the weights file to load. Reads the file system only; any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace stridewell {

struct Workspace;

// The one item of a list that found nothing to show; not a SIM name.
inline constexpr std::string_view kNoSimsPlaceholder = "<No SIM models have been created.>";

// A filled SIM list. Items before `fixedEntries` are SIMs of the program
// folder ("Default"), the others SIMs of the SIM folder; the placeholder,
// when it is the only item, is neither (count is then 0).
struct SimList {
  std::vector<std::string> items;
  int fixedEntries = 0;  // 1 when "Default" leads the list, else 0
  int count = 0;         // items added, "Default" included, the placeholder not
};

// "Default" first unless `withDefault` is false, then the names of the
// files "*.SIM" of `simFolder` (extension in any letter case, the name
// without it), sorted without regard to case; the placeholder alone when
// there is nothing. A missing or unreadable folder lists no files. The
// first item is the one to select.
SimList fillSimList(const std::string& simFolder, bool withDefault);

// The index of the first item equal to `name` ignoring case, or `selected`
// unchanged when no item matches.
int selectSimByName(const std::vector<std::string>& items, std::string_view name, int selected);

// The weights file of SIM `name`: name + ".SIM" in the program folder when a
// readable file is there, else in the SIM folder, even when it does not
// exist there either (the load then fails and says so). File names on disk
// may differ in letter case: an exact name is preferred, then one that
// matches ignoring case.
std::string simWeightsPath(const Workspace& workspace, std::string_view name);

}  // namespace stridewell
