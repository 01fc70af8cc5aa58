// The train command in each process that mpirun started. The first process
// asks and checks as a process alone would, then hands the others what they
// need: the job and the starting weights. Every process makes sure it reads
// the same pattern file, trains its share on its own threads, and the first
// alone shows the passes and saves. The others print only their own errors,
// naming their process and machine.
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "base/workspace.h"
#include "cli/interrupt_guard.h"
#include "cli/terminal_interaction.h"
#include "cli/training_watch.h"
#include "cluster/mpi_run.h"
#include "model/pattern_fingerprint.h"
#include "model/pattern_record.h"
#include "model/pattern_share.h"
#include "model/shared_work_training.h"
#include "model/sim_shape.h"

namespace stridewell::cli {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(50);

// Every bias and weight of the model, unit by unit.
std::vector<double> parametersOf(const SimModel& model) {
  std::vector<double> parameters;
  parameters.reserve(model.parameterCount());
  for (int32_t unit = model.inputCount(); unit < model.unitCount(); ++unit) {
    parameters.push_back(model.bias(unit));
    for (double weight : model.connectionWeights(unit)) parameters.push_back(weight);
  }
  return parameters;
}

void setParameters(SimModel& model, const std::vector<double>& parameters) {
  size_t next = 0;
  for (int32_t unit = model.inputCount(); unit < model.unitCount(); ++unit) {
    model.setBias(unit, parameters[next++]);
    for (double& weight : model.connectionWeights(unit)) weight = parameters[next++];
  }
}

// The processors this process may run on: mpirun may have bound it to a
// few of the machine's.
int processorsForThisProcess() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

std::string processName(int rank, const std::string& host) {
  return "process " + std::to_string(rank) + " on " + host;
}

std::string recordsText(const RecordRun& run) {
  return std::to_string(run.first + 1) + " to " + std::to_string(run.end);
}

// What each process reads, for the first process to show.
std::string shareText(const PatternShare& share) {
  const int64_t count = share.beforeUpdate.count() + share.afterUpdate.count();
  std::string text = std::to_string(count) + (count == 1 ? " pattern" : " patterns");
  if (count == 0) return text;
  std::vector<std::string> runs;
  for (const RecordRun& run : {share.beforeUpdate, share.afterUpdate}) {
    if (run.count() > 0) runs.push_back(recordsText(run));
  }
  text += " (records " + runs.front();
  if (runs.size() > 1) text += " and " + runs.back();
  return text + ")";
}

// The problems of processes whose pattern file cannot be read or is not
// the first process's; empty when every process reads the same file.
std::vector<std::string> patternFileProblems(const std::vector<std::string>& prints,
                                             const std::vector<std::string>& hosts,
                                             const std::filesystem::path& firstFile) {
  std::vector<std::string> problems;
  for (size_t rank = 0; rank < prints.size(); ++rank) {
    const std::string who = processName(static_cast<int>(rank), hosts[rank]);
    if (!prints[rank].empty() && prints[rank][0] == '!') {
      problems.push_back(who + ": " + prints[rank].substr(1));
    } else if (rank > 0 && prints[0][0] != '!' && prints[rank] != prints[0]) {
      uint64_t size = 0;
      uint64_t firstSize = 0;
      std::istringstream(prints[rank]) >> size;
      std::istringstream(prints[0]) >> firstSize;
      const std::string sizes = size == firstSize ? std::string()
                                                  : " (" + std::to_string(size) + " bytes against " +
                                                        std::to_string(firstSize) + ")";
      problems.push_back(who + ": its " + std::string(kPatternFileName) +
                         " differs from the one process 0 reads, " + firstFile.string() + sizes +
                         "; copy that file to every machine, or put the Workspace on a shared folder");
    }
  }
  return problems;
}

}  // namespace

