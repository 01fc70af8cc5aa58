// The shared-work scorer four choices at a time with AVX2 and FMA. Built
// with those instructions enabled; called only after the processor has been
// seen to have them.
#include "patterns/choice_tables.h"

#if defined(__x86_64__)
#include <immintrin.h>

#include "patterns/choice_kernel.h"

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
  static Reg neg(Reg a) { return _mm256_xor_pd(a, _mm256_set1_pd(-0.0)); }
  static Reg min(Reg a, Reg b) { return _mm256_min_pd(a, b); }
  static Reg max(Reg a, Reg b) { return _mm256_max_pd(a, b); }
  static Reg fmadd(Reg a, Reg b, Reg c) { return _mm256_fmadd_pd(a, b, c); }
  static Reg fnmadd(Reg a, Reg b, Reg c) { return _mm256_fnmadd_pd(a, b, c); }
  static Mask less(Reg a, Reg b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
  static Mask notEqual(Reg a, Reg b) { return _mm256_cmp_pd(a, b, _CMP_NEQ_OQ); }
  static Mask both(Mask a, Mask b) { return _mm256_and_pd(a, b); }
  static bool allTrue(Mask m) { return _mm256_movemask_pd(m) == 0xF; }
  static Reg zeroUnless(Mask m, Reg v) { return _mm256_and_pd(m, v); }
  static double sum(Reg v) {
    const __m128d pair = _mm_add_pd(_mm256_castpd256_pd128(v), _mm256_extractf128_pd(v, 1));
    return _mm_cvtsd_f64(_mm_add_sd(pair, _mm_unpackhi_pd(pair, pair)));
  }
  static Reg scaleByShifted(Reg p, Reg t) {
    const __m256i exponent = _mm256_slli_epi64(_mm256_castpd_si256(t), 52);
    return _mm256_castsi256_pd(_mm256_add_epi64(_mm256_castpd_si256(p), exponent));
  }
};

}  // namespace

void addChoiceScoresAvx2(const ChoiceTables& tables, double* scores) {
  ChoiceKernel<Avx2Ops>::run(tables, scores);
}

void kernelExpAvx2(const double* x, double* out, int count, bool wideRange) {
  ChoiceKernel<Avx2Ops>::expBlock(x, out, count, wideRange);
}

}  // namespace stridewell
#endif
