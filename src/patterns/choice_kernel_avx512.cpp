// The shared-work scorer eight choices at a time with AVX-512 (foundation
// instructions only). Built with them enabled; called only after the
// processor has been seen to have them.
#include "patterns/choice_tables.h"

#if defined(__x86_64__)
#include <immintrin.h>

#include "patterns/choice_kernel.h"

namespace stridewell {
namespace {

struct Avx512Ops {
  using Reg = __m512d;
  using Mask = __mmask8;
  static constexpr int kLanes = 8;
  static Reg load(const double* p) { return _mm512_load_pd(p); }
  static void store(double* p, Reg v) { _mm512_store_pd(p, v); }
  static Reg broadcast(double v) { return _mm512_set1_pd(v); }
  static Reg add(Reg a, Reg b) { return _mm512_add_pd(a, b); }
  static Reg sub(Reg a, Reg b) { return _mm512_sub_pd(a, b); }
  static Reg mul(Reg a, Reg b) { return _mm512_mul_pd(a, b); }
  static Reg div(Reg a, Reg b) { return _mm512_div_pd(a, b); }
  static Reg neg(Reg a) {
    return _mm512_castsi512_pd(_mm512_xor_si512(
        _mm512_castpd_si512(a), _mm512_set1_epi64(static_cast<long long>(0x8000000000000000ull))));
  }
  static Reg min(Reg a, Reg b) { return _mm512_min_pd(a, b); }
  static Reg max(Reg a, Reg b) { return _mm512_max_pd(a, b); }
  static Reg fmadd(Reg a, Reg b, Reg c) { return _mm512_fmadd_pd(a, b, c); }
  static Reg fnmadd(Reg a, Reg b, Reg c) { return _mm512_fnmadd_pd(a, b, c); }
  static Mask less(Reg a, Reg b) { return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ); }
  static Mask notEqual(Reg a, Reg b) { return _mm512_cmp_pd_mask(a, b, _CMP_NEQ_OQ); }
  static Mask both(Mask a, Mask b) { return static_cast<Mask>(a & b); }
  static bool allTrue(Mask m) { return m == 0xFF; }
  static Reg zeroUnless(Mask m, Reg v) { return _mm512_maskz_mov_pd(m, v); }
  static double sum(Reg v) {
    const __m256d half = _mm256_add_pd(
        _mm512_castpd512_pd256(v), _mm256_castsi256_pd(_mm512_extracti64x4_epi64(_mm512_castpd_si512(v), 1)));
    const __m128d pair = _mm_add_pd(_mm256_castpd256_pd128(half), _mm256_extractf128_pd(half, 1));
    return _mm_cvtsd_f64(_mm_add_sd(pair, _mm_unpackhi_pd(pair, pair)));
  }
  static Reg scaleByShifted(Reg p, Reg t) {
    const __m512i exponent = _mm512_slli_epi64(_mm512_castpd_si512(t), 52);
    return _mm512_castsi512_pd(_mm512_add_epi64(_mm512_castpd_si512(p), exponent));
  }
};

}  // namespace

void addChoiceScoresAvx512(const ChoiceTables& tables, double* scores) {
  ChoiceKernel<Avx512Ops>::run(tables, scores);
}

void kernelExpAvx512(const double* x, double* out, int count, bool wideRange) {
  ChoiceKernel<Avx512Ops>::expBlock(x, out, count, wideRange);
}

}  // namespace stridewell
#endif
