// The shared-work training loop, written once over the vector operations
// of model/vector_ops.h so that the portable and AVX2 builds are the same
// algorithm. Included only by the kernel files: everything here has
// internal linkage, so the builds for different instruction sets never
// share a function.
#pragma once

#include "model/training_tables.h"
#include "model/vector_ops.h"

namespace stridewell {
namespace {

// Finish given to lanes past the field; they never count.
constexpr double kNoFinish = 1e9;

// Lanes are values of the last horse of a choice; the four horses before it
// are the loops. A choice's forward and backward pass is the net's own
// arithmetic; what changes is where the work is done. The first layer's net
// inputs are sums of per-record tables, its gradient is gathered as delta
// sums per slot and horse (multiplied out once per record), the hidden
// logistic of a choice comes from exponentials computed once per record
// (per prefix only a product of them), and the output slopes are summed
// from buffered activations and deltas once per prefix of three. Each of
// these only reorders or regroups the reference's additions and
// multiplications, so results agree with it to rounding. It uses no
// library code, for the reason above.
template <class Ops>
struct TrainingLoop {
  using Reg = typename Ops::Reg;
  using Mask = typename Ops::Mask;
  static constexpr int kLanes = Ops::kLanes;
  static constexpr int kMaxGroups = kTrainHorseLanes / kLanes;
  static constexpr int kHiddenVectors = kTrainHiddenPadded / kLanes;
  static constexpr int kInputVectors = kTrainInputsPadded / kLanes;
  static_assert(kTrainHiddenPadded % kLanes == 0 && kTrainInputsPadded % kLanes == 0);
  static_assert(kTrainHorseLanes % kLanes == 0);
  static_assert(kTrainOutputs == 5, "fiveOutputs works out the output units");

  static Reg broadcast(double v) { return Ops::broadcast(v); }

  static Reg clamp(Reg x, double low, double high) { return clampLanes<Ops>(x, low, high); }
  static Reg exp(Reg x) { return expByTaylor<Ops>(x); }

  // The same Taylor series as exp, summed in pairs of terms (Estrin's
  // scheme): the output units take five per choice, and their chain of
  // dependent steps is a third as long this way. Rounding differs from
  // exp's by a unit in the last place at most.
  static Reg shortExp(Reg x) {
    Reg t, r;
    reduceForExp<Ops, true>(x, t, r);
    constexpr const double* c = kInverseFactorials;
    const Reg r2 = Ops::mul(r, r);
    const Reg r4 = Ops::mul(r2, r2);
    const Reg r8 = Ops::mul(r4, r4);
    Reg q[7];
    for (int k = 0; k < 7; ++k) q[k] = Ops::fmadd(broadcast(c[2 * k + 1]), r, broadcast(c[2 * k]));
    const Reg s0 = Ops::fmadd(q[1], r2, q[0]);
    const Reg s1 = Ops::fmadd(q[3], r2, q[2]);
    const Reg s2 = Ops::fmadd(q[5], r2, q[4]);
    const Reg p = Ops::fmadd(Ops::fmadd(q[6], r4, s2), r8, Ops::fmadd(s1, r4, s0));
    return Ops::scaleByShifted(p, t);
  }

  // Every value of the padded hidden vector v lies within +-limit.
  static bool within(const double* v, double limit) {
    const auto inside = [&](int j) {
      const Reg x = Ops::load(v + j);
      return Ops::both(Ops::less(x, broadcast(limit)), Ops::less(broadcast(-limit), x));
    };
    Mask all = inside(0);
    for (int j = kLanes; j < kTrainHiddenPadded; j += kLanes) all = Ops::both(all, inside(j));
    return Ops::allTrue(all);
  }

  // ln(u / v) for positive normal u and v without dividing them: with
  // u = 2^ku mu and v = 2^kv mv (mantissas in [1, 2)), one mantissa is
  // halved or doubled until mu / mv lies in [sqrt(1/2), sqrt(2)]; then
  // ln(mu / mv) = 2 atanh(s) with s = (mu - mv) / (mu + mv), |s| <= 0.1716,
  // summed as 2s + s R(s^2) with the classic minimax R (error below 2^-58),
  // and (ku - kv) ln 2 is added in two parts as in exp. mu - mv is exact
  // there, so the result keeps its relative accuracy even near ln 1.
  // Here in the parts before and after the one division, s = top / bottom
  // with bottom in [1.7, 4.9), so that several can share one division.
  struct LogParts {
    Reg k, top, bottom;
  };

