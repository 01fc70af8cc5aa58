// The shared-work scorer four choices at a time with AVX2 and FMA. Built
// with those instructions enabled; called only after the processor has been
// seen to have them.
#include "patterns/choice_tables.h"

#if defined(__x86_64__)
#include "patterns/choice_kernel.h"

namespace stridewell {

void addChoiceScoresAvx2(const ChoiceTables& tables, double* scores) {
  ChoiceKernel<Avx2Ops>::run(tables, scores);
}

void kernelExpAvx2(const double* x, double* out, int count, bool wideRange) {
  ChoiceKernel<Avx2Ops>::expBlock(x, out, count, wideRange);
}

}  // namespace stridewell
#endif
