// Resolving SI Map rules: each drop-down value to its RaceCriteria bit, the
// track text to the track group, the SIM name to its weights file, and the
// first-matching-rule choice under an assumed dry or wet track.
#include "handicap/sim_map_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "base/settings_store.h"
#include "base/workspace.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

namespace fs = std::filesystem;

constexpr uint8_t kWet = 1;
constexpr uint8_t kDry = 2;

struct Bits {
  uint8_t distance, surface, condition, raceClass;
};

Bits bitsOf(const RaceCriteria& c) {
  return {c.distanceFlags, c.surfaceFlags, c.conditionFlags, c.classFlags};
}

TEST(SimMapRules, EachDropDownValueSetsItsOneBit) {
  // The bits a race filter reads: distance 0x01 any, 0x02 sprints, 0x04
  // routes; surface 0x01 all, 0x02 turf, 0x04 dirt, 0x08 synthetic;
  // condition 0x01 all, 0x02 wet, 0x04 dry; class 0x01 any, 0x02 maiden
  // claiming, 0x04 maiden special weight, 0x08 claiming, 0x10 allowance,
  // 0x20 stakes. Every other group stays at its "All" bit.
  const struct {
    const char* item;
    void (*set)(SimMapRule&);
    Bits bits;
  } cases[] = {
      {"distance All", [](SimMapRule& r) { r.distance = 0; }, {0x01, 0x01, 0x01, 0x01}},
      {"distance Route", [](SimMapRule& r) { r.distance = 1; }, {0x04, 0x01, 0x01, 0x01}},
      {"distance Sprint", [](SimMapRule& r) { r.distance = 2; }, {0x02, 0x01, 0x01, 0x01}},
      {"distance 3", [](SimMapRule& r) { r.distance = 3; }, {0x00, 0x01, 0x01, 0x01}},
      {"distance -1", [](SimMapRule& r) { r.distance = -1; }, {0x00, 0x01, 0x01, 0x01}},
      {"surface Turf", [](SimMapRule& r) { r.surface = 1; }, {0x01, 0x02, 0x01, 0x01}},
      {"surface Dirt", [](SimMapRule& r) { r.surface = 2; }, {0x01, 0x04, 0x01, 0x01}},
      {"surface Synth", [](SimMapRule& r) { r.surface = 3; }, {0x01, 0x08, 0x01, 0x01}},
      {"surface 4", [](SimMapRule& r) { r.surface = 4; }, {0x01, 0x00, 0x01, 0x01}},
      {"condition Wet", [](SimMapRule& r) { r.condition = 1; }, {0x01, 0x01, 0x02, 0x01}},
      {"condition Dry", [](SimMapRule& r) { r.condition = 2; }, {0x01, 0x01, 0x04, 0x01}},
      {"condition 3", [](SimMapRule& r) { r.condition = 3; }, {0x01, 0x01, 0x00, 0x01}},
      {"class Maiden", [](SimMapRule& r) { r.raceClass = 1; }, {0x01, 0x01, 0x01, 0x02}},
      {"class MdnSpWgt", [](SimMapRule& r) { r.raceClass = 2; }, {0x01, 0x01, 0x01, 0x04}},
      {"class Claiming", [](SimMapRule& r) { r.raceClass = 3; }, {0x01, 0x01, 0x01, 0x08}},
      {"class Allowance", [](SimMapRule& r) { r.raceClass = 4; }, {0x01, 0x01, 0x01, 0x10}},
      {"class Stakes", [](SimMapRule& r) { r.raceClass = 5; }, {0x01, 0x01, 0x01, 0x20}},
      {"class 6", [](SimMapRule& r) { r.raceClass = 6; }, {0x01, 0x01, 0x01, 0x00}},
      {"class -2", [](SimMapRule& r) { r.raceClass = -2; }, {0x01, 0x01, 0x01, 0x00}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.item);
    SimMapRule rule;
    c.set(rule);
    const RaceCriteria criteria = simMapRuleCriteria(rule);
    const Bits bits = bitsOf(criteria);
    EXPECT_EQ(bits.distance, c.bits.distance);
    EXPECT_EQ(bits.surface, c.bits.surface);
    EXPECT_EQ(bits.condition, c.bits.condition);
    EXPECT_EQ(bits.raceClass, c.bits.raceClass);
    // No custom lists: a rule has none.
    EXPECT_EQ(criteria.classChecks, 0u);
    for (bool check : criteria.distanceChecks) EXPECT_FALSE(check);
  }
}

