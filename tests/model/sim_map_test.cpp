// SI Maps in the settings file: what a fresh map is, that saving writes all
// 71 keys under their stored names and a new store reads them back, how
// stored texts that a person or an older program wrote are read, and which
// names select which map.
#include "model/sim_map.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "base/settings_file.h"
#include "base/settings_store.h"
#include "support/temp_folder.h"

namespace stridewell {
namespace {

std::string settingsPath(const test::TempFolder& folder) {
  return (folder.path() / "settings.conf").string();
}

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A map with a different value in every field of every rule.
SimMap everyFieldSet() {
  SimMap map;
  map.comment = "Turf; sprints=A, [routes] B\nsecond line";
  for (int i = 0; i < kSimMapRuleCount; ++i) {
    SimMapRule& rule = map.rules[i];
    rule.enabled = i % 3 != 1;
    rule.track = i % 2 == 0 ? "AQ" : "s a";
    rule.distance = i % 3;
    rule.surface = (i + 1) % 4;
    rule.condition = (i + 2) % 3;
    rule.raceClass = (i + 3) % 6;
    rule.sim = "SIM number " + std::to_string(i + 1);
  }
  return map;
}

TEST(SimMap, AFreshMapUsesDefaultForEveryRaceThroughRuleOne) {
  test::TempFolder folder;
  const SettingsStore store(settingsPath(folder));
  for (int number = 0; number < kSimMapCount; ++number) {
    const SimMap map = loadSimMap(store, number);
    EXPECT_EQ(map.comment, "");
    for (int i = 0; i < kSimMapRuleCount; ++i) {
      SCOPED_TRACE("rule " + std::to_string(i + 1));
      const SimMapRule& rule = map.rules[i];
      EXPECT_EQ(rule.enabled, i == 0);
      EXPECT_EQ(rule.track, "");
      EXPECT_EQ(rule.distance, 0);
      EXPECT_EQ(rule.surface, 0);
      EXPECT_EQ(rule.condition, 0);
      EXPECT_EQ(rule.raceClass, 0);
      EXPECT_EQ(rule.sim, "Default");
    }
    EXPECT_EQ(map, defaultSimMap());
  }
}

TEST(SimMap, SavingWritesAllSeventyOneKeysUnderTheirStoredNames) {
  test::TempFolder folder;
  SettingsStore store(settingsPath(folder));
  ASSERT_TRUE(store.write("Settings", "SIMAP_NAME", "SI Map 3"));
  ASSERT_TRUE(saveSimMap(store, 2, everyFieldSet()));

  const SettingsParse parsed = parseSettingsText(fileText(settingsPath(folder)));
  EXPECT_EQ(parsed.badLines, 0);
  ASSERT_EQ(parsed.sections.count("SI Map 3"), 1u);
  const SettingsSection& keys = parsed.sections.at("SI Map 3");
  EXPECT_EQ(keys.size(), 71u);
  // Only the saved map's section and what was there before.
  EXPECT_EQ(parsed.sections.size(), 2u);
  EXPECT_EQ(parsed.sections.at("Settings").at("SIMAP_NAME"), "SI Map 3");

  // Rule 1: on, AQ, All, Turf, Dry, Claiming. Rule 2: off, "s a", Route,
  // Dirt, All, Allowance. Rule 10: on, "s a", All, Dirt, Dry, All.
  const struct {
    const char* key;
    const char* value;
  } expected[] = {
      {"COMMENT", "Turf; sprints=A, [routes] B\nsecond line"},
      {"1ON", "y"},
      {"1TRACK", "AQ"},
      {"1DISTANCE", "0"},
      {"1SURFACE", "1"},
      {"1CONDITION", "2"},
      {"1CLASS", "3"},
      {"1NN", "SIM number 1"},
      {"2ON", "n"},
      {"2TRACK", "s a"},
      {"2DISTANCE", "1"},
      {"2SURFACE", "2"},
      {"2CONDITION", "0"},
      {"2CLASS", "4"},
      {"2NN", "SIM number 2"},
      {"10ON", "y"},
      {"10TRACK", "s a"},
      {"10DISTANCE", "0"},
      {"10SURFACE", "2"},
      {"10CONDITION", "2"},
      {"10CLASS", "0"},
      {"10NN", "SIM number 10"},
  };
  for (const auto& e : expected) {
    const auto found = keys.find(e.key);
    ASSERT_NE(found, keys.end()) << e.key;
    EXPECT_EQ(found->second, e.value) << e.key;
  }
  for (int n = 1; n <= kSimMapRuleCount; ++n) {
    for (const char* suffix : {"ON", "TRACK", "DISTANCE", "SURFACE", "CONDITION", "CLASS", "NN"}) {
      EXPECT_EQ(keys.count(std::to_string(n) + suffix), 1u) << n << suffix;
    }
  }
}

TEST(SimMap, ANewStoreReadsBackWhatWasSaved) {
  test::TempFolder folder;
  const SimMap saved = everyFieldSet();
  SimMap outOfRange = defaultSimMap();
  // Indexes nobody can pick are kept as they are, not "repaired".
  outOfRange.rules[4] = {true, "XYZ", 7, -1, 3, 6, "Alpha"};
  {
    SettingsStore store(settingsPath(folder));
    ASSERT_TRUE(saveSimMap(store, 0, saved));
    ASSERT_TRUE(saveSimMap(store, 4, outOfRange));
  }
  const SettingsStore reread(settingsPath(folder));
  EXPECT_EQ(loadSimMap(reread, 0), saved);
  EXPECT_EQ(loadSimMap(reread, 4), outOfRange);
  EXPECT_EQ(loadSimMap(reread, 1), defaultSimMap());
  EXPECT_EQ(loadSimMap(reread, 2), defaultSimMap());
}

TEST(SimMap, SavingAgainReplacesEveryValue) {
  test::TempFolder folder;
  SettingsStore store(settingsPath(folder));
  ASSERT_TRUE(saveSimMap(store, 1, everyFieldSet()));
  ASSERT_TRUE(saveSimMap(store, 1, defaultSimMap()));
  const SettingsStore reread(settingsPath(folder));
  EXPECT_EQ(loadSimMap(reread, 1), defaultSimMap());
}

TEST(SimMap, StoredTextsReadAsTheProgramAlwaysReadThem) {
  const struct {
    const char* key;
    const char* value;
    bool enabled;  // rule 1 when key is 1ON, rule 2 when 2ON
    int distance;  // rule 1
  } cases[] = {
      {"2ON", "y", true, 0},        {"2ON", "Y", false, 0},           {"2ON", "yes", false, 0},
      {"2ON", " y", false, 0},      {"1ON", "n", false, 0},           {"1ON", "", false, 0},
      {"1DISTANCE", "2", true, 2},  {"1DISTANCE", "Sprint", true, 0}, {"1DISTANCE", " 1", true, 1},
      {"1DISTANCE", "2x", true, 2}, {"1DISTANCE", "-3", true, -3},    {"1DISTANCE", "", true, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.key) + "=" + c.value);
    test::TempFolder folder;
    SettingsStore store(settingsPath(folder));
    ASSERT_TRUE(store.write("SI Map 2", c.key, c.value));
    const SimMap map = loadSimMap(store, 1);
    const int rule = c.key[0] == '2' ? 1 : 0;
    EXPECT_EQ(map.rules[rule].enabled, c.enabled);
    EXPECT_EQ(map.rules[0].distance, c.distance);
    EXPECT_EQ(loadSimMap(store, 0), defaultSimMap()) << "another map's section was read";
  }
}

TEST(SimMap, NamesSelectMapsExactly) {
  const struct {
    const char* name;
    int number;
  } cases[] = {
      {"SI Map 1", 0}, {"SI Map 2", 1}, {"SI Map 3", 2},  {"SI Map 4", 3},  {"SI Map 5", 4},
      {"si map 3", 0}, {"SI MAP 3", 0}, {"SI Map 3 ", 0}, {" SI Map 2", 0}, {"SI Map 02", 0},
      {"SI Map 6", 0}, {"SI Map 0", 0}, {"SI Map", 0},    {"", 0},          {"SI Map 5\n", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(simMapNumber(c.name), c.number) << "'" << c.name << "'";
  EXPECT_EQ(simMapNumber(std::string_view("SI Map 4\0", 9)), 0);
}

TEST(SimMap, TheFreshMapSettingNamesTheFirstMap) {
  // A fresh user handicaps with the map that unknown names fall back to.
  EXPECT_EQ(simMapName(0), setting::kSimMapNameDefault);
}

TEST(SimMap, MapNumbersOutsideTheFiveAreTheFirstMap) {
  EXPECT_EQ(simMapName(0), "SI Map 1");
  EXPECT_EQ(simMapName(4), "SI Map 5");
  EXPECT_EQ(simMapName(5), "SI Map 1");
  EXPECT_EQ(simMapName(-1), "SI Map 1");
}

// The rules that would lose their SIM if it were deleted: every rule of
// every map naming it in any letter case, disabled ones marked.
TEST(SimMap, RulesUsingASim) {
  test::TempFolder folder;
  SettingsStore store(settingsPath(folder));
  SimMap second = defaultSimMap();
  second.rules[0].sim = "Alpha";
  second.rules[2].sim = "ALPHA";
  second.rules[2].enabled = true;
  second.rules[9].sim = "alpha";  // disabled
  second.rules[4].sim = "Alphabet";
  ASSERT_TRUE(saveSimMap(store, 1, second));
  SimMap fifth = defaultSimMap();
  fifth.rules[6].sim = "Alpha";
  fifth.rules[6].enabled = true;
  ASSERT_TRUE(saveSimMap(store, 4, fifth));
  struct Case {
    const char* sim;
    std::vector<std::string> uses;
  };
  const Case cases[] = {
      {"Alpha", {"SI Map 2 rule 1", "SI Map 2 rule 3", "SI Map 2 rule 10 (off)", "SI Map 5 rule 7"}},
      {"Alphabet", {"SI Map 2 rule 5 (off)"}},
      // Untouched maps name Default in rule 1 (and, disabled, in the rest).
      {"Beta", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(simMapRulesUsing(store, c.sim), c.uses) << c.sim;
  const std::vector<std::string> defaults = simMapRulesUsing(store, "Default");
  EXPECT_EQ(defaults.front(), "SI Map 1 rule 1");
  EXPECT_EQ(defaults.size(), size_t{5 * kSimMapRuleCount - 5});
}

}  // namespace
}  // namespace stridewell
