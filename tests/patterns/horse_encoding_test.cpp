// The 85 inputs of one horse: each read from its byte offset in the stored
// HorseProfile (written here by offset, not by member name), transformed and
// scaled by the float 0.01.
#include "patterns/horse_encoding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <iterator>

#include "profile_bytes.h"

namespace stridewell {
namespace {

using test::ProfileBytes;

float scaled(double raw) {
  return static_cast<float>(raw) * 0.01f;
}

// One horse with a different value in every input, and what each input's
// raw value must be.
TEST(HorseEncoding, EveryInputFromItsOffset) {
  ProfileBytes bytes;
  bytes.put<float>(0, 12.5f).put<uint8_t>(34, 7).put<uint8_t>(38, 3).put<char>(35, 'g');
  bytes.put<uint8_t>(36, 4).put<uint8_t>(37, 122).put<uint8_t>(91, 45).put<int32_t>(96, 1);
  bytes.put<float>(39, 80.25f).put<float>(43, 77.5f).put<float>(47, 95.0f);
  for (int b = 0; b < 8; ++b) {
    bytes.put<int16_t>(51 + 5 * b, static_cast<int16_t>(10 + b));
    bytes.put<uint8_t>(53 + 5 * b, static_cast<uint8_t>(20 + b));
    bytes.put<uint8_t>(54 + 5 * b, static_cast<uint8_t>(30 + b));
    bytes.put<uint8_t>(55 + 5 * b, static_cast<uint8_t>(40 + b));
  }
  bytes.put<uint8_t>(92, 9).put<uint8_t>(93, 6);
  bytes.put<uint8_t>(120, 2).put<uint8_t>(121, 1).put<uint8_t>(122, 3);
  bytes.put<uint8_t>(123, 4).put<uint8_t>(124, 5).put<uint8_t>(125, 6);
  bytes.put<uint8_t>(102, 3).put<uint8_t>(103, 5).put<uint8_t>(94, 2).put<uint8_t>(95, 8);
  bytes.put<int16_t>(100, -850);
  bytes.put<uint8_t>(126, 2).put<int32_t>(127, 40000);  // claiming 40,000: rating 62
  bytes.put<uint8_t>(131, 2);
  bytes.put<float>(104, 3.5f).put<float>(108, 4.5f).put<float>(112, 5.5f).put<float>(116, 6.5f);
  bytes.put<uint8_t>(132, 200).put<float>(133, 101.75f).put<uint8_t>(137, 11);
  bytes.put<uint8_t>(138, 71).put<uint8_t>(139, 72).put<uint8_t>(140, 73).put<uint8_t>(141, 74);
  bytes.put<uint8_t>(142, 12).put<uint8_t>(143, 13);
  const float values[] = {10.5f, 11.5f, -12.5f, 13.5f, 14.5f, 15.5f};
  for (int i = 0; i < 6; ++i) bytes.put<float>(144 + 4 * i, values[i]);
  bytes.put<int16_t>(168, -7).put<int16_t>(170, 300);
  for (int i = 0; i < 4; ++i) bytes.put<float>(172 + 4 * i, 21.0f + i);
  bytes.put<float>(188, 55.5f).put<float>(192, 66.5f);

  double raw[85] = {12.5, 7, 75, 50, 4, 122, 45, 1, 80.25, 77.5, 95.0};
  for (int b = 0; b < 8; ++b) {
    raw[11 + 4 * b] = 10 + b;
    raw[12 + 4 * b] = 20 + b;
    raw[13 + 4 * b] = 30 + b;
    raw[14 + 4 * b] = 40 + b;
  }
  const double rest[] = {9,    6,    2,    1,    3,    4,    5,      6,   3,  5,  2,  8,  -850, 62,
                         2,    3.5,  4.5,  5.5,  6.5,  200,  101.75, 11,  71, 72, 73, 74, 12,   13,
                         10.5, 11.5, 12.5, 13.5, 14.5, 15.5, -7,     300, 21, 22, 23, 24, 55.5, 66.5};
  static_assert(43 + std::size(rest) == 85);
  for (size_t i = 0; i < std::size(rest); ++i) raw[43 + i] = rest[i];

  HorseInputs inputs;
  inputs.fill(-999.0f);
  ASSERT_EQ(encodeHorse(bytes.profile(), inputs), 85);
  for (int i = 0; i < 85; ++i) EXPECT_EQ(inputs[static_cast<size_t>(i)], scaled(raw[i])) << "input " << i;
}

struct CodeCase {
  int value;
  float expected;
};

TEST(HorseEncoding, MedicationBits) {
  const CodeCase cases[] = {{0, 0.0f}, {1, 0.25f},    {2, 0.50f},   {3, 0.75f},
                            {4, 0.0f}, {0xFD, 0.25f}, {0xFF, 0.75f}};
  for (const CodeCase& c : cases) {
    HorseInputs inputs;
    encodeHorse(ProfileBytes().put<uint8_t>(38, static_cast<uint8_t>(c.value)).profile(), inputs);
    EXPECT_EQ(inputs[2], c.expected) << c.value;
  }
}

TEST(HorseEncoding, SexCodes) {
  const CodeCase cases[] = {{'g', 0.50f}, {'f', 0.25f}, {'m', 0.25f}, {'c', 0.75f},
                            {'h', 0.75f}, {'G', 0.75f}, {0, 0.0f},    {'?', 0.75f}};
  for (const CodeCase& c : cases) {
    HorseInputs inputs;
    encodeHorse(ProfileBytes().put<char>(35, static_cast<char>(c.value)).profile(), inputs);
    EXPECT_EQ(inputs[3], c.expected) << static_cast<char>(c.value);
  }
}

TEST(HorseEncoding, EarningsPerStart) {
  struct Case {
    int32_t earnings;
    float expected;
  };
  const Case cases[] = {
      {0, 0.0f},
      {-100, 0.0f},
      {1, 0.01f},  // ln 1 + 1 = 1
      {1000, static_cast<float>(std::log(1000.0) + 1) * 0.01f},
      {INT32_MAX, static_cast<float>(std::log(2147483647.0) + 1) * 0.01f},
  };
  for (const Case& c : cases) {
    HorseInputs inputs;
    encodeHorse(ProfileBytes().put<int32_t>(96, c.earnings).profile(), inputs);
    EXPECT_EQ(inputs[7], c.expected) << c.earnings;
  }
}

TEST(HorseEncoding, WidthsAndSigns) {
  HorseInputs inputs;
  ProfileBytes bytes;
  bytes.put<uint16_t>(51, 0xFFFF);  // starts read as a signed 16-bit count
  bytes.put<uint8_t>(34, 255);      // bytes are unsigned
  bytes.put<int16_t>(100, -32768);
  bytes.put<float>(152, -0.0f);  // competitive level: its size
  encodeHorse(bytes.profile(), inputs);
  EXPECT_EQ(inputs[11], scaled(-1));
  EXPECT_EQ(inputs[1], scaled(255));
  EXPECT_EQ(inputs[55], scaled(-32768));
  EXPECT_FALSE(std::signbit(inputs[73]));
}

}  // namespace
}  // namespace stridewell
