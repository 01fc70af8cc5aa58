// The race filter that decides which races an operation uses: training
// preparation, the profit/loss run and the SIM choice of an SI Map rule. It
// tests track, distance, class, surface and track condition at once; pure
// functions over plain records, safe to call from any thread.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <string_view>

#include "race/race_card.h"
#include "race/race_profile.h"
#include "race/race_result.h"

namespace stridewell {

inline constexpr int kCriteriaDistanceCount = 25;
inline constexpr int kCriteriaClassCount = 23;

// Each group is a bit set: a race passes a group when one of the set bits
// lets it through, so a group with no bit set lets nothing through. A
// value-initialised record (`RaceCriteria{}`) is all zero, as the builders
// expect before they set anything.
struct RaceCriteria {
  static constexpr uint8_t kAllTracks = 0x01;  // trackCode is then ignored

  static constexpr uint8_t kAnyDistance = 0x01;
  static constexpr uint8_t kSprintsOnly = 0x02;
  static constexpr uint8_t kRoutesOnly = 0x04;
  static constexpr uint8_t kCustomDistances = 0x08;  // distanceChecks decide alone

  static constexpr uint8_t kAnyClass = 0x01;
  static constexpr uint8_t kMaidenClaimingOnly = 0x02;
  static constexpr uint8_t kMaidenSpecialWeightOnly = 0x04;
  static constexpr uint8_t kClaimingOnly = 0x08;
  static constexpr uint8_t kAllowanceOnly = 0x10;
  static constexpr uint8_t kStakesOnly = 0x20;
  static constexpr uint8_t kCustomClasses = 0x40;  // classChecks decide alone

  static constexpr uint8_t kAllSurfaces = 0x01;
  static constexpr uint8_t kTurfOnly = 0x02;
  static constexpr uint8_t kDirtOnly = 0x04;
  static constexpr uint8_t kSyntheticOnly = 0x08;

  static constexpr uint8_t kAllConditions = 0x01;
  static constexpr uint8_t kWetOnly = 0x02;
  static constexpr uint8_t kDryOnly = 0x04;

