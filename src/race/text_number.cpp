#include "race/text_number.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace stridewell {
namespace {

bool isCSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

size_t skipSpace(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && isCSpace(text[i])) ++i;
  return i;
}

// For a decimal text [first, end) that does not fit a double: true when it
// is too small (its leading digit sits below the units place once the
// exponent is applied), false when it is too large. The digits decide, not
// just the exponent's sign: "0.000...1" and "1000...e-10" are both possible.
bool belowOne(const char* first, const char* end) {
  const char* p = first;
  if (p != end && (*p == '-' || *p == '+')) ++p;
  int64_t magnitude = 0;  // decimal exponent of the leading significant digit
  bool significant = false;
  bool afterPoint = false;
  for (; p != end && *p != 'e' && *p != 'E'; ++p) {
    if (*p == '.') {
      afterPoint = true;
    } else if (!significant) {
      if (afterPoint) --magnitude;
      significant = *p != '0';
    } else if (!afterPoint) {
      ++magnitude;
    }
  }
  if (p != end) {  // the exponent part, saturated far beyond any double
    ++p;
    const bool negative = p != end && *p == '-';
    if (p != end && (*p == '-' || *p == '+')) ++p;
    int64_t exponent = 0;
    for (; p != end && *p >= '0' && *p <= '9'; ++p) {
      exponent = std::min<int64_t>(exponent * 10 + (*p - '0'), 1'000'000'000);
    }
    magnitude += negative ? -exponent : exponent;
  }
  return magnitude < 0;
}

// Powers of ten that a double holds exactly.
constexpr double kExactPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
constexpr int kMaxExactDigits = 15;  // below 2^53, so exact as a double

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// The card's usual numbers - an optional minus, digits, an optional point and
// more digits, 15 digits at most - converted without from_chars, which most
// of the reading time went to. The digits taken as an integer and the power
// of ten are both exact, so the one division rounds the decimal correctly,
// just as from_chars does. False for any other form (exponents, "inf", ...),
// which from_chars then reads.
bool readPlainDecimal(const char* p, const char* end, double& value) {
  const bool negative = p != end && *p == '-';
  if (negative) ++p;
  int64_t digits = 0;
  int digitCount = 0;
  int fractionDigits = 0;
  auto takeDigit = [&](char c) {
    // Beyond 15 digits the text is left to from_chars; stop adding before
    // the integer could overflow.
    if (++digitCount <= kMaxExactDigits) digits = digits * 10 + (c - '0');
  };
  for (; p != end && isDigit(*p); ++p) takeDigit(*p);
  if (p != end && *p == '.') {
    for (++p; p != end && isDigit(*p); ++p, ++fractionDigits) takeDigit(*p);
  }
  if (digitCount == 0 || digitCount > kMaxExactDigits) return false;
  if (p != end && (*p == 'e' || *p == 'E')) return false;  // perhaps an exponent
  const double magnitude = static_cast<double>(digits) / kExactPowersOfTen[fractionDigits];
  value = negative ? -magnitude : magnitude;
  return true;
}

}  // namespace

int32_t toInt(std::string_view text) {
  size_t i = skipSpace(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kLimit) value = kLimit;  // saturate, keep consuming digits
  }
  if (negative) return static_cast<int32_t>(-value);
  return value >= kLimit ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(value);
}

double toDouble(std::string_view text) {
  size_t i = skipSpace(text);
  if (i < text.size() && text[i] == '+') {
    ++i;
    if (i < text.size() && text[i] == '-') return 0.0;  // "+-1" converts nothing
  }
  const char* first = text.data() + i;
  const char* last = text.data() + text.size();
  double value = 0.0;
  if (first == last) return value;  // most card fields read as numbers are empty
  if (readPlainDecimal(first, last, value)) return value;
  auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
  if (error == std::errc::result_out_of_range) {
    // Too large or too small for a double: like atof, infinity or zero.
    const bool negative = first != last && *first == '-';
    if (belowOne(first, end)) return negative ? -0.0 : 0.0;
    return negative ? -HUGE_VAL : HUGE_VAL;
  }
  if (error != std::errc()) return 0.0;
  return value;
}

int32_t truncToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

}  // namespace stridewell
