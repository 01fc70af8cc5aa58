// The training chart: a small window over the main window that draws the
// error "tss" of every finished pass of the background training as a line,
// pass by pass, so that the user sees whether the SIM is still learning. It
// opens when training starts, may be closed at any time (training goes on),
// and redraws whenever the main window's one-second timer has put a new
// training status in the title. User-interface thread.
#pragma once

#include <QWidget>

class QChart;
class QLabel;
class QLineSeries;
class QValueAxis;

namespace stridewell::gui {

class MainWindow;
class TrainingRunner;

class TrainingChartWindow final : public QWidget {
  Q_OBJECT

 public:
  TrainingChartWindow(const TrainingRunner& runner, MainWindow& window);

  // Reads the runner's pass errors and status again.
  void refresh();

  QLineSeries* series() const { return series_; }
  QString statusLine() const;

 private:
  const TrainingRunner& runner_;
  QChart* chart_;
  QLineSeries* series_;
  QValueAxis* passAxis_;
  QValueAxis* errorAxis_;
  QLabel* status_;
};

}  // namespace stridewell::gui