  uint8_t trackFlags = 0;
  char trackCode[4] = {};  // up to 3 characters, a 2-character code stored with "X" appended
  uint8_t distanceFlags = 0;
  bool distanceChecks[kCriteriaDistanceCount] = {};  // per kCriteriaDistances entry
  uint8_t classFlags = 0;
  uint32_t classChecks = 0;  // bit i: kCriteriaClasses entry i
  uint8_t surfaceFlags = 0;
  uint8_t conditionFlags = 0;
};

inline bool classChecked(const RaceCriteria& criteria, int entry) {
  return entry >= 0 && entry < kCriteriaClassCount && (criteria.classChecks >> entry & 1u) != 0;
}
inline void setClassCheck(RaceCriteria& criteria, int entry, bool checked = true) {
  if (entry < 0 || entry >= kCriteriaClassCount) return;
  const uint32_t bit = uint32_t{1} << entry;
  criteria.classChecks = checked ? (criteria.classChecks | bit) : (criteria.classChecks & ~bit);
}

// One entry of the criteria distance list: a race is selected only by an
// exact yardage; the list label goes into check lists, the short one into
// report headers.
struct CriteriaDistance {
  int16_t yards;
  std::string_view listLabel;
  std::string_view shortLabel;
};

inline constexpr std::array<CriteriaDistance, kCriteriaDistanceCount> kCriteriaDistances = {{
    {440, "2f", "2f"},
    {660, "3f", "3f"},
    {880, "4f", "4f"},
    {990, "4+1/2f", "4+1/2f"},
    {1100, "5f", "5f"},
    {1210, "5+1/2f", "5+1/2f"},
    {1320, "6f", "6f"},
    {1430, "6+1/2f", "6+1/2f"},
    {1540, "7f", "7f"},
    {1650, "7+1/2f", "7+1/2f"},
    {1760, "1 mile", "1mi"},
    {1800, "1+2/100 miles", "1+2/100mi"},
    {1830, "1+4/100 miles", "1+4/100mi"},
    {1870, "1+1/16 miles", "1+1/16mi"},
    {1980, "1+1/8 miles", "1+1/8mi"},
    {2090, "1+3/16 miles", "1+3/16mi"},
    {2200, "1+1/4 miles", "1+1/4mi"},
    {2420, "1+3/8 miles", "1+3/8mi"},
    {2640, "1+1/2 miles", "1+1/2mi"},
    {2750, "1+9/16 miles", "1+9/16mi"},
    {2860, "1+5/8 miles", "1+5/8mi"},
    {3080, "1+3/4 miles", "1+3/4mi"},
    {3520, "2 miles", "2mi"},
    {3630, "2+1/16 miles", "2+1/16mi"},
    {3960, "2+1/4 miles", "2+1/4mi"},
}};

// One entry of the criteria class list and the races it selects: a price
// band of one race type (bounds inclusive, so $20,000 lies in two bands),
// maiden special weight, one stakes grade, or non-graded stakes.
struct CriteriaClass {
  enum class Kind : uint8_t { kPriceBand, kMaidenSpecialWeight, kGrade, kNonGraded };
  std::string_view label;
  Kind kind;
  uint8_t raceType;   // ClassCode::Type
  int32_t minAmount;  // kPriceBand: lowest amount; kGrade: the grade
  int32_t maxAmount;  // kPriceBand: highest amount
};

namespace criteria_detail {
inline constexpr int32_t kNoLow = std::numeric_limits<int32_t>::min();
inline constexpr int32_t kNoHigh = std::numeric_limits<int32_t>::max();
constexpr CriteriaClass band(std::string_view label, uint8_t type, int32_t low, int32_t high) {
  return {label, CriteriaClass::Kind::kPriceBand, type, low, high};
}
constexpr CriteriaClass grade(std::string_view label, int32_t grade) {
  return {label, CriteriaClass::Kind::kGrade, ClassCode::kStakes, grade, grade};
}
}  // namespace criteria_detail

inline constexpr std::array<CriteriaClass, kCriteriaClassCount> kCriteriaClasses = [] {
  using namespace criteria_detail;
  constexpr uint8_t kM = ClassCode::kMaiden, kC = ClassCode::kClaiming, kA = ClassCode::kAllowance;
  return std::array<CriteriaClass, kCriteriaClassCount>{{
      band("Maiden: under $10,000", kM, kNoLow, 9999),
      band("Maiden: $10,000-$20,000", kM, 10000, 20000),
      band("Maiden: $20,000-$30,000", kM, 20000, 30000),
      band("Maiden: $30,000-$40,000", kM, 30000, 40000),
      band("Maiden: $40,000-$50,000", kM, 40000, 50000),
      band("Maiden: over $50,000", kM, 50001, kNoHigh),
      {"Maiden Special Weight", CriteriaClass::Kind::kMaidenSpecialWeight, kM, -2, -2},
      band("Claiming: under $10,000", kC, kNoLow, 9999),
      band("Claiming: $10,000-$20,000", kC, 10000, 20000),
      band("Claiming: $20,000-$30,000", kC, 20000, 30000),
      band("Claiming: $30,000-$40,000", kC, 30000, 40000),
      band("Claiming: $40,000-$50,000", kC, 40000, 50000),
      band("Claiming: over $50,000", kC, 50001, kNoHigh),
      band("Allowance: under $10,000", kA, kNoLow, 9999),
      band("Allowance: $10,000-$20,000", kA, 10000, 20000),
      band("Allowance: $20,000-$30,000", kA, 20000, 30000),
      band("Allowance: $30,000-$40,000", kA, 30000, 40000),
      band("Allowance: $40,000-$50,000", kA, 40000, 50000),
      band("Allowance: over $50,000", kA, 50001, kNoHigh),
      grade("Stakes: Grade I", 1),
      grade("Stakes: Grade II", 2),
      grade("Stakes: Grade III", 3),
      {"Stakes: Non-Graded", CriteriaClass::Kind::kNonGraded, ClassCode::kStakes, 0, 0},
  }};
}();

// The class list entries that begin each group of the descriptions.
inline constexpr int kMaidenBandsFirst = 0;
inline constexpr int kMaidenSpecialWeightEntry = 6;
inline constexpr int kClaimingBandsFirst = 7;
inline constexpr int kAllowanceBandsFirst = 13;
inline constexpr int kStakesFirst = 19;
inline constexpr int kPriceBandCount = 6;

// Whether class list entry `entry` selects a race of class `raceClass`. A
// maiden race with amount -2 is maiden special weight and no maiden price
// band; any other maiden amount (-1 included) is a claiming price and falls
// in a band. Out-of-range entries select nothing.
bool classEntrySelects(int entry, ClassCode raceClass);

// True when the race passes all five groups. Only the condition is read
// from `result`, so a caller without a real result fills in just that.
bool matchesCriteria(const RaceCriteria& criteria, const RaceProfile& profile, const RaceResult& result);

}  // namespace stridewell
