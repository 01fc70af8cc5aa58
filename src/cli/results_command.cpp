#include "cli/results_command.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <vector>

#include "cli/input_file.h"
#include "cli/race_text.h"
#include "cli/text_format.h"
#include "race/results_reader.h"

namespace stridewell::cli {
namespace {

constexpr OptionSpec kResultsOptions[] = {
    kRaceOption,
};

const TextTable kFinisherTable(2, {
                                      {"Fin", 3, true},
                                      {"Horse", 24},
                                      {"Odds", 7, true},
                                      {"Win", 8, true},
                                      {"Place", 8, true},
                                      {"Show", 8, true},
                                  });

struct ExoticPayoff {
  const char* name;
  size_t offset;  // packed members are read by offset, never through a reference
};

constexpr ExoticPayoff kExotics[] = {
    {"Exacta", offsetof(RaceResult, exactaPayoff)},
    {"Quinella", offsetof(RaceResult, quinellaPayoff)},
    {"Trifecta", offsetof(RaceResult, trifectaPayoff)},
    {"Superfecta", offsetof(RaceResult, superfectaPayoff)},
    {"Daily Double", offsetof(RaceResult, dailyDoublePayoff)},
    {"Pick 3", offsetof(RaceResult, pickThreePayoff)},
    {"Pick 4", offsetof(RaceResult, pickFourPayoff)},
    {"Pick 6", offsetof(RaceResult, pickSixPayoff)},
};

float payoffAt(const RaceResult& result, size_t offset) {
  float value;
  std::memcpy(&value, reinterpret_cast<const char*>(&result) + offset, sizeof value);
  return value;
}

template <size_t N>
std::string_view memberText(const char (&text)[N]) {
  return std::string_view(text, strnlen(text, N));
}

std::string raceLabel(const RaceResult& result) {
  return formatText("race %d of %s %s", result.raceNumber, printableText(memberText(result.track)).c_str(),
                    dateText(result.date).c_str());
}

}  // namespace

void writeRaceResult(const RaceResult& result, std::ostream& out) {
  out << printableText(trackText(memberText(result.track))) << "  " << dateText(result.date) << "  Race "
      << static_cast<int>(result.raceNumber) << "  " << surfaceText(result.surface) << ", "
      << conditionText(result.condition) << " track\n\n";

  // The file lists starters in any order; show them as they finished, with
  // unknown positions (0) last and ties (dead heats) in file order.
  const int count = std::min<int>(result.finisherCount, kMaxFinishers);
  std::vector<int> order(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) order[static_cast<size_t>(i)] = i;
  auto sortKey = [&](int i) {
    const int position = result.finishers[i].finishPosition;
    return position == 0 ? 256 : position;
  };
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return sortKey(a) < sortKey(b); });

  kFinisherTable.writeHeader(out);
  for (int i : order) {
    const FinisherEntry& finisher = result.finishers[i];
    kFinisherTable.writeRow(
        out, {
                 finisher.finishPosition == 0 ? "-" : std::to_string(finisher.finishPosition),
                 std::string(memberText(finisher.name)),
                 finisher.odds == 0 ? "-" : formatText("%.2f", static_cast<double>(finisher.odds)),
                 payoffText(finisher.winPayoff),
                 payoffText(finisher.placePayoff),
                 payoffText(finisher.showPayoff),
             });
  }

  std::string exotics;
  for (const ExoticPayoff& exotic : kExotics) {
    const float payoff = payoffAt(result, exotic.offset);
    if (payoff == 0) continue;
    exotics += formatText("%s%s %s", exotics.empty() ? "" : "  ", exotic.name, payoffText(payoff).c_str());
  }
  if (!exotics.empty()) out << "  " << exotics << '\n';
  out << '\n';
}

