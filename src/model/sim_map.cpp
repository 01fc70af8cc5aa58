#include "model/sim_map.h"

#include <vector>

#include "base/settings_store.h"
#include "race/card_values.h"
#include "race/text_number.h"

namespace stridewell {
namespace {

// The stored keys of rule n (1-10) are the rule number followed by these.
constexpr std::string_view kOnKey = "ON";
constexpr std::string_view kTrackKey = "TRACK";
constexpr std::string_view kDistanceKey = "DISTANCE";
constexpr std::string_view kSurfaceKey = "SURFACE";
constexpr std::string_view kConditionKey = "CONDITION";
constexpr std::string_view kClassKey = "CLASS";
constexpr std::string_view kSimKey = "NN";
constexpr std::string_view kCommentKey = "COMMENT";

std::string ruleKey(int ruleNumber, std::string_view suffix) {
  return std::to_string(ruleNumber) + std::string(suffix);
}

int readIndex(const SettingsStore& store, std::string_view section, int ruleNumber, std::string_view suffix) {
  return toInt(store.read(section, ruleKey(ruleNumber, suffix), "0"));
}

}  // namespace

SimMap defaultSimMap() {
  SimMap map;
  map.rules[0].enabled = true;
  return map;
}

int simMapNumber(std::string_view name) {
  for (int i = 0; i < kSimMapCount; ++i) {
    if (kSimMapNames[i] == name) return i;
  }
  return 0;
}

std::string_view simMapName(int mapNumber) {
  return kSimMapNames[mapNumber >= 0 && mapNumber < kSimMapCount ? mapNumber : 0];
}

SimMap loadSimMap(const SettingsStore& store, int mapNumber) {
  const std::string_view section = simMapName(mapNumber);
  SimMap map;
  map.comment = store.read(section, kCommentKey, "");
  for (int n = 1; n <= kSimMapRuleCount; ++n) {
    SimMapRule& rule = map.rules[n - 1];
    // Only rule 1 is on when nothing is stored, so a fresh map uses Default.
    rule.enabled = store.read(section, ruleKey(n, kOnKey), n == 1 ? "y" : "n") == "y";
    rule.track = store.read(section, ruleKey(n, kTrackKey), "");
    rule.distance = readIndex(store, section, n, kDistanceKey);
    rule.surface = readIndex(store, section, n, kSurfaceKey);
    rule.condition = readIndex(store, section, n, kConditionKey);
    rule.raceClass = readIndex(store, section, n, kClassKey);
    rule.sim = store.read(section, ruleKey(n, kSimKey), kDefaultSimName);
  }
  return map;
}

bool saveSimMap(SettingsStore& store, int mapNumber, const SimMap& map) {
  const std::string section(simMapName(mapNumber));
  std::vector<SettingsStore::Change> changes;
  changes.reserve(1 + 7 * kSimMapRuleCount);
  const auto add = [&](std::string key, std::string value) {
    changes.push_back({section, std::move(key), std::move(value)});
  };
  add(std::string(kCommentKey), map.comment);
  for (int n = 1; n <= kSimMapRuleCount; ++n) {
    const SimMapRule& rule = map.rules[n - 1];
    add(ruleKey(n, kOnKey), rule.enabled ? "y" : "n");
    add(ruleKey(n, kTrackKey), rule.track);
    add(ruleKey(n, kDistanceKey), std::to_string(rule.distance));
    add(ruleKey(n, kSurfaceKey), std::to_string(rule.surface));
    add(ruleKey(n, kConditionKey), std::to_string(rule.condition));
    add(ruleKey(n, kClassKey), std::to_string(rule.raceClass));
    add(ruleKey(n, kSimKey), rule.sim);
  }
  // One replacement of the file: another running copy never sees half a map.
  return store.write(changes);
}

std::vector<std::string> simMapRulesUsing(const SettingsStore& store, std::string_view simName) {
  std::vector<std::string> uses;
  for (int mapNumber = 0; mapNumber < kSimMapCount; ++mapNumber) {
    const SimMap map = loadSimMap(store, mapNumber);
    for (int n = 1; n <= kSimMapRuleCount; ++n) {
      const SimMapRule& rule = map.rules[n - 1];
      if (!equalsIgnoreCase(rule.sim, simName)) continue;
      uses.push_back(std::string(simMapName(mapNumber)) + " rule " + std::to_string(n) +
                     (rule.enabled ? "" : " (off)"));
    }
  }
  return uses;
}

}  // namespace stridewell
