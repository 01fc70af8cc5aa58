#include "handicap/sim_map_rules.h"

#include "model/sim_list.h"
#include "race/criteria_choices.h"
#include "race/race_result.h"

namespace stridewell {
namespace {

// Index i of a rule's drop-down -> its RaceCriteria bit. The distance list
// reads All, Route, Sprint, so its bits are not in bit order.
constexpr uint8_t kDistanceBits[] = {RaceCriteria::kAnyDistance, RaceCriteria::kRoutesOnly,
                                     RaceCriteria::kSprintsOnly};
constexpr uint8_t kSurfaceBits[] = {RaceCriteria::kAllSurfaces, RaceCriteria::kTurfOnly,
                                    RaceCriteria::kDirtOnly, RaceCriteria::kSyntheticOnly};
constexpr uint8_t kConditionBits[] = {RaceCriteria::kAllConditions, RaceCriteria::kWetOnly,
                                      RaceCriteria::kDryOnly};
constexpr uint8_t kClassBits[] = {
    RaceCriteria::kAnyClass,     RaceCriteria::kMaidenClaimingOnly, RaceCriteria::kMaidenSpecialWeightOnly,
    RaceCriteria::kClaimingOnly, RaceCriteria::kAllowanceOnly,      RaceCriteria::kStakesOnly};
static_assert(std::size(kDistanceBits) == kSimMapDistanceItems.size());
static_assert(std::size(kSurfaceBits) == kSimMapSurfaceItems.size());
static_assert(std::size(kConditionBits) == kSimMapConditionItems.size());
static_assert(std::size(kClassBits) == kSimMapClassItems.size());

template <size_t N>
uint8_t itemBit(const uint8_t (&bits)[N], int index) {
  return (index >= 0 && static_cast<size_t>(index) < N) ? bits[index] : 0;
}

}  // namespace

RaceCriteria simMapRuleCriteria(const SimMapRule& rule) {
  RaceCriteria criteria{};
  criteria.distanceFlags = itemBit(kDistanceBits, rule.distance);
  criteria.surfaceFlags = itemBit(kSurfaceBits, rule.surface);
  criteria.conditionFlags = itemBit(kConditionBits, rule.condition);
  criteria.classFlags = itemBit(kClassBits, rule.raceClass);
  // A hand-edited track longer than the 3-character edit is cut as the
  // edit would have cut it, so it always fits the 4-byte code slot.
  setTrackCriterion(criteria, rule.track);
  return criteria;
}

ResolvedSimRule resolveSimMapRule(const SimMapRule& rule, const Workspace& workspace) {
  ResolvedSimRule resolved;
  resolved.enabled = rule.enabled;
  resolved.criteria = simMapRuleCriteria(rule);
  resolved.weightsPath = simWeightsPath(workspace, rule.sim);
  resolved.simName = rule.sim;
  return resolved;
}

ResolvedSimMap resolveSimMap(const SimMap& map, const Workspace& workspace) {
  ResolvedSimMap resolved;
  for (int i = 0; i < kSimMapRuleCount; ++i) resolved[i] = resolveSimMapRule(map.rules[i], workspace);
  return resolved;
}

ResolvedSimMap resolveSimMap(const SettingsStore& store, const Workspace& workspace,
                             std::string_view mapName) {
  return resolveSimMap(loadSimMap(store, simMapNumber(mapName)), workspace);
}

int firstMatchingRule(const ResolvedSimMap& rules, const RaceProfile& profile, uint8_t condition) {
  // The match reads only the condition of a result; the rest stays zero.
  RaceResult assumed{};
  assumed.condition = condition;
  for (int i = 0; i < kSimMapRuleCount; ++i) {
    if (rules[i].enabled && matchesCriteria(rules[i].criteria, profile, assumed)) return i;
  }
  return -1;
}

}  // namespace stridewell
