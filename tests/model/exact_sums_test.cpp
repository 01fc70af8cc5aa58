// Exact sums: every order and grouping of the same terms gives the same
// bits, and those bits are the correctly rounded sum, checked against an
// independent exact summation (floating-point expansions, the partials
// method). Also the rounding ties, the range limits and the integer
// reduction of carried digits that processes use.
#include "model/exact_sums.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace stridewell {
namespace {

// The correctly rounded sum of doubles by exact partials (no two overlap),
// with the half-way correction at the end.
double partialsSum(const std::vector<double>& terms) {
  std::vector<double> partials;
  for (double x : terms) {
    size_t kept = 0;
    for (double y : partials) {
      if (std::fabs(x) < std::fabs(y)) std::swap(x, y);
      const double high = x + y;
      const double low = y - (high - x);
      if (low != 0.0) partials[kept++] = low;
      x = high;
    }
    partials.resize(kept);
    partials.push_back(x);
  }
  if (partials.empty()) return 0.0;
  size_t n = partials.size();
  double high = partials[--n];
  double low = 0.0;
  while (n > 0) {
    const double x = high;
    const double y = partials[--n];
    high = x + y;
    low = y - (high - x);
    if (low != 0.0) break;
  }
  if (n > 0 && ((low < 0.0 && partials[n - 1] < 0.0) || (low > 0.0 && partials[n - 1] > 0.0))) {
    const double y = low * 2.0;
    const double x = high + y;
    if (y == x - high) high = x;
  }
  return high;
}

double sumInOrder(const std::vector<double>& terms) {
  ExactSums sums(1);
  for (double term : terms) sums.add(0, term);
  return sums.rounded(0);
}

bool sameBits(double a, double b) {
  return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

TEST(ExactSums, AnyOrderAndGroupingGivesTheCorrectlyRoundedSum) {
  struct Case {
    const char* name;
    int count;
    int lowestExponent;
    int highestExponent;
    double negativeShare;
  };
  // Exponents keep every bit of a term at or above 2^-160.
  const Case cases[] = {
      {"similar sizes, all positive", 2000, -3, 3, 0.0},
      {"similar sizes, mixed signs", 2000, -3, 3, 0.5},
      {"slopes of a pass: tiny to large", 5000, -60, 40, 0.5},
      {"the whole range", 3000, -107, 120, 0.5},
      {"heavy cancellation", 4000, 60, 62, 0.5},
      {"a few terms", 3, -10, 10, 0.3},
  };
  std::mt19937_64 random(20261209);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::uniform_int_distribution<int> exponent(c.lowestExponent, c.highestExponent);
    std::uniform_real_distribution<double> mantissa(1.0, 2.0);
    std::bernoulli_distribution negative(c.negativeShare);
    std::vector<double> terms;
    for (int i = 0; i < c.count; ++i) {
      const double term = std::ldexp(mantissa(random), exponent(random));
      terms.push_back(negative(random) ? -term : term);
    }
    if (std::string_view(c.name) == "heavy cancellation") {
      // Every large term cancelled by its negative, leaving a small rest.
      const size_t half = terms.size();
      for (size_t i = 0; i < half; ++i) terms.push_back(-terms[i]);
      terms.push_back(std::ldexp(1.25, -30));
    }
    const double expected = partialsSum(terms);
    EXPECT_TRUE(sameBits(sumInOrder(terms), expected)) << sumInOrder(terms) << " vs " << expected;

    std::vector<double> shuffled = terms;
    std::shuffle(shuffled.begin(), shuffled.end(), random);
    EXPECT_TRUE(sameBits(sumInOrder(shuffled), expected));
    std::reverse(shuffled.begin(), shuffled.end());
    EXPECT_TRUE(sameBits(sumInOrder(shuffled), expected));

    // Split over three sets (as over threads), joined in two groupings.
    for (int split = 0; split < 2; ++split) {
      ExactSums parts[3] = {ExactSums(1), ExactSums(1), ExactSums(1)};
      for (size_t i = 0; i < shuffled.size(); ++i) parts[(i * (split + 1) / 7) % 3].add(0, shuffled[i]);
      if (split == 0) {
        parts[0].addAll(parts[1]);
        parts[0].addAll(parts[2]);
        EXPECT_TRUE(sameBits(parts[0].rounded(0), expected));
      } else {
        parts[2].addAll(parts[1]);
        parts[2].addAll(parts[0]);
        EXPECT_TRUE(sameBits(parts[2].rounded(0), expected));
      }
    }
  }
}

TEST(ExactSums, RoundsToNearestWithTiesToEven) {
  const double two53 = std::ldexp(1.0, 53);
  struct Case {
    const char* name;
    std::vector<double> terms;
    double sum;
  };
  const Case cases[] = {
      {"nothing", {}, 0.0},
      {"cancelled exactly", {std::ldexp(1.0, 100), 1.0, -std::ldexp(1.0, 100)}, 1.0},
      // 2^53 + 1 lies halfway between 2^53 and 2^53 + 2: ties go to the even 2^53.
      {"tie to even, down", {two53, 1.0}, two53},
      // 2^53 + 3 lies halfway between 2^53 + 2 and 2^53 + 4: the even one is 2^53 + 4.
      {"tie to even, up", {two53, 3.0}, two53 + 4.0},
      // Just above the half: 2^53 + 1 + 2^-100 rounds up to 2^53 + 2.
      {"a far bit breaks the tie", {two53, 1.0, std::ldexp(1.0, -100)}, two53 + 2.0},
      {"just below the half", {two53, 1.0, -std::ldexp(1.0, -100)}, two53},
      {"negative tie", {-two53, -1.0}, -two53},
      {"carry into a new bit", {two53 - 1.0, 0.5, 0.5}, two53},
      // With 2^52 on top the rounding bit is the top bit of a digit (0.5):
      // 2^52 + 1.5 is a tie that goes to the even 2^52 + 2, 2^52 + 0.5 to 2^52.
      {"the half as a whole digit, up", {std::ldexp(1.0, 52), 1.0, 0.5}, std::ldexp(1.0, 52) + 2.0},
      {"the half as a whole digit, down", {std::ldexp(1.0, 52), 0.5}, std::ldexp(1.0, 52)},
      // With 2^60 on top the half is 2^7 and the next digit down is dropped
      // whole: its 2^-10 lifts 2^60 + 2^7 above the half.
      {"a dropped digit breaks the tie",
       {std::ldexp(1.0, 60), std::ldexp(1.0, 7), std::ldexp(1.0, -10)},
       std::ldexp(1.0, 60) + std::ldexp(1.0, 8)},
      {"a tie with nothing below", {std::ldexp(1.0, 60), std::ldexp(1.0, 7)}, std::ldexp(1.0, 60)},
      // Terms below 2^-160 count as nothing; 2^-160 itself counts.
      {"below the lowest digit", {1.0, std::ldexp(1.0, -161), std::ldexp(1.0, -200)}, 1.0},
      {"the lowest digit", {std::ldexp(1.0, -160), std::ldexp(1.0, -160)}, std::ldexp(1.0, -159)},
      {"the largest terms", {std::ldexp(1.5, 126), std::ldexp(1.5, 126)}, std::ldexp(1.5, 127)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(sameBits(sumInOrder(c.terms), c.sum)) << sumInOrder(c.terms) << " vs " << c.sum;
  }
}

TEST(ExactSums, TermsOutOfRangeMakeOnlyTheirOwnSumNaN) {
  const double bad[] = {std::ldexp(1.0, 127), -std::ldexp(1.0, 200), std::numeric_limits<double>::infinity(),
                        std::numeric_limits<double>::quiet_NaN()};
  for (double term : bad) {
    SCOPED_TRACE(term);
    ExactSums sums(2);
    sums.add(0, 1.0);
    sums.add(0, term);
    sums.add(1, 2.5);
    EXPECT_TRUE(std::isnan(sums.rounded(0)));
    EXPECT_EQ(sums.rounded(1), 2.5);
    // The mark survives a reduction of digits.
    ExactSums other(2);
    other.setDigits(sums.carriedDigits());
    EXPECT_TRUE(std::isnan(other.rounded(0)));
    sums.clear();
    EXPECT_EQ(sums.rounded(0), 0.0);
  }
  // Digits summing past the range (2^160 and up) are no number either.
  std::vector<int64_t> digits(ExactSums::kStride, 0);
  digits[ExactSums::kDigits - 1] = int64_t{1} << 32;
  ExactSums huge(1);
  huge.setDigits(digits);
  EXPECT_TRUE(std::isnan(huge.rounded(0)));
  digits[ExactSums::kDigits - 1] = -(int64_t{1} << 32);
  huge.setDigits(digits);
  EXPECT_TRUE(std::isnan(huge.rounded(0)));
}

TEST(ExactSums, AddingCarriedDigitsAsIntegersAddsTheSums) {
  // What a reduction across processes does: digit-wise integer sums.
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> value(-1e6, 1e6);
  constexpr size_t kCount = 50;
  std::vector<ExactSums> processes(3, ExactSums(kCount));
  ExactSums all(kCount);
  for (int i = 0; i < 3000; ++i) {
    const size_t index = static_cast<size_t>(i) % kCount;
    const double term = value(random) * std::ldexp(1.0, i % 40 - 20);
    processes[static_cast<size_t>(i) % 3].add(index, term);
    all.add(index, term);
  }
  std::vector<int64_t> reduced(kCount * ExactSums::kStride, 0);
  for (ExactSums& process : processes) {
    const std::span<const int64_t> digits = process.carriedDigits();
    ASSERT_EQ(digits.size(), reduced.size());
    for (size_t j = 0; j < digits.size(); ++j) reduced[j] += digits[j];
  }
  ExactSums gathered(kCount);
  gathered.setDigits(reduced);
  for (size_t i = 0; i < kCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(sameBits(gathered.rounded(i), all.rounded(i)));
  }
}

}  // namespace
}  // namespace stridewell
