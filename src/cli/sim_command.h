// `stridewell sim`: lists the SIMs and deletes and renames those of the
// Workspace's SIM folder, with the checks and questions of the desktop
// program's Delete SIM and Rename SIM dialogs. SIMs kept beside the
// program ("Default") can be neither deleted nor renamed, and their names
// cannot be taken.
#pragma once

#include "cli/command.h"

namespace stridewell::cli {

class SimCommand : public Command {
 public:
  std::string_view name() const override { return "sim"; }
  std::string_view summary() const override { return "List, delete and rename SIMs (.SIM)."; }
  std::string_view operandsSynopsis() const override { return "ACTION [ARGUMENTS]"; }
  std::string_view description() const override;
  std::span<const OptionSpec> options() const override;
  int run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const override;
};

}  // namespace stridewell::cli
