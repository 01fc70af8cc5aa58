// The read-ahead is one helper thread per pass that reads a block into the
// half of the buffer the trainer is not using. The two threads hand a block
// over through a mutex and a condition variable, so the trainer never sees
// a half that is still being written, and a pass that stops early waits
// for the outstanding read before the buffer can be touched again.
#include "model/pattern_block_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

// The bytes a pass reads: the whole file, or the ranges of a share laid
// end to end. Offsets are counted in the bytes read.
class ReadPlan {
 public:
  ReadPlan(int fd, const std::optional<std::vector<ByteRange>>& share, uint64_t fileSize)
      : fd_(fd), ranges_(share ? *share : std::vector<ByteRange>{{0, fileSize}}) {
    for (const ByteRange& range : ranges_) size_ += range.end - range.begin;
  }

  uint64_t size() const { return size_; }

  // readFully over the plan: `size` bytes from `offset` of the bytes read.
  int read(std::byte* into, size_t size, uint64_t offset) const {
    for (const ByteRange& range : ranges_) {
      const uint64_t length = range.end - range.begin;
      if (size == 0) break;
      if (offset >= length) {
        offset -= length;
        continue;
      }
      const auto take = static_cast<size_t>(std::min<uint64_t>(size, length - offset));
      const int result = readFully(fd_, into, take, static_cast<off_t>(range.begin + offset));
      if (result != 0) return result;
      into += take;
      size -= take;
      offset = 0;
    }
    return size == 0 ? 0 : -1;
  }

 private:
  int fd_;
  std::vector<ByteRange> ranges_;
  uint64_t size_ = 0;
};

std::string readProblem(const std::filesystem::path& path, int result) {
  if (result < 0)
    return "Cannot read " + path.string() + ": the file ended early (it changed during training?)";
  return "Cannot read " + path.string() + ": " + std::strerror(result);
}

class ReadAhead {
 public:
  explicit ReadAhead(const ReadPlan& plan) : plan_(plan), thread_([this] { run(); }) {}

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

  void start(uint64_t offset, std::byte* into) {
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
      const uint64_t offset = offset_;
      std::byte* into = into_;
      lock.unlock();
      const int result = plan_.read(into, kPatternBlockBytes, offset);
      lock.lock();
      result_ = result;
      requested_ = false;
      changed_.notify_all();
    }
  }

  const ReadPlan& plan_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool requested_ = false;
  bool quit_ = false;
  uint64_t offset_ = 0;
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
  const ReadPlan plan(file.get(), ranges_, static_cast<uint64_t>(status.st_size));
  const uint64_t size = plan.size();
  const auto blockCount = static_cast<int64_t>(size / kPatternBlockBytes);
  const auto tailBytes = static_cast<size_t>(size % kPatternBlockBytes);

  if (tailBytes > 0) {
    const int result = plan.read(tailArea, tailBytes, static_cast<uint64_t>(blockCount) * kPatternBlockBytes);
    if (result != 0) {
      problem = readProblem(path_, result);
      return PassEnd::kFailed;
    }
  }

  if (blockCount > 0) {
    ReadAhead ahead(plan);
    int free = 0;
    for (int64_t block = 0; block <= blockCount; ++block) {
      if (!sink.blockReached(block, blockCount)) return PassEnd::kStopped;
      if (block < blockCount) {
        ahead.start(static_cast<uint64_t>(block) * kPatternBlockBytes, halves[free]);
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
