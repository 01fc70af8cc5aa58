// The fast scorer against the reference: every kernel this processor runs,
// on random races of 5 to 16 horses, with weights from the small ones a
// fresh net has to ones that drive most units into their clamps and past
// the range where the product form of exp applies.
#include "patterns/shared_work_scoring.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "model/sim_shape.h"
#include "patterns/choice_tables.h"
#include "patterns/race_scoring.h"
#include "scoring_test_support.h"

namespace stridewell {
namespace {

struct KernelUnderTest {
  SharedWorkKernel kernel;
  ScoringMethod method;
  const char* name;
  void (*exp)(const double*, double*, int, bool);
};

std::vector<KernelUnderTest> kernelsHere() {
  std::vector<KernelUnderTest> kernels = {
      {SharedWorkKernel::kPortable, ScoringMethod::kPortable, "portable", kernelExpPortable}};
#if defined(__x86_64__)
  if (processorRunsKernel(SharedWorkKernel::kAvx2))
    kernels.push_back({SharedWorkKernel::kAvx2, ScoringMethod::kAvx2, "avx2", kernelExpAvx2});
  if (processorRunsKernel(SharedWorkKernel::kAvx512))
    kernels.push_back({SharedWorkKernel::kAvx512, ScoringMethod::kAvx512, "avx512", kernelExpAvx512});
#endif
  return kernels;
}

TEST(SharedWorkScoring, KernelsFollowTheProcessorsFeatures) {
  // The kernels chosen at run time against the flags the kernel reports
  // for the first processor (Linux only).
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line) && line.rfind("flags", 0) != 0) {
  }
  if (line.empty()) GTEST_SKIP() << "no /proc/cpuinfo flags";
  auto has = [&](const std::string& flag) {
    return (line + " ").find(" " + flag + " ") != std::string::npos;
  };
  EXPECT_TRUE(processorRunsKernel(SharedWorkKernel::kPortable));
#if defined(__x86_64__)
  EXPECT_EQ(processorRunsKernel(SharedWorkKernel::kAvx2), has("avx2") && has("fma"));
  EXPECT_EQ(processorRunsKernel(SharedWorkKernel::kAvx512), has("avx512f"));
#endif
  for (const auto& k : kernelsHere()) std::printf("kernel available: %s\n", k.name);
  EXPECT_TRUE(processorRunsKernel(fastestKernel()));
}

TEST(SharedWorkScoring, KernelExpIsAccurate) {
  struct Range {
    bool wide;
    double low, high;
  };
  // Within a few units in the last place of the library's exp over each
  // range the kernels use it on.
  const Range ranges[] = {{true, -708, 708}, {false, -15, 15}};
  for (const Range& range : ranges) {
    std::vector<double> x;
    for (double v = range.low; v <= range.high; v += (range.high - range.low) / 100003) x.push_back(v);
    for (double v :
         {0.0, -0.0, 1e-300, -1e-17, 0.5 * std::log(2.0), -0.5 * std::log(2.0), range.low, range.high})
      x.push_back(v);
    std::vector<double> out(x.size());
    for (const auto& k : kernelsHere()) {
      SCOPED_TRACE(testing::Message() << k.name << (range.wide ? " wide" : " narrow"));
      k.exp(x.data(), out.data(), static_cast<int>(x.size()), range.wide);
      double worst = 0;
      for (size_t i = 0; i < x.size(); ++i) {
        const double expected = std::exp(x[i]);
        worst = std::max(worst, std::fabs(out[i] - expected) / expected);
      }
      EXPECT_LT(worst, 1e-15);
    }
  }
}

struct EquivalenceCase {
  int horses;
  double weightScale;  // weights and biases uniform in +-scale
  const char* regime;
  unsigned seed;
};

void PrintTo(const EquivalenceCase& c, std::ostream* out) {
  *out << c.horses << " horses, weights within +-" << c.weightScale << " (" << c.regime << ")";
}

// One test per case, so that each shows (and times out) on its own: the
// reference takes minutes for 16 horses in a sanitizer build.
class AgreesWithTheReference : public ::testing::TestWithParam<EquivalenceCase> {};

