// `stridewell scratch`: shows which horses of a card file are scratched, and
// scratches horses or takes them off the scratch list by race and program
// number, writing the card back where it came from (the plain file, or its
// archive re-zipped). The work is the scratch editor's (app/scratch_edit.h).
#pragma once

#include "cli/command.h"

namespace stridewell::cli {

class ScratchCommand : public Command {
 public:
  std::string_view name() const override { return "scratch"; }
  std::string_view summary() const override {
    return "List the scratched horses of a card file, or scratch and unscratch horses.";
  }
  std::string_view operandsSynopsis() const override { return "FILE"; }
  std::string_view description() const override;
  std::span<const OptionSpec> options() const override;
  int run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const override;
};

}  // namespace stridewell::cli
