#include "datasets/append_journal.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "base/workspace.h"

namespace stridewell {

namespace {

constexpr std::string_view kJournalSuffix = ".journal";

bool fileLength(const std::string& path, uint64_t& length) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  length = static_cast<uint64_t>(info.st_size);
  return true;
}

// The journal holds the length in decimal and a line end; anything else is
// not a finished journal of this program and is left alone.
bool readJournal(int fd, uint64_t& length) {
  char text[32];
  const ssize_t got = ::pread(fd, text, sizeof text, 0);
  if (got < 2 || text[got - 1] != '\n') return false;
  const auto [end, error] = std::from_chars(text, text + got - 1, length);
  return error == std::errc() && end == text + got - 1;
}

bool writeAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<size_t>(wrote);
  }
  return true;
}

bool syncFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced;
}

// Cuts the dataset back to `length` (when it is longer) and makes that stick.
bool cutBack(const std::string& datasetPath, uint64_t length) {
  uint64_t now = 0;
  if (!fileLength(datasetPath, now) || now <= length) return true;
  return ::truncate(datasetPath.c_str(), static_cast<off_t>(length)) == 0 && syncFile(datasetPath);
}

}  // namespace

std::string appendJournalPath(const std::string& datasetPath) {
  return datasetPath + std::string(kJournalSuffix);
}

AppendJournal::AppendJournal(std::string datasetPath)
    : datasetPath_(std::move(datasetPath)), journalPath_(appendJournalPath(datasetPath_)) {
  // A journal left by an earlier, interrupted append is settled first, so
  // that the length recorded now is the length of sound races only.
  if (!recoverInterruptedAppend(datasetPath_)) {
    errno_ = errno != 0 ? errno : EIO;
    return;
  }
  fd_ = ::open(journalPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0644);
  if (fd_ < 0) {
    errno_ = errno;
    return;
  }
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {  // another append of this dataset runs
    errno_ = errno;
    return;
  }
  if (!fileLength(datasetPath_, originalLength_)) originalLength_ = 0;
  ok_ =
      ::ftruncate(fd_, 0) == 0 && writeAll(fd_, std::to_string(originalLength_) + "\n") && ::fsync(fd_) == 0;
  if (!ok_) errno_ = errno != 0 ? errno : EIO;
}

std::string AppendJournal::problem() const {
  if (ok_ || errno_ == 0) return {};
  return journalPath_ + ": " + std::error_code(errno_, std::generic_category()).message();
}

AppendJournal::~AppendJournal() {
  if (fd_ >= 0) ::close(fd_);
}

void AppendJournal::commit() {
  if (!ok_) return;
  ok_ = false;
  // The new races reach the disk before the journal that could undo them goes.
  if (syncFile(datasetPath_)) ::unlink(journalPath_.c_str());
}

bool AppendJournal::rollBack() {
  if (!ok_) return false;
  ok_ = false;
  if (!cutBack(datasetPath_, originalLength_)) return false;
  ::unlink(journalPath_.c_str());
  return true;
}

bool recoverInterruptedAppend(const std::string& datasetPath) {
  const std::string journalPath = appendJournalPath(datasetPath);
  const int fd = ::open(journalPath.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return true;  // no journal: nothing was interrupted
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  // A journal another process holds belongs to an append that is running.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return true;
  uint64_t original = 0;
  if (!readJournal(fd, original)) {
    // Killed before the journal was complete: nothing was appended yet.
    ::unlink(journalPath.c_str());
    return true;
  }
  if (!cutBack(datasetPath, original)) return false;
  ::unlink(journalPath.c_str());
  return true;
}

void recoverInterruptedAppends(const Workspace& workspace) {
  namespace fs = std::filesystem;
  if (workspace.datasets.empty()) return;
  std::error_code error;
  fs::directory_iterator it(workspace.datasets, error);
  if (error) return;
  for (const fs::directory_entry& entry : it) {
    const std::string path = entry.path().string();
    if (path.size() > kJournalSuffix.size() && path.ends_with(kJournalSuffix)) {
      recoverInterruptedAppend(path.substr(0, path.size() - kJournalSuffix.size()));
      continue;
    }
    // A new dataset whose run was killed: ".<name>.DSI.new-<pid>" of a
    // process that no longer exists.
    const std::string name = entry.path().filename().string();
    const size_t mark = name.rfind(".DSI.new-");
    if (name.starts_with(".") && mark != std::string::npos) {
      int pid = 0;
      const char* digits = name.c_str() + mark + 9;
      const auto [end, parsed] = std::from_chars(digits, name.c_str() + name.size(), pid);
      if (parsed == std::errc() && *end == '\0' && pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH) {
        fs::remove(entry.path(), error);
      }
    }
  }
}

}  // namespace stridewell