TEST_P(AgreesWithTheReference, OnEveryScore) {
  const EquivalenceCase& c = GetParam();
  std::mt19937 random(c.seed);
  SimModel model(true);
  ASSERT_EQ(defineSimShape(model, {}, true), 450);
  test::randomWeights(model, c.weightScale, random);
  const auto field = test::randomField(c.horses, random);
  std::vector<double> reference(static_cast<size_t>(c.horses));
  ASSERT_TRUE(scoreField(model, field, ScoringMethod::kLiteral, reference));
  for (const auto& k : kernelsHere()) {
    SCOPED_TRACE(k.name);
    std::vector<double> fast(reference.size(), 0.0);
    ASSERT_TRUE(addSharedWorkScores(model, field, k.kernel, fast));
    double worst = 0;
    for (size_t h = 0; h < fast.size(); ++h) {
      EXPECT_NEAR(fast[h], reference[h], 1e-9 * std::fabs(reference[h])) << "horse " << h;
      worst = std::max(worst, std::fabs(fast[h] - reference[h]) / std::fabs(reference[h]));
    }
    std::printf("%2d horses, %-38s %-8s worst relative difference %.2g\n", c.horses, c.regime, k.name, worst);
  }
}

INSTANTIATE_TEST_SUITE_P(SharedWorkScoring, AgreesWithTheReference,
                         ::testing::Values(EquivalenceCase{5, 0.15, "fresh-net weights", 1},
                                           EquivalenceCase{6, 0.15, "fresh-net weights", 2},
                                           EquivalenceCase{9, 1.0, "moderate", 3},
                                           EquivalenceCase{12, 0.15, "fresh-net weights", 4},
                                           EquivalenceCase{12, 3.0, "many units near or in their clamps", 5},
                                           EquivalenceCase{9, 30.0, "almost every unit clamped", 6},
                                           EquivalenceCase{6, 400.0, "sums beyond the product form's range",
                                                           7},
                                           EquivalenceCase{16, 2.0, "many units near or in their clamps", 8}),
                         [](const ::testing::TestParamInfo<EquivalenceCase>& info) {
                           return std::to_string(info.param.horses) + "Horses_Scale" +
                                  std::to_string(static_cast<int>(info.param.weightScale * 100)) + "Percent";
                         });

TEST(SharedWorkScoring, MixesTheProductFormAndTheDirectForm) {
  // One large weight from input 0 of slot 0 puts the hidden sums of every
  // choice whose first horse is horse 2 (input 0 = 2.5) far beyond the
  // product form's range, and leaves the others inside it; the last slot's
  // sums stay small. Both forms run within one race.
  SimModel model(true);
  ASSERT_EQ(defineSimShape(model, {}, true), 450);
  std::mt19937 random(77);
  test::randomWeights(model, 0.3, random);
  auto field = test::randomField(8, random);
  for (auto& horse : field) horse[0] = 0.05f;
  field[2][0] = 2.5f;
  for (int j = 0; j < 20; ++j) model.connectionWeights(425 + j)[0] = (j % 2 ? 1 : -1) * 400.0;
  std::vector<double> reference(8);
  ASSERT_TRUE(scoreField(model, field, ScoringMethod::kLiteral, reference));
  for (const auto& k : kernelsHere()) {
    std::vector<double> fast(8, 0.0);
    ASSERT_TRUE(addSharedWorkScores(model, field, k.kernel, fast));
    for (size_t h = 0; h < 8; ++h)
      EXPECT_NEAR(fast[h], reference[h], 1e-9 * reference[h]) << k.name << " horse " << h;
  }
}

TEST(SharedWorkScoring, SamePredictionAsTheReference) {
  // Through the whole race path: encoding, standardising, scoring, picks.
  SimModel model(true);
  ASSERT_EQ(defineSimShape(model, {}, true), 450);
  std::mt19937 random(31);
  test::randomWeights(model, 1.0, random);
  auto race = std::make_unique<RaceProfile>();
  std::memset(static_cast<void*>(race.get()), 0, sizeof *race);
  race->horseCount = 10;
  std::uniform_real_distribution<float> value(0, 100);
  for (int i = 0; i < 10; ++i) {
    HorseProfile& horse = race->horses[i];
    horse.morningLine = value(random) / 10;
    horse.weight = static_cast<uint8_t>(110 + i);
    horse.bestRate = value(random);
    horse.avgClassRating = value(random);
    horse.cardRatings[0] = value(random);
  }
  RacePrediction literal, fast;
  ASSERT_EQ(scoreRace(literal, model, *race, 2, ScoringMethod::kLiteral), 5);
  ASSERT_EQ(scoreRace(fast, model, *race, 2, ScoringMethod::kBest), 5);
  for (int place = 0; place < 5; ++place) {
    EXPECT_EQ(fast.entries[place].horse, literal.entries[place].horse) << place;
    EXPECT_NEAR(fast.entries[place].winPercent, literal.entries[place].winPercent,
                1e-9 * literal.entries[place].winPercent);
    EXPECT_NEAR(fast.entries[place].fairOdds, literal.entries[place].fairOdds,
                1e-9 * literal.entries[place].fairOdds);
  }
}

