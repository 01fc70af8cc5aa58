// `stridewell simmap`: shows an SI Map as a table of its ten rules and edits
// it: one rule's switch, SIM, track and filters, the comment, or a reset to
// the untouched map. The maps live in the user's settings file
// (SettingsStore::defaultFile(), so $XDG_CONFIG_HOME moves it); SIM names
// are checked against the SIM list of the Workspace ($STRIDEWELL_HOME).
#pragma once

#include <ostream>

#include "cli/command.h"
#include "model/sim_map.h"

namespace stridewell {
struct Workspace;
}

namespace stridewell::cli {

// The map as a table: a title line naming it (and saying when it is the one
// handicapping uses), the comment, a row per rule, and a note for each
// enabled rule whose SIM has no weights file.
void writeSimMap(const SimMap& map, int mapNumber, bool inUse, const Workspace& workspace, std::ostream& out);

class SimMapCommand : public Command {
 public:
  std::string_view name() const override { return "simmap"; }
  std::string_view summary() const override {
    return "Show or edit an SI Map (which SIM handicaps which races).";
  }
  std::string_view operandsSynopsis() const override { return "[N]"; }
  std::string_view description() const override;
  std::span<const OptionSpec> options() const override;
  int run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const override;
};

}  // namespace stridewell::cli
