#include "cli/sim_command.h"

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "base/settings_store.h"
#include "base/workspace.h"
#include "cli/terminal_interaction.h"
#include "cli/text_format.h"
#include "model/sim_list.h"
#include "model/sim_name_rules.h"
#include "operations/listing_details.h"
#include "operations/sim_management.h"

namespace stridewell::cli {
namespace {

constexpr OptionSpec kSimOptions[] = {
    kLongOption,
    kYesOption,
    kNoOption,
};

struct Context {
  std::ostream& out;
  std::ostream& err;
  TerminalInteraction& ui;
  const Workspace& workspace;
  const SettingsStore& store;  // holds the SI Maps
};

// The managed SIM that `typed` names: spelled exactly so, else the one
// that matches ignoring case. Empty, after telling the user why, when the
// SIM folder has no such SIM or it is one kept beside the program.
std::string findManaged(const std::string& typed, std::string_view action, Context& context) {
  const SimList list = managedSimList(context.workspace);
  const auto listed = list.items.begin() + list.count;
  auto found = std::find(list.items.begin(), listed, typed);
  if (found == listed) {
    const int index = selectSimByName(list.items, typed, list.count);
    if (index < list.count) found = list.items.begin() + index;
  }
  if (found != listed) return *found;
  if (isReservedSimName(context.workspace.programFolder, trimSimName(typed))) {
    context.err << "stridewell sim " << action << ": error: '" << printableText(typed)
                << "' is kept beside the program and cannot be " << action << "d\n";
  } else {
    context.err << "stridewell sim " << action << ": error: there is no SIM '" << printableText(typed)
                << "' in the SIM folder\n";
  }
  return {};
}

int list(const std::vector<std::string>& args, bool longForm, Context& context) {
  if (args.size() != 1) {
    context.err << "stridewell sim list: error: takes no arguments\n";
    return kExitUsage;
  }
  const SimList sims = fillSimList(context.workspace.sim, true);
  if (!longForm || sims.count == 0) {
    for (const std::string& name : sims.items) context.out << printableText(name) << '\n';
    return kExitOk;
  }
  // The name first, so that a script reading the first column finds the
  // same names as in the plain list; the details follow in columns.
  std::vector<SimDetails> rows;
  size_t nameWidth = 4;
  for (int i = 0; i < sims.count; ++i) {
    rows.push_back(simDetails(context.workspace, sims.items[static_cast<size_t>(i)]));
    nameWidth = std::max(nameWidth, printableText(rows.back().name).size());
  }
  const auto pad = [](std::string text, size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
  };
  context.out << pad("Name", nameWidth) << "  " << pad("Size", 10) << "  " << pad("Changed", 20)
              << "  Trained\n";
  for (const SimDetails& row : rows) {
    std::string size = row.fileFound ? fileSizeText(row.bytes) : "missing";
    std::string trained = "-";
    if (row.recordRead == SimRecordRead::kRead) {
      const std::string summary = simRecordSummary(row.record);
      if (!summary.empty()) trained = summary;
    } else if (row.recordRead == SimRecordRead::kDamaged) {
      trained = "record damaged";
    }
    context.out << pad(printableText(row.name), nameWidth) << "  " << pad(size, 10) << "  "
                << pad(row.modified.empty() ? "-" : row.modified, 20) << "  " << printableText(trained)
                << '\n';
  }
  return kExitOk;
}

int info(const std::vector<std::string>& args, Context& context) {
  if (args.size() != 2) {
    context.err << "stridewell sim info: error: name the SIM\n";
    return kExitUsage;
  }
  const SimList sims = fillSimList(context.workspace.sim, true);
  const int index = selectSimByName(sims.items, args[1], -1);
  if (index < 0 || index >= sims.count) {
    context.err << "stridewell sim info: error: there is no SIM '" << printableText(args[1]) << "'\n";
    return kExitBadInput;
  }
  const std::string text = simInfoText(simDetails(context.workspace, sims.items[static_cast<size_t>(index)]));
  // Line by line: the names and texts in it are shown printable, the line ends kept.
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    context.out << printableText(std::string_view(text).substr(start, end - start)) << '\n';
    start = end + 1;
  }
  return kExitOk;
}

int remove(const std::vector<std::string>& args, Context& context) {
  if (args.size() != 2) {
    context.err << "stridewell sim delete: error: name the SIM to delete\n";
    return kExitUsage;
  }
  const std::string name = findManaged(args[1], "delete", context);
  if (name.empty()) return kExitUsage;
  switch (deleteSim(context.workspace, name, context.ui, &context.store)) {
    case SimDeleteOutcome::kDeleted:
      break;
    case SimDeleteOutcome::kFailed:
      return kExitCannotOpen;  // the file and the reason were told
    case SimDeleteOutcome::kNotListed:
      return kExitUsage;
    case SimDeleteOutcome::kDeclined:
      return kExitDeclined;
  }
  return kExitOk;
}

int rename(const std::vector<std::string>& args, Context& context) {
  if (args.size() != 3) {
    context.err << "stridewell sim rename: error: give the old and the new name\n";
    return kExitUsage;
  }
  const std::string oldName = findManaged(args[1], "rename", context);
  if (oldName.empty()) return kExitUsage;
  switch (renameSim(context.workspace, oldName, args[2], context.ui)) {
    case SimRenameOutcome::kRenamed:
      return kExitOk;
    case SimRenameOutcome::kNotListed:
    case SimRenameOutcome::kRefused:
      return kExitUsage;
    case SimRenameOutcome::kDeclined:
      return kExitDeclined;
    case SimRenameOutcome::kFailed:
      return kExitCannotOpen;
  }
  return kExitCannotOpen;
}

}  // namespace

