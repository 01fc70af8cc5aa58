// The profit/loss run: every race of a dataset that meets the criteria is
// adjusted as the options say, scored with a SIM and settled by every wager
// strategy; the report is a header, the totals table and the number of
// races analysed. Races are scored on several threads, each with its own
// copy of the SIM, and settled in dataset order on the caller's thread, so
// the report is the same for any number of threads. Call from one thread.
#pragma once

#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/segment_breakdown.h"
#include "analysis/strategy_totals.h"
#include "base/file_system.h"
#include "race/race.h"
#include "race/race_criteria.h"

namespace stridewell {

class ProgressSink;
class SimModel;
class UserInteraction;

// The report file's name in the Workspace's TEMP folder.
inline constexpr std::string_view kProfitLossReportFile = "bets.txt";

// One strategy broken down by a key, reported instead of the totals table.
struct BreakdownChoice {
  SegmentKey key = SegmentKey::kOdds;
  int strategy = kDefaultBreakdownStrategy;
};

struct ProfitLossOptions {
  bool autoScratch = true;       // drop the horses that did not run
  bool forceDry = true;          // score every race as run on a dry track
  bool skipTurfToDirt = false;   // leave out races carded off dirt but run on it
  bool morningLineOdds = false;  // bet on the morning line instead of the track odds
  bool shortReport = false;      // leave out every "TO1" and "OVERLAY" strategy
  int threads = 0;               // scoring threads; 0 or less: one per hardware thread

  // When set, the report is this breakdown instead of the totals table.
  std::optional<BreakdownChoice> breakdown;
};

// The number of scoring threads `requested` asks for (0 or less: one per
// hardware thread), at least 1.
int scoringThreads(int requested);

// The steps a race goes through between reading and scoring: the criteria
// test (on the condition the results file recorded), force dry, skip turf
// to dirt, morning-line odds (each finisher's odds become the morning line
// of its card horse, 0 when its index names none) and auto scratch. False
// when the race is not to be scored; the race may then be half adjusted.
bool prepareRace(Race& race, const RaceCriteria& criteria, const ProfitLossOptions& options);

// The report header: dataset, SIM, the criteria lines, the short and
// morning-line notes, the breakdown's heading when there is one, and an
// empty line.
void writeProfitLossHeader(std::ostream& report, std::string_view datasetName, std::string_view simName,
                           const RaceCriteria& criteria, const ProfitLossOptions& options);

// Reads `dataset` from its position to its end; after each race read it
// reports the percent of the file read and stops when `progress` is
// cancelled (the check is repeated while races are scored). Every race that
// prepareRace keeps is scored with `model` (loaded, of the SIM shape or
// any shape without extra connections; it serves as one of the threads'
// SIMs) and settled. At the end the totals table goes to `report` (and the
// comma lines to `comma` when given). Returns the number of races
// analysed, or -1 when cancelled, with nothing written. A dataset ending
// in a damaged race is reported up to that race, with a warning naming it
// (and `damaged`, when given, set). `totals`, when given, receives the
// table the report was written from (a chart draws on the same figures);
// it is left alone when the run is cancelled. With a breakdown in
// `options` the breakdown table (and its comma lines) takes the totals
// table's place. `settled`, when given, receives every race analysed, in
// dataset order, for breakdowns chosen afterwards.
int runRaceLoop(const RaceCriteria& criteria, std::istream& dataset, const std::string& datasetFile,
                std::ostream& report, std::ostream* comma, SimModel& model, const ProfitLossOptions& options,
                UserInteraction& ui, ProgressSink& progress, bool* damaged = nullptr,
                StrategyTotalsTable* totals = nullptr, std::vector<SettledRace>* settled = nullptr);

struct ProfitLossRequest {
  std::string datasetName;
  std::string datasetPath;
  std::string simName;
  std::string simPath;  // the SIM's weights file
  RaceCriteria criteria{};
  ProfitLossOptions options;
};

enum class ProfitLossStatus {
  kDone,       // the report file is complete
  kCancelled,  // the report file was removed
  kFailed,     // an error was shown; no report file is left
};

struct ProfitLossOutcome {
  ProfitLossStatus status = ProfitLossStatus::kFailed;
  int racesAnalyzed = 0;
  bool datasetDamaged = false;  // kDone, but the dataset ended in a damaged race
  // The SIM's weights loaded: only then is the SIM worth remembering as the
  // next run's choice.
  bool simLoaded = false;
};

// The whole run: loads the SIM's weights into `model` (defined beforehand)
// ("Error loading SIM data"), opens the dataset ("Error opening dataset")
// and creates `reportPath` ("Cannot create temp file"), each failure an
// error that stops the run before anything else; then the header, the race
// loop and "\n%d races analyzed.\n". On kDone the report file stays for the
// caller to show and remove. The report is written through `fileSystem` as
// a new file renamed over `reportPath` once complete: one that cannot be
// written completely is an error ("Cannot write temp file", the file and
// the system's reason) and leaves `reportPath` as it was; a cancelled run
// removes it. `totals`, when given, receives the run's totals table
// whenever the race loop ran to its end (always on kDone), and `settled`
// the races analysed (as runRaceLoop's).
ProfitLossOutcome runProfitLoss(const ProfitLossRequest& request, SimModel& model,
                                const std::string& reportPath, std::ostream* comma, UserInteraction& ui,
                                ProgressSink& progress, StrategyTotalsTable* totals = nullptr,
                                FileSystem& fileSystem = realFileSystem(),
                                std::vector<SettledRace>* settled = nullptr);

}  // namespace stridewell
