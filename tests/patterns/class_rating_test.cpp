// Class ratings of the encoding, from the price levels worked out by hand
// against the class level table.
#include "patterns/class_rating.h"

#include <gtest/gtest.h>

namespace stridewell {
namespace {

struct RatingCase {
  uint8_t type;
  int32_t amount;
  int rating;
};

TEST(ClassRating, Table) {
  const RatingCase cases[] = {
      {ClassCode::kClaiming, 40000, 62},  // level 1: 45 + 17
      {ClassCode::kClaiming, 50000, 62},  // still level 1
      {ClassCode::kClaiming, 50001, 63},  // 18 + 1/10,000 -> 18
      {ClassCode::kClaiming, 59999, 63},
      {ClassCode::kClaiming, 60000, 64},       // 18 + 1
      {ClassCode::kClaiming, 110000, 69},      // 18 + 6 = 24
      {ClassCode::kClaiming, 2000000000, 69},  // held at 24
      {ClassCode::kClaiming, 39999, 61},       // level 2
      {ClassCode::kClaiming, 5750, 53},        // level 10: 45 + 8
      {ClassCode::kClaiming, 1500, 47},        // level 16: 45 + 2
      {ClassCode::kClaiming, 1499, 46},        // level 17: 45 + 1
      {ClassCode::kClaiming, 1, 46},
      {ClassCode::kClaiming, 0, 45},   // no price: level 0
      {ClassCode::kClaiming, -5, 46},  // negative amounts count as cheapest
      {ClassCode::kMaiden, -1, 10},
      {ClassCode::kMaiden, -2, 40},     // maiden special weight
      {ClassCode::kMaiden, 40000, 32},  // 15 + 17
      {ClassCode::kMaiden, 0, 15},
      {ClassCode::kMaiden, -3, 16},
      {ClassCode::kAllowance, 30000, 86},  // level 2: 70 + 16
      {ClassCode::kAllowance, 75000, 90},  // 18 + 2
      {ClassCode::kAllowance, 0, 70},
      {ClassCode::kStakes, 100000, 100},
      {ClassCode::kStakes, 1, 100},
      {ClassCode::kNone, 40000, 0},
      {7, 40000, 0},
  };
  for (const RatingCase& c : cases) {
    ClassCode code{c.type, c.amount};
    EXPECT_EQ(classRating(code), c.rating) << "type " << int(c.type) << " amount " << c.amount;
  }
}

TEST(ClassRating, PriceLevelStaysInItsRange) {
  for (int64_t amount = -100000; amount <= 2000000; amount += 250) {
    const int level = priceLevel(static_cast<int32_t>(amount));
    ASSERT_GE(level, 0) << amount;
    ASSERT_LE(level, 24) << amount;
    if (amount != 0) {
      ASSERT_GE(level, 1) << amount;
    }
  }
}

}  // namespace
}  // namespace stridewell
