// The shared-work trainer eight choices at a time with AVX-512. Built
// with those instructions enabled; called only after the processor has been
// seen to have them.
#include "model/training_tables.h"

#if defined(__x86_64__)
#include "model/training_kernel.h"

namespace stridewell {
namespace {

using Kernel = TrainingLoop<Avx512Ops>;

}  // namespace

const TrainingKernelFunctions kAvx512TrainingKernel = {Kernel::buildRecordTables, Kernel::trainChoices,
                                                       Kernel::addHiddenSlopes};

void trainingExpAvx512(const double* x, double* out, int count) {
  Kernel::mapBlock(x, nullptr, out, count);
}

void trainingShortExpAvx512(const double* x, double* out, int count) {
  Kernel::mapBlock<true>(x, nullptr, out, count);
}

void trainingLogRatioAvx512(const double* x, const double* y, double* out, int count) {
  Kernel::mapBlock(x, y, out, count);
}

}  // namespace stridewell
#endif
