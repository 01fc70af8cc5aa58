// The race criteria words reach the same filter in every command that takes
// them: each item of each group, by each of its spellings (the drop-down
// texts in odd letter case, the short hyphenated form, the words the
// commands used to take), in `prep` (races prepared), `pl` (the report's
// criteria lines) and `simmap` (the rule stored), and `help criteria`
// lists them all.
#include "cli/criteria_options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <memory>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "base/settings_store.h"
#include "cli/command_line.h"
#include "cli/command_table.h"
#include "cli/pl_command.h"
#include "cli/prep_command.h"
#include "cli/simmap_command.h"
#include "cli_test_support.h"
#include "model/sim_map.h"
#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "patterns/pattern_races.h"
#include "support/isolated_user.h"
#include "support/swapped_case.h"

namespace stridewell::cli {
namespace {

namespace fs = std::filesystem;
using stridewell::test::swappedCase;
using test::runCommand;

// One item: its group and index, the texts of the two drop-downs, the short
// form and the words some command took before there was one table.
struct Item {
  CriteriaGroup group;
  int index;
  const char* listItem;  // prep and profit/loss drop-downs
  const char* ruleItem;  // SI Map rule drop-down ("" for CUSTOM)
  const char* word;
  std::vector<const char*> oldWords;
  const char* plLine;  // the criteria line of the profit/loss report ("" for All)
};

const Item kItems[] = {
    {CriteriaGroup::kDistance, 0, "All", "All", "all", {"all", "All"}, ""},
    {CriteriaGroup::kDistance,
     1,
     "Routes only",
     "Route",
     "routes",
     {"routes", "route", "Route"},
     "Routes only.\n"},
    {CriteriaGroup::kDistance,
     2,
     "Sprints only",
     "Sprint",
     "sprints",
     {"sprints", "sprint", "Sprint"},
     "Sprints only.\n"},
    {CriteriaGroup::kDistance, 3, "CUSTOM", "", "custom", {"custom", "Custom"}, "Distance: 6f\n"},
    {CriteriaGroup::kClass, 0, "All", "All", "all", {"all"}, ""},
    {CriteriaGroup::kClass,
     1,
     "Maiden Claiming only",
     "Maiden",
     "maiden-claiming",
     {"maiden-claiming", "maiden", "Maiden"},
     "Maiden Claiming races only.\n"},
    {CriteriaGroup::kClass,
     2,
     "Maiden Special Weight only",
     "MdnSpWgt",
     "maiden-special-weight",
     {"maiden-special-weight", "mdnspwgt", "MdnSpWgt"},
     "Maiden Special Weight races only.\n"},
    {CriteriaGroup::kClass,
     3,
     "Claiming only",
     "Claiming",
     "claiming",
     {"claiming", "Claiming"},
     "Claiming races only.\n"},
    {CriteriaGroup::kClass,
     4,
     "Allowance only",
     "Allowance",
     "allowance",
     {"allowance", "Allowance"},
     "Allowance races only.\n"},
    {CriteriaGroup::kClass,
     5,
     "Stakes only",
     "Stakes",
     "stakes",
     {"stakes", "Stakes"},
     "Stakes races only.\n"},
    {CriteriaGroup::kClass, 6, "CUSTOM", "", "custom", {"custom", "Custom"}, "Stakes: Grade II\n"},
    {CriteriaGroup::kSurface, 0, "All", "All", "all", {"all"}, ""},
    {CriteriaGroup::kSurface, 1, "Turf only", "Turf", "turf", {"turf", "Turf"}, "Turf only.\n"},
    {CriteriaGroup::kSurface, 2, "Dirt only", "Dirt", "dirt", {"dirt", "Dirt"}, "Dirt tracks only.\n"},
    {CriteriaGroup::kSurface,
     3,
     "Synthetic only",
     "Synth",
     "synthetic",
     {"synthetic", "synth", "Synth"},
     "Synthetic tracks only.\n"},
    {CriteriaGroup::kCondition, 0, "All", "All", "all", {"all"}, ""},
    {CriteriaGroup::kCondition,
     1,
     "Wet tracks only",
     "Wet",
     "wet",
     {"wet", "Wet"},
     "Wet (Sloppy/Muddy) tracks only.\n"},
    {CriteriaGroup::kCondition, 2, "Dry tracks only", "Dry", "dry", {"dry", "Dry"}, "Dry tracks only.\n"},
};

bool isCustom(const Item& item) {
  return item.ruleItem[0] == '\0';
}

// Every form of an item a user may type.
std::vector<std::string> formsOf(const Item& item) {
  std::vector<std::string> forms = {item.word, item.listItem, swappedCase(item.listItem)};
  std::string_view withoutOnly = item.listItem;
  if (withoutOnly.ends_with(" only")) {
    withoutOnly.remove_suffix(5);
    forms.push_back(swappedCase(withoutOnly));
  }
  if (!isCustom(item)) {
    forms.push_back(item.ruleItem);
    forms.push_back(swappedCase(item.ruleItem));
  }
  for (const char* word : item.oldWords) forms.push_back(word);
  // Each distinct spelling once ("all" is its own drop-down text).
  std::vector<std::string> distinct;
  for (const std::string& form : forms) {
    if (std::find(distinct.begin(), distinct.end(), form) == distinct.end()) distinct.push_back(form);
  }
  return distinct;
}

std::string optionOf(const Item& item) {
  return "--" + std::string(criteriaGroupName(item.group));
}

// A dataset whose races differ in every group, each item of a group
// selecting a different number of them.
struct RaceSpec {
  bool route;
  ClassCode raceClass;
  uint8_t surface;    // 0 dirt, 1 turf, 2 synthetic
  uint8_t condition;  // 1 wet, 2 dry
};

RaceSpec raceSpec(int i) {
  RaceSpec spec{};
  spec.route = i < 4;
  spec.raceClass = i < 1    ? ClassCode{ClassCode::kMaiden, 20000}
                   : i < 3  ? ClassCode{ClassCode::kMaiden, -2}
                   : i < 6  ? ClassCode{ClassCode::kClaiming, 25000}
                   : i < 10 ? ClassCode{ClassCode::kAllowance, 40000}
                            : ClassCode{ClassCode::kStakes, 2};
  spec.surface = i < 3 ? 1 : i < 8 ? 0 : 2;
  spec.condition = i < 6 ? 1 : 2;
  return spec;
}
constexpr int kRaces = 15;

// Whether the item lets the race through, by the meaning of the item.
bool selects(const Item& item, const RaceSpec& race) {
  if (item.index == 0) return true;
  switch (item.group) {
    case CriteriaGroup::kDistance:
      return item.index == 1 ? race.route : !race.route;
    case CriteriaGroup::kClass: {
      const ClassCode code = race.raceClass;
      switch (item.index) {
        case 1:
          return code.type == ClassCode::kMaiden && code.amount != -2;
        case 2:
          return code.type == ClassCode::kMaiden && code.amount == -2;
        default:
          return code.type == item.index - 1;
      }
    }
    case CriteriaGroup::kSurface:
      return race.surface == (item.index == 1 ? 1 : item.index == 2 ? 0 : 2);
    case CriteriaGroup::kCondition:
      return race.condition == item.index;
  }
  return false;
}

class CriteriaOptionsTest : public ::testing::Test {
 protected:
  CriteriaOptionsTest() {
    fs::create_directories(user_.workspace() / "DATASETS");
    fs::create_directories(user_.workspace() / "SIM");
    std::vector<std::unique_ptr<Race>> races;
    for (int i = 0; i < kRaces; ++i) {
      const RaceSpec spec = raceSpec(i);
      std::unique_ptr<Race> race = stridewell::test::raceWithFinishers(6, spec.condition, i);
      race->profile.sprintRoute = spec.route ? RaceProfile::kRoute : RaceProfile::kSprint;
      race->profile.distanceYards = static_cast<int16_t>(spec.route ? 1870 : 1320);
      race->profile.raceClass = spec.raceClass;
      race->profile.surface = spec.surface;
      races.push_back(std::move(race));
    }
    stridewell::test::writeDatasetFile(user_.workspace() / "DATASETS" / "Mixed.DSI", races);
  }

