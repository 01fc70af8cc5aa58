// The reference trainer: one trainPattern call per ordered choice of five
// horses, exactly as a pass is defined. Slow (a 12-horse record is 95,040
// passes through the whole net) but the one the fast trainer is held to.
#include <array>

#include "model/record_trainer.h"

namespace stridewell {

int bestFinisherSlot(const PatternRecord& record, const int choice[kSimHorseSlots]) {
  int best = 0;
  int32_t bestFinish = record.horses[choice[0]].finishPosition;
  for (int slot = 1; slot < kSimHorseSlots; ++slot) {
    const int32_t finish = record.horses[choice[slot]].finishPosition;
    if (finish < bestFinish) {
      bestFinish = finish;
      best = slot;
    }
  }
  return best;
}

namespace {

class LiteralTrainer final : public RecordTrainer {
 public:
  LiteralTrainer(SimModel& model, const std::atomic<int>& stopRequest) : model_(model), stop_(stopRequest) {}

  bool trainRecords(const PatternRecord* records, size_t count, double& tss) override {
    for (size_t r = 0; r < count; ++r) {
      if (!trainRecord(records[r], tss)) return false;
    }
    return true;
  }

 private:
  bool trainRecord(const PatternRecord& record, double& tss) {
    const int n = record.horseCount;
    if (n < kFewestPatternHorses || n > kPatternSlots) return true;
    std::array<float, kSimInputs> inputs{};
    std::array<float, kSimOutputs> targets{};
    int choice[kSimHorseSlots];
    for (int a = 0; a < n; ++a) {
      for (int b = 0; b < n; ++b) {
        if (b == a) continue;
        for (int c = 0; c < n; ++c) {
          if (c == a || c == b) continue;
          for (int d = 0; d < n; ++d) {
            if (d == a || d == b || d == c) continue;
            for (int e = 0; e < n; ++e) {
              if (e == a || e == b || e == c || e == d) continue;
              choice[0] = a, choice[1] = b, choice[2] = c, choice[3] = d, choice[4] = e;
              for (int slot = 0; slot < kSimHorseSlots; ++slot) {
                const float* source = record.horses[choice[slot]].inputs;
                for (int i = 0; i < kSimInputsPerHorse; ++i)
                  inputs[slot * kSimInputsPerHorse + i] = source[i];
                targets[slot] = 0.0f;
              }
              targets[bestFinisherSlot(record, choice)] = 1.0f;
              tss += model_.trainPattern(inputs, targets);
              if (stop_.load(std::memory_order_relaxed) != 0) return false;
            }
          }
        }
      }
    }
    return true;
  }

  SimModel& model_;
  const std::atomic<int>& stop_;
};

}  // namespace

std::unique_ptr<RecordTrainer> makeLiteralTrainer(SimModel& model, const std::atomic<int>& stopRequest) {
  if (!model.hasTrainingState() || model.inputCount() != kSimInputs || model.outputCount() != kSimOutputs) {
    return nullptr;
  }
  return std::make_unique<LiteralTrainer>(model, stopRequest);
}

}  // namespace stridewell
