// The file operations that write a user's files, behind one interface: every
// writer of a dataset, SIM, settings or pattern file goes through a
// FileSystem, so that tests can hand it one that fails on purpose (a full
// disk, a failed flush to disk or rename) instead of exhausting real limits.
// realFileSystem() is the program's own; it keeps no state, so any thread
// may use it. Failures come back as the system's error code.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

namespace stridewell {

// A file open for writing. Destroying it closes it if close() was not
// called, ignoring any error; a writer that cares calls close().
class WritableFile {
 public:
  virtual ~WritableFile() = default;

  // Writes a leading part of `bytes` (at least one byte, unless `error` is
  // set) and returns its size.
  virtual size_t writeSome(std::string_view bytes, std::error_code& error) = 0;
  // Flushes what was written to the disk.
  virtual std::error_code sync() = 0;
  virtual std::error_code close() = 0;
  virtual std::error_code setMode(mode_t mode) = 0;
  virtual std::error_code setOwner(uid_t owner, gid_t group) = 0;

  // All of `bytes`, resuming after partial writes; a write that makes no
  // progress counts as a full disk.
  std::error_code writeAll(std::string_view bytes);
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // A new, private file with a unique name: the trailing "XXXXXX" of
  // `pathTemplate` is replaced by the name made. Null, with `error` set,
  // when it cannot be made.
  virtual std::unique_ptr<WritableFile> createUnique(std::string& pathTemplate, std::error_code& error) = 0;
  // The file at `path`, made empty (created readable as the umask allows
  // when missing); a symbolic link there is refused, not followed.
  virtual std::unique_ptr<WritableFile> createFile(const std::string& path, std::error_code& error) = 0;
  // The file at `path` (created when missing), every write going to its end.
  virtual std::unique_ptr<WritableFile> openForAppend(const std::string& path, std::error_code& error) = 0;
  // Renames `from` over `to`, replacing a file there.
  virtual std::error_code rename(const std::string& from, const std::string& to) = 0;
  // Renames `from` to `to` unless `to` exists (then EEXIST), atomically
  // where the file system allows; on failure both names are as they were.
  virtual std::error_code renameWithoutReplacing(const std::string& from, const std::string& to) = 0;
  // Removes the file (or empty folder) at `path`.
  virtual std::error_code remove(const std::string& path) = 0;
};

// The operating system's file system.
FileSystem& realFileSystem();

}  // namespace stridewell
