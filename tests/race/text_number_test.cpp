#include "race/text_number.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace stridewell {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

TEST(TextNumber, ToIntReadsLikeAtoiAndSaturates) {
  struct Case {
    std::string text;
    int32_t expected;
  };
  const Case cases[] = {
      {"", 0},
      {"abc", 0},
      {"42", 42},
      {"  42", 42},
      {"\t\n-7", -7},  // C white space before the sign
      {"+12", 12},
      {"-0", 0},
      {"12abc", 12},
      {"3.9", 3},
      {"- 7", 0},
      {"--7", 0},
      {"+-7", 0},
      {"0x1A", 0},
      {"007", 7},
      {"2147483647", kMax},
      {"2147483648", kMax},
      {"99999999999999999999999", kMax},
      {"-2147483648", kMin},
      {"-2147483649", kMin},
      {"-99999999999999999999999", kMin},
      {"4294967296", kMax},  // would wrap to 0 in 32 bits
  };
  for (const Case& c : cases) {
    EXPECT_EQ(toInt(c.text), c.expected) << "text \"" << c.text << "\"";
  }
}

TEST(TextNumber, ToDoubleReadsLikeAtof) {
  struct Case {
    std::string text;
    double expected;
  };
  const Case cases[] = {
      {"", 0.0},        {"abc", 0.0},       {"3.5", 3.5},    {"  -2.25x", -2.25}, {"+.5", 0.5},
      {"-.5", -0.5},    {"5.", 5.0},        {"1e3", 1000.0}, {"1e", 1.0},         {"2.5e-1", 0.25},
      {"+-1", 0.0},     {"- 1", 0.0},       {"\t7", 7.0},    {"1e-400", 0.0},  // underflow gives zero
      {"-1e-400", 0.0}, {"1000e-400", 0.0}, {"0.5/2", 0.5},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(toDouble(c.text), c.expected) << "text \"" << c.text << "\"";
  }
  EXPECT_EQ(toDouble("1e400"), HUGE_VAL);
  EXPECT_EQ(toDouble("-1e400"), -HUGE_VAL);
}

// Out-of-range decimals are zero when tiny and infinite when huge, however
// the magnitude is written: with leading zeros or with a large mantissa.
TEST(TextNumber, ToDoubleOutOfRangeBySize) {
  const std::string zeros(400, '0');
  EXPECT_EQ(toDouble("0." + zeros + "1"), 0.0);
  EXPECT_EQ(toDouble("-0." + zeros + "1"), 0.0);
  EXPECT_EQ(toDouble("1" + zeros), HUGE_VAL);
  EXPECT_EQ(toDouble("1" + zeros + "e-10"), HUGE_VAL);       // 1e390
  EXPECT_EQ(toDouble("1" + zeros + "e-790"), 0.0);           // 1e-390
  EXPECT_DOUBLE_EQ(toDouble("0." + zeros + "1e500"), 1e99);  // in range after all
}

// Plain decimals - the card's usual numbers - are converted without
// from_chars; the result must be the very same double, sign of zero and
// last bit included, wherever the 15-digit limit of that short cut falls.
TEST(TextNumber, ToDoubleOfPlainDecimalsIsExactlyFromChars) {
  auto fromChars = [](const std::string& text) {
    double value = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() ? value : 0.0;
  };
  // The digit limit of the short cut, and texts it must leave to from_chars.
  const std::vector<std::string> edges = {"123456789012345",     // 15 digits: the longest the short cut takes
                                          "1234567890123456",    // 16
                                          "9007199254740993",    // 2^53 + 1
                                          "0.000000000000001",   // 15 digits after the point
                                          "0.0000000000000001",  // 16
                                          "99999999999999.9",   "999999999999999", "00000000000000012"};
  std::vector<std::string> texts = {"0",    "-0",    "-0.0", "0.000", ".5",     "-.5",
                                    "5.",   "1.5",   "0.1",  "0.3",   "103.79", "-2.25",
                                    "1.5x", "1.5.2", "1.5e", "1.5e3", "2E-2",   "1-2"};
  texts.insert(texts.end(), edges.begin(), edges.end());
  std::mt19937 rng(1729);
  const char* tails[] = {"", "", "", "x", ".", "e", "e2", " ", "/2", "-"};
  for (int i = 0; i < 20000; ++i) {
    std::string text = rng() % 4 == 0 ? "-" : "";
    const int whole = static_cast<int>(rng() % 12);
    for (int d = 0; d < whole; ++d) text += static_cast<char>('0' + rng() % 10);
    if (rng() % 3 != 0) {
      text += '.';
      const int fraction = static_cast<int>(rng() % 10);
      for (int d = 0; d < fraction; ++d) text += static_cast<char>('0' + rng() % 10);
    }
    text += tails[rng() % std::size(tails)];
    texts.push_back(text);
  }
  for (const std::string& text : texts) {
    EXPECT_EQ(std::bit_cast<uint64_t>(toDouble(text)), std::bit_cast<uint64_t>(fromChars(text)))
        << "text \"" << text << "\"";
  }
}

TEST(TextNumber, ToDoubleIgnoresTheProcessLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  const char* candidates[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"};
  bool switched = false;
  for (const char* name : candidates) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr) {
      switched = true;
      break;
    }
  }
  if (!switched) GTEST_SKIP() << "no locale with a decimal comma installed";
  const double value = toDouble("3.25");
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_DOUBLE_EQ(value, 3.25);
}

TEST(TextNumber, NarrowingKeepsLowBits) {
  EXPECT_EQ(lowByte(300), 44);
  EXPECT_EQ(lowByte(-1), 255);
  EXPECT_EQ(low16(70000), 70000 - 65536);
  EXPECT_EQ(low16(40000), 40000 - 65536);
  EXPECT_EQ(truncToInt(2.9), 2);
  EXPECT_EQ(truncToInt(-2.9), -2);
  EXPECT_EQ(truncToInt(1e12), kMax);
  EXPECT_EQ(truncToInt(-1e12), kMin);
  EXPECT_EQ(truncToInt(std::nan("")), 0);
}

}  // namespace
}  // namespace stridewell
