#include "race/class_levels.h"

#include <gtest/gtest.h>

namespace stridewell {
namespace {

constexpr uint8_t kM = ClassCode::kMaiden;
constexpr uint8_t kC = ClassCode::kClaiming;
constexpr uint8_t kA = ClassCode::kAllowance;
constexpr uint8_t kS = ClassCode::kStakes;

TEST(ClassLevels, LevelIsThePositionOfTheFirstThresholdReached) {
  struct Case {
    int32_t amount;
    int level;
  };
  const Case cases[] = {{1000000, 1}, {40000, 1}, {39999, 2}, {30000, 2}, {25000, 3}, {23000, 3},
                        {22999, 4},   {10000, 7}, {9500, 7},  {9499, 8},  {4500, 11}, {1500, 16},
                        {1499, 17},   {1000, 17}, {999, 17},  {0, 17},    {-2, 17}};
  for (const Case& c : cases) EXPECT_EQ(classLevel(c.amount), c.level) << c.amount;
}

struct ClassPair {
  ClassCode a;
  ClassCode b;
  bool expected;
};

TEST(ClassLevels, ClassAtLeast) {
  const ClassPair cases[] = {
      // Unknown classes never rank below anything.
      {{0, 0}, {kS, 1}, true},
      {{kM, -1}, {0, 0}, true},
      // Maidens: special weight ranks first, an unpriced maiden last.
      {{kM, -2}, {kM, 50000}, true},
      {{kM, 50000}, {kM, -2}, true},
      {{kM, -1}, {kM, 5000}, false},
      {{kM, 5000}, {kM, -1}, true},
      {{kM, 20000}, {kM, 30000}, false},
      // Claiming and allowance by level.
      {{kC, 25000}, {kC, 10000}, true},
      {{kC, 10000}, {kC, 25000}, false},
      {{kC, 10000}, {kC, 9500}, true},  // both level 7
      {{kA, 12000}, {kA, 15000}, false},
      // Stakes are all alike.
      {{kS, 3}, {kS, 1}, true},
      {{kS, 100000}, {kS, 1}, true},
      // Other type pairs rank by type.
      {{kS, 1}, {kC, 80000}, true},
      {{kC, 80000}, {kS, 1}, false},
      {{kC, 5000}, {kM, -2}, true},
      {{kM, -2}, {kC, 5000}, false},
      {{kA, 5000}, {kM, 50000}, true},
      // Allowance (purse) against claiming (price).
      {{kA, 12000}, {kC, 14999}, true},
      {{kA, 15000}, {kC, 80000}, true},
      {{kA, 4999}, {kC, 15000}, false},
      {{kA, 7000}, {kC, 20000}, true},
      {{kA, 7000}, {kC, 20001}, false},
      {{kA, 12000}, {kC, 29999}, true},
      {{kA, 12000}, {kC, 30000}, false},
      // Claiming (price) against allowance (purse).
      {{kC, 14999}, {kA, 1000}, false},
      {{kC, 80000}, {kA, 15000}, false},
      {{kC, 16000}, {kA, 4999}, true},
      {{kC, 20000}, {kA, 5000}, false},
      {{kC, 20001}, {kA, 9999}, true},
      {{kC, 29999}, {kA, 10000}, false},
      {{kC, 30000}, {kA, 14999}, true},
  };
  for (const ClassPair& c : cases) {
    EXPECT_EQ(classAtLeast(c.a, c.b), c.expected)
        << +c.a.type << "/" << c.a.amount << " vs " << +c.b.type << "/" << c.b.amount;
  }
}

TEST(ClassLevels, MajorClassDrop) {
  // a = from, b = to
  const ClassPair cases[] = {
      {{0, 0}, {kM, -1}, false},
      {{kC, 20000}, {0, 0}, false},
      // Between types: into a maiden race, or far down from stakes or allowance.
      {{kC, 10000}, {kM, -2}, true},
      {{kS, 1}, {kC, 19999}, true},
      {{kS, 1}, {kC, 20000}, false},
      {{kS, 100000}, {kA, 9999}, true},
      {{kS, 100000}, {kA, 10000}, false},
      {{kA, 50000}, {kC, 9999}, true},
      {{kA, 50000}, {kC, 10000}, false},
      {{kC, 50000}, {kA, 1000}, false},
      {{kM, 5000}, {kC, 1000}, false},
      // Within a type: two levels or more.
      {{kC, 25000}, {kC, 10000}, true},   // levels 3 and 7
      {{kC, 23000}, {kC, 15000}, true},   // levels 3 and 5
      {{kC, 25000}, {kC, 19000}, false},  // levels 3 and 4
      {{kC, 10000}, {kC, 25000}, false},  // a rise
      {{kA, 40000}, {kA, 29999}, true},   // levels 1 and 3
      {{kA, 40000}, {kA, 30000}, false},  // levels 1 and 2
      {{kM, 50000}, {kM, 5000}, true},
      {{kM, -2}, {kM, 5000}, false},  // unpriced maidens are never a drop
      {{kM, 50000}, {kM, -1}, false},
      {{kS, 1}, {kS, 100000}, false},
  };
  for (const ClassPair& c : cases) {
    EXPECT_EQ(majorClassDrop(c.a, c.b), c.expected)
        << +c.a.type << "/" << c.a.amount << " to " << +c.b.type << "/" << c.b.amount;
  }
}

}  // namespace
}  // namespace stridewell
