// The top level of `stridewell`: picks the subcommand named by the first
// word and hands it the rest, and answers `help` (of a command, of the race
// criteria words, of itself), `--help` and `--version` itself. The command table is passed in, so main() owns
// the list of subcommands and tests can run the dispatcher in-process.
#pragma once

#include <ostream>
#include <span>
#include <string>

#include "cli/command.h"

namespace stridewell::cli {

// "stridewell 5.0".
std::string versionText();

// The general usage with the list of commands and their summaries.
std::string usageText(std::span<const Command* const> commands);

// Runs the command line `args` (without the program name); returns the exit
// status: that of the subcommand, 0 for help and version, 2 for an unknown
// command or option (with the usage on `err`).
int runCommandLine(std::span<const Command* const> commands, std::span<const std::string> args,
                   std::ostream& out, std::ostream& err);

}  // namespace stridewell::cli
