#include "race/criteria_words.h"

#include "base/text_trim.h"
#include "race/card_values.h"
#include "race/criteria_choices.h"

namespace stridewell {
namespace {

constexpr CriteriaWord kDistanceWords[] = {
    {"all", "All", "All"},
    {"routes", "Routes only", "Route"},
    {"sprints", "Sprints only", "Sprint"},
    {"custom", "CUSTOM", ""},
};
constexpr CriteriaWord kClassWords[] = {
    {"all", "All", "All"},
    {"maiden-claiming", "Maiden Claiming only", "Maiden"},
    {"maiden-special-weight", "Maiden Special Weight only", "MdnSpWgt"},
    {"claiming", "Claiming only", "Claiming"},
    {"allowance", "Allowance only", "Allowance"},
    {"stakes", "Stakes only", "Stakes"},
    {"custom", "CUSTOM", ""},
};
constexpr CriteriaWord kSurfaceWords[] = {
    {"all", "All", "All"},
    {"turf", "Turf only", "Turf"},
    {"dirt", "Dirt only", "Dirt"},
    {"synthetic", "Synthetic only", "Synth"},
};
constexpr CriteriaWord kConditionWords[] = {
    {"all", "All", "All"},
    {"wet", "Wet tracks only", "Wet"},
    {"dry", "Dry tracks only", "Dry"},
};

// The list items must be the drop-downs' own texts, in their order.
template <size_t N, size_t M>
constexpr bool sameListItems(const CriteriaWord (&words)[N], const std::array<std::string_view, M>& items) {
  if (N != M) return false;
  for (size_t i = 0; i < N; ++i) {
    if (words[i].listItem != items[i]) return false;
  }
  return true;
}
static_assert(sameListItems(kDistanceWords, kDistanceItems));
static_assert(sameListItems(kClassWords, kClassItems));
static_assert(sameListItems(kSurfaceWords, kSurfaceItems));
static_assert(sameListItems(kConditionWords, kConditionItems));

constexpr std::string_view kOnlySuffix = " only";

bool names(const CriteriaWord& item, std::string_view text) {
  if (text.empty()) return false;
  if (equalsIgnoreCase(item.word, text) || equalsIgnoreCase(item.listItem, text) ||
      equalsIgnoreCase(item.ruleItem, text)) {
    return true;
  }
  std::string_view shortItem = item.listItem;
  if (shortItem.size() > kOnlySuffix.size() && shortItem.ends_with(kOnlySuffix)) {
    shortItem.remove_suffix(kOnlySuffix.size());
    return equalsIgnoreCase(shortItem, text);
  }
  return false;
}

}  // namespace

std::span<const CriteriaWord> criteriaWords(CriteriaGroup group) {
  switch (group) {
    case CriteriaGroup::kDistance:
      return kDistanceWords;
    case CriteriaGroup::kClass:
      return kClassWords;
    case CriteriaGroup::kSurface:
      return kSurfaceWords;
    case CriteriaGroup::kCondition:
      return kConditionWords;
  }
  return {};
}

std::string_view criteriaGroupName(CriteriaGroup group) {
  switch (group) {
    case CriteriaGroup::kDistance:
      return "distance";
    case CriteriaGroup::kClass:
      return "class";
    case CriteriaGroup::kSurface:
      return "surface";
    case CriteriaGroup::kCondition:
      return "condition";
  }
  return {};
}

int findCriteriaItem(CriteriaGroup group, std::string_view text) {
  text = trimmed(text, kSpaceTab);
  const std::span<const CriteriaWord> words = criteriaWords(group);
  for (size_t i = 0; i < words.size(); ++i) {
    if (names(words[i], text)) return static_cast<int>(i);
  }
  return -1;
}

int criteriaCustomItem(CriteriaGroup group) {
  switch (group) {
    case CriteriaGroup::kDistance:
      return kDistanceCustomItem;
    case CriteriaGroup::kClass:
      return kClassCustomItem;
    case CriteriaGroup::kSurface:
    case CriteriaGroup::kCondition:
      return -1;
  }
  return -1;
}

}  // namespace stridewell
