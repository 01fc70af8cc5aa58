// How the processes of a training group share the pattern file. The
// records before the pass's update (the first `expected` of the file) and
// those after it are each cut into contiguous runs, one per process in
// rank order, at multiples of `alignment` records counted from the start of
// each part. A process reads its run before the update, then its run after
// it, and meets the others' update when it has trained the first.
#pragma once

#include <cstdint>
#include <vector>

namespace stridewell {

struct ByteRange {
  uint64_t begin = 0;
  uint64_t end = 0;
  bool operator==(const ByteRange&) const = default;
};

struct RecordRun {
  int64_t first = 0;
  int64_t end = 0;  // one past the last
  int64_t count() const { return end - first; }
  bool operator==(const RecordRun&) const = default;
};

struct PatternShare {
  RecordRun beforeUpdate;
  RecordRun afterUpdate;
  // Whether the pass has an update at all: only when the file holds at
  // least the expected count of records (as for a process alone).
  bool updates = false;
  // The bytes of the two runs, in reading order; empty runs left out.
  std::vector<ByteRange> bytes() const;
};

// The share of process `rank` of `ranks` in a file of `fileBytes` bytes (a
// piece of a record at its end counts for nothing) whose update falls
// after `expectedPatterns` records. `alignment` is at least 1.
PatternShare shareOfPatterns(uint64_t fileBytes, int64_t expectedPatterns, int rank, int ranks,
                             int64_t alignment);

}  // namespace stridewell
