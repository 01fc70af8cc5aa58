#include "cli/value_command.h"

#include <charconv>
#include <cmath>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

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
#include "operations/value_run.h"
#include "race/card_values.h"
#include "race/criteria_choices.h"

namespace stridewell::cli {
namespace {

constexpr OptionSpec kValueOptions[] = {
    kSimOption,
    kDistanceOption,
    kDistancesOption,
    kClassOption,
    kClassesOption,
    kSurfaceOption,
    kConditionOption,
    kTrackOption,
    kThreadsOption,
    kFitOption,
    {'\0', "kelly", "F", "Stake F times the Kelly stake, above 0 and at most 1 (0.25)."},
    {'\0', "margin", "M", "Bet only where chance x (odds + 1) > 1 + M, M at least 0 (0.05)."},
    {'\0', "bankroll", "B", "Start with B dollars, more than 0 (1000)."},
    {'\0', "curve", "FILE", "Also write the bankroll after each race with bets to FILE, comma-separated."},
};

constexpr double kLargestMargin = 100;
constexpr double kLargestBankroll = 1e9;

// The staking options; false, after saying why on `err`.
bool readStakingOptions(const ParsedOptions& options, std::string_view command, StakingRules& rules,
                        std::ostream& err) {
  auto bad = [&](const char* option, const char* wanted) {
    err << errorPrefix(command) << "--" << option << " takes " << wanted << ", not '"
        << printableText(options.value(option)) << "'\n";
    return false;
  };
  if (options.has("kelly") && !parseDecimal(options.value("kelly"), 0, 1, true, rules.fraction))
    return bad("kelly", "a fraction above 0 and at most 1");
  if (options.has("margin") && !parseDecimal(options.value("margin"), 0, kLargestMargin, false, rules.margin))
    return bad("margin", "a number from 0 to 100");
  if (options.has("bankroll")) {
    double dollars = 0;
    // Kept in cents: less than a cent is no bankroll at all.
    if (!parseDecimal(options.value("bankroll"), 0, kLargestBankroll, true, dollars) ||
        std::llround(dollars * 100) < 1)
      return bad("bankroll", "an amount of dollars above 0, at most 1000000000");
    rules.bankroll = std::llround(dollars * 100);
  }
  return true;
}

}  // namespace

std::string_view ValueCommand::description() const {
  static const std::string text =
      "Bets to win over the races of DATASET that meet the criteria, the races\n"
      "the profit/loss analysis ('stridewell pl') takes (horses that did not\n"
      "run are dropped, every race is scored as on a dry track), played in\n"
      "date order (then track, then race number) whatever the dataset's order.\n"
      "\n"
      "Each horse's chance p is its SIM score over the field's total, or with\n"
      "--fit DATASET the combined chance that 'stridewell evaluate --fit' fits\n"
      "on DATASET: p proportional to exp(a ln SIM + b ln odds chance), which\n"
      "needs final odds for every horse. A horse is bet when p x (odds + 1) >\n"
      "1 + M (odds: its final odds to 1, so odds + 1 is what a dollar returns),\n"
      "with the stake F x Kelly x the bankroll before the race, Kelly being\n"
      "(p (odds + 1) - 1) / odds. Several horses of one race may be bet; their\n"
      "stakes never add up to more than the bankroll. Money is kept in cents:\n"
      "stakes are cut down to whole cents, returns rounded to the nearest.\n"
      "A winning bet returns the stake x the race's win payoff / 2 (the results\n"
      "pay a $2 ticket; each horse of a dead heat as the results pay it), or the\n"
      "stake x (odds + 1) when the results give no payoff (counted in the report).\n"
      "\n"
      "A race is played when the SIM can score its field (5 to 64 horses),\n"
      "every horse has a finisher and one of them won; the others are shown as\n"
      "left out.\n"
      "\n"
      "Printed: the races, bets and hits, the money bet and returned, the net\n"
      "and the return on the money bet, the bankroll at the start and the end,\n"
      "the largest drawdown -- the deepest fall of the bankroll from a high, as\n"
      "a share of that high, with the races it ran between -- and a bootstrap\n"
      "p-value: the races with bets are drawn at random with replacement, as\n"
      "many as there were, 2000 times (always the same draws, so a run repeats),\n"
      "and p is (1 + the draws that made no money) / 2001. A small p (below\n"
      "0.05) says a profit like this one seldom comes from luck alone; near 0.5\n"
      "or above, the run shows no edge. It does not allow for having tried many\n"
      "settings on the same races.\n"
      "\n"
      "--curve FILE writes a line per race with bets: date, track, race, bets,\n"
      "staked, returned and the bankroll after it, under a heading line.\n"
      "\n"
      "The class numbers of --classes:\n" +
      criteriaClassListText() +
      "\n"
      "Without --sim the last profit/loss run's SIM is used. Nothing is\n"
      "remembered.\n"
      "\n"
      "Exit status: 0 when the report is printed; 1 when no race meets the\n"
      "criteria and can be played, the combined chances cannot be fitted (the\n"
      "report says why), a dataset ends in a damaged race (the races before it\n"
      "are reported) or the SIM is damaged; 2 for usage errors, a SIM or\n"
      "dataset that cannot be opened and a curve file that cannot be written;\n"
      "3 when the run was cancelled (Ctrl-C).\n";
  return text;
}

std::span<const OptionSpec> ValueCommand::options() const {
  return kValueOptions;
}

int ValueCommand::run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const {
  CriteriaChoices choices;
  int threads = 0;
  if (!readScoredRunOptions(options, name(), "give the dataset to bet on", usage(), choices, threads, err)) {
    return kExitUsage;
  }
  ValueRequest request;
  if (!readStakingOptions(options, name(), request.rules, err)) return kExitUsage;
  if (options.has("curve") && options.value("curve").empty()) {
    err << errorPrefix(name()) << "--curve needs a file name\n";
    return kExitUsage;
  }
  TerminalInteraction ui(std::cin, out, err, false, QueryAnswer::kNo, name());
  if (!customListsChecked(choices, ui)) return kExitUsage;

  const SettingsStore store(SettingsStore::defaultFile(), &ui);
  const Workspace workspace = workspaceAt(programFolder(), defaultWorkspaceBase());
  if (!createWorkspaceFolders(workspace, ui)) return kExitCannotOpen;

  request.criteria = buildCriteria(choices);
  request.options.threads = threads;
  request.curvePath = options.value("curve");

  request.simName = chosenSim(options, store, workspace);
  request.simPath = simWeightsPath(workspace, request.simName);
  RunDatasets datasets;
  if (!findRunDatasets(options, name(), workspace, options.operands()[0], datasets, err))
    return kExitCannotOpen;
  request.datasetName = datasets.name;
  request.datasetPath = datasets.path;
  request.fitDatasetName = datasets.fitName;
  request.fitDatasetPath = datasets.fitPath;

  auto model = std::make_unique<SimModel>(true);
  if (defineSimShape(*model, {}, true) == 0) {
    ui.error("Error during SIM init");
    return kExitCannotOpen;
  }
  std::ostringstream report;
  ValueOutcome outcome;
  {
    TerminalProgress progress;
    ui.attachProgress(&progress);
    outcome = runValueBetting(request, *model, report, ui, progress);
    progress.clearLine();
    ui.attachProgress(nullptr);
  }
  if (outcome.status == ValueStatus::kFailed) {
    return model->loadFault() == SimModel::LoadFault::kDamaged ? kExitBadInput : kExitCannotOpen;
  }
  if (outcome.status == ValueStatus::kCancelled) {
    err << "stridewell " << name() << ": cancelled\n";
    return kExitDeclined;
  }
  out << report.str();
  if (outcome.status == ValueStatus::kNoFit) {
    err << errorPrefix(name()) << "the combined chances cannot be fitted on '" << request.fitDatasetName
        << "': " << outcome.fit.problem << '\n';
    return kExitBadInput;
  }
  if (outcome.curveFailed) return kExitCannotOpen;
  if (outcome.summary.races == 0) {
    err << errorPrefix(name()) << "no race of '" << request.datasetName
        << "' meets the criteria and can be played\n";
    return kExitBadInput;
  }
  return outcome.datasetDamaged ? kExitBadInput : kExitOk;
}

}  // namespace stridewell::cli