  static LogParts splitLogRatio(Reg u, Reg v) {
    Reg ku, mu, kv, mv;
    Ops::splitExponent(u, ku, mu);
    Ops::splitExponent(v, kv, mv);
    Reg k = Ops::sub(ku, kv);
    const Reg root2 = broadcast(1.4142135623730951);
    const Mask high = Ops::less(Ops::mul(root2, mv), mu);
    const Mask low = Ops::less(Ops::mul(root2, mu), mv);
    mu = Ops::select(high, Ops::mul(mu, broadcast(0.5)), Ops::select(low, Ops::add(mu, mu), mu));
    k = Ops::select(high, Ops::add(k, broadcast(1.0)), Ops::select(low, Ops::sub(k, broadcast(1.0)), k));
    return {k, Ops::sub(mu, mv), Ops::add(mu, mv)};
  }

  static Reg finishLogRatio(Reg s, Reg k) {
    const Reg z = Ops::mul(s, s);
    const Reg w = Ops::mul(z, z);
    const Reg t1 = Ops::mul(
        w,
        Ops::fmadd(w, Ops::fmadd(w, broadcast(1.531383769920937332e-01), broadcast(2.222219843214978396e-01)),
                   broadcast(3.999999999940941908e-01)));
    const Reg t2 = Ops::mul(z, Ops::fmadd(w,
                                          Ops::fmadd(w,
                                                     Ops::fmadd(w, broadcast(1.479819860511658591e-01),
                                                                broadcast(1.818357216161805012e-01)),
                                                     broadcast(2.857142874366239149e-01)),
                                          broadcast(6.666666666666735130e-01)));
    const Reg sum =
        Ops::fmadd(s, Ops::add(t2, t1), Ops::fmadd(k, broadcast(1.90821492927058770002e-10), Ops::add(s, s)));
    return Ops::fmadd(k, broadcast(6.93147180369123816490e-01), sum);
  }

  // ln(u[i] / v[i]) for five pairs with one division between them: their
  // bottoms' product is at most 4.9^5. A few units in the last place more
  // than with a division each.
  static void fiveLogRatios(const Reg* u, const Reg* v, Reg* out) {
    LogParts parts[5];
    for (int i = 0; i < 5; ++i) parts[i] = splitLogRatio(u[i], v[i]);
    const Reg p01 = Ops::mul(parts[0].bottom, parts[1].bottom);
    const Reg p23 = Ops::mul(parts[2].bottom, parts[3].bottom);
    const Reg p0123 = Ops::mul(p01, p23);
    const Reg inverse = Ops::div(broadcast(1.0), Ops::mul(p0123, parts[4].bottom));
    const Reg inverse0123 = Ops::mul(inverse, parts[4].bottom);
    const Reg inverse01 = Ops::mul(inverse0123, p23);
    const Reg inverse23 = Ops::mul(inverse0123, p01);
    const Reg reciprocal[5] = {Ops::mul(inverse01, parts[1].bottom), Ops::mul(inverse01, parts[0].bottom),
                               Ops::mul(inverse23, parts[3].bottom), Ops::mul(inverse23, parts[2].bottom),
                               Ops::mul(inverse, p0123)};
    for (int i = 0; i < 5; ++i) out[i] = finishLogRatio(Ops::mul(parts[i].top, reciprocal[i]), parts[i].k);
  }

  // 1 / x[i] for four values from one division: each is the product of
  // the other three over the product of all. Every value must lie within
  // e^+-177 so that the products are normal doubles; a few units in the
  // last place.
  static void reciprocals(const Reg* x, Reg* r) {
    const Reg p01 = Ops::mul(x[0], x[1]);
    const Reg p23 = Ops::mul(x[2], x[3]);
    const Reg inverse = Ops::div(broadcast(1.0), Ops::mul(p01, p23));
    const Reg inverse01 = Ops::mul(inverse, p23);
    const Reg inverse23 = Ops::mul(inverse, p01);
    r[0] = Ops::mul(inverse01, x[1]);
    r[1] = Ops::mul(inverse01, x[0]);
    r[2] = Ops::mul(inverse23, x[3]);
    r[3] = Ops::mul(inverse23, x[2]);
  }

  static void addVectors(double* out, const double* x, const double* y) {
    for (int j = 0; j < kTrainHiddenPadded; j += kLanes) {
      Ops::store(out + j, Ops::add(Ops::load(x + j), Ops::load(y + j)));
    }
  }

  static void multiplyVectors(double* out, const double* x, const double* y) {
    for (int j = 0; j < kTrainHiddenPadded; j += kLanes) {
      Ops::store(out + j, Ops::mul(Ops::load(x + j), Ops::load(y + j)));
    }
  }