TEST(SharedWorkScoring, ScoresOfAFieldWithASaturatedNet) {
  // Every hidden unit driven hard one way: the outputs sit on their clamps,
  // so each score is a known multiple of 0.000001 or 0.999999.
  SimModel model(true);
  ASSERT_EQ(defineSimShape(model, {}, true), 450);
  test::zeroWeights(model);
  for (int j = 0; j < 20; ++j) model.setBias(425 + j, 100.0);  // hidden outputs 0.999998
  for (int o = 0; o < 5; ++o) {
    for (double& w : model.connectionWeights(445 + o)) w = o < 3 ? 5.0 : -5.0;
  }
  std::mt19937 random(5);
  const int n = 8;
  const auto field = test::randomField(n, random);
  // Each horse holds each slot in 7*6*5*4 = 840 choices.
  const double expected = 840 * (3 * 0.999999 + 2 * 0.000001);
  for (const auto& k : kernelsHere()) {
    std::vector<double> scores(n, 0.0);
    ASSERT_TRUE(addSharedWorkScores(model, field, k.kernel, scores));
    for (double s : scores) EXPECT_NEAR(s, expected, 1e-9 * expected) << k.name;
  }
}

TEST(SharedWorkScoring, NetsItDoesNotTake) {
  std::mt19937 random(9);
  const auto field = test::randomField(7, random);
  std::vector<double> scores(7, 0.0);

  SimModel huge(true);
  ASSERT_EQ(defineSimShape(huge, {}, true), 450);
  huge.connectionWeights(440)[3] = 2e6;
  EXPECT_FALSE(sharedWorkFits(huge));
  EXPECT_FALSE(addSharedWorkScores(huge, field, SharedWorkKernel::kPortable, scores));
  EXPECT_FALSE(scoringMethodFits(ScoringMethod::kPortable, huge));
  // The best method falls back to the reference for it.
  std::vector<double> best(7), literal(7);
  ASSERT_TRUE(scoreField(huge, field, ScoringMethod::kBest, best));
  ASSERT_TRUE(scoreField(huge, field, ScoringMethod::kLiteral, literal));
  EXPECT_EQ(best, literal);

  SimModel nan(true);
  ASSERT_EQ(defineSimShape(nan, {}, true), 450);
  nan.setBias(447, std::numeric_limits<double>::quiet_NaN());
  EXPECT_FALSE(sharedWorkFits(nan));

  SimModel extra(true);
  const int32_t hidden[] = {20};
  const ExtraConnection link[] = {{3, 446}};
  ASSERT_GT(extra.defineNet(425, 5, hidden, {}, true, link), 0);
  EXPECT_FALSE(sharedWorkFits(extra));
  EXPECT_TRUE(scoreField(extra, field, ScoringMethod::kBest, scores));

  SimModel wide(true);
  const int32_t wider[] = {21};
  ASSERT_GT(wide.defineNet(425, 5, wider, {}, true), 0);
  EXPECT_FALSE(sharedWorkFits(wide));

  EXPECT_EQ(std::vector<double>(7, 0.0), std::vector<double>(7, 0.0));
  std::vector<double> untouched(7, -1.0);
  SimModel fine(true);
  ASSERT_EQ(defineSimShape(fine, {}, true), 450);
  EXPECT_FALSE(addSharedWorkScores(fine, std::span(field).first(4), SharedWorkKernel::kPortable, untouched));
  EXPECT_EQ(untouched, std::vector<double>(7, -1.0));
}

TEST(SharedWorkScoring, FieldsThatEndInsideAVectorOfLanes) {
  // 23 horses leave the last group of 4 or 8 lanes part-empty; with all-zero
  // hidden weights every choice gives the same outputs, so each horse's
  // score is known: (sum of the five outputs) x 22 x 21 x 20 x 19.
  SimModel model(true);
  ASSERT_EQ(defineSimShape(model, {}, true), 450);
  test::zeroWeights(model);
  for (int o = 0; o < 5; ++o) model.setBias(445 + o, 0.1 * o);
  std::mt19937 random(23);
  const auto field = test::randomField(23, random);
  double perChoice = 0;
  for (int o = 0; o < 5; ++o) perChoice += 1 / (1 + std::exp(-0.1 * o));
  const double expected = perChoice * 22.0 * 21 * 20 * 19;
  for (const auto& k : kernelsHere()) {
    if (k.kernel == SharedWorkKernel::kPortable) continue;  // slow in a sanitizer build; same code path
    std::vector<double> scores(23, 0.0);
    ASSERT_TRUE(addSharedWorkScores(model, field, k.kernel, scores));
    for (double s : scores) EXPECT_NEAR(s, expected, 1e-9 * expected) << k.name;
  }
}

}  // namespace
}  // namespace stridewell
