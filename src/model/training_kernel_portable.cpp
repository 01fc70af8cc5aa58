// The shared-work trainer in plain C++, one choice at a time: for processors
// without AVX2 and as a check on the vector build.
#include <cstdint>
#include <cstring>

#include "model/training_kernel.h"

namespace stridewell {
namespace {

struct ScalarOps {
  using Reg = double;
  using Mask = bool;
  static constexpr int kLanes = 1;
  static Reg load(const double* p) { return *p; }
  static void store(double* p, Reg v) { *p = v; }
  static Reg broadcast(double v) { return v; }
  static Reg add(Reg a, Reg b) { return a + b; }
  static Reg sub(Reg a, Reg b) { return a - b; }
  static Reg mul(Reg a, Reg b) { return a * b; }
  static Reg div(Reg a, Reg b) { return a / b; }
  static Reg min(Reg a, Reg b) { return a < b ? a : b; }
  static Reg max(Reg a, Reg b) { return a > b ? a : b; }
  static Reg fmadd(Reg a, Reg b, Reg c) { return a * b + c; }
  static Mask less(Reg a, Reg b) { return a < b; }
  static Reg select(Mask m, Reg a, Reg b) { return m ? a : b; }
  static Reg zeroUnless(Mask m, Reg v) { return m ? v : 0.0; }
  static double sum(Reg v) { return v; }
  static uint64_t bits(double v) {
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
  }
  static double fromBits(uint64_t b) {
    double v;
    std::memcpy(&v, &b, sizeof v);
    return v;
  }
  // p times 2^n, n in the low bits of t: n is added to p's exponent field
  // (64-bit wrap-around carries a negative n correctly).
  static Reg scaleByShifted(Reg p, Reg t) { return fromBits(bits(p) + (bits(t) << 52)); }
  // x = 2^k m with m in [1, 2), for a positive normal x.
  static void splitExponent(Reg x, Reg& k, Reg& m) {
    const uint64_t b = bits(x);
    k = static_cast<double>(static_cast<int64_t>((b >> 52) & 0x7FF) - 1023);
    m = fromBits((b & 0x000FFFFFFFFFFFFFull) | 0x3FF0000000000000ull);
  }
};

using Kernel = TrainingLoop<ScalarOps>;

}  // namespace

const TrainingKernelFunctions kPortableTrainingKernel = {Kernel::buildRecordTables, Kernel::trainChoices,
                                                         Kernel::addHiddenSlopes};

void trainingExpPortable(const double* x, double* out, int count) {
  Kernel::mapBlock(x, nullptr, out, count);
}

void trainingLogRatioPortable(const double* x, const double* y, double* out, int count) {
  Kernel::mapBlock(x, y, out, count);
}

}  // namespace stridewell
