// Creating a dataset from a folder of card and results files, or appending
// to one: each matched pair is merged race by race and every race that has
// a result is written. A new dataset is written under a temporary name and
// appears only when the run succeeds; an append is journalled (see
// append_journal.h), so cancel, failure and a crash all leave the dataset
// as it was. Runs on the caller's thread.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_system.h"
#include "datasets/build_pair.h"

namespace stridewell {

class ProgressSink;
struct Race;
class UserInteraction;
struct Workspace;

// The "&Build" checks, in order, with their messages: a name, no forbidden
// character, over-writing an existing dataset only when the user says Yes,
// appending only to an existing dataset. False keeps the dialog open;
// `declined`, when given, tells whether that was the user's No.
bool checkCreateRequest(const std::string& name, bool append, const Workspace& workspace, UserInteraction& ui,
                        bool* declined = nullptr);

struct PairOutcome {
  int races = 0;             // races written
  bool writeFailed = false;  // the dataset could not be written
  int invalidFiles = 0;      // files that could not be opened, cards that failed their check,
                             // results files without a single results line
  // Lines of the results file that could not be results lines and were
  // skipped, and the first of them: "line 17: <reason>".
  int skippedResultsLines = 0;
  std::string firstSkippedLine;
};

// A results file some of whose lines were skipped.
struct SkippedResultsLines {
  std::string fileName;  // as the folder lists it: ABC0101.XRD
  int count = 0;
  std::string first;  // "line 17: <reason>"
};

// Writes one race to the dataset; false when the write failed.
using DatasetRaceWriter = std::function<bool(const Race&)>;

// Merges one card file with its results file from `folder` (plain files or
// their archives, opened by their names on disk in any letter case) and
// hands each race that has a result to `write`.
PairOutcome buildPair(const DatasetRaceWriter& write, const std::string& folder, const FilePair& pair,
                      const Workspace& workspace);

enum class CreateStatus { kDone, kCancelled, kFailed, kNotOpened };

// What an append does with a race whose track, date and race number the
// dataset already holds: writes it again, leaves it out, or asks the user
// (kDuplicateQuery) at the first such race and does as answered for all.
enum class DuplicateRaces { kKeep, kSkip, kAsk };

inline constexpr std::string_view kDuplicateQuery =
    "The dataset already holds races of these files (same track, date and race number).\n"
    "Leave out the races it already holds?";

struct CreateOutcome {
  CreateStatus status = CreateStatus::kDone;
  int races = 0;
  int invalidFiles = 0;
  std::vector<SkippedResultsLines> skippedLines;  // per results file, in run order
  // Appended races whose track, date and race number the dataset held
  // before the run: written again, or left out with skipDuplicates.
  int duplicates = 0;
};

// The caption of the run's progress window for the trimmed `name`:
// "Creating DataSet: <name>", or "Appending DataSet: <name>" for an append.
std::string createRunCaption(const std::string& name, bool append);

// The create run over `pairs` (in the folder's card order) with every
// message of the run: "Cannot create/open dataset file.", "Error during
// dataset creation (disk probably full)" (each followed by the file and the
// system's reason), "User Aborted.", the invalid-file warning, a warning
// listing the results files whose lines were skipped and how many, the
// warning about appended races the dataset already held, and "DataSet
// complete.  %d races written.". `duplicates` says what an append does with
// a race whose track, date and race number the dataset held before the run.
CreateOutcome createDataset(const std::string& name, bool append, const std::string& folder,
                            const std::vector<FilePair>& pairs, const Workspace& workspace,
                            UserInteraction& ui, ProgressSink& progress,
                            DuplicateRaces duplicates = DuplicateRaces::kKeep,
                            FileSystem& fileSystem = realFileSystem());

// The warning after an append that met `count` (> 0) races the dataset
// already held; `skipped` tells whether they were left out.
std::string duplicateRacesWarning(int count, bool skipped);

}  // namespace stridewell
