// Standardising a field: worked examples, the agreement threshold, values
// that are not numbers, and the two entry points giving the same bits.
#include "patterns/field_standardization.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace stridewell {
namespace {

// A field whose input `k` takes the given values, horse by horse; every other
// input is 5.0 for every horse.
std::vector<HorseInputs> fieldWith(size_t k, std::vector<float> values) {
  std::vector<HorseInputs> field(values.size());
  for (size_t i = 0; i < values.size(); ++i) {
    field[i].fill(5.0f);
    field[i][k] = values[i];
  }
  return field;
}

struct Case {
  const char* name;
  std::vector<float> values;
  std::vector<float> expected;
};

TEST(FieldStandardization, WorkedExamples) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  // Two at 1 and 3, three at 2: mean 2, deviation sqrt(2/5), so
  // 1 / (2 sqrt(0.4)) = 0.790569.
  const Case cases[] = {
      {"spread of five", {1, 3, 2, 2, 2}, {-0.790569f, 0.790569f, 0, 0, 0}},
      {"two horses are half a unit either side", {10, 30}, {-0.5f, 0.5f}},
      {"all equal", {7, 7, 7, 7, 7, 7}, {0, 0, 0, 0, 0, 0}},
      {"one horse", {3}, {0}},
      {"spread 2s just below 0.000001", {0, 0.99e-6f}, {0, 0}},
      {"spread 2s just above 0.000001", {0, 1.01e-6f}, {-0.5f, 0.5f}},
      {"a NaN silences the input", {1, nan, 3, 4, 5}, {0, 0, 0, 0, 0}},
      {"so does an infinity", {1, inf, 3, 4, 5}, {0, 0, 0, 0, 0}},
      {"huge values stay finite", {-3e38f, 3e38f}, {-0.5f, 0.5f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (size_t k : {size_t{0}, size_t{42}, size_t{84}}) {
      const auto field = fieldWith(k, c.values);
      for (size_t i = 0; i < c.values.size(); ++i) {
        const HorseInputs out = standardizeField(field, static_cast<int>(i));
        EXPECT_NEAR(out[k], c.expected[i], 1e-6) << "horse " << i << " input " << k;
        // The inputs on which all horses agree become 0.
        EXPECT_EQ(out[(k + 1) % 85], 0.0f);
      }
    }
  }
}

TEST(FieldStandardization, ResultsHaveMeanZeroAndDeviationOneHalf) {
  std::mt19937 random(7);
  std::normal_distribution<float> value(50, 20);
  std::vector<HorseInputs> field(13);
  for (auto& horse : field)
    for (float& v : horse) v = value(random);
  std::vector<HorseInputs> out(field.size());
  standardizeWholeField(field, out);
  for (size_t k = 0; k < 85; ++k) {
    double sum = 0, squares = 0;
    for (const auto& horse : out) sum += horse[k];
    for (const auto& horse : out) squares += double(horse[k]) * horse[k];
    EXPECT_NEAR(sum / 13, 0.0, 1e-6);
    EXPECT_NEAR(std::sqrt(squares / 13), 0.5, 1e-6);
  }
}

TEST(FieldStandardization, WholeFieldMatchesOneHorseAtATime) {
  std::mt19937 random(11);
  std::uniform_real_distribution<float> value(-1000, 1000);
  for (size_t n : {size_t{1}, size_t{5}, size_t{17}, size_t{64}}) {
    std::vector<HorseInputs> field(n);
    for (auto& horse : field)
      for (float& v : horse) v = value(random);
    std::vector<HorseInputs> whole(n);
    standardizeWholeField(field, whole);
    for (size_t i = 0; i < n; ++i) {
      ASSERT_EQ(whole[i], standardizeField(field, static_cast<int>(i))) << n << " horses, horse " << i;
    }
  }
}

TEST(FieldStandardization, IndexOutsideTheField) {
  const auto field = fieldWith(0, {1, 2, 3});
  EXPECT_EQ(standardizeField(field, 3), HorseInputs{});
  EXPECT_EQ(standardizeField(field, -1), HorseInputs{});
  EXPECT_EQ(standardizeField({}, 0), HorseInputs{});
}

}  // namespace
}  // namespace stridewell
