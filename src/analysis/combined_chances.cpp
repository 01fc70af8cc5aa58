#include "analysis/combined_chances.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace stridewell {
namespace {

constexpr int kMostSteps = 100;
constexpr int kMostHalvings = 40;
constexpr double kSettled = 1e-10;

// The log likelihood of the races and its first and second derivatives:
// the gradient is the sum of (x of the winner - mean x under P), the
// information matrix the sum of each field's covariance of x under P.
struct Derivatives {
  double logLikelihood = 0;
  double gradA = 0, gradB = 0;
  double infoAA = 0, infoAB = 0, infoBB = 0;
};

// ln P(winner) of one race, and its derivatives added to `d` when given.
double raceTerm(const LogitRace& race, double a, double b, Derivatives* d) {
  const size_t field = race.first.size();
  double top = -INFINITY;
  for (size_t i = 0; i < field; ++i) top = std::max(top, a * race.first[i] + b * race.second[i]);
  double total = 0;
  for (size_t i = 0; i < field; ++i) total += std::exp(a * race.first[i] + b * race.second[i] - top);
  const auto w = static_cast<size_t>(race.winner);
  const double term = a * race.first[w] + b * race.second[w] - top - std::log(total);
  if (d == nullptr) return term;
  double meanA = 0, meanB = 0;
  for (size_t i = 0; i < field; ++i) {
    const double p = std::exp(a * race.first[i] + b * race.second[i] - top) / total;
    meanA += p * race.first[i];
    meanB += p * race.second[i];
  }
  for (size_t i = 0; i < field; ++i) {
    const double p = std::exp(a * race.first[i] + b * race.second[i] - top) / total;
    const double da = race.first[i] - meanA, db = race.second[i] - meanB;
    d->infoAA += p * da * da;
    d->infoAB += p * da * db;
    d->infoBB += p * db * db;
  }
  d->gradA += race.first[w] - meanA;
  d->gradB += race.second[w] - meanB;
  return term;
}

Derivatives derivatives(std::span<const LogitRace> races, double a, double b) {
  Derivatives d;
  for (const LogitRace& race : races) d.logLikelihood += raceTerm(race, a, b, &d);
  return d;
}

// The information matrix can be inverted with some accuracy.
bool invertible(const Derivatives& d, double& det) {
  det = d.infoAA * d.infoBB - d.infoAB * d.infoAB;
  return d.infoAA > 0 && d.infoBB > 0 && det > 1e-12 * d.infoAA * d.infoBB;
}

bool usable(const LogitRace& race) {
  const size_t field = race.first.size();
  if (field == 0 || race.second.size() != field || race.winner < 0 ||
      static_cast<size_t>(race.winner) >= field)
    return false;
  for (size_t i = 0; i < field; ++i) {
    if (!std::isfinite(race.first[i]) || !std::isfinite(race.second[i])) return false;
  }
  return true;
}

std::string format(const char* pattern, auto... values) {
  char line[200];
  std::snprintf(line, sizeof line, pattern, values...);
  return line;
}

}  // namespace

double logitLogLikelihood(std::span<const LogitRace> races, double a, double b) {
  double sum = 0;
  for (const LogitRace& race : races) sum += raceTerm(race, a, b, nullptr);
  return sum;
}

