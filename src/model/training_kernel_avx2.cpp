// The shared-work trainer four choices at a time with AVX2 and FMA. Built
// with those instructions enabled; called only after the processor has been
// seen to have them.
#include "model/training_tables.h"

#if defined(__x86_64__)
#include "model/training_kernel.h"

namespace stridewell {
namespace {

using Kernel = TrainingLoop<Avx2Ops>;

}  // namespace

const TrainingKernelFunctions kAvx2TrainingKernel = {Kernel::buildRecordTables, Kernel::trainChoices,
                                                     Kernel::addHiddenSlopes};

void trainingExpAvx2(const double* x, double* out, int count) {
  Kernel::mapBlock(x, nullptr, out, count);
}

void trainingShortExpAvx2(const double* x, double* out, int count) {
  Kernel::mapBlock<true>(x, nullptr, out, count);
}

void trainingLogRatioAvx2(const double* x, const double* y, double* out, int count) {
  Kernel::mapBlock(x, y, out, count);
}

}  // namespace stridewell
#endif
