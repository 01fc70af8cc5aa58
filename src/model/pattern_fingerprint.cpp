#include "model/pattern_fingerprint.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace stridewell {
namespace {

constexpr size_t kChunkBytes = size_t{1} << 20;

// Eight bytes at a time, each word multiplied in and its high bits folded
// down, so that every bit of the file reaches every bit of the hash.
uint64_t mix(uint64_t hash, const unsigned char* bytes, size_t count) {
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    uint64_t word = 0;
    std::memcpy(&word, bytes + i, 8);
    hash = (hash ^ word) * 0x9e3779b97f4a7c15ULL;
    hash ^= hash >> 29;
  }
  for (; i < count; ++i) {
    hash = (hash ^ bytes[i]) * 0x100000001b3ULL;
    hash ^= hash >> 29;
  }
  return hash;
}

}  // namespace

bool fingerprintPatternFile(const std::filesystem::path& file, PatternFingerprint& fingerprint,
                            std::string& problem) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    problem = "Cannot open " + file.string() + ": " + std::strerror(errno);
    return false;
  }
  std::vector<unsigned char> chunk(kChunkBytes);
  uint64_t size = 0;
  uint64_t hash = 0xcbf29ce484222325ULL;
  bool ended = false;
  while (!ended) {
    // Whole chunks, however the reads come back, so that the hash depends
    // on the bytes alone.
    size_t filled = 0;
    while (filled < chunk.size()) {
      const ssize_t got = ::read(fd, chunk.data() + filled, chunk.size() - filled);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        problem = "Cannot read " + file.string() + ": " + std::strerror(errno);
        ::close(fd);
        return false;
      }
      if (got == 0) {
        ended = true;
        break;
      }
      filled += static_cast<size_t>(got);
    }
    hash = mix(hash, chunk.data(), filled);
    size += filled;
  }
  ::close(fd);
  fingerprint = {size, mix(hash, reinterpret_cast<const unsigned char*>(&size), sizeof size)};
  return true;
}

}  // namespace stridewell
