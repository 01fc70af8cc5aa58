// The vector operations the shared-work kernels (trainer and scorer) are
// written over, one set per instruction set, and the arithmetic they build
// on them: clamping, exp and the five output units. Included only by the
// kernel files, each built for its own instruction set: everything here has
// internal linkage, so those builds never share a function, and it uses no
// library code for the same reason. A set is only defined where the file is
// built for its instructions.
#pragma once

#include <cstdint>
#include <cstring>

#include "model/activation_limits.h"

#if defined(__x86_64__) && (defined(__AVX2__) || defined(__AVX512F__))
#include <immintrin.h>
#endif

namespace stridewell {
namespace {

// exp's argument range: every result is a normal double.
constexpr double kExpBound = 708.0;

// One lane: plain C++, for processors without the vector instructions and
// as a check on the vector builds.
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
  static Mask both(Mask a, Mask b) { return a && b; }
  static bool allTrue(Mask m) { return m; }
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

#if defined(__x86_64__) && defined(__AVX2__) && defined(__FMA__)
// Four lanes with AVX2 and FMA.
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
  static Mask both(Mask a, Mask b) { return _mm256_and_pd(a, b); }
  static bool allTrue(Mask m) { return _mm256_movemask_pd(m) == 0xF; }
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
#endif

#if defined(__x86_64__) && defined(__AVX512F__)
// Eight lanes with AVX-512 (foundation instructions only). Only the scorer
// has a kernel for it, so the set has what the scorer needs.
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
  static Reg min(Reg a, Reg b) { return _mm512_min_pd(a, b); }
  static Reg max(Reg a, Reg b) { return _mm512_max_pd(a, b); }
  static Reg fmadd(Reg a, Reg b, Reg c) { return _mm512_fmadd_pd(a, b, c); }
  static Mask less(Reg a, Reg b) { return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ); }
  static Mask both(Mask a, Mask b) { return static_cast<Mask>(a & b); }
  static bool allTrue(Mask m) { return m == 0xFF; }
  static Reg zeroUnless(Mask m, Reg v) { return _mm512_maskz_mov_pd(m, v); }
  static Reg select(Mask m, Reg a, Reg b) { return _mm512_mask_blend_pd(m, b, a); }
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
  // As Avx2Ops::splitExponent, eight lanes at a time.
  static void splitExponent(Reg x, Reg& k, Reg& m) {
    const __m512i b = _mm512_castpd_si512(x);
    const __m512i field = _mm512_and_si512(_mm512_srli_epi64(b, 52), _mm512_set1_epi64(0x7FF));
    const __m512d biased =
        _mm512_sub_pd(_mm512_castsi512_pd(_mm512_or_si512(field, _mm512_set1_epi64(0x4330000000000000ll))),
                      _mm512_set1_pd(4503599627370496.0));
    k = _mm512_sub_pd(biased, _mm512_set1_pd(1023.0));
    const __m512i mantissa = _mm512_or_si512(_mm512_and_si512(b, _mm512_set1_epi64(0x000FFFFFFFFFFFFFll)),
                                             _mm512_set1_epi64(0x3FF0000000000000ll));
    m = _mm512_castsi512_pd(mantissa);
  }
};
#endif

template <class Ops>
typename Ops::Reg clampLanes(typename Ops::Reg x, double low, double high) {
  return Ops::min(Ops::max(x, Ops::broadcast(low)), Ops::broadcast(high));
}

// Two forms of exp, each to about one unit in the last place over
// [-kExpBound, kExpBound]. The trainer keeps the Taylor form (its own
// kernel sums its terms in pairs); a change of form changes every trained
// SIM in its last bits. The scorer takes five per choice and is bound by the length of their chains
// of dependent steps, which the Chebyshev form, evaluated in pairs of
// terms, halves; on the Taylor form it runs 15 to 40% slower.

// x = n ln2 + r with |r| <= ln2 / 2, n in the low bits of t (as
// Ops::scaleByShifted takes it). kWideRange: ln 2 in two parts, so that
// n ln 2 is exact for any x in [-kExpBound, kExpBound]; otherwise one part,
// within half a unit in the last place for x in [-15, 15].
template <class Ops, bool kWideRange>
void reduceForExp(typename Ops::Reg x, typename Ops::Reg& t, typename Ops::Reg& r) {
  using Reg = typename Ops::Reg;
  const Reg shifter = Ops::broadcast(6755399441055744.0);  // 1.5 * 2^52
  // Adding the shifter rounds x log2(e) to an integer n, which then sits
  // in the low bits of t.
  t = Ops::fmadd(x, Ops::broadcast(1.4426950408889634), shifter);
  const Reg n = Ops::sub(t, shifter);
  if constexpr (kWideRange) {
    r = Ops::fmadd(n, Ops::broadcast(-6.93147180369123816490e-01), x);
    r = Ops::fmadd(n, Ops::broadcast(-1.90821492927058770002e-10), r);
  } else {
    r = Ops::fmadd(n, Ops::broadcast(-0.6931471805599453), x);
  }
}

