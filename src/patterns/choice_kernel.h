// The shared-work scoring loop, written once over the vector operations of
// model/vector_ops.h so that the portable, AVX2 and AVX-512 builds are the
// same algorithm. Included only by the kernel files: everything here has
// internal linkage, so the builds for different instruction sets never
// share a function.
#pragma once

#include "model/vector_ops.h"
#include "patterns/choice_tables.h"

namespace stridewell {
namespace {

// Lanes are values of the last horse of a choice; the four horses before it
// are the loops. The loop is bound by the processor's multiply pipes, so the
// arithmetic is arranged to need as few multiplies as the reference's
// results allow; the comments say where an identity stands in for the
// literal formula. It uses no library code, for the reason above.
template <class Ops>
struct ChoiceKernel {
  using Reg = typename Ops::Reg;
  using Mask = typename Ops::Mask;
  static constexpr int kLanes = Ops::kLanes;
  static constexpr int kMaxGroups = kKernelHorseLanes / kLanes;
  static_assert(kKernelOutputs == 5, "fiveOutputs works out the output units");

  static Reg clamp(Reg x, double low, double high) { return clampLanes<Ops>(x, low, high); }
  // exp over [-kExpBound, kExpBound], and over [-15, 15] for the net inputs
  // of the per-choice work.
  static Reg exp(Reg x) { return expByChebyshev<Ops, true>(x); }
  static Reg expOfNetInput(Reg x) { return expByChebyshev<Ops, false>(x); }

  // Values every lane needs, stored once per lane so that the loop reads
  // them as whole vectors. A hidden unit's output 2f - 1 enters an output
  // unit as w (2f - 1) = 2w f - w, so the weights are kept doubled and their
  // sum is taken off the output's bias once.
  struct LaneTables {
    alignas(64) double doubledWeight[kKernelOutputs][kKernelHiddenUnits][kLanes];
    alignas(64) double expSumD[kKernelHiddenUnits][kLanes];  // exp(+D)
    alignas(64) double sumD[kKernelHiddenUnits][kLanes];
    double outputBase[kKernelOutputs];
  };

  // The last horse's per-race values, gathered for the horses still free
  // after the first three picks, one lane per horse.
  struct FreeLanes {
    alignas(64) double lastExp[kKernelHiddenUnits][kKernelHorseLanes];
    alignas(64) double lastSum[kKernelHiddenUnits][kKernelHorseLanes];
    alignas(64) double lastScore[kKernelHorseLanes];  // each lane's output 4
    int horse[kKernelHorseLanes];

    // Exchanges lanes i and k in every array.
    void swap(int i, int k) {
      for (int j = 0; j < kKernelHiddenUnits; ++j) {
        const double e = lastExp[j][i];
        lastExp[j][i] = lastExp[j][k];
        lastExp[j][k] = e;
        const double s = lastSum[j][i];
        lastSum[j][i] = lastSum[j][k];
        lastSum[j][k] = s;
      }
      const double score = lastScore[i];
      lastScore[i] = lastScore[k];
      lastScore[k] = score;
      const int h = horse[i];
      horse[i] = horse[k];
      horse[k] = h;
    }
  };

  // The net inputs of the five output units for the lanes of group g. With
  // D the first four horses' hidden sum and P the last horse's, a hidden
  // unit's f = 1 / (1 + exp(-(D + P))). The product form writes it as
  // exp(D) / (exp(D) + exp(-P)), from values computed once per prefix and
  // once per race, with no exponential per choice; it is used only where
  // both exponents are small enough for every value to be a normal double.
  template <bool kProductForm>
  static void outputNets(const FreeLanes& free, const LaneTables& lanes, int g, double (*net)[kLanes]) {
    const int lane0 = g * kLanes;
    Reg acc[kKernelOutputs];
    for (int o = 0; o < kKernelOutputs; ++o) acc[o] = Ops::broadcast(lanes.outputBase[o]);
    for (int j = 0; j < kKernelHiddenUnits; ++j) {
      Reg f;
      if constexpr (kProductForm) {
        const Reg expD = Ops::load(lanes.expSumD[j]);
        f = Ops::div(expD, Ops::add(expD, Ops::load(&free.lastExp[j][lane0])));
      } else {
        const Reg sum = Ops::add(Ops::load(lanes.sumD[j]), Ops::load(&free.lastSum[j][lane0]));
        const Reg minusSum = Ops::sub(Ops::broadcast(0.0), clamp(sum, -kNetInputBound, kNetInputBound));
        f = Ops::div(Ops::broadcast(1.0), Ops::add(Ops::broadcast(1.0), expOfNetInput(minusSum)));
      }
      f = clamp(f, kLowestActivation, kHighestActivation);
      for (int o = 0; o < kKernelOutputs; ++o)
        acc[o] = Ops::fmadd(Ops::load(lanes.doubledWeight[o][j]), f, acc[o]);
    }
    for (int o = 0; o < kKernelOutputs; ++o) Ops::store(net[o], acc[o]);
  }

  static void addVectors(double* out, const double* x, const double* y) {
    for (int j = 0; j < kKernelHiddenPadded; j += kLanes) {
      Ops::store(out + j, Ops::add(Ops::load(x + j), Ops::load(y + j)));
    }
  }

