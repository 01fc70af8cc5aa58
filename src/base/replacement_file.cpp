#include "base/replacement_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include "base/card_file_names.h"
#include "base/workspace.h"

namespace stridewell {
namespace {

constexpr size_t kBufferSize = 1 << 16;

}  // namespace

ReplacementFile::ReplacementFile(std::string target, FileSystem& fileSystem)
    : fileSystem_(fileSystem), target_(std::move(target)) {
  const std::string folder(folderOf(target_));
  std::string pattern =
      joinPath(folder.empty() ? "." : folder, "." + std::string(fileNameOf(target_)) + ".XXXXXX");
  std::error_code error;
  file_ = fileSystem_.createUnique(pattern, error);
  if (!file_) {
    fail("Cannot create a temporary file in " + (folder.empty() ? std::string(".") : folder), error);
    return;
  }
  path_ = pattern;
  // The new file is made private; the new version should be as readable
  // (and owned) as the old one.
  struct stat old {};
  if (::stat(target_.c_str(), &old) == 0) {
    // Only root may give a file away; a file we cannot chown stays ours.
    file_->setOwner(old.st_uid, old.st_gid);
    file_->setMode(old.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    file_->setMode(0666 & ~mask);
  }
  buffer_.reserve(kBufferSize);
}

ReplacementFile::~ReplacementFile() {
  file_.reset();
  if (!replaced_ && !path_.empty()) fileSystem_.remove(path_);
}

void ReplacementFile::fail(const std::string& what, std::error_code error) {
  if (!problem_.empty()) return;
  problem_ = what + ": " + error.message();
  error_ = error;
}

void ReplacementFile::flushBuffer() {
  if (ok() && !buffer_.empty()) {
    if (const std::error_code error = file_->writeAll(buffer_)) fail("Cannot write " + path_, error);
  }
  buffer_.clear();
}

void ReplacementFile::write(std::string_view bytes) {
  if (!ok() || !file_) return;
  buffer_.append(bytes);
  if (buffer_.size() >= kBufferSize) flushBuffer();
}

bool ReplacementFile::finishWriting() {
  if (!ok()) return false;
  if (!file_) return true;  // finished before
  flushBuffer();
  // Without the flush to disk a crash soon after the rename could leave an
  // empty file where the good one was.
  if (ok()) {
    if (const std::error_code error = file_->sync()) fail("Cannot write " + path_, error);
  }
  const std::error_code closed = file_->close();
  file_.reset();
  if (ok() && closed) fail("Cannot write " + path_, closed);
  return ok();
}

bool ReplacementFile::replaceTarget() {
  if (!finishWriting()) return false;
  if (const std::error_code error = fileSystem_.rename(path_, target_)) {
    fail("Cannot replace " + target_, error);
    return false;
  }
  replaced_ = true;
  return true;
}

bool replaceFileContents(const std::string& target, const void* bytes, size_t size, std::string& reason,
                         FileSystem& fileSystem) {
  ReplacementFile file(target, fileSystem);
  file.write(std::string_view(static_cast<const char*>(bytes), size));
  if (file.replaceTarget()) return true;
  reason = file.problem();
  return false;
}

}  // namespace stridewell
