#include "model/pattern_fingerprint.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace stridewell {
namespace {

constexpr uint64_t kPieces = 64;
constexpr uint64_t kPieceBytes = 4096;

// FNV-1a, 64 bits.
uint64_t mix(uint64_t hash, const unsigned char* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    hash ^= bytes[i];
    hash *= 0x100000001b3ULL;
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
  struct stat status {};
  if (::fstat(fd, &status) != 0) {
    problem = "Cannot get the size of " + file.string() + ": " + std::strerror(errno);
    ::close(fd);
    return false;
  }
  fingerprint.size = static_cast<uint64_t>(status.st_size);
  uint64_t hash = 0xcbf29ce484222325ULL;
  std::vector<unsigned char> piece(kPieceBytes);
  const uint64_t last = fingerprint.size > kPieceBytes ? fingerprint.size - kPieceBytes : 0;
  for (uint64_t k = 0; k < kPieces; ++k) {
    const uint64_t offset = last * k / (kPieces - 1);
    const auto want = static_cast<size_t>(std::min(kPieceBytes, fingerprint.size - offset));
    size_t got = 0;
    while (got < want) {
      const ssize_t n = ::pread(fd, piece.data() + got, want - got, static_cast<off_t>(offset + got));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        problem = "Cannot read " + file.string() + ": " +
                  (n == 0 ? std::string("the file ended early") : std::string(std::strerror(errno)));
        ::close(fd);
        return false;
      }
      got += static_cast<size_t>(n);
    }
    hash = mix(hash, piece.data(), want);
  }
  ::close(fd);
  fingerprint.hash = hash;
  return true;
}

}  // namespace stridewell
