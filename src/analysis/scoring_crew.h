// Scores a batch of races on several threads at once: each thread has its
// own copy of the SIM (a SimModel keeps its activations while it works),
// takes the next unscored race of the batch and writes that race's
// prediction only. Made, used and destroyed on one thread, which also
// scores; the others live only while a batch is scored.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "patterns/race_prediction.h"
#include "race/race_profile.h"
#include "race/race_result.h"

namespace stridewell {

class ProgressSink;
class SimModel;

// One race waiting for its score, as the profit/loss run keeps it between
// reading and settling.
struct PendingRace {
  RaceProfile profile;
  RaceResult result;
  RacePrediction prediction;
};

// Gives `copy` the shape and the weights of `original`. False when the
// original has extra connections or no net, or the copy does not come out
// with the same connections.
bool copySimModel(const SimModel& original, SimModel& copy);

class ScoringCrew {
 public:
  // Up to `threads` scorers: `model` itself and threads - 1 copies of it.
  // Fewer when copies cannot be made (see copySimModel).
  ScoringCrew(SimModel& model, int threads);
  ~ScoringCrew();
  ScoringCrew(const ScoringCrew&) = delete;
  ScoringCrew& operator=(const ScoringCrew&) = delete;

  int threads() const { return 1 + static_cast<int>(copies_.size()); }

  // Fills the prediction of every race (scored for its result's condition).
  // The calling thread scores too and asks `progress` for Cancel after each
  // of its races; false when cancelled, the predictions then incomplete.
  bool score(std::span<PendingRace> races, ProgressSink& progress);

  // Calls work(sim, i) once for every i below `count`, on the crew's
  // threads, each call with a SIM no other call uses at the same time.
  // Cancel as for score(); false when cancelled, some calls then not made.
  bool forEach(size_t count, const std::function<void(SimModel&, size_t)>& work, ProgressSink& progress);

 private:
  SimModel& model_;
  std::vector<std::unique_ptr<SimModel>> copies_;
};

}  // namespace stridewell
