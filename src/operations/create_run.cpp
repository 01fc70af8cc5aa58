#include "operations/create_run.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <set>
#include <sstream>
#include <system_error>
#include <tuple>

#include "base/card_archives.h"
#include "base/interaction.h"
#include "base/workspace.h"
#include "datasets/append_journal.h"
#include "datasets/dataset_file.h"
#include "datasets/dataset_name.h"
#include "datasets/dataset_source.h"
#include "datasets/new_dataset_file.h"
#include "datasets/race_merge.h"
#include "race/card_reader.h"
#include "race/results_reader.h"

namespace stridewell {

namespace {

constexpr size_t kDatasetBufferBytes = 32768;

// Races added to the end of an existing dataset, written in blocks.
class DatasetAppender {
 public:
  DatasetAppender(FileSystem& fileSystem, const std::string& path) {
    file_ = fileSystem.openForAppend(path, error_);
    buffer_.reserve(kDatasetBufferBytes + kMaxDatasetRaceBytes);
  }

  bool ok() const { return file_ != nullptr && !error_; }
  // The system's reason for the first failure.
  const std::error_code& error() const { return error_; }

  bool write(const Race& race) {
    if (!ok()) return false;
    record_.str({});
    if (!writeDatasetRace(record_, race)) {
      error_ = std::make_error_code(std::errc::io_error);
      return false;
    }
    buffer_ += record_.view();
    return buffer_.size() < kDatasetBufferBytes || flush();
  }

  // Writes out the rest and flushes it to disk, so that the journal that
  // could undo the append goes only once the races are safe.
  bool finish() {
    if (!ok() || !flush()) return false;
    error_ = file_->sync();
    const std::error_code closed = file_->close();
    file_.reset();
    if (!error_) error_ = closed;
    return !error_;
  }

 private:
  bool flush() {
    if (!buffer_.empty()) error_ = file_->writeAll(buffer_);
    buffer_.clear();
    return !error_;
  }

