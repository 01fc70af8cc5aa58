// The combined chances: the fit on races whose answer is known in closed
// form, on simulated races where it must recover the coefficients used to
// draw the winners, the fits it refuses, and the judgement on other races.
#include "analysis/combined_chances.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace stridewell {
namespace {

// Two-horse races where only one feature differs: horse 0 has x = (1, 0)
// in a race of kind A, x = (0, 1) in kind B, horse 1 has (0, 0). Then
// P(horse 0) = 1 / (1 + e^-a) in A and 1 / (1 + e^-b) in B, each kind
// fits its own coefficient apart, and the maximum is where the model's
// chance equals the share of wins:
//   A: 3 races, horse 0 wins 2: a = ln(2/1) = .6931472; information
//      3 x (2/3)(1/3) = 2/3, standard error sqrt(3/2) = 1.2247449.
//   B: 4 races, horse 0 wins 1: b = ln(1/3) = -1.0986123; information
//      4 x (1/4)(3/4) = 3/4, standard error sqrt(4/3) = 1.1547005.
std::vector<LogitRace> closedFormRaces() {
  std::vector<LogitRace> races;
  const int kindA[] = {0, 0, 1};
  const int kindB[] = {0, 1, 1, 1};
  for (const int winner : kindA) races.push_back({{1, 0}, {0, 0}, winner});
  for (const int winner : kindB) races.push_back({{0, 0}, {1, 0}, winner});
  return races;
}

TEST(CombinedChancesTest, ClosedFormFit) {
  const std::vector<LogitRace> races = closedFormRaces();
  const LogitFit fit = fitLogit(races);
  ASSERT_TRUE(fit.ok) << fit.problem;
  EXPECT_EQ(fit.races, 7);
  EXPECT_NEAR(fit.a, std::log(2.0), 1e-8);
  EXPECT_NEAR(fit.b, std::log(1.0 / 3), 1e-8);
  EXPECT_NEAR(fit.errorA, 1.2247449, 1e-6);
  EXPECT_NEAR(fit.errorB, 1.1547005, 1e-6);
  // ln L = 2 ln(2/3) + ln(1/3) + ln(1/4) + 3 ln(3/4)
  const double expected = 2 * std::log(2.0 / 3) + std::log(1.0 / 3) + std::log(0.25) + 3 * std::log(0.75);
  EXPECT_NEAR(fit.logLikelihood, expected, 1e-9);
  EXPECT_NEAR(logitLogLikelihood(races, fit.a, fit.b), expected, 1e-9);
  EXPECT_GT(fit.iterations, 1);
}

TEST(CombinedChancesTest, RecoversTheCoefficientsOfSimulatedRaces) {
  struct Truth {
    double a, b;
    unsigned seed;
  };
  const Truth truths[] = {{0.5, 0.9, 1}, {0.0, 1.0, 2}, {1.2, 0.3, 3}};
  for (const Truth& truth : truths) {
    SCOPED_TRACE("a " + std::to_string(truth.a) + " b " + std::to_string(truth.b));
    std::mt19937 random(truth.seed);
    std::normal_distribution<double> normal(0.0, 1.0);
    std::uniform_int_distribution<int> fieldSize(6, 12);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::vector<LogitRace> races;
    for (int r = 0; r < 4000; ++r) {
      const int field = fieldSize(random);
      // Two opinions that share a common part, each with its own noise,
      // turned into log chances normalised over the field.
      std::vector<double> common(static_cast<size_t>(field));
      for (double& c : common) c = normal(random);
      LogitRace race;
      for (std::vector<double>* feature : {&race.first, &race.second}) {
        double total = 0;
        for (int i = 0; i < field; ++i) {
          feature->push_back(common[static_cast<size_t>(i)] + 0.8 * normal(random));
          total += std::exp(feature->back());
        }
        for (double& x : *feature) x -= std::log(total);
      }
      // The winner drawn from the true chances.
      std::vector<double> chance(static_cast<size_t>(field));
      double total = 0;
      for (size_t i = 0; i < chance.size(); ++i) {
        chance[i] = std::exp(truth.a * race.first[i] + truth.b * race.second[i]);
        total += chance[i];
      }
      double draw = uniform(random) * total;
      race.winner = field - 1;
      for (int i = 0; i < field; ++i) {
        draw -= chance[static_cast<size_t>(i)];
        if (draw < 0) {
          race.winner = i;
          break;
        }
      }
      races.push_back(std::move(race));
    }
    const LogitFit fit = fitLogit(races);
    ASSERT_TRUE(fit.ok) << fit.problem;
    EXPECT_LT(fit.errorA, 0.15);
    EXPECT_LT(fit.errorB, 0.15);
    EXPECT_GT(fit.errorA, 0.0);
    // Within two standard errors of the truth.
    EXPECT_LT(std::fabs(fit.a - truth.a), 2 * fit.errorA) << fit.a << " +/- " << fit.errorA;
    EXPECT_LT(std::fabs(fit.b - truth.b), 2 * fit.errorB) << fit.b << " +/- " << fit.errorB;
    // A maximum: a small move either way lowers the likelihood.
    for (const double da : {-1e-3, 1e-3}) {
      EXPECT_LT(logitLogLikelihood(races, fit.a + da, fit.b), fit.logLikelihood);
      EXPECT_LT(logitLogLikelihood(races, fit.a, fit.b + da), fit.logLikelihood);
    }
  }
}

TEST(CombinedChancesTest, FitsThatCannotBeMade) {
  struct Case {
    const char* what;
    std::vector<LogitRace> races;
  };
  const Case cases[] = {
      {"no races", {}},
      // The second feature never varies within a field: b cannot be told.
      {"a feature constant in every field", {{{0, 1}, {2, 2}, 0}, {{1, 0}, {5, 5}, 0}, {{0, 1}, {1, 1}, 0}}},
      // The two features the same: only a + b can be told.
      {"features equal", {{{0, 1, 2}, {0, 1, 2}, 0}, {{1, 0, 3}, {1, 0, 3}, 2}}},
      {"winner outside the field", {{{0, 1}, {1, 0}, 2}}},
      {"a feature not a number", {{{0, std::nan("")}, {1, 0}, 0}}},
      {"features of unequal length", {{{0, 1, 2}, {1, 0}, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const LogitFit fit = fitLogit(c.races);
    EXPECT_FALSE(fit.ok);
    EXPECT_FALSE(fit.problem.empty());
  }
}

TEST(CombinedChancesTest, JudgementOnOtherRaces) {
  // One race of two: x1 = ln .8, ln .2; x2 = ln .5, ln .5; horse 0 wins.
  // With a = 1, b = 0 the combined chance is the SIM's .8; the public's .5
  // is no better than even. R2 combined = 1 - ln .8 / ln .5 = .6780719.
  const std::vector<LogitRace> races{{{std::log(0.8), std::log(0.2)}, {std::log(0.5), std::log(0.5)}, 0}};
  LogitFit fit;
  fit.ok = true;
  fit.a = 1;
  fit.b = 0;
  const CombinedJudgement judgement = judgeCombined(fit, races);
  EXPECT_EQ(judgement.races, 1);
  EXPECT_NEAR(judgement.combinedR2(), 0.6780719, 1e-7);
  EXPECT_NEAR(judgement.publicR2(), 0.0, 1e-12);
  EXPECT_NEAR(judgement.deltaR2(), 0.6780719, 1e-7);
  EXPECT_NEAR(judgement.logLoss(), -std::log(0.8), 1e-12);

  // The public alone (a = 0, b = 1) adds nothing to itself.
  fit.a = 0;
  fit.b = 1;
  const CombinedJudgement same = judgeCombined(fit, closedFormRaces());
  EXPECT_EQ(same.races, 7);
  EXPECT_NEAR(same.deltaR2(), 0.0, 1e-12);

  // No fit, no judgement.
  EXPECT_EQ(judgeCombined(LogitFit{}, races).races, 0);
}

TEST(CombinedChancesTest, SectionText) {
  const LogitFit fit = fitLogit(closedFormRaces());
  std::ostringstream out;
  writeCombinedSection(out, "Autumn", fit, judgeCombined(fit, closedFormRaces()));
  const std::string text = out.str();
  for (const char* line :
       {"fitted on Autumn\n", "Races fitted:     7\n", "a (SIM)            0.6931  +/- 1.2247\n",
        "b (final odds)    -1.0986  +/- 1.1547\n", "Races judged:     7\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "in\n" << text;
  }
  std::ostringstream failed;
  writeCombinedSection(failed, "Autumn", fitLogit({}), CombinedJudgement{});
  EXPECT_NE(failed.str().find("Not fitted: no races to fit on.\n"), std::string::npos) << failed.str();
}

}  // namespace
}  // namespace stridewell
