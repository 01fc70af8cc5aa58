#include "race/class_levels.h"

namespace stridewell {

namespace {

constexpr int32_t kLevelThresholds[] = {40000, 30000, 23000, 19000, 15000, 12000, 9500, 8000, 7000,
                                        5750,  4500,  3500,  3000,  2250,  1800,  1500, 1000};
constexpr int kLowestLevel = 17;

// Maiden special weight (-2) ranks with the best maiden races, a maiden race
// without a price (-1) with the cheapest.
int maidenLevel(int32_t amount) {
  if (amount == -2) return 1;
  if (amount == -1) return kLowestLevel;
  return classLevel(amount);
}

// An allowance race (purse) against a claiming race (price).
bool allowanceAtLeastClaiming(int32_t purse, int32_t price) {
  if (price < 15000 || purse >= 15000) return true;
  if (purse < 5000) return false;
  if (purse < 10000) return price <= 20000;
  return price < 30000;
}

// A claiming race (price) against an allowance race (purse).
bool claimingAtLeastAllowance(int32_t price, int32_t purse) {
  if (price < 15000 || purse >= 15000) return false;
  if (purse < 5000) return true;
  if (purse < 10000) return price > 20000;
  return price >= 30000;
}

}  // namespace

int classLevel(int32_t amount) {
  for (int i = 0; i < kLowestLevel; ++i) {
    if (amount >= kLevelThresholds[i]) return i + 1;
  }
  return kLowestLevel;
}

bool classAtLeast(const ClassCode& a, const ClassCode& b) {
  if (a.type == ClassCode::kNone || b.type == ClassCode::kNone) return true;
  if (a.type == b.type) {
    switch (a.type) {
      case ClassCode::kMaiden:
        return maidenLevel(a.amount) <= maidenLevel(b.amount);
      case ClassCode::kClaiming:
      case ClassCode::kAllowance:
        return classLevel(a.amount) <= classLevel(b.amount);
      default:
        return true;  // stakes are all alike here
    }
  }
  if (a.type == ClassCode::kAllowance && b.type == ClassCode::kClaiming) {
    return allowanceAtLeastClaiming(a.amount, b.amount);
  }
  if (a.type == ClassCode::kClaiming && b.type == ClassCode::kAllowance) {
    return claimingAtLeastAllowance(a.amount, b.amount);
  }
  return a.type >= b.type;
}

bool majorClassDrop(const ClassCode& from, const ClassCode& to) {
  if (from.type == ClassCode::kNone || to.type == ClassCode::kNone) return false;
  if (from.type != to.type) {
    if (to.type == ClassCode::kMaiden) return true;
    if (from.type == ClassCode::kStakes) {
      return (to.type == ClassCode::kClaiming && to.amount < 20000) ||
             (to.type == ClassCode::kAllowance && to.amount < 10000);
    }
    if (from.type == ClassCode::kAllowance) {
      return to.type == ClassCode::kClaiming && to.amount < 10000;
    }
    return false;
  }
  if (from.type == ClassCode::kStakes) return false;
  if (from.type == ClassCode::kMaiden) {
    const auto unpriced = [](int32_t amount) { return amount == -1 || amount == -2; };
    if (unpriced(from.amount) || unpriced(to.amount)) return false;
  }
  return classLevel(to.amount) >= classLevel(from.amount) + 2;
}

}  // namespace stridewell
