// The opening shared by the commands that score a dataset's races with a
// SIM (pl, evaluate, value): the dataset operand, the criteria options and
// --threads; the SIM to score with; the datasets named, found as the
// Workspace lists them.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command.h"
#include "race/criteria_choices.h"

namespace stridewell {
class SettingsStore;
struct Workspace;
}  // namespace stridewell

namespace stridewell::cli {

// The one dataset operand, the criteria options and --threads (0 when not
// given). False, after the usage error on `err`, when one is wrong; a
// missing operand is told by `missingOperand` ("give the dataset to ...")
// followed by `usage`.
bool readScoredRunOptions(const ParsedOptions& options, std::string_view command,
                          std::string_view missingOperand, const std::string& usage, CriteriaChoices& choices,
                          int& threads, std::ostream& err);

// The SIM --sim names, else the last profit/loss run's ("Default" when that
// is blank). A SIM of the list takes the list's spelling; another name is
// still tried, and its load fails with the path it looked at.
std::string chosenSim(const ParsedOptions& options, const SettingsStore& store, const Workspace& workspace);

// The dataset of `names` that `name` names, letter case and the blanks
// around it ignored, spelled as listed; empty when there is none.
std::string findDataset(const std::vector<std::string>& names, std::string_view name);

struct RunDatasets {
  std::string name;
  std::string path;
  std::string fitName;  // empty without --fit
  std::string fitPath;
};

// The dataset `operand` names and the one --fit names. False, after "there
// is no dataset ..." on `err`, when either is not in the Workspace.
bool findRunDatasets(const ParsedOptions& options, std::string_view command, const Workspace& workspace,
                     const std::string& operand, RunDatasets& datasets, std::ostream& err);

}  // namespace stridewell::cli
