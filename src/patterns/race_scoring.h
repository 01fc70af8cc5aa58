// Scores a race with a SIM: every ordered choice of five of its horses goes
// through the network, each horse collects the outputs of the slots it
// held, and the five highest totals become the race's prediction. Uses the
// caller's model (its activations change); one thread per model.
#pragma once

#include <span>

#include "model/sim_model.h"
#include "patterns/horse_inputs.h"
#include "patterns/race_prediction.h"
#include "race/race_profile.h"

namespace stridewell {

// The smallest and largest fields that get a prediction.
inline constexpr int kFewestScoredHorses = 5;
inline constexpr int kMostScoredHorses = 64;

// How the sums over the choices are computed. The literal way runs one
// forward pass per choice and is the reference; the others share the first
// layer's work between choices and agree with it to rounding (1e-9
// relative), but apply only to the program's 425-20-5 net.
enum class ScoringMethod {
  kBest,      // the fastest method this machine runs that fits the net
  kLiteral,   // one forward pass per choice
  kPortable,  // the shared-work method in plain C++
  kAvx2,      // the same, several choices at a time with AVX2 and FMA
  kAvx512,    // the same with AVX-512
};

// Whether `method` runs on this machine for `model` (kBest and kLiteral
// always do once the net has 425 inputs and 5 outputs).
bool scoringMethodFits(ScoringMethod method, const SimModel& model);

// Each horse's summed outputs over all n(n-1)(n-2)(n-3)(n-4) ordered choices
// of five from `field` (standardised inputs). False, with `scores`
// untouched, when the field has fewer than 5 or more than 64 horses,
// `scores` is shorter than the field, or the method does not fit.
bool scoreField(SimModel& model, std::span<const HorseInputs> field, ScoringMethod method,
                std::span<double> scores);

// The prediction from each horse's score: five picks by repeated selection
// of the highest (a lower slot wins a tie), with shares of the total. No
// prediction when the field is smaller than 5 or a score is not finite.
void predictFromScores(std::span<const double> scores, RacePrediction& prediction);

// Encodes and standardises every horse slot of `race` and puts each one's
// score in `scores` (one per slot; a horse's win share is its score over
// the sum). False when the field cannot be scored.
bool scoreRaceHorses(SimModel& model, const RaceProfile& race, std::span<double> scores,
                     ScoringMethod method = ScoringMethod::kBest);

// Encodes, standardises and scores every horse slot of `race` and fills
// `prediction`. Returns the number of entries: 5, or 0 when the race has
// fewer than 5 or more than 64 horses or cannot be scored. The track
// condition the caller assumes (1 wet, 2 dry) does not enter the scores.
int scoreRace(RacePrediction& prediction, SimModel& model, const RaceProfile& race, int trackCondition,
              ScoringMethod method = ScoringMethod::kBest);

}  // namespace stridewell