std::string_view SimCommand::description() const {
  return "Actions:\n"
         "  list             the SIMs a handicap run can use: \"Default\", kept\n"
         "                   beside the program, then those of the SIM folder,\n"
         "                   one name a line; with --long a table whose first\n"
         "                   column is the name, then the weights file's size,\n"
         "                   when it last changed, and the dataset and passes\n"
         "                   of its training record\n"
         "  info NAME        the SIM's weights file (size, time of change) and\n"
         "                   its training record: the dataset, criteria and\n"
         "                   learning pressure it was prepared with, the passes\n"
         "                   trained, the last pass's error and the headline of\n"
         "                   its last report card ('stridewell evaluate'); a SIM\n"
         "                   trained by an older program says \"No training\n"
         "                   record\"\n"
         "  delete NAME      delete a SIM of the SIM folder (after a Yes; the\n"
         "                   question names the SI Map rules that use it)\n"
         "  rename OLD NEW   rename a SIM of the SIM folder (after a Yes); an\n"
         "                   existing SIM is never replaced\n"
         "\n"
         "Times are UTC. Exit status: 0 on success; 1 when info names no SIM of\n"
         "the list; 2 for usage errors, unknown SIMs to delete or rename, refused\n"
         "names and files that cannot be deleted or renamed; 3 when a question\n"
         "was answered No.\n";
}

std::span<const OptionSpec> SimCommand::options() const {
  return kSimOptions;
}

int SimCommand::run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const {
  const std::vector<std::string>& args = options.operands();
  if (args.empty()) {
    err << "stridewell sim: error: no action given\n\n" << usage();
    return kExitUsage;
  }
  const std::unique_ptr<TerminalInteraction> user = askingInteraction(options, "sim", out, err);
  if (!user) return kExitUsage;
  TerminalInteraction& ui = *user;
  const Workspace workspace = workspaceAt(programFolder(), defaultWorkspaceBase());
  if (!createWorkspaceFolders(workspace, ui)) return kExitCannotOpen;
  const SettingsStore store(SettingsStore::defaultFile(), &ui);
  Context context{out, err, ui, workspace, store};

  const std::string& action = args[0];
  if (action != "list" && options.has("long")) {
    err << "stridewell sim: error: --long goes with list only\n";
    return kExitUsage;
  }
  if (action == "list") return list(args, options.has("long"), context);
  if (action == "info") return info(args, context);
  if (action == "delete") return remove(args, context);
  if (action == "rename") return rename(args, context);
  err << "stridewell sim: error: unknown action '" << printableText(action) << "'\n\n" << usage();
  return kExitUsage;
}

}  // namespace stridewell::cli