LogitFit fitLogit(std::span<const LogitRace> races) {
  LogitFit fit;
  fit.races = static_cast<int>(races.size());
  if (races.empty()) {
    fit.problem = "no races to fit on";
    return fit;
  }
  for (const LogitRace& race : races) {
    if (!usable(race)) {
      fit.problem = "a race without a winner in its field or with a feature that is not a number";
      return fit;
    }
  }
  double a = 0, b = 1;
  Derivatives d = derivatives(races, a, b);
  for (int step = 1; step <= kMostSteps; ++step) {
    double det = 0;
    if (!invertible(d, det)) {
      fit.problem = "the SIM's and the odds' chances do not vary apart enough to fit both";
      return fit;
    }
    // Newton: the step solves information x step = gradient.
    double stepA = (d.infoBB * d.gradA - d.infoAB * d.gradB) / det;
    double stepB = (d.infoAA * d.gradB - d.infoAB * d.gradA) / det;
    Derivatives next = derivatives(races, a + stepA, b + stepB);
    // The likelihood is concave, but a long first step can still overshoot.
    for (int halving = 0; halving < kMostHalvings && !(next.logLikelihood >= d.logLikelihood); ++halving) {
      stepA /= 2;
      stepB /= 2;
      next = derivatives(races, a + stepA, b + stepB);
    }
    a += stepA;
    b += stepB;
    d = next;
    fit.iterations = step;
    if (std::fabs(stepA) < kSettled * (1 + std::fabs(a)) &&
        std::fabs(stepB) < kSettled * (1 + std::fabs(b))) {
      if (!invertible(d, det)) break;
      fit.ok = true;
      fit.a = a;
      fit.b = b;
      fit.errorA = std::sqrt(d.infoBB / det);
      fit.errorB = std::sqrt(d.infoAA / det);
      fit.logLikelihood = d.logLikelihood;
      return fit;
    }
  }
  fit.problem = "the fit did not settle";
  return fit;
}

std::vector<double> combinedChances(const LogitFit& fit, const LogitRace& race) {
  const size_t field = race.first.size();
  if (field == 0 || race.second.size() != field) return {};
  std::vector<double> chances(field);
  // Shifted by the largest exponent, so that no term overflows.
  double top = -INFINITY;
  for (size_t i = 0; i < field; ++i) top = std::max(top, fit.a * race.first[i] + fit.b * race.second[i]);
  double total = 0;
  for (size_t i = 0; i < field; ++i) {
    chances[i] = std::exp(fit.a * race.first[i] + fit.b * race.second[i] - top);
    total += chances[i];
  }
  for (double& chance : chances) chance /= total;
  return chances;
}

double CombinedJudgement::combinedR2() const {
  return evenLogSum != 0 ? 1.0 - combinedLogSum / evenLogSum : 0.0;
}

double CombinedJudgement::publicR2() const {
  return evenLogSum != 0 ? 1.0 - publicLogSum / evenLogSum : 0.0;
}

double CombinedJudgement::logLoss() const {
  return races > 0 ? -combinedLogSum / races : 0.0;
}

CombinedJudgement judgeCombined(const LogitFit& fit, std::span<const LogitRace> races) {
  CombinedJudgement judgement;
  if (!fit.ok) return judgement;
  for (const LogitRace& race : races) {
    if (!usable(race)) continue;
    ++judgement.races;
    judgement.combinedLogSum += raceTerm(race, fit.a, fit.b, nullptr);
    judgement.publicLogSum += raceTerm(race, 0, 1, nullptr);
    judgement.evenLogSum -= std::log(static_cast<double>(race.first.size()));
  }
  return judgement;
}

void writeCombinedSection(std::ostream& out, std::string_view fitDataset, const LogitFit& fit,
                          const CombinedJudgement& judgement) {
  out << "\nCombined: exp(a ln SIM + b ln final odds), fitted on " << fitDataset << '\n';
  if (!fit.ok) {
    out << "Not fitted: " << fit.problem << ".\n";
    return;
  }
  out << format("Races fitted:     %d\n", fit.races);
  out << format("a (SIM)         %9.4f  +/- %.4f\n", fit.a, fit.errorA);
  out << format("b (final odds)  %9.4f  +/- %.4f\n", fit.b, fit.errorB);
  out << format("Races judged:     %d\n", judgement.races);
  out << format("Log loss          %8.4f\n", judgement.logLoss());
  out << format("Pseudo-R2         %8.4f\n", judgement.combinedR2());
  out << format("Final odds alone  %8.4f\n", judgement.publicR2());
  out << format("Delta R2          %8.4f\n", judgement.deltaR2());
}

}  // namespace stridewell
