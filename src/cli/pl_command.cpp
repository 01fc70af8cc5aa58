#include "cli/pl_command.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <span>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "base/replacement_file.h"
#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "base/text_trim.h"
#include "base/workspace.h"
#include "cli/criteria_options.h"
#include "cli/terminal_interaction.h"
#include "cli/terminal_progress.h"
#include "cli/text_format.h"
#include "datasets/dataset_name.h"
#include "model/sim_list.h"
#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "operations/profit_loss_run.h"
#include "operations/profit_loss_settings.h"
#include "race/card_values.h"
#include "race/criteria_choices.h"

namespace stridewell::cli {
namespace {

constexpr OptionSpec kPlOptions[] = {
    kSimOption,
    kDistanceOption,
    {'\0', "distances", "LIST",
     "Only races of a custom list of distances (--distance custom), e.g. 6f,7f,1mi."},
    kClassOption,
    {'\0', "classes", "LIST",
     "Only races of a custom list of classes (--class custom) by number, e.g. 8-12,20."},
    kSurfaceOption,
    kConditionOption,
    kTrackOption,
    {'\0', "short", "", "Short report: leave out the TO1 and OVERLAY strategies."},
    {'\0', "morning-line", "", "Bet on the morning-line odds instead of the track's final odds."},
    withAlias(kCommaOption, '\0', "csv"),
    kThreadsOption,
};

constexpr int kMostThreads = 64;

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
bool parseDistances(const std::string& list, std::array<bool, kCriteriaDistanceCount>& checks,
                    std::ostream& err) {
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
      err << "stridewell pl: error: --distances: no distance '" << printableText(item)
          << "' (write them as 6f, 1mi, 1+1/16mi ... or in yards)\n";
      return false;
    }
    checks[found] = true;
  }
  return true;
}

// Classes by their number in the class list, singly or as ranges ("8-12").
bool parseClasses(const std::string& list, std::array<bool, kCriteriaClassCount>& checks, std::ostream& err) {
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
      err << "stridewell pl: error: --classes takes class numbers from 1 to " << kCriteriaClassCount
          << " and ranges such as 8-12, not '" << printableText(item) << "'\n";
      return false;
    }
    for (int entry = first; entry <= last; ++entry) checks[entry - 1] = true;
  }
  return true;
}

// The criteria controls as the options set them; false, with a message, on
// a bad value.
bool readChoices(const ParsedOptions& options, CriteriaChoices& choices, std::ostream& err) {
  if (!readCriteriaItem(options, "pl", CriteriaGroup::kDistance, true, choices.distance, err) ||
      !readCriteriaItem(options, "pl", CriteriaGroup::kClass, true, choices.raceClass, err) ||
      !readCriteriaItem(options, "pl", CriteriaGroup::kSurface, true, choices.surface, err) ||
      !readCriteriaItem(options, "pl", CriteriaGroup::kCondition, true, choices.condition, err)) {
    return false;
  }
  // A list alone means a custom list; beside another choice it would be
  // silently ignored, so it is refused.
  if (options.has("distances")) {
    if (!options.has("distance")) choices.distance = kDistanceCustomItem;
    if (choices.distance != kDistanceCustomItem) {
      err << "stridewell pl: error: --distances needs --distance custom\n";
      return false;
    }
    if (!parseDistances(options.value("distances"), choices.distanceChecks, err)) return false;
  }
  if (options.has("classes")) {
    if (!options.has("class")) choices.raceClass = kClassCustomItem;
    if (choices.raceClass != kClassCustomItem) {
      err << "stridewell pl: error: --classes needs --class custom\n";
      return false;
    }
    if (!parseClasses(options.value("classes"), choices.classChecks, err)) return false;
  }
  if (!readTrackOption(options, "pl", choices.trackText, err)) return false;
  return true;
}

bool noneChecked(std::span<const bool> checks) {
  return std::none_of(checks.begin(), checks.end(), [](bool checked) { return checked; });
}

// The dataset of the list named `name` ignoring case, spelled as listed;
// empty when there is none.
std::string findDataset(const std::vector<std::string>& names, const std::string& name) {
  for (const std::string& listed : names) {
    if (equalsIgnoreCase(listed, name)) return listed;
  }
  return {};
}

std::string classListText() {
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

}  // namespace

std::string_view PlCommand::description() const {
  static const std::string text =
      "Plays 219 wager strategies on the SIM's first five picks in every race of\n"
      "DATASET that meets the criteria, settles them against the race's result\n"
      "and prints, per strategy, bets, hits, hit rate, money bet, money returned\n"
      "and profit (\"LOSS\" when money was lost). Horses that did not run are\n"
      "dropped before a race is scored, and every race is scored as on a dry\n"
      "track; --condition selects races by the condition they were run on.\n"
      "\n"
      "The class numbers of --classes:\n" +
      classListText() +
      "\n"
      "The words of --distance, --class, --surface and --condition are listed by\n"
      "'stridewell help criteria'.\n"
      "\n"
      "The options, SIM and dataset are remembered in the settings, as the\n"
      "desktop program's dialog remembers them, and without --sim the last run's\n"
      "SIM is used; the criteria are taken from the command line only (all races\n"
      "when none are given).\n"
      "\n"
      "Exit status: 0 when the report is printed; 1 when the dataset ends in a\n"
      "damaged race (the races before it are reported) or the SIM is damaged;\n"
      "2 for usage errors, a SIM or dataset that cannot be opened and a comma\n"
      "file that cannot be written; 3 when the run was cancelled (Ctrl-C).\n";
  return text;
}

