#include "gui/training_runner.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>

#include "gui/training_chart.h"
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

TrainingRunner& TrainingRunner::of(MainWindow& window) {
  if (TrainingRunner* runner = find(window)) return *runner;
  auto* runner = new TrainingRunner(window);
  window.setTrainingMonitor(runner);
  return *runner;
}

TrainingRunner* TrainingRunner::find(const MainWindow& window) {
  return window.findChild<TrainingRunner*>(QString(), Qt::FindDirectChildrenOnly);
}

TrainingRunner::TrainingRunner(MainWindow& window) : QObject(&window), window_(window) {
  setObjectName(QStringLiteral("trainingRunner"));
  // The window's members, the training model among them, are gone before
  // its children are deleted: the thread has to end before that.
  connect(&window, &MainWindow::destroying, this, &TrainingRunner::stopAndWait, Qt::DirectConnection);
}

TrainingRunner::~TrainingRunner() {
  stopAndWait();
  delete chart_.data();
}

void TrainingRunner::stopAndWait() {
  if (session_.running()) session_.requestStop();
  session_.join();
}

bool TrainingRunner::start(const TrainingJob& job) {
  if (session_.running()) return false;
  session_.join();  // the last run's thread has ended; it only needs joining
  job_ = job;
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
  showChart();
  return true;
}

void TrainingRunner::requestStop() {
  if (session_.running()) session_.requestStop();
}

TrainingOutcome TrainingRunner::join() {
  return session_.join();
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
