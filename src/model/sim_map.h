// The five SI Maps: ordered lists of ten rules "if a race meets this filter,
// score it with this SIM", kept as string values in the settings sections
// "SI Map 1" to "SI Map 5". This file holds the stored form, its defaults
// and its load and save; resolving a map into ready-to-test rules is in
// sim_map_rules.h. Plain values; call from the thread that owns the store.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "base/setting_keys.h"

namespace stridewell {

class SettingsStore;

using setting::kSimMapCount;
inline constexpr int kSimMapRuleCount = 10;

inline constexpr std::array<std::string_view, kSimMapCount> kSimMapNames = {
    "SI Map 1", "SI Map 2", "SI Map 3", "SI Map 4", "SI Map 5"};

// The SIM kept beside the program rather than in the SIM folder.
inline constexpr std::string_view kDefaultSimName = "Default";

// The drop-down items of a rule row, in index order: a stored index is a
// position in these lists.
inline constexpr std::array<std::string_view, 3> kSimMapDistanceItems = {"All", "Route", "Sprint"};
inline constexpr std::array<std::string_view, 4> kSimMapSurfaceItems = {"All", "Turf", "Dirt", "Synth"};
inline constexpr std::array<std::string_view, 3> kSimMapConditionItems = {"All", "Wet", "Dry"};
inline constexpr std::array<std::string_view, 6> kSimMapClassItems = {"All",      "Maiden",    "MdnSpWgt",
                                                                      "Claiming", "Allowance", "Stakes"};

// One rule as stored. The indexes are kept as read, even outside their
// lists: such a rule is shown and saved unchanged but matches no race.
struct SimMapRule {
  bool enabled = false;
  std::string track;                               // at most 3 characters as typed; empty = any track
  int distance = 0;                                // kSimMapDistanceItems
  int surface = 0;                                 // kSimMapSurfaceItems
  int condition = 0;                               // kSimMapConditionItems
  int raceClass = 0;                               // kSimMapClassItems
  std::string sim = std::string(kDefaultSimName);  // SIM name, no folder or extension

  bool operator==(const SimMapRule&) const = default;
};

struct SimMap {
  std::string comment;
  std::array<SimMapRule, kSimMapRuleCount> rules;  // rule 1 first

  bool operator==(const SimMap&) const = default;
};

// An untouched map: no comment, rule 1 enabled with every filter "All" and
// the Default SIM, rules 2-10 disabled. It handicaps every race with Default.
SimMap defaultSimMap();

// 0-4: the position of `name` in kSimMapNames, compared exactly (case
// matters); 0 for any other name, so an unknown SIMAP_NAME falls back to the
// first map.
int simMapNumber(std::string_view name);

// The name of map 0-4, which is also its settings section ("SI Map 1" ...);
// a number outside 0-4 is taken as 0.
std::string_view simMapName(int mapNumber);

// Reads map 0-4 from its section; a missing section or key reads as its
// default. An enabled flag counts only when it is exactly "y"; an index is
// decimal text read as atoi does (non-numeric text reads as 0).
SimMap loadSimMap(const SettingsStore& store, int mapNumber);

// Writes all 71 keys of map 0-4: COMMENT, then for rules 1 to 10 nON ("y" or
// "n"), nTRACK, nDISTANCE, nSURFACE, nCONDITION, nCLASS (decimal) and nNN
// (the SIM name), all in one replacement of the settings file. False when
// the file could not be written.
bool saveSimMap(SettingsStore& store, int mapNumber, const SimMap& map);

// The rules of the five stored maps that name `simName` (letter case
// ignored, as the SIM lists ignore it), as "SI Map 2 rule 3", a disabled
// rule with " (off)" after it; in map and rule order.
std::vector<std::string> simMapRulesUsing(const SettingsStore& store, std::string_view simName);

}  // namespace stridewell
