#include "cli/train_command.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include "base/workspace.h"
#include "cli/interrupt_guard.h"
#include "cli/terminal_interaction.h"
#include "cli/terminal_progress.h"
#include "cli/text_format.h"
#include "cli/training_watch.h"
#include "model/sim_model.h"
#include "model/sim_shape.h"
#include "operations/training_run.h"

namespace stridewell::cli {
namespace {

constexpr int kMostPasses = 1000000;
constexpr int kMostThreads = 256;
// How often the waiting thread looks at the status and at Ctrl-C.
constexpr auto kPollInterval = std::chrono::milliseconds(50);
// Lines within a pass come no closer than this: short passes need none.
constexpr auto kTenthLineGap = std::chrono::seconds(10);

constexpr OptionSpec kTrainOptions[] = {
    withAlias(
        {'\0', "passes", "N", "Make N passes instead of the number the preparation chose (\"Train More\")."},
        'p'),
    withAlias(kThreadsOption, 't'),
    {'\0', "literal", "", "Use the reference trainer (one network pass per choice of five; slow)."},
    kYesOption,
    kNoOption,
};

bool readCount(const std::string& text, int most, int& count) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [next, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || next != end || value < 1 || value > most) return false;
  count = value;
  return true;
}

int exitStatusOf(TrainStart start) {
  switch (start) {
    case TrainStart::kReady:
      return kExitOk;
    case TrainStart::kDeclined:
      return kExitDeclined;
    case TrainStart::kDamagedTrainInfo:
    case TrainStart::kNoPatterns:
    case TrainStart::kCannotLoadWeights:
      return kExitBadInput;
    case TrainStart::kNoTrainingData:
    case TrainStart::kNoTrainInfo:
    case TrainStart::kCannotSave:
    case TrainStart::kUnusableModel:
      return kExitCannotOpen;
  }
  return kExitBadInput;
}

// The run as a whole: each pass a share of the bar.
int overallPercent(const TrainingStatus& status, int passes) {
  if (status.finished || passes <= 0 || status.pass <= 0) return status.finished ? 100 : 0;
  return std::clamp(((status.pass - 1) * 100 + status.percent) / passes, 0, 100);
}

// How many processes an MPI launcher (mpirun, mpiexec) started together
// with this one, from the variables it sets; 0 when none did.
int processesStartedByLauncher() {
  for (const char* name : {"OMPI_COMM_WORLD_SIZE", "PMI_SIZE", "PMIX_SIZE"}) {
    if (const char* value = std::getenv(name)) {
      const int count = std::atoi(value);
      if (count > 0) return count;
    }
  }
  return 0;
}

}  // namespace

TrainingOutcome watchTraining(TrainingSession& session, const std::string& simName, int passes,
                              std::ostream& out, TerminalProgress& progress, bool tenthLines) {
  // The training thread reports through the session; this thread shows it,
  // one line per pass, and turns Ctrl-C into the stop request.
  uint64_t shownCount = 0;
  int linePass = 0;
  int lineTenth = 0;
  auto lastLine = std::chrono::steady_clock::now();
  bool stopAsked = false;
  auto showLatest = [&] {
    if (session.statusCount() == shownCount) return;
    shownCount = session.statusCount();
    const TrainingStatus status = session.status();
    // One line per pass as it starts, also for passes that began and ended
    // between two looks.
    if (status.pass > linePass) {
      progress.clearLine();
      while (linePass < status.pass) {
        ++linePass;
        out << passStatusText(simName, linePass, passes, 0) << '\n';
      }
      lineTenth = 0;
      lastLine = std::chrono::steady_clock::now();
      out << std::flush;
    }
    if (tenthLines && !status.finished && status.pass == linePass && status.percent / 10 > lineTenth &&
        status.percent < 100 && std::chrono::steady_clock::now() - lastLine >= kTenthLineGap) {
      lineTenth = status.percent / 10;
      progress.clearLine();
      out << passStatusText(simName, linePass, passes, lineTenth * 10) << '\n' << std::flush;
      lastLine = std::chrono::steady_clock::now();
    }
    progress.setText(status.text);
    progress.setPercent(overallPercent(status, passes));
  };
  while (session.running()) {
    if (!stopAsked && progress.cancelled()) {
      session.requestStop();
      stopAsked = true;
    }
    showLatest();
    std::this_thread::sleep_for(kPollInterval);
  }
  TrainingOutcome outcome = session.join();
  showLatest();
  progress.clearLine();
  return outcome;
}

int reportTraining(const TrainingOutcome& outcome, const TrainingJob& job, std::ostream& err) {
  if (!outcome.problem.empty()) err << "stridewell train: error: " << outcome.problem << '\n';
  if (!outcome.recordProblem.empty()) {
    err << warningPrefix("train") << "the SIM's training record was not updated: " << outcome.recordProblem
        << '\n';
  }
  if (outcome.end == TrainingEnd::kFailed) return kExitBadInput;
  if (!outcome.saved) return kExitCannotOpen;
  if (outcome.end == TrainingEnd::kStopped) {
    const int signal = InterruptGuard::signalSeen();
    const char* by = signal == SIGTERM  ? " by SIGTERM"
                     : signal == SIGHUP ? " by SIGHUP"
                     : signal == SIGINT ? " by Ctrl-C"
                                        : "";
    err << "stridewell train: stopped" << by << " after " << outcome.passesDone << " of " << job.passes
        << " passes; the weights are saved to " << job.trainWeightsFile.string() << " and "
        << job.targetWeightsFile.string() << "\n";
    return kExitDeclined;
  }
  return kExitOk;
}