  static void buildRecordTables(const TrainingWeights& weights, const RecordInputs& record, RecordTables& t) {
    const int n = record.horseCount;
    alignas(64) double last[kTrainHiddenPadded];
    for (int horse = 0; horse < kTrainMostHorses; ++horse) {
      for (int s = 0; s < kTrainSlots; ++s) {
        Reg sum[kHiddenVectors];
        for (int v = 0; v < kHiddenVectors; ++v) sum[v] = broadcast(0.0);
        if (horse < n) {
          for (int j = 0; j < kTrainInputsPerHorse; ++j) {
            const Reg x = broadcast(record.input[horse][j]);
            const double* row = weights.hiddenWeight[s * kTrainInputsPerHorse + j];
            for (int v = 0; v < kHiddenVectors; ++v)
              sum[v] = Ops::fmadd(Ops::load(row + v * kLanes), x, sum[v]);
          }
        }
        double* out = s < 4 ? t.slotSum[s][horse] : last;
        for (int v = 0; v < kHiddenVectors; ++v) Ops::store(out + v * kLanes, sum[v]);
        if (s == 4) {
          for (int h = 0; h < kTrainHiddenUnits; ++h) t.lastSum[h][horse] = last[h];
        }
      }
    }
    t.slotSumsSmall = true;
    for (int s = 1; s < 4; ++s) {
      for (int horse = 0; horse < kTrainMostHorses; ++horse) {
        t.slotSumsSmall = t.slotSumsSmall && within(t.slotSum[s][horse], kExpFactorLimit);
        for (int j = 0; j < kTrainHiddenPadded; j += kLanes) {
          const Reg sum = clamp(Ops::load(t.slotSum[s][horse] + j), -kExpBound, kExpBound);
          Ops::store(t.slotExp[s][horse] + j, exp(sum));
        }
      }
    }
    t.lastSumsModerate = true;
    for (int h = 0; h < kTrainHiddenUnits; ++h) {
      for (int horse = 0; horse < kTrainHorseLanes; ++horse) {
        if (horse >= n) t.lastSum[h][horse] = 0.0;
        const double sum = t.lastSum[h][horse];
        t.lastSumsModerate =
            t.lastSumsModerate && sum <= kTrainProductFormLimit && sum >= -kTrainProductFormLimit;
      }
      for (int lane = 0; lane < kTrainHorseLanes; lane += kLanes) {
        const Reg minusSum = Ops::sub(broadcast(0.0), Ops::load(&t.lastSum[h][lane]));
        Ops::store(&t.lastExp[h][lane], exp(clamp(minusSum, -kExpBound, kExpBound)));
      }
    }
  }

  // The horses still free after the first three picks, one lane each (lane
  // i holds free horse i), with what the last slot needs of them, the same
  // moved down one lane (lane i holds free horse i + 1), and the slot-4
  // deltas gathered by lane. While free horse p is the fourth pick, lanes
  // below p hold the horses in their own lanes and the rest the next ones,
  // so no values move between choices. Lanes past the free horses hold
  // harmless values. lastSum, which only the rare prefixes off the product
  // form read, is filled in (as the current fourth pick has them) by
  // placeLastSums when one needs it.
  struct FreeLanes {
    alignas(64) double lastExp[kTrainHiddenUnits][kTrainHorseLanes];
    alignas(64) double nextLastExp[kTrainHiddenUnits][kTrainHorseLanes];
    alignas(64) double lastSum[kTrainHiddenUnits][kTrainHorseLanes];
    alignas(64) double deltaSum[kTrainHiddenUnits][kTrainHorseLanes];
    alignas(64) double finish[kTrainHorseLanes];
    alignas(64) double nextFinish[kTrainHorseLanes];
    alignas(64) double index[kTrainHorseLanes];  // 0, 1, 2, ...
    int horse[kTrainHorseLanes];

    void placeLastSums(const RecordTables& t, int fourthLane, int count) {
      for (int h = 0; h < kTrainHiddenUnits; ++h) {
        for (int i = 0; i < count; ++i) lastSum[h][i] = t.lastSum[h][horse[i < fourthLane ? i : i + 1]];
      }
    }

    // Lanes below fourthLane in the lanes of group g.
    Mask before(int g, int fourthLane) const {
      return Ops::less(Ops::load(index + g * kLanes), broadcast(fourthLane));
    }

    // Lane i's delta sums, which belonged to one horse until now, go to
    // `target` (and `total`), and the lane starts again from 0.
    void takeDeltaSums(int i, double* target, double* total) {
      const int first = i / kLanes * kLanes;
      const Reg at = Ops::load(index + first);
      const Mask lane = Ops::both(Ops::less(at, broadcast(i + 0.5)), Ops::less(broadcast(i - 0.5), at));
      for (int h = 0; h < kTrainHiddenUnits; ++h) {
        target[h] += deltaSum[h][i];
        total[h] += deltaSum[h][i];
        Ops::store(&deltaSum[h][first], Ops::select(lane, broadcast(0.0), Ops::load(&deltaSum[h][first])));
      }
    }
  };