std::string_view ResultsCommand::description() const {
  return "Reads each results file and prints its races: track, date, race number,\n"
         "surface and whether the track was wet or dry, the starters in finish order\n"
         "with their final odds and $2 win, place and show payoffs, and the exotic\n"
         "payoffs (exacta, quinella, trifecta, superfecta, daily double, pick 3, 4\n"
         "and 6) the race paid. FILE may be - for standard input, or the results\n"
         "file's archive (ABC1234X.ZIP holds ABC1234.XRD), unpacked into the\n"
         "Workspace's UNZIP folder while it is read.\n"
         "\n"
         "A line that cannot be a starter's line (too few or too many fields, a track\n"
         "code that is not two or three letters, a race number that is not 0 to 99, a\n"
         "finish position or odds that are not numbers in range) is reported on\n"
         "standard error with its line number and left out. A race keeps at most 63\n"
         "starters; the lines beyond are reported on standard error and left out.\n"
         "\n"
         "Exit status: 0 when every file was read, 1 when a file holds no results line\n"
         "at all, cannot be read to its end, or lacks the race asked for with --race\n"
         "(or an archive is no zip archive), 2 when a file cannot be opened or the\n"
         "command line is wrong.\n";
}

std::span<const OptionSpec> ResultsCommand::options() const {
  return kResultsOptions;
}

int ResultsCommand::run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const {
  if (options.operands().empty()) {
    err << "stridewell results: error: no results file given\n\n" << usage();
    return kExitUsage;
  }
  int onlyRace = 0;
  if (!readRaceOption(options, "results", err, onlyRace)) return kExitUsage;

  int status = kExitOk;
  auto result = std::make_unique<RaceResult>();
  for (const std::string& path : options.operands()) {
    InputFile input = openRaceInputFile(path, kResultsFileKind);
    if (!input.stream) {
      err << "stridewell results: error: " << input.error << '\n';
      status = std::max(status, input.damaged ? kExitBadInput : kExitCannotOpen);
      continue;
    }
    out << "== " << input.displayName << " ==\n\n";
    ResultsReader reader(*input.stream, input.displayName);
    int shown = 0;
    while (reader.next(*result)) {
      if (reader.droppedLines() > 0) {
        err << "stridewell results: warning: " << input.displayName << ": " << raceLabel(*result) << " has "
            << reader.droppedLines() << " more lines than the " << kMaxFinishers
            << " starters a result holds; they were left out\n";
      }
      if (onlyRace != 0 && result->raceNumber != onlyRace) continue;
      writeRaceResult(*result, out);
      ++shown;
    }
    out << input.displayName << ": " << reader.racesRead() << (reader.racesRead() == 1 ? " race" : " races")
        << " read";
    if (onlyRace != 0) out << ", " << shown << " shown";
    const int skipped = reader.skippedLineCount();
    if (skipped > 0) out << ", " << skipped << (skipped == 1 ? " line" : " lines") << " skipped";
    out << "\n\n";
    if (reader.noResultsLine() && !reader.readError()) {
      // One message says it all; the first line shows why.
      err << "stridewell results: error: " << input.displayName
          << ": not a results file: no line in it is a results line";
      if (!reader.skippedLines().empty()) {
        const ResultsReader::SkippedLine& first = reader.skippedLines().front();
        err << " (line " << first.line << ": " << first.reason << ")";
      }
      err << '\n';
      status = std::max(status, kExitBadInput);
    } else {
      for (const ResultsReader::SkippedLine& line : reader.skippedLines()) {
        err << "stridewell results: warning: " << reader.skippedLineText(line) << "; the line was skipped\n";
      }
      const int unnoted = skipped - static_cast<int>(reader.skippedLines().size());
      if (unnoted > 0) {
        err << "stridewell results: warning: " << input.displayName << ": " << unnoted << " more"
            << (unnoted == 1 ? " line was" : " lines were") << " skipped\n";
      }
    }
    if (reader.readError()) {
      err << "stridewell results: error: " << input.displayName
          << ": the file could not be read to its end\n";
      status = std::max(status, kExitBadInput);
    }
    if (onlyRace != 0 && shown == 0) {
      err << "stridewell results: error: " << input.displayName << ": race " << onlyRace
          << " was not found\n";
      status = std::max(status, kExitBadInput);
    }
  }
  return status;
}

}  // namespace stridewell::cli
