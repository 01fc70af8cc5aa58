#include "race/race_criteria.h"

#include <cstring>
#include <string_view>

#include "race/card_values.h"

namespace stridewell {
namespace {

// Track codes live in 4-byte slots; a slot filled to the brim has no NUL,
// so never read past its end.
template <size_t N>
std::string_view slotText(const char (&slot)[N]) {
  return std::string_view(slot, strnlen(slot, N));
}

bool trackPasses(const RaceCriteria& criteria, const RaceProfile& profile) {
  if (criteria.trackFlags & RaceCriteria::kAllTracks) return true;
  return sameTrack(slotText(criteria.trackCode), slotText(profile.hostTrack));
}

bool distancePasses(const RaceCriteria& criteria, const RaceProfile& profile) {
  const uint8_t flags = criteria.distanceFlags;
  const int16_t yards = profile.distanceYards;
  if (flags & RaceCriteria::kCustomDistances) {
    // Only the exact yardage of a checked entry counts: a race between two
    // listed distances belongs to neither.
    for (int i = 0; i < kCriteriaDistanceCount; ++i) {
      if (criteria.distanceChecks[i] && kCriteriaDistances[i].yards == yards) return true;
    }
    return false;
  }
  return (flags & RaceCriteria::kAnyDistance) ||
         ((flags & RaceCriteria::kSprintsOnly) && profile.sprintRoute == RaceProfile::kSprint) ||
         ((flags & RaceCriteria::kRoutesOnly) && profile.sprintRoute == RaceProfile::kRoute);
}

bool isMaidenSpecialWeight(ClassCode c) {
  return c.type == ClassCode::kMaiden && c.amount == -2;
}

bool classPasses(const RaceCriteria& criteria, ClassCode raceClass) {
  const uint8_t flags = criteria.classFlags;
  if (flags & RaceCriteria::kCustomClasses) {
    for (int i = 0; i < kCriteriaClassCount; ++i) {
      if (classChecked(criteria, i) && classEntrySelects(i, raceClass)) return true;
    }
    return false;
  }
  const bool msw = isMaidenSpecialWeight(raceClass);
  return (flags & RaceCriteria::kAnyClass) ||
         ((flags & RaceCriteria::kMaidenClaimingOnly) && raceClass.type == ClassCode::kMaiden && !msw) ||
         ((flags & RaceCriteria::kMaidenSpecialWeightOnly) && msw) ||
         ((flags & RaceCriteria::kClaimingOnly) && raceClass.type == ClassCode::kClaiming) ||
         ((flags & RaceCriteria::kAllowanceOnly) && raceClass.type == ClassCode::kAllowance) ||
         ((flags & RaceCriteria::kStakesOnly) && raceClass.type == ClassCode::kStakes);
}

bool surfacePasses(uint8_t flags, uint8_t surface) {
  return (flags & RaceCriteria::kAllSurfaces) ||
         ((flags & RaceCriteria::kTurfOnly) && surface == RaceCard::kTurf) ||
         ((flags & RaceCriteria::kDirtOnly) && surface == RaceCard::kDirt) ||
         ((flags & RaceCriteria::kSyntheticOnly) && surface == RaceCard::kOtherSurface);
}

bool conditionPasses(uint8_t flags, uint8_t condition) {
  return (flags & RaceCriteria::kAllConditions) || ((flags & RaceCriteria::kWetOnly) && condition == kWet) ||
         ((flags & RaceCriteria::kDryOnly) && condition == kDry);
}

}  // namespace

bool classEntrySelects(int entry, ClassCode raceClass) {
  if (entry < 0 || entry >= kCriteriaClassCount) return false;
  const CriteriaClass& e = kCriteriaClasses[entry];
  const int32_t amount = raceClass.amount;
  if (raceClass.type != e.raceType) return false;
  switch (e.kind) {
    case CriteriaClass::Kind::kPriceBand:
      return !isMaidenSpecialWeight(raceClass) && amount >= e.minAmount && amount <= e.maxAmount;
    case CriteriaClass::Kind::kMaidenSpecialWeight:
      return isMaidenSpecialWeight(raceClass);
    case CriteriaClass::Kind::kGrade:
      return amount == e.minAmount;
    case CriteriaClass::Kind::kNonGraded:
      return amount < 1 || amount > 3;
  }
  return false;
}

bool matchesCriteria(const RaceCriteria& criteria, const RaceProfile& profile, const RaceResult& result) {
  return trackPasses(criteria, profile) && distancePasses(criteria, profile) &&
         classPasses(criteria, profile.raceClass) && surfacePasses(criteria.surfaceFlags, profile.surface) &&
         conditionPasses(criteria.conditionFlags, result.condition);
}

}  // namespace stridewell
