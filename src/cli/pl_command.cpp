#include "cli/pl_command.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "analysis/segment_breakdown.h"
#include "analysis/strategy_totals.h"
#include "base/replacement_file.h"
#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "base/text_trim.h"
#include "base/workspace.h"
#include "cli/criteria_options.h"
#include "cli/scored_run.h"
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
    kDistancesOption,
    kClassOption,
    kClassesOption,
    kSurfaceOption,
    kConditionOption,
    kTrackOption,
    {'\0', "short", "", "Short report: leave out the TO1 and OVERLAY strategies."},
    {'\0', "morning-line", "", "Bet on the morning-line odds instead of the track's final odds."},
    withAlias(kCommaOption, '\0', "csv"),
    kThreadsOption,
    {'\0', "by", "KEY",
     "Break one strategy's results down by KEY: odds, field, surface, distance, class, track or month."},
    {'\0', "strategy", "NAME",
     "The strategy --by breaks down (WIN, win on the SIM's top pick, when not given)."},
    {'\0', "strategies", "", "List the strategy names --strategy takes, and stop."},
};

// The breakdown --by and --strategy ask for, if any; false after a usage
// error.
bool readBreakdownChoice(const ParsedOptions& options, std::optional<BreakdownChoice>& choice,
                         std::ostream& err) {
  if (!options.has("by")) {
    if (options.has("strategy")) {
      err << "stridewell pl: error: --strategy names the strategy --by breaks down; give --by too\n";
      return false;
    }
    return true;
  }
  const std::optional<SegmentKey> key = segmentKeyFromWord(trimmed(options.value("by"), kSpaceTab));
  if (!key) {
    err << "stridewell pl: error: --by takes odds, field, surface, distance, class, track or month, not '"
        << printableText(options.value("by")) << "'\n";
    return false;
  }
  // The breakdown replaces the table the short report shortens.
  if (options.has("short")) {
    err << "stridewell pl: error: --short and --by cannot be used together\n";
    return false;
  }
  int strategy = kDefaultBreakdownStrategy;
  if (options.has("strategy")) {
    strategy = findStrategy(trimmed(options.value("strategy"), kSpaceTab));
    if (strategy < 0) {
      err << "stridewell pl: error: there is no strategy '" << printableText(options.value("strategy"))
          << "'; 'stridewell pl --strategies' lists them\n";
      return false;
    }
  }
  choice = BreakdownChoice{*key, strategy};
  return true;
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
      criteriaClassListText() +
      "\n"
      "The words of --distance, --class, --surface and --condition are listed by\n"
      "'stridewell help criteria'.\n"
      "\n"
      "With --by KEY the report breaks one strategy down instead: per segment of\n"
      "the races it was played on, races bet, hits, hit rate, money bet, money\n"
      "returned, net and return on investment, then a total line equal to the\n"
      "strategy's line of the full report (--comma then writes one line per\n"
      "segment). Without --strategy it is WIN, a win bet on the SIM's top pick.\n"
      "The keys:\n"
      "  odds      the odds of the horse the strategy bets: the top pick for WIN,\n"
      "            PLACE, SHOW and every combination, key and box (its first\n"
      "            horse); the second pick for BWIN, BPLACE, BSHOW, B_ACROSS_BOARD\n"
      "            and BC_ bets; the third for CWIN, CPLACE, CSHOW, C_ACROSS_BOARD.\n"
      "            The final odds, or the morning line with --morning-line. Bands:\n"
      "            under 2-1, 2-1 to 5-1, 5-1 to 10-1, 10-1 to 20-1, 20-1 and\n"
      "            over, each holding its lower end (exactly 2-1 is in 2-1 to\n"
      "            5-1), and unknown odds.\n"
      "  field     horses that ran: 5-6, 7-8, 9-10, 11-12, 13 or more.\n"
      "  surface   dirt, turf, synthetic (as carded).\n"
      "  distance  sprint (under 7f), 7f to 1 mile (both included), route (over\n"
      "            1 mile).\n"
      "  class     maiden claiming, maiden special weight, claiming, allowance,\n"
      "            stakes.\n"
      "  track     the host track's code, alphabetically.\n"
      "  month     the race date's year and month, in date order.\n"
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
  if (options.has("strategies")) {
    for (int i = 0; i < kStrategyCount; ++i) out << strategyName(i) << '\n';
    return kExitOk;
  }
  CriteriaChoices choices;
  int threads = 0;
  if (!readScoredRunOptions(options, name(), "give the dataset to analyse", usage(), choices, threads, err)) {
    return kExitUsage;
  }

  std::optional<BreakdownChoice> breakdown;
  if (!readBreakdownChoice(options, breakdown, err)) return kExitUsage;

  TerminalInteraction ui(std::cin, out, err, false, QueryAnswer::kNo, name());
  // The dialog's order: the custom lists are checked before anything is
  // remembered.
  if (!customListsChecked(choices, ui)) return kExitUsage;

  SettingsStore store(SettingsStore::defaultFile(), &ui);
  const Workspace workspace = workspaceAt(programFolder(), defaultWorkspaceBase());
  if (!createWorkspaceFolders(workspace, ui)) return kExitCannotOpen;

  ProfitLossRequest request;
  request.criteria = buildCriteria(choices);
  request.options.morningLineOdds = options.has("morning-line");
  request.options.shortReport = options.has("short");
  request.options.threads = threads;
  request.options.breakdown = breakdown;
  const bool commaCopy = options.has("comma");
  writeProfitLossFlags(store, request.options, commaCopy);

  const std::string sim = chosenSim(options, store, workspace);
  request.simName = sim;
  request.simPath = simWeightsPath(workspace, sim);

  const std::vector<std::string> datasets = listDatasets(workspace);
  if (datasets.empty()) {
    ui.error("No datasets exist.  See 'stridewell dataset create'.");
    return kExitCannotOpen;
  }
  request.datasetName = findDataset(datasets, operands[0]);
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