  static void run(const ChoiceTables& t, double* scores) {
    const int n = t.horseCount;
    // After the first three picks m horses are free; the fourth pick is
    // moved to lane m - 1, so the last horse runs over lanes 0 to m - 2.
    const int m = n - 3;
    const int lastCount = m - 1;
    const int groups = (lastCount + kLanes - 1) / kLanes;
    alignas(64) double laneIndex[kKernelHorseLanes];
    for (int i = 0; i < kKernelHorseLanes; ++i) laneIndex[i] = i;
    Mask inUse[kMaxGroups];
    for (int g = 0; g < groups; ++g) {
      inUse[g] = Ops::less(Ops::load(laneIndex + g * kLanes), Ops::broadcast(lastCount));
    }
    alignas(64) double sumA[kKernelHiddenPadded], sumB[kKernelHiddenPadded], sumC[kKernelHiddenPadded];
    alignas(64) double sumD[kKernelHiddenPadded], expSumD[kKernelHiddenPadded];
    alignas(64) double nets[kMaxGroups][kKernelOutputs][kLanes];
    LaneTables lanes;
    FreeLanes free;
    for (int o = 0; o < kKernelOutputs; ++o) {
      lanes.outputBase[o] = t.outputBias[o];
      for (int j = 0; j < kKernelHiddenUnits; ++j) {
        lanes.outputBase[o] -= t.outputWeight[o][j];
        Ops::store(lanes.doubledWeight[o][j], Ops::broadcast(2 * t.outputWeight[o][j]));
      }
    }
    // Lanes past the free horses hold harmless values; they are never counted.
    for (int j = 0; j < kKernelHiddenUnits; ++j) {
      for (int i = 0; i < kKernelHorseLanes; ++i) {
        free.lastExp[j][i] = 1.0;
        free.lastSum[j][i] = 0.0;
      }
    }

    for (int a = 0; a < n; ++a) {
      addVectors(sumA, t.hiddenBias, t.slotSum[0][a]);
      for (int b = 0; b < n; ++b) {
        if (b == a) continue;
        addVectors(sumB, sumA, t.slotSum[1][b]);
        for (int c = 0; c < n; ++c) {
          if (c == a || c == b) continue;
          addVectors(sumC, sumB, t.slotSum[2][c]);
          int lane = 0;
          for (int h = 0; h < n; ++h) {
            if (h == a || h == b || h == c) continue;
            for (int j = 0; j < kKernelHiddenUnits; ++j) {
              free.lastExp[j][lane] = t.lastExp[j][h];
              free.lastSum[j][lane] = t.lastSum[j][h];
            }
            free.lastScore[lane] = 0;
            free.horse[lane] = h;
            ++lane;
          }
          // Each free horse in turn is the fourth pick. Going from the last
          // lane down, swapping lane p with lane m - 1 puts the new fourth
          // pick there and returns the previous one to the lanes in use.
          for (int p = m - 1; p >= 0; --p) {
            if (p != m - 1) free.swap(p, m - 1);
            const int d = free.horse[m - 1];
            bool moderate = t.lastSumsModerate;
            for (int j = 0; j < kKernelHiddenPadded; j += kLanes) {
              const Reg sum = Ops::add(Ops::load(sumC + j), Ops::load(t.slotSum[3][d] + j));
              Ops::store(sumD + j, sum);
              Ops::store(expSumD + j, exp(clamp(sum, -kExpBound, kExpBound)));
              const Mask inside = Ops::both(Ops::less(sum, Ops::broadcast(kProductFormLimit)),
                                            Ops::less(Ops::broadcast(-kProductFormLimit), sum));
              moderate = moderate && Ops::allTrue(inside);
            }
            for (int j = 0; j < kKernelHiddenUnits; ++j) {
              if (moderate) {
                Ops::store(lanes.expSumD[j], Ops::broadcast(expSumD[j]));
              } else {
                Ops::store(lanes.sumD[j], Ops::broadcast(sumD[j]));
              }
            }
            // Every group's output nets first, then every group's outputs:
            // each pass is a short chain of work per group, so the
            // processor can have several groups in flight at once.
            for (int g = 0; g < groups; ++g) {
              if (moderate) {
                outputNets<true>(free, lanes, g, nets[g]);
              } else {
                outputNets<false>(free, lanes, g, nets[g]);
              }
            }
            const Reg zero = Ops::broadcast(0.0);
            Reg s0 = zero, s1 = zero, s2 = zero, s3 = zero;
            for (int g = 0; g < groups; ++g) {
              Reg net[kKernelOutputs], out[kKernelOutputs];
              for (int o = 0; o < kKernelOutputs; ++o) net[o] = Ops::load(nets[g][o]);
              fiveOutputs<Ops>(net, out, [](Reg x) { return expOfNetInput(x); });
              s0 = Ops::add(s0, Ops::zeroUnless(inUse[g], out[0]));
              s1 = Ops::add(s1, Ops::zeroUnless(inUse[g], out[1]));
              s2 = Ops::add(s2, Ops::zeroUnless(inUse[g], out[2]));
              s3 = Ops::add(s3, Ops::zeroUnless(inUse[g], out[3]));
              double* last = free.lastScore + g * kLanes;
              Ops::store(last, Ops::add(Ops::load(last), Ops::zeroUnless(inUse[g], out[4])));
            }
            scores[a] += Ops::sum(s0);
            scores[b] += Ops::sum(s1);
            scores[c] += Ops::sum(s2);
            scores[d] += Ops::sum(s3);
          }
          for (int i = 0; i < m; ++i) scores[free.horse[i]] += free.lastScore[i];
        }
      }
    }
  }

  // exp(x) as the loop computes it (for tests).
  static void expBlock(const double* x, double* out, int count, bool wideRange) {
    for (int i = 0; i < count; i += kLanes) {
      alignas(64) double in[kLanes], result[kLanes];
      for (int k = 0; k < kLanes; ++k) in[k] = i + k < count ? x[i + k] : 0.0;
      const Reg v = Ops::load(in);
      Ops::store(result, wideRange ? exp(v) : expOfNetInput(v));
      for (int k = 0; k < kLanes && i + k < count; ++k) out[i + k] = result[k];
    }
  }
};

}  // namespace
}  // namespace stridewell
