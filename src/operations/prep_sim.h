// Preparing a SIM for training: the checks on what the user chose, and the
// run that leaves a matched set in the TRAINDATA folder: the starting
// weights (train.SIM), one pattern per usable race of the dataset
// (SIMPAT.DAT) and what to train, how long and where to save it
// (TVARS.DAT). Only one preparation exists at a time; each replaces the
// last, except that a run that yields no pattern leaves the last in place.
// Runs on the thread of the command that calls it.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "base/file_system.h"
#include "model/mwc_random.h"
#include "model/sim_record.h"
#include "race/race_criteria.h"

namespace stridewell {

class ProgressSink;
class SettingsStore;
class SimModel;
class UserInteraction;
struct Workspace;

inline constexpr std::string_view kSameStartAndTarget = "Starting point and target SIM cannot be identical.";
inline constexpr std::string_view kOverwriteSimQuery = "A SIM with that name already exists; over-write?";
inline constexpr std::string_view kSimNameTooLong = "SIM name is too long.";
inline constexpr std::string_view kPrepInitFailed = "Error initializing SIM";
inline constexpr std::string_view kPrepSaveFailed = "Error saving SIM data";
inline constexpr std::string_view kPrepDatasetOpenFailed = "Error opening dataset";
inline constexpr std::string_view kPrepAborted = "User aborted.";
inline constexpr std::string_view kPrepAbortedCaption = "Prep";
inline constexpr std::string_view kTrainInfoFailed = "Cannot create train info file";
inline constexpr std::string_view kPrepCompleteCaption = "Prep complete";
inline constexpr std::string_view kPrepProgressText = "Preprocessing...";

// The learning pressures in the dialog's order and their training passes.
inline constexpr int kPassesPerPressure[] = {5, 10, 25, 50};
inline constexpr int kDefaultPressure = 2;  // "High"

// The progress window's caption, "Prep: " and the SIM name.
std::string prepCaption(std::string_view simName);

struct PrepRequest {
  std::string dataset;   // a name of the dataset list
  std::string simName;   // as typed; trimmed by the checks and the run
  std::string startSim;  // a name of the SIM list, or empty for random weights
  int passes = kPassesPerPressure[kDefaultPressure];
  RaceCriteria criteria{};
  // A random start draws from this state instead of seeding from the clock,
  // so that a script can repeat a preparation exactly.
  std::optional<MwcRandom> random;
};

// The state the clock seeding would give for tick count `seed`.
MwcRandom randomFromSeed(uint32_t seed);

enum class PrepCheck {
  kAccepted,
  kBadName,      // blank, forbidden character, reserved or too long: back to the name
  kSameAsStart,  // the target is the starting SIM
  kDeclined,     // the user would not over-write an existing SIM
};

// The dialog's checks in order, each failure shown through `ui`: the SIM
// name's rules (blank, characters, reserved), a name too long for the train
// information (its path in the SIM folder must fit 259 characters), the
// starting SIM equal to the target (case matters), and the over-write
// question when the SIM folder holds a SIM of that name (ignoring case, as
// the lists do, so that no file is replaced without a question).
PrepCheck checkPrepRequest(const PrepRequest& request, const Workspace& workspace, UserInteraction& ui);

enum class PrepOutcome {
  kDone,
  kNotStarted,    // the dataset, the starting SIM or the train weights failed; TRAINDATA unchanged
  kDamagedStart,  // the starting SIM is damaged (short, or values that are not numbers); TRAINDATA unchanged
  kNoPatterns,    // no race gave a pattern; TRAINDATA unchanged
  kCancelled,     // train.SIM and SIMPAT.DAT removed
  kFailed,        // a pattern or train info file failed; train.SIM and SIMPAT.DAT removed
};

struct PrepResult {
  PrepOutcome outcome = PrepOutcome::kNotStarted;
  int64_t patterns = 0;
  int races = 0;
  bool damagedDataset = false;  // reading stopped at a damaged race; the patterns cover those before it
};

// The training record a preparation leaves beside train.SIM: the dataset,
// the criteria as the report header writes them, the learning pressure,
// the start and the patterns, no pass yet.
SimRecord preparationRecord(const PrepRequest& request, const std::string& simName, int64_t patterns,
                            int races, std::time_t now);

// The preparation for an accepted request. Stores the dataset name as the
// one to offer next time (when `settings` is given), opens the dataset,
// puts the starting weights in `model` (defined with the SIM shape when it
// is not) and saves them as train.SIM, writes the patterns and the train
// information, and ends with the notice "Prep complete". The three files
// are written beside their targets and put in place only when at least one
// pattern was written, with the training record (preparationRecord) beside
// train.SIM. Every failure is shown through `ui`; Cancel in
// `progress` shows "User aborted.".
// Every file is written through `fileSystem`.
PrepResult runPrep(const PrepRequest& request, const Workspace& workspace, SimModel& model,
                   UserInteraction& ui, ProgressSink& progress, SettingsStore* settings = nullptr,
                   FileSystem& fileSystem = realFileSystem());

}  // namespace stridewell
