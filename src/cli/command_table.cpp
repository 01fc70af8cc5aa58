#include "cli/command_table.h"

#include "cli/card_command.h"
#include "cli/dataset_command.h"
#include "cli/evaluate_command.h"
#include "cli/handicap_command.h"
#include "cli/pl_command.h"
#include "cli/prep_command.h"
#include "cli/results_command.h"
#include "cli/scratch_command.h"
#include "cli/sim_command.h"
#include "cli/simmap_command.h"
#include "cli/train_command.h"
#include "cli/value_command.h"

namespace stridewell::cli {
namespace {

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
const EvaluateCommand kEvaluate;
const ValueCommand kValue;

const Command* const kCommands[] = {
    &kHandicap, &kDataset, &kCard, &kResults, &kScratch,  &kSimMap,
    &kPrep,     &kTrain,   &kSim,  &kPl,      &kEvaluate, &kValue,
};

}  // namespace

std::span<const Command* const> stridewellCommands() {
  return kCommands;
}

}  // namespace stridewell::cli
