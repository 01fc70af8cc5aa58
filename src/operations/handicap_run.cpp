#include "operations/handicap_run.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <locale>
#include <memory>
#include <sstream>

#include "base/card_archives.h"
#include "base/interaction.h"
#include "base/replacement_file.h"
#include "base/workspace.h"
#include "handicap/race_report.h"
#include "model/sim_model.h"
#include "race/card_reader.h"

namespace stridewell {

namespace {

std::string formatted(const char* format, const std::string& value) {
  std::string text(format);
  const size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, value);
  return text;
}

// The reason an input could not be opened, without the file name the
// message already gives.
std::string openProblem(const std::string& inputPath, const std::string& problem) {
  const std::string prefix = "Cannot open " + inputPath + ": ";
  if (problem.rfind(prefix, 0) == 0) return problem.substr(prefix.size());
  return problem.empty() ? std::string(std::strerror(ENOENT)) : problem;
}

}  // namespace

std::string reportPathFor(const std::string& inputPath, const Workspace& workspace) {
  std::string name(fileNameOf(inputPath));
  // An archive stands for the card it holds: ABC1234M.ZIP reports as ABC1234.
  std::string cardName = name;
  if (isCardFileName(cardName)) name = cardName;
  const size_t dot = name.rfind('.');
  const std::string base = dot == std::string::npos ? name : name.substr(0, dot);
  return joinPath(workspace.predict, base + ".TXT");
}

HandicappedFile handicapFile(const HandicapSetup& setup, SimModel& model, const std::string& inputPath,
                             const std::string& outputPath, const Workspace& workspace, UserInteraction& ui,
                             FileSystem& fileSystem) {
  HandicappedFile file;
  file.inputPath = inputPath;
  file.reportPath = outputPath;
  // A folder would be searched for a card of its name and reported as
  // missing; say what it is.
  struct stat info {};
  OpenedFile input;
  if (::stat(inputPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    input.problem = std::strerror(EISDIR);
  } else {
    input = openCardFile(inputPath, workspace);
  }
  if (!input.stream) {
    ui.error("Cannot open input file '" + inputPath + "': " + openProblem(inputPath, input.problem));
    file.outcome = HandicapOutcome::kCannotOpen;
    file.notAnArchive = input.notAnArchive;
    return file;
  }
  ReplacementFile report(outputPath, fileSystem);
  if (!report.ok()) {
    ui.error(formatted("Cannot create file '%s'.", outputPath) + "\n" + report.problem());
    file.outcome = HandicapOutcome::kCannotCreate;
    return file;
  }
  std::ostringstream out;
  if (!setup.mapMode) out << "SIM In Use: " << setup.simName << "\n\n";

  ReportSims sims;
  sims.mapMode = setup.mapMode;
  sims.simMap = &setup.simMap;
  sims.dryOnly = setup.dryOnly;
  sims.model = &model;
  sims.ui = &ui;
  sims.unscored = &file.unscored;
  if (setup.keepTables) {
    sims.tables = &file.tables;
    sims.tableOptions = setup.tableOptions;
    sims.simName = setup.simName;
  }
  const std::string cardFile(fileNameOf(inputPath));
  CardReader reader(*input.stream, inputPath);
  auto race = std::make_unique<Race>();
  while (reader.next(*race)) {
    const size_t tablesBefore = file.tables.size();
    writeRaceReport(*race, sims, out);
    for (size_t t = tablesBefore; t < file.tables.size(); ++t) file.tables[t].cardFile = cardFile;
    ++file.races;
  }
  input.stream.reset();
  const bool invalid = reader.invalid() || reader.readError();
  if (invalid) out << "\n\n**** FILE IS INVALID ****\n";
  report.write(out.str());
  if (!report.replaceTarget()) {
    ui.error(formatted("Cannot create file '%s'.", outputPath) + "\n" + report.problem());
    file.outcome = HandicapOutcome::kCannotCreate;
    return file;
  }
  if (invalid) {
    ui.warning(formatted("File %s is NOT VALID!", inputPath) + "\n" + reader.problem());
    file.outcome = HandicapOutcome::kInvalid;
  } else if (file.races == 0) {
    ui.warning(formatted("File %s holds no race.", inputPath));
    file.outcome = HandicapOutcome::kNoRace;
  }
  file.tooManyHorses = reader.tooManyHorses();
  return file;
}

HandicapRun runHandicap(const HandicapSetup& setup, SimModel& model,
                        const std::vector<std::string>& inputPaths, const Workspace& workspace,
                        UserInteraction& ui, ProgressSink& progress, FileSystem& fileSystem) {
  HandicapRun run;
  if (!setup.mapMode && !model.loadWeights(setup.simPath)) {
    ui.error("Error loading SIM\n" + model.loadProblem());
    run.simLoaded = false;
    return run;
  }
  deleteMatchingFiles(workspace.unzip, "*");
  const int count = static_cast<int>(inputPaths.size());
  for (int i = 0; i < count; ++i) {
    if (progress.cancelled()) {
      run.cancelled = true;
      break;
    }
    const std::string& inputPath = inputPaths[i];
    progress.setText(std::string(fileNameOf(inputPath)));
    progress.setPercent(i * 100 / count);
    HandicappedFile file =
        handicapFile(setup, model, inputPath, reportPathFor(inputPath, workspace), workspace, ui, fileSystem);
    if (file.tooManyHorses) {
      ui.warning("File " + std::string(fileNameOf(inputPath)) + " has races that contain more than " +
                 std::to_string(kMaxHorses) + " horses (some horses ignored)");
    }
    run.files.push_back(std::move(file));
  }
  progress.setPercent(100);
  if (const std::string unscored = unscoredRacesWarning(run); !unscored.empty()) ui.warning(unscored);
  return run;
}

bool writeHandicapTables(const HandicapRun& run, const HandicapTableOptions& options,
                         HandicapTableFormat format, const std::string& path, UserInteraction& ui,
                         FileSystem& fileSystem) {
  std::vector<RaceTable> tables;
  for (const HandicappedFile& file : run.files)
    tables.insert(tables.end(), file.tables.begin(), file.tables.end());
  std::ostringstream text;
  text.imbue(std::locale::classic());
  if (format == HandicapTableFormat::kCsv) {
    writeHandicapCsv(tables, text);
  } else {
    writeHandicapJson(tables, options, text);
  }
  const std::string bytes = text.str();
  std::string reason;
  if (!replaceFileContents(path, bytes.data(), bytes.size(), reason, fileSystem)) {
    ui.error(formatted("Cannot create file '%s'.", path) + "\n" + reason);
    return false;
  }
  return true;
}

std::string unscoredRacesWarning(const HandicapRun& run) {
  std::string text;
  for (const HandicappedFile& file : run.files) {
    for (const UnscoredRace& race : file.unscored) {
      text += "\n" + std::string(fileNameOf(file.inputPath)) + " race " + std::to_string(race.raceNumber);
      if (!race.trackAssumed.empty()) text += " (" + race.trackAssumed + " track)";
      text += ": SIM " + race.simName + ": " + race.reason;
    }
  }
  if (text.empty()) return text;
  return "Some races were NOT scored: the SIM their SI Map rule names could not be loaded." + text;
}

}  // namespace stridewell
