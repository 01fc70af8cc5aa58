#include "race/criteria_choices.h"

#include <cstring>

#include "base/text_trim.h"

namespace stridewell {
namespace {

constexpr uint8_t kDistanceBits[] = {RaceCriteria::kAnyDistance, RaceCriteria::kRoutesOnly,
                                     RaceCriteria::kSprintsOnly, RaceCriteria::kCustomDistances};
constexpr uint8_t kClassBits[] = {
    RaceCriteria::kAnyClass,     RaceCriteria::kMaidenClaimingOnly, RaceCriteria::kMaidenSpecialWeightOnly,
    RaceCriteria::kClaimingOnly, RaceCriteria::kAllowanceOnly,      RaceCriteria::kStakesOnly,
    RaceCriteria::kCustomClasses};
constexpr uint8_t kSurfaceBits[] = {RaceCriteria::kAllSurfaces, RaceCriteria::kTurfOnly,
                                    RaceCriteria::kDirtOnly, RaceCriteria::kSyntheticOnly};
constexpr uint8_t kConditionBits[] = {RaceCriteria::kAllConditions, RaceCriteria::kWetOnly,
                                      RaceCriteria::kDryOnly};
static_assert(std::size(kDistanceBits) == kDistanceItems.size());
static_assert(std::size(kClassBits) == kClassItems.size());
static_assert(std::size(kSurfaceBits) == kSurfaceItems.size());
static_assert(std::size(kConditionBits) == kConditionItems.size());

template <size_t N>
uint8_t itemBit(const uint8_t (&bits)[N], int index) {
  return (index >= 0 && static_cast<size_t>(index) < N) ? bits[index] : 0;
}

}  // namespace

std::string criteriaTrackText(std::string_view editText) {
  // Trim again after the cut so that "AB CD" gives "AB", as the 3-character
  // edit would have shown it after its own trim.
  return std::string(trimmed(trimmed(editText, kWhiteSpace).substr(0, 3), kWhiteSpace));
}

void setTrackCriterion(RaceCriteria& criteria, std::string_view editText) {
  std::string code = criteriaTrackText(editText);
  std::memset(criteria.trackCode, 0, sizeof criteria.trackCode);
  if (code.empty()) {
    criteria.trackFlags = RaceCriteria::kAllTracks;
    return;
  }
  criteria.trackFlags = 0;
  if (code.size() == 2) code += 'X';
  std::memcpy(criteria.trackCode, code.data(), code.size());  // at most 3 bytes, NUL kept
}

RaceCriteria buildCriteria(const CriteriaChoices& choices) {
  RaceCriteria criteria{};
  criteria.distanceFlags = itemBit(kDistanceBits, choices.distance);
  if (choices.distance == kDistanceCustomItem) {
    for (int i = 0; i < kCriteriaDistanceCount; ++i) criteria.distanceChecks[i] = choices.distanceChecks[i];
  }
  criteria.classFlags = itemBit(kClassBits, choices.raceClass);
  if (choices.raceClass == kClassCustomItem) {
    for (int i = 0; i < kCriteriaClassCount; ++i) setClassCheck(criteria, i, choices.classChecks[i]);
  }
  criteria.surfaceFlags = itemBit(kSurfaceBits, choices.surface);
  criteria.conditionFlags = itemBit(kConditionBits, choices.condition);
  setTrackCriterion(criteria, choices.trackText);
  return criteria;
}

}  // namespace stridewell
