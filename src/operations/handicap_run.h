// The handicap run: each card file of a list is read race by race and gets
// a report file in PREDICT (<base name>.TXT) with one block per race, from
// one SIM for every race or from the SIM an SI Map rule picks per race.
// Runs on the caller's thread; one SimModel per run.
#pragma once

#include <string>
#include <vector>

#include "base/file_system.h"
#include "handicap/handicap_table.h"
#include "handicap/race_report.h"
#include "handicap/sim_map_rules.h"

namespace stridewell {

class ProgressSink;
class SimModel;
class UserInteraction;
struct Workspace;

inline constexpr int kMostHandicapFiles = 64;

struct HandicapSetup {
  bool mapMode = false;
  ResolvedSimMap simMap{};  // map mode: the rules of the chosen SI Map
  std::string simName;      // single-SIM mode: the name for "SIM In Use: "
  std::string simPath;      // single-SIM mode: its weights file
  bool dryOnly = false;     // map mode: only the dry-track finish order
  // Keep every horse's figures for the CSV and JSON tables.
  bool keepTables = false;
  HandicapTableOptions tableOptions;
};

enum class HandicapOutcome {
  kDone,
  kInvalid,
  kNoRace,      // the card opened and read to its end, but holds no race
  kCannotOpen,  // nothing was written; an earlier report stays as it was
  kCannotCreate,
};

struct HandicappedFile {
  std::string inputPath;
  std::string reportPath;
  int races = 0;
  HandicapOutcome outcome = HandicapOutcome::kDone;
  bool tooManyHorses = false;  // some race had more than 64 horses
  bool notAnArchive = false;   // kCannotOpen: named as an archive, but no zip archive
  // Map mode: the finish orders left out because their SIM did not load.
  std::vector<UnscoredRace> unscored;
  // With HandicapSetup::keepTables: each finish order's figures, in report order.
  std::vector<RaceTable> tables;
};

// Handicaps one card file (plain, or its archive) into `outputPath`, which
// is replaced only when the card opened and the report is complete: a card
// that cannot be opened leaves an earlier report as it was. Messages:
// "Cannot create file '%s'.", "Cannot open input file '%s': <reason>"
// (errors), "File %s is NOT VALID!" with the bad line, "File %s holds no
// race." (warnings). In single-SIM mode `model` must hold the SIM already.
HandicappedFile handicapFile(const HandicapSetup& setup, SimModel& model, const std::string& inputPath,
                             const std::string& outputPath, const Workspace& workspace, UserInteraction& ui,
                             FileSystem& fileSystem = realFileSystem());

struct HandicapRun {
  bool simLoaded = true;  // false: "Error loading SIM" and why, nothing handicapped
  bool cancelled = false;
  std::vector<HandicappedFile> files;  // in list order, as far as the run got
};

// The run over `inputPaths` in order: loads the single SIM, empties UNZIP,
// handicaps each file into PREDICT, warns after a file with too many
// horses, and at the end lists the races an SI Map rule could not score
// because its SIM did not load. Stops between files when `progress` is
// cancelled.
HandicapRun runHandicap(const HandicapSetup& setup, SimModel& model,
                        const std::vector<std::string>& inputPaths, const Workspace& workspace,
                        UserInteraction& ui, ProgressSink& progress,
                        FileSystem& fileSystem = realFileSystem());

// The warning listing the races of `run` that were not scored, one line
// each (card, race number, track assumed, SIM and why); empty when every
// race was scored.
std::string unscoredRacesWarning(const HandicapRun& run);

enum class HandicapTableFormat { kCsv, kJson };

// Writes the tables of every file of `run` to `path` through a temporary
// file renamed into place. False, after the error "Cannot create file
// '<path>'." with the reason, and with any earlier file left as it was,
// when it cannot be written.
bool writeHandicapTables(const HandicapRun& run, const HandicapTableOptions& options,
                         HandicapTableFormat format, const std::string& path, UserInteraction& ui,
                         FileSystem& fileSystem = realFileSystem());

// PREDICT/<base>.TXT, the base name being the file name without its last
// extension; a card file or its archive is named as the card in upper case,
// so abc1234.tcf and ABC1234M.ZIP both report to ABC1234.TXT.
std::string reportPathFor(const std::string& inputPath, const Workspace& workspace);

}  // namespace stridewell
