#include "cli/evaluate_command.h"

#include <ctime>
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
#include "operations/evaluate_run.h"
#include "race/card_values.h"
#include "race/criteria_choices.h"

namespace stridewell::cli {
namespace {

constexpr OptionSpec kEvaluateOptions[] = {
    kSimOption,     kDistanceOption,  kDistancesOption, kClassOption,   kClassesOption,
    kSurfaceOption, kConditionOption, kTrackOption,     kThreadsOption, kFitOption,
};

}  // namespace

std::string_view EvaluateCommand::description() const {
  static const std::string text =
      "Judges a SIM's win chances over the races of DATASET that meet the\n"
      "criteria, the races the profit/loss analysis ('stridewell pl') takes:\n"
      "horses that did not run are dropped and every race is scored as on a dry\n"
      "track. A race counts when the SIM can score its field (5 to 64 horses),\n"
      "every horse of the field has a finisher and one of them won (a dead heat\n"
      "counts the first winner listed); the others are shown as left out.\n"
      "\n"
      "Printed: the races and horses counted; how often the SIM's top pick won\n"
      "and how often the winner was among its first three; then three sources\n"
      "of win chances, each scaled to sum to 1 over the field: the SIM's win\n"
      "shares (each horse's score over the field's total), the morning line's\n"
      "implied chances 1/(ML+1) and the final odds' 1/(odds+1). For each:\n"
      "  Log loss   the mean over races of -ln(chance given to the winner);\n"
      "             lower is better, ln(field size) for a guess at random.\n"
      "  Brier      the mean over races of the sum over the field of\n"
      "             (chance - won)^2, won 1 for the winner, else 0; lower is better.\n"
      "  Pseudo-R2  1 - L/L0, L the sum over races of ln(chance of the winner)\n"
      "             and L0 the same with chance 1/field: 0 for no better than an\n"
      "             even guess, 1 for certainty.\n"
      "and a calibration table: the horses whose chance fell in each band, the\n"
      "wins expected (the sum of their chances), the actual wins, and\n"
      "Z = (actual - expected) / sqrt(sum of chance x (1 - chance)); a Z beyond\n"
      "about 2 either way says the band's chances are off.\n"
      "\n"
      "A race where the morning line or the final odds give some horse no\n"
      "chance (the line or odds missing, 0) is left out of that source's\n"
      "figures only, shown in its \"Left out\" column; the SIM's figures and\n"
      "the other source's still count it. Each source's pseudo-R2 is over its\n"
      "own races.\n"
      "\n"
      "With --fit DATASET the two opinions are also combined: the chance of\n"
      "horse i is taken as proportional to exp(a ln SIM(i) + b ln odds(i)),\n"
      "with a and b fitted by maximum likelihood (Newton's method) on the races\n"
      "of DATASET that meet the same criteria and have final odds for every\n"
      "horse. Printed: a and b with their standard errors, then over this\n"
      "dataset's races (those with final odds) the log loss and pseudo-R2 of\n"
      "the combined chances, the final odds' pseudo-R2 over the same races and\n"
      "the difference, Delta R2: what the SIM adds to the public's opinion.\n"
      "Fit on one dataset and judge on another, or the gain is flattered. A\n"
      "b near 1 and an a above 0 say the SIM knows something the odds do not.\n"
      "\n"
      "The class numbers of --classes:\n" +
      criteriaClassListText() +
      "\n"
      "Without --sim the last profit/loss run's SIM is used. The card's\n"
      "headline (dataset, races, hit rates, log loss and pseudo-R2) is kept in\n"
      "the SIM's training record ('stridewell sim info'), except for the SIMs\n"
      "kept beside the program such as Default.\n"
      "\n"
      "Exit status: 0 when the report is printed; 1 when no race meets the\n"
      "criteria or can be counted, the combined chances cannot be fitted (the\n"
      "report says why), a dataset ends in a damaged race (the\n"
      "races before it are reported) or the SIM is damaged; 2 for usage errors\n"
      "and a SIM or dataset that cannot be opened; 3 when the run was cancelled\n"
      "(Ctrl-C).\n";
  return text;
}

std::span<const OptionSpec> EvaluateCommand::options() const {
  return kEvaluateOptions;
}

int EvaluateCommand::run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const {
  CriteriaChoices choices;
  int threads = 0;
  if (!readScoredRunOptions(options, name(), "give the dataset to evaluate", usage(), choices, threads,
                            err)) {
    return kExitUsage;
  }
  TerminalInteraction ui(std::cin, out, err, false, QueryAnswer::kNo, name());
  if (!customListsChecked(choices, ui)) return kExitUsage;

  const SettingsStore store(SettingsStore::defaultFile(), &ui);
  const Workspace workspace = workspaceAt(programFolder(), defaultWorkspaceBase());
  if (!createWorkspaceFolders(workspace, ui)) return kExitCannotOpen;

  EvaluateRequest request;
  request.criteria = buildCriteria(choices);
  request.options.threads = threads;

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
  EvaluateOutcome outcome;
  {
    TerminalProgress progress;
    ui.attachProgress(&progress);
    outcome = runEvaluation(request, *model, report, ui, progress);
    progress.clearLine();
    ui.attachProgress(nullptr);
  }
  if (outcome.status == EvaluateStatus::kFailed) {
    return model->loadFault() == SimModel::LoadFault::kDamaged ? kExitBadInput : kExitCannotOpen;
  }
  if (outcome.status == EvaluateStatus::kCancelled) {
    err << "stridewell " << name() << ": cancelled\n";
    return kExitDeclined;
  }
  out << report.str();
  std::string recordProblem;
  if (recordReportCard(request.simPath, workspace.programFolder, request.datasetName, outcome.card,
                       std::time(nullptr), recordProblem) == CardRecording::kFailed) {
    ui.warning("The SIM's record keeps no copy of this card: " + recordProblem);
  }
  if (outcome.card.races == 0) {
    err << errorPrefix(name()) << "no race of '" << request.datasetName
        << "' meets the criteria and can be counted\n";
    return kExitBadInput;
  }
  if (outcome.fitAsked && !outcome.fit.ok) {
    err << errorPrefix(name()) << "the combined chances cannot be fitted on '" << request.fitDatasetName
        << "': " << outcome.fit.problem << '\n';
    return kExitBadInput;
  }
  return outcome.datasetDamaged ? kExitBadInput : kExitOk;
}

}  // namespace stridewell::cli
