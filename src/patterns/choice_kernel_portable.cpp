// The shared-work scorer in plain C++, one choice at a time: for processors
// without AVX2 and as a check on the vector builds.
#include "patterns/choice_kernel.h"

namespace stridewell {

void addChoiceScoresPortable(const ChoiceTables& tables, double* scores) {
  ChoiceKernel<ScalarOps>::run(tables, scores);
}

void kernelExpPortable(const double* x, double* out, int count, bool wideRange) {
  ChoiceKernel<ScalarOps>::expBlock(x, out, count, wideRange);
}

}  // namespace stridewell
