// The generator's own random numbers: xoshiro256** seeded through splitmix64,
// with uniform, integer and normal deviates built from integer arithmetic
// and IEEE additions only. The standard library's distributions are not used
// because their output differs between library versions; with this source
// the same seed gives the same sample files on every machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace stridewell::gen {

// One step of splitmix64: a good 64-bit mix of `state`, which it advances.
uint64_t splitMix64(uint64_t& state);

class RandomSource {
 public:
  explicit RandomSource(uint64_t seed);

  uint64_t next();
  // Uniform in [0, 1), 53 bits.
  double uniform();
  double uniform(double low, double high) { return low + (high - low) * uniform(); }
  // Uniform integer in [low, high], both included; unbiased.
  int between(int low, int high);
  bool chance(double probability) { return uniform() < probability; }
  // Approximately standard normal: the sum of twelve uniforms less six. Its
  // tails stop at +-6, which suits data that must stay plausible.
  double normal();
  double normal(double mean, double deviation) { return mean + deviation * normal(); }
  // An index drawn with the given relative weights (all >= 0, some > 0).
  size_t weighted(const std::vector<double>& weights);
  size_t weighted(std::initializer_list<double> weights);
  // A new source whose sequence depends on this one's seed and `stream`, and
  // not on how many numbers this one has given.
  RandomSource fork(uint64_t stream) const;

  template <typename T>
  const T& pick(const std::vector<T>& items) {
    return items[static_cast<size_t>(between(0, static_cast<int>(items.size()) - 1))];
  }
  template <typename T, size_t N>
  const T& pick(const T (&items)[N]) {
    return items[static_cast<size_t>(between(0, static_cast<int>(N) - 1))];
  }

 private:
  uint64_t seed_;
  uint64_t state_[4];
};

}  // namespace stridewell::gen
