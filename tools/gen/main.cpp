// stridewell-gen: writes sample card and results files for consecutive days
// of racing at one track, from a seed. See --help.
#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "base/version.h"
#include "sample_files.h"
#include "sample_generator.h"
#include "sample_statistics.h"

namespace {

using stridewell::gen::ArchiveMode;
using stridewell::gen::SampleOptions;

constexpr const char* kHelp =
    "Usage: stridewell-gen [options]\n"
    "Writes realistic sample race cards (.TCF) and results (.XRD) for consecutive days\n"
    "of racing at one track. The same options always give the same bytes.\n"
    "\n"
    "  --track CODE        track code, two or three letters (default SAX; SA is SAX)\n"
    "  --start YYYY-MM-DD  first day of racing (default 2026-03-15)\n"
    "  --days N            consecutive days, 1 to 365 (default 1)\n"
    "  --seed N            random seed, a whole number 0 to 18446744073709551615 (default 1)\n"
    "  --out DIR           folder to write into, created when missing (default .)\n"
    "  --zip               pack each file into its archive with Info-ZIP zip from the PATH:\n"
    "                      BASE.TCF into BASEM.ZIP, BASE.XRD into BASEX.ZIP, each holding\n"
    "                      the file under its plain name; the plain files are then removed\n"
    "  --keep-plain        with --zip, keep the plain files beside the archives\n"
    "  --bad-check-line N  give line N of the first day's card a wrong check code\n"
    "                      (every other line stays correct)\n"
    "  --no-simulcast      card no simulcast races (every race run at the card's track)\n"
    "  --stats             print how the days pay (field sizes, favourites, the return\n"
    "                      of every odds band and the realised take of every pool)\n"
    "                      instead of the file names; files are written only with --out\n"
    "  --help              show this text\n"
    "  --version           show the version\n"
    "\n"
    "BASE is the track code and the month and day, e.g. SAX0315 for 15 March.\n"
    "Exit status: 0 done, 1 the files could not be written, 2 bad options.\n";

bool parseWhole(std::string_view text, uint64_t& value) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

bool parseCount(std::string_view text, int& value) {
  uint64_t whole = 0;
  if (!parseWhole(text, whole) || whole > 1000000) return false;
  value = static_cast<int>(whole);
  return true;
}

bool parseDate(std::string_view text, SampleOptions& options) {
  uint64_t year = 0, month = 0, day = 0;
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  if (!parseWhole(text.substr(0, 4), year) || !parseWhole(text.substr(5, 2), month) ||
      !parseWhole(text.substr(8, 2), day)) {
    return false;
  }
  options.year = static_cast<int>(year);
  options.month = static_cast<int>(month);
  options.day = static_cast<int>(day);
  return true;
}

int usageError(const std::string& message) {
  std::fprintf(stderr, "stridewell-gen: %s\nTry 'stridewell-gen --help'.\n", message.c_str());
  return 2;
}

int countLines(const std::string& text) {
  int lines = 0;
  for (char c : text) lines += c == '\n';
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  SampleOptions options;
  std::string folder = ".";
  bool zip = false;
  bool keepPlain = false;
  bool stats = false;
  bool folderGiven = false;
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  for (size_t i = 0; i < args.size(); ++i) {
    std::string_view name = args[i];
    std::string_view value;
    bool hasValue = false;
    if (const size_t equals = name.find('='); name.starts_with("--") && equals != std::string_view::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
      hasValue = true;
    }
    auto takeValue = [&]() {
      if (!hasValue && i + 1 < args.size()) {
        value = args[++i];
        hasValue = true;
      }
      return hasValue;
    };
    const std::string option(name);
    if (name == "--help" || name == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    } else if (name == "--version") {
      std::printf("stridewell-gen %s\n", std::string(stridewell::kProgramVersion).c_str());
      return 0;
    } else if (name == "--zip") {
      zip = true;
    } else if (name == "--keep-plain") {
      keepPlain = true;
    } else if (name == "--stats") {
      stats = true;
    } else if (name == "--no-simulcast") {
      options.simulcasts = false;
    } else if (name == "--track" || name == "--start" || name == "--days" || name == "--seed" ||
               name == "--out" || name == "--bad-check-line") {
      if (!takeValue()) return usageError(option + " needs a value");
      if (name == "--track") {
        options.track = std::string(value);
      } else if (name == "--start") {
        if (!parseDate(value, options))
          return usageError("--start wants a date as YYYY-MM-DD, not '" + std::string(value) + "'");
      } else if (name == "--days") {
        if (!parseCount(value, options.days))
          return usageError("--days wants a whole number, not '" + std::string(value) + "'");
      } else if (name == "--seed") {
        if (!parseWhole(value, options.seed))
          return usageError("--seed wants a whole number, not '" + std::string(value) + "'");
      } else if (name == "--out") {
        folder = std::string(value);
        folderGiven = true;
      } else if (!parseCount(value, options.badCheckLine) || options.badCheckLine < 1) {
        return usageError("--bad-check-line wants a line number from 1, not '" + std::string(value) + "'");
      }
    } else {
      return usageError("unknown option '" + option + "'");
    }
  }
  if (keepPlain && !zip) return usageError("--keep-plain goes with --zip");
  if (const std::string problem = stridewell::gen::checkSampleOptions(options); !problem.empty()) {
    return usageError(problem);
  }

  if (stats && !folderGiven) {
    stridewell::gen::SampleStatistics statistics;
    stridewell::gen::addSampleStatistics(options, statistics);
    std::fputs(stridewell::gen::statisticsReport(statistics).c_str(), stdout);
    return 0;
  }
  const std::vector<stridewell::gen::SampleDay> days = stridewell::gen::generateSampleDays(options);
  if (options.badCheckLine > 0 && !days.empty()) {
    const int lines = countLines(days.front().cardText);
    if (options.badCheckLine > lines) {
      return usageError("--bad-check-line " + std::to_string(options.badCheckLine) +
                        " is beyond the first card, which has " + std::to_string(lines) + " lines");
    }
  }
  const ArchiveMode mode =
      !zip ? ArchiveMode::kPlain : (keepPlain ? ArchiveMode::kZipAndPlain : ArchiveMode::kZip);
  const stridewell::gen::WriteOutcome outcome = stridewell::gen::writeSampleFiles(days, folder, mode);
  if (!outcome.ok) {
    std::fprintf(stderr, "stridewell-gen: %s\n", outcome.message.c_str());
    return 1;
  }
  if (stats) {
    stridewell::gen::SampleStatistics statistics;
    stridewell::gen::addSampleStatistics(options, statistics);
    std::fputs(stridewell::gen::statisticsReport(statistics).c_str(), stdout);
    return 0;
  }
  for (const std::string& file : outcome.files) std::printf("%s\n", file.c_str());
  return 0;
}
