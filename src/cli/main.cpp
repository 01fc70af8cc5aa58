// The `stridewell` program: one executable, one subcommand per task.
//
// Adding a subcommand (handicap, dataset, prep, train, pl ...):
//   1. Write src/cli/<name>_command.h/.cpp with a class derived from Command
//      (command.h): its name, one-line summary, operands, description, its
//      options (an OptionSpec table; -h/--help comes for free) and run(),
//      which writes to the streams it is given and returns the exit status.
//      Put the work in functions that take streams, so tests can call them.
//   2. Add the .cpp to the stridewell_cli library in src/cli/CMakeLists.txt.
//   3. Add one line to kCommands below; `stridewell help` lists the commands
//      in this order.
// Exit statuses: 0 success, 1 bad input data, 2 usage errors and files that
// cannot be opened (command.h).

#include <iostream>
#include <string>
#include <vector>

#include "cli/card_command.h"
#include "cli/command_line.h"
#include "cli/dataset_command.h"
#include "cli/handicap_command.h"
#include "cli/pl_command.h"
#include "cli/prep_command.h"
#include "cli/sim_command.h"
#include "cli/results_command.h"
#include "cli/scratch_command.h"
#include "cli/simmap_command.h"
#include "cli/train_command.h"

namespace {

using namespace stridewell::cli;

const CardCommand kCard;
const HandicapCommand kHandicap;
const DatasetCommand kDataset;
const ResultsCommand kResults;
const ScratchCommand kScratch;
const SimMapCommand kSimMap;
const PrepCommand kPrep;
const SimCommand kSim;
const TrainCommand kTrain;
const PlCommand kPl;

const Command* const kCommands[] = {
    &kHandicap,
    &kDataset,
    &kCard,
    &kResults,
    &kScratch,
    &kSimMap,
    &kPrep,
    &kTrain,
    &kSim,
    &kPl,
};

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  int status = runCommandLine(kCommands, args, std::cout, std::cerr);
  // A report that did not reach its destination (a full disk, a closed pipe)
  // must not end with success.
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "stridewell: could not write the output\n";
    if (status == kExitOk) status = kExitBadInput;
  }
  return status;
}