int exitStatusOfStart(TrainStart start) {
  return exitStatusOf(start);
}

std::string_view TrainCommand::description() const {
  return "Asks \"Train?\" and trains the SIM that `stridewell prep` set up in the\n"
         "Workspace's TRAINDATA folder: every pass shows every race of the patterns to\n"
         "the network as all ordered choices of five of its horses and then changes\n"
         "each weight once. The run starts from TRAINDATA/train.SIM (the prepared start,\n"
         "or where the last run ended) and at its end saves the weights there and to\n"
         "the SIM's file in the SIM folder. Before the first pass it makes sure both\n"
         "files can be written, so that a full disk or an unwritable folder shows at\n"
         "once. Ctrl-C, SIGTERM and SIGHUP stop after the current choice of five and\n"
         "save the weights as they were after the last whole pass; running the\n"
         "command again continues from there (\"Train More\"), for the prepared\n"
         "number of passes or for --passes.\n"
         "\n"
         "Exit status: 0 when the run completed and its weights were saved, 1 when\n"
         "the train information is damaged, the preparation holds no pattern,\n"
         "train.SIM cannot be loaded or the pattern file cannot be read, 2 when nothing\n"
         "was prepared, the weights cannot be saved or the command line is wrong, 3\n"
         "when the question was answered No or the run was stopped (its weights saved).\n";
}

std::span<const OptionSpec> TrainCommand::options() const {
  return kTrainOptions;
}

int TrainCommand::run(const ParsedOptions& options, std::ostream& out, std::ostream& err) const {
  if (!options.operands().empty()) {
    err << "stridewell train: error: takes no operands\n\n" << usage();
    return kExitUsage;
  }
  TrainRequest request;
  if (options.has("passes") &&
      !readCount(options.value("passes"), kMostPasses, request.options.passesOverride)) {
    err << "stridewell train: error: --passes takes a number from 1 to " << kMostPasses << ", not '"
        << printableText(options.value("passes")) << "'\n";
    return kExitUsage;
  }
  request.threads =
      static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, unsigned{kMostThreads}));
  if (options.has("threads") && !readCount(options.value("threads"), kMostThreads, request.threads)) {
    err << "stridewell train: error: --threads takes a number from 1 to " << kMostThreads << ", not '"
        << printableText(options.value("threads")) << "'\n";
    return kExitUsage;
  }
  request.literal = options.has("literal");

  // Processes started together by mpirun share one run; each would
  // otherwise train the whole file and overwrite the others' SIM.
  if (processesStartedByLauncher() > 0) {
#if defined(STRIDEWELL_WITH_MPI)
    if (request.literal) {
      err << "stridewell train: error: --literal trains in one process only; run it without mpirun\n";
      return kExitUsage;
    }
    return trainInGroup(options, request, out, err);
#else
    if (processesStartedByLauncher() > 1) {
      err << "stridewell train: error: this stridewell was built without MPI and cannot share a run "
             "between the "
          << processesStartedByLauncher()
          << " processes mpirun started; run it alone, or build it with MPI\n";
      return kExitUsage;
    }
#endif
  }

  const std::unique_ptr<TerminalInteraction> user = askingInteraction(options, "train", out, err);
  if (!user) return kExitUsage;
  TerminalInteraction& ui = *user;
  const Workspace workspace = workspaceAt(programFolder(), defaultWorkspaceBase());
  if (!createWorkspaceFolders(workspace, ui)) return kExitCannotOpen;

  auto model = std::make_unique<SimModel>(true);
  if (defineSimShape(*model) == 0) {
    ui.error("Error during SIM init");
    return kExitCannotOpen;
  }
  const TrainPreparation prepared = prepareTraining(workspace.trainData, *model, ui, request.options);
  if (prepared.start != TrainStart::kReady) return exitStatusOf(prepared.start);

  // From here on a termination or hang-up stops the run as Ctrl-C does, so
  // that the passes done are saved rather than lost.
  const InterruptGuard terminationGuard(InterruptGuard::Signals::kInterruptAndTermination);
  TerminalProgress progress;
  ui.attachProgress(&progress);
  TrainingSession session;
  if (!session.start(*model, prepared.job, [request](SimModel& m, const std::atomic<int>& stop) {
        return makeTrainer(m, stop, request.threads, request.literal);
      })) {
    ui.attachProgress(nullptr);
    ui.error("Cannot start the training thread");
    return kExitBadInput;
  }
  const TrainingOutcome outcome =
      watchTraining(session, prepared.job.simName, prepared.job.passes, out, progress);
  ui.attachProgress(nullptr);
  out << session.status().text << '\n';
  return reportTraining(outcome, prepared.job, err);
}

}  // namespace stridewell::cli
