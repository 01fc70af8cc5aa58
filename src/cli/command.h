// The shape every `stridewell` subcommand takes: a name, a one-line summary,
// its own options and help text, and a run function that writes to the
// streams it is given and returns the exit status. Commands hold no state
// between runs, so one instance can serve any number of calls (and tests).
#pragma once

#include <map>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace stridewell::cli {

// Exit statuses shared by every subcommand; the README's "Exit status"
// section is the user's copy of this table. When several apply (a run over
// many files), the highest wins.
inline constexpr int kExitOk = 0;
// Invalid or damaged input (the output covers what came before the fault),
// or nothing matched what was asked for (no race, no such race, no pattern).
inline constexpr int kExitBadInput = 1;
// Unknown command or option, a bad option value, a missing operand.
inline constexpr int kExitUsage = 2;
// A file or folder that cannot be opened, read, written, renamed or deleted.
inline constexpr int kExitCannotOpen = 2;
// The user answered No, or stopped the run (Ctrl-C, SIGTERM, SIGHUP).
inline constexpr int kExitDeclined = 3;

struct OptionSpec {
  char shortName;              // '\0' when the option has no short form
  std::string_view longName;   // without the leading "--"
  std::string_view valueName;  // empty for a flag; else shown in the help ("N")
  std::string_view description;
  // An older spelling that scripts may still use: accepted and stored under
  // longName, listed only at the end of the help so that every command
  // shows an option the same way.
  char shortAlias = '\0';
  std::string_view longAlias = {};
};

// `spec` that also answers to an older spelling.
constexpr OptionSpec withAlias(OptionSpec spec, char shortAlias, std::string_view longAlias = {}) {
  spec.shortAlias = shortAlias;
  spec.longAlias = longAlias;
  return spec;
}

// Options that several commands take, spelled and described alike in all.
inline constexpr OptionSpec kSimOption{
    's', "sim", "NAME", "Score the races with SIM NAME: \"Default\" or a SIM of the SIM folder."};
inline constexpr OptionSpec kRaceOption{'r', "race", "N", "Show only race number N of each file."};
inline constexpr OptionSpec kThreadsOption{'j', "threads", "N",
                                           "Work on N threads (one per processor when not given)."};
inline constexpr OptionSpec kLongOption{
    'l', "long", "", "list: a table, the name first and then what the list action above describes."};
inline constexpr OptionSpec kCommaOption{'\0', "comma", "FILE",
                                         "Also write the table as comma-separated lines to FILE."};

// The start of an error or a warning on standard error, so that every
// message of a command looks alike: "stridewell COMMAND: error: " (or
// "stridewell: error: " without a command).
std::string errorPrefix(std::string_view command);
std::string warningPrefix(std::string_view command);

// Options as given on the command line, keyed by long name, and the operands.
class ParsedOptions {
 public:
  bool has(std::string_view longName) const { return values_.count(std::string(longName)) != 0; }
  // The value given last for the option, empty when it was not given.
  std::string value(std::string_view longName) const;
  // Every value given for the option, in command-line order (for options
  // that may be repeated).
  std::vector<std::string> values(std::string_view longName) const;
  const std::vector<std::string>& operands() const { return operands_; }

  void set(std::string_view longName, std::string value) {
    allValues_.emplace_back(std::string(longName), value);
    values_[std::string(longName)] = std::move(value);
  }
  void addOperand(std::string operand) { operands_.push_back(std::move(operand)); }

 private:
  std::map<std::string, std::string, std::less<>> values_;
  std::vector<std::pair<std::string, std::string>> allValues_;
  std::vector<std::string> operands_;
};

// Options and operands may come in any order; "--" ends the options, and "-"
// alone is an operand (standard input). Long options take their value as
// "--race=3" or "--race 3", short ones as "-r3" or "-r 3"; an option's
// older spelling counts as the option itself. False, with a message in
// `error`, for an unknown option or a missing value.
bool parseOptions(std::span<const OptionSpec> specs, std::span<const std::string> args, ParsedOptions& parsed,
                  std::string& error);

// A whole number from `low` to `high` (at most 999,999,999), digits only:
// no sign, blank or other character. False for anything else.
bool parseWholeNumber(std::string_view text, int low, int high, int& number);

// A decimal number from `low` to `high` ('.' for the point; no sign, blank
// or exponent); `aboveLow` leaves out `low` itself. False for anything else.
bool parseDecimal(std::string_view text, double low, double high, bool aboveLow, double& value);

// A race number given as an option value: a whole number from 1 to 255 (the
// records keep race numbers in a byte). False for anything else.
bool parseRaceNumber(std::string_view text, int& raceNumber);

// The --race option of `command` (0 when not given). False, after telling
// the user on `err`, when its value is not a race number.
bool readRaceOption(const ParsedOptions& options, std::string_view command, std::ostream& err, int& onlyRace);

class Command {
 public:
  virtual ~Command() = default;

  virtual std::string_view name() const = 0;
  // One line for the command list of `stridewell help`.
  virtual std::string_view summary() const = 0;
  // What follows the options on the usage line, e.g. "FILE...".
  virtual std::string_view operandsSynopsis() const = 0;
  // Paragraphs shown after the usage line: what the command prints.
  virtual std::string_view description() const = 0;
  // The command's own options; -h/--help is added to every command.
  virtual std::span<const OptionSpec> options() const = 0;

  // Runs the command with its options parsed; returns the exit status.
  virtual int run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const = 0;

  // Usage line, description and option list.
  std::string help() const;
  // The options as parsed: the command's own and -h/--help.
  std::vector<OptionSpec> allOptions() const;
  // Usage line and option list: what a wrong command line gets on stderr.
  std::string usage() const;
  // Parses `args` (the words after the command name), answers --help, reports
  // bad options with the usage on `err` (status 2), and otherwise runs.
  int execute(std::span<const std::string> args, std::ostream& out, std::ostream& err) const;

 private:
  std::string usageLine() const;
  std::string optionList() const;
};

}  // namespace stridewell::cli
