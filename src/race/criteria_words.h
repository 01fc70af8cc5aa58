// The words that name the items of the race criteria drop-downs, one table
// for every front end: the prep and profit/loss criteria lists, the SI Map
// rule lists and the command line's short forms. A command accepts any of
// an item's spellings in any letter case, so a word learnt in one place
// works in every other. Pure data and lookups; any thread.
#pragma once

#include <array>
#include <span>
#include <string_view>

namespace stridewell {

// The four drop-downs of a criteria choice.
enum class CriteriaGroup { kDistance, kClass, kSurface, kCondition };

inline constexpr std::array<CriteriaGroup, 4> kCriteriaGroups = {
    CriteriaGroup::kDistance, CriteriaGroup::kClass, CriteriaGroup::kSurface, CriteriaGroup::kCondition};

// One item of a group. Its position in the group's table is its index in
// both drop-down lists (criteria_choices.h and the SI Map rule lists keep
// one order), so the index found here selects the same filter everywhere.
struct CriteriaWord {
  std::string_view word;      // the short form for typing: lower case, words joined by '-'
  std::string_view listItem;  // as the prep and profit/loss drop-downs show it ("Routes only")
  std::string_view ruleItem;  // as an SI Map rule's drop-down shows it ("Route"); empty when absent
};

// The items of `group` in drop-down order. The distance and class tables
// end with CUSTOM, which only the profit/loss choice offers (it has no
// SI Map rule item).
std::span<const CriteriaWord> criteriaWords(CriteriaGroup group);

// "distance", "class", "surface" or "condition": the option a group is set by.
std::string_view criteriaGroupName(CriteriaGroup group);

// The index of the item `text` names, or -1. Letter case and surrounding
// blanks do not matter; an item answers to its short form, its list item,
// its list item without the trailing " only" ("Maiden Special Weight") and
// its SI Map rule item ("MdnSpWgt").
int findCriteriaItem(CriteriaGroup group, std::string_view text);

// The index of the CUSTOM item of the group, or -1 when the group has none.
int criteriaCustomItem(CriteriaGroup group);

}  // namespace stridewell
