#include "base/file_system.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace stridewell {
namespace {

std::error_code systemError(int code) {
  return std::error_code(code, std::generic_category());
}

class PosixFile final : public WritableFile {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  size_t writeSome(std::string_view bytes, std::error_code& error) override {
    for (;;) {
      const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
      if (written >= 0) return static_cast<size_t>(written);
      if (errno == EINTR) continue;
      error = systemError(errno);
      return 0;
    }
  }

  std::error_code sync() override { return ::fsync(fd_) == 0 ? std::error_code() : systemError(errno); }

  std::error_code close() override {
    // The descriptor is gone whatever close says, so it is never closed twice.
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 ? std::error_code() : systemError(errno);
  }

  std::error_code setMode(mode_t mode) override {
    return ::fchmod(fd_, mode) == 0 ? std::error_code() : systemError(errno);
  }

  std::error_code setOwner(uid_t owner, gid_t group) override {
    return ::fchown(fd_, owner, group) == 0 ? std::error_code() : systemError(errno);
  }

 private:
  int fd_;
};

std::unique_ptr<WritableFile> opened(int fd, std::error_code& error) {
  if (fd < 0) {
    error = systemError(errno);
    return nullptr;
  }
  error.clear();
  return std::make_unique<PosixFile>(fd);
}

class PosixFileSystem final : public FileSystem {
 public:
  std::unique_ptr<WritableFile> createUnique(std::string& pathTemplate, std::error_code& error) override {
    return opened(::mkostemp(pathTemplate.data(), O_CLOEXEC), error);
  }

  std::unique_ptr<WritableFile> createFile(const std::string& path, std::error_code& error) override {
    return opened(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666), error);
  }

  std::unique_ptr<WritableFile> openForAppend(const std::string& path, std::error_code& error) override {
    return opened(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY, 0666), error);
  }

  std::error_code rename(const std::string& from, const std::string& to) override {
    return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : systemError(errno);
  }

  // renameat2 is refused with EINVAL by file systems that lack
  // RENAME_NOREPLACE (and ENOSYS on old kernels); link + unlink is then the
  // no-replace move, since link never replaces an existing name.
  std::error_code renameWithoutReplacing(const std::string& from, const std::string& to) override {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return systemError(errno);
    if (::link(from.c_str(), to.c_str()) != 0) return systemError(errno);
    if (::unlink(from.c_str()) == 0) return {};
    const int code = errno;
    // Both names now lead to the file; drop the new one so nothing changed.
    ::unlink(to.c_str());
    return systemError(code);
  }

  std::error_code remove(const std::string& path) override {
    return std::remove(path.c_str()) == 0 ? std::error_code() : systemError(errno);
  }
};

}  // namespace

std::error_code WritableFile::writeAll(std::string_view bytes) {
  while (!bytes.empty()) {
    std::error_code error;
    const size_t written = writeSome(bytes, error);
    if (error) return error;
    if (written == 0) return systemError(ENOSPC);
    bytes.remove_prefix(written);
  }
  return {};
}

FileSystem& realFileSystem() {
  static PosixFileSystem fileSystem;
  return fileSystem;
}

}  // namespace stridewell
