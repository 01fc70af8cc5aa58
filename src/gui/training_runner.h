// The desktop program's background training: one TrainingRunner per main
// window, made by the first Train command and owned by the window as its
// child. It starts the core TrainingSession on the window's training model,
// is the window's TrainingMonitor (the one-second timer shows its status in
// the title), keeps the error "tss" of every finished pass for the training
// chart, and stops and joins the thread when the window is destroyed, while
// the model is still there. User-interface thread, except where noted.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <mutex>
#include <string>
#include <vector>

#include "gui/main_window.h"
#include "operations/training_run.h"

namespace stridewell::gui {

class TrainingChartWindow;

// One "[E]pass=%d tss=%g" line of the training model's diagnostics as a
// pass and its tss; false for any other line.
bool parseEpochMessage(std::string_view text, int& pass, double& tss);

// The title while passes run: the pass, how much of that pass is read and
// how much of the whole run is done, so that "100%" at the end of one pass
// is not taken for the end of the run.
std::string passProgressTitle(const std::string& simName, int pass, int passes, int percent);

// What a run that ended saved: which pass's weights, which SIM, and where.
// `stopped` is the Stop Training notice; the title is shorter.
std::string savedReport(const TrainingJob& job, const TrainingOutcome& outcome);
std::string stoppedTitle(const TrainingJob& job, const TrainingOutcome& outcome);

struct PassError {
  int pass = 0;
  double tss = 0.0;
};

class TrainingRunner final : public QObject, public TrainingMonitor {
  Q_OBJECT

 public:
  // The window's runner, made and attached on first use.
  static TrainingRunner& of(MainWindow& window);
  // The window's runner when one was made, else null.
  static TrainingRunner* find(const MainWindow& window);

  ~TrainingRunner() override;

  // Starts training `job` on the window's training model (which must hold
  // its starting weights) and opens the chart on the new run. False when a
  // run is going or the thread cannot be made.
  bool start(const TrainingJob& job);
  // "&Stop Training!": the thread saves and ends after its current choice;
  // once it has, the user is told what was saved.
  void requestStop();
  // Waits for the thread (at once when it has ended) and returns its outcome.
  TrainingOutcome join();

  // TrainingMonitor. The status is the thread's, shown as passProgressTitle
  // while passes run and, after a stop, as stoppedTitle.
  bool running() const override { return session_.running(); }
  uint64_t statusCount() const override { return session_.statusCount(); }
  std::string statusText() const override;
  std::string stopAndWait() override;

  // The tss of every pass the current (or last) run finished, in order; any
  // thread.
  std::vector<PassError> passErrors() const;
  const TrainingJob& job() const { return job_; }
  const std::string& simName() const { return job_.simName; }
  int passes() const { return job_.passes; }

  // The chart window, opened by start(); null before the first run.
  TrainingChartWindow* chart() const;
  // Shows the chart (making it when needed) over the current run.
  void showChart();
  // What the last run saved, once it has ended and was collected; empty
  // before.
  const std::string& endReport() const { return endReport_; }

 private:
  explicit TrainingRunner(MainWindow& window);
  void recordMessage(std::string_view text);  // training thread
  // Joins the thread (when `wait`, or when it has ended) and keeps its
  // outcome and report; false while it runs and `wait` is not set.
  bool collect(bool wait);
  void onEndWatch();

  MainWindow& window_;
  TrainingSession session_;
  TrainingJob job_;
  mutable std::mutex errorsMutex_;
  std::vector<PassError> errors_;
  QPointer<TrainingChartWindow> chart_;
  QTimer* endWatch_;
  bool collected_ = true;
  bool stopAsked_ = false;  // by Stop Training, which is answered by a notice
  TrainingOutcome outcome_;
  std::string endReport_;
  std::string endTitle_;
};

}  // namespace stridewell::gui