TEST(SimMapRules, TheTrackTextBecomesTheTrackGroup) {
  const struct {
    const char* text;
    uint8_t flags;
    const char* code;
  } cases[] = {
      {"", 0x01, ""},         {"   ", 0x01, ""},   {"\t", 0x01, ""},     {"AQ", 0x00, "AQX"},
      {" aq ", 0x00, "aqX"},  {"SA", 0x00, "SAX"}, {"BEL", 0x00, "BEL"}, {"A", 0x00, "A"},
      {"ABCDE", 0x00, "ABC"},  // longer than the edit allows: cut as the edit would
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string("'") + c.text + "'");
    SimMapRule rule;
    rule.track = c.text;
    const RaceCriteria criteria = simMapRuleCriteria(rule);
    EXPECT_EQ(criteria.trackFlags, c.flags);
    EXPECT_EQ(std::string(criteria.trackCode, strnlen(criteria.trackCode, sizeof criteria.trackCode)),
              c.code);
  }
}

// A race of `horses` starters at track "AQX", dirt, a sprint, claiming.
std::unique_ptr<RaceProfile> race(const char* track = "AQX", uint8_t sprintRoute = RaceProfile::kSprint,
                                  uint8_t surface = 0, ClassCode raceClass = {ClassCode::kClaiming, 20000}) {
  auto profile = std::make_unique<RaceProfile>();
  std::memset(profile.get(), 0, sizeof *profile);
  std::strncpy(profile->hostTrack, track, sizeof profile->hostTrack - 1);
  profile->sprintRoute = sprintRoute;
  profile->distanceYards = sprintRoute == RaceProfile::kSprint ? 1320 : 1870;
  profile->surface = surface;
  profile->raceClass = raceClass;
  profile->horseCount = 8;
  return profile;
}

SimMapRule rule(bool enabled, const char* sim) {
  SimMapRule r;
  r.enabled = enabled;
  r.sim = sim;
  return r;
}

Workspace noFolders() {
  Workspace workspace;
  workspace.sim = "/nonexistent/SIM";
  return workspace;
}

ResolvedSimMap resolved(const SimMap& map) {
  return resolveSimMap(map, noFolders());
}

TEST(SimMapRules, AFreshMapTakesEveryRaceWithRuleOneBothWays) {
  const ResolvedSimMap rules = resolved(defaultSimMap());
  for (const auto& profile : {race(), race("SA", RaceProfile::kRoute, 1, {ClassCode::kStakes, 1}),
                              race("BEL", RaceProfile::kRoute, 2, {ClassCode::kMaiden, -2})}) {
    EXPECT_EQ(firstMatchingRule(rules, *profile, kDry), 0);
    EXPECT_EQ(firstMatchingRule(rules, *profile, kWet), 0);
  }
  EXPECT_EQ(rules[0].simName, "Default");
  EXPECT_FALSE(rules[1].enabled);
}

