#include "cli/dataset_command.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "base/workspace.h"
#include "cli/terminal_interaction.h"
#include "cli/terminal_progress.h"
#include "cli/text_format.h"
#include "datasets/build_pair.h"
#include "datasets/dataset_name.h"
#include "datasets/dataset_summary.h"
#include "operations/contents_report.h"
#include "operations/create_run.h"
#include "operations/dataset_combine.h"
#include "operations/dataset_management.h"
#include "operations/dataset_split.h"
#include "operations/listing_details.h"
#include "operations/payout_report.h"

namespace stridewell::cli {
namespace {

constexpr OptionSpec kDatasetOptions[] = {
    kCommaOption,
    kLongOption,
    {'\0', "test-share", "PERCENT",
     "split: the share of races for the test dataset (50, 33, 25, 20, 10, 5 or 1; 10 when not given)."},
    {'\0', "skip-duplicates", "",
     "append: leave out the races whose track, date and race number the dataset already holds."},
    kYesOption,
    kNoOption,
};

struct Context {
  std::ostream& out;
  std::ostream& err;
  TerminalInteraction& ui;
  const Workspace& workspace;
  SettingsStore& store;
};

// Runs `work` with a progress bar on the terminal and Ctrl-C as Cancel.
template <typename Work>
auto withProgress(Context& context, Work work) {
  TerminalProgress progress;
  context.ui.attachProgress(&progress);
  auto result = work(progress);
  progress.clearLine();
  context.ui.attachProgress(nullptr);
  return result;
}

int createOrAppend(const std::vector<std::string>& args, bool append, bool skipDuplicates, Context& context) {
  if (args.size() != 3) {
    context.err << "stridewell dataset " << args[0]
                << ": error: give the dataset name and the folder of card and results files\n";
    return kExitUsage;
  }
  const std::string& name = args[1];
  const std::string folder = args[2];
  bool declined = false;
  if (!checkCreateRequest(name, append, context.workspace, context.ui, &declined)) {
    return declined ? kExitDeclined : kExitUsage;
  }
  const FolderPairing pairing = pairCardFolder(folder);
  if (!pairing.problem.empty()) {
    context.ui.error(pairing.problem);
    return kExitCannotOpen;
  }
  context.store.write(setting::kDatasetFolder, folder);
  context.out << pairing.pairs.size() << " matched pair(s) (TCF+XRD), " << pairing.leftOverCount()
              << " file(s) not used\n";
  for (const std::string& line : leftOverLines(pairing))
    context.out << "  not used: " << printableText(line) << '\n';
  if (pairing.pairs.empty()) {
    context.err << "stridewell dataset: error: no card file in " << printableText(folder)
                << " has its results file\n";
    return kExitBadInput;
  }
  const CreateOutcome outcome = withProgress(context, [&](ProgressSink& progress) {
    return createDataset(name, append, folder, pairing.pairs, context.workspace, context.ui, progress,
                         skipDuplicates ? DuplicateRaces::kSkip : DuplicateRaces::kKeep);
  });
  switch (outcome.status) {
    case CreateStatus::kDone:
      if (outcome.duplicates != 0 && !skipDuplicates) {
        context.err << "stridewell dataset: warning: append with --skip-duplicates to leave such races out\n";
      }
      return outcome.invalidFiles == 0 ? kExitOk : kExitBadInput;
    case CreateStatus::kNotOpened:
    case CreateStatus::kFailed:
      return kExitCannotOpen;
    case CreateStatus::kCancelled:
      return kExitDeclined;
  }
  return kExitBadInput;
}

int list(const std::vector<std::string>& args, bool longForm, Context& context) {
  if (args.size() != 1) {
    context.err << "stridewell dataset list: error: takes no arguments\n";
    return kExitUsage;
  }
  const std::vector<std::string> names = listDatasets(context.workspace);
  if (names.empty()) context.out << kNoDatasetsPlaceholder << '\n';
  if (!longForm || names.empty()) {
    for (const std::string& name : names) context.out << printableText(name) << '\n';
    return kExitOk;
  }
  size_t nameWidth = 4;
  for (const std::string& name : names) nameWidth = std::max(nameWidth, printableText(name).size());
  const auto pad = [](std::string text, size_t width, bool right = false) {
    if (text.size() < width) text.insert(right ? 0 : text.size(), width - text.size(), ' ');
    return text;
  };
  // The name first, as in the plain list; a damaged dataset shows the races
  // counted before the damage.
  context.out << pad("Name", nameWidth) << "  " << pad("Races", 7, true) << "  " << pad("First", 10) << "  "
              << pad("Last", 10) << "  " << pad("Size", 10, true) << '\n';
  bool damaged = false;
  for (const std::string& name : names) {
    const DatasetSummary summary = summarizeDatasetFile(datasetPath(context.workspace, name));
    context.out << pad(printableText(name), nameWidth) << "  ";
    if (!summary.opened) {
      context.out << "cannot be read\n";
      damaged = true;
      continue;
    }
    context.out << pad(groupedNumber(static_cast<uint64_t>(summary.races)), 7, true) << "  "
                << pad(packedDateText(summary.firstDate), 10) << "  "
                << pad(packedDateText(summary.lastDate), 10) << "  "
                << pad(fileSizeText(summary.bytes), 10, true) << (summary.damaged ? "  damaged" : "") << '\n';
    damaged = damaged || summary.damaged;
  }
  return damaged ? kExitBadInput : kExitOk;
}

void printFile(const std::string& path, std::ostream& out) {
  std::ifstream in(path, std::ios::binary);
  out << in.rdbuf();
}

int report(const std::vector<std::string>& args, const ParsedOptions& options, Context& context) {
  if (args.size() != 3) {
    context.err << "stridewell dataset report: error: give the report (exotics, daily-double or contents) "
                   "and the dataset\n";
    return kExitUsage;
  }
  const std::string& kind = args[1];
  const std::string name = trimDatasetName(args[2]);
  if (kind != "exotics" && kind != "daily-double" && kind != "contents") {
    context.err << "stridewell dataset report: error: unknown report '" << printableText(kind)
                << "' (exotics, daily-double or contents)\n";
    return kExitUsage;
  }
  if (!datasetExists(context.workspace, name)) {
    context.err << "stridewell dataset report: error: there is no dataset '" << printableText(name) << "'\n";
    return kExitCannotOpen;
  }
  std::string textPath;
  std::string commaPath;
  bool damaged = false;
  const ReportOutcome outcome = withProgress(context, [&](ProgressSink& progress) {
    if (kind == "contents") {
      textPath = joinPath(context.workspace.temp, std::string(kContentsFile));
      return runContentsReport(name, datasetPath(context.workspace, name), textPath, context.ui, progress,
                               &damaged);
    }
    textPath = joinPath(context.workspace.temp, std::string(kPayoutTextFile));
    commaPath = options.has("comma") ? options.value("comma")
                                     : joinPath(context.workspace.temp, std::string(kPayoutCommaFile));
    const PayoutReportKind payout =
        kind == "exotics" ? PayoutReportKind::kExotics : PayoutReportKind::kDailyDouble;
    return runPayoutReport(payout, name, datasetPath(context.workspace, name), textPath, commaPath,
                           context.ui, progress, &damaged);
  });
  if (outcome == ReportOutcome::kCancelled) return kExitDeclined;
  if (outcome != ReportOutcome::kDone) return kExitCannotOpen;
  printFile(textPath, context.out);
  std::remove(textPath.c_str());
  if (!options.has("comma") && !commaPath.empty()) std::remove(commaPath.c_str());
  // The report covers the races before the damaged one.
  return damaged ? kExitBadInput : kExitOk;
}

int exitFor(DatasetRunOutcome outcome) {
  switch (outcome) {
    case DatasetRunOutcome::kDone:
      return kExitOk;
    case DatasetRunOutcome::kRefused:
      return kExitUsage;
    case DatasetRunOutcome::kCannotOpen:
    case DatasetRunOutcome::kWriteFailed:
      return kExitCannotOpen;
    case DatasetRunOutcome::kCancelled:
      return kExitDeclined;
  }
  return kExitBadInput;
}

int remove(const std::vector<std::string>& args, Context& context) {
  if (args.size() < 2) {
    context.err << "stridewell dataset delete: error: name the datasets to delete\n";
    return kExitUsage;
  }
  int deleted = 0;
  int missing = 0;
  // A name given twice is one dataset, deleted once.
  std::vector<std::string> names;
  for (auto it = args.begin() + 1; it != args.end(); ++it) {
    if (std::find(names.begin(), names.end(), *it) == names.end()) names.push_back(*it);
  }
  if (deleteDatasets(context.workspace, names, context.ui, &deleted, &missing) == DeleteOutcome::kDeclined) {
    return kExitDeclined;
  }
  context.out << deleted << " dataset(s) deleted\n";
  return deleted == static_cast<int>(names.size()) ? kExitOk : kExitCannotOpen;
}

int rename(const std::vector<std::string>& args, Context& context) {
  if (args.size() != 3) {
    context.err << "stridewell dataset rename: error: give the old and the new name\n";
    return kExitUsage;
  }
  switch (renameDataset(context.workspace, args[1], args[2], context.ui)) {
    case RenameOutcome::kRenamed:
      return kExitOk;
    case RenameOutcome::kRefused:
      return kExitUsage;
    case RenameOutcome::kDeclined:
      return kExitDeclined;
    case RenameOutcome::kFailed:
      return kExitCannotOpen;
  }
  return kExitBadInput;
}

int split(const std::vector<std::string>& args, const ParsedOptions& options, Context& context) {
  if (args.size() != 4) {
    context.err << "stridewell dataset split: error: give the source, the train and the test dataset\n";
    return kExitUsage;
  }
  const std::string share = options.has("test-share") ? options.value("test-share") : "10";
  const int step = splitStepFor(share + "%");
  if (step == 0) {
    context.err << "stridewell dataset split: error: --test-share is one of 50, 33, 25, 20, 10, 5 or 1, not '"
                << printableText(share) << "'\n";
    return kExitUsage;
  }
  if (!datasetExists(context.workspace, trimDatasetName(args[1]))) {
    context.err << "stridewell dataset split: error: there is no dataset '" << printableText(args[1])
                << "'\n";
    return kExitCannotOpen;
  }
  bool declined = false;
  if (checkSplitNames(context.workspace, args[1], args[2], args[3], context.ui, &declined) !=
      DatasetField::kNone) {
    return declined ? kExitDeclined : kExitUsage;
  }
  const SplitResult result = withProgress(context, [&](ProgressSink& progress) {
    return splitDataset(context.workspace, args[1], args[2], args[3], step, context.ui, progress);
  });
  // A damaged source is split as far as it reads.
  if (result.outcome == DatasetRunOutcome::kDone && !result.damage.empty()) return kExitBadInput;
  return exitFor(result.outcome);
}

int combine(const std::vector<std::string>& args, Context& context) {
  if (args.size() < 3) {
    context.err << "stridewell dataset combine: error: give the new dataset and the datasets to combine\n";
    return kExitUsage;
  }
  const std::vector<std::string> sources(args.begin() + 2, args.end());
  for (const std::string& source : sources) {
    if (!datasetExists(context.workspace, trimDatasetName(source))) {
      context.err << "stridewell dataset combine: error: there is no dataset '" << printableText(source)
                  << "'\n";
      return kExitCannotOpen;
    }
  }
  bool declined = false;
  if (checkCombineName(context.workspace, args[1], sources, context.ui, &declined) != DatasetField::kNone) {
    return declined ? kExitDeclined : kExitUsage;
  }
  const CombineResult result = withProgress(context, [&](ProgressSink& progress) {
    return combineDatasets(context.workspace, sources, args[1], context.ui, progress);
  });
  // A damaged source is copied as far as it reads.
  if (result.outcome == DatasetRunOutcome::kDone && !result.damage.empty()) return kExitBadInput;
  return exitFor(result.outcome);
}

}  // namespace

std::string_view DatasetCommand::description() const {
  return "Actions:\n"
         "  create NAME FOLDER   pair each card file of FOLDER with its results file\n"
         "                       (ABC0101.TCF with ABC0101.XRD, plain or in their\n"
         "                       archives) and store every race that has a result\n"
         "  append NAME FOLDER   the same, added behind the races NAME already holds;\n"
         "                       races it holds already (same track, date and race\n"
         "                       number) are counted in a warning, and left out\n"
         "                       with --skip-duplicates\n"
         "  list                 the datasets of the Workspace, one name a line; with\n"
         "                       --long a table whose first column is the name, then\n"
         "                       the races, the first and last race date and the\n"
         "                       file size (races counted before any damage, which\n"
         "                       is marked \"damaged\")\n"
         "  delete NAME...       delete datasets (after a Yes); every NAME that is not\n"
         "                       a dataset is reported\n"
         "  rename OLD NEW       rename a dataset; an existing NEW is never replaced\n"
         "  split SOURCE TRAIN TEST   every Nth race of SOURCE to TEST, the rest to\n"
         "                       TRAIN (--test-share 10 puts every 10th race in TEST)\n"
         "  combine NEW NAME...  the races of the datasets, in list order, into NEW\n"
         "  report exotics NAME  exacta, trifecta and other exotic payoffs per track:\n"
         "                       medians and means (--comma FILE: also as a table)\n"
         "  report daily-double NAME   the same for daily doubles\n"
         "  report contents NAME the racing days the dataset holds, race by race\n"
         "\n"
         "A dataset that exists is only over-written after a Yes (--yes answers it).\n"
         "A run that is cancelled (Ctrl-C) or fails leaves the dataset as it was;\n"
         "so does an append that is killed part-way, once the dataset is next used.\n"
         "\n"
         "Exit status: 0 on success; 1 when card files were invalid or a dataset is\n"
         "damaged (the output covers the races before the damage); 2 for usage\n"
         "errors, unknown datasets and files that cannot be opened, written, renamed\n"
         "or deleted; 3 when a question was answered No or the run was cancelled.\n";
}

std::span<const OptionSpec> DatasetCommand::options() const {
  return kDatasetOptions;
}

int DatasetCommand::run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const {
  const std::vector<std::string>& args = options.operands();
  if (args.empty()) {
    err << "stridewell dataset: error: no action given\n\n" << usage();
    return kExitUsage;
  }
  const std::unique_ptr<TerminalInteraction> user = askingInteraction(options, "dataset", out, err);
  if (!user) return kExitUsage;
  TerminalInteraction& ui = *user;
  SettingsStore store(SettingsStore::defaultFile(), &ui);
  const Workspace workspace = workspaceAt(programFolder(), defaultWorkspaceBase());
  if (!createWorkspaceFolders(workspace, ui)) return kExitCannotOpen;
  Context context{out, err, ui, workspace, store};

  const std::string& action = args[0];
  if (options.has("skip-duplicates") && action != "append") {
    err << "stridewell dataset: error: --skip-duplicates is for append\n";
    return kExitUsage;
  }
  if (action == "create") return createOrAppend(args, false, false, context);
  if (action == "append") return createOrAppend(args, true, options.has("skip-duplicates"), context);
  if (action == "list") return list(args, options.has("long"), context);
  if (action == "report") return report(args, options, context);
  if (action == "delete") return remove(args, context);
  if (action == "rename") return rename(args, context);
  if (action == "split") return split(args, options, context);
  if (action == "combine") return combine(args, context);
  err << "stridewell dataset: error: unknown action '" << printableText(action) << "'\n\n" << usage();
  return kExitUsage;
}

}  // namespace stridewell::cli
