// The files a preparation leaves for training: SIMPAT.DAT, a plain run of
// fixed 4,132-byte pattern records (one race each, no header), and
// TVARS.DAT, the 528-byte TrainInfo saying what to train, how long and where
// to save it. Both are packed little-endian records, read and written as
// bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/sim_shape.h"

namespace stridewell {

inline constexpr int kPatternSlots = 12;        // most horses a pattern holds
inline constexpr int kFewestPatternHorses = 5;  // fewest horses a pattern holds
inline constexpr int kHighestPatternFinish = 64;

#pragma pack(push, 1)

// One finisher: its standardised inputs and its official finish (1 to 64).
struct PatternHorse {
  float inputs[kSimInputsPerHorse];
  int32_t finishPosition;
};

struct PatternRecord {
  int32_t horseCount;  // 5 to 12; slots beyond it are padding
  PatternHorse horses[kPatternSlots];
};

struct TrainInfo {
  char targetPath[260];  // where the trained weights go, NUL-terminated
  char simName[260];     // NUL-terminated
  int32_t passes;        // 5, 10, 25 or 50
  int32_t patternCount;  // records in SIMPAT.DAT
};

#pragma pack(pop)

static_assert(sizeof(PatternHorse) == 344);
static_assert(offsetof(PatternHorse, finishPosition) == 340);
static_assert(sizeof(PatternRecord) == 4132);
static_assert(offsetof(PatternRecord, horses) == 4);
static_assert(offsetof(PatternRecord, horses) + sizeof(PatternHorse) == 348);
static_assert(alignof(PatternRecord) == 1);
static_assert(sizeof(TrainInfo) == 528);
static_assert(offsetof(TrainInfo, simName) == 260);
static_assert(offsetof(TrainInfo, passes) == 520);
static_assert(offsetof(TrainInfo, patternCount) == 524);

inline constexpr const char* kPatternFileName = "SIMPAT.DAT";
inline constexpr const char* kTrainInfoFileName = "TVARS.DAT";
inline constexpr const char* kTrainWeightsFileName = "train.SIM";

}  // namespace stridewell
