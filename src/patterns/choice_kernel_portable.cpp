// The shared-work scorer in plain C++, one choice at a time: for processors
// without AVX2 and as a check on the vector builds.
#include <cstdint>
#include <cstring>

#include "patterns/choice_kernel.h"

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
  static Reg neg(Reg a) { return -a; }
  static Reg min(Reg a, Reg b) { return a < b ? a : b; }
  static Reg max(Reg a, Reg b) { return a > b ? a : b; }
  static Reg fmadd(Reg a, Reg b, Reg c) { return a * b + c; }
  static Reg fnmadd(Reg a, Reg b, Reg c) { return c - a * b; }
  static Mask less(Reg a, Reg b) { return a < b; }
  static Mask notEqual(Reg a, Reg b) { return a != b; }
  static Mask both(Mask a, Mask b) { return a && b; }
  static bool allTrue(Mask m) { return m; }
  static Reg zeroUnless(Mask m, Reg v) { return m ? v : 0.0; }
  static double sum(Reg v) { return v; }
  // p times 2^n, n in the low bits of t: n is added to p's exponent field
  // (64-bit wrap-around carries a negative n correctly).
  static Reg scaleByShifted(Reg p, Reg t) {
    uint64_t pBits, tBits;
    std::memcpy(&pBits, &p, sizeof pBits);
    std::memcpy(&tBits, &t, sizeof tBits);
    pBits += tBits << 52;
    double result;
    std::memcpy(&result, &pBits, sizeof result);
    return result;
  }
};

}  // namespace

void addChoiceScoresPortable(const ChoiceTables& tables, double* scores) {
  ChoiceKernel<ScalarOps>::run(tables, scores);
}

void kernelExpPortable(const double* x, double* out, int count, bool wideRange) {
  ChoiceKernel<ScalarOps>::expBlock(x, out, count, wideRange);
}

}  // namespace stridewell
