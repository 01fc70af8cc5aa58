// What the train command shares between a run of its own and a run shared
// by processes that mpirun started: the request read from the command line,
// the watch over the training thread, and the report of how the run ended.
#pragma once

#include <ostream>
#include <string>

#include "cli/command.h"
#include "cli/terminal_progress.h"
#include "operations/training_run.h"

namespace stridewell::cli {

struct TrainRequest {
  TrainCommandOptions options;
  int threads = 1;
  bool literal = false;
};

// Waits for the session's run, one line per pass on `out` and the bar on
// `progress`, turning Ctrl-C (and SIGTERM, SIGHUP) into the stop request.
// With `tenthLines`, also a line at a tenth of a pass done when 10 seconds
// or more passed since the last line (for a run whose output is not a
// terminal, where a pass may take hours).
TrainingOutcome watchTraining(TrainingSession& session, const std::string& simName, int passes,
                              std::ostream& out, TerminalProgress& progress, bool tenthLines = false);

// The run's problems and, when stopped, what was saved, on `err`; the exit
// status.
int reportTraining(const TrainingOutcome& outcome, const TrainingJob& job, std::ostream& err);

// The exit status of a run that did not start.
int exitStatusOfStart(TrainStart start);

#if defined(STRIDEWELL_WITH_MPI)
// The run shared by every process mpirun started (in group_training.cpp).
int trainInGroup(const ParsedOptions& options, const TrainRequest& request, std::ostream& out,
                 std::ostream& err);
#endif

}  // namespace stridewell::cli
