// The multiply-with-carry generator: its first values from the fixed seeds
// (worked out by hand below), its wrap-around and the ranges it draws.
#include "model/mwc_random.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace stridewell {
namespace {

TEST(MwcRandom, FirstValuesFromTheFixedSeeds) {
  // z: 30903 * 0x5678 + 0x1234 = 30903 * 22136 + 4660 = 684,073,468.
  // w: 18000 * 0xCDEF + 0x90AB = 18000 * 52719 + 37035 = 948,979,035.
  // (z << 16) keeps z mod 65536 = 8700 in the high half: 8700 * 65536 =
  // 570,163,200; plus w gives 1,519,142,235.
  MwcRandom random;
  EXPECT_EQ(random.next(), 1519142235u);
  EXPECT_EQ(random.z, 684073468u);
  EXPECT_EQ(random.w, 948979035u);
  // The second value wraps past 2^32 in the final sum.
  EXPECT_EQ(random.next(), 2801190656u);
}

TEST(MwcRandom, UniformCoversTheClosedUnitInterval) {
  EXPECT_EQ(0xFFFFFFFFu * MwcRandom::kUnitScale, 1.0);
  MwcRandom random;
  double lowest = 1, highest = 0;
  for (int i = 0; i < 200000; ++i) {
    const double u = random.uniform();
    ASSERT_GE(u, 0.0);
    ASSERT_LE(u, 1.0);
    lowest = std::min(lowest, u);
    highest = std::max(highest, u);
  }
  EXPECT_LT(lowest, 0.001);
  EXPECT_GT(highest, 0.999);
}

TEST(MwcRandom, SymmetricDrawsSpanTheirRange) {
  for (double range : {1.0, 0.14535047493345277, 0.6546536707079772}) {
    MwcRandom random;
    double lowest = 0, highest = 0, sum = 0;
    const int draws = 100000;
    for (int i = 0; i < draws; ++i) {
      const double v = random.symmetric(range);
      ASSERT_GE(v, -range);
      ASSERT_LE(v, range);
      lowest = std::min(lowest, v);
      highest = std::max(highest, v);
      sum += v;
    }
    EXPECT_LT(lowest, -0.99 * range);
    EXPECT_GT(highest, 0.99 * range);
    EXPECT_NEAR(sum / draws, 0.0, 0.01 * range);
  }
}

TEST(MwcRandom, SameStateSameSequence) {
  MwcRandom a, b;
  a.z = b.z = 77;
  a.w = b.w = 99;
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(a.next(), b.next());
}

}  // namespace
}  // namespace stridewell
