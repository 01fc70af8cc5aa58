// What a user picks in the criteria controls of a dialog or on the command
// line, and the one conversion from those picks to a RaceCriteria, so that
// every front end builds the same filter. Pure functions; any thread.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "race/race_criteria.h"

namespace stridewell {

// The drop-down items in their order. The profit/loss dialog shows the
// distance and class lists in full; the prep dialog and the SI Map rules
// stop before the trailing "CUSTOM" (the *WithoutCustom counts).
inline constexpr std::array<std::string_view, 4> kDistanceItems = {"All", "Routes only", "Sprints only",
                                                                   "CUSTOM"};
inline constexpr std::array<std::string_view, 7> kClassItems = {
    "All",           "Maiden Claiming only", "Maiden Special Weight only",
    "Claiming only", "Allowance only",       "Stakes only",
    "CUSTOM"};
inline constexpr std::array<std::string_view, 4> kSurfaceItems = {"All", "Turf only", "Dirt only",
                                                                  "Synthetic only"};
inline constexpr std::array<std::string_view, 3> kConditionItems = {"All", "Wet tracks only",
                                                                    "Dry tracks only"};

inline constexpr int kDistanceCustomItem = 3;
inline constexpr int kClassCustomItem = 6;
inline constexpr int kDistanceItemsWithoutCustom = kDistanceCustomItem;
inline constexpr int kClassItemsWithoutCustom = kClassCustomItem;

// The item texts of a drop-down, with or without the trailing "CUSTOM".
inline std::span<const std::string_view> distanceItems(bool withCustom) {
  return std::span(kDistanceItems).first(withCustom ? kDistanceItems.size() : kDistanceItemsWithoutCustom);
}
inline std::span<const std::string_view> classItems(bool withCustom) {
  return std::span(kClassItems).first(withCustom ? kClassItems.size() : kClassItemsWithoutCustom);
}

// The state of the criteria controls. Indexes are positions in the item
// lists above; one outside its list sets no bit, so that group (and the
// whole filter) then passes no race. The check lists count only while their
// drop-down shows "CUSTOM".
struct CriteriaChoices {
  int distance = 0;
  int raceClass = 0;
  int surface = 0;
  int condition = 0;
  std::string trackText;  // the track code edit as typed
  std::array<bool, kCriteriaDistanceCount> distanceChecks{};
  std::array<bool, kCriteriaClassCount> classChecks{};
};

// The track code edit as it counts: surrounding white space removed and cut
// to the three characters a code has (the dialogs' edits hold no more; the
// command line can pass more). No "X" is appended: this is what a dialog
// remembers and shows again.
std::string criteriaTrackText(std::string_view editText);

// Sets the track group from the edit text: an empty text selects all tracks,
// otherwise the code, with "X" appended to a 2-character code and its
// letter case kept (comparisons ignore it). Shared with the SI Map rules.
void setTrackCriterion(RaceCriteria& criteria, std::string_view editText);

// A zero-filled RaceCriteria with each group set from the choices.
RaceCriteria buildCriteria(const CriteriaChoices& choices);

}  // namespace stridewell
