// The one word table of the race criteria: every spelling a user may know
// an item by (the short form, either drop-down's text, the text without
// " only", any letter case) finds the item, and nothing else does.
#include "race/criteria_words.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "support/swapped_case.h"

namespace stridewell {
namespace {

using test::swappedCase;

struct ItemCase {
  CriteriaGroup group;
  int index;
  std::vector<const char*> spellings;
};

// Every spelling any command or dialog has used for each item.
const ItemCase kItems[] = {
    {CriteriaGroup::kDistance, 0, {"all", "All"}},
    {CriteriaGroup::kDistance, 1, {"routes", "Routes only", "Route", "route", "Routes"}},
    {CriteriaGroup::kDistance, 2, {"sprints", "Sprints only", "Sprint", "sprint", "Sprints"}},
    {CriteriaGroup::kDistance, 3, {"custom", "CUSTOM", "Custom"}},
    {CriteriaGroup::kClass, 0, {"all", "All"}},
    {CriteriaGroup::kClass,
     1,
     {"maiden-claiming", "Maiden Claiming only", "Maiden Claiming", "Maiden", "maiden"}},
    {CriteriaGroup::kClass,
     2,
     {"maiden-special-weight", "Maiden Special Weight only", "Maiden Special Weight", "MdnSpWgt",
      "mdnspwgt"}},
    {CriteriaGroup::kClass, 3, {"claiming", "Claiming only", "Claiming"}},
    {CriteriaGroup::kClass, 4, {"allowance", "Allowance only", "Allowance"}},
    {CriteriaGroup::kClass, 5, {"stakes", "Stakes only", "Stakes"}},
    {CriteriaGroup::kClass, 6, {"custom", "CUSTOM"}},
    {CriteriaGroup::kSurface, 0, {"all", "All"}},
    {CriteriaGroup::kSurface, 1, {"turf", "Turf only", "Turf"}},
    {CriteriaGroup::kSurface, 2, {"dirt", "Dirt only", "Dirt"}},
    {CriteriaGroup::kSurface, 3, {"synthetic", "Synthetic only", "Synthetic", "Synth", "synth"}},
    {CriteriaGroup::kCondition, 0, {"all", "All"}},
    {CriteriaGroup::kCondition, 1, {"wet", "Wet tracks only", "Wet tracks", "Wet"}},
    {CriteriaGroup::kCondition, 2, {"dry", "Dry tracks only", "Dry tracks", "Dry"}},
};

TEST(CriteriaWordsTest, EverySpellingInAnyCaseFindsItsItem) {
  for (const ItemCase& item : kItems) {
    for (const char* spelling : item.spellings) {
      for (const std::string& form :
           {std::string(spelling), swappedCase(spelling), "  " + std::string(spelling) + "\t"}) {
        EXPECT_EQ(findCriteriaItem(item.group, form), item.index)
            << criteriaGroupName(item.group) << " '" << form << "'";
      }
    }
  }
}

TEST(CriteriaWordsTest, EveryItemHasAShortHyphenatedFormAndBothDropDownTexts) {
  for (const CriteriaGroup group : kCriteriaGroups) {
    const auto words = criteriaWords(group);
    ASSERT_FALSE(words.empty()) << criteriaGroupName(group);
    for (size_t i = 0; i < words.size(); ++i) {
      const CriteriaWord& word = words[i];
      SCOPED_TRACE(std::string(criteriaGroupName(group)) + " " + std::string(word.word));
      for (const char c : word.word) EXPECT_TRUE((c >= 'a' && c <= 'z') || c == '-') << word.word;
      EXPECT_FALSE(word.listItem.empty());
      // Only CUSTOM is missing from the SI Map rules.
      EXPECT_EQ(word.ruleItem.empty(), static_cast<int>(i) == criteriaCustomItem(group));
      EXPECT_EQ(findCriteriaItem(group, word.word), static_cast<int>(i));
    }
  }
}

TEST(CriteriaWordsTest, OtherWordsFindNothing) {
  const struct {
    CriteriaGroup group;
    const char* text;
  } kCases[] = {
      {CriteriaGroup::kDistance, ""},
      {CriteriaGroup::kDistance, "  "},
      {CriteriaGroup::kDistance, "mile"},
      {CriteriaGroup::kDistance, "routes only please"},
      {CriteriaGroup::kDistance, "only"},
      {CriteriaGroup::kClass, "Maiden Allowance"},
      {CriteriaGroup::kClass, "maiden claiming only only"},
      {CriteriaGroup::kClass, "maidenclaiming"},
      {CriteriaGroup::kClass, "turf"},
      {CriteriaGroup::kSurface, "grass"},
      {CriteriaGroup::kSurface, "custom"},
      {CriteriaGroup::kCondition, "sloppy"},
      {CriteriaGroup::kCondition, "custom"},
      {CriteriaGroup::kCondition, "wet tracks only\n"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(findCriteriaItem(c.group, c.text), -1) << criteriaGroupName(c.group) << " '" << c.text << "'";
  }
}

}  // namespace
}  // namespace stridewell
