// The network's random source: two 16-bit multiply-with-carry sequences
// combined into one 32-bit value. Every SimModel owns one, so two instances
// started from the same state draw the same values; it is a plain value
// type, safe to copy, and belongs to whichever thread owns its model.
#pragma once

#include <cstdint>

namespace stridewell {

struct MwcRandom {
  // The fixed seeds every model starts from.
  static constexpr uint32_t kSeedZ = 0x12345678u;
  static constexpr uint32_t kSeedW = 0x90ABCDEFu;
  // The double nearest to 1 / 4294967295, so that uniform() reaches 1.0.
  static constexpr double kUnitScale = 2.3283064370807974e-10;

  uint32_t z = kSeedZ;  // the sequence with multiplier 30903
  uint32_t w = kSeedW;  // the sequence with multiplier 18000

  // The next 32-bit value; all arithmetic wraps at 32 bits.
  uint32_t next() {
    z = 30903u * (z & 0xFFFFu) + (z >> 16);
    w = 18000u * (w & 0xFFFFu) + (w >> 16);
    return (z << 16) + w;
  }

  // A value in [0, 1].
  double uniform() { return next() * kUnitScale; }

  // A value in [-range, range]; the operations run in this order so that a
  // given state always gives the same bits.
  double symmetric(double range) { return uniform() * range * 2 - range; }
};

}  // namespace stridewell
