// Sums of doubles that come out the same, bit for bit, whatever order the
// terms arrive in and however they are grouped: each term is cut into a
// fixed-point integer and integers add exactly. Training uses them so that
// a SIM does not depend on how many threads or processes shared a pass.
//
// A sum is a row of 32-bit digits held in 64-bit integers: value =
// sum_k digit[k] * 2^(32k + kLowestExponent). A term adds at most 32 bits
// to each of three digits, so digits need carrying only after about 2^31
// terms; the set carries them itself before that. Terms below 2^-160 count
// as nothing (cut toward zero, the same cut whatever the order); a term of
// magnitude 2^127 or more, an infinity or a NaN makes its sum NaN.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace stridewell {

class ExactSums {
 public:
  static constexpr int kLowestExponent = -160;
  static constexpr int kDigits = 10;  // 320 bits: terms below 2^127, 2^31 of them at a time
  // Integers per sum in the digit rows: the digits, then a count of the
  // out-of-range terms the sum was given.
  static constexpr int kStride = kDigits + 1;

  explicit ExactSums(size_t count = 0);

  size_t size() const { return count_; }

  // Every sum back to zero.
  void clear();

  void add(size_t index, double term) {
    addToDigits(&digits_[index * kStride], term);
    if (++addsSinceCarry_ >= kAddsBeforeCarry) carryAll();
  }

  // Adds another set of the same size, sum by sum.
  void addAll(const ExactSums& other);

  // The double nearest to the exact sum (ties to even); NaN when a term was
  // out of range.
  double rounded(size_t index) const;

  // The digits, carried so that each lies in [0, 2^32) apart from the top
  // one of a sum, which holds the sign. Adding the digits of several sets
  // as plain integers (a reduction across processes) then gives their
  // exact sum for up to 2^31 sets, and the out-of-range counts add up too.
  std::span<const int64_t> carriedDigits();
  // Replaces the digits with ones made by such a reduction.
  void setDigits(std::span<const int64_t> digits);

 private:
  static constexpr int64_t kAddsBeforeCarry = int64_t{1} << 30;
  static void addToDigits(int64_t* digits, double term);
  void carryAll();

  size_t count_ = 0;
  std::vector<int64_t> digits_;  // kStride per sum
  int64_t addsSinceCarry_ = 0;
};

}  // namespace stridewell
