// A dataset opened for copying race by race (split, combine): a binary
// stream with a 32 KiB buffer, its size for the progress, and the percent a
// reader's position stands for. Only regular files are opened, so a folder
// or a FIFO that happens to carry a dataset's name neither fails oddly nor
// blocks the run. One object per stream, on one thread.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace stridewell {

class DatasetSource {
 public:
  DatasetSource();
  DatasetSource(const DatasetSource&) = delete;
  DatasetSource& operator=(const DatasetSource&) = delete;

  // Opens `path` for reading and learns its size. False, with nothing open,
  // when the path is not a regular file or cannot be opened.
  bool open(const std::string& path);

  // Why open() failed: the path and the system's reason.
  const std::string& problem() const { return problem_; }

  std::ifstream& stream() { return stream_; }
  uint64_t size() const { return size_; }

  // position × 100 / size, truncated; 0 for an empty file and never above
  // 100 (a file that grows while it is read).
  int percentAt(uint64_t position) const;

 private:
  std::vector<char> buffer_;
  std::ifstream stream_;
  uint64_t size_ = 0;
  std::string problem_;
};

}  // namespace stridewell