TEST(SimMapRules, TheFirstEnabledMatchingRuleDecides) {
  const auto sprint = race();
  const struct {
    const char* what;
    SimMap map;
    int dry;
    int wet;
  } cases[] = {
      {"only rule: Wet",
       [] {
         SimMap m;
         m.rules[0] = rule(true, "A");
         m.rules[0].condition = 1;
         return m;
       }(),
       -1, 0},
      {"Dry then All",
       [] {
         SimMap m;
         m.rules[0] = rule(true, "A");
         m.rules[0].condition = 2;
         m.rules[1] = rule(true, "B");
         return m;
       }(),
       0, 1},
      {"All then Dry",
       [] {
         SimMap m;
         m.rules[0] = rule(true, "A");
         m.rules[1] = rule(true, "B");
         m.rules[1].condition = 2;
         return m;
       }(),
       0, 0},
      {"a disabled rule that matches is passed over",
       [] {
         SimMap m;
         m.rules[0] = rule(false, "A");
         m.rules[3] = rule(true, "B");
         return m;
       }(),
       3, 3},
      {"Route rule, sprint race",
       [] {
         SimMap m;
         m.rules[0] = rule(true, "A");
         m.rules[0].distance = 1;
         m.rules[9] = rule(true, "B");
         m.rules[9].distance = 2;
         return m;
       }(),
       9, 9},
      {"turf rule, dirt race",
       [] {
         SimMap m;
         m.rules[0] = rule(true, "A");
         m.rules[0].surface = 1;
         return m;
       }(),
       -1, -1},
      {"stakes rule, claiming race; claiming rule",
       [] {
         SimMap m;
         m.rules[0] = rule(true, "A");
         m.rules[0].raceClass = 5;
         m.rules[1] = rule(true, "B");
         m.rules[1].raceClass = 3;
         return m;
       }(),
       1, 1},
      {"track AQ matches AQX",
       [] {
         SimMap m;
         m.rules[0] = rule(true, "A");
         m.rules[0].track = "SA";
         m.rules[1] = rule(true, "B");
         m.rules[1].track = "aq";
         return m;
       }(),
       1, 1},
      {"an index nobody can pick matches nothing",
       [] {
         SimMap m;
         m.rules[0] = rule(true, "A");
         m.rules[0].surface = 9;
         return m;
       }(),
       -1, -1},
      {"no rule enabled",
       [] {
         SimMap m;
         m.rules[0] = rule(false, "A");
         return m;
       }(),
       -1, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ResolvedSimMap rules = resolved(c.map);
    EXPECT_EQ(firstMatchingRule(rules, *sprint, kDry), c.dry);
    EXPECT_EQ(firstMatchingRule(rules, *sprint, kWet), c.wet);
  }
}

TEST(SimMapRules, SimNamesResolveToWeightsFilesWhetherOrNotTheyExist) {
  test::TempFolder root;
  Workspace workspace;
  workspace.programFolder = (root.path() / "program").string();
  workspace.sim = (root.path() / "SIM").string();
  fs::create_directories(workspace.programFolder);
  fs::create_directories(workspace.sim);
  std::ofstream(workspace.programFolder + "/Default.SIM") << "weights";
  std::ofstream(workspace.sim + "/Turf.SIM") << "weights";

  SimMap map = defaultSimMap();
  map.rules[1] = rule(true, "Turf");
  map.rules[2] = rule(true, "Ghost");  // deleted since the map was made
  const ResolvedSimMap rules = resolveSimMap(map, workspace);
  EXPECT_EQ(rules[0].weightsPath, workspace.programFolder + "/Default.SIM");
  EXPECT_EQ(rules[1].weightsPath, workspace.sim + "/Turf.SIM");
  EXPECT_EQ(rules[2].weightsPath, workspace.sim + "/Ghost.SIM");
  EXPECT_EQ(rules[2].simName, "Ghost");
  EXPECT_TRUE(rules[2].enabled);
  // A disabled rule is resolved all the same.
  EXPECT_EQ(rules[5].weightsPath, workspace.programFolder + "/Default.SIM");
}

TEST(SimMapRules, TheMapIsChosenByItsName) {
  test::TempFolder root;
  SettingsStore store((root.path() / "settings.conf").string());
  SimMap third = defaultSimMap();
  third.rules[0].sim = "Third";
  third.rules[0].condition = 1;
  ASSERT_TRUE(saveSimMap(store, 2, third));

  const ResolvedSimMap byName = resolveSimMap(store, noFolders(), "SI Map 3");
  EXPECT_EQ(byName[0].simName, "Third");
  EXPECT_EQ(byName[0].criteria.conditionFlags, 0x02);
  EXPECT_EQ(byName[0].weightsPath, "/nonexistent/SIM/Third.SIM");
  // A name that is no map's means the first map, here untouched.
  for (const char* name : {"SI Map 9", "si map 3", ""}) {
    SCOPED_TRACE(name);
    const ResolvedSimMap fallback = resolveSimMap(store, noFolders(), name);
    EXPECT_EQ(fallback[0].simName, "Default");
    EXPECT_EQ(fallback[0].criteria.conditionFlags, 0x01);
  }
}

}  // namespace
}  // namespace stridewell
