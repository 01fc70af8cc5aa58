// Kept apart from the training session so that a program that brings its
// own trainer factory (the tests) does not link the fast trainer.
#include "model/record_trainer.h"

namespace stridewell {

std::unique_ptr<RecordTrainer> makeTrainer(SimModel& model, const std::atomic<int>& stopRequest,
                                           int threadCount, bool literal, TrainingGroup* group) {
  // Only the fast trainer's sums can be added over processes.
  if (group != nullptr) return literal ? nullptr : makeFastTrainer(model, stopRequest, threadCount, group);
  if (!literal) {
    if (std::unique_ptr<RecordTrainer> fast =
            makeFastTrainer(model, stopRequest, threadCount < 1 ? 1 : threadCount)) {
      return fast;
    }
  }
  return makeLiteralTrainer(model, stopRequest);
}

}  // namespace stridewell
