// `stridewell dataset`: builds datasets of past races from folders of card
// and results files and manages them (list, delete, rename, split,
// combine) and reports on them, with the same checks and messages as the
// desktop program's Database menu.
#pragma once

#include "cli/command.h"

namespace stridewell::cli {

class DatasetCommand : public Command {
 public:
  std::string_view name() const override { return "dataset"; }
  std::string_view summary() const override { return "Create, append, list and manage datasets (.DSI)."; }
  std::string_view operandsSynopsis() const override { return "ACTION [ARGUMENTS]"; }
  std::string_view description() const override;
  std::span<const OptionSpec> options() const override;
  int run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const override;
};

}  // namespace stridewell::cli
