#include "datasets/new_dataset_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <sstream>
#include <system_error>

#include "base/workspace.h"
#include "datasets/append_journal.h"
#include "datasets/dataset_file.h"
#include "datasets/dataset_name.h"
#include "race/race.h"

namespace stridewell {

namespace {

constexpr size_t kBufferBytes = 32768;

}  // namespace

NewDatasetFile::NewDatasetFile(const Workspace& workspace, const std::string& name)
    : target_(datasetPath(workspace, name)),
      path_(joinPath(workspace.datasets,
                     "." + name + std::string(kDatasetExtension) + ".new-" + std::to_string(::getpid()))) {
  struct stat info {};
  if (::stat(target_.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    fail(target_, EISDIR);
    return;
  }
  fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd_ < 0) {
    fail(path_, errno);
    return;
  }
  buffer_.reserve(kBufferBytes + kMaxDatasetRaceBytes);
  ok_ = true;
}

NewDatasetFile::~NewDatasetFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !path_.empty()) ::unlink(path_.c_str());
}

bool NewDatasetFile::fail(const std::string& path, int code) {
  if (problem_.empty()) problem_ = path + ": " + std::error_code(code, std::generic_category()).message();
  return ok_ = false;
}

bool NewDatasetFile::flush() {
  const char* bytes = buffer_.data();
  size_t size = buffer_.size();
  while (ok_ && size > 0) {
    const ssize_t written = ::write(fd_, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      fail(path_, written < 0 ? errno : ENOSPC);
      break;
    }
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  buffer_.clear();
  return ok_;
}

bool NewDatasetFile::write(const Race& race) {
  if (!ok_) return false;
  // The record format lives in writeDatasetRace alone; a string stream
  // hands its bytes over.
  std::ostringstream record(std::ios::binary);
  if (!writeDatasetRace(record, race)) return false;
  buffer_ += record.view();
  return buffer_.size() < kBufferBytes || flush();
}

bool NewDatasetFile::commit() {
  if (!ok_ || !flush()) return false;
  // Without the flush to disk a crash soon after the rename could leave an
  // empty file where the dataset was.
  if (::fsync(fd_) != 0) fail(path_, errno);
  const int closed = ::close(fd_);
  if (closed != 0) fail(path_, errno);
  fd_ = -1;
  if (!ok_) return false;
  if (!recoverInterruptedAppend(target_)) return fail(appendJournalPath(target_), errno != 0 ? errno : EIO);
  if (::rename(path_.c_str(), target_.c_str()) != 0) return fail(path_ + " -> " + target_, errno);
  committed_ = true;
  return true;
}

}  // namespace stridewell