  std::unique_ptr<WritableFile> file_;
  std::error_code error_;
  std::string buffer_;
  std::ostringstream record_{std::ios::binary};
};

std::string withNumber(const char* before, int number, const char* after) {
  return before + std::to_string(number) + after;
}

// What makes two stored races the same race: track, date and race number.
using RaceKey = std::tuple<std::string, int32_t, int>;

RaceKey keyOf(const RaceResult& result) {
  return {std::string(result.track, strnlen(result.track, sizeof result.track)), result.date,
          result.raceNumber};
}

// The keys of the races `path` holds; a damaged tail ends the reading, as it
// ends every use of the dataset.
std::set<RaceKey> storedRaceKeys(const std::string& path) {
  std::set<RaceKey> keys;
  DatasetSource source;
  if (!source.open(path)) return keys;
  DatasetReader reader(source.stream(), path);
  auto race = std::make_unique<Race>();
  while (reader.next(*race)) keys.insert(keyOf(race->result));
  return keys;
}

}  // namespace

bool checkCreateRequest(const std::string& name, bool append, const Workspace& workspace, UserInteraction& ui,
                        bool* declined) {
  if (declined != nullptr) *declined = false;
  switch (const DatasetNameFault fault = checkDatasetName(name)) {
    case DatasetNameFault::kNone:
      break;
    case DatasetNameFault::kEmpty:
      ui.error("You must specify a name for the DataSet");
      return false;
    default:
      ui.error(datasetNameRefusal(fault, "DataSet name"));
      return false;
  }
  const std::string trimmed = trimDatasetName(name);
  const bool exists = datasetExists(workspace, trimmed);
  if (exists && !append) {
    if (ui.query("DataSet with that name already exists; over-write?")) return true;
    if (declined != nullptr) *declined = true;
    return false;
  }
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

std::string duplicateRacesWarning(int count, bool skipped) {
  const std::string races =
      count == 1 ? "1 appended race was" : std::to_string(count) + " appended races were";
  return races + " already in the dataset (same track, date and race number)" +
         (skipped ? "; left out."
                  : (count == 1 ? "; it is now stored twice." : "; they are now stored twice."));
}

CreateOutcome createDataset(const std::string& rawName, bool append, const std::string& folder,
                            const std::vector<FilePair>& pairs, const Workspace& workspace,
                            UserInteraction& ui, ProgressSink& progress, DuplicateRaces duplicates,
                            FileSystem& fileSystem) {
  CreateOutcome outcome;
  const std::string name = trimDatasetName(rawName);
  const std::string target = datasetPath(workspace, name);

  // A new dataset is written under a hidden name and takes its own only when
  // complete; an append goes straight to the dataset under its journal.
  std::unique_ptr<NewDatasetFile> fresh;
  std::unique_ptr<AppendJournal> journal;
  std::unique_ptr<DatasetAppender> appended;
  std::set<RaceKey> stored;
  bool opened = false;
  std::string problem;
  if (append) {
    journal = std::make_unique<AppendJournal>(target);
    if (journal->ok()) {
      stored = storedRaceKeys(target);
      appended = std::make_unique<DatasetAppender>(fileSystem, target);
      opened = appended->ok();
      if (!opened) {
        problem = target + ": " + appended->error().message();
        journal->rollBack();
      }
    } else {
      problem = journal->problem();
    }
  } else {
    fresh = std::make_unique<NewDatasetFile>(workspace, name, fileSystem);
    opened = fresh->ok();
    if (!opened) problem = fresh->problem();
  }
  if (!opened) {
    ui.error("Cannot create/open dataset file.\n" + problem);
    outcome.status = CreateStatus::kNotOpened;
    return outcome;
  }
  int skipped = 0;
  const DatasetRaceWriter write = [&](const Race& race) {
    if (append && stored.count(keyOf(race.result)) != 0) {
      if (outcome.duplicates++ == 0 && duplicates == DuplicateRaces::kAsk) {
        duplicates = ui.query(kDuplicateQuery) ? DuplicateRaces::kSkip : DuplicateRaces::kKeep;
      }
      if (duplicates == DuplicateRaces::kSkip) {
        ++skipped;
        return true;
      }
    }
    if (fresh) return fresh->write(race);
    return appended->write(race);
  };
  // The reason a write failed: the file and what the system said.
  const auto writeProblem = [&]() {
    if (fresh) return fresh->problem();
    return target + ": " + appended->error().message();
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
      ui.error("Error during dataset creation (disk probably full)\n" + writeProblem());
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
      kept = appended->finish();
      if (kept) journal->commit();
    }
    if (!kept) {
      ui.error("Error during dataset creation (disk probably full)\n" + writeProblem());
      outcome.status = CreateStatus::kFailed;
    }
  }
  if (!kept) {
    // The hidden file of a new dataset goes with its object; an append is
    // cut back to where it started.
    if (journal) {
      appended.reset();
      journal->rollBack();
    }
    if (outcome.status == CreateStatus::kCancelled) ui.notice("Create DataSet", "User Aborted.");
    return outcome;
  }
  outcome.races -= skipped;
  if (outcome.invalidFiles != 0) {
    ui.warning(withNumber("", outcome.invalidFiles, " invalid data files have been detected (and ignored)."));
  }
  if (!outcome.skippedLines.empty()) {
    // The races around a skipped line were stored without it.
    std::string text = "Lines that are not results lines were skipped:";
    for (const SkippedResultsLines& file : outcome.skippedLines) {
      text += "\n" + file.fileName + ": " + std::to_string(file.count) +
              (file.count == 1 ? " line" : " lines") + ", the first at " + file.first;
    }
    ui.warning(text);
  }
  if (outcome.duplicates != 0) {
    ui.warning(duplicateRacesWarning(outcome.duplicates, duplicates == DuplicateRaces::kSkip));
  }
  ui.notice(name, withNumber("DataSet complete.  ", outcome.races, " races written."));
  return outcome;
}

}  // namespace stridewell