  // Groups of lanes one prefix of three picks leads to: the fourth pick
  // takes one of the n - 3 free horses, the last one of the n - 4 left.
  static constexpr int kGroupsPerPick = (kTrainMostHorses - 4 + kLanes - 1) / kLanes;
  // Groups trained side by side.
  static constexpr int kGroupsTogether = 2;
  static constexpr int kMostBufferedGroups = (kTrainMostHorses - 3) * kGroupsPerPick;

  // Lane-wise sums of one trainChoices call, added to TrainingSums at its end.
  struct LaneSums {
    alignas(64) double outputSlope[kTrainOutputs][kTrainHiddenUnits][kLanes];
    alignas(64) double outputBiasSlope[kTrainOutputs][kLanes];
    alignas(64) double squaredError[kLanes];
    // The hidden deltas of the choices with each horse fourth.
    alignas(64) double fourthDelta[kTrainMostHorses][kTrainHiddenUnits][kLanes];
    // The hidden activations and output deltas of the groups since the
    // last foldOutputSlopes: the output slopes are their products, which
    // are summed in registers a few at a time rather than each added to
    // memory as it is made.
    alignas(64) double act[kMostBufferedGroups][kTrainHiddenUnits][kLanes];
    alignas(64) double delta[kMostBufferedGroups][kTrainOutputs][kLanes];
    int buffered;
  };

  // Each output weight spread over a vector, so that the loops take it as
  // an operand instead of broadcasting it every time.
  struct SpreadWeights {
    alignas(64) double output[kTrainHiddenUnits][kTrainOutputs][kLanes];
  };

  static void spreadWeights(const TrainingWeights& w, SpreadWeights& spread) {
    for (int h = 0; h < kTrainHiddenUnits; ++h) {
      for (int o = 0; o < kTrainOutputs; ++o)
        Ops::store(spread.output[h][o], broadcast(w.outputWeight[o][h]));
    }
  }

  // outputSlope[o][h] += the sum over the buffered groups of delta[o] times
  // act[h], lane by lane, and outputBiasSlope[o] += that of delta[o]; two
  // hidden units at a time keeps the ten sums in registers.
  static void foldOutputSlopes(LaneSums& lanes) {
    static_assert(kTrainHiddenUnits % 2 == 0);
    const int count = lanes.buffered;
    for (int o = 0; o < kTrainOutputs; ++o) {
      Reg sum = Ops::load(lanes.outputBiasSlope[o]);
      for (int i = 0; i < count; ++i) sum = Ops::add(sum, Ops::load(lanes.delta[i][o]));
      Ops::store(lanes.outputBiasSlope[o], sum);
    }
    for (int h = 0; h < kTrainHiddenUnits; h += 2) {
      Reg sum0[kTrainOutputs], sum1[kTrainOutputs];
      for (int o = 0; o < kTrainOutputs; ++o) {
        sum0[o] = Ops::load(lanes.outputSlope[o][h]);
        sum1[o] = Ops::load(lanes.outputSlope[o][h + 1]);
      }
      for (int i = 0; i < count; ++i) {
        const Reg a0 = Ops::load(lanes.act[i][h]);
        const Reg a1 = Ops::load(lanes.act[i][h + 1]);
        for (int o = 0; o < kTrainOutputs; ++o) {
          const Reg d = Ops::load(lanes.delta[i][o]);
          sum0[o] = Ops::fmadd(d, a0, sum0[o]);
          sum1[o] = Ops::fmadd(d, a1, sum1[o]);
        }
      }
      for (int o = 0; o < kTrainOutputs; ++o) {
        Ops::store(lanes.outputSlope[o][h], sum0[o]);
        Ops::store(lanes.outputSlope[o][h + 1], sum1[o]);
      }
    }
    lanes.buffered = 0;
  }

  static void addTo(double* sum, Reg v) { Ops::store(sum, Ops::add(Ops::load(sum), v)); }

  // The prefix's values that every lane of a group reads.
  struct Prefix {
    alignas(64) double sum[kTrainHiddenPadded];     // hidden net input of the first four horses
    alignas(64) double expSum[kTrainHiddenPadded];  // exp(+sum), for the product form
    int bestSlot;                                   // best finisher of the first four
    double bestFinish;
    int fourth;      // the fourth horse
    int fourthLane;  // its lane in FreeLanes
  };

