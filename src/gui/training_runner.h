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
  // "&Stop Training!": the thread saves and ends after its current choice.
  void requestStop();
  // Waits for the thread (at once when it has ended) and returns its outcome.
  TrainingOutcome join();

  // TrainingMonitor; any thread.
  bool running() const override { return session_.running(); }
  uint64_t statusCount() const override { return session_.statusCount(); }
  std::string statusText() const override { return session_.status().text; }

  // The tss of every pass the current (or last) run finished, in order; any
  // thread.
  std::vector<PassError> passErrors() const;
  const std::string& simName() const { return job_.simName; }
  int passes() const { return job_.passes; }

  // The chart window, opened by start(); null before the first run.
  TrainingChartWindow* chart() const;
  // Shows the chart (making it when needed) over the current run.
  void showChart();

 private:
  explicit TrainingRunner(MainWindow& window);
  void recordMessage(std::string_view text);  // training thread
  void stopAndWait();

  MainWindow& window_;
  TrainingSession session_;
  TrainingJob job_;
  mutable std::mutex errorsMutex_;
  std::vector<PassError> errors_;
  QPointer<TrainingChartWindow> chart_;
};

}  // namespace stridewell::gui
