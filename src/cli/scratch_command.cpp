#include "cli/scratch_command.h"

#include <iostream>
#include <string>
#include <vector>

#include "base/card_file_names.h"
#include "base/text_case.h"
#include "base/text_trim.h"
#include "base/workspace.h"
#include "cli/terminal_interaction.h"
#include "cli/text_format.h"
#include "operations/scratch_edit.h"

namespace stridewell::cli {
namespace {

constexpr OptionSpec kScratchOptions[] = {
    withAlias({'\0', "set", "RACE:PROG[,PROG...]", "Scratch these horses (may be repeated)."}, 's'),
    {'c', "clear", "RACE:PROG[,PROG...]", "Take these horses off the scratch list (may be repeated)."},
};

const TextTable kItemTable(2, {
                                  {"Race", 4, true},
                                  {"Prog", 4, true},
                                  {"Horse", 30},
                                  {"Status", 16},
                              });

// One horse to scratch or unscratch, as named on the command line.
struct Change {
  int race = 0;
  std::string program;
  bool scratch = false;
};

// Only spaces are trimmed around the numbers of a change.
constexpr std::string_view kSpaces = " ";

// "RACE:PROG[,PROG...]" into one change per program number.
bool parseChanges(std::string_view option, const std::string& value, bool scratch,
                  std::vector<Change>& changes, std::string& error) {
  const size_t colon = value.find(':');
  int race = 0;
  if (colon == std::string::npos ||
      !parseRaceNumber(trimmed(std::string_view(value).substr(0, colon), kSpaces), race)) {
    error = "--" + std::string(option) + " '" + value +
            "': expected RACE:PROG[,PROG...] with a race number from 1 to 255";
    return false;
  }
  std::string_view programs = std::string_view(value).substr(colon + 1);
  for (;;) {
    const size_t comma = programs.find(',');
    const std::string program(trimmed(programs.substr(0, comma), kSpaces));
    if (program.empty()) {
      error = "--" + std::string(option) + " '" + value + "': a program number is missing";
      return false;
    }
    changes.push_back({race, program, scratch});
    if (comma == std::string_view::npos) break;
    programs.remove_prefix(comma + 1);
  }
  return true;
}

// Race numbers compare as numbers, so "01" in a file is race 1.
bool isRace(const std::string& text, int race) {
  if (text.empty() || text.size() > 6) return false;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value == race;
}

std::string statusText(const ScratchItem& item) {
  std::string status = item.scratched ? "scratched" : "runs";
  if (item.locked) status += ", fixed";
  return status;
}

std::string horseLabel(const ScratchItem& item) {
  return "race " + printableText(item.raceNumber) + " #" + printableText(item.programNumber) + " " +
         printableText(item.horseName);
}

void writeItems(const ScratchCard& card, std::ostream& out) {
  int scratched = 0;
  for (const ScratchItem& item : card.items) scratched += item.scratched ? 1 : 0;
  out << printableText(card.cardPath);
  if (!card.archivePath.empty()) out << " (in " << printableText(card.archivePath) << ")";
  out << ": " << card.items.size() << (card.items.size() == 1 ? " horse, " : " horses, ") << scratched
      << " scratched\n";
  const std::string* lastRace = nullptr;
  for (const ScratchItem& item : card.items) {
    if (lastRace == nullptr || *lastRace != item.raceNumber) {
      out << '\n';
      kItemTable.writeHeader(out);
    }
    lastRace = &item.raceNumber;
    kItemTable.writeRow(out, {item.raceNumber, item.programNumber, item.horseName, statusText(item)});
  }
}

}  // namespace

std::string_view ScratchCommand::description() const {
  return "Without options, lists every horse line of the card file with its race, program\n"
         "number, name and status: scratched or runs. \"fixed\" marks a horse without a\n"
         "program number on a card whose other horses have one: its mark is kept as it\n"
         "is. FILE is the card (ABC1234.TCF) or its archive (ABC1234M.ZIP); a card that\n"
         "exists only in its archive is unpacked into the Workspace's UNZIP folder.\n"
         "\n"
         "With --set and --clear, scratches the horses named or takes them off the\n"
         "scratch list, then writes the card back: only the scratch mark (field 5) of\n"
         "each line changes, into a new file that replaces the old one when complete,\n"
         "or, for a card from an archive, into the archive. Horses are named by race\n"
         "and program number, several of one race separated by commas: --set 3:1A,4.\n"
         "\n"
         "Exit status: 0 when the card was listed or written, 1 when it is not valid (a\n"
         "line fails its check code) or could not be written back, 2 when it cannot be\n"
         "opened, a horse named is not on the card, or the command line is wrong.\n";
}

std::span<const OptionSpec> ScratchCommand::options() const {
  return kScratchOptions;
}

int ScratchCommand::run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const {
  if (options.operands().size() != 1) {
    err << "stridewell scratch: error: "
        << (options.operands().empty() ? "no card file given" : "give one card file") << "\n\n"
        << usage();
    return kExitUsage;
  }
  std::vector<Change> changes;
  std::string error;
  for (const auto& [option, scratch] : {std::pair{"set", true}, std::pair{"clear", false}}) {
    for (const std::string& value : options.values(option)) {
      if (!parseChanges(option, value, scratch, changes, error)) {
        err << "stridewell scratch: error: " << error << '\n';
        return kExitUsage;
      }
    }
  }

  TerminalInteraction ui(std::cin, out, err, false, QueryAnswer::kNo, name());
  const Workspace workspace = workspaceAt(programFolder(), defaultWorkspaceBase());
  ScratchCard card;
  // An archive named on the command line stands for the card it holds.
  if (!loadScratchCard(plainPathFor(options.operands()[0], kCardFileKind), workspace, ui, card)) {
    return card.sourcePath.empty() ? kExitCannotOpen : kExitBadInput;
  }
  if (changes.empty()) {
    writeItems(card, out);
    return kExitOk;
  }

  // Every horse named must be on the card, once, before anything changes.
  std::vector<size_t> targets;
  for (size_t c = 0; c < changes.size(); ++c) {
    const Change& change = changes[c];
    std::vector<size_t> found;
    for (size_t i = 0; i < card.items.size(); ++i) {
      const ScratchItem& item = card.items[i];
      if (isRace(item.raceNumber, change.race) && equalsIgnoreCase(item.programNumber, change.program)) {
        found.push_back(i);
      }
    }
    const std::string horse = "race " + std::to_string(change.race) + " #" + printableText(change.program);
    if (found.size() != 1) {
      err << "stridewell scratch: error: " << printableText(card.cardPath) << ": "
          << (found.empty()
                  ? "there is no " + horse
                  : horse + " is on " + std::to_string(found.size()) + " lines; it cannot be told apart")
          << "; nothing was changed\n";
      return kExitUsage;
    }
    for (size_t earlier = 0; earlier < c; ++earlier) {
      if (targets[earlier] == found[0] && changes[earlier].scratch != change.scratch) {
        err << "stridewell scratch: error: " << horse
            << " is both to be scratched and cleared; nothing was changed\n";
        return kExitUsage;
      }
    }
    targets.push_back(found[0]);
  }

  bool changed = false;
  for (size_t c = 0; c < changes.size(); ++c) {
    const bool scratch = changes[c].scratch;
    const ScratchItem& item = card.items[targets[c]];
    if (item.scratched == scratch) {
      out << horseLabel(item) << ": already " << (scratch ? "scratched" : "running") << '\n';
      continue;
    }
    setScratched(card, targets[c], scratch);
    changed = true;
    out << horseLabel(item) << ": " << (scratch ? "scratched" : "no longer scratched") << '\n';
  }
  if (!changed) {
    out << "Nothing to change; " << printableText(card.cardPath) << " was left as it was.\n";
    return kExitOk;
  }
  if (!saveScratchCard(card, workspace, ui)) return kExitBadInput;
  out << "Wrote " << printableText(card.archivePath.empty() ? card.sourcePath : card.archivePath) << ".\n";
  return kExitOk;
}

}  // namespace stridewell::cli
