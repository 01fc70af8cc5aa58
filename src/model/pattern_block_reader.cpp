// The read-ahead is one helper thread per pass that reads a block into the
// half of the buffer the trainer is not using. The two threads hand a block
// over through a mutex and a condition variable, so the trainer never sees
// a half that is still being written, and a pass that stops early waits
// for the outstanding read before the buffer can be touched again.
#include "model/pattern_block_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace stridewell {
namespace {

// Reads exactly `size` bytes at `offset`; the error number on failure, -1
// when the file ends first, 0 on success.
int readFully(int fd, std::byte* into, size_t size, off_t offset) {
  size_t done = 0;
  while (done < size) {
    const ssize_t got = ::pread(fd, into + done, size - done, offset + static_cast<off_t>(done));
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (got == 0) return -1;
    done += static_cast<size_t>(got);
  }
  return 0;
}

std::string readProblem(const std::filesystem::path& path, int result) {
  if (result < 0)
    return "Cannot read " + path.string() + ": the file ended early (it changed during training?)";
  return "Cannot read " + path.string() + ": " + std::strerror(result);
}

class ReadAhead {
 public:
  explicit ReadAhead(int fd) : fd_(fd), thread_([this] { run(); }) {}

  // Waits for any outstanding read, then ends the thread.
  ~ReadAhead() {
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return !requested_; });
      quit_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  void start(off_t offset, std::byte* into) {
    {
      std::lock_guard lock(mutex_);
      offset_ = offset;
      into_ = into;
      requested_ = true;
    }
    changed_.notify_all();
  }

  // The outcome of the read started last (readFully's result).
  int wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !requested_; });
    return result_;
  }

 private:
  void run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return requested_ || quit_; });
      if (quit_) return;
      const off_t offset = offset_;
      std::byte* into = into_;
      lock.unlock();
      const int result = readFully(fd_, into, kPatternBlockBytes, offset);
      lock.lock();
      result_ = result;
      requested_ = false;
      changed_.notify_all();
    }
  }

  const int fd_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool requested_ = false;
  bool quit_ = false;
  off_t offset_ = 0;
  std::byte* into_ = nullptr;
  int result_ = 0;
  std::thread thread_;  // last: starts once everything above is set up
};

// Closes the descriptor on every way out of a pass.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  // Closes now; false when the close reports an error.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

}  // namespace

PatternBlockReader::PatternBlockReader(std::filesystem::path path) : path_(std::move(path)) {}

PatternBlockReader::~PatternBlockReader() = default;

PassEnd PatternBlockReader::readPass(PatternBlockSink& sink, std::string& problem) {
  if (!buffer_) buffer_ = std::make_unique<std::byte[]>(3 * kPatternBlockBytes);
  std::byte* halves[2] = {buffer_.get(), buffer_.get() + kPatternBlockBytes};
  std::byte* tailArea = buffer_.get() + 2 * kPatternBlockBytes;

  FileDescriptor file(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) {
    problem = "Cannot open " + path_.string() + ": " + std::strerror(errno);
    return PassEnd::kFailed;
  }
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) {
    problem = "Cannot get the size of " + path_.string() + ": " + std::strerror(errno);
    return PassEnd::kFailed;
  }
  const auto size = static_cast<uint64_t>(status.st_size);
  const auto blockCount = static_cast<int64_t>(size / kPatternBlockBytes);
  const auto tailBytes = static_cast<size_t>(size % kPatternBlockBytes);

  if (tailBytes > 0) {
    const int result = readFully(file.get(), tailArea, tailBytes,
                                 static_cast<off_t>(blockCount) * static_cast<off_t>(kPatternBlockBytes));
    if (result != 0) {
      problem = readProblem(path_, result);
      return PassEnd::kFailed;
    }
  }

  if (blockCount > 0) {
    ReadAhead ahead(file.get());
    int free = 0;
    for (int64_t block = 0; block <= blockCount; ++block) {
      if (!sink.blockReached(block, blockCount)) return PassEnd::kStopped;
      if (block < blockCount) {
        ahead.start(static_cast<off_t>(block) * static_cast<off_t>(kPatternBlockBytes), halves[free]);
      }
      if (block > 0 && !sink.feed({halves[1 - free], kPatternBlockBytes})) return PassEnd::kStopped;
      if (block < blockCount) {
        const int result = ahead.wait();
        if (result != 0) {
          problem = readProblem(path_, result);
          return PassEnd::kFailed;
        }
      }
      free = 1 - free;
    }
  }

  if (tailBytes > 0 && !sink.feed({tailArea, tailBytes})) return PassEnd::kStopped;
  if (!file.close()) {
    problem = "Cannot close " + path_.string() + ": " + std::strerror(errno);
    return PassEnd::kFailed;
  }
  return PassEnd::kNormal;
}

}  // namespace stridewell
