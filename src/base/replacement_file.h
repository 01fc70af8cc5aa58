// Writing a new version of a file beside it and then renaming it over the
// old one, so that the old file stays whole until the new one is complete
// and on disk. The new file keeps the old one's permissions (and owner,
// where the system allows). One object per replacement, on one thread.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "base/file_system.h"

namespace stridewell {

class ReplacementFile {
 public:
  // Creates a hidden file with a unique name in the folder of `target`. When
  // that fails, ok() is false and problem() says why; writes are then
  // ignored. Everything is written through `fileSystem`.
  explicit ReplacementFile(std::string target, FileSystem& fileSystem = realFileSystem());
  // Removes the new file unless it replaced the target.
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  bool ok() const { return problem_.empty(); }
  const std::string& problem() const { return problem_; }
  // The system's reason for the first failure, for messages that name the
  // target rather than the temporary file.
  std::error_code error() const { return error_; }
  const std::string& path() const { return path_; }

  void write(std::string_view bytes);
  // Writes out what is buffered, flushes it to disk and closes the new file,
  // leaving only the rename to replaceTarget(): a writer replacing several
  // files finishes them all before renaming any. False, with problem() set,
  // on any failure.
  bool finishWriting();
  // Writes out what is buffered, flushes it to disk and renames the new file
  // over the target. False, with problem() set and the target untouched, on
  // any failure.
  bool replaceTarget();

 private:
  void flushBuffer();
  void fail(const std::string& what, std::error_code error);

  FileSystem& fileSystem_;
  std::string target_;
  std::string path_;
  std::unique_ptr<WritableFile> file_;
  std::string buffer_;
  std::string problem_;
  std::error_code error_;
  bool replaced_ = false;
};

// The whole new contents at once: false on any failure, with `reason` saying
// what went wrong, the target untouched and no temporary file left behind.
bool replaceFileContents(const std::string& target, const void* bytes, size_t size, std::string& reason,
                         FileSystem& fileSystem = realFileSystem());

}  // namespace stridewell
