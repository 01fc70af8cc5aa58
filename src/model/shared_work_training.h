// The fast trainer behind makeFastTrainer, for the program's 425-20-5 net:
// first-layer sums shared between a record's choices, the last horse of a
// choice in vector lanes, and whole records shared out over a fixed set of
// threads. Each record's sums are made alone; those of a fixed group of
// records are added in double in record order, and each group's total is
// added exactly (model/exact_sums.h) and rounded once when flushed, so the
// slopes are the same bits for any thread count and however the records
// arrive in calls. Agrees with the literal trainer to rounding.
#pragma once

#include <atomic>
#include <memory>

#include "model/record_trainer.h"

namespace stridewell {

// kAvx512 trains fields of more than 8 horses eight choices at a time and
// the others as kAvx2 does (a processor with AVX-512 has AVX2 too).
enum class TrainingKernel { kPortable, kAvx2, kAvx512 };

// More threads than this are not started, whatever is asked.
inline constexpr int kMostTrainingThreads = 64;

// Records per group: the records given since the last flushSums, untrainable
// ones included, are cut into groups of this many in the order given (the
// first group starts at the first record after the flush). A group's sums
// are made in double and added exactly once, so a share of records that
// starts at a multiple of this count gives the same sums on any machine
// that trains it. Larger groups make fewer exact additions and coarser
// shares.
inline constexpr int kRecordGroupSize = 8;

// Whether this processor has the kernel's instructions.
bool processorRunsTrainingKernel(TrainingKernel kernel);

// The fastest kernel this processor runs.
TrainingKernel fastestTrainingKernel();

// makeFastTrainer with a chosen kernel (tests hold the portable one to the
// same results). Empty when the model is not the program's shape with
// training state or the processor lacks the kernel. threadCount is held to
// 1..kMostTrainingThreads.
std::unique_ptr<RecordTrainer> makeSharedWorkTrainer(SimModel& model, const std::atomic<int>& stopRequest,
                                                     int threadCount, TrainingKernel kernel,
                                                     TrainingGroup* group = nullptr);

}  // namespace stridewell
