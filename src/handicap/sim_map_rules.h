// An SI Map made ready for a handicap run: each stored rule turned into a
// race filter and the weights file of its SIM, and the test that finds the
// rule deciding a race under an assumed track condition. Resolved once when
// a run starts, so editing a map affects the next run only.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/sim_map.h"
#include "race/race_criteria.h"
#include "race/race_profile.h"

namespace stridewell {

class SettingsStore;
struct Workspace;

struct ResolvedSimRule {
  bool enabled = false;
  RaceCriteria criteria{};
  std::string weightsPath;  // simWeightsPath of the SIM, whether or not the file exists
  std::string simName;      // as stored, for the report's headings
};

using ResolvedSimMap = std::array<ResolvedSimRule, kSimMapRuleCount>;

// The filter of one rule: distance All/Route/Sprint, surface All/Turf/Dirt/
// Synth, condition All/Wet/Dry and the six class items each set their one
// RaceCriteria bit; an index outside its list sets none, so the rule then
// matches no race. The track is trimmed: empty means all tracks, a
// 2-character code gets "X" appended.
RaceCriteria simMapRuleCriteria(const SimMapRule& rule);

ResolvedSimRule resolveSimMapRule(const SimMapRule& rule, const Workspace& workspace);
ResolvedSimMap resolveSimMap(const SimMap& map, const Workspace& workspace);

// Loads the map named `mapName` ("SI Map 1" to "SI Map 5"; any other name
// means the first) and resolves its ten rules.
ResolvedSimMap resolveSimMap(const SettingsStore& store, const Workspace& workspace,
                             std::string_view mapName);

// The index (0-9) of the first enabled rule whose filter the race meets
// when its track condition is taken as `condition` (1 wet, 2 dry); -1 when
// none does. Later rules are not looked at.
int firstMatchingRule(const ResolvedSimMap& rules, const RaceProfile& profile, uint8_t condition);

}  // namespace stridewell
