#include "random_source.h"

namespace stridewell::gen {
namespace {

uint64_t rotateLeft(uint64_t x, int k) {
  return (x << k) | (x >> (64 - k));
}

}  // namespace

uint64_t splitMix64(uint64_t& state) {
  uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

RandomSource::RandomSource(uint64_t seed) : seed_(seed) {
  uint64_t mix = seed;
  for (uint64_t& word : state_) word = splitMix64(mix);
}

uint64_t RandomSource::next() {
  const uint64_t result = rotateLeft(state_[1] * 5, 7) * 9;
  const uint64_t t = state_[1] << 17;
  state_[2] ^= state_[0];
  state_[3] ^= state_[1];
  state_[1] ^= state_[2];
  state_[0] ^= state_[3];
  state_[2] ^= t;
  state_[3] = rotateLeft(state_[3], 45);
  return result;
}

double RandomSource::uniform() {
  return static_cast<double>(next() >> 11) * 0x1.0p-53;
}

int RandomSource::between(int low, int high) {
  if (high <= low) return low;
  const uint64_t range = static_cast<uint64_t>(static_cast<int64_t>(high) - low) + 1;
  // Reject the top partial block so that every value is equally likely.
  const uint64_t limit = UINT64_MAX - UINT64_MAX % range;
  uint64_t value;
  do {
    value = next();
  } while (value >= limit);
  return static_cast<int>(low + static_cast<int64_t>(value % range));
}

double RandomSource::normal() {
  double sum = 0.0;
  for (int i = 0; i < 12; ++i) sum += uniform();
  return sum - 6.0;
}

size_t RandomSource::weighted(const std::vector<double>& weights) {
  double total = 0.0;
  for (double w : weights) total += w;
  double target = uniform() * total;
  for (size_t i = 0; i < weights.size(); ++i) {
    if (target < weights[i]) return i;
    target -= weights[i];
  }
  // Rounding can leave the target just past the end: the last non-zero weight.
  for (size_t i = weights.size(); i > 0; --i) {
    if (weights[i - 1] > 0) return i - 1;
  }
  return 0;
}

size_t RandomSource::weighted(std::initializer_list<double> weights) {
  return weighted(std::vector<double>(weights));
}

RandomSource RandomSource::fork(uint64_t stream) const {
  uint64_t mix = seed_ ^ (stream * 0xd1342543de82ef95ULL);
  splitMix64(mix);
  return RandomSource(splitMix64(mix));
}

}  // namespace stridewell::gen
