// The fast evaluation of a field for the program's 425-20-5 net: the first
// layer's work is shared between choices through per-race tables, and the
// last horse of a choice runs in vector lanes where the processor allows.
// Agrees with the literal evaluation to rounding. One thread per model.
#pragma once

#include <span>

#include "model/sim_model.h"
#include "patterns/horse_inputs.h"

namespace stridewell {

enum class SharedWorkKernel { kPortable, kAvx2, kAvx512 };

// Whether this processor has the kernel's instructions.
bool processorRunsKernel(SharedWorkKernel kernel);

// The fastest kernel this processor runs.
SharedWorkKernel fastestKernel();

// Whether `model` is the program's shape with weights the tables can carry
// (every weight and bias finite and at most 1e6 in size, far beyond what
// training gives, so that no sum can overflow).
bool sharedWorkFits(const SimModel& model);

// Adds each horse's summed outputs over every ordered choice of five to
// scores[horse]. False, adding nothing, when the model does not fit, the
// processor lacks the kernel, or the field is not 5 to 64 horses.
bool addSharedWorkScores(const SimModel& model, std::span<const HorseInputs> field, SharedWorkKernel kernel,
                         std::span<double> scores);

}  // namespace stridewell
