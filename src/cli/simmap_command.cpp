#include "cli/simmap_command.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <iostream>
#include <span>
#include <string>
#include <vector>

#include "app/setting_keys.h"
#include "app/settings_store.h"
#include "app/workspace.h"
#include "cli/terminal_interaction.h"
#include "cli/text_format.h"
#include "handicap/sim_list.h"
#include "handicap/sim_map_rules.h"
#include "race/card_values.h"
#include "race/criteria_choices.h"

namespace stridewell::cli {
namespace {

constexpr OptionSpec kSimMapOptions[] = {
    {'r', "rule", "R", "Change rule R (1 to 10) with the options below."},
    {'\0', "enable", "", "Switch the rule on."},
    {'\0', "disable", "", "Switch the rule off."},
    {'\0', "sim", "NAME", "Score the races the rule takes with SIM NAME."},
    {'\0', "track", "CODE", "Only races at track CODE (up to 3 characters); '' for any track."},
    {'\0', "distance", "ITEM", "All, Route or Sprint."},
    {'\0', "class", "ITEM", "All, Maiden, MdnSpWgt, Claiming, Allowance or Stakes."},
    {'\0', "surface", "ITEM", "All, Turf, Dirt or Synth."},
    {'\0', "condition", "ITEM", "All, Wet or Dry."},
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

template <size_t N>
std::string itemList(const std::array<std::string_view, N>& items) {
  std::string list;
  for (size_t i = 0; i < N; ++i) {
    if (i > 0) list += i + 1 == N ? " or " : ", ";
    list += items[i];
  }
  return list;
}

// The item named `text` (any letter case); false, with a message, otherwise.
template <size_t N>
bool parseItem(const ParsedOptions& options, std::string_view option,
               const std::array<std::string_view, N>& items, int& index, std::ostream& err) {
  const std::string text = options.value(option);
  for (size_t i = 0; i < N; ++i) {
    if (equalsIgnoreCase(items[i], text)) {
      index = static_cast<int>(i);
      return true;
    }
  }
  err << "stridewell simmap: --" << option << " must be " << itemList(items) << ", not '"
      << printableText(text) << "'\n";
  return false;
}

// A track code as the 3-character edit holds it, blanks around it removed;
// letters, digits and other visible characters only, so that nothing from
// the command line can break the table or the settings file's lines.
bool parseTrack(const std::string& text, std::string& track, std::ostream& err) {
  const size_t first = text.find_first_not_of(" \t");
  const std::string code =
      first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(" \t") - first + 1);
  const bool visible = std::all_of(code.begin(), code.end(), [](char c) { return c > ' ' && c < 0x7f; });
  if (!visible || code.size() > 3) {
    err << "stridewell simmap: --track needs a track code of up to 3 characters, not '" << printableText(text)
        << "'\n";
    return false;
  }
  track = code;
  return true;
}

bool simFileExists(const Workspace& workspace, const std::string& sim) {
  return ::access(simWeightsPath(workspace, sim).c_str(), R_OK) == 0;
}

// Applies the rule options to `rule`; false, with a message, on a bad value.
bool editRule(const ParsedOptions& options, const Workspace& workspace, SimMapRule& rule, std::ostream& err) {
  if (options.has("enable") && options.has("disable")) {
    err << "stridewell simmap: --enable and --disable exclude each other\n";
    return false;
  }
  if (options.has("enable")) rule.enabled = true;
  if (options.has("disable")) rule.enabled = false;
  if (options.has("track") && !parseTrack(options.value("track"), rule.track, err)) return false;
  if (options.has("distance") && !parseItem(options, "distance", kSimMapDistanceItems, rule.distance, err)) {
    return false;
  }
  if (options.has("class") && !parseItem(options, "class", kSimMapClassItems, rule.raceClass, err))
    return false;
  if (options.has("surface") && !parseItem(options, "surface", kSimMapSurfaceItems, rule.surface, err)) {
    return false;
  }
  if (options.has("condition") &&
      !parseItem(options, "condition", kSimMapConditionItems, rule.condition, err)) {
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
      err << "stridewell simmap: there is no SIM named '" << printableText(options.value("sim"))
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
         "Default and the SIM folder's files.\n"
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
    err << "stridewell simmap: name one map\n\n" << usage();
    return kExitUsage;
  }
  int mapNumber = -1;
  if (!operands.empty()) {
    int n = 0;
    if (!parseWholeNumber(operands[0], 1, kSimMapCount, n)) {
      err << "stridewell simmap: the map is a number from 1 to 5, not '" << printableText(operands[0])
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
    err << "stridewell simmap: --rule needs a rule number from 1 to 10, not '"
        << printableText(options.value("rule")) << "'\n";
    return kExitUsage;
  }
  if (changesRule && ruleNumber == 0) {
    err << "stridewell simmap: say which rule to change with --rule R\n";
    return kExitUsage;
  }
  if (ruleNumber != 0 && !changesRule) {
    err << "stridewell simmap: --rule " << ruleNumber << " without a change (--enable, --sim, --track ...)\n";
    return kExitUsage;
  }
  if (changes && mapNumber < 0) {
    err << "stridewell simmap: name the map to change (1 to 5)\n";
    return kExitUsage;
  }

  // Settings warnings (a damaged file reads as defaults) go to this
  // command's error stream; nothing here asks a question.
  TerminalInteraction ui(std::cin, out, err, false, QueryAnswer::kNo);
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
      err << "stridewell simmap: could not write the settings file " << printableText(store.file()) << '\n';
      return kExitCannotOpen;
    }
  }
  writeSimMap(map, mapNumber, mapNumber == inUse, workspace, out);
  return kExitOk;
}

}  // namespace stridewell::cli
