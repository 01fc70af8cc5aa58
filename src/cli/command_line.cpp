#include "cli/command_line.h"

#include <algorithm>

#include "base/version.h"
#include "cli/criteria_options.h"
#include "cli/text_format.h"

namespace stridewell::cli {
namespace {

const Command* findCommand(std::span<const Command* const> commands, std::string_view name) {
  for (const Command* command : commands) {
    if (command->name() == name) return command;
  }
  return nullptr;
}

constexpr std::string_view kHelpOnHelp =
    "Usage: stridewell help [COMMAND | criteria | help]\n"
    "\n"
    "Without a word, lists the commands. With a command's name, shows how to use\n"
    "it: its operands, what it does and its options (the same as\n"
    "'stridewell COMMAND --help'). 'stridewell help criteria' lists the words of\n"
    "the race criteria options --distance, --class, --surface and --condition of\n"
    "prep, pl, evaluate and simmap. 'stridewell help help' shows this text.\n";

}  // namespace

std::string versionText() {
  return "stridewell " + std::string(kProgramVersion);
}

std::string usageText(std::span<const Command* const> commands) {
  std::string text =
      "Usage: stridewell COMMAND [options] [ARGUMENTS]\n"
      "       stridewell help [COMMAND | criteria | help]\n"
      "       stridewell --help | --version\n"
      "\nCommands:\n";
  size_t width = 4;  // "help"
  for (const Command* command : commands) width = std::max(width, command->name().size());
  for (const Command* command : commands) {
    text += "  " + fitText(command->name(), static_cast<int>(width)) + "  " +
            std::string(command->summary()) + "\n";
  }
  text += "  " + fitText("help", static_cast<int>(width)) +
          "  Show the help of a command, of the criteria words or of help.\n";
  text +=
      "\nRace criteria of prep, pl, evaluate and simmap ('stridewell help criteria' for every spelling):\n" +
      criteriaSummaryText();
  text += "\nRun 'stridewell help COMMAND' for the options of a command.\n";
  return text;
}

int runCommandLine(std::span<const Command* const> commands, std::span<const std::string> args,
                   std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << usageText(commands);
    return kExitUsage;
  }
  const std::string& first = args[0];
  if (first == "--version") {
    out << versionText() << '\n';
    return kExitOk;
  }
  if (first == "--help" || first == "-h") {
    out << usageText(commands);
    return kExitOk;
  }
  if (first == "help") {
    if (args.size() == 1) {
      out << usageText(commands);
      return kExitOk;
    }
    if (args.size() == 2) {
      const std::string& topic = args[1];
      if (const Command* command = findCommand(commands, topic)) {
        out << command->help();
        return kExitOk;
      }
      if (topic == "help" || topic == "--help" || topic == "-h") {
        out << kHelpOnHelp;
        return kExitOk;
      }
      if (topic == "criteria") {
        out << criteriaHelpText();
        return kExitOk;
      }
      err << errorPrefix({}) << "unknown command '" << printableText(topic) << "'\n\n" << usageText(commands);
      return kExitUsage;
    }
    err << errorPrefix({}) << "help takes at most one command name\n\n" << usageText(commands);
    return kExitUsage;
  }
  if (!first.empty() && first[0] == '-') {
    err << errorPrefix({}) << "unknown option '" << printableText(first) << "'\n\n" << usageText(commands);
    return kExitUsage;
  }
  const Command* command = findCommand(commands, first);
  if (command == nullptr) {
    err << errorPrefix({}) << "unknown command '" << printableText(first) << "'\n\n" << usageText(commands);
    return kExitUsage;
  }
  return command->execute(args.subspan(1), out, err);
}

}  // namespace stridewell::cli
