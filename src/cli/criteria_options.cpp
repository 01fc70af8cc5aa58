#include "cli/criteria_options.h"

#include <algorithm>
#include <array>
#include <span>
#include <sstream>
#include <vector>

#include "base/interaction.h"
#include "base/text_trim.h"
#include "cli/text_format.h"
#include "race/card_values.h"

namespace stridewell::cli {
namespace {

// The short forms a command takes for the group, joined as a sentence.
std::string wordList(CriteriaGroup group, bool withCustom) {
  std::vector<std::string_view> words;
  const std::span<const CriteriaWord> items = criteriaWords(group);
  for (size_t i = 0; i < items.size(); ++i) {
    if (static_cast<int>(i) == criteriaCustomItem(group) && !withCustom) continue;
    words.push_back(items[i].word);
  }
  std::string list;
  for (size_t i = 0; i < words.size(); ++i) {
    if (i > 0) list += i + 1 == words.size() ? " or " : ", ";
    list += words[i];
  }
  return list;
}

std::vector<std::string> listItems(const std::string& list) {
  std::vector<std::string> items;
  std::istringstream in(list);
  for (std::string item; std::getline(in, item, ',');) {
    item = std::string(trimmed(item, kSpaceTab));
    if (!item.empty()) items.push_back(item);
  }
  return items;
}

// Distances by their short label ("6f", "1+1/16mi"), list label ("1 mile")
// or yards ("1320").
bool parseDistances(std::string_view command, const std::string& list,
                    std::array<bool, kCriteriaDistanceCount>& checks, std::ostream& err) {
  for (const std::string& item : listItems(list)) {
    int found = -1;
    int yards = 0;
    const bool isYards = parseWholeNumber(item, 1, 99999, yards);
    for (int i = 0; i < kCriteriaDistanceCount && found < 0; ++i) {
      const CriteriaDistance& distance = kCriteriaDistances[i];
      if (equalsIgnoreCase(distance.shortLabel, item) || equalsIgnoreCase(distance.listLabel, item) ||
          (isYards && distance.yards == yards)) {
        found = i;
      }
    }
    if (found < 0) {
      err << errorPrefix(command) << "--distances: no distance '" << printableText(item)
          << "' (write them as 6f, 1mi, 1+1/16mi ... or in yards)\n";
      return false;
    }
    checks[found] = true;
  }
  return true;
}

// Classes by their number in the class list, singly or as ranges ("8-12").
bool parseClasses(std::string_view command, const std::string& list,
                  std::array<bool, kCriteriaClassCount>& checks, std::ostream& err) {
  for (const std::string& item : listItems(list)) {
    const size_t dash = item.find('-');
    int first = 0;
    int last = 0;
    bool ok = false;
    if (dash == std::string::npos) {
      ok = parseWholeNumber(item, 1, kCriteriaClassCount, first);
      last = first;
    } else {
      const std::string_view range(item);
      ok = parseWholeNumber(trimmed(range.substr(0, dash), kSpaceTab), 1, kCriteriaClassCount, first) &&
           parseWholeNumber(trimmed(range.substr(dash + 1), kSpaceTab), 1, kCriteriaClassCount, last) &&
           first <= last;
    }
    if (!ok) {
      err << errorPrefix(command) << "--classes takes class numbers from 1 to " << kCriteriaClassCount
          << " and ranges such as 8-12, not '" << printableText(item) << "'\n";
      return false;
    }
    for (int entry = first; entry <= last; ++entry) checks[entry - 1] = true;
  }
  return true;
}

bool noneChecked(std::span<const bool> checks) {
  return std::none_of(checks.begin(), checks.end(), [](bool checked) { return checked; });
}

}  // namespace

const OptionSpec& criteriaOption(CriteriaGroup group) {
  switch (group) {
    case CriteriaGroup::kDistance:
      return kDistanceOption;
    case CriteriaGroup::kClass:
      return kClassOption;
    case CriteriaGroup::kSurface:
      return kSurfaceOption;
    case CriteriaGroup::kCondition:
      return kConditionOption;
  }
  return kDistanceOption;
}

bool readCriteriaItem(const ParsedOptions& options, std::string_view command, CriteriaGroup group,
                      bool withCustom, int& index, std::ostream& err) {
  const std::string_view option = criteriaGroupName(group);
  if (!options.has(option)) return true;
  const std::string text = options.value(option);
  const int found = findCriteriaItem(group, text);
  if (found >= 0 && (withCustom || found != criteriaCustomItem(group))) {
    index = found;
    return true;
  }
  err << errorPrefix(command) << "--" << option << " must be " << wordList(group, withCustom) << ", not '"
      << printableText(text) << "'";
  if (found >= 0) err << " (a custom list is a choice of `stridewell pl` only)";
  err << "; see 'stridewell help criteria'\n";
  return false;
}

bool readTrackOption(const ParsedOptions& options, std::string_view command, std::string& track,
                     std::ostream& err) {
  if (!options.has("track")) return true;
  const std::string text = options.value("track");
  // The dialogs' edits hold three characters; more is a typing error rather
  // than a code to cut, and only visible characters can reach the settings
  // file's lines and the tables unharmed.
  const std::string code(trimmed(text, kSpaceTab));
  const bool visible = std::all_of(code.begin(), code.end(), [](char c) { return c > ' ' && c < 0x7f; });
  if (!visible || code.size() > 3) {
    err << errorPrefix(command) << "--track needs a track code of up to 3 characters, not '"
        << printableText(text) << "'\n";
    return false;
  }
  track = code;
  return true;
}

std::string criteriaSummaryText() {
  std::string text;
  for (const CriteriaGroup group : kCriteriaGroups) {
    std::string words;
    for (const CriteriaWord& item : criteriaWords(group)) {
      if (!words.empty()) words += ", ";
      words += item.word;
      if (item.ruleItem.empty()) words += " (pl, evaluate)";
    }
    text += "  " + fitText("--" + std::string(criteriaGroupName(group)), 11) + "  " + words + "\n";
  }
  return text;
}

std::string criteriaHelpText() {
  std::string text =
      "Race criteria: the races `stridewell prep` trains on, `stridewell pl` bets on,\n"
      "`stridewell evaluate` judges a SIM on and an SI Map rule of `stridewell simmap`\n"
      "takes.\n"
      "\n"
      "Each of --distance, --class, --surface and --condition names one item of its\n"
      "drop-down list. Every command takes an item by its short form (left) or by\n"
      "any of its other spellings (right), which are the texts of the desktop\n"
      "program's criteria and SI Map drop-downs; a text may leave out its trailing\n"
      "\" only\" (\"Maiden Special Weight\"), and letter case does not matter.\n"
      "\"all\" takes every race.\n";
  for (const CriteriaGroup group : kCriteriaGroups) {
    const OptionSpec& option = criteriaOption(group);
    text += "\n--" + std::string(option.longName) + " " + std::string(option.valueName) + "\n";
    const std::span<const CriteriaWord> items = criteriaWords(group);
    for (size_t i = 0; i < items.size(); ++i) {
      const CriteriaWord& item = items[i];
      std::string others;
      auto add = [&](std::string_view spelling) {
        if (spelling.empty() || equalsIgnoreCase(spelling, item.word)) return;
        others += others.empty() ? "" : ", ";
        others += "\"" + std::string(spelling) + "\"";
      };
      add(item.listItem);
      if (!equalsIgnoreCase(item.ruleItem, item.listItem)) add(item.ruleItem);
      if (static_cast<int>(i) == criteriaCustomItem(group)) {
        others += others.empty() ? "" : " ";
        others += group == CriteriaGroup::kDistance ? "(pl only: the distances of --distances)"
                                                    : "(pl only: the classes of --classes)";
      }
      text += "  " + fitText(item.word, 22) + "  " + others;
      while (!text.empty() && text.back() == ' ') text.pop_back();
      text += '\n';
    }
  }
  text +=
      "\n--track CODE\n"
      "  a track code of up to 3 characters (AQU; a 2-letter code such as AQ reads\n"
      "  as AQX); '' or no --track for every track.\n";
  return text;
}

bool readCriteriaChoices(const ParsedOptions& options, std::string_view command, CriteriaChoices& choices,
                         std::ostream& err) {
  if (!readCriteriaItem(options, command, CriteriaGroup::kDistance, true, choices.distance, err) ||
      !readCriteriaItem(options, command, CriteriaGroup::kClass, true, choices.raceClass, err) ||
      !readCriteriaItem(options, command, CriteriaGroup::kSurface, true, choices.surface, err) ||
      !readCriteriaItem(options, command, CriteriaGroup::kCondition, true, choices.condition, err)) {
    return false;
  }
  // A list alone means a custom list; beside another choice it would be
  // silently ignored, so it is refused.
  if (options.has("distances")) {
    if (!options.has("distance")) choices.distance = kDistanceCustomItem;
    if (choices.distance != kDistanceCustomItem) {
      err << errorPrefix(command) << "--distances needs --distance custom\n";
      return false;
    }
    if (!parseDistances(command, options.value("distances"), choices.distanceChecks, err)) return false;
  }
  if (options.has("classes")) {
    if (!options.has("class")) choices.raceClass = kClassCustomItem;
    if (choices.raceClass != kClassCustomItem) {
      err << errorPrefix(command) << "--classes needs --class custom\n";
      return false;
    }
    if (!parseClasses(command, options.value("classes"), choices.classChecks, err)) return false;
  }
  if (!readTrackOption(options, command, choices.trackText, err)) return false;
  return true;
}

bool customListsChecked(const CriteriaChoices& choices, UserInteraction& ui) {
  // The dialog's order: the class list first.
  if (choices.raceClass == kClassCustomItem && noneChecked(choices.classChecks)) {
    ui.error("Custom class list is empty (no checked items).");
    return false;
  }
  if (choices.distance == kDistanceCustomItem && noneChecked(choices.distanceChecks)) {
    ui.error("Custom distance list is empty (no checked items).");
    return false;
  }
  return true;
}

std::string criteriaClassListText() {
  std::string text;
  for (int i = 0; i < kCriteriaClassCount; ++i) {
    text += formatText("  %2d %-28s", i + 1, std::string(kCriteriaClasses[i].label).c_str());
    if (i % 2 == 1 || i + 1 == kCriteriaClassCount) {
      while (!text.empty() && text.back() == ' ') text.pop_back();
      text += '\n';
    }
  }
  return text;
}

}  // namespace stridewell::cli
