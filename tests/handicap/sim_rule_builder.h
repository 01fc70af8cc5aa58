// An SI Map rule made ready for a run, built directly: enabled, every
// track, distance, class and surface, the given track conditions and SIM.
#pragma once

#include <cstdint>
#include <string>

#include "handicap/sim_map_rules.h"

namespace stridewell::test {

inline ResolvedSimRule everyRaceRule(uint8_t conditionFlags, const std::string& simName,
                                     const std::string& weightsPath) {
  ResolvedSimRule rule;
  rule.enabled = true;
  rule.criteria.trackFlags = RaceCriteria::kAllTracks;
  rule.criteria.distanceFlags = RaceCriteria::kAnyDistance;
  rule.criteria.classFlags = RaceCriteria::kAnyClass;
  rule.criteria.surfaceFlags = RaceCriteria::kAllSurfaces;
  rule.criteria.conditionFlags = conditionFlags;
  rule.simName = simName;
  rule.weightsPath = weightsPath;
  return rule;
}

}  // namespace stridewell::test
