#include "base/workspace.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "base/interaction.h"
#include "base/text_case.h"

namespace stridewell {
namespace {

// '*' and '?' without the ".*" rule; greedy with one backtrack point, so
// the time stays linear in practice whatever the pattern.
bool matchesWildcards(std::string_view name, std::string_view pattern) {
  size_t n = 0;
  size_t p = 0;
  size_t starAt = std::string_view::npos;
  size_t nameAtStar = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || lowerAscii(pattern[p]) == lowerAscii(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starAt = p++;
      nameAtStar = n;
    } else if (starAt != std::string_view::npos) {
      p = starAt + 1;
      n = ++nameAtStar;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool isFolder(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string currentFolder() {
  std::error_code error;
  const std::filesystem::path here = std::filesystem::current_path(error);
  return error ? std::string() : here.string();
}

// The names in `folder` other than "." and "..".
std::vector<std::string> folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(dir);
  return names;
}

}  // namespace

std::string programFolder() {
  std::error_code error;
  const std::string program = std::filesystem::read_symlink("/proc/self/exe", error).string();
  if (error) return {};
  const size_t slash = program.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? std::string("/") : program.substr(0, slash);
}

std::string shippedFilesFolder(const std::string& executableFolder) {
  if (executableFolder.empty()) return {};
  const auto holdsDefaultSim = [](const std::string& folder) {
    struct stat info {};
    return ::stat(joinPath(folder, "Default.SIM").c_str(), &info) == 0 && S_ISREG(info.st_mode);
  };
  if (holdsDefaultSim(executableFolder)) return executableFolder;
  // PREFIX/share/stridewell from PREFIX/bin, written out rather than
  // resolved so that messages show where the program looked.
  const std::filesystem::path installed =
      (std::filesystem::path(executableFolder).parent_path() / "share" / "stridewell").lexically_normal();
  std::string shared = installed.string();
  if (shared.size() > 1 && shared.back() == '/') shared.pop_back();
  if (holdsDefaultSim(shared)) return shared;
  return executableFolder;
}

std::string homeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && found->pw_dir[0] != '\0') {
    return found->pw_dir;
  }
  return {};
}

std::string defaultWorkspaceBase() {
  const char* own = std::getenv("STRIDEWELL_HOME");
  if (own != nullptr && own[0] != '\0') {
    if (own[0] == '/') return own;
    const std::string here = currentFolder();
    return here.empty() ? std::string(own) : joinPath(here, own);
  }
  // A relative XDG_DATA_HOME is to be ignored, as the base-directory rules say.
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome != nullptr && dataHome[0] == '/') return joinPath(dataHome, "stridewell");
  const std::string home = homeFolder();
  if (home.empty()) return {};
  return joinPath(home, ".local/share/stridewell");
}

Workspace workspaceAt(const std::string& executableFolder, const std::string& base) {
  Workspace workspace;
  workspace.programFolder = shippedFilesFolder(executableFolder);
  workspace.base = base;
  workspace.sim = joinPath(base, "SIM");
  workspace.predict = joinPath(base, "PREDICT");
  workspace.datasets = joinPath(base, "DATASETS");
  workspace.unzip = joinPath(base, "UNZIP");
  workspace.trainData = joinPath(base, "TRAINDATA");
  workspace.temp = joinPath(base, "TEMP");
  return workspace;
}

bool makeFolder(const std::string& path, UserInteraction& ui) {
  if (!path.empty() && (::mkdir(path.c_str(), 0777) == 0 || (errno == EEXIST && isFolder(path)))) {
    return true;
  }
  // A file where the folder should be is "Not a directory" rather than
  // mkdir's "File exists", which reads as if all were well.
  const int code = path.empty() ? ENOENT : errno == EEXIST ? ENOTDIR : errno;
  ui.error("Cannot create folder " + path + ": " + std::error_code(code, std::generic_category()).message());
  return false;
}

bool createWorkspaceFolders(const Workspace& workspace, UserInteraction& ui) {
  if (workspace.base.empty()) {
    // Folders relative to wherever the program was started would scatter
    // the user's files; better to stop and say what is missing.
    ui.error("Cannot create folder for the Workspace: no home folder was found; set STRIDEWELL_HOME");
    return false;
  }
  // The base's missing parents first (a fresh ~/.local/share, say).
  for (size_t slash = workspace.base.find('/', 1); slash != std::string::npos;
       slash = workspace.base.find('/', slash + 1)) {
    const std::string parent = workspace.base.substr(0, slash);
    if (!isFolder(parent) && !makeFolder(parent, ui)) return false;
  }
  for (const std::string* folder : {&workspace.base, &workspace.predict, &workspace.datasets, &workspace.sim,
                                    &workspace.unzip, &workspace.trainData, &workspace.temp}) {
    if (!makeFolder(*folder, ui)) return false;
  }
  return true;
}

void clearScratchFolders(const Workspace& workspace) {
  deleteMatchingFiles(workspace.predict, "*.TXT");
  if (workspace.unzip.empty()) return;
  for (const std::string& name : folderEntries(workspace.unzip)) {
    std::error_code ignored;  // what cannot be removed now goes next time
    std::filesystem::remove_all(joinPath(workspace.unzip, name), ignored);
  }
}

std::string joinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const bool folderEnds = folder.back() == '/';
  const bool nameStarts = !name.empty() && name.front() == '/';
  if (folderEnds && nameStarts) return folder + name.substr(1);
  if (folderEnds || nameStarts) return folder + name;
  return folder + "/" + name;
}

bool matchesFilePattern(std::string_view name, std::string_view pattern) {
  if (matchesWildcards(name, pattern)) return true;
  // "NAME.*" also matches "NAME", and "*.*" any name at all: the old DOS
  // rule, which callers that clear a folder with "*.*" rely on.
  return pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
         matchesWildcards(name, pattern.substr(0, pattern.size() - 2));
}

int deleteMatchingFiles(const std::string& folder, const std::string& pattern) {
  if (folder.empty()) return 0;
  int removed = 0;
  for (const std::string& name : folderEntries(folder)) {
    if (!matchesFilePattern(name, pattern)) continue;
    const std::string path = joinPath(folder, name);
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) continue;
    if (::unlink(path.c_str()) == 0) ++removed;
  }
  return removed;
}

}  // namespace stridewell
