// The arithmetic of a training pass, apart from the file it reads: a
// RecordTrainer shows each pattern record's races to the model as every
// ordered choice of five horses and adds the error gradient to the model's
// slopes. The literal trainer runs trainPattern per choice and is the
// reference; the fast one shares work between choices and threads.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>

#include "model/pattern_record.h"
#include "model/sim_model.h"

namespace stridewell {

class TrainingGroup;

class RecordTrainer {
 public:
  virtual ~RecordTrainer() = default;

  // Trains on records[0..count) in order, adding each choice's squared
  // error to `tss` and its gradient to the model's slopes. Returns false as
  // soon as it sees a stop request (non-zero); the slopes then hold a
  // partial sum that the caller discards. Records with a horse count
  // outside 5..12 are skipped.
  virtual bool trainRecords(const PatternRecord* records, size_t count, double& tss) = 0;

  // A trainer may gather its sums apart from the model and hand them over
  // here: afterwards the model's slopes and `tss` hold everything trained
  // since the last call. Call it before the model's slopes are read or
  // changed (the update at the end of a pass, the start of the next one).
  // A trainer that shares the run with other processes adds their sums
  // too; it returns false, the sums discarded, when the processes agreed
  // there that the run ends (a stop or a failure somewhere).
  virtual bool flushSums(double& tss) {
    (void)tss;
    return true;
  }
};

// One trainPattern call per choice, in the order a,b,c,d,e (e innermost);
// the stop request is read after every choice.
std::unique_ptr<RecordTrainer> makeLiteralTrainer(SimModel& model, const std::atomic<int>& stopRequest);

// The shared-work trainer over `threadCount` threads (at least 1). Empty
// when the model is not the program's 425-20-5 shape with training state.
// A fixed group of records is summed in double in record order and each
// group's sums are added exactly until flushSums rounds them once, so
// results are identical for any thread count, and agree with the literal
// trainer to rounding. With a `group` its sums are added over the group's processes
// at every flush, so results are identical for any count of processes too.
std::unique_ptr<RecordTrainer> makeFastTrainer(SimModel& model, const std::atomic<int>& stopRequest,
                                               int threadCount, TrainingGroup* group = nullptr);

// The target of a choice: 1.0 for the slot of the best finisher among the
// five (the earlier slot on a tie), 0.0 for the others.
int bestFinisherSlot(const PatternRecord& record, const int choice[kSimHorseSlots]);

// The fast trainer over `threadCount` threads unless `literal`, falling back
// to the literal one when the fast one refuses the model. With a `group`
// only the fast trainer will do: empty when it refuses or `literal`.
std::unique_ptr<RecordTrainer> makeTrainer(SimModel& model, const std::atomic<int>& stopRequest,
                                           int threadCount, bool literal, TrainingGroup* group = nullptr);

}  // namespace stridewell
