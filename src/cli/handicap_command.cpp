#include "cli/handicap_command.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iostream>
#include <memory>

#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "base/workspace.h"
#include "cli/terminal_interaction.h"
#include "cli/terminal_progress.h"
#include "cli/text_format.h"
#include "model/sim_list.h"
#include "model/sim_map.h"
#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "operations/handicap_run.h"

namespace stridewell::cli {
namespace {

constexpr OptionSpec kHandicapOptions[] = {
    kSimOption,
    {'m', "map", "N", "Use SI Map N (1 to 5): each race gets the SIM of its first matching rule."},
    {'\0', "dry-only", "", "With an SI Map, assume a dry track only (no wet-track finish order)."},
    {'q', "quiet", "", "Write the report files without printing them."},
    {'\0', "csv", "FILE",
     "Also write every horse's figures and the leading exotics to FILE, comma-separated."},
    {'\0', "json", "FILE", "Also write the same figures to FILE as JSON."},
    {'\0', "overlay-margin", "M", "Mark a horse an overlay when ML + 1 >= (1 + M) x (fair odds + 1) (0.25)."},
    {'\0', "second-exponent", "A", "Discount of second place in the exotic chances (0.81)."},
    {'\0', "third-exponent", "B", "Discount of third place in the exotic chances (0.65)."},
};

// The table options of the command line; false, after saying why on `err`.
bool readTableOptions(const ParsedOptions& options, std::ostream& err, HandicapTableOptions& table) {
  struct NumberOption {
    const char* name;
    double low;
    double high;
    bool aboveLow;
    double* value;
  };
  const NumberOption numbers[] = {
      {"overlay-margin", 0, kLargestOverlayMargin, false, &table.overlayMargin},
      {"second-exponent", 0, kLargestPlaceExponent, true, &table.exponents.second},
      {"third-exponent", 0, kLargestPlaceExponent, true, &table.exponents.third},
  };
  const bool writing = options.has("csv") || options.has("json");
  for (const NumberOption& option : numbers) {
    if (!options.has(option.name)) continue;
    if (!writing) {
      err << "stridewell handicap: error: --" << option.name << " goes with --csv or --json\n";
      return false;
    }
    if (!parseDecimal(options.value(option.name), option.low, option.high, option.aboveLow, *option.value)) {
      err << "stridewell handicap: error: --" << option.name << " takes a number "
          << (option.aboveLow ? "above " : "from ") << option.low << " to " << option.high << ", not '"
          << printableText(options.value(option.name)) << "'\n";
      return false;
    }
  }
  for (const char* file : {"csv", "json"}) {
    if (options.has(file) && options.value(file).empty()) {
      err << "stridewell handicap: error: --" << file << " needs a file name\n";
      return false;
    }
  }
  return true;
}

bool readMapNumber(const std::string& text, int& mapNumber) {
  if (text.size() != 1 || text[0] < '1' || text[0] > '5') return false;
  mapNumber = text[0] - '1';
  return true;
}

void printReport(const HandicappedFile& file, std::ostream& out) {
  std::ifstream report(file.reportPath, std::ios::binary);
  if (!report) return;
  out << "== " << file.reportPath << " ==\n\n" << report.rdbuf();
  out << '\n';
}

int exitStatusOf(const HandicapRun& run) {
  int status = kExitOk;
  for (const HandicappedFile& file : run.files) {
    switch (file.outcome) {
      case HandicapOutcome::kDone:
        break;
      case HandicapOutcome::kInvalid:
      case HandicapOutcome::kNoRace:
        status = std::max(status, kExitBadInput);
        break;
      case HandicapOutcome::kCannotOpen:
        // A file that opened but is no archive is bad input, not a missing one.
        status = std::max(status, file.notAnArchive ? kExitBadInput : kExitCannotOpen);
        break;
      case HandicapOutcome::kCannotCreate:
        status = std::max(status, kExitCannotOpen);
        break;
    }
    // A race left without its finish order must not pass for a full report.
    if (!file.unscored.empty()) status = std::max(status, kExitCannotOpen);
  }
  return status;
}

}  // namespace

std::string_view HandicapCommand::description() const {
  return "Handicaps each card file (ABC1234.TCF, or its archive ABC1234M.ZIP) and\n"
         "writes its report to the Workspace's PREDICT folder as ABC1234.TXT, then\n"
         "prints it. Each race gets a block: its conditions, the ZuroVurezode alerts\n"
         "and the predicted first five with win percentages, the SIM's fair odds and\n"
         "the morning-line odds.\n"
         "\n"
         "With --sim every race is scored by that SIM (\"Default\" is the one shipped\n"
         "beside the program; others live in the Workspace's SIM folder). With --map\n"
         "each race is scored by the SIM of the first SI Map rule it meets, once for\n"
         "a dry and once for a wet track (see `stridewell simmap`). Without either,\n"
         "the mode, SIM and map of the last run are used (at first the Default SIM).\n"
         "At most 64 files per run.\n"
         "\n"
         "The Workspace is $STRIDEWELL_HOME, else $XDG_DATA_HOME/stridewell\n"
         "(~/.local/share/stridewell); settings are kept in\n"
         "$XDG_CONFIG_HOME/Farrowmede/Stridewell 5.conf (~/.config/...).\n"
         "\n"
         "The choice of SIM or map is remembered once the SIM has loaded.\n"
         "\n"
         "Exit status: 0 when every file was handicapped, 1 when a file is not valid\n"
         "(its report ends at the bad line) or holds no race, 2 when a file cannot be\n"
         "opened (an earlier report of it is left as it was), a report cannot be\n"
         "written, the SIM cannot be loaded (with --map: the SIM of a rule, so that\n"
         "races were not scored) or the command line is wrong, 3 when the run was\n"
         "stopped (Ctrl-C).\n"
         "\n"
         "--csv FILE and --json FILE also write, for every race of every card,\n"
         "every horse the SIM scored: the card's file name, track, date and race\n"
         "number (with an SI Map, the track assumed and each finish order's SIM),\n"
         "the horse's program number, post and name, its SIM score, win percentage\n"
         "(its share of the field's total score), fair odds (1 / share - 1), the\n"
         "morning line, and whether it is an overlay: a horse is one when its\n"
         "morning line pays at least 1 + M times its fair odds, ML + 1 >= (1 + M) x\n"
         "(fair odds + 1), with M = 0.25 unless --overlay-margin says otherwise.\n"
         "Each race also gets its 5 most likely exactas and trifectas with their\n"
         "chances and fair $2 prices (2 / chance). The chances follow Harville's\n"
         "formula with the lower places discounted: once i has won, j runs second\n"
         "with chance p_j^A over the sum of p^A of the horses left, and then k third\n"
         "with p_k^B over the horses left, where p is the win share; A = 0.81 and\n"
         "B = 0.65 unless --second-exponent and --third-exponent say otherwise\n"
         "(1 and 1 is Harville's own formula). A combination names its horses by\n"
         "program number (by post position on a card without them), as \"1A-4-2\".\n"
         "A race the SIM could not score (too few horses, no SI Map rule, a SIM that\n"
         "did not load) is listed with its horses, no figures and a note saying why.\n"
         "The CSV file has one header line and a line per horse (kind \"horse\") and\n"
         "per combination (\"exacta\", \"trifecta\"); the JSON file holds the same\n"
         "figures, unknown ones as null. Both are UTF-8, the card's bytes above 127\n"
         "read as Latin-1, with '.' for the decimal point. They are written only\n"
         "when the run ends, not when it is stopped or no card could be opened\n"
         "(an earlier file is then left as it was), through a temporary file\n"
         "renamed into place; one that cannot be written is an error (status 2) and\n"
         "the reports are printed as usual.\n";
}

std::span<const OptionSpec> HandicapCommand::options() const {
  return kHandicapOptions;
}

int HandicapCommand::run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const {
  const std::vector<std::string>& inputs = options.operands();
  if (inputs.empty()) {
    err << "stridewell handicap: error: no card file given\n\n" << usage();
    return kExitUsage;
  }
  if (inputs.size() > static_cast<size_t>(kMostHandicapFiles)) {
    err << "stridewell handicap: error: at most " << kMostHandicapFiles << " card files at a time\n";
    return kExitUsage;
  }
  if (options.has("sim") && options.has("map")) {
    err << "stridewell handicap: error: choose --sim or --map, not both\n";
    return kExitUsage;
  }
  int mapNumber = -1;
  if (options.has("map") && !readMapNumber(options.value("map"), mapNumber)) {
    err << "stridewell handicap: error: --map takes a map number from 1 to 5, not '"
        << printableText(options.value("map")) << "'\n";
    return kExitUsage;
  }

  HandicapTableOptions tableOptions;
  if (!readTableOptions(options, err, tableOptions)) return kExitUsage;

  TerminalInteraction ui(std::cin, out, err, false, QueryAnswer::kNo, name());
  SettingsStore store(SettingsStore::defaultFile(), &ui);
  const Workspace workspace = workspaceAt(programFolder(), defaultWorkspaceBase());
  if (!createWorkspaceFolders(workspace, ui)) return kExitCannotOpen;

  // Without a choice on the command line, the last run's choice holds.
  HandicapSetup setup;
  setup.mapMode = mapNumber >= 0;
  if (!options.has("sim") && !options.has("map")) {
    setup.mapMode = !store.readFlag(kSettingsSection, setting::kSingleSim, setting::kSingleSimDefault) &&
                    store.readFlag(kSettingsSection, setting::kUseMaps, setting::kUseMapsDefault);
    if (setup.mapMode) {
      mapNumber = simMapNumber(store.read(setting::kSimMapName, setting::kSimMapNameDefault));
    }
  }
  setup.dryOnly = setup.mapMode && options.has("dry-only");
  setup.keepTables = options.has("csv") || options.has("json");
  setup.tableOptions = tableOptions;
  if (setup.mapMode) {
    setup.simMap = resolveSimMap(loadSimMap(store, mapNumber), workspace);
  } else {
    setup.simName =
        options.has("sim") ? options.value("sim") : store.read(setting::kSimName, setting::kSimNameDefault);
    setup.simPath = simWeightsPath(workspace, setup.simName);
  }

  auto model = std::make_unique<SimModel>(true);
  const int32_t hidden[] = {kSimHiddenUnits};
  if (model->defineNet(kSimInputs, kSimOutputs, hidden, "", true) == 0) {
    ui.error("Error during SIM init");
    return kExitCannotOpen;
  }
  TerminalProgress progress;
  ui.attachProgress(&progress);
  const HandicapRun run = runHandicap(setup, *model, inputs, workspace, ui, progress);
  progress.clearLine();
  ui.attachProgress(nullptr);
  if (!run.simLoaded) {
    return model->loadFault() == SimModel::LoadFault::kDamaged ? kExitBadInput : kExitCannotOpen;
  }
  // The choice is remembered only once its SIM has loaded, so a mistyped
  // name does not become the next run's choice.
  if (setup.mapMode) {
    store.write(setting::kSimMapName, simMapName(mapNumber));
  } else {
    store.write(setting::kSimName, setup.simName);
  }
  store.writeFlag(kSettingsSection, setting::kSingleSim, !setup.mapMode);
  store.writeFlag(kSettingsSection, setting::kUseMaps, setup.mapMode);
  store.writeFlag(kSettingsSection, setting::kDryOnly, setup.dryOnly);
  int tableStatus = kExitOk;
  // With no card read there is nothing to write, and an earlier table of
  // the same name is kept, as an earlier report is.
  const bool anyCardRead = std::any_of(run.files.begin(), run.files.end(), [](const HandicappedFile& file) {
    return file.outcome != HandicapOutcome::kCannotOpen;
  });
  if (!run.cancelled && anyCardRead) {
    if (options.has("csv") &&
        !writeHandicapTables(run, tableOptions, HandicapTableFormat::kCsv, options.value("csv"), ui)) {
      tableStatus = kExitCannotOpen;
    }
    if (options.has("json") &&
        !writeHandicapTables(run, tableOptions, HandicapTableFormat::kJson, options.value("json"), ui)) {
      tableStatus = kExitCannotOpen;
    }
  }
  if (!options.has("quiet")) {
    for (const HandicappedFile& file : run.files) {
      if (file.outcome != HandicapOutcome::kCannotCreate && file.outcome != HandicapOutcome::kCannotOpen) {
        printReport(file, out);
      }
    }
  }
  if (run.cancelled) {
    err << "stridewell handicap: cancelled\n";
    return kExitDeclined;
  }
  return std::max(exitStatusOf(run), tableStatus);
}

}  // namespace stridewell::cli