std::span<const OptionSpec> PlCommand::options() const {
  return kPlOptions;
}

int PlCommand::run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const {
  const std::vector<std::string>& operands = options.operands();
  if (operands.size() != 1) {
    err << "stridewell pl: error: give the dataset to analyse\n\n" << usage();
    return kExitUsage;
  }
  CriteriaChoices choices;
  if (!readChoices(options, choices, err)) return kExitUsage;
  int threads = 0;
  if (options.has("threads") && !parseWholeNumber(options.value("threads"), 1, kMostThreads, threads)) {
    err << "stridewell pl: error: --threads takes a number from 1 to " << kMostThreads << ", not '"
        << printableText(options.value("threads")) << "'\n";
    return kExitUsage;
  }

  TerminalInteraction ui(std::cin, out, err, false, QueryAnswer::kNo, name());
  // The dialog's order: the custom lists are checked before anything is
  // remembered.
  if (choices.raceClass == kClassCustomItem && noneChecked(choices.classChecks)) {
    ui.error("Custom class list is empty (no checked items).");
    return kExitUsage;
  }
  if (choices.distance == kDistanceCustomItem && noneChecked(choices.distanceChecks)) {
    ui.error("Custom distance list is empty (no checked items).");
    return kExitUsage;
  }

  SettingsStore store(SettingsStore::defaultFile(), &ui);
  const Workspace workspace = workspaceAt(programFolder(), defaultWorkspaceBase());
  if (!createWorkspaceFolders(workspace, ui)) return kExitCannotOpen;

  ProfitLossRequest request;
  request.criteria = buildCriteria(choices);
  request.options.morningLineOdds = options.has("morning-line");
  request.options.shortReport = options.has("short");
  request.options.threads = threads;
  const bool commaCopy = options.has("comma");
  writeProfitLossFlags(store, request.options, commaCopy);

  // A SIM of the list takes the list's spelling; another name is still
  // tried, and its load fails with the path it looked at.
  std::string sim = options.has("sim") ? options.value("sim")
                                       : store.read(setting::kTestSimName, setting::kTestSimNameDefault);
  if (trimmed(sim, kSpaceTab).empty()) sim = setting::kTestSimNameDefault;
  const SimList simList = fillSimList(workspace.sim, true);
  const int listed = selectSimByName(simList.items, sim, -1);
  if (listed >= 0 && listed < simList.count) sim = simList.items[listed];
  request.simName = sim;
  request.simPath = simWeightsPath(workspace, sim);

  const std::vector<std::string> datasets = listDatasets(workspace);
  if (datasets.empty()) {
    ui.error("No datasets exist.  See 'stridewell dataset create'.");
    return kExitCannotOpen;
  }
  request.datasetName = findDataset(datasets, trimDatasetName(operands[0]));
  if (request.datasetName.empty()) {
    err << "stridewell pl: error: there is no dataset '" << printableText(operands[0]) << "'\n";
    return kExitCannotOpen;
  }
  store.write(setting::kTestDataset, request.datasetName);
  request.datasetPath = datasetPath(workspace, request.datasetName);

  auto model = std::make_unique<SimModel>(true);
  if (defineSimShape(*model, {}, true) == 0) {
    ui.error("Error during SIM init");
    return kExitCannotOpen;
  }
  const std::string reportPath = joinPath(workspace.temp, std::string(kProfitLossReportFile));
  std::ostringstream comma;
  ProfitLossOutcome outcome;
  {
    TerminalProgress progress;
    ui.attachProgress(&progress);
    outcome = runProfitLoss(request, *model, reportPath, commaCopy ? &comma : nullptr, ui, progress);
    progress.clearLine();
    ui.attachProgress(nullptr);
  }
  if (outcome.simLoaded) store.write(setting::kTestSimName, sim);
  if (outcome.status == ProfitLossStatus::kFailed) {
    return model->loadFault() == SimModel::LoadFault::kDamaged ? kExitBadInput : kExitCannotOpen;
  }
  if (outcome.status == ProfitLossStatus::kCancelled) {
    err << "stridewell pl: cancelled\n";
    return kExitDeclined;
  }

  {
    std::ifstream report(reportPath, std::ios::binary);
    out << report.rdbuf();
  }
  std::error_code ignored;
  std::filesystem::remove(reportPath, ignored);
  int status = outcome.datasetDamaged ? kExitBadInput : kExitOk;
  if (commaCopy) {
    const std::string bytes = comma.str();
    std::string reason;
    if (!replaceFileContents(options.value("comma"), bytes.data(), bytes.size(), reason)) {
      ui.error("Cannot write " + options.value("comma") + ": " + reason);
      status = kExitCannotOpen;
    }
  }
  return status;
}

}  // namespace stridewell::cli