// 1/k! for k = 0..13: the terms of the Taylor series of exp that the
// trainer sums.
inline constexpr double kInverseFactorials[] = {1.0,
                                                1.0,
                                                1.0 / 2,
                                                1.0 / 6,
                                                1.0 / 24,
                                                1.0 / 120,
                                                1.0 / 720,
                                                1.0 / 5040,
                                                1.0 / 40320,
                                                1.0 / 362880,
                                                1.0 / 3628800,
                                                1.0 / 39916800,
                                                1.0 / 479001600,
                                                1.0 / 6227020800.0};

// The trainer's exp: exp(r) by its Taylor series to r^13 (the next term is
// below 5e-18), summed from the highest power down.
template <class Ops>
typename Ops::Reg expByTaylor(typename Ops::Reg x) {
  using Reg = typename Ops::Reg;
  Reg t, r;
  reduceForExp<Ops, true>(x, t, r);
  Reg p = Ops::broadcast(kInverseFactorials[13]);
  for (int k = 12; k >= 0; --k) p = Ops::fmadd(p, r, Ops::broadcast(kInverseFactorials[k]));
  return Ops::scaleByShifted(p, t);
}

// The scorer's exp: exp(r) by a degree-11 polynomial (Chebyshev fit on
// [-0.3467, 0.3467], error below 4e-18), in pairs of terms (Estrin's
// scheme) so that its chain of dependent steps is short. Over [-15, 15],
// the range of the per-choice work, the one-part reduction will do.
template <class Ops, bool kWideRange>
typename Ops::Reg expByChebyshev(typename Ops::Reg x) {
  using Reg = typename Ops::Reg;
  Reg t, r;
  reduceForExp<Ops, kWideRange>(x, t, r);
  const Reg r2 = Ops::mul(r, r);
  const Reg r4 = Ops::mul(r2, r2);
  const Reg q0 = Ops::fmadd(Ops::broadcast(1.0), r, Ops::broadcast(1.0));
  const Reg q1 = Ops::fmadd(Ops::broadcast(0.1666666666666668), r, Ops::broadcast(0.5000000000000019));
  const Reg q2 = Ops::fmadd(Ops::broadcast(0.008333333333319561), r, Ops::broadcast(0.04166666666648757));
  const Reg q3 = Ops::fmadd(Ops::broadcast(0.00019841269890154013), r, Ops::broadcast(0.001388888895245379));
  const Reg q4 =
      Ops::fmadd(Ops::broadcast(2.7557240804190355e-06), r, Ops::broadcast(2.4801485333574577e-05));
  const Reg q5 = Ops::fmadd(Ops::broadcast(2.5110079917407737e-08), r, Ops::broadcast(2.763269466207279e-07));
  const Reg s0 = Ops::fmadd(q1, r2, q0);
  const Reg s1 = Ops::fmadd(q3, r2, q2);
  const Reg s2 = Ops::fmadd(q5, r2, q4);
  const Reg p = Ops::fmadd(Ops::fmadd(s2, r4, s1), r4, s0);
  return Ops::scaleByShifted(p, t);
}

// The five output units from their net inputs: 1 / (1 + exp(-net)) each,
// with the kernel's exp, held inside the activation limits, with one
// division for all five (the reciprocal of the product times the other
// four factors; with net cut at +-kNetInputBound every factor is at most
// 1 + e^15, so the product is finite). A few units in the last place,
// against five divisions.
template <class Ops, class Exp>
void fiveOutputs(const typename Ops::Reg* net, typename Ops::Reg* out, Exp exp) {
  using Reg = typename Ops::Reg;
  const Reg one = Ops::broadcast(1.0);
  const Reg zero = Ops::broadcast(0.0);
  Reg d[5];
  for (int o = 0; o < 5; ++o) {
    d[o] = Ops::add(one, exp(Ops::sub(zero, clampLanes<Ops>(net[o], -kNetInputBound, kNetInputBound))));
  }
  const Reg p01 = Ops::mul(d[0], d[1]);
  const Reg p23 = Ops::mul(d[2], d[3]);
  const Reg p0123 = Ops::mul(p01, p23);
  const Reg inverse = Ops::div(one, Ops::mul(p0123, d[4]));
  const Reg inverse0123 = Ops::mul(inverse, d[4]);
  const Reg inverse01 = Ops::mul(inverse0123, p23);
  const Reg inverse23 = Ops::mul(inverse0123, p01);
  out[0] = Ops::mul(inverse01, d[1]);
  out[1] = Ops::mul(inverse01, d[0]);
  out[2] = Ops::mul(inverse23, d[3]);
  out[3] = Ops::mul(inverse23, d[2]);
  out[4] = Ops::mul(inverse, p0123);
  for (int o = 0; o < 5; ++o) out[o] = clampLanes<Ops>(out[o], kLowestActivation, kHighestActivation);
}

}  // namespace
}  // namespace stridewell
