// Scoring a race the reference way: which choices are made, which horse
// each output is credited to, the picks, shares and fair odds, and the
// races that get no prediction.
#include "patterns/race_scoring.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <numeric>
#include <random>
#include <vector>

#include "patterns/field_standardization.h"
#include "patterns/horse_encoding.h"
#include "race/race.h"
#include "scoring_test_support.h"

namespace stridewell {
namespace {

using test::SlotSeparableNet;

std::unique_ptr<RaceProfile> raceWithMorningLines(const std::vector<float>& lines) {
  auto race = std::make_unique<RaceProfile>();
  clearRecord(*race);
  race->horseCount = static_cast<uint8_t>(lines.size());
  for (size_t i = 0; i < lines.size() && i < kMaxHorses; ++i) race->horses[i].morningLine = lines[i];
  return race;
}

class LiteralScoring : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(defineSimShape(model_, {}, true), 450); }
  SimModel model_{true};
};

TEST_F(LiteralScoring, EveryHorseTakesPartInTheSameNumberOfChoices) {
  // With every weight 0 each output is 0.5, so a horse's score counts the
  // choices it is in: 5 slots x (n-1)(n-2)(n-3)(n-4) orderings of the rest.
  test::zeroWeights(model_);
  struct Case {
    int n;
    double score;
  };
  const Case cases[] = {{5, 0.5 * 5 * 24}, {6, 0.5 * 5 * 120}, {9, 0.5 * 5 * 1680}};
  std::mt19937 random(1);
  for (const Case& c : cases) {
    const auto field = test::randomField(c.n, random);
    std::vector<double> scores(static_cast<size_t>(c.n), -1);
    ASSERT_TRUE(scoreField(model_, field, ScoringMethod::kLiteral, scores));
    for (double score : scores) EXPECT_EQ(score, c.score) << c.n << " horses";
  }
}

TEST_F(LiteralScoring, EachOutputGoesToTheHorseInItsSlot) {
  const SlotSeparableNet net;
  net.applyTo(model_);
  std::mt19937 random(2);
  for (int n : {5, 6, 8}) {
    const auto field = test::randomField(n, random);
    std::vector<double> scores(static_cast<size_t>(n));
    ASSERT_TRUE(scoreField(model_, field, ScoringMethod::kLiteral, scores));
    for (int h = 0; h < n; ++h) {
      EXPECT_NEAR(scores[static_cast<size_t>(h)], net.score(field[static_cast<size_t>(h)], n),
                  1e-12 * scores[static_cast<size_t>(h)])
          << n << " horses, horse " << h;
    }
  }
}

TEST_F(LiteralScoring, MatchesEveryPermutationDoneByHand) {
  // An enumeration of the choices written differently: every 5-permutation
  // of the horses, in lexicographic order, each run through the network.
  std::mt19937 random(3);
  test::randomWeights(model_, 0.3, random);
  const int n = 7;
  const auto field = test::randomField(n, random);
  std::vector<double> expected(n, 0.0);
  std::vector<int> order(n);
  std::iota(order.begin(), order.end(), 0);
  float inputs[kSimInputs];
  int choices = 0;
  do {
    // next_permutation walks all n! orders; each 5-prefix repeats (n-5)!
    // times in a row, and only its first appearance counts.
    bool first = std::is_sorted(order.begin() + 5, order.end());
    if (!first) continue;
    ++choices;
    for (int s = 0; s < 5; ++s) std::copy(field[order[s]].begin(), field[order[s]].end(), inputs + 85 * s);
    const auto out = model_.forward(inputs);
    for (int s = 0; s < 5; ++s) expected[order[s]] += out[s];
  } while (std::next_permutation(order.begin(), order.end()));
  EXPECT_EQ(choices, 7 * 6 * 5 * 4 * 3);

  std::vector<double> scores(n);
  ASSERT_TRUE(scoreField(model_, field, ScoringMethod::kLiteral, scores));
  for (int h = 0; h < n; ++h) EXPECT_NEAR(scores[h], expected[h], 1e-12 * expected[h]) << h;
}

TEST_F(LiteralScoring, RaceFromProfiles) {
  const SlotSeparableNet net;
  net.applyTo(model_);
  // Input 0 is the morning line, the one input on which the horses differ.
  const std::vector<float> lines = {3, 9, 1, 7, 5, 2};
  const auto race = raceWithMorningLines(lines);
  RacePrediction prediction;
  ASSERT_EQ(scoreRace(prediction, model_, *race, 2, ScoringMethod::kLiteral), 5);

  std::vector<HorseInputs> encoded(lines.size()), field(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) encodeHorse(race->horses[i], encoded[i]);
  standardizeWholeField(encoded, field);
  std::vector<double> scores;
  for (const auto& horse : field) scores.push_back(net.score(horse, 6));
  const double total = std::accumulate(scores.begin(), scores.end(), 0.0);

  std::vector<int> expectedOrder(lines.size());
  std::iota(expectedOrder.begin(), expectedOrder.end(), 0);
  std::stable_sort(expectedOrder.begin(), expectedOrder.end(), [&](int x, int y) {
    return scores[static_cast<size_t>(x)] > scores[static_cast<size_t>(y)];
  });
  double percentSum = 0;
  for (int place = 0; place < 5; ++place) {
    const PredictedHorse& entry = prediction.entries[place];
    SCOPED_TRACE(place);
    EXPECT_EQ(entry.horse, expectedOrder[place]);
    EXPECT_EQ(entry.rank, place + 1);
    const double share = scores[static_cast<size_t>(entry.horse)] / total;
    EXPECT_NEAR(entry.winPercent, share * 100, 1e-9);
    EXPECT_NEAR(entry.fairOdds, 1 / share - 1, 1e-9);
    percentSum += entry.winPercent;
  }
  EXPECT_LT(percentSum, 100.0);
  // The track condition the caller assumes does not change anything.
  RacePrediction wet;
  ASSERT_EQ(scoreRace(wet, model_, *race, 1, ScoringMethod::kLiteral), 5);
  for (int place = 0; place < 5; ++place) {
    EXPECT_EQ(wet.entries[place].horse, prediction.entries[place].horse);
    EXPECT_EQ(wet.entries[place].winPercent, prediction.entries[place].winPercent);
  }
}

