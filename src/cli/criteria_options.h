// The race criteria options of `prep`, `pl` and `simmap`: one spelling,
// one help line and one reading of --distance, --class, --surface,
// --condition and --track for all three, over the word table of
// race/criteria_words.h, and the text of `stridewell help criteria`.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "cli/command.h"
#include "race/criteria_choices.h"
#include "race/criteria_words.h"

namespace stridewell {
class UserInteraction;
}

namespace stridewell::cli {

inline constexpr OptionSpec kDistanceOption{'\0', "distance", "ITEM",
                                            "Only races of distance ITEM: all, routes or sprints."};
inline constexpr OptionSpec kDistancesOption{
    '\0', "distances", "LIST",
    "Only races of a custom list of distances (--distance custom), e.g. 6f,7f,1mi."};
inline constexpr OptionSpec kClassOption{
    '\0', "class", "ITEM",
    "Only races of class ITEM: all, maiden-claiming, maiden-special-weight, claiming, allowance or stakes."};
inline constexpr OptionSpec kClassesOption{
    '\0', "classes", "LIST",
    "Only races of a custom list of classes (--class custom) by number, e.g. 8-12,20."};
inline constexpr OptionSpec kSurfaceOption{'\0', "surface", "ITEM",
                                           "Only races on surface ITEM: all, turf, dirt or synthetic."};
inline constexpr OptionSpec kConditionOption{'\0', "condition", "ITEM",
                                             "Only races on a track of condition ITEM: all, wet or dry."};
inline constexpr OptionSpec kTrackOption{
    '\0', "track", "CODE", "Only races at track CODE (up to 3 characters; '' for every track)."};

// The dataset the combined chances of `evaluate` and `value` are fitted on.
inline constexpr OptionSpec kFitOption{
    '\0', "fit", "DATASET",
    "Also fit the SIM's and the final odds' chances together on DATASET and use the mix."};

// The option of a group.
const OptionSpec& criteriaOption(CriteriaGroup group);

// Sets `index` to the item the group's option names (left as it is when the
// option is not given). `withCustom` says whether the command offers the
// CUSTOM item. False, after "stridewell COMMAND: error: ..." on `err`
// listing the short forms, for a word that names no item.
bool readCriteriaItem(const ParsedOptions& options, std::string_view command, CriteriaGroup group,
                      bool withCustom, int& index, std::ostream& err);

// Sets `track` to --track's code, blanks around it removed ("" for every
// track; left as it is when the option is not given). False, with a
// message, for more than 3 characters or one that is not visible.
bool readTrackOption(const ParsedOptions& options, std::string_view command, std::string& track,
                     std::ostream& err);

// The short forms of every group, one line each, for the command list of
// `stridewell help`.
std::string criteriaSummaryText();

// What `stridewell help criteria` prints: every item of every group with all
// the spellings it answers to.
std::string criteriaHelpText();

// The criteria of the commands that analyse a dataset (`pl`, `evaluate`):
// the four groups with the custom item, --distances and --classes (a list
// alone means the custom item; beside another item it is refused) and
// --track. False, after "stridewell COMMAND: error: ..." on `err`, on a bad
// value.
bool readCriteriaChoices(const ParsedOptions& options, std::string_view command, CriteriaChoices& choices,
                         std::ostream& err);

// False, after an error through `ui`, when a custom class or distance list
// is chosen with nothing checked (the class list is checked first).
bool customListsChecked(const CriteriaChoices& choices, UserInteraction& ui);

// The class numbers --classes takes, two to a line, for a command's help.
std::string criteriaClassListText();

}  // namespace stridewell::cli
