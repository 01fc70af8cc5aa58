#include "model/pattern_share.h"

#include <algorithm>

#include "model/pattern_record.h"

namespace stridewell {
namespace {

// Process `rank`'s run of the `count` records that start at `base`: whole
// steps of `alignment` records, shared out as evenly as they go.
RecordRun runOf(int64_t base, int64_t count, int rank, int ranks, int64_t alignment) {
  const int64_t steps = (count + alignment - 1) / alignment;
  const int64_t firstStep = steps * rank / ranks;
  const int64_t endStep = steps * (rank + 1) / ranks;
  return {base + std::min(count, firstStep * alignment), base + std::min(count, endStep * alignment)};
}

}  // namespace

std::vector<ByteRange> PatternShare::bytes() const {
  std::vector<ByteRange> ranges;
  for (const RecordRun& run : {beforeUpdate, afterUpdate}) {
    if (run.count() <= 0) continue;
    ranges.push_back({static_cast<uint64_t>(run.first) * sizeof(PatternRecord),
                      static_cast<uint64_t>(run.end) * sizeof(PatternRecord)});
  }
  return ranges;
}

PatternShare shareOfPatterns(uint64_t fileBytes, int64_t expectedPatterns, int rank, int ranks,
                             int64_t alignment) {
  alignment = std::max<int64_t>(alignment, 1);
  ranks = std::max(ranks, 1);
  const auto records = static_cast<int64_t>(fileBytes / sizeof(PatternRecord));
  const int64_t expected = std::max<int64_t>(expectedPatterns, 0);
  const int64_t before = std::min(expected, records);
  PatternShare share;
  share.updates = expected > 0 && records >= expected;
  share.beforeUpdate = runOf(0, before, rank, ranks, alignment);
  share.afterUpdate = runOf(before, records - before, rank, ranks, alignment);
  return share;
}

}  // namespace stridewell
