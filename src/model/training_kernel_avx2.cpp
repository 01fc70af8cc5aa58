// The shared-work trainer four choices at a time with AVX2 and FMA. Built
// with those instructions enabled; called only after the processor has been
// seen to have them.
#include "model/training_tables.h"

#if defined(__x86_64__)
#include <immintrin.h>

#include "model/training_kernel.h"

namespace stridewell {
namespace {

struct Avx2Ops {
  using Reg = __m256d;
  using Mask = __m256d;  // all ones in a lane that is on
  static constexpr int kLanes = 4;
  static Reg load(const double* p) { return _mm256_load_pd(p); }
  static void store(double* p, Reg v) { _mm256_store_pd(p, v); }
  static Reg broadcast(double v) { return _mm256_set1_pd(v); }
  static Reg add(Reg a, Reg b) { return _mm256_add_pd(a, b); }
  static Reg sub(Reg a, Reg b) { return _mm256_sub_pd(a, b); }
  static Reg mul(Reg a, Reg b) { return _mm256_mul_pd(a, b); }
  static Reg div(Reg a, Reg b) { return _mm256_div_pd(a, b); }
  static Reg min(Reg a, Reg b) { return _mm256_min_pd(a, b); }
  static Reg max(Reg a, Reg b) { return _mm256_max_pd(a, b); }
  static Reg fmadd(Reg a, Reg b, Reg c) { return _mm256_fmadd_pd(a, b, c); }
  static Mask less(Reg a, Reg b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
  static Reg select(Mask m, Reg a, Reg b) { return _mm256_blendv_pd(b, a, m); }
  static Reg zeroUnless(Mask m, Reg v) { return _mm256_and_pd(m, v); }
  static double sum(Reg v) {
    const __m128d pair = _mm_add_pd(_mm256_castpd256_pd128(v), _mm256_extractf128_pd(v, 1));
    return _mm_cvtsd_f64(_mm_add_sd(pair, _mm_unpackhi_pd(pair, pair)));
  }
  static Reg scaleByShifted(Reg p, Reg t) {
    const __m256i exponent = _mm256_slli_epi64(_mm256_castpd_si256(t), 52);
    return _mm256_castsi256_pd(_mm256_add_epi64(_mm256_castpd_si256(p), exponent));
  }
  // x = 2^k m with m in [1, 2), for a positive normal x. The exponent
  // field becomes a double by placing it in the mantissa of 2^52.
  static void splitExponent(Reg x, Reg& k, Reg& m) {
    const __m256i b = _mm256_castpd_si256(x);
    const __m256i field = _mm256_and_si256(_mm256_srli_epi64(b, 52), _mm256_set1_epi64x(0x7FF));
    const __m256d biased =
        _mm256_sub_pd(_mm256_castsi256_pd(_mm256_or_si256(field, _mm256_set1_epi64x(0x4330000000000000ll))),
                      _mm256_set1_pd(4503599627370496.0));
    k = _mm256_sub_pd(biased, _mm256_set1_pd(1023.0));
    const __m256i mantissa = _mm256_or_si256(_mm256_and_si256(b, _mm256_set1_epi64x(0x000FFFFFFFFFFFFFll)),
                                             _mm256_set1_epi64x(0x3FF0000000000000ll));
    m = _mm256_castsi256_pd(mantissa);
  }
};

using Kernel = TrainingLoop<Avx2Ops>;

}  // namespace

const TrainingKernelFunctions kAvx2TrainingKernel = {Kernel::buildRecordTables, Kernel::trainChoices,
                                                     Kernel::addHiddenSlopes};

void trainingExpAvx2(const double* x, double* out, int count) {
  Kernel::mapBlock(x, nullptr, out, count);
}

void trainingLogRatioAvx2(const double* x, const double* y, double* out, int count) {
  Kernel::mapBlock(x, y, out, count);
}

}  // namespace stridewell
#endif
