#include "base/replacement_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/card_file_names.h"
#include "base/workspace.h"

namespace stridewell {
namespace {

constexpr size_t kBufferSize = 1 << 16;

}  // namespace

ReplacementFile::ReplacementFile(std::string target) : target_(std::move(target)) {
  const std::string folder(folderOf(target_));
  std::string pattern =
      joinPath(folder.empty() ? "." : folder, "." + std::string(fileNameOf(target_)) + ".XXXXXX");
  fd_ = ::mkstemp(pattern.data());
  if (fd_ < 0) {
    fail("Cannot create a temporary file in " + (folder.empty() ? std::string(".") : folder), errno);
    return;
  }
  path_ = pattern;
  // mkstemp makes the file private; the new version should be as readable
  // (and owned) as the old one.
  struct stat old {};
  if (::stat(target_.c_str(), &old) == 0) {
    [[maybe_unused]] const int ownerKept = ::fchown(fd_, old.st_uid, old.st_gid);
    ::fchmod(fd_, old.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd_, 0666 & ~mask);
  }
  buffer_.reserve(kBufferSize);
}

ReplacementFile::~ReplacementFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!replaced_ && !path_.empty()) ::unlink(path_.c_str());
}

void ReplacementFile::fail(const std::string& what, int error) {
  if (problem_.empty()) problem_ = what + ": " + std::strerror(error);
}

void ReplacementFile::flushBuffer() {
  const char* bytes = buffer_.data();
  size_t size = buffer_.size();
  while (ok() && size > 0) {
    const ssize_t written = ::write(fd_, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      fail("Cannot write " + path_, written < 0 ? errno : EIO);
      break;
    }
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  buffer_.clear();
}

void ReplacementFile::write(std::string_view bytes) {
  if (!ok()) return;
  buffer_.append(bytes);
  if (buffer_.size() >= kBufferSize) flushBuffer();
}

bool ReplacementFile::replaceTarget() {
  if (!ok()) return false;
  flushBuffer();
  // Without the flush to disk a crash soon after the rename could leave an
  // empty file where the good one was.
  if (ok() && ::fsync(fd_) != 0) fail("Cannot write " + path_, errno);
  const int closed = ::close(fd_);
  fd_ = -1;
  if (ok() && closed != 0) fail("Cannot write " + path_, errno);
  if (ok() && ::rename(path_.c_str(), target_.c_str()) != 0) fail("Cannot replace " + target_, errno);
  if (!ok()) return false;
  replaced_ = true;
  return true;
}

bool replaceFileContents(const std::string& target, const void* bytes, size_t size, std::string& reason) {
  ReplacementFile file(target);
  file.write(std::string_view(static_cast<const char*>(bytes), size));
  if (file.replaceTarget()) return true;
  reason = file.problem();
  return false;
}

}  // namespace stridewell
