// `stridewell prep`: prepares a SIM for training from the races of a
// dataset, with the choices and checks of the desktop program's Prep SIM
// dialog (SIM name rules, starting point, learning pressure, race
// criteria), and leaves the starting weights, the patterns and the train
// information in the Workspace's TRAINDATA folder.
#pragma once

#include "cli/command.h"

namespace stridewell::cli {

class PrepCommand : public Command {
 public:
  std::string_view name() const override { return "prep"; }
  std::string_view summary() const override { return "Prepare a SIM for training from a dataset."; }
  std::string_view operandsSynopsis() const override { return "DATASET SIMNAME"; }
  std::string_view description() const override;
  std::span<const OptionSpec> options() const override;
  int run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const override;
};

}  // namespace stridewell::cli
