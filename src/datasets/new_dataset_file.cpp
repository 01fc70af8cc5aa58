#include "datasets/new_dataset_file.h"

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

NewDatasetFile::NewDatasetFile(const Workspace& workspace, const std::string& name, FileSystem& fileSystem)
    : fileSystem_(fileSystem),
      target_(datasetPath(workspace, name)),
      path_(joinPath(workspace.datasets,
                     "." + name + std::string(kDatasetExtension) + ".new-" + std::to_string(::getpid()))) {
  struct stat info {};
  if (::stat(target_.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    fail(target_, EISDIR);
    return;
  }
  std::error_code error;
  file_ = fileSystem_.createFile(path_, error);
  if (!file_) {
    fail(path_, error);
    return;
  }
  buffer_.reserve(kBufferBytes + kMaxDatasetRaceBytes);
  ok_ = true;
}

NewDatasetFile::~NewDatasetFile() {
  file_.reset();
  if (!committed_ && !path_.empty()) fileSystem_.remove(path_);
}

bool NewDatasetFile::fail(const std::string& path, int code) {
  return fail(path, std::error_code(code, std::generic_category()));
}

bool NewDatasetFile::fail(const std::string& path, std::error_code error) {
  if (problem_.empty()) problem_ = path + ": " + error.message();
  return ok_ = false;
}

bool NewDatasetFile::flush() {
  if (ok_ && !buffer_.empty()) {
    if (const std::error_code error = file_->writeAll(buffer_)) fail(path_, error);
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
  if (const std::error_code error = file_->sync()) fail(path_, error);
  const std::error_code closed = file_->close();
  file_.reset();
  if (closed) fail(path_, closed);
  if (!ok_) return false;
  if (!recoverInterruptedAppend(target_)) return fail(appendJournalPath(target_), errno != 0 ? errno : EIO);
  if (const std::error_code error = fileSystem_.rename(path_, target_))
    return fail(path_ + " -> " + target_, error);
  committed_ = true;
  return true;
}

}  // namespace stridewell
