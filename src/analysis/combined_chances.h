// The combined chances: a conditional logit over two opinions of a race,
// P(i) = exp(a x1(i) + b x2(i)) / sum over the field of exp(a x1 + b x2),
// with x1 the log of the SIM's chance and x2 the log of the final odds'
// (each normalised over the field). a and b are fitted by maximum
// likelihood with Newton's method on one set of races and judged on
// another, where the gain in pseudo-R^2 over the final odds alone tells
// what the SIM adds to the public's opinion. Plain records and functions.
#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace stridewell {

// One race as the fit sees it: both features of every horse of the field
// and the winner's place in it.
struct LogitRace {
  std::vector<double> first;   // x1 per horse
  std::vector<double> second;  // x2 per horse
  int winner = 0;
};

struct LogitFit {
  bool ok = false;
  std::string problem;  // why there is no fit, when !ok
  double a = 0, b = 0;
  double errorA = 0, errorB = 0;  // standard errors from the inverse information
  double logLikelihood = 0;
  int races = 0;
  int iterations = 0;
};

// The races' log likelihood under (a, b).
double logitLogLikelihood(std::span<const LogitRace> races, double a, double b);

// Fits (a, b) from a start of (0, 1) -- the public alone -- by Newton's
// method, halving a step that lowers the likelihood, until a step moves
// both by less than 1e-10 (at most 100 steps). No fit without races, when
// the features do not vary within the fields enough to set both apart
// (the information matrix is singular) or the steps do not settle.
LogitFit fitLogit(std::span<const LogitRace> races);

// The chance of every horse of `race` under (a, b): exp(a x1 + b x2) over
// its sum over the field (the winner is not looked at). Empty for an
// empty field or features of unequal length.
std::vector<double> combinedChances(const LogitFit& fit, const LogitRace& race);

// The fit applied to other races: their log likelihood under the fit, under
// the second feature alone (a = 0, b = 1, i.e. the final odds' chances)
// and under an even chance.
struct CombinedJudgement {
  int races = 0;
  double combinedLogSum = 0;
  double publicLogSum = 0;
  double evenLogSum = 0;

  double combinedR2() const;  // 1 - combined / even
  double publicR2() const;    // 1 - public / even
  double deltaR2() const { return combinedR2() - publicR2(); }
  double logLoss() const;  // -combined / races
};

CombinedJudgement judgeCombined(const LogitFit& fit, std::span<const LogitRace> races);

// The section of the report card: the fit's dataset and coefficients with
// their standard errors, and the judgement on the evaluated races.
void writeCombinedSection(std::ostream& out, std::string_view fitDataset, const LogitFit& fit,
                          const CombinedJudgement& judgement);

}  // namespace stridewell
