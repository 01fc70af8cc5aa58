#include "base/settings_store.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "base/interaction.h"
#include "base/program_name.h"
#include "base/workspace.h"

namespace stridewell {
namespace {

std::string errorText(int error) {
  return std::generic_category().message(error);
}

struct FileContents {
  enum class State { kMissing, kRead, kUnreadable };
  State state = State::kMissing;
  std::string text;
  std::string reason;  // why it is unreadable
  mode_t mode = 0600;  // permissions to give the replacement
};

// The whole file, without blocking on a FIFO and without reading more than
// the settings file may hold.
FileContents readSettingsFile(const std::string& path) {
  FileContents contents;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    // ENOTDIR: a plain file stands where a folder of the path should be, so
    // the settings file cannot exist either.
    if (errno == ENOENT || errno == ENOTDIR) return contents;
    contents.state = FileContents::State::kUnreadable;
    contents.reason = errorText(errno);
    return contents;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    contents.state = FileContents::State::kUnreadable;
    contents.reason = "not a regular file";
    ::close(fd);
    return contents;
  }
  contents.mode = info.st_mode & 07777;
  char buffer[16384];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      contents.state = FileContents::State::kUnreadable;
      contents.reason = errorText(errno);
      ::close(fd);
      return contents;
    }
    if (got == 0) break;
    contents.text.append(buffer, static_cast<size_t>(got));
    if (contents.text.size() > kMaxSettingsFileSize) {
      contents.state = FileContents::State::kUnreadable;
      contents.reason = "larger than " + std::to_string(kMaxSettingsFileSize) + " bytes";
      contents.text.clear();
      ::close(fd);
      return contents;
    }
  }
  ::close(fd);
  contents.state = FileContents::State::kRead;
  return contents;
}

std::string damageText(const std::string& file, const SettingsParse& parse) {
  std::string text =
      "The settings file " + file + " is damaged at line " + std::to_string(parse.firstBadLine);
  if (parse.badLines > 1) text += " (and " + std::to_string(parse.badLines - 1) + " more lines)";
  return text + "; the settings it could not read take their defaults.";
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Writes `text` to a new file in the folder of `path` and renames it over
// `path`, so that a reader sees the old file or the new one, never a part.
bool replaceFile(FileSystem& fileSystem, const std::string& path, std::string_view text, mode_t mode,
                 std::string& reason) {
  std::string temporary = path + ".XXXXXX";
  std::error_code error;
  std::unique_ptr<WritableFile> file = fileSystem.createUnique(temporary, error);
  if (!file) {
    reason = error.message();
    return false;
  }
  error = file->writeAll(text);
  if (!error) error = file->setMode(mode);
  if (!error) error = file->sync();
  const std::error_code closed = file->close();
  file.reset();
  if (!error) error = closed;
  if (error) {
    reason = error.message();
    fileSystem.remove(temporary);
    return false;
  }
  // The folder is not synced after the rename: that costs a journal commit
  // per write, and a crash just after it only brings back the previous,
  // whole file. The data itself is synced above, so the name never points
  // at an empty file.
  if (const std::error_code renamed = fileSystem.rename(temporary, path)) {
    reason = renamed.message();
    fileSystem.remove(temporary);
    return false;
  }
  return true;
}

// An exclusive flock on "<file>.lock", held until destruction. The lock
// file stays: removing it would let a third process lock a new file while
// a second still holds the old one.
class FileLock {
 public:
  explicit FileLock(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd_ < 0) {
      error_ = errno;
      return;
    }
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
      error_ = errno;
      ::close(fd_);
      fd_ = -1;
      return;
    }
  }
  ~FileLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  bool locked() const { return fd_ >= 0; }
  int error() const { return error_; }

 private:
  int fd_ = -1;
  int error_ = 0;
};

