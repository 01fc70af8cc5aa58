#include "cli/prep_command.h"

#include <algorithm>
#include <charconv>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "app/workspace.h"
#include "cli/terminal_interaction.h"
#include "cli/terminal_progress.h"
#include "cli/text_format.h"
#include "datasets/dataset_name.h"
#include "handicap/sim_list.h"
#include "model/sim_model.h"
#include "patterns/prep_sim.h"
#include "race/card_values.h"
#include "race/criteria_choices.h"

namespace stridewell::cli {
namespace {

constexpr OptionSpec kPrepOptions[] = {
    {'\0', "start", "SIM",
     "Start from the weights of SIM (\"Default\" or a SIM of the list); random when not given."},
    {'\0', "pressure", "LEVEL",
     "Learning pressure: low (5 passes), medium (10), high (25, the default) or very-high (50)."},
    {'\0', "distance", "ITEM", "all, routes or sprints."},
    {'\0', "class", "ITEM", "all, maiden-claiming, maiden-special-weight, claiming, allowance or stakes."},
    {'\0', "surface", "ITEM", "all, turf, dirt or synthetic."},
    {'\0', "condition", "ITEM", "all, wet or dry."},
    {'\0', "track", "CODE", "Only races at track CODE (up to 3 characters); all tracks when not given."},
    {'\0', "seed", "N",
     "Draw the random starting weights from seed N (0 to 4294967295) instead of the clock."},
    kYesOption,
    kNoOption,
};

// The words an option takes, in the order of the dialog's items; the
// item texts themselves ("Routes only") are taken too.
struct ItemWords {
  std::string_view option;
  std::vector<std::string_view> words;
  std::span<const std::string_view> items;
};

const ItemWords kPressureWords{"pressure", {"low", "medium", "high", "very-high"}, {}};
const ItemWords kDistanceWords{"distance", {"all", "routes", "sprints"}, distanceItems(false)};
const ItemWords kClassWords{
    "class",
    {"all", "maiden-claiming", "maiden-special-weight", "claiming", "allowance", "stakes"},
    classItems(false)};
const ItemWords kSurfaceWords{"surface", {"all", "turf", "dirt", "synthetic"}, kSurfaceItems};
const ItemWords kConditionWords{"condition", {"all", "wet", "dry"}, kConditionItems};

std::string wordList(const ItemWords& words) {
  std::string list;
  for (size_t i = 0; i < words.words.size(); ++i) {
    if (i > 0) list += i + 1 == words.words.size() ? " or " : ", ";
    list += words.words[i];
  }
  return list;
}

// The item index chosen by the option (`index` unchanged when it is not
// given); false, with a message, for a word that is none of the items.
bool readItem(const ParsedOptions& options, const ItemWords& words, int& index, std::ostream& err) {
  if (!options.has(words.option)) return true;
  const std::string text = options.value(words.option);
  for (size_t i = 0; i < words.words.size(); ++i) {
    if (equalsIgnoreCase(words.words[i], text) ||
        (i < words.items.size() && equalsIgnoreCase(words.items[i], text))) {
      index = static_cast<int>(i);
      return true;
    }
  }
  err << "stridewell prep: --" << words.option << " must be " << wordList(words) << ", not '"
      << printableText(text) << "'\n";
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
    err << "stridewell prep: there is no dataset '" << printableText(args[0]) << "'\n";
    return false;
  }
  request.dataset = datasets[static_cast<size_t>(dataset)];
  request.simName = args[1];

  if (options.has("start")) {
    const SimList list = fillSimList(workspace.sim, true);
    const int found = findListed(list.items, list.count, options.value("start"));
    if (found < 0) {
      err << "stridewell prep: there is no SIM named '" << printableText(options.value("start")) << "'\n";
      return false;
    }
    request.startSim = list.items[static_cast<size_t>(found)];
  }
  if (options.has("seed")) {
    uint32_t seed = 0;
    if (!readSeed(options.value("seed"), seed)) {
      err << "stridewell prep: --seed takes a whole number from 0 to 4294967295, not '"
          << printableText(options.value("seed")) << "'\n";
      return false;
    }
    if (options.has("start")) {
      err << "stridewell prep: --seed is for a random start and cannot go with --start\n";
      return false;
    }
    request.random = randomFromSeed(seed);
  }

  int pressure = kDefaultPressure;
  CriteriaChoices choices;
  if (!readItem(options, kPressureWords, pressure, err) ||
      !readItem(options, kDistanceWords, choices.distance, err) ||
      !readItem(options, kClassWords, choices.raceClass, err) ||
      !readItem(options, kSurfaceWords, choices.surface, err) ||
      !readItem(options, kConditionWords, choices.condition, err)) {
    return false;
  }
  request.passes = kPassesPerPressure[pressure];
  if (options.has("track")) {
    const std::string track = options.value("track");
    const std::string code = criteriaTrackText(track);
    const bool visible = std::all_of(code.begin(), code.end(), [](char c) { return c > ' ' && c < 0x7f; });
    // The dialog's edit holds three characters; more is a typing error
    // rather than a code to cut.
    const size_t first = track.find_first_not_of(" \t");
    const size_t length = first == std::string::npos ? 0 : track.find_last_not_of(" \t") - first + 1;
    if (!visible || length > 3) {
      err << "stridewell prep: --track needs a track code of up to 3 characters, not '"
          << printableText(track) << "'\n";
      return false;
    }
    choices.trackText = code;
  }
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
         "used; a race gives a pattern when 5 to 12 horses finished. The SIM name\n"
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
    err << "stridewell prep: give the dataset and the name of the SIM to prepare\n\n" << usage();
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