  // One forward and backward pass for the choices in the lanes of kWidth
  // groups from firstGroup on. Groups side by side are independent chains
  // of dependent steps, which the processor can overlap.
  // With D the first four horses' hidden net input and P the last horse's,
  // a hidden unit's logistic 1 / (1 + exp(-(D + P))) is written, in the
  // product form, as exp(D) / (exp(D) + exp(-P)): no exponential per
  // choice. It is used only where both exponents are small enough for every
  // value to be a normal double.
  template <bool kProductForm, int kWidth>
  static void trainGroups(const TrainingWeights& w, const SpreadWeights& spread, const Prefix& prefix,
                          FreeLanes& free, int firstGroup, const Mask* inUse, LaneSums& lanes) {
    const Reg one = broadcast(1.0);
    const Reg zero = broadcast(0.0);
    const int first = lanes.buffered;
    lanes.buffered += kWidth;
    int lane0[kWidth];
    Mask before[kWidth];
    for (int k = 0; k < kWidth; ++k) {
      lane0[k] = (firstGroup + k) * kLanes;
      before[k] = free.before(firstGroup + k, prefix.fourthLane);
    }
    // A lone group's net inputs in two halves, the even and odd hidden
    // units, so that each is two short chains instead of one long.
    constexpr int kHalves = kWidth == 1 ? 2 : 1;
    const Reg two = broadcast(2.0);
    const Reg minusOne = broadcast(-1.0);
    Reg net[kWidth * kHalves][kTrainOutputs];
    for (int k = 0; k < kWidth * kHalves; ++k) {
      for (int o = 0; o < kTrainOutputs; ++o)
        net[k][o] = k % kHalves == 0 ? broadcast(w.outputBias[o]) : zero;
    }
    // Hidden units by fours, one division for four. In the product form
    // every exp(D) + exp(-P) lies within 2e^+-170, in the other within
    // [1, 1 + e^15], so the reciprocals' products stay normal.
    static_assert(kTrainHiddenUnits % 4 == 0 && kTrainProductFormLimit <= 170.0);
    for (int h = 0; h < kTrainHiddenUnits; h += 4) {
      for (int k = 0; k < kWidth; ++k) {
        Reg numerator[4], denominator[4];
        for (int i = 0; i < 4; ++i) {
          if constexpr (kProductForm) {
            numerator[i] = broadcast(prefix.expSum[h + i]);
            const Reg lastExp = Ops::select(before[k], Ops::load(&free.lastExp[h + i][lane0[k]]),
                                            Ops::load(&free.nextLastExp[h + i][lane0[k]]));
            denominator[i] = Ops::add(numerator[i], lastExp);
          } else {
            const Reg sum = Ops::add(broadcast(prefix.sum[h + i]), Ops::load(&free.lastSum[h + i][lane0[k]]));
            const Reg minusSum = Ops::sub(zero, clamp(sum, -kNetInputBound, kNetInputBound));
            numerator[i] = one;
            denominator[i] = Ops::add(one, exp(minusSum));
          }
        }
        Reg inverse[4];
        reciprocals(denominator, inverse);
        for (int i = 0; i < 4; ++i) {
          const Reg f = clamp(Ops::mul(numerator[i], inverse[i]), kLowestActivation, kHighestActivation);
          const Reg a = Ops::fmadd(f, two, minusOne);
          Ops::store(lanes.act[first + k][h + i], a);
          Reg* half = net[k * kHalves + i % kHalves];
          for (int o = 0; o < kTrainOutputs; ++o)
            half[o] = Ops::fmadd(Ops::load(spread.output[h + i][o]), a, half[o]);
        }
      }
    }
    if constexpr (kHalves == 2) {
      for (int o = 0; o < kTrainOutputs; ++o) net[0][o] = Ops::add(net[0][o], net[1][o]);
    }

    Reg output[kWidth][kTrainOutputs];
    for (int k = 0; k < kWidth; ++k) {
      fiveOutputs<Ops>(net[k * kHalves], output[k], [](Reg x) { return shortExp(x); });
    }
    // The target is the best finisher of the five, the earlier slot on a
    // tie: the last horse only when it beats the first four outright.
    Mask lastWins[kWidth];
    Reg squared[kWidth];
    for (int k = 0; k < kWidth; ++k) {
      const Reg finish =
          Ops::select(before[k], Ops::load(&free.finish[lane0[k]]), Ops::load(&free.nextFinish[lane0[k]]));
      lastWins[k] = Ops::less(finish, broadcast(prefix.bestFinish));
      squared[k] = zero;
    }
    // The outputs are held inside the activation limits, so no difference
    // from a target of 0 or 1 reaches the point where the error is cut off.
    static_assert(1.0 - kLowestActivation < kLargestLogDifference &&
                  kHighestActivation < kLargestLogDifference);
    Reg error[kWidth][kTrainOutputs];
    for (int k = 0; k < kWidth; ++k) {
      Reg plus[kTrainOutputs], minus[kTrainOutputs];
      for (int o = 0; o < kTrainOutputs; ++o) {
        Reg target = zero;
        if (o == kTrainOutputs - 1) target = Ops::select(lastWins[k], one, zero);
        if (o == prefix.bestSlot) target = Ops::select(lastWins[k], zero, one);
        const Reg difference = Ops::sub(target, output[k][o]);
        squared[k] = Ops::fmadd(difference, difference, squared[k]);
        plus[o] = Ops::add(one, difference);
        minus[o] = Ops::sub(one, difference);
      }
      fiveLogRatios(plus, minus, error[k]);
    }
    Reg delta[kWidth][kTrainOutputs];
    for (int o = 0; o < kTrainOutputs; ++o) {
      for (int k = 0; k < kWidth; ++k) {
        const Reg y = output[k][o];
        const Reg derivative = Ops::fmadd(y, Ops::sub(one, y), broadcast(kDerivativeOffset));
        delta[k][o] = Ops::zeroUnless(inUse[firstGroup + k], Ops::mul(derivative, error[k][o]));
        Ops::store(lanes.delta[first + k][o], delta[k][o]);
      }
    }
    for (int k = 0; k < kWidth; ++k)
      addTo(lanes.squaredError, Ops::zeroUnless(inUse[firstGroup + k], squared[k]));

    // 0.5 (1 - a^2) + offset, the rescaled logistic's slope.
    const Reg derivativeTop = broadcast(0.5 + kDerivativeOffset);
    const Reg minusHalf = broadcast(-0.5);
    double(*const fourthDelta)[kLanes] = lanes.fourthDelta[prefix.fourth];
    for (int h = 0; h < kTrainHiddenUnits; ++h) {
      Reg prefixDelta = Ops::load(fourthDelta[h]);
      for (int k = 0; k < kWidth; ++k) {
        // The output units hand their errors back from the last one down.
        Reg error = Ops::mul(Ops::load(spread.output[h][kTrainOutputs - 1]), delta[k][kTrainOutputs - 1]);
        for (int o = kTrainOutputs - 2; o >= 0; --o)
          error = Ops::fmadd(Ops::load(spread.output[h][o]), delta[k][o], error);
        const Reg a = Ops::load(lanes.act[first + k][h]);
        const Reg derivative = Ops::fmadd(Ops::mul(minusHalf, a), a, derivativeTop);
        const Reg hiddenDelta = Ops::mul(derivative, error);
        prefixDelta = Ops::add(prefixDelta, hiddenDelta);
        addTo(&free.deltaSum[h][lane0[k]], hiddenDelta);
      }
      Ops::store(fourthDelta[h], prefixDelta);
    }
  }