TEST_F(LiteralScoring, FieldSizesThatGetNoPrediction) {
  struct Case {
    int horses;
    int entries;
  };
  const Case cases[] = {{0, 0}, {4, 0}, {5, 5}, {6, 5}, {65, 0}, {255, 0}};
  for (const Case& c : cases) {
    auto race = raceWithMorningLines(std::vector<float>(std::min(c.horses, 64), 1.0f));
    race->horseCount = static_cast<uint8_t>(c.horses);
    RacePrediction prediction;
    prediction.entryCount = 99;
    EXPECT_EQ(scoreRace(prediction, model_, *race, 2, ScoringMethod::kLiteral), c.entries) << c.horses;
    EXPECT_EQ(prediction.entryCount, c.entries) << c.horses;
  }
}

TEST_F(LiteralScoring, FiveEqualHorsesShareEvenly) {
  // With random weights, equal horses would collect the same outputs in a
  // different order and their sums could differ in the last bit; all-zero
  // weights make every output exactly 0.5, so the tie is exact.
  test::zeroWeights(model_);
  auto race = raceWithMorningLines({4, 4, 4, 4, 4});
  RacePrediction prediction;
  ASSERT_EQ(scoreRace(prediction, model_, *race, 2, ScoringMethod::kLiteral), 5);
  for (int place = 0; place < 5; ++place) {
    EXPECT_EQ(prediction.entries[place].horse, place);  // ties: lower slot first
    EXPECT_NEAR(prediction.entries[place].winPercent, 20.0, 1e-9);
    EXPECT_NEAR(prediction.entries[place].fairOdds, 4.0, 1e-9);
  }
}

TEST_F(LiteralScoring, UnusableNetsGiveNoPrediction) {
  auto race = raceWithMorningLines({1, 2, 3, 4, 5, 6});
  RacePrediction prediction;

  model_.connectionWeights(430)[17] = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(scoreRace(prediction, model_, *race, 2), 0);
  model_.connectionWeights(430)[17] = std::numeric_limits<double>::infinity();
  EXPECT_EQ(scoreRace(prediction, model_, *race, 2, ScoringMethod::kLiteral), 0);

  SimModel narrow(true);
  const int32_t hidden[] = {20};
  ASSERT_GT(narrow.defineNet(85, 5, hidden, {}, true), 0);
  EXPECT_EQ(scoreRace(prediction, narrow, *race, 2), 0);
  SimModel undefined(true);
  EXPECT_EQ(scoreRace(prediction, undefined, *race, 2), 0);
}

struct PickCase {
  const char* name;
  std::vector<double> scores;
  std::vector<int> picks;
};

TEST(PredictFromScores, PicksAndShares) {
  const PickCase cases[] = {
      {"plain order", {1, 2, 3, 4, 5, 6}, {5, 4, 3, 2, 1}},
      {"equal top scores: lower slot first", {1, 5, 5, 3, 2, 4}, {1, 2, 5, 3, 4}},
      {"all equal", {2, 2, 2, 2, 2, 2, 2}, {0, 1, 2, 3, 4}},
      {"a later horse needs a strictly higher score",
       {1, 1, 1, 1, 1, std::nextafter(1.0, 2.0)},
       {5, 0, 1, 2, 3}},
      {"five horses", {3, 1, 4, 1, 5}, {4, 2, 0, 1, 3}},
  };
  for (const PickCase& c : cases) {
    SCOPED_TRACE(c.name);
    RacePrediction prediction;
    predictFromScores(c.scores, prediction);
    ASSERT_EQ(prediction.entryCount, 5);
    for (int place = 0; place < 5; ++place) EXPECT_EQ(prediction.entries[place].horse, c.picks[place]);
  }
}

TEST(PredictFromScores, SharesOfTheTotal) {
  // Total 20: the picks hold 5, 5, 4, 3 and 2 of it.
  RacePrediction prediction;
  predictFromScores(std::vector<double>{1, 2, 3, 4, 5, 5}, prediction);
  ASSERT_EQ(prediction.entryCount, 5);
  const double percents[] = {25, 25, 20, 15, 10};
  const double odds[] = {3, 3, 4, 17.0 / 3, 9};
  for (int place = 0; place < 5; ++place) {
    EXPECT_EQ(prediction.entries[place].rank, place + 1);
    EXPECT_NEAR(prediction.entries[place].winPercent, percents[place], 1e-12);
    EXPECT_NEAR(prediction.entries[place].fairOdds, odds[place], 1e-12);
    EXPECT_EQ(prediction.entries[place].finisherIndex, 0);
  }
}

TEST(PredictFromScores, NoPredictionWithoutFiveFiniteScores) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<double> cases[] = {{1, 2, 3, 4}, {1, 2, nan, 4, 5, 6}, {1, 2, 3, inf, 5}, {}};
  for (const auto& scores : cases) {
    RacePrediction prediction;
    prediction.entryCount = 7;
    predictFromScores(scores, prediction);
    EXPECT_EQ(prediction.entryCount, 0);
  }
}

}  // namespace
}  // namespace stridewell
