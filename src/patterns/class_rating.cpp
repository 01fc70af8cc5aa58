#include "patterns/class_rating.h"

#include "race/class_levels.h"

namespace stridewell {

int priceLevel(int32_t amount) {
  if (amount == 0) return 0;
  if (amount <= 50000) return 18 - classLevel(amount);
  const int32_t level = 18 + (amount - 50000) / 10000;
  return level > 24 ? 24 : level;
}

int classRating(const ClassCode& raceClass) {
  const int32_t amount = raceClass.amount;
  switch (raceClass.type) {
    case ClassCode::kMaiden:
      if (amount == -1) return 10;
      if (amount == -2) return 40;
      return 15 + priceLevel(amount);
    case ClassCode::kClaiming:
      return 45 + priceLevel(amount);
    case ClassCode::kAllowance:
      return 70 + priceLevel(amount);
    case ClassCode::kStakes:
      return 100;
    default:
      return 0;
  }
}

}  // namespace stridewell
