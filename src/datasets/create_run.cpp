#include "datasets/create_run.h"

#include <fstream>
#include <memory>

#include "app/card_archives.h"
#include "app/interaction.h"
#include "app/workspace.h"
#include "datasets/append_journal.h"
#include "datasets/dataset_file.h"
#include "datasets/dataset_name.h"
#include "datasets/new_dataset_file.h"
#include "datasets/race_merge.h"
#include "race/card_reader.h"
#include "race/results_reader.h"

namespace stridewell {

namespace {

constexpr size_t kDatasetBufferBytes = 32768;

std::string withNumber(const char* before, int number, const char* after) {
  return before + std::to_string(number) + after;
}

}  // namespace

bool checkCreateRequest(const std::string& name, bool append, const Workspace& workspace, UserInteraction& ui) {
  switch (checkDatasetName(name)) {
    case DatasetNameFault::kEmpty:
      ui.error("You must specify a name for the DataSet");
      return false;
    case DatasetNameFault::kForbiddenCharacter:
      ui.error("DataSet name cannot contain any of the following characters: ?*<\">/\\:|");
      return false;
    case DatasetNameFault::kNone:
      break;
  }
  const std::string trimmed = trimDatasetName(name);
  const bool exists = datasetExists(workspace, trimmed);
  if (exists && !append) return ui.query("DataSet with that name already exists; over-write?");
  if (!exists && append) {
    ui.error("DataSet does not exist (Append on)");
    return false;
  }
  return true;
}

std::string createRunCaption(const std::string& name, bool append) {
  return (append ? "Appending DataSet: " : "Creating DataSet: ") + name;
}

PairOutcome buildPair(const DatasetRaceWriter& write, const std::string& folder, const FilePair& pair,
                      const Workspace& workspace) {
  PairOutcome outcome;
  OpenedFile card = openCardFile(joinPath(folder, pair.cardName), workspace);
  if (!card) {
    outcome.invalidFiles = 1;
    return outcome;
  }
  OpenedFile results = openResultsFile(joinPath(folder, pair.resultsName), workspace);
  if (!results) {
    outcome.invalidFiles = 1;
    return outcome;
  }
  CardReader cardReader(*card.stream, card.path);
  ResultsReader resultsReader(*results.stream, results.path);
  auto work = std::make_unique<Race>();
  const MergeOutcome merged = mergeRaces(cardReader, resultsReader, *work, [&](const Race& race) {
    if (!write(race)) {
      outcome.writeFailed = true;
      return false;
    }
    return true;
  });
  outcome.races = merged.racesWritten;
  if (merged.cardFileInvalid || merged.cardReadError) outcome.invalidFiles = 1;
  if (resultsReader.noResultsLine()) outcome.invalidFiles = 1;
  outcome.skippedResultsLines = resultsReader.skippedLineCount();
  if (!resultsReader.skippedLines().empty()) {
    const ResultsReader::SkippedLine& first = resultsReader.skippedLines().front();
    outcome.firstSkippedLine = "line " + std::to_string(first.line) + ": " + first.reason;
  }
  return outcome;
}

CreateOutcome createDataset(const std::string& rawName, bool append, const std::string& folder,
                            const std::vector<FilePair>& pairs, const Workspace& workspace, UserInteraction& ui,
                            ProgressSink& progress) {
  CreateOutcome outcome;
  const std::string name = trimDatasetName(rawName);
  const std::string target = datasetPath(workspace, name);

  // A new dataset is written under a hidden name and takes its own only when
  // complete; an append goes straight to the dataset under its journal.
  std::unique_ptr<NewDatasetFile> fresh;
  std::unique_ptr<AppendJournal> journal;
  std::vector<char> buffer(kDatasetBufferBytes);
  std::ofstream appended;
  bool opened = false;
  if (append) {
    journal = std::make_unique<AppendJournal>(target);
    if (journal->ok()) {
      appended.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
      appended.open(target, std::ios::binary | std::ios::app);
      opened = appended.is_open();
      if (!opened) journal->rollBack();
    }
  } else {
    fresh = std::make_unique<NewDatasetFile>(workspace, name);
    opened = fresh->ok();
  }
  if (!opened) {
    ui.error("Cannot create/open dataset file.");
    outcome.status = CreateStatus::kNotOpened;
    return outcome;
  }
  const DatasetRaceWriter write = [&](const Race& race) {
    if (fresh) return fresh->write(race);
    return writeDatasetRace(appended, race) && appended.good();
  };

  progress.setText(createRunCaption(name, append));
  const int count = static_cast<int>(pairs.size());
  for (int i = 0; i < count; ++i) {
    progress.setText(pairs[i].cardName + " + " + pairs[i].resultsName);
    progress.setPercent(i * 100 / count);
    if (progress.cancelled()) {
      outcome.status = CreateStatus::kCancelled;
      break;
    }
    // Archives unpacked for the previous pair are no longer needed.
    deleteMatchingFiles(workspace.unzip, "*");
    const PairOutcome pair = buildPair(write, folder, pairs[i], workspace);
    outcome.races += pair.races;
    outcome.invalidFiles += pair.invalidFiles;
    if (pair.skippedResultsLines > 0) {
      outcome.skippedLines.push_back({pairs[i].resultsName, pair.skippedResultsLines, pair.firstSkippedLine});
    }
    if (pair.writeFailed) {
      ui.error("Error during dataset creation (disk probably full)");
      outcome.status = CreateStatus::kFailed;
      break;
    }
  }
  progress.setPercent(100);

  bool kept = false;
  if (outcome.status == CreateStatus::kDone) {
    if (fresh) {
      kept = fresh->commit();
    } else {
      appended.close();
      kept = !appended.fail();
      if (kept) journal->commit();
    }
    if (!kept) {
      ui.error("Error during dataset creation (disk probably full)");
      outcome.status = CreateStatus::kFailed;
    }
  }
  if (!kept) {
    // The hidden file of a new dataset goes with its object; an append is
    // cut back to where it started.
    if (journal) {
      appended.close();
      journal->rollBack();
    }
    if (outcome.status == CreateStatus::kCancelled) ui.notice("Create DataSet", "User Aborted.");
    return outcome;
  }
  if (outcome.invalidFiles != 0) {
    ui.warning(withNumber("", outcome.invalidFiles, " invalid data files have been detected (and ignored)."));
  }
  if (!outcome.skippedLines.empty()) {
    // The races around a skipped line were stored without it.
    std::string text = "Lines that are not results lines were skipped:";
    for (const SkippedResultsLines& file : outcome.skippedLines) {
      text += "\n" + file.fileName + ": " + std::to_string(file.count) + (file.count == 1 ? " line" : " lines") +
              ", the first at " + file.first;
    }
    ui.warning(text);
  }
  ui.notice(name, withNumber("DataSet complete.  ", outcome.races, " races written."));
  return outcome;
}

}  // namespace stridewell
