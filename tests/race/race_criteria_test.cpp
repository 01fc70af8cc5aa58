#include "race/race_criteria.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "race/card_values.h"
#include "race/criteria_choices.h"
#include "race/race.h"

namespace stridewell {
namespace {

// The race facts the filter reads; the defaults are an ordinary dirt sprint.
struct RaceFacts {
  const char* track = "AQU";
  int16_t yards = 1320;
  uint8_t sprintRoute = RaceProfile::kSprint;
  ClassCode raceClass = {ClassCode::kClaiming, 20000};
  uint8_t surface = RaceCard::kDirt;
  uint8_t condition = kDry;
};

bool matches(const RaceCriteria& criteria, const RaceFacts& facts) {
  auto race = std::make_unique<Race>();
  clearRecord(race->profile);
  clearRecord(race->result);
  // Up to four characters: a full slot has no NUL.
  std::memcpy(race->profile.hostTrack, facts.track, std::min<size_t>(std::strlen(facts.track), 4));
  race->profile.distanceYards = facts.yards;
  race->profile.sprintRoute = facts.sprintRoute;
  race->profile.raceClass = facts.raceClass;
  race->profile.surface = facts.surface;
  race->result.condition = facts.condition;
  return matchesCriteria(criteria, race->profile, race->result);
}

// Every group open: any race passes.
RaceCriteria openCriteria() {
  RaceCriteria c{};
  c.trackFlags = RaceCriteria::kAllTracks;
  c.distanceFlags = RaceCriteria::kAnyDistance;
  c.classFlags = RaceCriteria::kAnyClass;
  c.surfaceFlags = RaceCriteria::kAllSurfaces;
  c.conditionFlags = RaceCriteria::kAllConditions;
  return c;
}

RaceCriteria customDistances(std::initializer_list<int> entries, uint8_t extraFlags = 0) {
  RaceCriteria c = openCriteria();
  c.distanceFlags = RaceCriteria::kCustomDistances | extraFlags;
  for (int e : entries) c.distanceChecks[e] = true;
  return c;
}

RaceCriteria allDistancesChecked() {
  RaceCriteria c = customDistances({});
  for (bool& check : c.distanceChecks) check = true;
  return c;
}

RaceCriteria customClasses(std::initializer_list<int> entries, uint8_t extraFlags = 0) {
  RaceCriteria c = openCriteria();
  c.classFlags = RaceCriteria::kCustomClasses | extraFlags;
  for (int e : entries) setClassCheck(c, e);
  return c;
}

TEST(RaceCriteria, OpenCriteriaPassEveryKindOfRace) {
  const RaceFacts races[] = {
      {},
      {"", 0, 0, {ClassCode::kNone, 0}, 7, 0},
      {"sax", 3960, RaceProfile::kRoute, {ClassCode::kStakes, 1}, RaceCard::kTurf, kWet},
      {"FMP", -3000, RaceProfile::kRoute, {ClassCode::kMaiden, -2}, RaceCard::kOtherSurface, 9},
  };
  const RaceCriteria open = openCriteria();
  for (const RaceFacts& r : races)
    EXPECT_TRUE(matches(open, r)) << "track " << r.track << " yards " << r.yards;
}

// A group with no bit set lets no race through, whatever the other groups say.
TEST(RaceCriteria, EmptyGroupPassesNoRace) {
  struct Case {
    const char* group;
    void (*clear)(RaceCriteria&);
  };
  const Case cases[] = {
      {"distance", [](RaceCriteria& c) { c.distanceFlags = 0; }},
      {"class", [](RaceCriteria& c) { c.classFlags = 0; }},
      {"surface", [](RaceCriteria& c) { c.surfaceFlags = 0; }},
      {"condition", [](RaceCriteria& c) { c.conditionFlags = 0; }},
      // No all-tracks bit and an empty code: only a race without a track code.
      {"track", [](RaceCriteria& c) { c.trackFlags = 0; }},
  };
  for (const Case& c : cases) {
    RaceCriteria criteria = openCriteria();
    c.clear(criteria);
    EXPECT_FALSE(matches(criteria, RaceFacts{})) << c.group;
  }
  EXPECT_FALSE(matches(RaceCriteria{}, RaceFacts{}));
}

TEST(RaceCriteria, TrackCodeTypedInTheControls) {
  struct Case {
    const char* typed;
    const char* hostTrack;
    bool match;
  };
  const Case cases[] = {
      {"AQ", "aqx", true},  {"AQ", "AQ", true},   {"AQ", "AQX", true},   {"AQ", "aq", true},
      {"aq", "AQX", true},  {"AQ", "AQU", false}, {"AQ", "A", false},    {"AQU", "aqu", true},
      {"AQU", "AQ", false}, {"A", "A", true},     {"A", "a", true},      {"A", "AX", false},
      {"A", "AA", false},   {"A", "AAX", false},  {"A", "", false},      {"AQU", "AQUX", false},
      {"", "ZZZ", true},    {"  \t", "SA", true}, {" SA ", "SAX", true}, {"bel", "BEL", true},
  };
  for (const Case& c : cases) {
    CriteriaChoices choices;
    choices.trackText = c.typed;
    EXPECT_EQ(matches(buildCriteria(choices), RaceFacts{.track = c.hostTrack}), c.match)
        << "typed \"" << c.typed << "\", race at \"" << c.hostTrack << "\"";
  }
}

TEST(RaceCriteria, DistanceGroup) {
  struct Case {
    const char* what;
    RaceCriteria criteria;
    int16_t yards;
    uint8_t sprintRoute;
    bool match;
  };
  auto flags = [](uint8_t f) {
    RaceCriteria c = openCriteria();
    c.distanceFlags = f;
    return c;
  };
  const Case cases[] = {
      // 1,700 yards is between 7+1/2f and 1 mile: no list entry has it.
      {"1700 any", flags(RaceCriteria::kAnyDistance), 1700, RaceProfile::kRoute, true},
      {"1700 route, routes", flags(RaceCriteria::kRoutesOnly), 1700, RaceProfile::kRoute, true},
      {"1700 route, sprints", flags(RaceCriteria::kSprintsOnly), 1700, RaceProfile::kRoute, false},
      {"1700 sprint, sprints", flags(RaceCriteria::kSprintsOnly), 1700, RaceProfile::kSprint, true},
      {"1700 sprint, routes", flags(RaceCriteria::kRoutesOnly), 1700, RaceProfile::kSprint, false},
      {"1700 all checked", allDistancesChecked(), 1700, RaceProfile::kRoute, false},
      {"1700 custom with any bit", customDistances({9, 10}, RaceCriteria::kAnyDistance), 1700,
       RaceProfile::kRoute, false},
      {"1 mile checked", customDistances({10}), 1760, RaceProfile::kRoute, true},
      {"1 mile, neighbours checked", customDistances({9, 11}), 1760, RaceProfile::kRoute, false},
      {"empty custom list", customDistances({}), 1760, RaceProfile::kRoute, false},
      {"first entry", customDistances({0}), 440, RaceProfile::kSprint, true},
      {"last entry", customDistances({24}), 3960, RaceProfile::kRoute, true},
      {"1+2/100 miles", customDistances({11}), 1800, RaceProfile::kRoute, true},
      {"negative yards", customDistances({10}), -1760, RaceProfile::kRoute, false},
      {"unknown sprint/route, any", flags(RaceCriteria::kAnyDistance), 1320, 0, true},
      {"unknown sprint/route, both", flags(RaceCriteria::kSprintsOnly | RaceCriteria::kRoutesOnly), 1320, 0,
       false},
      {"sprints or routes", flags(RaceCriteria::kSprintsOnly | RaceCriteria::kRoutesOnly), 1320,
       RaceProfile::kRoute, true},
  };
  for (const Case& c : cases) {
    RaceFacts race;
    race.yards = c.yards;
    race.sprintRoute = c.sprintRoute;
    EXPECT_EQ(matches(c.criteria, race), c.match) << c.what;
  }
}

TEST(RaceCriteria, EachDistanceEntrySelectsOnlyItsOwnYardage) {
  for (int entry = 0; entry < kCriteriaDistanceCount; ++entry) {
    const RaceCriteria criteria = customDistances({entry});
    for (int other = 0; other < kCriteriaDistanceCount; ++other) {
      RaceFacts race;
      race.yards = kCriteriaDistances[other].yards;
      EXPECT_EQ(matches(criteria, race), entry == other) << "entry " << entry << ", race at " << race.yards;
    }
  }
}

// Which class list entries select a race, worked out from the bands: under
// $10,000 is below 10,000, over $50,000 above 50,000, the others inclusive.
TEST(RaceCriteria, ClassListEntriesSelectingARace) {
  struct Case {
    ClassCode race;
    std::set<int> entries;
  };
  const Case cases[] = {
      {{ClassCode::kMaiden, -2}, {6}},  // special weight, in no price band
      {{ClassCode::kMaiden, -1}, {0}},  // unknown price: the lowest band
      {{ClassCode::kMaiden, 0}, {0}},
      {{ClassCode::kMaiden, -3}, {0}},
      {{ClassCode::kMaiden, 9999}, {0}},
      {{ClassCode::kMaiden, 10000}, {1}},
      {{ClassCode::kMaiden, 20000}, {1, 2}},
      {{ClassCode::kMaiden, 50000}, {4}},
      {{ClassCode::kMaiden, 50001}, {5}},
      {{ClassCode::kClaiming, 9999}, {7}},
      {{ClassCode::kClaiming, 10000}, {8}},
      {{ClassCode::kClaiming, 20000}, {8, 9}},
      {{ClassCode::kClaiming, 25000}, {9}},
      {{ClassCode::kClaiming, 30000}, {9, 10}},
      {{ClassCode::kClaiming, 40000}, {10, 11}},
      {{ClassCode::kClaiming, 50000}, {11}},
      {{ClassCode::kClaiming, 62500}, {12}},
      {{ClassCode::kClaiming, -2}, {7}},  // -2 means special weight only for maidens
      {{ClassCode::kAllowance, 5000}, {13}},
      {{ClassCode::kAllowance, 20000}, {14, 15}},
      {{ClassCode::kAllowance, 35000}, {16}},
      {{ClassCode::kAllowance, 1000000}, {18}},
      {{ClassCode::kStakes, 1}, {19}},
      {{ClassCode::kStakes, 2}, {20}},
      {{ClassCode::kStakes, 3}, {21}},
      {{ClassCode::kStakes, 0}, {22}},
      {{ClassCode::kStakes, 4}, {22}},
      {{ClassCode::kStakes, 100000}, {22}},
      {{ClassCode::kStakes, -1}, {22}},
      {{ClassCode::kNone, 0}, {}},
      {{ClassCode::kNone, 20000}, {}},
      {{5, 20000}, {}},
  };
  for (const Case& c : cases) {
    const int type = c.race.type;
    const int amount = c.race.amount;
    RaceFacts race;
    race.raceClass = c.race;
    for (int entry = 0; entry < kCriteriaClassCount; ++entry) {
      const bool expected = c.entries.count(entry) > 0;
      EXPECT_EQ(classEntrySelects(entry, c.race), expected)
          << "type " << type << " amount " << amount << " entry " << entry;
      EXPECT_EQ(matches(customClasses({entry}), race), expected)
          << "type " << type << " amount " << amount << " custom list of entry " << entry;
    }
    // All entries but the selecting ones: the race must fail.
    RaceCriteria others = customClasses({});
    for (int entry = 0; entry < kCriteriaClassCount; ++entry) {
      if (c.entries.count(entry) == 0) setClassCheck(others, entry);
    }
    EXPECT_FALSE(matches(others, race)) << "type " << type << " amount " << amount;
  }
  EXPECT_FALSE(classEntrySelects(-1, {ClassCode::kClaiming, 5000}));
  EXPECT_FALSE(classEntrySelects(kCriteriaClassCount, {ClassCode::kStakes, 0}));
}

TEST(RaceCriteria, ClassFlags) {
  struct Case {
    ClassCode race;
    uint8_t flags;
    bool match;
  };
  const Case cases[] = {
      {{ClassCode::kMaiden, -1}, RaceCriteria::kMaidenClaimingOnly, true},
      {{ClassCode::kMaiden, 25000}, RaceCriteria::kMaidenClaimingOnly, true},
      {{ClassCode::kMaiden, -2}, RaceCriteria::kMaidenClaimingOnly, false},
      {{ClassCode::kMaiden, -2}, RaceCriteria::kMaidenSpecialWeightOnly, true},
      {{ClassCode::kMaiden, 25000}, RaceCriteria::kMaidenSpecialWeightOnly, false},
      {{ClassCode::kClaiming, 25000}, RaceCriteria::kClaimingOnly, true},
      {{ClassCode::kClaiming, 25000}, RaceCriteria::kMaidenClaimingOnly, false},
      {{ClassCode::kAllowance, 25000}, RaceCriteria::kAllowanceOnly, true},
      {{ClassCode::kAllowance, 25000}, RaceCriteria::kClaimingOnly, false},
      {{ClassCode::kStakes, 1}, RaceCriteria::kStakesOnly, true},
      {{ClassCode::kStakes, 100000}, RaceCriteria::kStakesOnly, true},
      {{ClassCode::kStakes, 1}, RaceCriteria::kAllowanceOnly, false},
      {{ClassCode::kClaiming, 25000}, RaceCriteria::kStakesOnly | RaceCriteria::kClaimingOnly, true},
      {{ClassCode::kNone, 0}, RaceCriteria::kAnyClass, true},
      {{ClassCode::kNone, 0}, 0x3e, false},  // every single-type bit
      // A custom list decides alone: the any-class bit beside it is ignored.
      {{ClassCode::kNone, 0}, RaceCriteria::kCustomClasses | RaceCriteria::kAnyClass, false},
      {{ClassCode::kClaiming, 25000}, RaceCriteria::kCustomClasses | RaceCriteria::kClaimingOnly, false},
  };
  for (const Case& c : cases) {
    RaceCriteria criteria = openCriteria();
    criteria.classFlags = c.flags;
    RaceFacts race;
    race.raceClass = c.race;
    EXPECT_EQ(matches(criteria, race), c.match)
        << "type " << int{c.race.type} << " amount " << int32_t{c.race.amount} << " flags " << int{c.flags};
  }
}

TEST(RaceCriteria, SurfaceAndConditionGroups) {
  struct Case {
    uint8_t surfaceFlags;
    uint8_t conditionFlags;
    uint8_t surface;
    uint8_t condition;
    bool match;
  };
  const uint8_t kAll = 0x01;
  const Case cases[] = {
      {RaceCriteria::kTurfOnly, kAll, RaceCard::kTurf, kDry, true},
      {RaceCriteria::kTurfOnly, kAll, RaceCard::kDirt, kDry, false},
      {RaceCriteria::kDirtOnly, kAll, RaceCard::kDirt, kDry, true},
      {RaceCriteria::kDirtOnly, kAll, RaceCard::kOtherSurface, kDry, false},
      {RaceCriteria::kSyntheticOnly, kAll, RaceCard::kOtherSurface, kDry, true},
      {RaceCriteria::kSyntheticOnly, kAll, RaceCard::kTurf, kDry, false},
      {RaceCriteria::kTurfOnly | RaceCriteria::kDirtOnly | RaceCriteria::kSyntheticOnly, kAll, 3, kDry,
       false},
      {RaceCriteria::kAllSurfaces, kAll, 3, kDry, true},
      {kAll, RaceCriteria::kWetOnly, RaceCard::kDirt, kWet, true},
      {kAll, RaceCriteria::kWetOnly, RaceCard::kDirt, kDry, false},
      {kAll, RaceCriteria::kDryOnly, RaceCard::kDirt, kDry, true},
      {kAll, RaceCriteria::kDryOnly, RaceCard::kDirt, kWet, false},
      // A result without a known condition passes only "all".
      {kAll, RaceCriteria::kAllConditions, RaceCard::kDirt, 0, true},
      {kAll, RaceCriteria::kWetOnly | RaceCriteria::kDryOnly, RaceCard::kDirt, 0, false},
      {kAll, RaceCriteria::kWetOnly | RaceCriteria::kDryOnly, RaceCard::kDirt, 3, false},
  };
  for (const Case& c : cases) {
    RaceCriteria criteria = openCriteria();
    criteria.surfaceFlags = c.surfaceFlags;
    criteria.conditionFlags = c.conditionFlags;
    RaceFacts race;
    race.surface = c.surface;
    race.condition = c.condition;
    EXPECT_EQ(matches(criteria, race), c.match)
        << "surface flags " << int{c.surfaceFlags} << " condition flags " << int{c.conditionFlags}
        << " surface " << int{c.surface} << " condition " << int{c.condition};
  }
}

// Each of the five tests can fail the race on its own.
TEST(RaceCriteria, AllFiveGroupsMustHold) {
  CriteriaChoices choices;
  choices.distance = 2;   // Sprints only
  choices.raceClass = 3;  // Claiming only
  choices.surface = 2;    // Dirt only
  choices.condition = 2;  // Dry tracks only
  choices.trackText = "aqu";
  const RaceCriteria criteria = buildCriteria(choices);
  const RaceFacts good;  // an AQU dirt sprint for $20,000 claimers on a dry track
  EXPECT_TRUE(matches(criteria, good));

  struct Case {
    const char* what;
    RaceFacts race;
  };
  RaceFacts otherTrack = good, route = good, allowance = good, turf = good, wet = good;
  otherTrack.track = "BEL";
  route.sprintRoute = RaceProfile::kRoute;
  allowance.raceClass = {ClassCode::kAllowance, 20000};
  turf.surface = RaceCard::kTurf;
  wet.condition = kWet;
  const Case cases[] = {{"track", otherTrack},
                        {"distance", route},
                        {"class", allowance},
                        {"surface", turf},
                        {"condition", wet}};
  for (const Case& c : cases) EXPECT_FALSE(matches(criteria, c.race)) << c.what;
}

TEST(CriteriaChoices, DropDownItemsSetTheirBits) {
  struct Case {
    int distance, raceClass, surface, condition;
    uint8_t distanceFlags, classFlags, surfaceFlags, conditionFlags;
  };
  const Case cases[] = {
      {0, 0, 0, 0, 0x01, 0x01, 0x01, 0x01},  // all "All"
      {1, 1, 1, 1, 0x04, 0x02, 0x02, 0x02},  // routes, maiden claiming, turf, wet
      {2, 2, 2, 2, 0x02, 0x04, 0x04, 0x04},  // sprints, special weight, dirt, dry
      {3, 3, 3, 0, 0x08, 0x08, 0x08, 0x01},  // custom, claiming, synthetic
      {0, 4, 0, 0, 0x01, 0x10, 0x01, 0x01},  // allowance
      {0, 5, 0, 0, 0x01, 0x20, 0x01, 0x01},  // stakes
      {0, 6, 0, 0, 0x01, 0x40, 0x01, 0x01},  // custom classes
      // Outside the lists: no bit, so the filter passes nothing.
      {4, 7, 4, 3, 0, 0, 0, 0},
      {-1, -1, -1, -1, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    CriteriaChoices choices;
    choices.distance = c.distance;
    choices.raceClass = c.raceClass;
    choices.surface = c.surface;
    choices.condition = c.condition;
    const RaceCriteria r = buildCriteria(choices);
    const std::string where = "items " + std::to_string(c.distance) + "/" + std::to_string(c.raceClass) +
                              "/" + std::to_string(c.surface) + "/" + std::to_string(c.condition);
    EXPECT_EQ(r.distanceFlags, c.distanceFlags) << where;
    EXPECT_EQ(r.classFlags, c.classFlags) << where;
    EXPECT_EQ(r.surfaceFlags, c.surfaceFlags) << where;
    EXPECT_EQ(r.conditionFlags, c.conditionFlags) << where;
    EXPECT_EQ(r.trackFlags, RaceCriteria::kAllTracks) << where;
  }
}

TEST(CriteriaChoices, CheckListsCountOnlyUnderCustom) {
  CriteriaChoices choices;
  choices.distanceChecks[2] = choices.distanceChecks[24] = true;
  choices.classChecks[0] = choices.classChecks[22] = true;

  choices.distance = 0;
  choices.raceClass = 0;
  RaceCriteria r = buildCriteria(choices);
  for (int i = 0; i < kCriteriaDistanceCount; ++i) EXPECT_FALSE(r.distanceChecks[i]) << "distance " << i;
  EXPECT_EQ(r.classChecks, 0u);

  choices.distance = kDistanceCustomItem;
  choices.raceClass = kClassCustomItem;
  r = buildCriteria(choices);
  for (int i = 0; i < kCriteriaDistanceCount; ++i) {
    EXPECT_EQ(r.distanceChecks[i], i == 2 || i == 24) << "distance " << i;
  }
  EXPECT_EQ(r.classChecks, (1u << 0) | (1u << 22));
}

TEST(CriteriaChoices, TrackCodeFromTheEditText) {
  struct Case {
    const char* typed;
    const char* remembered;  // what the dialog keeps and shows again
    const char* stored;      // trackCode
    bool allTracks;
  };
  const Case cases[] = {
      {"", "", "", true},
      {"   ", "", "", true},
      {"\t\r\n", "", "", true},
      {"AQ", "AQ", "AQX", false},
      {"aq", "aq", "aqX", false},  // case kept
      {" AQ ", "AQ", "AQX", false},
      {"A", "A", "A", false},
      {"SAR", "SAR", "SAR", false},
      {"\tbel\n", "bel", "bel", false},
      {"AQUEDUCT", "AQU", "AQU", false},  // only from the command line: cut to three
      {"AB CD", "AB", "ABX", false},
      {"A B", "A B", "A B", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(criteriaTrackText(c.typed), c.remembered) << "typed \"" << c.typed << "\"";
    CriteriaChoices choices;
    choices.trackText = c.typed;
    const RaceCriteria r = buildCriteria(choices);
    EXPECT_EQ(r.trackFlags, c.allTracks ? RaceCriteria::kAllTracks : 0) << "typed \"" << c.typed << "\"";
    EXPECT_EQ(r.trackCode[3], '\0') << "typed \"" << c.typed << "\"";
    EXPECT_STREQ(r.trackCode, c.stored) << "typed \"" << c.typed << "\"";
  }
}

TEST(CriteriaChoices, SetTrackCriterionReplacesAnEarlierCode) {
  RaceCriteria r{};
  setTrackCriterion(r, "SAR");
  setTrackCriterion(r, "A");
  EXPECT_STREQ(r.trackCode, "A");
  EXPECT_EQ(r.trackFlags, 0);
  setTrackCriterion(r, " ");
  EXPECT_EQ(r.trackFlags, RaceCriteria::kAllTracks);
  EXPECT_STREQ(r.trackCode, "");
}

TEST(CriteriaChoices, ItemTextsWithAndWithoutCustom) {
  struct Case {
    const char* list;
    std::span<const std::string_view> items;
    std::vector<std::string_view> expected;
  };
  const Case cases[] = {
      {"distance, profit/loss", distanceItems(true), {"All", "Routes only", "Sprints only", "CUSTOM"}},
      {"distance, prep", distanceItems(false), {"All", "Routes only", "Sprints only"}},
      {"class, profit/loss",
       classItems(true),
       {"All", "Maiden Claiming only", "Maiden Special Weight only", "Claiming only", "Allowance only",
        "Stakes only", "CUSTOM"}},
      {"class, prep",
       classItems(false),
       {"All", "Maiden Claiming only", "Maiden Special Weight only", "Claiming only", "Allowance only",
        "Stakes only"}},
      {"surface", kSurfaceItems, {"All", "Turf only", "Dirt only", "Synthetic only"}},
      {"condition", kConditionItems, {"All", "Wet tracks only", "Dry tracks only"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(std::vector<std::string_view>(c.items.begin(), c.items.end()), c.expected) << c.list;
  }
  EXPECT_EQ(kDistanceItems[kDistanceCustomItem], "CUSTOM");
  EXPECT_EQ(kClassItems[kClassCustomItem], "CUSTOM");
}

}  // namespace
}  // namespace stridewell
