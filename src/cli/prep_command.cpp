#include "cli/prep_command.h"

#include <algorithm>
#include <charconv>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "base/settings_store.h"
#include "base/workspace.h"
#include "cli/criteria_options.h"
#include "cli/terminal_interaction.h"
#include "cli/terminal_progress.h"
#include "cli/text_format.h"
#include "datasets/dataset_name.h"
#include "model/sim_list.h"
#include "model/sim_model.h"
#include "operations/prep_sim.h"
#include "race/card_values.h"
#include "race/criteria_choices.h"

namespace stridewell::cli {
namespace {

constexpr OptionSpec kPrepOptions[] = {
    {'\0', "start", "SIM",
     "Start from the weights of SIM (\"Default\" or a SIM of the list); random when not given."},
    {'\0', "pressure", "LEVEL",
     "Learning pressure: low (5 passes), medium (10), high (25, the default) or very-high (50)."},
    kDistanceOption,
    kClassOption,
    kSurfaceOption,
    kConditionOption,
    kTrackOption,
    {'\0', "seed", "N",
     "Draw the random starting weights from seed N (0 to 4294967295) instead of the clock."},
    kYesOption,
    kNoOption,
};

// The learning pressures in the order of the dialog's items.
constexpr std::string_view kPressureWords[] = {"low", "medium", "high", "very-high"};

std::string pressureList() {
  std::string list;
  for (size_t i = 0; i < std::size(kPressureWords); ++i) {
    if (i > 0) list += i + 1 == std::size(kPressureWords) ? " or " : ", ";
    list += kPressureWords[i];
  }
  return list;
}

// The pressure chosen by --pressure (`index` unchanged when it is not
// given); false, with a message, for a word that is none of them.
bool readPressure(const ParsedOptions& options, int& index, std::ostream& err) {
  if (!options.has("pressure")) return true;
  const std::string text = options.value("pressure");
  for (size_t i = 0; i < std::size(kPressureWords); ++i) {
    if (equalsIgnoreCase(kPressureWords[i], text)) {
      index = static_cast<int>(i);
      return true;
    }
  }
  err << "stridewell prep: error: --pressure must be " << pressureList() << ", not '" << printableText(text)
      << "'\n";
  return false;
}

bool readSeed(const std::string& text, uint32_t& seed) {
  const char* end = text.data() + text.size();
  const auto [stop, problem] = std::from_chars(text.data(), end, seed);
  return !text.empty() && problem == std::errc() && stop == end;
}

// The list item `name` stands for: the item spelled exactly so, else the
// one that matches ignoring case; -1 when none.
int findListed(const std::vector<std::string>& items, int count, const std::string& name) {
  const auto exact = std::find(items.begin(), items.begin() + count, name);
  if (exact != items.begin() + count) return static_cast<int>(exact - items.begin());
  const int found = selectSimByName(items, name, -1);
  return found < count ? found : -1;
}

// The choices of the command line as the dialog would hold them; false,
// with a message, on a bad value.
bool readRequest(const ParsedOptions& options, const Workspace& workspace, PrepRequest& request,
                 std::ostream& err) {
  const std::vector<std::string>& args = options.operands();
  const std::vector<std::string> datasets = listDatasets(workspace);
  const int dataset = findListed(datasets, static_cast<int>(datasets.size()), args[0]);
  if (dataset < 0) {
    err << "stridewell prep: error: there is no dataset '" << printableText(args[0]) << "'\n";
    return false;
  }
  request.dataset = datasets[static_cast<size_t>(dataset)];
  request.simName = args[1];

  if (options.has("start")) {
    const SimList list = fillSimList(workspace.sim, true);
    const int found = findListed(list.items, list.count, options.value("start"));
    if (found < 0) {
      err << "stridewell prep: error: there is no SIM named '" << printableText(options.value("start"))
          << "'\n";
      return false;
    }
    request.startSim = list.items[static_cast<size_t>(found)];
  }
  if (options.has("seed")) {
    uint32_t seed = 0;
    if (!readSeed(options.value("seed"), seed)) {
      err << "stridewell prep: error: --seed takes a whole number from 0 to 4294967295, not '"
          << printableText(options.value("seed")) << "'\n";
      return false;
    }
    if (options.has("start")) {
      err << "stridewell prep: error: --seed is for a random start and cannot go with --start\n";
      return false;
    }
    request.random = randomFromSeed(seed);
  }

  int pressure = kDefaultPressure;
  CriteriaChoices choices;
  if (!readPressure(options, pressure, err) ||
      !readCriteriaItem(options, "prep", CriteriaGroup::kDistance, false, choices.distance, err) ||
      !readCriteriaItem(options, "prep", CriteriaGroup::kClass, false, choices.raceClass, err) ||
      !readCriteriaItem(options, "prep", CriteriaGroup::kSurface, false, choices.surface, err) ||
      !readCriteriaItem(options, "prep", CriteriaGroup::kCondition, false, choices.condition, err) ||
      !readTrackOption(options, "prep", choices.trackText, err)) {
    return false;
  }
  request.passes = kPassesPerPressure[pressure];
  request.criteria = buildCriteria(choices);
  return true;
}

}  // namespace

std::string_view PrepCommand::description() const {
  return "Writes the starting weights, one training pattern per usable race of\n"
         "DATASET and the train information (what to train, how many passes, and\n"
         "that the result goes to SIMNAME in the Workspace's SIM folder) into the\n"
         "Workspace's TRAINDATA folder, replacing the previous preparation.\n"
         "\n"
         "Only races that meet the criteria and have a known track condition are\n"
         "used; a race gives a pattern when 5 to 12 horses finished ('stridewell help\n"
         "criteria' lists the words of the criteria options). The SIM name\n"
         "may not be blank, hold any of ?*<\">/\\:| or be the name of a SIM kept\n"
         "beside the program (\"Default\"); an existing SIM of that name is only\n"
         "over-written after a Yes (--yes answers it). With --seed the random\n"
         "starting weights can be drawn again exactly. Ctrl-C cancels, removing\n"
         "the new starting weights and patterns. A run that yields no pattern (an\n"
         "empty dataset, one damaged at its first race, or criteria that no race\n"
         "meets) is refused and leaves the previous preparation as it was.\n"
         "\n"
         "Exit status: 0 when the preparation is complete, 1 when no race gave a\n"
         "pattern, the starting SIM is damaged or the dataset is damaged (the\n"
         "preparation then covers the races before the damage), 2 for usage errors,\n"
         "refused names and a dataset, SIM or TRAINDATA file that cannot be opened\n"
         "or written, 3 when the over-write question was answered No or the run was\n"
         "cancelled.\n";
}

std::span<const OptionSpec> PrepCommand::options() const {
  return kPrepOptions;
}

int PrepCommand::run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const {
  if (options.operands().size() != 2) {
    err << "stridewell prep: error: give the dataset and the name of the SIM to prepare\n\n" << usage();
    return kExitUsage;
  }
  const std::unique_ptr<TerminalInteraction> user = askingInteraction(options, "prep", out, err);
  if (!user) return kExitUsage;
  TerminalInteraction& ui = *user;
  const Workspace workspace = workspaceAt(programFolder(), defaultWorkspaceBase());
  if (!createWorkspaceFolders(workspace, ui)) return kExitCannotOpen;

  PrepRequest request;
  if (!readRequest(options, workspace, request, err)) return kExitUsage;
  switch (checkPrepRequest(request, workspace, ui)) {
    case PrepCheck::kAccepted:
      break;
    case PrepCheck::kBadName:
    case PrepCheck::kSameAsStart:
      return kExitUsage;
    case PrepCheck::kDeclined:
      return kExitDeclined;
  }

  SettingsStore store(SettingsStore::defaultFile(), &ui);
  auto model = std::make_unique<SimModel>(true);
  TerminalProgress progress;
  ui.attachProgress(&progress);
  const PrepResult result = runPrep(request, workspace, *model, ui, progress, &store);
  progress.clearLine();
  ui.attachProgress(nullptr);
  switch (result.outcome) {
    case PrepOutcome::kDone:
      // A damaged dataset was used up to the damage: the preparation covers
      // the races before it, and the status says it is not the whole set.
      return result.damagedDataset ? kExitBadInput : kExitOk;
    case PrepOutcome::kNotStarted:
    case PrepOutcome::kFailed:
      return kExitCannotOpen;
    case PrepOutcome::kDamagedStart:
    case PrepOutcome::kNoPatterns:
      return kExitBadInput;
    case PrepOutcome::kCancelled:
      return kExitDeclined;
  }
  return kExitBadInput;
}

}  // namespace stridewell::cli