  void addSim() {
    SimModel model(true);
    ASSERT_GT(defineSimShape(model, {}, true), 0);
    ASSERT_TRUE(model.saveWeights(user_.workspace() / "SIM" / "FRESH.SIM"));
  }

  stridewell::test::IsolatedUser user_;
};

TEST_F(CriteriaOptionsTest, PrepTakesEveryFormOfEveryItem) {
  for (const Item& item : kItems) {
    if (isCustom(item)) continue;
    int expected = 0;
    for (int i = 0; i < kRaces; ++i) expected += selects(item, raceSpec(i)) ? 1 : 0;
    for (const std::string& form : formsOf(item)) {
      SCOPED_TRACE(optionOf(item) + " '" + form + "'");
      const test::CommandRun run =
          runCommand(PrepCommand(), {"Mixed", "Gamma", optionOf(item), form, "--seed", "1"});
      ASSERT_EQ(run.status, kExitOk) << run.err;
      EXPECT_NE(run.out.find("(" + std::to_string(expected) + " races)"), std::string::npos) << run.out;
    }
  }
}

TEST_F(CriteriaOptionsTest, PlTakesEveryFormOfEveryItem) {
  addSim();
  for (const Item& item : kItems) {
    for (const std::string& form : formsOf(item)) {
      SCOPED_TRACE(optionOf(item) + " '" + form + "'");
      std::vector<std::string> args = {"Mixed", "--sim", "FRESH", "--short", optionOf(item), form, "-j", "1"};
      if (isCustom(item)) {
        args.push_back(item.group == CriteriaGroup::kDistance ? "--distances" : "--classes");
        args.push_back(item.group == CriteriaGroup::kDistance ? "6f" : "21");
      }
      const test::CommandRun run = runCommand(PlCommand(), args);
      ASSERT_EQ(run.status, kExitOk) << run.err;
      // The criteria lines stand between the SIM line and the report's options.
      const std::string head = "SIM Model: FRESH\n";
      const size_t start = run.out.find(head);
      ASSERT_NE(start, std::string::npos) << run.out;
      const size_t end = run.out.find("Short report format.\n");
      ASSERT_NE(end, std::string::npos) << run.out;
      EXPECT_EQ(run.out.substr(start + head.size(), end - start - head.size()), item.plLine);
    }
  }
}

TEST_F(CriteriaOptionsTest, SimMapTakesEveryFormOfEveryItem) {
  for (const Item& item : kItems) {
    if (isCustom(item)) continue;
    for (const std::string& form : formsOf(item)) {
      SCOPED_TRACE(optionOf(item) + " '" + form + "'");
      // Start from an index the case does not expect.
      const char* const kSecondItem[] = {"routes", "maiden-claiming", "turf", "wet"};
      const std::string other = item.index == 0 ? kSecondItem[static_cast<int>(item.group)] : "all";
      ASSERT_EQ(runCommand(SimMapCommand(), {"2", "--rule", "3", optionOf(item), other}).status, kExitOk);
      const test::CommandRun run = runCommand(SimMapCommand(), {"2", "--rule", "3", optionOf(item), form});
      ASSERT_EQ(run.status, kExitOk) << run.err;
      const SettingsStore store(user_.settingsFile().string());
      const SimMapRule rule = loadSimMap(store, 1).rules[2];
      const int stored = item.group == CriteriaGroup::kDistance  ? rule.distance
                         : item.group == CriteriaGroup::kClass   ? rule.raceClass
                         : item.group == CriteriaGroup::kSurface ? rule.surface
                                                                 : rule.condition;
      EXPECT_EQ(stored, item.index);
    }
  }
}

TEST_F(CriteriaOptionsTest, OnlyPlTakesACustomList) {
  for (const Item& item : kItems) {
    if (!isCustom(item)) continue;
    const PrepCommand prep;
    const SimMapCommand simmap;
    for (const Command* command :
         {static_cast<const Command*>(&prep), static_cast<const Command*>(&simmap)}) {
      const std::vector<std::string> args =
          command == &prep ? std::vector<std::string>{"Mixed", "Gamma", optionOf(item), "custom"}
                           : std::vector<std::string>{"1", "--rule", "2", optionOf(item), "custom"};
      const test::CommandRun run = runCommand(*command, args);
      EXPECT_EQ(run.status, kExitUsage) << command->name() << " " << optionOf(item);
      EXPECT_NE(run.err.find("stridewell " + std::string(command->name()) + ": error: " + optionOf(item) +
                             " must be"),
                std::string::npos)
          << run.err;
      EXPECT_NE(run.err.find("stridewell pl"), std::string::npos) << run.err;
    }
  }
}

// Both drop-down lists are the ones the dialogs show, in the same order, so
// that an index found in the table means the same item in either.
TEST(CriteriaWordTableTest, HoldsTheDropDownsOfTheDialogs) {
  const struct {
    CriteriaGroup group;
    std::span<const std::string_view> ruleItems;
  } kLists[] = {
      {CriteriaGroup::kDistance, kSimMapDistanceItems},
      {CriteriaGroup::kClass, kSimMapClassItems},
      {CriteriaGroup::kSurface, kSimMapSurfaceItems},
      {CriteriaGroup::kCondition, kSimMapConditionItems},
  };
  for (const auto& list : kLists) {
    const auto words = criteriaWords(list.group);
    const int custom = criteriaCustomItem(list.group);
    ASSERT_EQ(words.size(), list.ruleItems.size() + (custom >= 0 ? 1 : 0)) << criteriaGroupName(list.group);
    for (size_t i = 0; i < list.ruleItems.size(); ++i) {
      EXPECT_EQ(words[i].ruleItem, list.ruleItems[i]) << criteriaGroupName(list.group) << " " << i;
    }
  }
  for (const Item& item : kItems) {
    const auto words = criteriaWords(item.group);
    ASSERT_LT(static_cast<size_t>(item.index), words.size());
    EXPECT_EQ(words[item.index].listItem, item.listItem);
    EXPECT_EQ(words[item.index].word, item.word);
  }
}

TEST(CriteriaHelpTest, HelpCriteriaListsEveryItemWithItsSpellings) {
  std::ostringstream out, err;
  const std::vector<std::string> args = {"help", "criteria"};
  ASSERT_EQ(runCommandLine(stridewellCommands(), args, out, err), kExitOk);
  EXPECT_EQ(err.str(), "");
  const std::string text = out.str();
  for (const Item& item : kItems) {
    // The short form starts its line; the drop-down texts follow on it.
    if (std::string_view(item.word) == "all" || std::string_view(item.word) == "custom") continue;
    const std::string line = test::lineWith(text, "  " + std::string(item.word) + " ");
    EXPECT_NE(line.find(std::string("\"") + item.listItem + "\""), std::string::npos) << line;
  }
  for (const char* option :
       {"--distance ITEM\n", "--class ITEM\n", "--surface ITEM\n", "--condition ITEM\n"}) {
    EXPECT_NE(text.find(option), std::string::npos) << option;
  }
}

}  // namespace
}  // namespace stridewell::cli
