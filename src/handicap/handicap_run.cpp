#include "handicap/handicap_run.h"

#include <memory>
#include <sstream>

#include "app/card_archives.h"
#include "app/interaction.h"
#include "app/replacement_file.h"
#include "app/workspace.h"
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
                             const std::string& outputPath, const Workspace& workspace, UserInteraction& ui) {
  HandicappedFile file{inputPath, outputPath};
  ReplacementFile report(outputPath);
  if (!report.ok()) {
    ui.error(formatted("Cannot create file '%s'.", outputPath));
    file.outcome = HandicapOutcome::kCannotCreate;
    return file;
  }
  std::ostringstream out;
  if (!setup.mapMode) out << "SIM In Use: " << setup.simName << "\n\n";

  OpenedFile input = openCardFile(inputPath, workspace);
  if (!input) {
    ui.error(formatted("Cannot open input file '%s'.", inputPath));
    file.outcome = HandicapOutcome::kCannotOpen;
    report.write(out.str());
    report.replaceTarget();
    return file;
  }

  ReportSims sims;
  sims.mapMode = setup.mapMode;
  sims.simMap = &setup.simMap;
  sims.dryOnly = setup.dryOnly;
  sims.model = &model;
  sims.ui = &ui;
  CardReader reader(*input.stream, inputPath);
  auto race = std::make_unique<Race>();
  while (reader.next(*race)) {
    writeRaceReport(*race, sims, out);
    ++file.races;
  }
  input.stream.reset();
  const bool invalid = reader.invalid() || reader.readError();
  if (invalid) out << "\n\n**** FILE IS INVALID ****\n";
  report.write(out.str());
  if (!report.replaceTarget()) {
    ui.error(formatted("Cannot create file '%s'.", outputPath));
    file.outcome = HandicapOutcome::kCannotCreate;
    return file;
  }
  if (invalid) {
    ui.warning(formatted("File %s is NOT VALID!", inputPath));
    file.outcome = HandicapOutcome::kInvalid;
  }
  file.tooManyHorses = reader.tooManyHorses();
  return file;
}

int handicapCardFile(const HandicapSetup& setup, SimModel& model, const std::string& inputPath,
                     const std::string& outputPath, const Workspace& workspace, UserInteraction& ui,
                     int& tooManyHorses) {
  const HandicappedFile file = handicapFile(setup, model, inputPath, outputPath, workspace, ui);
  tooManyHorses = file.tooManyHorses ? kMaxHorses : 0;
  return file.races;
}

HandicapRun runHandicap(const HandicapSetup& setup, SimModel& model, const std::vector<std::string>& inputPaths,
                        const Workspace& workspace, UserInteraction& ui, ProgressSink& progress) {
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
        handicapFile(setup, model, inputPath, reportPathFor(inputPath, workspace), workspace, ui);
    if (file.tooManyHorses) {
      ui.warning("File " + std::string(fileNameOf(inputPath)) + " has races that contain more than " +
                 std::to_string(kMaxHorses) + " horses (some horses ignored)");
    }
    run.files.push_back(std::move(file));
  }
  progress.setPercent(100);
  return run;
}

}  // namespace stridewell
