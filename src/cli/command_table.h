// The subcommands of `stridewell` in the order `stridewell help` lists them.
// One table for the program and for the tests that check every command
// (options spelled alike, help for each). The commands hold no state.
#pragma once

#include <span>

#include "cli/command.h"

namespace stridewell::cli {

std::span<const Command* const> stridewellCommands();

}  // namespace stridewell::cli
