#include "base/card_folder.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <iterator>
#include <set>

#include "base/card_file_names.h"
#include "base/workspace.h"

namespace stridewell {
namespace {

// Keeps the first kMaxFolderListEntries names in sorted order, so that the
// memory stays bounded and the names kept do not depend on the order in
// which the system lists the folder.
class BoundedNameSet {
 public:
  void add(std::string name, bool& cut) {
    names_.insert(std::move(name));
    if (names_.size() > kMaxFolderListEntries) {
      names_.erase(std::prev(names_.end()));
      cut = true;
    }
  }
  std::vector<std::string> sorted() const { return {names_.begin(), names_.end()}; }

 private:
  std::set<std::string> names_;
};

}  // namespace

CardFolderList listCardFolder(const std::string& folder) {
  CardFolderList list;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) {
    list.problem = "Cannot read folder " + folder + ": " + std::strerror(errno);
    return list;
  }
  BoundedNameSet subfolders, cardFiles, resultsFiles;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (entry == nullptr) {
      if (errno != 0) list.problem = "Cannot read folder " + folder + ": " + std::strerror(errno);
      break;
    }
    std::string name = entry->d_name;
    if (name.empty() || name[0] == '.') continue;  // hidden, and "." and ".."
    struct stat info {};
    if (::stat(joinPath(folder, name).c_str(), &info) != 0) continue;  // a dangling link, say
    if (S_ISDIR(info.st_mode)) {
      subfolders.add(std::move(name), list.cut);
    } else if (!S_ISREG(info.st_mode)) {
      continue;
    } else if (isCardFileName(name)) {
      cardFiles.add(std::move(name), list.cut);
    } else if (isResultsFileName(name)) {
      resultsFiles.add(std::move(name), list.cut);
    }
  }
  ::closedir(dir);
  if (!list.problem.empty()) {
    list.cut = false;
    return list;
  }
  list.subfolders = subfolders.sorted();
  list.cardFiles = cardFiles.sorted();
  list.resultsFiles = resultsFiles.sorted();
  return list;
}

}  // namespace stridewell
