// The `stridewell` program: one executable, one subcommand per task.
//
// Adding a subcommand (handicap, dataset, prep, train, pl ...):
//   1. Write src/cli/<name>_command.h/.cpp with a class derived from Command
//      (command.h): its name, one-line summary, operands, description, its
//      options (an OptionSpec table; -h/--help comes for free) and run(),
//      which writes to the streams it is given and returns the exit status.
//      Put the work in functions that take streams, so tests can call them.
//   2. Add the .cpp to the stridewell_cli library in src/cli/CMakeLists.txt.
//   3. Add one line to kCommands in command_table.cpp; `stridewell help`
//      lists the commands in this order.
// Exit statuses: the kExit constants of command.h. Errors and warnings on
// standard error start "stridewell COMMAND: error: " / "...: warning: ".

#include <iostream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/command_table.h"

int main(int argc, char** argv) {
  using namespace stridewell::cli;
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  int status = runCommandLine(stridewellCommands(), args, std::cout, std::cerr);
  // A report that did not reach its destination (a full disk, a closed pipe)
  // must not end with success.
  std::cout.flush();
  if (!std::cout) {
    std::cerr << errorPrefix({}) << "could not write the output\n";
    if (status == kExitOk) status = kExitBadInput;
  }
  return status;
}
