// `stridewell value`: value betting with staking over a dataset. The races
// the profit/loss analysis would take are played in date order, a win bet
// on every horse whose chance (the SIM's, or the SIM's and the odds'
// combined) beats its final odds by a margin, staked by a fraction of
// Kelly; prints the bets, the money, the drawdown and a bootstrap p-value,
// and writes the bankroll curve when asked.
#pragma once

#include "cli/command.h"

namespace stridewell::cli {

class ValueCommand : public Command {
 public:
  std::string_view name() const override { return "value"; }
  std::string_view summary() const override {
    return "Value betting: Kelly-staked win bets where the chances beat the odds.";
  }
  std::string_view operandsSynopsis() const override { return "DATASET"; }
  std::string_view description() const override;
  std::span<const OptionSpec> options() const override;
  int run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const override;
};

}  // namespace stridewell::cli