  static bool trainChoices(const TrainingWeights& w, const RecordInputs& record, const RecordTables& t,
                           int firstHorse, int endHorse, TrainingSums& sums, StopCheck stop,
                           const void* stopContext) {
    const int n = record.horseCount;
    // After the first three picks m horses are free; the fourth pick is
    // moved to lane m - 1, so the last horse runs over lanes 0 to m - 2.
    const int m = n - 3;
    const int lastCount = m - 1;
    const int groups = (lastCount + kLanes - 1) / kLanes;
    alignas(64) double laneIndex[kTrainHorseLanes];
    for (int i = 0; i < kTrainHorseLanes; ++i) laneIndex[i] = i;
    Mask inUse[kMaxGroups];
    for (int g = 0; g < groups; ++g)
      inUse[g] = Ops::less(Ops::load(laneIndex + g * kLanes), broadcast(lastCount));

    LaneSums lanes;
    double* const laneValues[] = {&lanes.outputSlope[0][0][0], &lanes.outputBiasSlope[0][0],
                                  lanes.squaredError};
    const int laneValueCounts[] = {kTrainOutputs * kTrainHiddenUnits * kLanes, kTrainOutputs * kLanes,
                                   kLanes};
    for (int i = 0; i < 3; ++i) {
      for (int k = 0; k < laneValueCounts[i]; ++k) laneValues[i][k] = 0.0;
    }
    lanes.buffered = 0;
    for (int horse = 0; horse < kTrainMostHorses; ++horse) {
      for (int h = 0; h < kTrainHiddenUnits; ++h) Ops::store(lanes.fourthDelta[horse][h], broadcast(0.0));
    }
    SpreadWeights spread;
    spreadWeights(w, spread);
    FreeLanes free;
    for (int h = 0; h < kTrainHiddenUnits; ++h) {
      for (int i = 0; i < kTrainHorseLanes; ++i) {
        free.lastExp[h][i] = 1.0;
        free.nextLastExp[h][i] = 1.0;
        free.lastSum[h][i] = 0.0;
        free.deltaSum[h][i] = 0.0;
      }
    }
    for (int i = 0; i < kTrainHorseLanes; ++i) {
      free.finish[i] = kNoFinish;
      free.nextFinish[i] = kNoFinish;
      free.index[i] = i;
      free.horse[i] = 0;
    }

    alignas(64) double sumA[kTrainHiddenPadded], sumB[kTrainHiddenPadded], sumC[kTrainHiddenPadded];
    // exp of sumA to sumC, as products of the per-record exponentials,
    // where every factor is small enough for each product to stay normal.
    alignas(64) double expA[kTrainHiddenPadded] = {}, expB[kTrainHiddenPadded] = {},
                       expC[kTrainHiddenPadded] = {};
    double deltaA[kTrainHiddenUnits], deltaB[kTrainHiddenUnits], deltaC[kTrainHiddenUnits];
    Prefix prefix;
    for (int a = firstHorse; a < endHorse; ++a) {
      addVectors(sumA, w.hiddenBias, t.slotSum[0][a]);
      const bool factorsSmall = t.slotSumsSmall && within(sumA, kExpFactorLimit);
      if (factorsSmall) {
        for (int j = 0; j < kTrainHiddenPadded; j += kLanes) Ops::store(expA + j, exp(Ops::load(sumA + j)));
      }
      for (int h = 0; h < kTrainHiddenUnits; ++h) deltaA[h] = 0.0;
      for (int b = 0; b < n; ++b) {
        if (b == a) continue;
        addVectors(sumB, sumA, t.slotSum[1][b]);
        if (factorsSmall) multiplyVectors(expB, expA, t.slotExp[1][b]);
        for (int h = 0; h < kTrainHiddenUnits; ++h) deltaB[h] = 0.0;
        for (int c = 0; c < n; ++c) {
          if (c == a || c == b) continue;
          // At most 72 choices (12 horses) since the last look.
          if (stop(stopContext)) return false;
          addVectors(sumC, sumB, t.slotSum[2][c]);
          if (factorsSmall) multiplyVectors(expC, expB, t.slotExp[2][c]);
          for (int h = 0; h < kTrainHiddenUnits; ++h) deltaC[h] = 0.0;
          int lane = 0;
          for (int horse = 0; horse < n; ++horse) {
            if (horse == a || horse == b || horse == c) continue;
            for (int h = 0; h < kTrainHiddenUnits; ++h) {
              free.lastExp[h][lane] = t.lastExp[h][horse];
              if (lane > 0) free.nextLastExp[h][lane - 1] = t.lastExp[h][horse];
            }
            free.finish[lane] = record.finish[horse];
            if (lane > 0) free.nextFinish[lane - 1] = record.finish[horse];
            free.horse[lane] = horse;
            ++lane;
          }
          for (int h = 0; h < kTrainHiddenUnits; ++h) {
            for (int i = 0; i < kTrainHorseLanes; i += kLanes)
              Ops::store(&free.deltaSum[h][i], broadcast(0.0));
          }
          // Each free horse in turn is the fourth pick, from the last down.
          // Lane p then stops holding free horse p, the new fourth pick, and
          // holds free horse p + 1 from here on.
          for (int p = m - 1; p >= 0; --p) {
            const int d = free.horse[p];
            if (p != m - 1) free.takeDeltaSums(p, sums.deltaSum[4][d], deltaC);
            addVectors(prefix.sum, sumC, t.slotSum[3][d]);
            const bool moderate = t.lastSumsModerate && within(prefix.sum, kTrainProductFormLimit);
            if (moderate && factorsSmall) {
              multiplyVectors(prefix.expSum, expC, t.slotExp[3][d]);
            } else if (moderate) {
              for (int j = 0; j < kTrainHiddenPadded; j += kLanes) {
                Ops::store(prefix.expSum + j, exp(Ops::load(prefix.sum + j)));
              }
            } else {
              free.placeLastSums(t, p, m - 1);
            }
            prefix.fourth = d;
            prefix.fourthLane = p;
            const int picks[4] = {a, b, c, d};
            prefix.bestSlot = 0;
            prefix.bestFinish = record.finish[a];
            for (int slot = 1; slot < 4; ++slot) {
              if (record.finish[picks[slot]] < prefix.bestFinish) {
                prefix.bestFinish = record.finish[picks[slot]];
                prefix.bestSlot = slot;
              }
            }
            int g = 0;
            for (; g + kGroupsTogether <= groups; g += kGroupsTogether) {
              if (moderate) {
                trainGroups<true, kGroupsTogether>(w, spread, prefix, free, g, inUse, lanes);
              } else {
                trainGroups<false, kGroupsTogether>(w, spread, prefix, free, g, inUse, lanes);
              }
            }
            for (; g < groups; ++g) {
              if (moderate) {
                trainGroups<true, 1>(w, spread, prefix, free, g, inUse, lanes);
              } else {
                trainGroups<false, 1>(w, spread, prefix, free, g, inUse, lanes);
              }
            }
          }
          foldOutputSlopes(lanes);
          // Every choice of this prefix of three added its hidden deltas
          // to its last horse's lane (lanes not in use add 0), so the
          // lanes' totals are also the prefix's. Lane i now holds free
          // horse i + 1.
          for (int i = 0; i + 1 < m; ++i) {
            double* target = sums.deltaSum[4][free.horse[i + 1]];
            for (int h = 0; h < kTrainHiddenUnits; ++h) {
              target[h] += free.deltaSum[h][i];
              deltaC[h] += free.deltaSum[h][i];
            }
          }
          for (int h = 0; h < kTrainHiddenUnits; ++h) {
            sums.deltaSum[2][c][h] += deltaC[h];
            deltaB[h] += deltaC[h];
          }
        }
        for (int h = 0; h < kTrainHiddenUnits; ++h) {
          sums.deltaSum[1][b][h] += deltaB[h];
          deltaA[h] += deltaB[h];
        }
      }
      for (int h = 0; h < kTrainHiddenUnits; ++h) sums.deltaSum[0][a][h] += deltaA[h];
    }

    for (int o = 0; o < kTrainOutputs; ++o) {
      for (int h = 0; h < kTrainHiddenUnits; ++h)
        sums.outputSlope[o][h] += Ops::sum(Ops::load(lanes.outputSlope[o][h]));
      sums.outputBiasSlope[o] += Ops::sum(Ops::load(lanes.outputBiasSlope[o]));
    }
    sums.squaredError += Ops::sum(Ops::load(lanes.squaredError));
    for (int horse = 0; horse < n; ++horse) {
      for (int h = 0; h < kTrainHiddenUnits; ++h)
        sums.deltaSum[3][horse][h] += Ops::sum(Ops::load(lanes.fourthDelta[horse][h]));
    }
    return true;
  }

