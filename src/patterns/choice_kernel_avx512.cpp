// The shared-work scorer eight choices at a time with AVX-512 (foundation
// instructions only). Built with them enabled; called only after the
// processor has been seen to have them.
#include "patterns/choice_tables.h"

#if defined(__x86_64__)
#include "patterns/choice_kernel.h"

namespace stridewell {

void addChoiceScoresAvx512(const ChoiceTables& tables, double* scores) {
  ChoiceKernel<Avx512Ops>::run(tables, scores);
}

void kernelExpAvx512(const double* x, double* out, int count, bool wideRange) {
  ChoiceKernel<Avx512Ops>::expBlock(x, out, count, wideRange);
}

}  // namespace stridewell
#endif
