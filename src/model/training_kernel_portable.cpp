// The shared-work trainer in plain C++, one choice at a time: for processors
// without AVX2 and as a check on the vector build.
#include "model/training_kernel.h"

namespace stridewell {
namespace {

using Kernel = TrainingLoop<ScalarOps>;

}  // namespace

const TrainingKernelFunctions kPortableTrainingKernel = {Kernel::buildRecordTables, Kernel::trainChoices,
                                                         Kernel::addHiddenSlopes};

void trainingExpPortable(const double* x, double* out, int count) {
  Kernel::mapBlock(x, nullptr, out, count);
}

void trainingShortExpPortable(const double* x, double* out, int count) {
  Kernel::mapBlock<true>(x, nullptr, out, count);
}

void trainingLogRatioPortable(const double* x, const double* y, double* out, int count) {
  Kernel::mapBlock(x, y, out, count);
}

}  // namespace stridewell
