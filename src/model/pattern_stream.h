// The pattern file as the trainer sees it: bytes arrive in blocks of any
// size, whole 4,132-byte records are trained on in place, in file order, and
// a record split between two blocks is put together in a one-record carry.
// The pass's update comes at the record where the expected pattern count is
// reached. Used by the training thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "model/pattern_record.h"
#include "model/record_trainer.h"
#include "model/sim_model.h"

namespace stridewell {

class PatternStream {
 public:
  // `expectedPatterns` is the record count the train information gives.
  PatternStream(SimModel& model, RecordTrainer& trainer, int32_t expectedPatterns);

  // Where the update of a pass falls when this stream sees only a share of
  // the file: after `records` of the records fed (at once, when 0), or
  // never (kNoUpdate). By default it falls at the expected count.
  static constexpr int64_t kNoUpdate = -1;
  void setUpdatePoint(int64_t records) { updateAt_ = records; }

  // Begins pass `pass` (1-based): the carry is emptied, the counters start
  // at 0 and the model starts its epoch (its gradient history reset when
  // `firstOfRun`). False when the trainer's sums could not be handed over
  // because the run is ending (see RecordTrainer::flushSums).
  bool beginPass(int pass, bool firstOfRun);

  // Trains on the next bytes of the file. The records go to the trainer in
  // batches (all whole records of the bytes at once, split where the pass's
  // update falls). When the count of records reaches the expected count the
  // pass ends: "[E]pass=%d tss=%g" to the model's sink and the quickprop
  // update; records beyond it add to the slopes of the next pass's history.
  // False when the trainer saw a stop request or the run is ending.
  bool feed(std::span<const std::byte> bytes);

  int pass() const { return pass_; }
  double tss() const { return tss_; }
  int64_t processed() const { return processed_; }
  // Whether this pass's update has been made.
  bool updated() const { return updated_; }
  // Bytes of an incomplete record waiting for the next block.
  size_t carryBytes() const { return carryBytes_; }

 private:
  // Trains on `count` whole records; false on a stop.
  bool trainBatch(const PatternRecord* records, size_t count);
  bool endEpoch();

  SimModel& model_;
  RecordTrainer& trainer_;
  int64_t updateAt_;
  int pass_ = 0;
  double tss_ = 0.0;
  int64_t processed_ = 0;
  bool updated_ = false;
  // The record type is packed; the trainers read its floats through float
  // pointers, so the carry keeps them at their natural alignment.
  alignas(float) PatternRecord carry_{};
  size_t carryBytes_ = 0;
};

}  // namespace stridewell
