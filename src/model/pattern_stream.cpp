#include "model/pattern_stream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "model/training_arithmetic.h"

namespace stridewell {

PatternStream::PatternStream(SimModel& model, RecordTrainer& trainer, int32_t expectedPatterns)
    : model_(model), trainer_(trainer), updateAt_(expectedPatterns > 0 ? expectedPatterns : kNoUpdate) {}

bool PatternStream::beginPass(int pass, bool firstOfRun) {
  // Records trained after the last update belong to the slopes the new
  // epoch keeps as its history.
  double discarded = 0.0;
  if (!trainer_.flushSums(discarded)) return false;
  carryBytes_ = 0;
  processed_ = 0;
  tss_ = 0.0;
  updated_ = false;
  pass_ = pass;
  model_.startEpoch(firstOfRun);
  // A share with none of the records before the update meets the others'
  // update at once.
  if (updateAt_ == 0) return endEpoch();
  return true;
}

bool PatternStream::feed(std::span<const std::byte> bytes) {
  if (bytes.empty()) return true;
  if (carryBytes_ > 0) {
    const size_t take = std::min(sizeof(PatternRecord) - carryBytes_, bytes.size());
    std::memcpy(reinterpret_cast<std::byte*>(&carry_) + carryBytes_, bytes.data(), take);
    carryBytes_ += take;
    bytes = bytes.subspan(take);
    if (carryBytes_ < sizeof(PatternRecord)) return true;
    carryBytes_ = 0;
    if (!trainBatch(&carry_, 1)) return false;
  }

  // Records sit at multiples of 4 bytes from the start of the file, and the
  // blocks start at multiples of 65,536, so the floats read in place keep
  // their natural alignment. The record type itself is packed (alignment 1).
  const auto* records = reinterpret_cast<const PatternRecord*>(bytes.data());
  size_t whole = bytes.size() / sizeof(PatternRecord);
  while (whole > 0) {
    size_t batch = whole;
    if (processed_ < updateAt_) {
      batch = static_cast<size_t>(std::min<int64_t>(updateAt_ - processed_, static_cast<int64_t>(whole)));
    }
    if (!trainBatch(records, batch)) return false;
    records += batch;
    whole -= batch;
  }

  const size_t rest = bytes.size() % sizeof(PatternRecord);
  if (rest > 0) std::memcpy(&carry_, bytes.data() + bytes.size() - rest, rest);
  carryBytes_ = rest;
  return true;
}

bool PatternStream::trainBatch(const PatternRecord* records, size_t count) {
  if (!trainer_.trainRecords(records, count, tss_)) return false;
  const bool reachesUpdate = processed_ < updateAt_ && processed_ + static_cast<int64_t>(count) >= updateAt_;
  processed_ += static_cast<int64_t>(count);
  if (reachesUpdate) return endEpoch();
  return true;
}

bool PatternStream::endEpoch() {
  if (!trainer_.flushSums(tss_)) return false;
  char message[80];
  std::snprintf(message, sizeof message, "[%c]pass=%d tss=%g", 'E', pass_, tss_);
  model_.logMessage(message);
  model_.quickpropUpdate(kTrainingEpsilon, kTrainingGrowthLimit);
  updated_ = true;
  return true;
}

}  // namespace stridewell