  // hiddenSlope[h][s][j] += the sum over horses of deltaSum[s][horse][h]
  // times the horse's input j; every choice puts one horse in slot 0, so
  // slot 0's delta sums also make up the bias slopes.
  static void addHiddenSlopes(const RecordInputs& record, TrainingSums& sums) {
    const int n = record.horseCount;
    for (int h = 0; h < kTrainHiddenUnits; ++h) {
      for (int s = 0; s < kTrainSlots; ++s) {
        double* row = sums.hiddenSlope[h][s];
        for (int v = 0; v < kInputVectors; ++v) {
          Reg slope = Ops::load(row + v * kLanes);
          for (int horse = 0; horse < n; ++horse) {
            slope = Ops::fmadd(broadcast(sums.deltaSum[s][horse][h]),
                               Ops::load(record.input[horse] + v * kLanes), slope);
          }
          Ops::store(row + v * kLanes, slope);
        }
      }
      for (int horse = 0; horse < n; ++horse) sums.hiddenBiasSlope[h] += sums.deltaSum[0][horse][h];
    }
  }

  // exp(x) (the tables' form, or with kShort the output units'), and
  // ln(x / y) where y is given, as the loop computes them (for tests).
  template <bool kShort = false>
  static void mapBlock(const double* x, const double* y, double* out, int count) {
    constexpr int kBlock = 5 * kLanes;
    for (int i = 0; i < count; i += kBlock) {
      alignas(64) double in[kBlock], over[kBlock], result[kBlock];
      for (int k = 0; k < kBlock; ++k) {
        in[k] = i + k < count ? x[i + k] : 1.0;
        over[k] = y != nullptr && i + k < count ? y[i + k] : 1.0;
      }
      Reg u[5], v[5], r[5];
      for (int k = 0; k < 5; ++k) {
        u[k] = Ops::load(in + k * kLanes);
        v[k] = Ops::load(over + k * kLanes);
      }
      if (y != nullptr) {
        fiveLogRatios(u, v, r);
      } else {
        for (int k = 0; k < 5; ++k) r[k] = kShort ? shortExp(u[k]) : exp(u[k]);
      }
      for (int k = 0; k < 5; ++k) Ops::store(result + k * kLanes, r[k]);
      for (int k = 0; k < kBlock && i + k < count; ++k) out[i + k] = result[k];
    }
  }
};

}  // namespace
}  // namespace stridewell
