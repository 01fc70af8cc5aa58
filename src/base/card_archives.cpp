#include "base/card_archives.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "base/archive_tools.h"
#include "base/text_case.h"
#include "base/workspace.h"

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

UnpackedFiles::UnpackedFiles(UnpackedFiles&& other) noexcept
    : folder_(std::move(other.folder_)), names_(std::move(other.names_)) {
  other.names_.clear();
}

UnpackedFiles& UnpackedFiles::operator=(UnpackedFiles&& other) noexcept {
  if (this != &other) {
    release();
    folder_ = std::move(other.folder_);
    names_ = std::move(other.names_);
    other.names_.clear();
  }
  return *this;
}

void UnpackedFiles::release() {
  for (const std::string& name : names_) {
    // What cannot be removed now goes when the Workspace is next cleared.
    ::unlink(joinPath(folder_, name).c_str());
  }
  names_.clear();
}

ZipCheck checkZipArchive(const std::string& path, std::string& problem) {
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) {
    problem = "Cannot open " + path + (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string());
    return ZipCheck::kUnreadable;
  }
  char start[4] = {};
  in.read(start, sizeof start);
  if (in.bad()) {
    problem = "Cannot read " + path;
    return ZipCheck::kUnreadable;
  }
  const std::string_view signature(start, static_cast<size_t>(in.gcount()));
  if (signature == std::string_view("PK\x03\x04", 4) || signature == std::string_view("PK\x05\x06", 4)) {
    return ZipCheck::kZipArchive;
  }
  problem = path + " is not a zip archive";
  return ZipCheck::kNotZipArchive;
}

std::string findFileIgnoringCase(const std::string& folder, const std::string& name) {
  const std::string here = folder.empty() ? std::string(".") : folder;
  if (isRegularFile(joinPath(here, name))) return name;
  DIR* dir = ::opendir(here.c_str());
  if (dir == nullptr) return {};
  std::string found;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view candidate = entry->d_name;
    if (!equalsIgnoreCase(candidate, name)) continue;
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

  // An archive whose name does not say which file it holds is never read
  // as that file itself.
  if (name.size() >= 4 && equalsIgnoreCase(std::string_view(name).substr(name.size() - 4), ".ZIP")) {
    switch (checkZipArchive(plainPath, opened.problem)) {
      case ZipCheck::kZipArchive:
        opened.problem = "Cannot open " + plainPath + ": the archive of a " + std::string(kind.extension) +
                         " file is named like ABC1234" + kind.typeLetter + ".ZIP and holds ABC1234" +
                         std::string(kind.extension);
        break;
      case ZipCheck::kNotZipArchive:
        opened.notAnArchive = true;
        break;
      case ZipCheck::kUnreadable:
        break;
    }
    return opened;
  }

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
  switch (checkZipArchive(archivePath, opened.problem)) {
    case ZipCheck::kZipArchive:
      break;
    case ZipCheck::kNotZipArchive:
      opened.notAnArchive = true;
      return opened;
    case ZipCheck::kUnreadable:
      return opened;
  }
  std::error_code ignored;  // a failure shows when unzip cannot write there
  std::filesystem::create_directories(workspace.unzip, ignored);
  UnzipOutcome unzipped;
  const bool unpackedAll =
      unzipArchive(workspace.programFolder, folder, archiveOnDisk, workspace.unzip, &unzipped);
  // Whatever came out goes again when the use of the file ends, or now.
  UnpackedFiles unpacked(workspace.unzip, unzipped.files);
  if (!unpackedAll) {
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
    if (equalsIgnoreCase(file, member) && (copy.empty() || file < copy)) copy = file;
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
  opened.unpacked = std::move(unpacked);
  return opened;
}

OpenedFile openCardFile(const std::string& path, const Workspace& workspace) {
  return openArchivedFile(path, kCardFileKind, workspace);
}

OpenedFile openResultsFile(const std::string& path, const Workspace& workspace) {
  return openArchivedFile(path, kResultsFileKind, workspace);
}

}  // namespace stridewell
