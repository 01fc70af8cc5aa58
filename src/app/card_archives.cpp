#include "app/card_archives.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/archive_tools.h"
#include "app/workspace.h"

namespace stridewell {
namespace {

bool isRegularFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Opens a regular file; anything else (a folder opens but cannot be read,
// a pipe would block) is refused with the reason in `problem`.
std::unique_ptr<std::ifstream> openRegularFile(const std::string& path, std::string& problem) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    problem = "Cannot open " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  if (!S_ISREG(info.st_mode)) {
    problem = "Cannot open " + path + ": it is not a file";
    return nullptr;
  }
  errno = 0;
  auto stream = std::make_unique<std::ifstream>(path, std::ios::in | std::ios::binary);
  if (!stream->is_open()) {
    problem = "Cannot open " + path + (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string());
    return nullptr;
  }
  return stream;
}

}  // namespace

std::string findFileIgnoringCase(const std::string& folder, const std::string& name) {
  const std::string here = folder.empty() ? std::string(".") : folder;
  if (isRegularFile(joinPath(here, name))) return name;
  DIR* dir = ::opendir(here.c_str());
  if (dir == nullptr) return {};
  std::string found;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view candidate = entry->d_name;
    if (!equalsIgnoringCase(candidate, name)) continue;
    if ((found.empty() || candidate < found) && isRegularFile(joinPath(here, std::string(candidate)))) {
      found = candidate;
    }
  }
  ::closedir(dir);
  return found;
}

OpenedFile openArchivedFile(const std::string& path, const ArchivedFileKind& kind,
                            const Workspace& workspace) {
  OpenedFile opened;
  const std::string plainPath = plainPathFor(path, kind);
  const std::string folder(folderOf(plainPath));
  const std::string name(fileNameOf(plainPath));

  // 1. The plain file, by its name on disk.
  std::string plainProblem;
  const std::string onDisk = findFileIgnoringCase(folder, name);
  if (!onDisk.empty()) {
    opened.path = folder.empty() ? onDisk : joinPath(folder, onDisk);
    opened.stream = openRegularFile(opened.path, plainProblem);
    if (opened.stream) return opened;
  } else {
    plainProblem = "Cannot open " + plainPath + ": " + std::strerror(ENOENT);
  }
  opened.path.clear();

  // 2. Its archive, unpacked into UNZIP.
  const std::string archiveName = archiveNameFor(name, kind);
  const std::string archiveOnDisk =
      archiveName.empty() ? std::string() : findFileIgnoringCase(folder, archiveName);
  if (archiveOnDisk.empty()) {
    opened.problem = plainProblem;
    if (!archiveName.empty()) opened.problem += ", and there is no archive " + archiveName + " beside it";
    return opened;
  }
  const std::string archivePath = folder.empty() ? archiveOnDisk : joinPath(folder, archiveOnDisk);
  if (workspace.unzip.empty()) {
    opened.problem = "Cannot unpack " + archivePath + ": there is no Workspace folder to unpack it into";
    return opened;
  }
  std::error_code ignored;  // a failure shows when unzip cannot write there
  std::filesystem::create_directories(workspace.unzip, ignored);
  UnzipOutcome unzipped;
  if (!unzipArchive(workspace.programFolder, folder, archiveOnDisk, workspace.unzip, &unzipped)) {
    opened.problem = unzipped.problem;
    return opened;
  }
  // Only what this unpack produced counts: a copy of the same name left in
  // UNZIP by an earlier run may come from another folder's archive.
  const std::string member = upperAscii(name.substr(0, name.rfind('.'))) + std::string(kind.extension);
  std::string copy;
  for (const std::string& file : unzipped.files) {
    if (file == member) {
      copy = file;
      break;
    }
    if (equalsIgnoringCase(file, member) && (copy.empty() || file < copy)) copy = file;
  }
  if (copy.empty()) {
    opened.problem = "Cannot open " + plainPath + ": the archive " + archivePath + " does not hold " + member;
    return opened;
  }
  opened.path = joinPath(workspace.unzip, copy);
  opened.stream = openRegularFile(opened.path, opened.problem);
  if (!opened.stream) {
    opened.path.clear();
    return opened;
  }
  opened.archivePath = archivePath;
  return opened;
}

OpenedFile openCardFile(const std::string& path, const Workspace& workspace) {
  return openArchivedFile(path, kCardFileKind, workspace);
}

OpenedFile openResultsFile(const std::string& path, const Workspace& workspace) {
  return openArchivedFile(path, kResultsFileKind, workspace);
}

}  // namespace stridewell
