#include "analysis/scoring_crew.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <system_error>
#include <thread>

#include "base/interaction.h"
#include "model/sim_model.h"
#include "patterns/race_scoring.h"

namespace stridewell {

bool copySimModel(const SimModel& original, SimModel& copy) {
  if (!original.defined() || original.extraConnectionCount() != 0) return false;
  if (copy.defineNet(original.inputCount(), original.outputCount(), original.hiddenSizes(), "", true) == 0) {
    return false;
  }
  if (copy.unitCount() != original.unitCount() || copy.parameterCount() != original.parameterCount()) {
    return false;
  }
  for (int32_t unit = original.inputCount(); unit < original.unitCount(); ++unit) {
    const std::span<const int32_t> from = original.connectionSources(unit);
    const std::span<const int32_t> to = copy.connectionSources(unit);
    if (!std::equal(from.begin(), from.end(), to.begin(), to.end())) return false;
    copy.setBias(unit, original.bias(unit));
    const std::span<const double> weights = original.connectionWeights(unit);
    std::copy(weights.begin(), weights.end(), copy.connectionWeights(unit).begin());
  }
  return true;
}

ScoringCrew::ScoringCrew(SimModel& model, int threads) : model_(model) {
  for (int i = 1; i < threads; ++i) {
    auto copy = std::make_unique<SimModel>(model.adjustFanIn());
    if (!copySimModel(model, *copy)) break;
    copies_.push_back(std::move(copy));
  }
}

ScoringCrew::~ScoringCrew() = default;

bool ScoringCrew::score(std::span<PendingRace> races, ProgressSink& progress) {
  return forEach(
      races.size(),
      [races](SimModel& model, size_t i) {
        PendingRace& race = races[i];
        scoreRace(race.prediction, model, race.profile, race.result.condition);
      },
      progress);
}

bool ScoringCrew::forEach(size_t count, const std::function<void(SimModel&, size_t)>& work,
                          ProgressSink& progress) {
  std::atomic<size_t> next{0};
  std::atomic<bool> stop{false};
  auto scoreNext = [&](SimModel& model) {
    const size_t i = next.fetch_add(1, std::memory_order_relaxed);
    if (i >= count) return false;
    work(model, i);
    return true;
  };

  std::vector<std::thread> helpers;
  // A batch smaller than the crew leaves the extra copies idle.
  const size_t wanted = std::min(copies_.size(), count > 0 ? count - 1 : 0);
  for (size_t c = 0; c < wanted; ++c) {
    try {
      helpers.emplace_back([&, copy = copies_[c].get()] {
        while (!stop.load(std::memory_order_relaxed) && scoreNext(*copy)) {
        }
      });
    } catch (const std::system_error&) {
      break;  // no more threads to be had: the ones running and this one do the work
    }
  }

  bool cancelled = false;
  while (scoreNext(model_)) {
    if (progress.cancelled()) {
      cancelled = true;
      stop.store(true, std::memory_order_relaxed);
      break;
    }
  }
  for (std::thread& helper : helpers) helper.join();
  return !cancelled;
}

}  // namespace stridewell
