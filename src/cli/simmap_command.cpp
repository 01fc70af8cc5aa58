#include "cli/simmap_command.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <iostream>
#include <span>
#include <string>
#include <vector>

#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "base/workspace.h"
#include "cli/criteria_options.h"
#include "cli/terminal_interaction.h"
#include "cli/text_format.h"
#include "handicap/sim_map_rules.h"
#include "model/sim_list.h"
#include "race/card_values.h"
#include "race/criteria_choices.h"
#include "race/criteria_words.h"

namespace stridewell::cli {
namespace {

constexpr OptionSpec kSimMapOptions[] = {
    withAlias({'\0', "rule", "R", "Change rule R (1 to 10) with the options below."}, 'r'),
    {'\0', "enable", "", "Switch the rule on."},
    {'\0', "disable", "", "Switch the rule off."},
    kSimOption,
    kTrackOption,
    kDistanceOption,
    kClassOption,
    kSurfaceOption,
    kConditionOption,
    {'\0', "comment", "TEXT", "Set the map's comment."},
    {'\0', "reset", "", "Reset the map first: rule 1 on for every race with Default, the rest off."},
};

// The options that change one rule and so need --rule.
constexpr std::string_view kRuleOptions[] = {"enable",   "disable", "sim",     "track",
                                             "distance", "class",   "surface", "condition"};

constexpr size_t kMaxColumn = 40;

template <size_t N>
std::string itemText(const std::array<std::string_view, N>& items, int index) {
  if (index >= 0 && static_cast<size_t>(index) < N) return std::string(items[index]);
  return "invalid (" + std::to_string(index) + ")";  // stored by hand; matches no race
}

bool simFileExists(const Workspace& workspace, const std::string& sim) {
  return ::access(simWeightsPath(workspace, sim).c_str(), R_OK) == 0;
}

// Applies the rule options to `rule`; false, with a message, on a bad value.
bool editRule(const ParsedOptions& options, const Workspace& workspace, SimMapRule& rule, std::ostream& err) {
  if (options.has("enable") && options.has("disable")) {
    err << "stridewell simmap: error: --enable and --disable exclude each other\n";
    return false;
  }
  if (options.has("enable")) rule.enabled = true;
  if (options.has("disable")) rule.enabled = false;
  if (!readTrackOption(options, "simmap", rule.track, err) ||
      !readCriteriaItem(options, "simmap", CriteriaGroup::kDistance, false, rule.distance, err) ||
      !readCriteriaItem(options, "simmap", CriteriaGroup::kClass, false, rule.raceClass, err) ||
      !readCriteriaItem(options, "simmap", CriteriaGroup::kSurface, false, rule.surface, err) ||
      !readCriteriaItem(options, "simmap", CriteriaGroup::kCondition, false, rule.condition, err)) {
    return false;
  }
  if (options.has("sim")) {
    // As in the dialog, a rule can name only a SIM of the list, spelled as
    // the list spells it.
    const SimList list = fillSimList(workspace.sim, true);
    const int found = selectSimByName(list.items, options.value("sim"), -1);
    if (found < 0 || found >= list.count) {
      std::string names;
      for (int i = 0; i < list.count; ++i) names += (i > 0 ? ", " : "") + list.items[i];
      err << "stridewell simmap: error: there is no SIM named '" << printableText(options.value("sim"))
          << "'; the SIMs are: " << printableText(names) << '\n';
      return false;
    }
    rule.sim = list.items[found];
  }
  return true;
}

}  // namespace

void writeSimMap(const SimMap& map, int mapNumber, bool inUse, const Workspace& workspace,
                 std::ostream& out) {
  out << simMapName(mapNumber);
  if (inUse) out << " (the map handicapping uses)";
  out << "\nComment: " << printableText(map.comment) << "\n\n";

  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> missing;
  for (int i = 0; i < kSimMapRuleCount; ++i) {
    const SimMapRule& rule = map.rules[i];
    rows.push_back({
        std::to_string(i + 1),
        rule.enabled ? "yes" : "no",
        rule.sim,
        criteriaTrackText(rule.track).empty() ? "any" : rule.track,
        itemText(kSimMapDistanceItems, rule.distance),
        itemText(kSimMapClassItems, rule.raceClass),
        itemText(kSimMapSurfaceItems, rule.surface),
        itemText(kSimMapConditionItems, rule.condition),
    });
    if (rule.enabled && !simFileExists(workspace, rule.sim)) {
      missing.push_back(formatText("  Rule %d: SIM '", i + 1) + printableText(rule.sim) +
                        "' has no weights file; races it takes are not scored.\n");
    }
  }
  // Columns as wide as their widest cell, so that a long SIM name or a
  // hand-edited value shows whole (up to a limit).
  const char* const titles[] = {"Rule", "On", "SIM", "Track", "Distance", "Class", "Surface", "Condition"};
  int widths[std::size(titles)];
  for (size_t c = 0; c < std::size(titles); ++c) {
    size_t width = std::string_view(titles[c]).size();
    for (const auto& cells : rows) width = std::max(width, cells[c].size());
    widths[c] = static_cast<int>(std::min<size_t>(width, kMaxColumn));
  }
  const TextTable table(2, {
                               {titles[0], widths[0], true},
                               {titles[1], widths[1]},
                               {titles[2], widths[2]},
                               {titles[3], widths[3]},
                               {titles[4], widths[4]},
                               {titles[5], widths[5]},
                               {titles[6], widths[6]},
                               {titles[7], widths[7]},
                           });
  table.writeHeader(out);
  for (const auto& cells : rows) table.writeRow(out, cells);
  out << "\n  The first enabled rule a race meets decides its SIM; a race that meets none\n"
         "  is not handicapped.\n";
  if (!missing.empty()) {
    out << '\n';
    for (const std::string& line : missing) out << line;
  }
}

std::string_view SimMapCommand::description() const {
  return "Shows SI Map N (1 to 5), or without N the map that handicapping uses, as a\n"
         "table of its ten rules: whether the rule is on, its SIM, and the races it\n"
         "takes by track, distance, class, surface and track condition (\"any\" and\n"
         "\"All\" take every race). Handicapping checks the rules in order and scores a\n"
         "race with the SIM of the first enabled rule the race meets, once assuming a\n"
         "dry track and once a wet one.\n"
         "\n"
         "With --reset, --comment or --rule and its options, changes map N first and\n"
         "then shows it; --reset comes before the other changes. A SIM must be one of\n"
         "Default and the SIM folder's files. 'stridewell help criteria' lists the\n"
         "words of --distance, --class, --surface and --condition.\n"
         "\n"
         "The maps are kept in the settings file ($XDG_CONFIG_HOME/Farrowmede/\n"
         "Stridewell 5.conf); the SIM folder is in the Workspace ($STRIDEWELL_HOME).\n"
         "\n"
         "Exit status: 0 on success, 2 when the command line is wrong or the settings\n"
         "file cannot be written.\n";
}

std::span<const OptionSpec> SimMapCommand::options() const {
  return kSimMapOptions;
}

int SimMapCommand::run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const {
  const std::vector<std::string>& operands = options.operands();
  if (operands.size() > 1) {
    err << "stridewell simmap: error: name one map\n\n" << usage();
    return kExitUsage;
  }
  int mapNumber = -1;
  if (!operands.empty()) {
    int n = 0;
    if (!parseWholeNumber(operands[0], 1, kSimMapCount, n)) {
      err << "stridewell simmap: error: the map is a number from 1 to 5, not '" << printableText(operands[0])
          << "'\n";
      return kExitUsage;
    }
    mapNumber = n - 1;
  }

  const bool changesRule = std::any_of(std::begin(kRuleOptions), std::end(kRuleOptions),
                                       [&](std::string_view name) { return options.has(name); });
  const bool changes = changesRule || options.has("rule") || options.has("reset") || options.has("comment");
  int ruleNumber = 0;
  if (options.has("rule") && !parseWholeNumber(options.value("rule"), 1, kSimMapRuleCount, ruleNumber)) {
    err << "stridewell simmap: error: --rule needs a rule number from 1 to 10, not '"
        << printableText(options.value("rule")) << "'\n";
    return kExitUsage;
  }
  if (changesRule && ruleNumber == 0) {
    err << "stridewell simmap: error: say which rule to change with --rule R\n";
    return kExitUsage;
  }
  if (ruleNumber != 0 && !changesRule) {
    err << "stridewell simmap: error: --rule " << ruleNumber
        << " without a change (--enable, --sim, --track ...)\n";
    return kExitUsage;
  }
  if (changes && mapNumber < 0) {
    err << "stridewell simmap: error: name the map to change (1 to 5)\n";
    return kExitUsage;
  }

  // Settings warnings (a damaged file reads as defaults) go to this
  // command's error stream; nothing here asks a question.
  TerminalInteraction ui(std::cin, out, err, false, QueryAnswer::kNo, name());
  SettingsStore store(SettingsStore::defaultFile(), &ui);
  const Workspace workspace = workspaceAt(programFolder(), defaultWorkspaceBase());
  const int inUse = simMapNumber(store.read(setting::kSimMapName, setting::kSimMapNameDefault));
  if (mapNumber < 0) mapNumber = inUse;

  SimMap map = loadSimMap(store, mapNumber);
  if (changes) {
    if (options.has("reset")) map = defaultSimMap();
    if (options.has("comment")) map.comment = options.value("comment");
    if (ruleNumber != 0 && !editRule(options, workspace, map.rules[ruleNumber - 1], err)) return kExitUsage;
    if (!saveSimMap(store, mapNumber, map)) {
      err << "stridewell simmap: error: could not write the settings file " << printableText(store.file())
          << '\n';
      return kExitCannotOpen;
    }
  }
  writeSimMap(map, mapNumber, mapNumber == inUse, workspace, out);
  return kExitOk;
}

}  // namespace stridewell::cli