// Where the text goes: the file itself, or the file a symbolic link names,
// so that a settings file kept elsewhere and linked in stays linked.
std::string replacementTarget(const std::string& file) {
  struct stat info {};
  if (::lstat(file.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return file;
  char* resolved = ::realpath(file.c_str(), nullptr);
  if (resolved == nullptr) return file;
  std::string target = resolved;
  std::free(resolved);
  return target;
}

void layOver(SettingsSections& base, const SettingsSections& changes) {
  for (const auto& [section, keys] : changes) {
    SettingsSection& target = base[section];
    for (const auto& [key, value] : keys) target[key] = value;
  }
}

}  // namespace

SettingsStore::SettingsStore(std::string file, UserInteraction* ui, FileSystem& fileSystem)
    : file_(std::move(file)), ui_(ui), fileSystem_(fileSystem) {
  std::vector<std::string> warnings;
  {
    std::lock_guard lock(mutex_);
    load(warnings);
  }
  tell(warnings);
}

std::string SettingsStore::defaultFile() {
  std::string folder;
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  // Relative values are to be ignored, as the base-directory rules say.
  if (configHome != nullptr && configHome[0] == '/') {
    folder = configHome;
  } else {
    const std::string home = homeFolder();
    if (home.empty()) return {};
    folder = joinPath(home, ".config");
  }
  return joinPath(joinPath(folder, std::string(kProgramMaker)), std::string(kProgramName) + ".conf");
}

void SettingsStore::load(std::vector<std::string>& warnings) {
  sections_.clear();
  if (!file_.empty()) {
    const FileContents contents = readSettingsFile(file_);
    if (contents.state == FileContents::State::kUnreadable) {
      warnings.push_back("Cannot read the settings file " + file_ + ": " + contents.reason +
                         "; the settings take their defaults.");
    } else if (contents.state == FileContents::State::kRead) {
      SettingsParse parse = parseSettingsText(contents.text);
      if (parse.badLines > 0) warnings.push_back(damageText(file_, parse));
      sections_ = std::move(parse.sections);
    }
  }
  layOver(sections_, unsaved_);
}

bool SettingsStore::save(std::vector<std::string>& warnings) {
  std::string reason;
  bool saved = false;
  if (file_.empty()) {
    reason = "no settings file (no home folder was found)";
  } else {
    std::error_code ignored;
    std::filesystem::create_directories(folderOf(file_), ignored);
    FileLock lock(file_ + ".lock");
    if (!lock.locked()) {
      reason = "cannot lock " + file_ + ".lock: " + errorText(lock.error());
    } else {
      const std::string target = replacementTarget(file_);
      // Read again under the lock: another copy of the program may have
      // written keys since this store last looked.
      const FileContents contents = readSettingsFile(target);
      SettingsSections merged;
      bool mayReplace = true;
      if (contents.state == FileContents::State::kUnreadable) {
        // What cannot be read cannot be kept, so it is not replaced.
        reason = "the file cannot be read (" + contents.reason + ") and is left as it is";
        mayReplace = false;
      } else if (contents.state == FileContents::State::kRead) {
        SettingsParse parse = parseSettingsText(contents.text);
        merged = std::move(parse.sections);
        if (parse.badLines > 0) {
          // Keep the damaged original beside the file before replacing it.
          const std::string copy = file_ + ".damaged";
          std::string copyReason;
          if (!replaceFile(fileSystem_, copy, contents.text, contents.mode, copyReason)) {
            reason = "cannot keep a copy of the damaged file as " + copy + ": " + copyReason;
            mayReplace = false;
          } else {
            warnings.push_back(damageText(file_, parse) + " A copy of it is kept as " + copy + ".");
          }
        }
      }
      if (mayReplace) {
        layOver(merged, unsaved_);
        if (replaceFile(fileSystem_, target, settingsText(merged), contents.mode, reason)) {
          sections_ = std::move(merged);
          unsaved_.clear();
          saved = true;
        }
      }
    }
  }
  if (saved) {
    writeFailureTold_ = false;
  } else if (!writeFailureTold_) {
    writeFailureTold_ = true;
    warnings.push_back("Cannot save the settings to " + file_ + ": " + reason +
                       ". Changed settings hold for this run only.");
  }
  return saved;
}

void SettingsStore::tell(const std::vector<std::string>& warnings) const {
  if (ui_ == nullptr) return;
  for (const std::string& warning : warnings) ui_->warning(warning);
}

std::string SettingsStore::read(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
  std::lock_guard lock(mutex_);
  const auto foundSection = sections_.find(section);
  if (foundSection == sections_.end()) return std::string(fallback);
  const auto foundKey = foundSection->second.find(key);
  if (foundKey == foundSection->second.end()) return std::string(fallback);
  return foundKey->second;
}

bool SettingsStore::write(std::string_view section, std::string_view key, std::string_view value) {
  const Change change{std::string(section), std::string(key), std::string(value)};
  return write(std::span<const Change>(&change, 1));
}

bool SettingsStore::write(std::span<const Change> changes) {
  std::vector<std::string> warnings;
  bool saved;
  {
    std::lock_guard lock(mutex_);
    for (const Change& change : changes) {
      sections_[change.section][change.key] = change.value;
      unsaved_[change.section][change.key] = change.value;
    }
    saved = save(warnings);
  }
  tell(warnings);
  return saved;
}

bool SettingsStore::readFlag(std::string_view section, std::string_view key, bool fallback) const {
  std::lock_guard lock(mutex_);
  const auto foundSection = sections_.find(section);
  if (foundSection == sections_.end()) return fallback;
  const auto foundKey = foundSection->second.find(key);
  if (foundKey == foundSection->second.end()) return fallback;
  return foundKey->second == "y";
}

bool SettingsStore::writeFlag(std::string_view section, std::string_view key, bool on) {
  return write(section, key, on ? "y" : "n");
}

void SettingsStore::reload() {
  std::vector<std::string> warnings;
  {
    std::lock_guard lock(mutex_);
    load(warnings);
  }
  tell(warnings);
}

}  // namespace stridewell
