// `stridewell train`: trains the SIM that the last `stridewell prep` set
// up, in the foreground, with the training thread's status on a progress
// line. Ctrl-C stops the run and keeps what it learnt, as the desktop
// program's "Stop Training" does; a further run continues from there.
#pragma once

#include "cli/command.h"

namespace stridewell::cli {

class TrainCommand : public Command {
 public:
  std::string_view name() const override { return "train"; }
  std::string_view summary() const override {
    return "Train the SIM prepared by `stridewell prep` (or train it more).";
  }
  std::string_view operandsSynopsis() const override { return ""; }
  std::string_view description() const override;
  std::span<const OptionSpec> options() const override;
  int run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const override;
};

}  // namespace stridewell::cli
