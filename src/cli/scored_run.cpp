#include "cli/scored_run.h"

#include "base/setting_keys.h"
#include "base/settings_store.h"
#include "base/text_case.h"
#include "base/text_trim.h"
#include "base/workspace.h"
#include "cli/criteria_options.h"
#include "cli/text_format.h"
#include "datasets/dataset_name.h"
#include "model/sim_list.h"

namespace stridewell::cli {
namespace {

// More threads than this would only share the same few cores.
constexpr int kMostThreads = 64;

}  // namespace

bool readScoredRunOptions(const ParsedOptions& options, std::string_view command,
                          std::string_view missingOperand, const std::string& usage, CriteriaChoices& choices,
                          int& threads, std::ostream& err) {
  if (options.operands().size() != 1) {
    err << errorPrefix(command) << missingOperand << "\n\n" << usage;
    return false;
  }
  if (!readCriteriaChoices(options, command, choices, err)) return false;
  threads = 0;
  if (options.has("threads") && !parseWholeNumber(options.value("threads"), 1, kMostThreads, threads)) {
    err << errorPrefix(command) << "--threads takes a number from 1 to " << kMostThreads << ", not '"
        << printableText(options.value("threads")) << "'\n";
    return false;
  }
  return true;
}

std::string chosenSim(const ParsedOptions& options, const SettingsStore& store, const Workspace& workspace) {
  std::string sim = options.has("sim") ? options.value("sim")
                                       : store.read(setting::kTestSimName, setting::kTestSimNameDefault);
  if (trimmed(sim, kSpaceTab).empty()) sim = setting::kTestSimNameDefault;
  const SimList simList = fillSimList(workspace.sim, true);
  const int listed = selectSimByName(simList.items, sim, -1);
  if (listed >= 0 && listed < simList.count) sim = simList.items[listed];
  return sim;
}

std::string findDataset(const std::vector<std::string>& names, std::string_view name) {
  const std::string wanted = trimDatasetName(std::string(name));
  for (const std::string& listed : names) {
    if (equalsIgnoreCase(listed, wanted)) return listed;
  }
  return {};
}

bool findRunDatasets(const ParsedOptions& options, std::string_view command, const Workspace& workspace,
                     const std::string& operand, RunDatasets& datasets, std::ostream& err) {
  const std::vector<std::string> names = listDatasets(workspace);
  datasets.name = findDataset(names, operand);
  if (datasets.name.empty()) {
    err << errorPrefix(command) << "there is no dataset '" << printableText(operand) << "'\n";
    return false;
  }
  datasets.path = datasetPath(workspace, datasets.name);
  if (!options.has("fit")) return true;
  datasets.fitName = findDataset(names, options.value("fit"));
  if (datasets.fitName.empty()) {
    err << errorPrefix(command) << "there is no dataset '" << printableText(options.value("fit"))
        << "' to fit on\n";
    return false;
  }
  datasets.fitPath = datasetPath(workspace, datasets.fitName);
  return true;
}

}  // namespace stridewell::cli
