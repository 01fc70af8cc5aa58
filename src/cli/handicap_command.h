// `stridewell handicap`: handicaps card files (plain or in their archives)
// with one SIM or an SI Map, writes each report to the Workspace's PREDICT
// folder and prints it. Remembers the mode, SIM and map in the settings, as
// the desktop program's dialog does.
#pragma once

#include "cli/command.h"

namespace stridewell::cli {

class HandicapCommand : public Command {
 public:
  std::string_view name() const override { return "handicap"; }
  std::string_view summary() const override {
    return "Handicap card files with a SIM or an SI Map and show the reports.";
  }
  std::string_view operandsSynopsis() const override { return "FILE..."; }
  std::string_view description() const override;
  std::span<const OptionSpec> options() const override;
  int run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const override;
};

}  // namespace stridewell::cli
