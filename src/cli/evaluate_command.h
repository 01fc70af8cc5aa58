// `stridewell evaluate`: the SIM report card over a dataset. The races the
// profit/loss analysis would take are scored horse by horse, and the SIM's
// win chances are set beside the morning line's and the final odds': hit
// rates, log loss, Brier score, pseudo-R^2 and calibration tables.
#pragma once

#include "cli/command.h"

namespace stridewell::cli {

class EvaluateCommand : public Command {
 public:
  std::string_view name() const override { return "evaluate"; }
  std::string_view summary() const override {
    return "SIM report card: the SIM's win chances beside the morning line and the odds.";
  }
  std::string_view operandsSynopsis() const override { return "DATASET"; }
  std::string_view description() const override;
  std::span<const OptionSpec> options() const override;
  int run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const override;
};

}  // namespace stridewell::cli
