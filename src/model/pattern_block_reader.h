// Reads the pattern file for one training pass in 65,536-byte blocks, the
// next block read ahead on a helper thread while the caller trains on the
// previous one. The last size mod 65,536 bytes (the tail) are read once,
// before the blocks, and handed over last. One reader per training run,
// used by one thread (the training thread); the read-ahead thread lives only
// inside readPass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/pattern_share.h"

namespace stridewell {

inline constexpr size_t kPatternBlockBytes = 65536;

// What readPass hands its bytes to, on the calling thread.
class PatternBlockSink {
 public:
  virtual ~PatternBlockSink() = default;
  // Block `block` of `blockCount` is next (block == blockCount once every
  // block has been handed over); called only when blockCount > 0. False
  // asks the pass to stop.
  virtual bool blockReached(int64_t block, int64_t blockCount) = 0;
  // The next bytes of the file, in file order; false asks the pass to stop.
  virtual bool feed(std::span<const std::byte> bytes) = 0;
};

enum class PassEnd { kNormal, kStopped, kFailed };

class PatternBlockReader {
 public:
  explicit PatternBlockReader(std::filesystem::path path);
  ~PatternBlockReader();
  PatternBlockReader(const PatternBlockReader&) = delete;
  PatternBlockReader& operator=(const PatternBlockReader&) = delete;

  // From the next pass on, reads only these ranges of the file, in this
  // order, as if they were the whole file (a process's share of it; none,
  // an empty share). They must start at multiples of 4 bytes; a file
  // shorter than a range fails the pass.
  void readOnly(std::vector<ByteRange> ranges) { ranges_ = std::move(ranges); }

  // One pass over the file: the blocks in order, then the tail. Stopped as
  // soon as the sink asks; failed, with `problem` naming the file and the
  // reason, when the file cannot be opened, sized or read to its end (a
  // file that shrinks under the pass fails it too).
  PassEnd readPass(PatternBlockSink& sink, std::string& problem);

 private:
  std::filesystem::path path_;
  std::optional<std::vector<ByteRange>> ranges_;  // none: the whole file
  // Two blocks and the tail area, allocated on the first pass and kept for
  // the run so that no pass allocates.
  std::unique_ptr<std::byte[]> buffer_;
};

}  // namespace stridewell
