#include "gui/training_runner.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>

#include "base/interaction.h"
#include "base/program_name.h"
#include "gui/training_chart.h"
#include "model/pattern_record.h"
#include "model/sim_model.h"

namespace stridewell::gui {

bool parseEpochMessage(std::string_view text, int& pass, double& tss) {
  // The pass stream ends each epoch with "[E]pass=%d tss=%g"; the sink hands
  // whole lines, and anything else the model says is not a pass error.
  const std::string line(text);
  int readPass = 0;
  double readTss = 0.0;
  int consumed = 0;
  if (std::sscanf(line.c_str(), "[E]pass=%d tss=%lg%n", &readPass, &readTss, &consumed) != 2) return false;
  if (static_cast<size_t>(consumed) != line.size() || readPass < 1) return false;
  pass = readPass;
  tss = readTss;
  return true;
}

std::string passProgressTitle(const std::string& simName, int pass, int passes, int percent) {
  // Passes before this one count whole; this one by the share read.
  const int run = passes > 0 ? std::clamp(((pass - 1) * 100 + percent) / passes, 0, 100) : 0;
  return std::string(kProgramName) + ": Training " + simName + " [pass " + std::to_string(pass) + " of " +
         std::to_string(passes) + ", " + std::to_string(percent) + "% of this pass; " + std::to_string(run) +
         "% of the run]";
}

namespace {

std::string savedWeightsText(const TrainingOutcome& outcome) {
  if (outcome.passesDone <= 0) return "No pass was finished: the weights it started from";
  return "The weights after pass " + std::to_string(outcome.passesDone);
}

}  // namespace

std::string savedReport(const TrainingJob& job, const TrainingOutcome& outcome) {
  std::string report = outcome.end == TrainingEnd::kStopped
                           ? "Training of SIM " + job.simName + " stopped after "
                           : "Training of SIM " + job.simName + " made ";
  report += std::to_string(outcome.passesDone) + " of " + std::to_string(job.passes) + " passes.\n";
  if (outcome.end == TrainingEnd::kFailed) return report + "Nothing was saved: " + outcome.problem;
  if (!outcome.saved) return report + "The weights could not be saved: " + outcome.problem;
  report += savedWeightsText(outcome) + " were saved as SIM " + job.simName + " (" +
            job.targetWeightsFile.string() + ") and to " + job.trainWeightsFile.string() +
            ", where Train More goes on.";
  return report;
}

std::string stoppedTitle(const TrainingJob& job, const TrainingOutcome& outcome) {
  return programTitle("Training stopped by user after " + std::to_string(outcome.passesDone) + " of " +
                      std::to_string(job.passes) + " passes; saved as SIM " + job.simName + ".");
}

TrainingRunner& TrainingRunner::of(MainWindow& window) {
  if (TrainingRunner* runner = find(window)) return *runner;
  auto* runner = new TrainingRunner(window);
  window.setTrainingMonitor(runner);
  return *runner;
}

TrainingRunner* TrainingRunner::find(const MainWindow& window) {
  return window.findChild<TrainingRunner*>(QString(), Qt::FindDirectChildrenOnly);
}

TrainingRunner::TrainingRunner(MainWindow& window)
    : QObject(&window), window_(window), endWatch_(new QTimer(this)) {
  setObjectName(QStringLiteral("trainingRunner"));
  endWatch_->setInterval(100);
  connect(endWatch_, &QTimer::timeout, this, &TrainingRunner::onEndWatch);
  // The window's members, the training model among them, are gone before
  // its children are deleted: the thread has to end before that.
  connect(&window, &MainWindow::destroying, this, &TrainingRunner::stopAndWait, Qt::DirectConnection);
}

TrainingRunner::~TrainingRunner() {
  stopAndWait();
  delete chart_.data();
}

std::string TrainingRunner::stopAndWait() {
  const bool wasRunning = session_.running();
  if (wasRunning) session_.requestStop();
  // Exit asked; its answer is this return, not the Stop Training notice.
  stopAsked_ = false;
  const TrainingOutcome outcome = join();
  if (wasRunning && !outcome.saved) return savedReport(job_, outcome);
  return {};
}

bool TrainingRunner::collect(bool wait) {
  if (collected_) return true;
  if (!wait && session_.running()) return false;
  outcome_ = session_.join();
  collected_ = true;
  endWatch_->stop();
  endReport_ = savedReport(job_, outcome_);
  if (outcome_.end == TrainingEnd::kStopped && outcome_.saved) endTitle_ = stoppedTitle(job_, outcome_);
  return true;
}

void TrainingRunner::onEndWatch() {
  if (!collect(false)) return;
  if (!endTitle_.empty()) window_.setWindowTitle(QString::fromStdString(endTitle_));
  if (chart_) chart_->refresh();
  if (!stopAsked_) return;
  stopAsked_ = false;
  if (outcome_.saved) {
    // A stop that came as the last pass ended finds the run complete.
    window_.ui().notice(outcome_.end == TrainingEnd::kStopped ? "Training stopped" : "Training complete",
                        endReport_);
  } else {
    window_.ui().error(endReport_);
  }
}

std::string TrainingRunner::statusText() const {
  const TrainingStatus status = session_.status();
  if (!status.finished) return passProgressTitle(job_.simName, status.pass, job_.passes, status.percent);
  return endTitle_.empty() ? status.text : endTitle_;
}

bool TrainingRunner::start(const TrainingJob& job) {
  if (session_.running()) return false;
  collect(true);  // the last run's thread has ended; it only needs joining
  job_ = job;
  outcome_ = TrainingOutcome{};
  endReport_.clear();
  endTitle_.clear();
  stopAsked_ = false;
  {
    std::lock_guard lock(errorsMutex_);
    errors_.clear();
  }
  // Set while no thread uses the model; the thread calls it at each epoch.
  window_.trainingModel().setMessageCallback([this](const std::string& text) { recordMessage(text); });
  // Training is background work at lowered priority, so it may use every
  // processor: handicapping and reports still come first.
  const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  if (!session_.start(window_.trainingModel(), job_,
                      [threads](SimModel& model, const std::atomic<int>& stop) {
                        return makeTrainer(model, stop, threads, false);
                      })) {
    return false;
  }
  collected_ = false;
  endWatch_->start();
  showChart();
  return true;
}

void TrainingRunner::requestStop() {
  if (!session_.running()) return;
  stopAsked_ = true;
  session_.requestStop();
}

TrainingOutcome TrainingRunner::join() {
  collect(true);
  return outcome_;
}

std::vector<PassError> TrainingRunner::passErrors() const {
  std::lock_guard lock(errorsMutex_);
  return errors_;
}

void TrainingRunner::recordMessage(std::string_view text) {
  int pass = 0;
  double tss = 0.0;
  if (!parseEpochMessage(text, pass, tss)) return;
  std::lock_guard lock(errorsMutex_);
  errors_.push_back({pass, tss});
}

TrainingChartWindow* TrainingRunner::chart() const {
  return chart_.data();
}

void TrainingRunner::showChart() {
  if (!chart_) chart_ = new TrainingChartWindow(*this, window_);
  chart_->refresh();
  chart_->show();
  chart_->raise();
}

}  // namespace stridewell::gui
