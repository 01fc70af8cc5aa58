#include "model/exact_sums.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace stridewell {
namespace {

constexpr int64_t kDigitMask = 0xffffffff;

// Each digit but the top one into [0, 2^32), the carry moved up; the top
// digit keeps the sign.
void carry(int64_t* digits) {
  for (int k = 0; k + 1 < ExactSums::kDigits; ++k) {
    const int64_t up = digits[k] >> 32;  // floor division, negative digits included
    digits[k] &= kDigitMask;
    digits[k + 1] += up;
  }
}

}  // namespace

ExactSums::ExactSums(size_t count) : count_(count), digits_(count * kStride, 0) {}

void ExactSums::clear() {
  std::fill(digits_.begin(), digits_.end(), 0);
  addsSinceCarry_ = 0;
}

void ExactSums::addToDigits(int64_t* digits, double term) {
  const uint64_t bits = std::bit_cast<uint64_t>(term);
  const int biased = static_cast<int>((bits >> 52) & 0x7ff);
  // Zero and subnormals lie far below the lowest digit.
  if (biased == 0) return;
  // 2^127 and up, infinities and NaNs.
  if (biased >= 1023 + 127) {
    ++digits[kDigits];
    return;
  }
  // term = +-mantissa * 2^(biased - 1075), mantissa below 2^53.
  uint64_t mantissa = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
  int position = biased - 1075 - kLowestExponent;
  if (position < 0) {
    if (position <= -53) return;
    mantissa >>= -position;
    position = 0;
  }
  const int k = position / 32;
  const int shift = position % 32;
  const uint64_t low = mantissa << shift;
  const int64_t d0 = static_cast<int64_t>(low & kDigitMask);
  const int64_t d1 = static_cast<int64_t>(low >> 32);
  const int64_t d2 = shift == 0 ? 0 : static_cast<int64_t>(mantissa >> (64 - shift));
  if ((bits >> 63) != 0) {
    digits[k] -= d0;
    digits[k + 1] -= d1;
    digits[k + 2] -= d2;
  } else {
    digits[k] += d0;
    digits[k + 1] += d1;
    digits[k + 2] += d2;
  }
}

void ExactSums::carryAll() {
  for (size_t i = 0; i < count_; ++i) carry(&digits_[i * kStride]);
  addsSinceCarry_ = 0;
}

void ExactSums::addAll(const ExactSums& other) {
  // Carried digits are below 2^32 and the other set's below 2^62, so the
  // sums fit; carrying again leaves room for the next 2^30 terms.
  carryAll();
  const size_t n = std::min(digits_.size(), other.digits_.size());
  for (size_t j = 0; j < n; ++j) digits_[j] += other.digits_[j];
  carryAll();
}

std::span<const int64_t> ExactSums::carriedDigits() {
  carryAll();
  return digits_;
}

void ExactSums::setDigits(std::span<const int64_t> digits) {
  std::copy_n(digits.begin(), std::min(digits.size(), digits_.size()), digits_.begin());
  carryAll();
}

double ExactSums::rounded(size_t index) const {
  const int64_t* sum = &digits_[index * kStride];
  if (sum[kDigits] != 0) return std::numeric_limits<double>::quiet_NaN();
  int64_t d[kDigits];
  std::copy_n(sum, kDigits, d);
  carry(d);
  const bool negative = d[kDigits - 1] < 0;
  if (negative) {
    for (int64_t& digit : d) digit = -digit;
    carry(d);
  }
  // Past 2^160: more than 2^31 of the largest terms, or digits that no
  // sets of this kind could have summed to.
  if (d[kDigits - 1] > kDigitMask) return std::numeric_limits<double>::quiet_NaN();
  int top = kDigits - 1;
  while (top >= 0 && d[top] == 0) --top;
  if (top < 0) return 0.0;

  // The top three digits hold the 53 bits kept and the rounding bit; any
  // digit below them only says whether the rest is above a half.
  auto digitAt = [&d](int k) { return k >= 0 ? static_cast<uint64_t>(d[k]) : uint64_t{0}; };
  const uint64_t high = digitAt(top) << 32 | digitAt(top - 1);
  const uint64_t low = digitAt(top - 2);
  bool sticky = false;
  for (int k = 0; k < top - 2; ++k) sticky = sticky || d[k] != 0;

  // The 96-bit value high:low has 33..64 + 32 significant bits; keep 53.
  const int bitsInHigh = 64 - std::countl_zero(high);
  const int drop = bitsInHigh + 32 - 53;  // 12..43
  uint64_t mantissa;
  uint64_t rest;  // the dropped bits, as a fraction of 2^drop
  uint64_t half;
  if (drop > 32) {
    // Dropped: the low bits of `high`, then the whole low digit, which
    // only matters beyond the half.
    mantissa = high >> (drop - 32);
    rest = high & ((uint64_t{1} << (drop - 32)) - 1);
    half = uint64_t{1} << (drop - 33);
    sticky = sticky || low != 0;
  } else if (drop == 32) {
    mantissa = high;
    rest = low;
    half = uint64_t{1} << 31;
  } else {
    mantissa = high << (32 - drop) | low >> drop;
    rest = low & ((uint64_t{1} << drop) - 1);
    half = uint64_t{1} << (drop - 1);
  }
  const bool roundUp = rest > half || (rest == half && (sticky || (mantissa & 1) != 0));
  int exponent = drop + 32 * (top - 2) + kLowestExponent;
  if (roundUp && ++mantissa == (uint64_t{1} << 53)) {
    mantissa >>= 1;
    ++exponent;
  }
  const double magnitude = std::ldexp(static_cast<double>(mantissa), exponent);
  return negative ? -magnitude : magnitude;
}

}  // namespace stridewell
