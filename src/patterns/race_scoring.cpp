#include "patterns/race_scoring.h"

#include <array>
#include <cmath>
#include <cstddef>

#include "model/sim_shape.h"
#include "patterns/field_standardization.h"
#include "patterns/horse_encoding.h"
#include "patterns/literal_scoring.h"
#include "patterns/shared_work_scoring.h"

namespace stridewell {
namespace {

bool takesFiveHorses(const SimModel& model) {
  return model.inputCount() == kSimInputs && model.outputCount() == kSimOutputs;
}

}  // namespace

bool scoringMethodFits(ScoringMethod method, const SimModel& model) {
  if (!takesFiveHorses(model)) return false;
  switch (method) {
    case ScoringMethod::kBest:
    case ScoringMethod::kLiteral:
      return true;
    case ScoringMethod::kPortable:
      return sharedWorkFits(model);
    case ScoringMethod::kAvx2:
      return processorRunsKernel(SharedWorkKernel::kAvx2) && sharedWorkFits(model);
    case ScoringMethod::kAvx512:
      return processorRunsKernel(SharedWorkKernel::kAvx512) && sharedWorkFits(model);
  }
  return false;
}

bool scoreField(SimModel& model, std::span<const HorseInputs> field, ScoringMethod method,
                std::span<double> scores) {
  const size_t n = field.size();
  if (n < kFewestScoredHorses || n > kMostScoredHorses || scores.size() < n) return false;
  if (!scoringMethodFits(method, model)) return false;
  for (size_t i = 0; i < n; ++i) scores[i] = 0;
  switch (method) {
    case ScoringMethod::kBest:
      // Nets of another shape, or with weights too large for the shared
      // sums, still get the reference evaluation.
      if (!addSharedWorkScores(model, field, fastestKernel(), scores))
        addLiteralScores(model, field, scores.first(n));
      return true;
    case ScoringMethod::kLiteral:
      addLiteralScores(model, field, scores.first(n));
      return true;
    case ScoringMethod::kPortable:
      return addSharedWorkScores(model, field, SharedWorkKernel::kPortable, scores);
    case ScoringMethod::kAvx2:
      return addSharedWorkScores(model, field, SharedWorkKernel::kAvx2, scores);
    case ScoringMethod::kAvx512:
      return addSharedWorkScores(model, field, SharedWorkKernel::kAvx512, scores);
  }
  return false;
}

void predictFromScores(std::span<const double> scores, RacePrediction& prediction) {
  prediction = RacePrediction{};
  const size_t n = scores.size();
  if (n < kPredictedPlaces || n > kMostScoredHorses) return;
  double total = 0;
  for (double score : scores) {
    // A net that gives NaN or infinite outputs (a damaged weights file) has
    // no ranking to offer.
    if (!std::isfinite(score)) return;
    total += score;
  }
  if (total == 0) total = 1.0;

  bool picked[kMostScoredHorses] = {};
  for (int place = 0; place < kPredictedPlaces; ++place) {
    size_t best = n;
    for (size_t i = 0; i < n; ++i) {
      if (picked[i]) continue;
      if (best == n || scores[i] > scores[best]) best = i;
    }
    picked[best] = true;
    const double share = scores[best] / total;
    PredictedHorse& entry = prediction.entries[place];
    entry.horse = static_cast<int32_t>(best);
    entry.rank = place + 1;
    entry.winPercent = share * 100;
    entry.fairOdds = 1 / share - 1;
  }
  prediction.entryCount = kPredictedPlaces;
}

bool scoreRaceHorses(SimModel& model, const RaceProfile& race, std::span<double> scores,
                     ScoringMethod method) {
  const int n = race.horseCount;
  if (n < kFewestScoredHorses || n > kMostScoredHorses || scores.size() < static_cast<size_t>(n))
    return false;

  std::array<HorseInputs, kMostScoredHorses> encoded;
  for (int i = 0; i < n; ++i) {
    if (encodeHorse(race.horses[i], encoded[static_cast<size_t>(i)]) != kHorseInputCount) {
      model.logMessage("INTERNAL: a horse's encoding does not fill the network's inputs");
      return false;
    }
  }
  std::array<HorseInputs, kMostScoredHorses> field;
  const auto count = static_cast<size_t>(n);
  standardizeWholeField(std::span(encoded).first(count), std::span(field).first(count));
  return scoreField(model, std::span(field).first(count), method, scores.first(count));
}

int scoreRace(RacePrediction& prediction, SimModel& model, const RaceProfile& race,
              [[maybe_unused]] int trackCondition, ScoringMethod method) {
  prediction = RacePrediction{};
  std::array<double, kMostScoredHorses> scores{};
  if (!scoreRaceHorses(model, race, scores, method)) return 0;
  predictFromScores(std::span(scores).first(static_cast<size_t>(race.horseCount)), prediction);
  return prediction.entryCount;
}

}  // namespace stridewell