int trainInGroup(const ParsedOptions& options, const TrainRequest& request, std::ostream& out,
                 std::ostream& err) {
  MpiRun mpi;
  if (!mpi.ok()) {
    err << "stridewell train: error: " << mpi.problem() << '\n';
    return kExitCannotOpen;
  }
  const bool leader = mpi.rank() == 0;
  const std::string me = processName(mpi.rank(), mpi.hostName());
  const Workspace workspace = workspaceAt(programFolder(), defaultWorkspaceBase());
  auto model = std::make_unique<SimModel>(true);
  const bool shaped = defineSimShape(*model) != 0;

  // The first process asks "Train?" and checks the preparation; the others
  // follow its answer.
  TrainPreparation prepared;
  std::unique_ptr<TerminalInteraction> user;
  int64_t head[3] = {kExitOk, 0, 0};  // exit status so far, passes, patterns
  if (leader) {
    user = askingInteraction(options, "train", out, err);
    if (!user) {
      head[0] = kExitUsage;
    } else if (!createWorkspaceFolders(workspace, *user)) {
      head[0] = kExitCannotOpen;
    } else if (!shaped) {
      user->error("Error during SIM init");
      head[0] = kExitCannotOpen;
    } else {
      prepared = prepareTraining(workspace.trainData, *model, *user, request.options);
      if (prepared.start != TrainStart::kReady) head[0] = exitStatusOfStart(prepared.start);
    }
    head[1] = prepared.job.passes;
    head[2] = prepared.job.patternCount;
  }
  mpi.broadcast(head);
  if (head[0] != kExitOk) return static_cast<int>(head[0]);
  if (!mpi.allHold(shaped)) {
    if (!shaped) err << "stridewell train: error: " << me << ": Error during SIM init\n";
    return kExitCannotOpen;
  }

  TrainingJob job = prepared.job;
  std::string simName = job.simName;
  mpi.broadcast(simName);
  std::vector<double> parameters =
      leader ? parametersOf(*model) : std::vector<double>(model->parameterCount());
  mpi.broadcast(parameters);
  if (!leader) {
    setParameters(*model, parameters);
    job.patternFile = std::filesystem::path(workspace.trainData) / kPatternFileName;
    job.simName = simName;
    job.passes = static_cast<int32_t>(head[1]);
    job.patternCount = static_cast<int32_t>(head[2]);
  }
  job.group = &mpi.group();

  // Every process must read the first one's preparation.
  PatternFingerprint print;
  std::string problem;
  const std::string printText = fingerprintPatternFile(job.patternFile, print, problem)
                                    ? std::to_string(print.size) + " " + std::to_string(print.hash)
                                    : "!" + problem;
  const std::vector<std::string> prints = mpi.gather(printText);
  const std::vector<std::string> hosts = mpi.gather(mpi.hostName());
  const std::vector<std::string> problems = patternFileProblems(prints, hosts, job.patternFile);
  if (!problems.empty()) {
    if (leader) {
      for (size_t i = 0; i < problems.size(); ++i) {
        err << "stridewell train: error: " << problems[i]
            << (i + 1 == problems.size() ? " - nothing was trained\n" : "\n");
      }
    }
    return kExitBadInput;
  }

  // The kernels round differently: all use the best one every process has.
  TrainingKernel kernel = TrainingKernel::kPortable;
  for (const TrainingKernel candidate : {TrainingKernel::kAvx512, TrainingKernel::kAvx2}) {
    if (mpi.allHold(processorRunsTrainingKernel(candidate))) {
      kernel = candidate;
      break;
    }
  }
  const int threads = options.has("threads") ? request.threads : processorsForThisProcess();
  const std::vector<std::string> threadCounts = mpi.gather(std::to_string(threads));
  if (leader) {
    out << "Training " << job.simName << " on " << mpi.size()
        << (mpi.size() == 1 ? " process:\n" : " processes:\n");
    for (int rank = 0; rank < mpi.size(); ++rank) {
      const PatternShare share =
          shareOfPatterns(print.size, job.patternCount, rank, mpi.size(), kShareStepRecords);
      out << "  " << processName(rank, hosts[static_cast<size_t>(rank)]) << ", "
          << threadCounts[static_cast<size_t>(rank)]
          << (threadCounts[static_cast<size_t>(rank)] == "1" ? " thread: " : " threads: ") << shareText(share)
          << '\n';
    }
    out << std::flush;
  }

  const InterruptGuard terminationGuard(InterruptGuard::Signals::kInterruptAndTermination);
  TrainingSession session;
  const bool started = session.start(*model, job, [&](SimModel& m, const std::atomic<int>& stop) {
    return makeSharedWorkTrainer(m, stop, threads, kernel, job.group);
  });
  if (!started) {
    // The others must not wait for this process at the next checkpoint.
    job.group->tellOthers(GroupState::kFailed);
    (void)job.group->agree(GroupState::kFailed);
    err << "stridewell train: error: " << me << ": Cannot start the training thread\n";
    return kExitBadInput;
  }

  if (leader) {
    TerminalProgress progress;
    user->attachProgress(&progress);
    const TrainingOutcome outcome =
        watchTraining(session, job.simName, job.passes, out, progress, !progress.drawsBar());
    user->attachProgress(nullptr);
    out << session.status().text << '\n';
    return reportTraining(outcome, job, err);
  }

  bool stopAsked = false;
  while (session.running()) {
    if (!stopAsked && terminationGuard.interrupted()) {
      session.requestStop();
      stopAsked = true;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
  const TrainingOutcome outcome = session.join();
  // Another process's failure is the first process's to report.
  if (outcome.end == TrainingEnd::kFailed && !job.group->ended()) {
    err << "stridewell train: error: " << me << ": " << outcome.problem << '\n';
  } else if (outcome.end == TrainingEnd::kFailed && outcome.problem.rfind("Another process", 0) != 0) {
    err << "stridewell train: error: " << me << ": " << outcome.problem << '\n';
  }
  if (outcome.end == TrainingEnd::kFailed) return kExitBadInput;
  return outcome.end == TrainingEnd::kStopped ? kExitDeclined : kExitOk;
}

}  // namespace stridewell::cli
