// `stridewell pl`: the profit/loss analysis of a SIM over a dataset. Every
// race that meets the criteria is scored and settled by the 219 wager
// strategies, and the table of their totals is printed (and, with --csv,
// written as comma-separated lines). Remembers the options, SIM and
// dataset in the settings, as the desktop program's dialog does.
#pragma once

#include "cli/command.h"

namespace stridewell::cli {

class PlCommand : public Command {
 public:
  std::string_view name() const override { return "pl"; }
  std::string_view summary() const override {
    return "Profit/loss analysis: how a SIM's picks would have paid over a dataset.";
  }
  std::string_view operandsSynopsis() const override { return "DATASET"; }
  std::string_view description() const override;
  std::span<const OptionSpec> options() const override;
  int run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const override;
};

}  // namespace stridewell::cli
