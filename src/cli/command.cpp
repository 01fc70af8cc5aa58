#include "cli/command.h"

#include <algorithm>
#include <charconv>
#include <system_error>

#include "cli/text_format.h"

namespace stridewell::cli {
namespace {

constexpr OptionSpec kHelpOption{'h', "help", "", "Show this help and exit."};

// The canonical spellings first, so that an older spelling can never
// shadow an option of the command.
const OptionSpec* findLong(std::span<const OptionSpec> specs, std::string_view name) {
  for (const OptionSpec& spec : specs) {
    if (spec.longName == name) return &spec;
  }
  for (const OptionSpec& spec : specs) {
    if (!spec.longAlias.empty() && spec.longAlias == name) return &spec;
  }
  return nullptr;
}

const OptionSpec* findShort(std::span<const OptionSpec> specs, char name) {
  for (const OptionSpec& spec : specs) {
    if (spec.shortName != '\0' && spec.shortName == name) return &spec;
  }
  for (const OptionSpec& spec : specs) {
    if (spec.shortAlias != '\0' && spec.shortAlias == name) return &spec;
  }
  return nullptr;
}

// "-t for --threads, --csv for --comma": the older spellings a command
// still takes, or "" when it has none.
std::string aliasList(std::span<const OptionSpec> specs) {
  std::string list;
  for (const OptionSpec& spec : specs) {
    for (const std::string& alias :
         {spec.shortAlias != '\0' ? std::string{'-', spec.shortAlias} : std::string(),
          spec.longAlias.empty() ? std::string() : "--" + std::string(spec.longAlias)}) {
      if (alias.empty()) continue;
      if (!list.empty()) list += ", ";
      list += alias + " for --" + std::string(spec.longName);
    }
  }
  return list;
}

std::string optionLabel(const OptionSpec& spec) {
  std::string label = spec.shortName != '\0' ? formatText("-%c, ", spec.shortName) : "    ";
  label += "--";
  label += spec.longName;
  if (!spec.valueName.empty()) {
    label += ' ';
    label += spec.valueName;
  }
  return label;
}

}  // namespace

std::string errorPrefix(std::string_view command) {
  return command.empty() ? "stridewell: error: " : "stridewell " + std::string(command) + ": error: ";
}

std::string warningPrefix(std::string_view command) {
  return command.empty() ? "stridewell: warning: " : "stridewell " + std::string(command) + ": warning: ";
}

std::string ParsedOptions::value(std::string_view longName) const {
  const auto found = values_.find(longName);
  return found == values_.end() ? std::string() : found->second;
}

std::vector<std::string> ParsedOptions::values(std::string_view longName) const {
  std::vector<std::string> given;
  for (const auto& [name, value] : allValues_) {
    if (name == longName) given.push_back(value);
  }
  return given;
}

bool parseOptions(std::span<const OptionSpec> specs, std::span<const std::string> args, ParsedOptions& parsed,
                  std::string& error) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      parsed.addOperand(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const OptionSpec* spec = nullptr;
    std::string value;
    bool valueAttached = false;
    std::string typed;  // a long name as given, which may be an older spelling
    if (arg[1] == '-') {
      std::string_view name = std::string_view(arg).substr(2);
      const size_t equals = name.find('=');
      if (equals != std::string_view::npos) {
        value = std::string(name.substr(equals + 1));
        valueAttached = true;
        name = name.substr(0, equals);
      }
      spec = findLong(specs, name);
      typed = "--" + std::string(name);
      if (spec == nullptr) {
        error = "unknown option '--" + std::string(name) + "'";
        return false;
      }
      if (spec->valueName.empty() && valueAttached) {
        error = "option '--" + std::string(name) + "' takes no value";
        return false;
      }
    } else {
      spec = findShort(specs, arg[1]);
      if (spec == nullptr) {
        error = formatText("unknown option '-%c'", arg[1]);
        return false;
      }
      if (arg.size() > 2) {
        if (spec->valueName.empty()) {
          // Flags are not bundled: "-px" is more likely a typing slip than two flags.
          error = "unknown option '" + arg + "'";
          return false;
        }
        value = arg.substr(2);
        valueAttached = true;
      }
    }
    if (!spec->valueName.empty() && !valueAttached) {
      if (i + 1 >= args.size()) {
        error = "option '" + (typed.empty() ? "--" + std::string(spec->longName) : typed) +
                "' needs a value (" + std::string(spec->valueName) + ")";
        return false;
      }
      value = args[++i];
    }
    parsed.set(spec->longName, std::move(value));
  }
  return true;
}

bool parseWholeNumber(std::string_view text, int low, int high, int& number) {
  // Nine digits cannot overflow an int, and no bound the commands use is
  // longer.
  if (text.empty() || text.size() > 9) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value < low || value > high) return false;
  number = value;
  return true;
}

bool parseDecimal(std::string_view text, double low, double high, bool aboveLow, double& value) {
  if (text.empty() || text.find_first_not_of("0123456789.") != std::string_view::npos) return false;
  double read = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), read);
  if (ec != std::errc() || end != text.data() + text.size()) return false;
  if (read < low || read > high || (aboveLow && read == low)) return false;
  value = read;
  return true;
}

bool parseRaceNumber(std::string_view text, int& raceNumber) {
  return parseWholeNumber(text, 1, 255, raceNumber);
}

std::string Command::help() const {
  return usageLine() + "\n" + std::string(description()) + optionList();
}

std::string Command::usage() const {
  return usageLine() + optionList() + "\nRun 'stridewell help " + std::string(name()) + "' for more.\n";
}

std::string Command::usageLine() const {
  return "Usage: stridewell " + std::string(name()) + " [options] " + std::string(operandsSynopsis()) + "\n";
}

std::vector<OptionSpec> Command::allOptions() const {
  std::vector<OptionSpec> all(options().begin(), options().end());
  all.push_back(kHelpOption);
  return all;
}

std::string Command::optionList() const {
  const std::vector<OptionSpec> all = allOptions();
  size_t width = 0;
  for (const OptionSpec& spec : all) width = std::max(width, optionLabel(spec).size());
  std::string text = "\nOptions:\n";
  for (const OptionSpec& spec : all) {
    text += "  " + fitText(optionLabel(spec), static_cast<int>(width)) + "  " +
            std::string(spec.description) + "\n";
  }
  const std::string aliases = aliasList(all);
  if (!aliases.empty()) text += "\nOlder spellings still accepted: " + aliases + ".\n";
  return text;
}

int Command::execute(std::span<const std::string> args, std::ostream& out, std::ostream& err) const {
  const std::vector<OptionSpec> all = allOptions();
  ParsedOptions parsed;
  std::string error;
  if (!parseOptions(all, args, parsed, error)) {
    err << errorPrefix(name()) << error << "\n\n" << usage();
    return kExitUsage;
  }
  if (parsed.has("help")) {
    out << help();
    return kExitOk;
  }
  return run(parsed, out, err);
}

bool readRaceOption(const ParsedOptions& options, std::string_view command, std::ostream& err,
                    int& onlyRace) {
  onlyRace = 0;
  if (!options.has("race") || parseRaceNumber(options.value("race"), onlyRace)) return true;
  err << errorPrefix(command) << "--race needs a race number from 1 to 255, not '" << options.value("race")
      << "'\n";
  return false;
}

}  // namespace stridewell::cli
